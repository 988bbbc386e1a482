#include "text/decimal_number.h"

#include <algorithm>

namespace scrivlet {

namespace {

// Tested by value: bytes above 0x7F are never space, whatever the signedness
// of char.
bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

int32_t read_number(std::string_view text) {
    return scan_number(text).value;
}

NumberScan scan_number(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && is_space(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // The magnitude stops growing one past the largest int32, which is
    // exactly the magnitude of the smallest.
    constexpr int64_t ceiling = int64_t{INT32_MAX} + 1;
    NumberScan scan;
    int64_t magnitude = 0;
    const size_t first_digit = i;
    for (; i < text.size() && is_digit(text[i]); ++i) {
        const int64_t grown = magnitude * 10 + (text[i] - '0');
        scan.saturated = scan.saturated || grown > ceiling;
        magnitude = std::min(ceiling, grown);
    }
    scan.digits = i > first_digit;
    scan.trailing = i < text.size();
    if (negative) {
        scan.value = static_cast<int32_t>(-magnitude);
    } else {
        scan.saturated = scan.saturated || magnitude > INT32_MAX;
        scan.value = static_cast<int32_t>(std::min(magnitude, int64_t{INT32_MAX}));
    }
    return scan;
}

} // namespace scrivlet
