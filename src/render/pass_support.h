#pragma once
// What the border and shadow passes share: the off-screen bitmap they draw
// into before the result goes onto the host's surface.

#include "render/gdiplus_handles.h"

#include <cstdint>
#include <string>

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

} // namespace scrivlet
