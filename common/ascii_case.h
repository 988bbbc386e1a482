#pragma once
// Comparing names as the profile functions and Windows file names do for the
// ASCII letters: without regard to case. Bytes above 0x7F compare as they are.

#include <algorithm>
#include <string_view>

namespace scrivlet {

inline char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool same_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return ascii_lower(x) == ascii_lower(y);
           });
}

} // namespace scrivlet
