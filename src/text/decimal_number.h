#pragma once
// The one way a typed or stored integer is read: a settings file's value
// lists and the settings dialog's edits follow the same rule.

#include <cstdint>
#include <string_view>

namespace scrivlet {

// Leading white space (the C locale's), one optional sign, then decimal
// digits up to the first non-digit; no digits gives 0. Beyond 32 bits it
// saturates, so "99999999999" stays the largest value instead of wrapping
// round to some other one.
int32_t read_number(std::string_view text);

} // namespace scrivlet
