#include "dialog/dialog_rules.h"

#include "meter/font_style.h"

namespace scrivlet {

namespace {

constexpr int32_t tenths_per_point = 10;

} // namespace

RuledNumber apply_number_rule(NumberRule rule, int32_t value) {
    switch (rule) {
    case NumberRule::as_read:
        break;
    case NumberRule::channel:
        if (value < 0) {
            return {0, false};
        }
        if (value > max_channel) {
            return {max_channel, false};
        }
        break;
    case NumberRule::at_most_ten:
        if (value > max_decimals) {
            return {max_decimals, true};
        }
        break;
    case NumberRule::zero_is_one:
        if (value == 0) {
            return {1, false};
        }
        break;
    }
    return {value, false};
}

std::string font_label(std::string_view face, int32_t size) {
    std::string label(face);
    label += ", ";
    label += std::to_string(size);
    label += "pt";
    return label;
}

int32_t font_style_at_ok(bool italic, int32_t weight, bool underline, bool strikeout) {
    int32_t style = italic ? style_italic : 0;
    if (weight == bold_weight) {
        style += style_bold;
    }
    if (underline) {
        style += style_underline;
    }
    if (strikeout) {
        style += style_strikeout;
    }
    return style;
}

int32_t font_size_from_tenths(int32_t tenths) {
    return tenths / tenths_per_point;
}

uint32_t pack_colorref(int32_t red, int32_t green, int32_t blue) {
    const auto low8 = [](int32_t channel) { return static_cast<uint32_t>(channel) & 0xFFu; };
    return low8(red) | (low8(green) << 8) | (low8(blue) << 16);
}

Rgb unpack_colorref(uint32_t colorref) {
    return {static_cast<int32_t>(colorref & 0xFFu), static_cast<int32_t>((colorref >> 8) & 0xFFu),
            static_cast<int32_t>((colorref >> 16) & 0xFFu)};
}

} // namespace scrivlet
