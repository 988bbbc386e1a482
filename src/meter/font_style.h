#pragma once
// The bits of font_style (the graphics library's font style values) and the
// LOGFONTA weights of a bold and a plain face: the settings file turns the
// bits into the weight, the dialog's OK the weight back into the bits.
// Portable, since the dialog's rules read them too.

#include <cstdint>

namespace scrivlet {

inline constexpr int32_t style_bold = 1;
inline constexpr int32_t style_italic = 2;
inline constexpr int32_t style_underline = 4;
inline constexpr int32_t style_strikeout = 8;

inline constexpr int32_t bold_weight = 700;
inline constexpr int32_t plain_weight = 400;

} // namespace scrivlet
