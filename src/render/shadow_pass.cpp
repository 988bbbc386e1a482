#include "render/render_text.h"

#include "render/gdiplus_handles.h"
#include "render/pass_support.h"

namespace scrivlet {

using namespace Gdiplus;

// The softness comes from resolution, not from a blur: the shadow is drawn
// small and the stretch back to the surface's size smooths its edges.
void draw_shadow_pass(HDC dc, const MeterRecord& record, std::string_view text, float width_px,
                      float height_px, LayoutRect rect, GpStringFormat* format) {
    BitmapSize size;
    if (!shadow_bitmap_size(width_px, height_px, record.shadow_softness, size)) {
        return; // softness 0, negative or beyond a side: no shadow at all
    }
    PassCanvas canvas;
    open_pass(dc, record, text, size, SmoothingModeAntiAlias,
              static_cast<REAL>(1.0 / record.shadow_softness), rect, format, canvas);

    const ARGB colour =
        pack_argb(record.shadow_alpha, record.shadow_red, record.shadow_green, record.shadow_blue);
    UniqueSolidFill brush;
    gdip::GdipCreateSolidFill(colour, brush.put());
    UniquePen pen;
    gdip::GdipCreatePen1(colour, static_cast<REAL>(record.shadow_size), UnitWorld, pen.put());

    // Stroke and fill stay two drawings: with a translucent colour the inner
    // half of the stroke is covered twice, as the look expects.
    const bool glyphs_ready = canvas.graphics && canvas.family && canvas.glyphs;
    if (glyphs_ready && pen) {
        gdip::GdipDrawPath(canvas.graphics.get(), pen.get(), canvas.glyphs.get());
    }
    if (glyphs_ready && brush) {
        gdip::GdipFillPath(canvas.graphics.get(), brush.get(), canvas.glyphs.get());
    }

    UniqueGraphics surface_graphics;
    if (glyphs_ready && (pen || brush)) {
        gdip::GdipCreateFromHDC(dc, surface_graphics.put());
    }
    if (surface_graphics) {
        gdip::GdipSetSmoothingMode(surface_graphics.get(), SmoothingModeAntiAlias);
        gdip::GdipSetInterpolationMode(surface_graphics.get(), InterpolationModeHighQualityBicubic);
        // Device pixels: the surface graphics keeps the library's display unit.
        const PixelRect to =
            shadow_destination(width_px, height_px, record.shadow_offset_x, record.shadow_offset_y);
        gdip::GdipDrawImageRectI(surface_graphics.get(), canvas.bitmap.get(), to.x, to.y, to.width,
                                 to.height);
    }

    surface_graphics.reset();
    pen.reset();
    brush.reset();
    canvas.glyphs.reset();
    canvas.graphics.reset();
    canvas.bitmap.reset();
    canvas.family.reset();
}

} // namespace scrivlet
