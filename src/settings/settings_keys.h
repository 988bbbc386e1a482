#pragma once
// The eight keys of a meter's section: their names, what each holds and,
// for the six value lists, which field of the meter record each position
// fills. One table for the plug-in, which reads and writes the keys, and for
// the tools that look at a settings file without loading the plug-in.

#include "meter/meter_record.h"
#include "settings/value_list.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace scrivlet {

// One position of a list: the record field it fills, that field's name for
// messages, and the value it takes when the key, or this position of it, is
// missing. A flag fills a byte of the record and a number an int32, so each
// position names its field through the one member pointer of its kind.
struct ListField {
    const char* name;
    FieldKind kind;
    int32_t missing;
    uint8_t MeterRecord::*flag = nullptr;
    int32_t MeterRecord::*number = nullptr;
};

constexpr ListField flag_field(const char* name, uint8_t MeterRecord::*field, int32_t missing) {
    return {name, FieldKind::flag, missing, field, nullptr};
}

constexpr ListField number_field(const char* name, int32_t MeterRecord::*field, int32_t missing) {
    return {name, FieldKind::number, missing, nullptr, field};
}

inline constexpr ListField font_settings_fields[] = {
    flag_field("underline", &MeterRecord::underline, 0),
    flag_field("strikeout", &MeterRecord::strikeout, 0),
    number_field("font_size", &MeterRecord::font_size, 16),
    number_field("font_style", &MeterRecord::font_style, 0),
    number_field("alignment", &MeterRecord::alignment, 0),
    number_field("decimals", &MeterRecord::decimals, 0),
    number_field("tab_width", &MeterRecord::tab_width, 30),
    flag_field("antialias", &MeterRecord::antialias, 1),
};
inline constexpr ListField font_color_fields[] = {
    number_field("font_alpha", &MeterRecord::font_alpha, 255),
    number_field("font_red", &MeterRecord::font_red, 255),
    number_field("font_green", &MeterRecord::font_green, 255),
    number_field("font_blue", &MeterRecord::font_blue, 255),
};
inline constexpr ListField border_settings_fields[] = {
    flag_field("border_enabled", &MeterRecord::border_enabled, 0),
    number_field("border_width", &MeterRecord::border_width, 1),
};
inline constexpr ListField border_color_fields[] = {
    number_field("border_alpha", &MeterRecord::border_alpha, 255),
    number_field("border_red", &MeterRecord::border_red, 0),
    number_field("border_green", &MeterRecord::border_green, 0),
    number_field("border_blue", &MeterRecord::border_blue, 0),
};
inline constexpr ListField shadow_color_fields[] = {
    number_field("shadow_alpha", &MeterRecord::shadow_alpha, 255),
    number_field("shadow_red", &MeterRecord::shadow_red, 0),
    number_field("shadow_green", &MeterRecord::shadow_green, 0),
    number_field("shadow_blue", &MeterRecord::shadow_blue, 0),
};
inline constexpr ListField shadow_settings_fields[] = {
    flag_field("shadow_enabled", &MeterRecord::shadow_enabled, 0),
    number_field("shadow_size", &MeterRecord::shadow_size, 5),
    number_field("shadow_softness", &MeterRecord::shadow_softness, 5),
    number_field("shadow_offset_x", &MeterRecord::shadow_offset_x, 0),
    number_field("shadow_offset_y", &MeterRecord::shadow_offset_y, 0),
};

enum class KeyKind { list, font_face, text_template };

struct SettingsKey {
    const char* name;
    KeyKind kind;
    std::span<const ListField> fields; // list keys
    const char* missing_text;          // the two text keys
};

// Every key of the section, in the order the plug-in reads them.
inline constexpr std::array<SettingsKey, 8> settings_keys = {{
    {"Scrivlet_FontSettings", KeyKind::list, font_settings_fields, nullptr},
    {"Scrivlet_FontColor", KeyKind::list, font_color_fields, nullptr},
    {"Scrivlet_Font", KeyKind::font_face, {}, "Arial"},
    {"Scrivlet_Text", KeyKind::text_template, {}, "%v"},
    {"Scrivlet_BorderSettings", KeyKind::list, border_settings_fields, nullptr},
    {"Scrivlet_BorderColor", KeyKind::list, border_color_fields, nullptr},
    {"Scrivlet_ShadowColor", KeyKind::list, shadow_color_fields, nullptr},
    {"Scrivlet_ShadowSettings", KeyKind::list, shadow_settings_fields, nullptr},
}};

// The face name's room in the font description (LOGFONTA), less its
// terminator: a longer face is cut to this many characters when read.
inline constexpr size_t face_name_limit = 31;

// How each position of a list reads: its kind and its missing value.
std::vector<ListPosition> list_positions(std::span<const ListField> fields);

// A list's values as the record holds them, in list order.
std::vector<int32_t> list_values(const MeterRecord& record, std::span<const ListField> fields);

// Stores a list's values, in list order, in the fields they belong to.
void store_list(MeterRecord& record, std::span<const ListField> fields,
                const std::vector<int32_t>& values);

// The text that stands for the key when the section lacks it: a list's
// missing values written out, or a text key's own default.
std::string missing_text(const SettingsKey& key);

} // namespace scrivlet
