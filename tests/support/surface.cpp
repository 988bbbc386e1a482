#include "support/surface.h"

#include <cstring>

namespace scrivlet::test {

namespace {

constexpr Pixel untouched{0x11, 0x22, 0x33, 0x44};

} // namespace

Surface::Surface(int width, int height)
    : width_(width), height_(height),
      dib_(static_cast<uint32_t>(width), static_cast<uint32_t>(height)) {
    fill(untouched);
}

Pixel Surface::at(int x, int y) const {
    return pixels()[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

void Surface::fill(Pixel pixel) {
    auto* bits = reinterpret_cast<Pixel*>(dib_.pixels());
    for (size_t i = 0; i < static_cast<size_t>(width_) * static_cast<size_t>(height_); ++i) {
        bits[i] = pixel;
    }
}

int Surface::covered(int left, int top, int right, int bottom) const {
    int count = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            count += at(x, y).alpha != 0 ? 1 : 0;
        }
    }
    return count;
}

bool Surface::same_pixels(const Surface& other) const {
    return width_ == other.width_ && height_ == other.height_ &&
           std::memcmp(pixels(), other.pixels(),
                       static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4) == 0;
}

} // namespace scrivlet::test
