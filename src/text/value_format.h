#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet {

// True for a non-empty text of digits with at most one "." or "," and at
// most one "-" anywhere.
bool is_numeric_value(std::string_view text);

// A numeric meter value rounded to `decimals` places and written with a
// decimal comma; any other text comes back unchanged. The leading number is
// read to the nearest double, rounded half up to 17 significant digits and
// that again half up to the decimals. Negative decimals count as none, and
// the decimals are lowered where integer and fraction digits together would
// pass 347. A number too large for a double comes back unchanged.
std::string format_meter_value(std::string_view meter_value, int32_t decimals);

} // namespace scrivlet
