#pragma once
// What the border and shadow passes share: the off-screen bitmap they draw
// into before the result goes onto the host's surface, and the glyph
// outlines they draw there.

#include "meter/meter_record.h"
#include "render/gdiplus_handles.h"
#include "render/layout.h"
#include "render/render_text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scrivlet {

// A transparent 32-bit ARGB bitmap carrying the device context's own
// resolution. A new bitmap would otherwise keep the library's default, which
// need not be the DC's (96 dpi against a surface at 120, 144 or 192 dpi): a
// point drawn on it would then land elsewhere on the surface, the border
// drifting off the glyphs and the shadow shrinking toward the top-left
// corner.
inline void make_pass_bitmap(HDC dc, int32_t width, int32_t height, UniqueBitmap& bitmap) {
    gdip::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, bitmap.put());
    if (!bitmap) {
        return;
    }
    const int dpi_x = GetDeviceCaps(dc, LOGPIXELSX);
    const int dpi_y = GetDeviceCaps(dc, LOGPIXELSY);
    // A DC that cannot tell (0) keeps the library's default rather than a
    // resolution the library would refuse.
    if (dpi_x > 0 && dpi_y > 0) {
        gdip::GdipBitmapSetResolution(bitmap.get(), static_cast<Gdiplus::REAL>(dpi_x),
                                      static_cast<Gdiplus::REAL>(dpi_y));
    }
}

// What a pass draws with. Any of them may be absent when the library refused
// it; each pass decides what it can still draw without.
struct PassCanvas {
    UniqueFontFamily family;
    UniqueBitmap bitmap;
    UniqueGraphics graphics; // on the bitmap
    UniquePath glyphs;
};

// The family, the bitmap of `size` and its graphics in points with
// `smoothing`, scaled by `scale` when given (the shadow is drawn small), and
// the text's outlines in a path of their own. Both passes open the same way
// so that they lay the glyphs exactly as the fill does.
inline void open_pass(HDC dc, const MeterRecord& record, std::string_view text, BitmapSize size,
                      Gdiplus::SmoothingMode smoothing, std::optional<Gdiplus::REAL> scale,
                      LayoutRect rect, Gdiplus::GpStringFormat* format, PassCanvas& canvas) {
    make_font_family(record, canvas.family.put());
    make_pass_bitmap(dc, size.width, size.height, canvas.bitmap);
    if (canvas.bitmap) {
        gdip::GdipGetImageGraphicsContext(canvas.bitmap.get(), canvas.graphics.put());
    }
    if (canvas.graphics) {
        gdip::GdipSetSmoothingMode(canvas.graphics.get(), smoothing);
        gdip::GdipSetPageUnit(canvas.graphics.get(), Gdiplus::UnitPoint);
        if (scale) {
            gdip::GdipScaleWorldTransform(canvas.graphics.get(), *scale, *scale,
                                          Gdiplus::MatrixOrderPrepend);
        }
    }
    gdip::GdipCreatePath(Gdiplus::FillModeAlternate, canvas.glyphs.put());
    add_text_outlines(canvas.glyphs.get(), text, canvas.family.get(), record, rect, format);
}

} // namespace scrivlet
