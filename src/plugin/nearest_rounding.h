#pragma once
// The meter's value is read as the nearest double whatever the host's thread
// left in its floating-point control words: a host may run with SSE or x87
// rounding directed (some hosts need it for their graphics library) or with
// the x87 at single precision (as Direct3D leaves it), and the same text must
// always show the same digits. The caller's control words are back exactly as
// they were before anything else runs, so the drawing that follows runs
// under the caller's own. x86 only, as the DLL is.

#include <cstdint>

namespace scrivlet {

class NearestRounding {
public:
    NearestRounding() {
        __asm__ volatile("stmxcsr %0" : "=m"(saved_mxcsr_));
        __asm__ volatile("fnstcw %0" : "=m"(saved_x87_));
        std::uint32_t mxcsr = saved_mxcsr_ & ~mxcsr_rounding;
        std::uint16_t x87 = saved_x87_ & ~x87_rounding;
        if ((x87 & x87_precision) == x87_single) {
            x87 |= x87_double;
        }
        __asm__ volatile("ldmxcsr %0" : : "m"(mxcsr));
        __asm__ volatile("fldcw %0" : : "m"(x87));
    }
    NearestRounding(const NearestRounding&) = delete;
    NearestRounding& operator=(const NearestRounding&) = delete;
    ~NearestRounding() {
        __asm__ volatile("fldcw %0" : : "m"(saved_x87_));
        __asm__ volatile("ldmxcsr %0" : : "m"(saved_mxcsr_));
    }

private:
    static constexpr std::uint32_t mxcsr_rounding = 0x6000; // 00: to nearest
    static constexpr std::uint16_t x87_rounding = 0x0C00;   // 00: to nearest
    static constexpr std::uint16_t x87_precision = 0x0300;
    static constexpr std::uint16_t x87_single = 0x0000;
    static constexpr std::uint16_t x87_double = 0x0200;
    std::uint32_t saved_mxcsr_ = 0;
    std::uint16_t saved_x87_ = 0;
};

} // namespace scrivlet
