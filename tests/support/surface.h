#pragma once
// A 32-bit top-down DIB section selected into a memory DC: the kind of
// surface a host hands to repaint, with its pixels readable.

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
    Surface(int width, int height);
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    ~Surface();

    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    Pixel at(int x, int y) const;
    void fill(Pixel pixel);
    // Pixels with any alpha, within the given box (inclusive-exclusive).
    int covered(int left, int top, int right, int bottom) const;
    int covered() const { return covered(0, 0, width_, height_); }
    bool same_pixels(const Surface& other) const;

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    Pixel* pixels_ = nullptr;
};

} // namespace scrivlet::test
