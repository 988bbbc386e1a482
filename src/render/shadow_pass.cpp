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
    UniqueFontFamily family;
    make_font_family(record, family.put());

    const double scale = 1.0 / record.shadow_softness;
    UniqueBitmap bitmap;
    make_pass_bitmap(dc, size.width, size.height, bitmap);
    UniqueGraphics bitmap_graphics;
    if (bitmap) {
        gdip::GdipGetImageGraphicsContext(bitmap.get(), bitmap_graphics.put());
    }
    if (bitmap_graphics) {
        gdip::GdipSetSmoothingMode(bitmap_graphics.get(), SmoothingModeAntiAlias);
        gdip::GdipSetPageUnit(bitmap_graphics.get(), UnitPoint);
        gdip::GdipScaleWorldTransform(bitmap_graphics.get(), static_cast<REAL>(scale),
                                      static_cast<REAL>(scale), MatrixOrderPrepend);
    }

    UniquePath glyphs;
    gdip::GdipCreatePath(FillModeAlternate, glyphs.put());
    add_text_outlines(glyphs.get(), text, family.get(), record, rect, format);

    const ARGB colour =
        pack_argb(record.shadow_alpha, record.shadow_red, record.shadow_green, record.shadow_blue);
    UniqueSolidFill brush;
    gdip::GdipCreateSolidFill(colour, brush.put());
    UniquePen pen;
    gdip::GdipCreatePen1(colour, static_cast<REAL>(record.shadow_size), UnitWorld, pen.put());

    // Stroke and fill stay two drawings: with a translucent colour the inner
    // half of the stroke is covered twice, as the look expects.
    const bool glyphs_ready = bitmap_graphics && family && glyphs;
    if (glyphs_ready && pen) {
        gdip::GdipDrawPath(bitmap_graphics.get(), pen.get(), glyphs.get());
    }
    if (glyphs_ready && brush) {
        gdip::GdipFillPath(bitmap_graphics.get(), brush.get(), glyphs.get());
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
        gdip::GdipDrawImageRectI(surface_graphics.get(), bitmap.get(), to.x, to.y, to.width,
                                 to.height);
    }

    surface_graphics.reset();
    pen.reset();
    brush.reset();
    glyphs.reset();
    bitmap_graphics.reset();
    bitmap.reset();
    family.reset();
}

} // namespace scrivlet
