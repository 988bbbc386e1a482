#include "common/win/dib_surface.h"

#include <string>

namespace scrivlet::win {

namespace {

constexpr uint32_t bits_per_pixel = 32;

HBITMAP make_dib(HDC dc, uint32_t width, uint32_t height, uint8_t*& bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height); // negative: rows top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bits_per_pixel;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    const HBITMAP bitmap =
        dc != nullptr ? CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0) : nullptr;
    if (bitmap == nullptr || pixels == nullptr) {
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
        const uint64_t mebibytes = (uint64_t{width} * height * 4 + (1u << 20) - 1) >> 20;
        throw SurfaceError("cannot make a " + std::to_string(width) + "x" + std::to_string(height) +
                           " surface (" + std::to_string(mebibytes) + " MiB)");
    }
    bits = static_cast<uint8_t*>(pixels);
    return bitmap;
}

} // namespace

DibSurface::DibSurface(uint32_t width, uint32_t height)
    : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)),
      bitmap_(make_dib(dc_.get(), width, height, bits_)), selection_(dc_.get(), bitmap_.get()) {}

const uint8_t* DibSurface::pixels() const {
    GdiFlush();
    return bits_;
}

uint8_t* DibSurface::pixels() {
    GdiFlush();
    return bits_;
}

} // namespace scrivlet::win
