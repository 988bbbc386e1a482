// The one table of the section's keys: names in reading order, and the text
// each stands in with when missing, as the plug-in writes a section that
// holds only defaults.

#include "settings/settings_keys.h"
#include "support/record_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

namespace scrivlet {
namespace {

TEST(SettingsKeys, NamesAndMissingTextsInReadingOrder) {
    struct Expected {
        std::string name;
        KeyKind kind;
        std::string missing;
    };
    const std::vector<Expected> expected = {
        {"Scrivlet_FontSettings", KeyKind::list, "0,0,16,0,0,0,30,1"},
        {"Scrivlet_FontColor", KeyKind::list, "255,255,255,255"},
        {"Scrivlet_Font", KeyKind::font_face, "Arial"},
        {"Scrivlet_Text", KeyKind::text_template, "%v"},
        {"Scrivlet_BorderSettings", KeyKind::list, "0,1"},
        {"Scrivlet_BorderColor", KeyKind::list, "255,0,0,0"},
        {"Scrivlet_ShadowColor", KeyKind::list, "255,0,0,0"},
        {"Scrivlet_ShadowSettings", KeyKind::list, "0,5,5,0,0"},
    };
    ASSERT_EQ(settings_keys.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(settings_keys[k].name, expected[k].name) << k;
        EXPECT_EQ(settings_keys[k].kind, expected[k].kind) << k;
        EXPECT_EQ(missing_text(settings_keys[k]), expected[k].missing) << k;
    }
}

TEST(SettingsKeys, ListPositionsNameTheirFieldsInListOrder) {
    auto names = [](std::span<const ListField> fields) {
        std::vector<std::string> found;
        for (const ListField& field : fields) {
            found.emplace_back(field.name);
        }
        return found;
    };
    EXPECT_EQ(names(settings_keys[0].fields),
              (std::vector<std::string>{"underline", "strikeout", "font_size", "font_style",
                                        "alignment", "decimals", "tab_width", "antialias"}));
    EXPECT_EQ(names(settings_keys[1].fields),
              (std::vector<std::string>{"font_alpha", "font_red", "font_green", "font_blue"}));
    EXPECT_EQ(names(settings_keys[4].fields),
              (std::vector<std::string>{"border_enabled", "border_width"}));
    EXPECT_EQ(
        names(settings_keys[5].fields),
        (std::vector<std::string>{"border_alpha", "border_red", "border_green", "border_blue"}));
    EXPECT_EQ(
        names(settings_keys[6].fields),
        (std::vector<std::string>{"shadow_alpha", "shadow_red", "shadow_green", "shadow_blue"}));
    EXPECT_EQ(names(settings_keys[7].fields),
              (std::vector<std::string>{"shadow_enabled", "shadow_size", "shadow_softness",
                                        "shadow_offset_x", "shadow_offset_y"}));
    EXPECT_TRUE(settings_keys[2].fields.empty());
    EXPECT_TRUE(settings_keys[3].fields.empty());
}

// The name a position gives in messages is that of the field it fills, and
// a flag fills a byte, a number an int32.
TEST(SettingsKeys, ListPositionsFillTheFieldTheyName) {
    size_t positions = 0;
    for (const SettingsKey& key : settings_keys) {
        for (const ListField& position : key.fields) {
            ++positions;
            std::vector<std::string> filled;
            test::for_each_meter_field([&](const auto& field) {
                if constexpr (std::is_same_v<decltype(field.member), uint8_t MeterRecord::*>) {
                    if (position.kind == FieldKind::flag && position.flag == field.member) {
                        filled.emplace_back(field.name);
                    }
                } else if constexpr (std::is_same_v<decltype(field.member),
                                                    int32_t MeterRecord::*>) {
                    if (position.kind == FieldKind::number && position.number == field.member) {
                        filled.emplace_back(field.name);
                    }
                }
            });
            EXPECT_EQ(filled, std::vector<std::string>{position.name}) << key.name;
        }
    }
    EXPECT_EQ(positions, 27u);
}

} // namespace
} // namespace scrivlet
