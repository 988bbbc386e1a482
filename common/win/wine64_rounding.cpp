#include "common/win/wine64_rounding.h"

#include <xmmintrin.h>

namespace scrivlet::win {

#ifdef _WIN64

Wine64Rounding::Wine64Rounding() : saved_(_mm_getcsr()) {
    _MM_SET_ROUNDING_MODE(_MM_ROUND_TOWARD_ZERO);
}

Wine64Rounding::~Wine64Rounding() {
    _mm_setcsr(saved_);
}

#else

Wine64Rounding::Wine64Rounding() = default;
Wine64Rounding::~Wine64Rounding() = default;

#endif

} // namespace scrivlet::win
