#include "common/utf8.h"

namespace scrivlet {

Utf8Sequence utf8_sequence(std::string_view bytes, size_t at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    const size_t length = lead < 0x80                    ? 1
                          : lead >= 0xC2 && lead <= 0xDF ? 2
                          : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                         : 0;
    if (length == 0 || at + length > bytes.size()) {
        return {};
    }
    uint32_t point = length == 1 ? lead : lead & (0x7Fu >> length);
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[at + k]);
        if ((next & 0xC0) != 0x80) {
            return {};
        }
        point = point << 6 | (next & 0x3Fu);
    }
    constexpr uint32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < shortest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
        return {};
    }
    return {length, point};
}

void append_utf8(std::string& text, uint32_t point) {
    if (point < 0x80) {
        text += static_cast<char>(point);
    } else if (point < 0x800) {
        text += static_cast<char>(0xC0 | point >> 6);
        text += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        text += static_cast<char>(0xE0 | point >> 12);
        text += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | point >> 18);
        text += static_cast<char>(0x80 | (point >> 12 & 0x3F));
        text += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (point & 0x3F));
    }
}

std::string utf8_from_utf16(std::u16string_view text) {
    constexpr char32_t replacement = 0xFFFD;
    std::string utf8;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        const bool low = c >= 0xDC00 && c <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (high || low) {
            c = replacement;
        }
        append_utf8(utf8, c);
    }
    return utf8;
}

} // namespace scrivlet
