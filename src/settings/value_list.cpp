#include "settings/value_list.h"

#include <algorithm>

namespace scrivlet {

std::vector<std::string_view> split_value_list(std::string_view text, size_t limit) {
    std::vector<std::string_view> fields;
    if (limit == 0) {
        return fields;
    }
    fields.reserve(std::min(limit, size_t{16}));
    for (;;) {
        const size_t comma = text.find(',');
        fields.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos || fields.size() == limit) {
            return fields;
        }
        text.remove_prefix(comma + 1);
    }
}

bool read_flag(std::string_view field) {
    return field.empty() || field.front() != '0';
}

std::vector<int32_t> read_value_list(std::string_view text,
                                     std::span<const ListPosition> positions) {
    const std::vector<std::string_view> fields = split_value_list(text, positions.size());
    std::vector<int32_t> values;
    values.reserve(positions.size());
    for (size_t i = 0; i < positions.size(); ++i) {
        const ListPosition& position = positions[i];
        if (i >= fields.size()) {
            values.push_back(position.missing);
        } else if (position.kind == FieldKind::flag) {
            values.push_back(read_flag(fields[i]) ? 1 : 0);
        } else {
            values.push_back(read_number(fields[i]));
        }
    }
    return values;
}

std::string write_number(int32_t value) {
    return std::to_string(value);
}

std::string write_value_list(std::span<const ListPosition> positions,
                             std::span<const int32_t> values) {
    std::string text;
    for (size_t i = 0; i < positions.size(); ++i) {
        const int32_t value = i < values.size() ? values[i] : positions[i].missing;
        if (i > 0) {
            text += ',';
        }
        if (positions[i].kind == FieldKind::flag) {
            text += value != 0 ? '1' : '0';
        } else {
            text += write_number(value);
        }
    }
    return text;
}

} // namespace scrivlet
