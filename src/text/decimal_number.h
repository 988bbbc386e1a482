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

// What read_number makes of a text, beyond its value: for the tools that
// tell a theme author where a field does not read as it looks.
struct NumberScan {
    int32_t value = 0;
    bool digits = false;    // there are digits where read_number looks for them
    bool saturated = false; // their value does not fit 32 bits
    bool trailing = false;  // something follows the digits (or stands in for them)
};
NumberScan scan_number(std::string_view text);

} // namespace scrivlet
