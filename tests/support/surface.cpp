#include "support/surface.h"

#include <cstring>
#include <stdexcept>

namespace scrivlet::test {

Surface::Surface(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dc_ == nullptr || bitmap_ == nullptr) {
        throw std::runtime_error("cannot make a DIB section");
    }
    pixels_ = static_cast<Pixel*>(bits);
    previous_ = SelectObject(dc_, bitmap_);
    fill(Pixel{0x11, 0x22, 0x33, 0x44});
}

Surface::~Surface() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

Pixel Surface::at(int x, int y) const {
    GdiFlush();
    return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

void Surface::fill(Pixel pixel) {
    GdiFlush();
    for (size_t i = 0; i < static_cast<size_t>(width_) * static_cast<size_t>(height_); ++i) {
        pixels_[i] = pixel;
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
    GdiFlush();
    return width_ == other.width_ && height_ == other.height_ &&
           std::memcmp(pixels_, other.pixels_,
                       static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4) == 0;
}

} // namespace scrivlet::test
