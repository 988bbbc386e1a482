// What the settings dialog makes of typed text: the range rules of OK, the
// font label, the style bits and the picker's colour. Its numbers are read
// as a settings file's are (ReadNumber, value_list_test.cpp).

#include "dialog/dialog_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace scrivlet {
namespace {

TEST(DialogNumber, RulesOfOk) {
    struct Case {
        NumberRule rule;
        int32_t in;
        int32_t out;
        bool warn;
    };
    constexpr int32_t lowest = std::numeric_limits<int32_t>::min();
    constexpr int32_t highest = std::numeric_limits<int32_t>::max();
    const Case cases[] = {
        {NumberRule::as_read, -10, -10, false},   {NumberRule::as_read, 0, 0, false},
        {NumberRule::as_read, 999, 999, false},   {NumberRule::channel, -5, 0, false},
        {NumberRule::channel, lowest, 0, false},  {NumberRule::channel, 0, 0, false},
        {NumberRule::channel, 255, 255, false},   {NumberRule::channel, 256, 255, false},
        {NumberRule::channel, 999, 255, false},   {NumberRule::at_most_ten, 10, 10, false},
        {NumberRule::at_most_ten, 11, 10, true},  {NumberRule::at_most_ten, highest, 10, true},
        {NumberRule::at_most_ten, -3, -3, false}, // no lower bound
        {NumberRule::at_most_ten, 0, 0, false},   {NumberRule::zero_is_one, 0, 1, false},
        {NumberRule::zero_is_one, 1, 1, false},   {NumberRule::zero_is_one, -4, -4, false},
        {NumberRule::zero_is_one, 37, 37, false},
    };
    for (const Case& c : cases) {
        const RuledNumber ruled = apply_number_rule(c.rule, c.in);
        EXPECT_EQ(ruled.value, c.out) << static_cast<int>(c.rule) << " " << c.in;
        EXPECT_EQ(ruled.warn, c.warn) << static_cast<int>(c.rule) << " " << c.in;
    }
}

TEST(DialogNumber, OkRuleOfEachNumberField) {
    struct Case {
        const char* name;
        int32_t MeterRecord::*field;
        const NumberRule* rule; // null: no number edit holds the field
    };
    constexpr NumberRule as_read = NumberRule::as_read;
    constexpr NumberRule channel = NumberRule::channel;
    constexpr NumberRule at_most_ten = NumberRule::at_most_ten;
    constexpr NumberRule zero_is_one = NumberRule::zero_is_one;
    const Case cases[] = {
        {"border_width", &MeterRecord::border_width, &as_read},
        {"font_alpha", &MeterRecord::font_alpha, &channel},
        {"shadow_alpha", &MeterRecord::shadow_alpha, &channel},
        {"border_alpha", &MeterRecord::border_alpha, &channel},
        {"decimals", &MeterRecord::decimals, &at_most_ten},
        {"tab_width", &MeterRecord::tab_width, &zero_is_one},
        {"shadow_offset_x", &MeterRecord::shadow_offset_x, &as_read},
        {"shadow_offset_y", &MeterRecord::shadow_offset_y, &as_read},
        {"shadow_softness", &MeterRecord::shadow_softness, &zero_is_one},
        {"shadow_size", &MeterRecord::shadow_size, &as_read},
        {"font_size", &MeterRecord::font_size, nullptr},
        {"alignment", &MeterRecord::alignment, nullptr},
        {"font_red", &MeterRecord::font_red, nullptr},
        {"no field", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const FieldRule* found = ok_number_rule(c.field);
        if (c.rule == nullptr) {
            EXPECT_EQ(found, nullptr) << c.name;
        } else {
            ASSERT_NE(found, nullptr) << c.name;
            EXPECT_EQ(found->rule, *c.rule) << c.name;
        }
    }
}

TEST(DialogFontLabel, FaceCommaSizePt) {
    EXPECT_EQ(font_label("Arial", 14), "Arial, 14pt");
    EXPECT_EQ(font_label("Liberation Serif", 10), "Liberation Serif, 10pt");
    EXPECT_EQ(font_label("", -3), ", -3pt");
}

TEST(DialogFontStyle, RecomputedFromWeightItalicAndBoxes) {
    struct Case {
        bool italic;
        int32_t weight;
        bool underline, strikeout;
        int32_t style;
    };
    const Case cases[] = {
        {false, 400, false, false, 0}, {false, 700, false, false, 1}, {true, 400, false, false, 2},
        {true, 700, false, false, 3},  {false, 400, true, false, 4},  {false, 400, false, true, 8},
        {true, 700, true, true, 15},   {false, 600, false, false, 0}, {false, 800, false, false, 0},
        {true, 800, true, false, 6},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(font_style_at_ok(c.italic, c.weight, c.underline, c.strikeout), c.style)
            << c.italic << " " << c.weight << " " << c.underline << " " << c.strikeout;
    }
}

TEST(DialogFontSize, TenthsTruncateTowardZero) {
    const std::pair<int32_t, int32_t> cases[] = {{105, 10}, {100, 10}, {99, 9},  {0, 0},
                                                 {-15, -1}, {80, 8},   {720, 72}};
    for (const auto& [tenths, points] : cases) {
        EXPECT_EQ(font_size_from_tenths(tenths), points) << tenths;
    }
}

TEST(DialogColour, PacksLowBytesAsBgrAndBack) {
    EXPECT_EQ(pack_colorref(0x12, 0x34, 0x56), 0x00563412u);
    EXPECT_EQ(pack_colorref(255, 255, 255), 0x00FFFFFFu);
    // Only the low 8 bits of each channel count.
    EXPECT_EQ(pack_colorref(0x1FF, -1, 256), 0x0000FFFFu);
    EXPECT_EQ(unpack_colorref(0x00563412u), (Rgb{0x12, 0x34, 0x56}));
    EXPECT_EQ(unpack_colorref(0xFF000080u), (Rgb{0x80, 0, 0}));
}

} // namespace
} // namespace scrivlet
