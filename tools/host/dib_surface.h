#pragma once
// A 32-bit top-down DIB section selected into a memory DC: the surface a
// host hands to repaint, with its bytes (B, G, R, A per pixel) readable.

#include <windows.h>

#include <cstdint>

namespace scrivlet::host {

class DibSurface {
public:
    // Throws Failure (exit_code::output) when the system cannot make it.
    DibSurface(uint32_t width, uint32_t height);
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;
    ~DibSurface();

    HDC dc() const { return dc_; }
    uint32_t width() const { return width_; }
    uint32_t height() const { return height_; }
    // After GdiFlush, so that GDI's batched drawing has landed.
    const uint8_t* pixels() const;
    uint8_t* pixels();

private:
    uint32_t width_;
    uint32_t height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    uint8_t* bits_ = nullptr;
};

} // namespace scrivlet::host
