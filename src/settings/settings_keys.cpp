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

std::string missing_text(const SettingsKey& key) {
    if (key.kind == KeyKind::list) {
        return write_value_list(list_positions(key.fields), {});
    }
    return key.missing_text;
}

} // namespace scrivlet
