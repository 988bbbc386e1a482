#include "text/value_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

namespace scrivlet {

namespace {

// Digits kept of the parsed value before it is rounded to the decimals.
constexpr int significant_digits = 17;
// Longest run of digits (integer and fraction together) a value text holds;
// the largest double has 309 integer digits, the smallest one's 17th digit
// lies 340 places after the point, so this still shows every double whole.
constexpr int32_t max_written_digits = 347;
// A comma-separated number is copied to swap in the period; shorter ones
// stay on the stack.
constexpr size_t stack_copy_size = 64;

constexpr char decimal_comma = ',';

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool is_separator(char c) {
    return c == '.' || c == ',';
}

// The leading "-digits.digits" part of a numeric text, either digit run
// possibly empty.
struct LeadingNumber {
    size_t length = 0;
    size_t separator = std::string_view::npos;
    bool has_digit = false;
    bool integer_part_nonzero = false;
};

LeadingNumber find_leading_number(std::string_view text) {
    LeadingNumber number;
    size_t i = 0;
    if (i < text.size() && text[i] == '-') {
        ++i;
    }
    for (; i < text.size() && is_digit(text[i]); ++i) {
        number.has_digit = true;
        number.integer_part_nonzero = number.integer_part_nonzero || text[i] != '0';
    }
    if (i < text.size() && is_separator(text[i])) {
        number.separator = i++;
        for (; i < text.size() && is_digit(text[i]); ++i) {
            number.has_digit = true;
        }
    }
    number.length = i;
    return number;
}

// The nearest double of a leading number written with a period; false when
// its magnitude lies beyond the double range.
bool parse_period_number(const char* first, const char* last, bool integer_part_nonzero,
                         double& value) {
    const std::from_chars_result result =
        std::from_chars(first, last, value, std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small for a subnormal: its nearest double is zero.
        value = 0.0;
        return !integer_part_nonzero;
    }
    if (result.ec != std::errc()) {
        value = 0.0;
    }
    return true;
}

bool parse_leading_number(std::string_view text, const LeadingNumber& number, double& value) {
    if (!number.has_digit) {
        value = 0.0;
        return true;
    }
    const std::string_view form = text.substr(0, number.length);
    if (number.separator == std::string_view::npos || form[number.separator] == '.') {
        return parse_period_number(form.data(), form.data() + form.size(),
                                   number.integer_part_nonzero, value);
    }
    // The parser knows only the period as decimal point.
    auto parse_copy = [&](char* copy) {
        std::copy(form.begin(), form.end(), copy);
        copy[number.separator] = '.';
        return parse_period_number(copy, copy + form.size(), number.integer_part_nonzero, value);
    };
    if (form.size() <= stack_copy_size) {
        std::array<char, stack_copy_size> copy;
        return parse_copy(copy.data());
    }
    std::string copy(form.size(), '\0');
    return parse_copy(copy.data());
}

// |x| rounded half up to 17 significant digits: value = d0.d1...d16 * 10^exponent.
struct SignificantForm {
    std::array<char, significant_digits> digits{};
    int exponent = 0;
};

// Adds one at the last digit, carrying; a carry out of the first digit makes
// the form 1000... one power of ten higher.
void round_up_last_digit(SignificantForm& form) {
    for (int i = significant_digits - 1; i >= 0; --i) {
        if (form.digits[static_cast<size_t>(i)] != '9') {
            ++form.digits[static_cast<size_t>(i)];
            return;
        }
        form.digits[static_cast<size_t>(i)] = '0';
    }
    form.digits[0] = '1';
    ++form.exponent;
}

// Writes `magnitude` in scientific notation with `precision` fraction
// digits (exact, correctly rounded, ties to even); returns the exponent and
// leaves the digits without the point in `digits`.
int scientific_digits(double magnitude, int precision, char* digits) {
    std::array<char, 40> buffer;
    const std::to_chars_result written =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                      std::chars_format::scientific, precision);
    // "d.ddd...e+XX" / "d.ddd...e-XXX"
    digits[0] = buffer[0];
    std::copy(buffer.data() + 2, buffer.data() + 2 + precision, digits + 1);
    const char* exponent_text = buffer.data() + 2 + precision + 1;
    if (*exponent_text == '+') {
        ++exponent_text;
    }
    int exponent = 0;
    std::from_chars(exponent_text, written.ptr, exponent);
    return exponent;
}

// Whether `magnitude` is exactly halfway between two 17-digit forms, i.e.
// its decimal expansion ends with a 5 at the 18th significant digit, which
// lies at 10^position. Such a value is odd * 2^position, and only a
// negative position can hold one (doubles that large are even integers).
bool is_exact_tie(double magnitude, int position) {
    if (position >= 0) {
        return false;
    }
    // Scaling by a power of two is exact.
    const double scaled = std::ldexp(magnitude, -position);
    return std::fmod(scaled, 2.0) == 1.0;
}

SignificantForm significant_form(double magnitude) {
    SignificantForm form;
    form.exponent = scientific_digits(magnitude, significant_digits - 1, form.digits.data());
    // The conversion rounds exact ties to even, where ties go up here. A
    // tie never carries into a new power of ten when rounded down, so the
    // exponent above locates the 18th digit whenever that matters.
    if (is_exact_tie(magnitude, form.exponent - significant_digits)) {
        std::array<char, significant_digits + 1> exact;
        form.exponent = scientific_digits(magnitude, significant_digits, exact.data());
        std::copy(exact.begin(), exact.begin() + significant_digits, form.digits.begin());
        round_up_last_digit(form);
    }
    return form;
}

// N = the significant form times 10^decimals, rounded half up to an integer:
// `head` digits (no leading zero; none for N = 0) followed by `zeros` zeros.
struct ScaledInteger {
    std::array<char, significant_digits + 1> head{};
    int head_length = 0;
    int64_t zeros = 0;

