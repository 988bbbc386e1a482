#pragma once
// The eight keys of a meter's section: their names, what each holds and,
// for the six value lists, which field of the meter record each position
// fills. One table for the plug-in, which reads and writes the keys, and for
// the tools that look at a settings file without loading the plug-in.

#include "settings/value_list.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace scrivlet {

// One position of a list: the record field it fills (the field's name in
// meter_fields), how it reads, and the value it takes when the key, or this
// position of it, is missing.
struct ListField {
    const char* field;
    FieldKind kind;
    int32_t missing;
};

inline constexpr ListField font_settings_fields[] = {
    {"underline", FieldKind::flag, 0},    {"strikeout", FieldKind::flag, 0},
    {"font_size", FieldKind::number, 16}, {"font_style", FieldKind::number, 0},
    {"alignment", FieldKind::number, 0},  {"decimals", FieldKind::number, 0},
    {"tab_width", FieldKind::number, 30}, {"antialias", FieldKind::flag, 1},
};
inline constexpr ListField font_color_fields[] = {
    {"font_alpha", FieldKind::number, 255},
    {"font_red", FieldKind::number, 255},
    {"font_green", FieldKind::number, 255},
    {"font_blue", FieldKind::number, 255},
};
inline constexpr ListField border_settings_fields[] = {
    {"border_enabled", FieldKind::flag, 0},
    {"border_width", FieldKind::number, 1},
};
inline constexpr ListField border_color_fields[] = {
    {"border_alpha", FieldKind::number, 255},
    {"border_red", FieldKind::number, 0},
    {"border_green", FieldKind::number, 0},
    {"border_blue", FieldKind::number, 0},
};
inline constexpr ListField shadow_color_fields[] = {
    {"shadow_alpha", FieldKind::number, 255},
    {"shadow_red", FieldKind::number, 0},
    {"shadow_green", FieldKind::number, 0},
    {"shadow_blue", FieldKind::number, 0},
};
inline constexpr ListField shadow_settings_fields[] = {
    {"shadow_enabled", FieldKind::flag, 0},    {"shadow_size", FieldKind::number, 5},
    {"shadow_softness", FieldKind::number, 5}, {"shadow_offset_x", FieldKind::number, 0},
    {"shadow_offset_y", FieldKind::number, 0},
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

// The most positions any list has.
inline constexpr size_t most_list_positions = 8;

// The face name's room in the font description (LOGFONTA), less its
// terminator: a longer face is cut to this many characters when read.
inline constexpr size_t face_name_limit = 31;

// How each position of a list reads: its kind and its missing value.
std::vector<ListPosition> list_positions(std::span<const ListField> fields);

// The text that stands for the key when the section lacks it: a list's
// missing values written out, or a text key's own default.
std::string missing_text(const SettingsKey& key);

} // namespace scrivlet
