#include "size_comments.h"

#include "settings_text.h"

#include <algorithm>

namespace scrivlet::host {

namespace {

constexpr std::string_view size_comment = "; size:";
constexpr std::string_view value_comment = "; value:";

// The entry for `section`, its name compared without regard to case as the
// profile functions compare section names.
template <typename Value>
std::optional<Value> entry_of(const std::map<std::string, Value>& entries,
                              std::string_view section) {
    for (const auto& [name, value] : entries) {
        if (same_profile_name(name, section)) {
            return value;
        }
    }
    return std::nullopt;
}

} // namespace

std::map<std::string, SizeComment> size_comments(std::string_view file_text) {
    std::map<std::string, SizeComment> sizes;
    std::optional<SizeComment> pending;
    std::optional<std::string> section;
    for (const SettingsLine& line : settings_lines(file_text)) {
        if (line.content.starts_with(size_comment)) {
            try {
                pending = SizeComment{
                    parse_size("size", trimmed(line.content.substr(size_comment.size()))),
                    line.number, ""};
            } catch (const Failure&) {
                // A note a person wrote, not a size: nothing to suggest.
            }
        } else if (line.kind == LineKind::header) {
            if (pending) {
                sizes[std::string(line.name)] = *pending;
            }
            pending.reset();
            section = std::string(line.name);
        } else if (line.kind == LineKind::entry && pending && section && pending->inside.empty()) {
            // A key of the section above after the comment: it stands
            // inside that section, yet sizes the next one.
            pending->inside = *section;
        }
    }
    return sizes;
}

std::map<std::string, std::vector<std::string>> value_comments(std::string_view file_text) {
    std::map<std::string, std::vector<std::string>> values;
    std::vector<std::string> pending;
    for (const SettingsLine& line : settings_lines(file_text)) {
        if (line.content.starts_with(value_comment)) {
            const std::vector<std::string> listed =
                split_at(trimmed(line.content.substr(value_comment.size())), values_separator);
            pending.insert(pending.end(), listed.begin(), listed.end());
        } else if (line.kind == LineKind::header) {
            if (!pending.empty()) {
                values[std::string(line.name)] = pending;
            }
            pending.clear();
        }
    }
    return values;
}

std::vector<std::string>
suggested_values(const std::map<std::string, std::vector<std::string>>& values,
                 std::string_view section) {
    return entry_of(values, section).value_or(std::vector<std::string>{});
}

std::optional<SizeComment> suggested_size(const std::map<std::string, SizeComment>& sizes,
                                          std::string_view section) {
    return entry_of(sizes, section);
}

std::vector<SectionPlace> section_places(std::string_view file_text) {
    std::vector<SectionPlace> places;
    for (const SettingsLine& line : settings_lines(file_text)) {
        if (line.kind == LineKind::header) {
            places.push_back(SectionPlace{std::string(line.name), line.number, {}});
        } else if (line.kind == LineKind::entry && !places.empty()) {
            places.back().keys.emplace_back(line.name, line.number);
        }
    }
    return places;
}

std::optional<SectionPlace> section_place(const std::vector<SectionPlace>& places,
                                          std::string_view section, size_t occurrence) {
    for (const SectionPlace& place : places) {
        if (same_profile_name(place.name, section) && occurrence-- == 0) {
            return place;
        }
    }
    return std::nullopt;
}

} // namespace scrivlet::host
