#pragma once
// Wine 8.0's 64-bit GDI+ has a fault its 32-bit build does not: flattening
// the glyph paths of most bordered texts (GdipWidenPath at a fine flatness)
// recurses without end under the default SSE rounding, and the thread that
// called into it ends without returning. With the thread's SSE rounding
// directed toward zero it does not happen. Whatever runs the plug-in on real
// GDI+ in the 64-bit build holds this around the plug-in's calls; the plug-in
// itself never touches its caller's floating-point state. The 32-bit build
// (x87 and SSE as the host leaves them) is left alone.

#include <cstdint>

namespace scrivlet::win {

class Wine64Rounding {
public:
    Wine64Rounding();
    Wine64Rounding(const Wine64Rounding&) = delete;
    Wine64Rounding& operator=(const Wine64Rounding&) = delete;
    ~Wine64Rounding();

private:
    std::uint32_t saved_ = 0;
};

} // namespace scrivlet::win
