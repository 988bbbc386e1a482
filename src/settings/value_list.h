#pragma once
// The value lists of a meter's INI section: flags and numbers joined by
// commas, such as "0,0,16,0,0,0,30,1". Reading accepts anything a user or an
// older writer may have left in the file; writing gives the one canonical
// form.

#include "text/decimal_number.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

enum class FieldKind : uint8_t { flag, number };

// One position of a list: how its field reads, and the value it takes when
// the list stops before it.
struct ListPosition {
    FieldKind kind;
    int32_t missing;
};

// The fields of `text`, each ending at the next comma, at most `limit` of
// them; later ones are never looked at. An empty text is one empty field, and
// a comma is the only separator: nothing is trimmed or unquoted.
std::vector<std::string_view> split_value_list(std::string_view text, size_t limit);

// False only when the field starts with "0": " 0" and "" read true.
bool read_flag(std::string_view field);

// One value per position: flags as 0 or 1, numbers by read_number. A position the
// text has no field for takes its `missing` value.
std::vector<int32_t> read_value_list(std::string_view text,
                                     std::span<const ListPosition> positions);

// "-" before a negative number, no sign otherwise, no leading zeros.
std::string write_number(int32_t value);

// Every position's field, joined by single commas: a flag as "1" when its
// value is nonzero and "0" otherwise, a number by write_number. A position
// without a value (a short `values`) is written with its `missing` value, so
// the list is always complete.
std::string write_value_list(std::span<const ListPosition> positions,
                             std::span<const int32_t> values);

} // namespace scrivlet
