// The value text a meter shows for a meter value: which texts count as
// numbers, and the exact digits a number is written with. Each group holds
// one rule; the traps near double rounding have their own groups.

#include "text/value_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace scrivlet {
namespace {

struct Case {
    std::string value;
    int32_t decimals;
    std::string expected;
};

void expect_formats(const Case* begin, const Case* end) {
    for (const Case* c = begin; c != end; ++c) {
        EXPECT_EQ(format_meter_value(c->value, c->decimals), c->expected)
            << "'" << c->value << "' with " << c->decimals << " decimals";
    }
}

template <size_t N> void expect_formats(const Case (&cases)[N]) {
    expect_formats(cases, cases + N);
}

std::string zeros(size_t count) {
    return std::string(count, '0');
}

TEST(IsNumericValue, AcceptsDigitsOneSeparatorAndOneMinusAnywhere) {
    const char* const numeric[] = {
        "-",   ".",  ",",    "5,",     ",5",         "12-3",
        "007", "0",  "-0",   "12.345", "12,345",     "-.",
        ".-",  "5-", "1.-5", "-,5",    "0123456789", "99999999999999999999999999999999999999999.9",
    };
    for (const char* text : numeric) {
        EXPECT_TRUE(is_numeric_value(text)) << "'" << text << "'";
    }
}

TEST(IsNumericValue, RefusesEverythingElse) {
    const std::string not_numeric[] = {
        "",
        "1.2.3",
        "1,234.5",
        "--5",
        "+5",
        " 5",
        "5 ",
        "1e3",
        "1E3",
        "1e-400",
        "-1e",
        "..",
        ",,",
        ".,",
        "-5-",
        "idle",
        "0x10",
        "\t5",
        "5\n",
        "inf",
        "nan",
        "1 000",
        "\xb2",
        "5\xff",
        "\x80"
        "1",
        "1_0",
        "1'000",
        "12%",
        "\xe2\x88\x92"
        "5",
        std::string("5\0", 2),
        std::string("\0", 1),
    };
    for (const std::string& text : not_numeric) {
        EXPECT_FALSE(is_numeric_value(text)) << "'" << text << "'";
    }
}

TEST(FormatMeterValue, WorkedExamples) {
    const Case cases[] = {
        {"12.345", 2, "12,35"}, {"12,345", 2, "12,35"}, {"7", 3, "7,000"},  {"100", 0, "100"},
        {"-12", 2, "-12,00"},   {"2.5", 0, "3"},        {"-2.5", 0, "-3"},  {"0.125", 2, "0,13"},
        {"1.005", 2, "1,00"},   {"9.96", 1, "10,0"},    {"0.05", 1, "0,1"}, {"0.05", 3, "0,050"},
        {",5", 2, "0,50"},      {"12-3", 1, "12,0"},
    };
    expect_formats(cases);
}

TEST(FormatMeterValue, NonNumericTextComesBackByteForByte) {
    const std::string texts[] = {
        "",
        "1,234.5",
        " 5",
        "+5",
        "1e3",
        "--5",
        "1.2.3",
        "idle",
        "5 %",
        "\xe9t\xe9",
        std::string("4\0002", 3),
    };
    for (const std::string& text : texts) {
        for (const int32_t decimals : {0, 2, 10, -1, 400}) {
            EXPECT_EQ(format_meter_value(text, decimals), text)
                << "'" << text << "' with " << decimals;
        }
    }
}

TEST(FormatMeterValue, ReadsTheLeadingNumberOnly) {
    const Case cases[] = {
        {"12-3", 0, "12"},      {"1.-5", 1, "1,0"}, {"5-", 2, "5,00"},  {"-.5", 1, "-0,5"},
        {"5,", 1, "5,0"},       {"5.", 0, "5"},     {",5", 0, "1"},     {"007", 1, "7,0"},
        {"-007,50", 1, "-7,5"}, {"3.-", 0, "3"},    {".-4", 2, "0,00"}, {"0-1", 0, "0"},
    };
    expect_formats(cases);
}

TEST(FormatMeterValue, ZeroIsNeverSigned) {
    const Case cases[] = {
        {"-", 1, "0,0"},
        {".", 1, "0,0"},
        {"-.", 1, "0,0"},
        {",", 0, "0"},
        {"-0", 2, "0,00"},
        {"-0.000", 1, "0,0"},
        {"0", 0, "0"},
        {"-,", 3, "0,000"},
        {"-" + zeros(400), 0, "0"},
        // Below half the smallest subnormal the nearest double is zero.
        {"-0," + zeros(400) + "1", 2, "0,00"},
    };
    expect_formats(cases);
}

TEST(FormatMeterValue, NegativeValueRoundingToZeroKeepsItsSign) {
    const Case cases[] = {
        {"-0.4", 0, "-0"},    {"-0.001", 2, "-0,00"}, {"-0.0049", 2, "-0,00"},
        {"-0.05", 1, "-0,1"}, {"-0.5", 0, "-1"},
    };
    expect_formats(cases);
}

TEST(FormatMeterValue, BelowOneHasALeadingZeroAndExactlyTheDecimals) {
    const Case cases[] = {
        {"0.04", 0, "0"},     {"0.006", 2, "0,01"},   {"0.0001", 2, "0,00"},   {".5", 3, "0,500"},
        {"0.999", 2, "1,00"}, {"0.0005", 3, "0,001"}, {"0.00049", 3, "0,000"}, {"-0.5", 1, "-0,5"},
    };
    expect_formats(cases);
}

TEST(FormatMeterValue, CarriesAddADigit) {
    const Case cases[] = {
        {"99.96", 1, "100,0"},       {"0.96", 1, "1,0"},   {"9.5", 0, "10"},
        {"999.9999", 3, "1000,000"}, {"-99.5", 0, "-100"}, {"9999999.96", 1, "10000000,0"},
        {"0.0995", 3, "0,100"},
    };
    expect_formats(cases);
}

TEST(FormatMeterValue, DigitsPastTheSeventeenthAreZeros) {
    const Case cases[] = {
        {"12345678901234567890123", 2, "12345678901234568000000,00"},
        {"0.1", 20, "0,10000000000000001000"},
        {"0.3", 18, "0,299999999999999990"},
        {"123456789012345678", 0, "123456789012345680"},
        {"1.0000000000000002220446", 22, "1,0000000000000002000000"},
        {"-98765432109876543210.5", 1, "-98765432109876543000,0"},
    };
    expect_formats(cases);
}

// Rounding the double's exact value half to even (as fixed-point printing
// does) gives the other answer in each of these.
TEST(FormatMeterValue, RoundsTheSeventeenDigitFormNotTheExactDouble) {
    const Case cases[] = {
        // The double lies just below the literal, but its 17-digit form is
        // the literal itself, which then rounds up.
        {"1.45", 1, "1,5"},
        {"1.95", 1, "2,0"},
        {"0.105", 2, "0,11"},
        {"0.155", 2, "0,16"},
        {"0.00035", 4, "0,0004"},
        {"-1.45", 1, "-1,5"},
        {"0.995", 2, "1,00"},
        // Exactly halfway at the 18th digit: 1 + 2^-17 and 1049 / 2^20.
        {"1.00000762939453125", 16, "1,0000076293945313"},
        {"1.00000762939453125", 20, "1,00000762939453130000"},
        {"0.00100040435791015625", 19, "0,0010004043579101563"},
        {"-0.00100040435791015625", 19, "-0,0010004043579101563"},
        // Exactly halfway at the rounding place.
        {"0.125", 2, "0,13"},
        {"0.375", 2, "0,38"},
        {"2.5", 0, "3"},
        {"1.5", 0, "2"},
        {"0.5", 0, "1"},
        {"1023.5", 0, "1024"},
    };
    expect_formats(cases);
}

TEST(FormatMeterValue, SeventeenDigitFormCarriesThroughNines) {
    // The double nearest 10^98 lies below it, within half a unit of the 17th
    // digit; likewise 10^-14.
    const Case cases[] = {
        {"1" + zeros(98), 0, "1" + zeros(98)},
        {std::string(97, '9') + "8", 2, "1" + zeros(98) + "," + zeros(2)},
        {"0.00000000000001", 31, "0," + zeros(13) + "1" + zeros(17)},
        {"0.00000000000001", 16, "0,0000000000000100"},
    };
    expect_formats(cases);
}

TEST(FormatMeterValue, NegativeDecimalsWriteNone) {
    const Case cases[] = {
        {"12.5", -1, "13"},       {"-2.5", std::numeric_limits<int32_t>::min(), "-3"},
        {"-0.4", -3, "-0"},       {"-", -2, "0"},
        {"1234.4", -100, "1234"},
    };
    expect_formats(cases);
}

const std::string dbl_max_text =
    "17976931348623157081452742373170435679807056752584499659891747680315726078002853876058955"
    "86327668781715404589535143824642343213268894641827684675467035375169860499105765512820762"
    "45490090389328944075868508455133942304583236903222948165808559332123348274797826204144723"
    "168738177180919299881250404026184124858368";

TEST(FormatMeterValue, HugeAndTinyMagnitudes) {
    const Case cases[] = {
        {dbl_max_text, 0, "17976931348623157" + zeros(292)},
        {"-" + dbl_max_text, 1, "-17976931348623157" + zeros(292) + ",0"},
        // Above the largest double but still rounding down to it.
        {"17976931348623158" + zeros(292), 0, "17976931348623157" + zeros(292)},
        // The smallest subnormal, 4.94...e-324, read from a short text.
        {"0," + zeros(323) + "5", 340, "0," + zeros(323) + "49406564584124654"},
        // Just over half of it rounds up to it; half or less reads as zero.
        {"0." + zeros(323) + "25", 330, "0," + zeros(323) + "4940656"},
        {"0." + zeros(323) +
             "24703282292062327208828439643411068618252990130716238221279284"
             "1250337753635104375932649918180817996189898282347722858865463328"
             "355177969898199387398005390939063150356595155702263922908583924491",
         3, "0,000"},
        {"0." + zeros(400) + "1", 2, "0,00"},
        {"0.00000000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "0000000000000000001",
         120, "0," + zeros(102) + "99999999999999993" + zeros(1)},
    };
    expect_formats(cases);
}

TEST(FormatMeterValue, BeyondTheDoubleRangeStaysAsItCame) {
    // (2^54 - 1) * 2^970, the first value that no longer rounds to the
    // largest double.
    const std::string overflow_threshold =
        "17976931348623158079372897140530341507993413271003782693617377898044496829276475094664"
        "90179775872070963302864166928879109465555478519404026306574886715058206819089020007083"
        "83676273854845817711531764475730270069855571366959622842914819860834936475292719074168"
        "444365510704342711559699508093042880177904174497792";
    const std::string beyond[] = {
        overflow_threshold,
        "-" + overflow_threshold,
        "1" + zeros(309),
        "1" + zeros(309) + ",25",
        "-" + zeros(5) + "1" + zeros(400) + ".5",
        "9" + zeros(5000),
    };
    for (const std::string& text : beyond) {
        for (const int32_t decimals : {0, 3}) {
            EXPECT_EQ(format_meter_value(text, decimals), text) << text.substr(0, 30) << "...";
        }
    }
    // One below the threshold is the largest double.
    std::string below = overflow_threshold;
    below.back() = '1';
    EXPECT_EQ(format_meter_value(below, 0), "17976931348623157" + zeros(292));
}

TEST(FormatMeterValue, WritesAtMost347Digits) {
    const Case cases[] = {
        {"0.1", 1000, "0,10000000000000001" + zeros(346 - 17)},
        {"0.1", std::numeric_limits<int32_t>::max(), "0,10000000000000001" + zeros(346 - 17)},
        {"0", 500, "0," + zeros(346)},
        {"-0.4", 347, "-0,40000000000000002" + zeros(346 - 17)},
        {"0.1", 346, "0,10000000000000001" + zeros(346 - 17)},
        {"0.1", 345, "0,10000000000000001" + zeros(345 - 17)},
        {"12", 999, "12," + zeros(345)},
        {"-12,5", 346, "-12,5" + zeros(344)},
        {dbl_max_text, 100, "17976931348623157" + zeros(292) + "," + zeros(38)},
        {dbl_max_text, 38, "17976931348623157" + zeros(292) + "," + zeros(38)},
        {dbl_max_text, 37, "17976931348623157" + zeros(292) + "," + zeros(37)},
        {"0," + zeros(323) + "5", 400, "0," + zeros(323) + "49406564584124654" + zeros(6)},
        // The 17-digit form of 9.999...e98 carries to a 100-digit integer.
        {std::string(97, '9') + "8", 1000, "1" + zeros(98) + "," + zeros(347 - 99)},
    };
    expect_formats(cases);
}

TEST(FormatMeterValue, LongTextsReadWhole) {
    // The comma path copies the number for the parser; a long one must still
    // be read to its last digit.
    const std::string digits_99 = std::string(98, '1') + "5";
    const Case cases[] = {
        {"0," + zeros(70) + "1", 71, "0," + zeros(70) + "1"},
        {"0." + zeros(70) + "1", 71, "0," + zeros(70) + "1"},
        {"2," + zeros(200) + "1", 0, "2"},
        {"0," + std::string(100, '4') + "5", 2, "0,44"},
        {"1," + digits_99, 2, "1,11"},
        {std::string(63, '0') + ",5", 0, "1"},
        {std::string(64, '0') + ",5", 0, "1"},
        {std::string(65, '0') + ",5", 0, "1"},
    };
    expect_formats(cases);
}

} // namespace
} // namespace scrivlet
