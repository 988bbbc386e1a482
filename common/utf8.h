#pragma once
// UTF-8 as the tools read and write it: the one decoder of its sequences and
// the one encoder, which the arguments as the system hands them over (UTF-16)
// are converted with too.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet {

// The length and code point of the well-formed UTF-8 sequence at `at` (not
// overlong, no surrogate, at most U+10FFFF); length 0 when there is none.
struct Utf8Sequence {
    size_t length = 0;
    uint32_t point = 0;
};
Utf8Sequence utf8_sequence(std::string_view bytes, size_t at);

// Appends the code point's UTF-8 sequence.
void append_utf8(std::string& text, uint32_t point);

// An argument as the system hands it over (UTF-16) in UTF-8, which holds every
// character of it; a surrogate without its pair becomes U+FFFD.
std::string utf8_from_utf16(std::u16string_view text);

} // namespace scrivlet
