// Value lists from arbitrary bytes. The first byte picks how many positions
// the list has, the second which of them are flags; the rest is the value
// as a file could hold it. Checked: splitting loses nothing before the last
// field it takes, flags and numbers follow their rules (numbers against the C
// library's own reading, saturated), missing positions get their value, and
// whatever was read is written in the one canonical form and reads back the
// same.

#include "settings/value_list.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// strtoll reads the same white space, sign and digits, and stops at the same
// byte; beyond 64 bits it sticks at its own ends, which clamp the same way.
int32_t reference_number(std::string_view field) {
    const std::string copy(field);
    errno = 0;
    const long long value = std::strtoll(copy.c_str(), nullptr, 10);
    return static_cast<int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

bool canonical_number(std::string_view text) {
    if (text == "0") {
        return true;
    }
    if (!text.empty() && text.front() == '-') {
        text.remove_prefix(1);
    }
    return !text.empty() && text.front() >= '1' && text.front() <= '9' &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const size_t count = 1 + data[0] % 8;
    const uint8_t flags = data[1];
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

    std::vector<scrivlet::ListPosition> positions;
    for (size_t i = 0; i < count; ++i) {
        const bool flag = (flags >> i & 1) != 0;
        // Missing values of both signs and sizes, fixed by the position.
        const int32_t missing =
            flag ? static_cast<int32_t>(i % 2) : static_cast<int32_t>(i * 0x2468ACE1u);
        positions.push_back(
            {flag ? scrivlet::FieldKind::flag : scrivlet::FieldKind::number, missing});
    }

    const std::vector<std::string_view> fields = scrivlet::split_value_list(text, count);
    const size_t commas = static_cast<size_t>(std::count(text.begin(), text.end(), ','));
    check(fields.size() == std::min(count, commas + 1));
    std::string joined;
    for (size_t i = 0; i < fields.size(); ++i) {
        check(fields[i].find(',') == std::string_view::npos);
        joined += (i > 0 ? "," : "") + std::string(fields[i]);
    }
    check(text.substr(0, joined.size()) == joined);
    check(fields.size() < commas + 1 || joined.size() == text.size());

    for (const std::string_view field : fields) {
        check(scrivlet::read_flag(field) == (field.empty() || field.front() != '0'));
        check(scrivlet::read_number(field) == reference_number(field));
    }

    const std::vector<int32_t> values = scrivlet::read_value_list(text, positions);
    check(values.size() == count);
    for (size_t i = 0; i < count; ++i) {
        if (i >= fields.size()) {
            check(values[i] == positions[i].missing);
        } else if (positions[i].kind == scrivlet::FieldKind::flag) {
            check(values[i] == (scrivlet::read_flag(fields[i]) ? 1 : 0));
        } else {
            check(values[i] == scrivlet::read_number(fields[i]));
        }
    }

    const std::string written = scrivlet::write_value_list(positions, values);
    const std::vector<std::string_view> written_fields =
        scrivlet::split_value_list(written, SIZE_MAX);
    check(written_fields.size() == count);
    for (size_t i = 0; i < count; ++i) {
        if (positions[i].kind == scrivlet::FieldKind::flag) {
            check(written_fields[i] == (values[i] != 0 ? "1" : "0"));
        } else {
            check(canonical_number(written_fields[i]));
        }
    }
    check(scrivlet::read_value_list(written, positions) == values);

    // Any 32-bit number, taken from the input's first bytes, survives writing.
    int32_t number = 0;
    std::memcpy(&number, data, std::min(size, sizeof number));
    check(scrivlet::read_number(scrivlet::write_number(number)) == number);
    return 0;
}
