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
    UniqueFontFamily family;
    make_font_family(record, family.put());

    UniqueBitmap bitmap;
    make_pass_bitmap(dc, static_cast<int32_t>(width_px), static_cast<int32_t>(height_px), bitmap);
    UniqueGraphics bitmap_graphics;
    if (bitmap) {
        gdip::GdipGetImageGraphicsContext(bitmap.get(), bitmap_graphics.put());
    }
    if (bitmap_graphics) {
        gdip::GdipSetSmoothingMode(bitmap_graphics.get(), SmoothingModeHighQuality);
        gdip::GdipSetPageUnit(bitmap_graphics.get(), UnitPoint);
    }

    UniquePath glyphs;
    gdip::GdipCreatePath(FillModeAlternate, glyphs.put());
    add_text_outlines(glyphs.get(), text, family.get(), record, rect, format);
    UniquePath glyph_copy;
    if (glyphs) {
        gdip::GdipClonePath(glyphs.get(), glyph_copy.put());
    }

    const ARGB colour =
        pack_argb(record.border_alpha, record.border_red, record.border_green, record.border_blue);
    UniqueSolidFill brush;
    gdip::GdipCreateSolidFill(colour, brush.put());
    UniquePen pen;
    gdip::GdipCreatePen1(colour, pen_sides * static_cast<REAL>(record.border_width), UnitWorld,
                         pen.put());

    if (glyphs && pen) {
        gdip::GdipWidenPath(glyphs.get(), pen.get(), nullptr, border_flatness);
        gdip::GdipWindingModeOutline(glyphs.get(), nullptr, border_flatness);
    }
    // Without the copy there is no clip, and without the pen no band: filling
    // then would paint the glyph insides in the border colour. Without glyphs
    // there is nothing to put on the surface either.
    const bool band = bitmap_graphics && family && glyphs && glyph_copy && pen && brush;
    if (band) {
        gdip::GdipSetClipPath(bitmap_graphics.get(), glyph_copy.get(), CombineModeExclude);
        gdip::GdipFillPath(bitmap_graphics.get(), brush.get(), glyphs.get());
    }

    UniqueGraphics surface_graphics;
    if (band) {
        gdip::GdipCreateFromHDC(dc, surface_graphics.put());
    }
    if (surface_graphics) {
        gdip::GdipSetSmoothingMode(surface_graphics.get(), SmoothingModeAntiAlias);
        gdip::GdipSetPageUnit(surface_graphics.get(), UnitPoint);
        gdip::GdipSetInterpolationMode(surface_graphics.get(), InterpolationModeHighQualityBicubic);
        gdip::GdipDrawImageI(surface_graphics.get(), bitmap.get(), 0, 0);
    }

    surface_graphics.reset();
    pen.reset();
    brush.reset();
    glyphs.reset();
    glyph_copy.reset();
    bitmap_graphics.reset();
    bitmap.reset();
    family.reset();
}

} // namespace scrivlet
