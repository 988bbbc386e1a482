// The value-list rules of the settings file, case by case: how a field ends,
// what reads as a true flag, how much of a number counts, what a short list
// gets, and the one form every list is written in.

#include "settings/value_list.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {
namespace {

using namespace std::string_view_literals;

constexpr FieldKind F = FieldKind::flag;
constexpr FieldKind N = FieldKind::number;

// The list shapes of the section's keys, with each position's missing value.
const std::vector<ListPosition> font_settings = {{F, 0}, {F, 0}, {N, 16}, {N, 0},
                                                 {N, 0}, {N, 0}, {N, 30}, {F, 1}};
const std::vector<ListPosition> font_color = {{N, 255}, {N, 255}, {N, 255}, {N, 255}};
const std::vector<ListPosition> border_settings = {{F, 0}, {N, 1}};
const std::vector<ListPosition> border_color = {{N, 255}, {N, 0}, {N, 0}, {N, 0}};
const std::vector<ListPosition> shadow_settings = {{F, 0}, {N, 5}, {N, 5}, {N, 0}, {N, 0}};

TEST(SplitValueList, EndsEachFieldAtTheNextCommaAndStopsAtTheLimit) {
    struct Case {
        std::string_view text;
        size_t limit;
        std::vector<std::string_view> fields;
    };
    const Case cases[] = {
        {"0,1", 2, {"0", "1"}},
        {"0,1,7", 2, {"0", "1"}},
        {"5", 4, {"5"}},
        {"", 4, {""}},
        {",5", 2, {"", "5"}},
        {"1,,3", 3, {"1", "", "3"}},
        {",,", 8, {"", "", ""}},
        {"1,2,", 4, {"1", "2", ""}},
        {"1,2,", 2, {"1", "2"}},
        {"255, 255, 255, 255", 4, {"255", " 255", " 255", " 255"}},
        {"\"1,2\"", 2, {"\"1", "2\""}},
        {" a ; b ", 2, {" a ; b "}},
        {"\xE9,\xFF\x80", 3, {"\xE9", "\xFF\x80"}},
        {"1\0,2"sv, 2, {"1\0"sv, "2"}},
        {"1,2", 0, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(split_value_list(c.text, c.limit), c.fields) << c.text << " / " << c.limit;
    }
}

TEST(ReadFlag, IsFalseOnlyWhenTheFieldStartsWithZero) {
    struct Case {
        std::string_view field;
        bool value;
    };
    const Case cases[] = {
        {"0", false},     {"00", false}, {"0x", false}, {"0 ", false},  {"01", false},
        {"0\xFF", false}, {"1", true},   {"2", true},   {"x", true},    {"", true},
        {" 0", true},     {"-0", true},  {"+0", true},  {"\xFF", true}, {"\0"sv, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(read_flag(c.field), c.value) << "'" << c.field << "'";
    }
}

TEST(ReadNumber, TakesSpaceSignAndDigitsAndIgnoresTheRest) {
    struct Case {
        std::string_view field;
        int32_t value;
    };
    const Case cases[] = {
        {"0", 0},
        {"16", 16},
        {" 16", 16},
        {" -3", -3},
        {"+7", 7},
        {"-0", 0},
        {"007", 7},
        {"12abc", 12},
        {"16pt", 16},
        {"3.9", 3},
        {"0x10", 0},
        {"1 2", 1},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"+", 0},
        {"+-5", 0},
        {"-+5", 0},
        {"- 5", 0},
        {"\t\n\v\f\r 42", 42},
        {"\xA0"
         "5",
         0}, // no-break space is not white space
        {"\x85"
         "5",
         0}, // nor is NEL
        {"5\0"
         "7"sv,
         5},
        {"\xFF\xFE", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(read_number(c.field), c.value) << "'" << c.field << "'";
    }
}

TEST(ReadNumber, SaturatesBeyondThirtyTwoBits) {
    struct Case {
        std::string field;
        int32_t value;
    };
    const Case cases[] = {
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"4294967296", INT32_MAX},
        {"4294967297", INT32_MAX}, // would wrap to 1 in 32 bits
        {"99999999999999999999999999", INT32_MAX},
        {"-2147483647", -2147483647},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN},
        {"-4294967295", INT32_MIN}, // would wrap to 1 in 32 bits
        {"-99999999999999999999999999", INT32_MIN},
        {"000000000000000000000000000042", 42}, // zeros are no magnitude
        {" +2147483648x", INT32_MAX},
        {std::string(1 << 20, '9'), INT32_MAX},
        {"-" + std::string(1 << 20, '7'), INT32_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(read_number(c.field), c.value) << c.field.substr(0, 40);
    }
}

TEST(ReadValueList, SplitsConvertsAndFillsShortListsFromTheKeysDefaults) {
    struct Case {
        const char* name;
        const std::vector<ListPosition>& positions;
        std::string text;
        std::vector<int32_t> values;
    };
    const Case cases[] = {
        {"font settings, all given",
         font_settings,
         "1,1,20,1,4,2,40,0",
         {1, 1, 20, 1, 4, 2, 40, 0}},
        {"font settings, defaults", font_settings, "0,0,16,0,0,0,30,1", {0, 0, 16, 0, 0, 0, 30, 1}},
        {"flags from any byte", font_settings, "5,x,1,1,1,1,1,-1", {1, 1, 1, 1, 1, 1, 1, 1}},
        {"flag fields: space-zero, 00, empty",
         font_settings,
         " 0,00,3,3,3,3,3,",
         {1, 0, 3, 3, 3, 3, 3, 1}},
        {"number fields: space -3, +7, 12abc, abc",
         shadow_settings,
         "1, -3,+7,12abc,abc",
         {1, -3, 7, 12, 0}},
        {"third field ignored", border_settings, "0,1,7", {0, 1}},
        {"short list takes the rest from the defaults",
         font_settings,
         "1,1",
         {1, 1, 16, 0, 0, 0, 30, 1}},
        {"one field", border_color, "128", {128, 0, 0, 0}},
        {"empty value: one empty field", font_settings, "", {1, 0, 16, 0, 0, 0, 30, 1}},
        {"empty colour value", font_color, "", {0, 255, 255, 255}},
        {"empty fields are present, not missing", shadow_settings, "1,,,-3", {1, 0, 0, -3, 0}},
        {"stray commas", font_settings, ",,,,,,,,,,,,,,", {1, 1, 0, 0, 0, 0, 0, 1}},
        {"trailing comma gives an empty last field", border_settings, "0,", {0, 0}},
        {"spaced colour list", font_color, "255, 255, 255, 255", {255, 255, 255, 255}},
        {"longer than a colour channel", font_color, "1000,-1,256,65535", {1000, -1, 256, 65535}},
        {"saturated numbers",
         shadow_settings,
         "1,99999999999,-99999999999,2147483648,-2147483649",
         {1, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN}},
        {"non-ASCII bytes",
         border_color,
         "\xE9,\xFF"
         "12,\x80\x81,7\xC3\xA9",
         {0, 0, 0, 7}},
        {"megabyte tail", border_color, "1,2,3," + std::string(1 << 20, '4'), {1, 2, 3, INT32_MAX}},
        {"megabyte field before the rest",
         border_color,
         std::string(1 << 20, ' ') + "9,8",
         {9, 8, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(read_value_list(c.text, c.positions), c.values) << c.name;
    }
}

TEST(WriteNumber, SignOnlyForNegativesAndNoLeadingZeros) {
    struct Case {
        int32_t value;
        const char* text;
    };
    const Case cases[] = {
        {0, "0"},
        {7, "7"},
        {-3, "-3"},
        {30, "30"},
        {1000000, "1000000"},
        {INT32_MAX, "2147483647"},
        {INT32_MIN, "-2147483648"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(write_number(c.value), c.text) << c.value;
    }
}

TEST(WriteValueList, JoinsEveryPositionWithSingleCommas) {
    struct Case {
        const char* name;
        const std::vector<ListPosition>& positions;
        std::vector<int32_t> values;
        const char* text;
    };
    const Case cases[] = {
        {"missing-key defaults", font_settings, {0, 0, 16, 0, 0, 0, 30, 1}, "0,0,16,0,0,0,30,1"},
        {"new record", font_settings, {0, 0, 14, 0, 0, 0, 30, 1}, "0,0,14,0,0,0,30,1"},
        {"any nonzero flag is 1", font_settings, {5, 255, 1, 2, 3, 4, 5, -1}, "1,1,1,2,3,4,5,1"},
        {"negative offset", shadow_settings, {1, 5, 5, -3, 0}, "1,5,5,-3,0"},
        {"extremes", border_settings, {INT32_MIN, INT32_MIN}, "1,-2147483648"},
        {"colour", font_color, {255, 255, 255, 255}, "255,255,255,255"},
        {"no values: every position's default", border_settings, {}, "0,1"},
        {"short values: the rest from the defaults", border_color, {7}, "7,0,0,0"},
        {"extra values are not written", border_settings, {0, 2, 9}, "0,2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(write_value_list(c.positions, c.values), c.text) << c.name;
    }
}

TEST(WriteValueList, ReadsBackAsWritten) {
    const std::vector<std::vector<int32_t>> lists = {
        {0, 0, 16, 0, 0, 0, 30, 1},
        {1, 1, INT32_MAX, INT32_MIN, -1, 0, -30, 0},
        {1, 0, -2147483647, 2147483647, 8, 10, 1, 1},
    };
    for (const std::vector<int32_t>& values : lists) {
        const std::string text = write_value_list(font_settings, values);
        EXPECT_EQ(read_value_list(text, font_settings), values) << text;
    }
}

} // namespace
} // namespace scrivlet
