#include "render/render_text.h"

#include "render/gdiplus_handles.h"
#include "render/pass_support.h"

namespace scrivlet {

using namespace Gdiplus;

namespace {

// Fine enough that the widened band follows the glyph curves to well under
// a pixel at any size the dialog allows.
constexpr REAL border_flatness = 1.0f / 128.0f;

// The pen is centred on the glyph edge: half of it lies inside the glyph
// (cut away by the clip), the other half is the visible band.
constexpr REAL pen_sides = 2.0f;

} // namespace

// The band is filled in a bitmap of its own, not straight onto the surface,
// because the clip that cuts out the glyph insides must not leak into the
// host's device context.
void draw_border_pass(HDC dc, const MeterRecord& record, std::string_view text, float width_px,
                      float height_px, LayoutRect rect, GpStringFormat* format) {
    if (!(width_px >= 1.0f && height_px >= 1.0f)) {
        return; // no bitmap of that size; nothing to draw
    }
    PassCanvas canvas;
    open_pass(dc, record, text,
              BitmapSize{static_cast<int32_t>(width_px), static_cast<int32_t>(height_px)},
              SmoothingModeHighQuality, std::nullopt, rect, format, canvas);
    UniquePath glyph_copy;
    if (canvas.glyphs) {
        gdip::GdipClonePath(canvas.glyphs.get(), glyph_copy.put());
    }

    const ARGB colour =
        pack_argb(record.border_alpha, record.border_red, record.border_green, record.border_blue);
    UniqueSolidFill brush;
    gdip::GdipCreateSolidFill(colour, brush.put());
    UniquePen pen;
    gdip::GdipCreatePen1(colour, pen_sides * static_cast<REAL>(record.border_width), UnitWorld,
                         pen.put());

    if (canvas.glyphs && pen) {
        gdip::GdipWidenPath(canvas.glyphs.get(), pen.get(), nullptr, border_flatness);
        gdip::GdipWindingModeOutline(canvas.glyphs.get(), nullptr, border_flatness);
    }
    // Without the copy there is no clip, and without the pen no band: filling
    // then would paint the glyph insides in the border colour. Without glyphs
    // there is nothing to put on the surface either.
    const bool band =
        canvas.graphics && canvas.family && canvas.glyphs && glyph_copy && pen && brush;
    if (band) {
        gdip::GdipSetClipPath(canvas.graphics.get(), glyph_copy.get(), CombineModeExclude);
        gdip::GdipFillPath(canvas.graphics.get(), brush.get(), canvas.glyphs.get());
    }

    UniqueGraphics surface_graphics;
    if (band) {
        gdip::GdipCreateFromHDC(dc, surface_graphics.put());
    }
    if (surface_graphics) {
        gdip::GdipSetSmoothingMode(surface_graphics.get(), SmoothingModeAntiAlias);
        gdip::GdipSetPageUnit(surface_graphics.get(), UnitPoint);
        gdip::GdipSetInterpolationMode(surface_graphics.get(), InterpolationModeHighQualityBicubic);
        gdip::GdipDrawImageI(surface_graphics.get(), canvas.bitmap.get(), 0, 0);
    }

    surface_graphics.reset();
    pen.reset();
    brush.reset();
    canvas.glyphs.reset();
    glyph_copy.reset();
    canvas.graphics.reset();
    canvas.bitmap.reset();
    canvas.family.reset();
}

} // namespace scrivlet
