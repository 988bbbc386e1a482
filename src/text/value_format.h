#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet {

// True for a non-empty text of digits with at most one "." or "," and at
// most one "-" anywhere.
bool is_numeric_value(std::string_view text);

// A numeric meter value rounded to `decimals` places and written with a
// decimal comma; any other text comes back unchanged.
std::string format_meter_value(std::string_view meter_value, int32_t decimals);

} // namespace scrivlet
