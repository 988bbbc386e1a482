#pragma once
// The settings dialog's rules for turning what a user typed into settings,
// kept apart from its window so they can be checked on their own.

#include "meter/meter_record.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet {

// What OK does with a number read from an edit.
enum class NumberRule {
    as_read,     // stored unchanged
    channel,     // a colour channel: clamped to 0..255
    at_most_ten, // decimals: above 10 becomes 10 and the user is warned
    zero_is_one, // a divisor or a step: 0 becomes 1
};

struct RuledNumber {
    int32_t value = 0;
    bool warn = false; // the user is told that the value was lowered
};

inline constexpr int32_t max_channel = 255;
inline constexpr int32_t max_decimals = 10;

// How many characters of typed template text OK reads from its box.
inline constexpr int template_read_chars = 255;

RuledNumber apply_number_rule(NumberRule rule, int32_t value);

// The rule OK applies to the field behind each number edit. The dialog takes
// each edit's rule from here; the host's check reads it to tell what OK
// would change.
struct FieldRule {
    int32_t MeterRecord::*field;
    NumberRule rule;
};

inline constexpr FieldRule ok_number_rules[] = {
    {&MeterRecord::border_width, NumberRule::as_read},
    {&MeterRecord::font_alpha, NumberRule::channel},
    {&MeterRecord::shadow_alpha, NumberRule::channel},
    {&MeterRecord::border_alpha, NumberRule::channel},
    {&MeterRecord::decimals, NumberRule::at_most_ten},
    {&MeterRecord::tab_width, NumberRule::zero_is_one},
    {&MeterRecord::shadow_offset_x, NumberRule::as_read},
    {&MeterRecord::shadow_offset_y, NumberRule::as_read},
    {&MeterRecord::shadow_softness, NumberRule::zero_is_one},
    {&MeterRecord::shadow_size, NumberRule::as_read},
};

// The row of ok_number_rules for a field; null when no edit holds it.
constexpr const FieldRule* ok_number_rule(int32_t MeterRecord::*field) {
    for (const FieldRule& row : ok_number_rules) {
        if (field != nullptr && row.field == field) {
            return &row;
        }
    }
    return nullptr;
}

// "Arial, 14pt": what the dialog shows for the chosen font.
std::string font_label(std::string_view face, int32_t size);

// The style bits recomputed at OK (1 bold, 2 italic, 4 underline,
// 8 strikeout); only weight 700 counts as bold.
int32_t font_style_at_ok(bool italic, int32_t weight, bool underline, bool strikeout);

// Font size in whole points from the picker's tenths, truncated toward zero.
int32_t font_size_from_tenths(int32_t tenths);

// The colour picker's 0x00BBGGRR form; only the low 8 bits of each channel
// are used.
uint32_t pack_colorref(int32_t red, int32_t green, int32_t blue);

struct Rgb {
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

Rgb unpack_colorref(uint32_t colorref);

} // namespace scrivlet
