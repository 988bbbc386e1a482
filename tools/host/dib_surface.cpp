#include "dib_surface.h"

#include "failure.h"

#include <string>

namespace scrivlet::host {

DibSurface::DibSurface(uint32_t width, uint32_t height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height); // negative: rows top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(nullptr);
    if (dc_ != nullptr) {
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    }
    if (bitmap_ == nullptr || bits == nullptr) {
        if (dc_ != nullptr) {
            DeleteDC(dc_);
        }
        const uint64_t mebibytes = (uint64_t{width} * height * 4 + (1u << 20) - 1) >> 20;
        throw Failure{exit_code::output, "cannot make a " + std::to_string(width) + "x" +
                                             std::to_string(height) + " surface (" +
                                             std::to_string(mebibytes) + " MiB)"};
    }
    bits_ = static_cast<uint8_t*>(bits);
    previous_ = SelectObject(dc_, bitmap_);
}

DibSurface::~DibSurface() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

const uint8_t* DibSurface::pixels() const {
    GdiFlush();
    return bits_;
}

uint8_t* DibSurface::pixels() {
    GdiFlush();
    return bits_;
}

} // namespace scrivlet::host
