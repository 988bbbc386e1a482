#pragma once
// The kind of surface a host hands to repaint (a 32-bit top-down DIB section
// in a memory DC), with its pixels readable one by one.

#include "common/win/dib_surface.h"

#include <windows.h>

#include <cstdint>

namespace scrivlet::test {

// One pixel as stored: premultiplied B, G, R, A.
struct Pixel {
    uint8_t blue, green, red, alpha;
    bool operator==(const Pixel&) const = default;
};

class Surface {
public:
    // Filled with one recognisable colour, so that what is not drawn shows.
    Surface(int width, int height);

    HDC dc() const { return dib_.dc(); }
    int width() const { return width_; }
    int height() const { return height_; }
    Pixel at(int x, int y) const;
    void fill(Pixel pixel);
    // Pixels with any alpha, within the given box (inclusive-exclusive).
    int covered(int left, int top, int right, int bottom) const;
    int covered() const { return covered(0, 0, width_, height_); }
    bool same_pixels(const Surface& other) const;

private:
    const Pixel* pixels() const { return reinterpret_cast<const Pixel*>(dib_.pixels()); }

    int width_;
    int height_;
    win::DibSurface dib_;
};

} // namespace scrivlet::test