    int64_t length() const { return head_length + zeros; }
};

ScaledInteger round_to_decimals(const SignificantForm& form, int32_t decimals) {
    ScaledInteger n;
    // Digits of the form that land before the point once it moves.
    const int64_t kept = static_cast<int64_t>(form.exponent) + 1 + static_cast<int64_t>(decimals);
    if (kept >= significant_digits) {
        std::copy(form.digits.begin(), form.digits.end(), n.head.begin());
        n.head_length = significant_digits;
        n.zeros = kept - significant_digits;
        return n;
    }
    if (kept < 0) {
        return n;
    }
    const int keep = static_cast<int>(kept);
    const bool round_up = form.digits[static_cast<size_t>(keep)] >= '5';
    // One place in front for a carry out of the first digit.
    n.head[0] = '0';
    std::copy(form.digits.begin(), form.digits.begin() + keep, n.head.begin() + 1);
    if (round_up) {
        int i = keep;
        while (n.head[static_cast<size_t>(i)] == '9') {
            n.head[static_cast<size_t>(i--)] = '0';
        }
        ++n.head[static_cast<size_t>(i)];
    }
    const int skip = n.head[0] == '0' ? 1 : 0;
    n.head_length = keep + 1 - skip;
    std::copy(n.head.begin() + skip, n.head.begin() + keep + 1, n.head.begin());
    return n;
}

std::string format_number(double value, int32_t decimals) {
    const bool negative = value < 0.0;
    int32_t places = std::max<int32_t>(decimals, 0);
    ScaledInteger n;
    if (value != 0.0) {
        const SignificantForm form = significant_form(std::fabs(value));
        const int32_t integer_digits = std::max(1, form.exponent + 1);
        places = std::min(places, max_written_digits - integer_digits);
        n = round_to_decimals(form, places);
    } else {
        places = std::min(places, max_written_digits - 1);
    }

    const int64_t digit_count = std::max<int64_t>(n.length(), static_cast<int64_t>(places) + 1);
    const size_t length =
        static_cast<size_t>(digit_count) + (negative ? 1u : 0u) + (places > 0 ? 1u : 0u);
    std::string text(length, '0');
    size_t out = 0;
    if (negative) {
        text[out++] = '-';
    }
    const int64_t comma_after = places > 0 ? digit_count - places : -1;
    const int64_t head_begin = digit_count - n.length();
    for (int64_t i = 0; i < digit_count; ++i) {
        if (i == comma_after) {
            text[out++] = decimal_comma;
        }
        const int64_t in_head = i - head_begin;
        if (in_head >= 0 && in_head < n.head_length) {
            text[out] = n.head[static_cast<size_t>(in_head)];
        }
        ++out;
    }
    return text;
}

} // namespace

bool is_numeric_value(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    int separators = 0;
    int minuses = 0;
    for (const char c : text) {
        if (is_digit(c)) {
            continue;
        }
        if (is_separator(c)) {
            ++separators;
        } else if (c == '-') {
            ++minuses;
        } else {
            return false;
        }
        if (separators > 1 || minuses > 1) {
            return false;
        }
    }
    return true;
}

std::string format_meter_value(std::string_view meter_value, int32_t decimals) {
    if (!is_numeric_value(meter_value)) {
        return std::string(meter_value);
    }
    const LeadingNumber number = find_leading_number(meter_value);
    double value = 0.0;
    if (!parse_leading_number(meter_value, number, value)) {
        return std::string(meter_value);
    }
    return format_number(value, decimals);
}

} // namespace scrivlet
