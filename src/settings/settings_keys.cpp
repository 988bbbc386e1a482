#include "settings/settings_keys.h"

namespace scrivlet {

std::vector<ListPosition> list_positions(std::span<const ListField> fields) {
    std::vector<ListPosition> positions;
    positions.reserve(fields.size());
    for (const ListField& f : fields) {
        positions.push_back(ListPosition{f.kind, f.missing});
    }
    return positions;
}

std::vector<int32_t> list_values(const MeterRecord& record, std::span<const ListField> fields) {
    std::vector<int32_t> values;
    values.reserve(fields.size());
    for (const ListField& f : fields) {
        values.push_back(f.kind == FieldKind::flag ? record.*f.flag : record.*f.number);
    }
    return values;
}

void store_list(MeterRecord& record, std::span<const ListField> fields,
                const std::vector<int32_t>& values) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].kind == FieldKind::flag) {
            record.*fields[i].flag = static_cast<uint8_t>(values[i]);
        } else {
            record.*fields[i].number = values[i];
        }
    }
}

std::string missing_text(const SettingsKey& key) {
    if (key.kind == KeyKind::list) {
        return write_value_list(list_positions(key.fields), {});
    }
    return key.missing_text;
}

} // namespace scrivlet
