#pragma once
// A 32-bit top-down DIB section selected into a memory DC: the surface a
// host hands to repaint, with its bytes (B, G, R, A per pixel) readable.

#include "common/win/handles.h"

#include <windows.h>

#include <cstdint>
#include <stdexcept>

namespace scrivlet::win {

// "cannot make a WxH surface (N MiB)"
class SurfaceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class DibSurface {
public:
    // Throws SurfaceError when the system cannot make it.
    DibSurface(uint32_t width, uint32_t height);

    HDC dc() const { return dc_.get(); }
    uint32_t width() const { return width_; }
    uint32_t height() const { return height_; }
    // After GdiFlush, so that GDI's batched drawing has landed.
    const uint8_t* pixels() const;
    uint8_t* pixels();

private:
    uint32_t width_;
    uint32_t height_;
    // Released in the reverse order: the bitmap is selected out first.
    UniqueMemoryDc dc_;
    uint8_t* bits_ = nullptr;
    UniqueBitmap bitmap_;
    SelectionGuard selection_;
};

} // namespace scrivlet::win
