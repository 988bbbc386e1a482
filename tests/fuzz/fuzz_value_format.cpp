// The numeric test and the formatter on arbitrary bytes. The first two bytes
// pick the decimals (a small count most of the time, sometimes a huge or a
// negative one); the rest is the meter value. Checked: a text that is not
// numeric comes back unchanged; a numeric one comes back as a sign, digits
// without a leading zero and, for one decimal or more, a comma before
// exactly the decimals (fewer only where 347 digits are reached), never a
// period; or unchanged when its magnitude is beyond the double range.
// Either separator gives the same number. The numeric test itself is held
// against a plain count of the allowed bytes.

#include "text/value_format.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr int32_t max_digits = 347;

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

int32_t pick_decimals(uint8_t low, uint8_t high) {
    switch (high >> 6) {
    case 0:
    case 1:
        return low % 24;
    case 2:
        return static_cast<int32_t>(((high & 0x3f) << 8) | low);
    default:
        return high == 0xff ? INT32_MIN + low : -static_cast<int32_t>(low) - 1;
    }
}

bool plainly_numeric(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789-.,") == std::string_view::npos &&
           std::count(text.begin(), text.end(), '-') <= 1 &&
           std::count(text.begin(), text.end(), '.') + std::count(text.begin(), text.end(), ',') <=
               1;
}

// (2^54 - 1) * 2^970: the least number that rounds beyond the largest double.
constexpr std::string_view overflow_threshold = "17976931348623158079372897140530341507993413271003"
                                                "782693617377898044496829276475094664901797758"
                                                "72070963302864166928879109465555478519404026306574"
                                                "886715058206819089020007083836762738548458177"
                                                "11531764475730270069855571366959622842914819860834"
                                                "936475292719074168444365510704342711559699508"
                                                "093042880177904174497792";

// Whether the leading number's magnitude reaches the threshold: decided by
// its integer part alone, since the threshold is an integer.
bool beyond_double_range(std::string_view text) {
    size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    while (i < text.size() && text[i] == '0') {
        ++i;
    }
    const size_t begin = i;
    while (i < text.size() && is_digit(text[i])) {
        ++i;
    }
    const std::string_view integer_part = text.substr(begin, i - begin);
    if (integer_part.size() != overflow_threshold.size()) {
        return integer_part.size() > overflow_threshold.size();
    }
    return integer_part >= overflow_threshold;
}

// Sign, digits without a leading zero, and for one decimal or more a comma
// before exactly the decimals: fewer only where the digit budget runs out.
bool has_number_shape(std::string_view value, std::string_view text, int32_t decimals) {
    size_t i = 0;
    if (!text.empty() && text[0] == '-') {
        // Only a value written with a leading minus can turn out negative.
        if (value.empty() || value[0] != '-') {
            return false;
        }
        i = 1;
    }
    const size_t integer_begin = i;
    while (i < text.size() && is_digit(text[i])) {
        ++i;
    }
    const int64_t integer_digits = static_cast<int64_t>(i - integer_begin);
    if (integer_digits == 0 || (integer_digits > 1 && text[integer_begin] == '0')) {
        return false;
    }
    int64_t fraction_digits = 0;
    if (i < text.size()) {
        if (text[i] != ',') {
            return false;
        }
        const size_t fraction_begin = ++i;
        while (i < text.size() && is_digit(text[i])) {
            ++i;
        }
        fraction_digits = static_cast<int64_t>(i - fraction_begin);
        if (fraction_digits == 0) {
            return false;
        }
    }
    if (i != text.size() || integer_digits + fraction_digits > max_digits) {
        return false;
    }
    const int64_t wanted = std::clamp<int64_t>(decimals, 0, max_digits);
    return fraction_digits == wanted ||
           (fraction_digits < wanted && integer_digits + fraction_digits == max_digits);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const int32_t decimals = pick_decimals(data[0], data[1]);
    const std::string_view value(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::string text = scrivlet::format_meter_value(value, decimals);

    check(scrivlet::is_numeric_value(value) == plainly_numeric(value));
    if (!scrivlet::is_numeric_value(value)) {
        check(text == value);
        return 0;
    }
    std::string with_period(value);
    std::replace(with_period.begin(), with_period.end(), ',', '.');
    const std::string period_text = scrivlet::format_meter_value(with_period, decimals);
    if (beyond_double_range(value)) {
        check(text == value);
        check(period_text == with_period);
        return 0;
    }
    check(text.find('.') == std::string::npos);
    check(has_number_shape(value, text, decimals));
    check(period_text == text);
    return 0;
}
