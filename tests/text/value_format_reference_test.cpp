// A second value formatter, built for plainness rather than speed, run
// against the real one on generated meter values. It shares no code with
// it: the number is read exactly (an estimate from strtod, corrected by
// exact comparison with the midpoints to the neighbouring doubles), the
// double is expanded to all its decimal digits with big-integer arithmetic,
// and both roundings are done by hand on the digit strings.

#include "text/value_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

namespace scrivlet {
namespace {

// ---- big natural numbers, base 10^9, least significant limb first --------
// Fixed capacity, so that the many values compared cost no allocation.

constexpr uint32_t limb_base = 1000000000;
constexpr int limb_digits = 9;
// 2304 digits: room for 2^1126 times the longest generated digit string.
constexpr size_t limb_capacity = 256;

struct BigNat {
    std::array<uint32_t, limb_capacity> limbs;
    size_t size = 0;
};

void push_limb(BigNat& n, uint32_t limb) {
    if (n.size == limb_capacity) {
        throw std::length_error("number beyond the reference's capacity");
    }
    n.limbs[n.size++] = limb;
}

BigNat from_u64(uint64_t value) {
    BigNat n;
    for (; value != 0; value /= limb_base) {
        push_limb(n, static_cast<uint32_t>(value % limb_base));
    }
    return n;
}

// n = n * factor + addend, factor at most 2^31.
void multiply_add(BigNat& n, uint32_t factor, uint32_t addend) {
    uint64_t carry = addend;
    for (size_t i = 0; i < n.size; ++i) {
        const uint64_t product = static_cast<uint64_t>(n.limbs[i]) * factor + carry;
        n.limbs[i] = static_cast<uint32_t>(product % limb_base);
        carry = product / limb_base;
    }
    for (; carry != 0; carry /= limb_base) {
        push_limb(n, static_cast<uint32_t>(carry % limb_base));
    }
    while (n.size > 0 && n.limbs[n.size - 1] == 0) {
        --n.size;
    }
}

void multiply_by_power(BigNat& n, uint32_t base, uint32_t largest_power, int exponent_of_largest,
                       int64_t exponent) {
    for (; exponent >= exponent_of_largest; exponent -= exponent_of_largest) {
        multiply_add(n, largest_power, 0);
    }
    uint32_t rest = 1;
    for (; exponent > 0; --exponent) {
        rest *= base;
    }
    multiply_add(n, rest, 0);
}

void multiply_pow2(BigNat& n, int64_t exponent) {
    multiply_by_power(n, 2, 1u << 30, 30, exponent);
}

void multiply_pow5(BigNat& n, int64_t exponent) {
    multiply_by_power(n, 5, 1220703125u, 13, exponent);
}

void multiply_pow10(BigNat& n, int64_t exponent) {
    if (n.size == 0) {
        return;
    }
    const size_t shift = static_cast<size_t>(exponent / limb_digits);
    if (n.size + shift > limb_capacity) {
        throw std::length_error("number beyond the reference's capacity");
    }
    std::copy_backward(n.limbs.begin(), n.limbs.begin() + static_cast<std::ptrdiff_t>(n.size),
                       n.limbs.begin() + static_cast<std::ptrdiff_t>(n.size + shift));
    std::fill(n.limbs.begin(), n.limbs.begin() + static_cast<std::ptrdiff_t>(shift), 0u);
    n.size += shift;
    uint32_t rest = 1;
    for (int64_t i = 0; i < exponent % limb_digits; ++i) {
        rest *= 10;
    }
    multiply_add(n, rest, 0);
}

int compare(const BigNat& a, const BigNat& b) {
    if (a.size != b.size) {
        return a.size < b.size ? -1 : 1;
    }
    for (size_t i = a.size; i-- > 0;) {
        if (a.limbs[i] != b.limbs[i]) {
            return a.limbs[i] < b.limbs[i] ? -1 : 1;
        }
    }
    return 0;
}

// Nine digits at a time.
BigNat from_digits(std::string_view digits) {
    BigNat n;
    size_t i = 0;
    while (i < digits.size()) {
        const size_t chunk = std::min<size_t>(limb_digits, digits.size() - i);
        uint32_t value = 0;
        uint32_t scale = 1;
        for (size_t j = 0; j < chunk; ++j, ++i) {
            value = value * 10 + static_cast<uint32_t>(digits[i] - '0');
            scale *= 10;
        }
        multiply_add(n, scale, value);
    }
    return n;
}

std::string to_digits(const BigNat& n) {
    if (n.size == 0) {
        return "0";
    }
    std::string digits(n.size * limb_digits, '0');
    for (size_t i = 0; i < n.size; ++i) {
        uint32_t limb = n.limbs[i];
        for (size_t j = 0; j < limb_digits; ++j, limb /= 10) {
            digits[(n.size - i) * limb_digits - 1 - j] = static_cast<char>('0' + limb % 10);
        }
    }
    return digits.substr(digits.find_first_not_of('0'));
}

// ---- doubles as exact dyadic and decimal numbers --------------------------

// mantissa * 2^exponent.
struct Dyadic {
    uint64_t mantissa = 0;
    int exponent = 0;
};

Dyadic dyadic(double x) {
    if (x == 0.0) {
        return {};
    }
    int exponent = 0;
    const double fraction = std::frexp(x, &exponent);
    return {static_cast<uint64_t>(std::ldexp(fraction, 53)), exponent - 53};
}

// The double above x; above the largest double, 2^1024.
Dyadic dyadic_above(double x) {
    if (x == std::numeric_limits<double>::max()) {
        return {1, 1024};
    }
    return dyadic(std::nextafter(x, std::numeric_limits<double>::infinity()));
}

// Halfway between two neighbouring doubles.
Dyadic midpoint(Dyadic low, Dyadic high) {
    if (low.mantissa == 0) {
        return {high.mantissa, high.exponent - 1};
    }
    // Neighbours' exponents differ by one at most.
    const int common = std::min(low.exponent, high.exponent);
    const uint64_t sum =
        (low.mantissa << (low.exponent - common)) + (high.mantissa << (high.exponent - common));
    return {sum, common - 1};
}

// digits * 10^-scale, digits without leading zeros ("0" for zero).
struct ExactDecimal {
    std::string digits;
    int64_t scale = 0;
};

ExactDecimal exact_decimal(double magnitude) {
    const Dyadic d = dyadic(magnitude);
    BigNat n = from_u64(d.mantissa);
    if (d.exponent >= 0) {
        multiply_pow2(n, d.exponent);
        return {to_digits(n), 0};
    }
    // m / 2^k = m * 5^k / 10^k
    multiply_pow5(n, -d.exponent);
    return {to_digits(n), -d.exponent};
}

// Sign of (digits * 10^-scale) - (mantissa * 2^exponent).
int compare(const BigNat& digits, int64_t scale, Dyadic q) {
    BigNat left = digits;
    BigNat right = from_u64(q.mantissa);
    if (q.exponent < 0) {
        multiply_pow2(left, -q.exponent);
    } else {
        multiply_pow2(right, q.exponent);
    }
    multiply_pow10(right, scale);
    return compare(left, right);
}

bool is_odd(double x) {
    return (std::bit_cast<uint64_t>(x) & 1u) != 0;
}

// The double nearest digits * 10^-scale, ties to even; false beyond the
// largest double.
bool nearest_double(const std::string& digits, int64_t scale, const std::string& estimate_text,
                    double& value) {
    const BigNat exact = from_digits(digits);
    double candidate = std::strtod(estimate_text.c_str(), nullptr);
    if (std::isinf(candidate)) {
        candidate = std::numeric_limits<double>::max();
    }
    for (;;) {
        const int above =
            compare(exact, scale, midpoint(dyadic(candidate), dyadic_above(candidate)));
        if (above > 0 || (above == 0 && is_odd(candidate))) {
            if (candidate == std::numeric_limits<double>::max()) {
                return false;
            }
            candidate = std::nextafter(candidate, std::numeric_limits<double>::infinity());
            continue;
        }
        if (candidate > 0.0) {
            const double below = std::nextafter(candidate, 0.0);
            const int under = compare(exact, scale, midpoint(dyadic(below), dyadic(candidate)));
            if (under < 0 || (under == 0 && is_odd(candidate))) {
                candidate = below;
                continue;
            }
        }
        value = candidate;
        return true;
    }
}

// ---- the reference formatter ---------------------------------------------

std::string strip_leading_zeros(const std::string& digits) {
    const size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? "0" : digits.substr(first);
}

// Adds one to a string of decimal digits.
std::string plus_one(std::string digits) {
    for (size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return digits;
        }
        digits[i] = '0';
    }
    return "1" + digits;
}

std::string reference_format(const std::string& meter_value, int64_t decimals,
                             bool* was_numeric = nullptr) {
    const bool numeric = !meter_value.empty() &&
                         meter_value.find_first_not_of("0123456789-.,") == std::string::npos &&
                         std::count(meter_value.begin(), meter_value.end(), '-') <= 1 &&
                         std::count_if(meter_value.begin(), meter_value.end(),
                                       [](char c) { return c == '.' || c == ','; }) <= 1;
    if (was_numeric != nullptr) {
        *was_numeric = numeric;
    }
    if (!numeric) {
        return meter_value;
    }

    std::string text = meter_value;
    std::replace(text.begin(), text.end(), ',', '.');
    const size_t integer_begin = text[0] == '-' ? 1 : 0;
    size_t end = std::min(text.find_first_not_of("0123456789", integer_begin), text.size());
    const std::string integer_digits = text.substr(integer_begin, end - integer_begin);
    std::string fraction_digits;
    if (end < text.size() && text[end] == '.') {
        const size_t fraction_end =
            std::min(text.find_first_not_of("0123456789", end + 1), text.size());
        fraction_digits = text.substr(end + 1, fraction_end - end - 1);
        end = fraction_end;
    }

    double x = 0.0;
    const std::string all_digits = strip_leading_zeros(integer_digits + fraction_digits);
    if (all_digits != "0") {
        const std::string estimate =
            (integer_digits.empty() ? "0" : integer_digits) + "." + fraction_digits;
        if (!nearest_double(all_digits, static_cast<int64_t>(fraction_digits.size()), estimate,
                            x)) {
            return meter_value;
        }
        if (integer_begin == 1) {
            x = -x;
        }
    }

    // |x| to 17 significant digits, half up.
    ExactDecimal form{"0", 0};
    if (x != 0.0) {
        form = exact_decimal(std::fabs(x));
        if (form.digits.size() > 17) {
            const size_t dropped = form.digits.size() - 17;
            std::string kept = form.digits.substr(0, 17);
            if (form.digits[17] >= '5') {
                kept = plus_one(kept);
            }
            form.digits = kept + std::string(dropped, '0');
        }
    }

    const int64_t integer_count =
        std::max<int64_t>(1, static_cast<int64_t>(form.digits.size()) - form.scale);
    const int64_t d = std::min<int64_t>(std::max<int64_t>(decimals, 0), 347 - integer_count);

    // Times 10^d, then half up to an integer.
    std::string n;
    const int64_t scale = form.scale - d;
    if (scale <= 0) {
        n = form.digits + std::string(static_cast<size_t>(-scale), '0');
    } else {
        const int64_t whole = static_cast<int64_t>(form.digits.size()) - scale;
        n = whole > 0 ? form.digits.substr(0, static_cast<size_t>(whole)) : "0";
        const char first_dropped = whole >= 0 ? form.digits[static_cast<size_t>(whole)] : '0';
        if (first_dropped >= '5') {
            n = plus_one(n);
        }
    }
    n = strip_leading_zeros(n);
    if (static_cast<int64_t>(n.size()) < d + 1) {
        n.insert(0, static_cast<size_t>(d + 1) - n.size(), '0');
    }
    if (d > 0) {
        n.insert(n.size() - static_cast<size_t>(d), ",");
    }
    return (x < 0.0 ? "-" : "") + n;
}

// ---- the reference against worked figures, then against the real one -----

TEST(ReferenceFormatter, AgreesWithTheWorkedExamples) {
    struct Case {
        const char* value;
        int decimals;
        const char* expected;
    };
    const Case cases[] = {
        {"12.345", 2, "12,35"},
        {"-0.4", 0, "-0"},
        {"1.005", 2, "1,00"},
        {"0.125", 2, "0,13"},
        {"-.", 1, "0,0"},
        {"12-3", 1, "12,0"},
        {"1,234.5", 1, "1,234.5"},
        {"12345678901234567890123", 2, "12345678901234568000000,00"},
        {"0.1", 20, "0,10000000000000001000"},
        {"1.00000762939453125", 16, "1,0000076293945313"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(reference_format(c.value, c.decimals), c.expected) << c.value;
    }
}

struct Generator {
    std::mt19937_64 random{20260704};

    int64_t between(int64_t low, int64_t high) {
        return std::uniform_int_distribution<int64_t>(low, high)(random);
    }
    bool chance(int percent) { return between(1, 100) <= percent; }

    std::string digits(int64_t count, const char* alphabet = "0123456789") {
        const int64_t size = static_cast<int64_t>(std::char_traits<char>::length(alphabet));
        std::string text;
        for (int64_t i = 0; i < count; ++i) {
            text += alphabet[between(0, size - 1)];
        }
        return text;
    }

    int64_t decimals() {
        const int64_t kind = between(1, 100);
        if (kind <= 80) {
            return between(0, 20);
        }
        if (kind <= 92) {
            return between(21, 360);
        }
        if (kind <= 97) {
            return between(-30, -1);
        }
        return kind == 98 ? std::numeric_limits<int32_t>::max()
                          : std::numeric_limits<int32_t>::min();
    }

    // Writes digits * 10^-scale as a meter value: sign, either separator,
    // padding zeros and a tail past the number, all at random.
    std::string write(const ExactDecimal& number, bool negative) {
        std::string integer_part;
        std::string fraction_part;
        const int64_t length = static_cast<int64_t>(number.digits.size());
        if (number.scale >= length) {
            fraction_part =
                std::string(static_cast<size_t>(number.scale - length), '0') + number.digits;
        } else {
            integer_part = number.digits.substr(0, static_cast<size_t>(length - number.scale));
            fraction_part = number.digits.substr(static_cast<size_t>(length - number.scale));
        }
        if (integer_part.empty() && chance(70)) {
            integer_part = "0";
        }
        if (chance(10)) {
            integer_part.insert(0, static_cast<size_t>(between(1, 3)), '0');
        }
        if (chance(10)) {
            fraction_part.append(static_cast<size_t>(between(1, 3)), '0');
        }
        std::string text = negative ? "-" : "";
        text += integer_part;
        if (!fraction_part.empty() || chance(5)) {
            text += chance(50) ? "." : ",";
            text += fraction_part;
        }
        if (!negative && chance(5)) {
            text += "-" + digits(between(0, 3));
        }
        return text;
    }

    // A plain decimal text: digits around a separator, some runs of nines or
    // endings near a half.
    std::string decimal_text() {
        std::string integer_part = digits(between(0, 22));
        std::string fraction_part = digits(between(0, 22));
        switch (between(0, 5)) {
        case 0:
            fraction_part += std::string(static_cast<size_t>(between(1, 20)), '9');
            break;
        case 1:
            fraction_part += chance(50) ? "5" : "49999999999999999" + digits(between(0, 3));
            break;
        case 2:
            fraction_part += "5" + std::string(static_cast<size_t>(between(0, 20)), '0') +
                             (chance(50) ? "1" : "");
            break;
        default:
            break;
        }
        const bool negative = chance(30);
        std::string text = negative ? "-" : "";
        text += integer_part;
        if (!fraction_part.empty() || chance(10)) {
            text += chance(50) ? "." : ",";
            text += fraction_part;
        }
        if (!negative && chance(3)) {
            text += "-" + digits(between(0, 3));
        }
        return text.empty() ? "0" : text;
    }

    // Exactly halfway between two 17-digit forms: odd y / 2^n whose decimal
    // expansion, y * 5^n, has 18 digits.
    double exact_tie() {
        for (;;) {
            const int n = static_cast<int>(between(1, 25));
            const double five_n = std::pow(5.0, n);
            const double low = std::ceil(1e17 / five_n);
            const double high = std::min(std::floor(1e18 / five_n), 9007199254740991.0);
            if (low > high) {
                continue;
            }
            const uint64_t y = static_cast<uint64_t>(
                                   between(static_cast<int64_t>(low), static_cast<int64_t>(high))) |
                               1u;
            if (static_cast<double>(y) > high) {
                continue;
            }
            return std::ldexp(static_cast<double>(y), -n);
        }
    }

    double random_double() {
        const int exponent = chance(95) ? static_cast<int>(between(-200, 200))
                                        : static_cast<int>(between(-1075, 1023));
        return std::ldexp(std::uniform_real_distribution<double>(0.5, 1.0)(random), exponent);
    }

    std::string junk() { return digits(between(0, 8), "0123456789-.,+e x"); }

    std::string meter_value(int kind) {
        switch (kind) {
        case 0:
            return junk();
        case 1:
            return write(exact_decimal(exact_tie()), chance(30));
        case 2: {
            const double x = random_double();
            return write(exact_decimal(x), chance(30));
        }
        default:
            return decimal_text();
        }
    }
};

// Every double within three steps of a power of ten from 10^-323 to 10^308:
// where the 17-digit form is most likely to carry into a new digit.
std::vector<double> doubles_near_powers_of_ten() {
    std::vector<double> doubles;
    for (int power = -323; power <= 308; ++power) {
        const double nearest = std::strtod(("1e" + std::to_string(power)).c_str(), nullptr);
        double below = nearest;
        double above = nearest;
        doubles.push_back(nearest);
        for (int step = 0; step < 3; ++step) {
            below = std::nextafter(below, 0.0);
            above = std::nextafter(above, std::numeric_limits<double>::infinity());
            doubles.push_back(below);
            doubles.push_back(above);
        }
    }
    return doubles;
}

struct Comparison {
    int64_t compared = 0;
    int64_t numeric = 0;
    int failures = 0;

    void check(const std::string& value, int64_t decimals) {
        ++compared;
        bool was_numeric = false;
        const std::string expected = reference_format(value, decimals, &was_numeric);
        numeric += was_numeric ? 1 : 0;
        const std::string actual = format_meter_value(value, static_cast<int32_t>(decimals));
        if (actual != expected && ++failures <= 10) {
            ADD_FAILURE() << "'" << value << "' with " << decimals << " decimals: got '" << actual
                          << "', reference '" << expected << "'";
        }
    }
};

TEST(ReferenceFormatter, AgreesWithFormatMeterValueOnGeneratedValues) {
    // Shares of each kind of generated value: junk, exact ties, random
    // doubles written exactly, decimal texts.
    const int kind_weights[] = {1, 2, 2, 5};
    constexpr int64_t random_cases = 200000;
    const auto start = std::chrono::steady_clock::now();
    Generator generate;
    Comparison comparison;
    for (const double x : doubles_near_powers_of_ten()) {
        comparison.check(generate.write(exact_decimal(x), generate.chance(30)),
                         generate.decimals());
    }
    std::discrete_distribution<int> kind(std::begin(kind_weights), std::end(kind_weights));
    for (int64_t i = 0; i < random_cases; ++i) {
        comparison.check(generate.meter_value(kind(generate.random)), generate.decimals());
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("compared %lld generated values (%lld numeric) in %.2f s\n",
                static_cast<long long>(comparison.compared),
                static_cast<long long>(comparison.numeric), seconds);
    EXPECT_EQ(comparison.failures, 0);
    EXPECT_GT(comparison.numeric, comparison.compared * 8 / 10);
}

} // namespace
} // namespace scrivlet
