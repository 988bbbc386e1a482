#include "size_comments.h"

#include "common/ascii_case.h"

#include <algorithm>

namespace scrivlet::host {

namespace {

constexpr std::string_view size_comment = "; size:";
constexpr std::string_view value_comment = "; value:";
constexpr std::string_view utf8_bom = "\xEF\xBB\xBF";

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// A header's name runs to its last ']' (or to the end of the line without
// one), blanks round it dropped, as the profile reader takes it.
std::optional<std::string_view> header_name(std::string_view line) {
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    const size_t close = line.rfind(']');
    return trimmed(line.substr(1, close == 0 ? std::string_view::npos : close - 1));
}

// Calls `on_line` with each line's trimmed text and its number (from 1).
template <typename OnLine> void for_each_line(std::string_view file_text, OnLine on_line) {
    if (file_text.substr(0, utf8_bom.size()) == utf8_bom) {
        file_text.remove_prefix(utf8_bom.size());
    }
    size_t number = 1;
    for (size_t start = 0; start <= file_text.size(); ++number) {
        const size_t end = std::min(file_text.find('\n', start), file_text.size());
        on_line(trimmed(file_text.substr(start, end - start)), number);
        start = end + 1;
    }
}

// The entry for `section`, its name compared without regard to case as the
// profile functions compare section names.
template <typename Value>
std::optional<Value> entry_of(const std::map<std::string, Value>& entries,
                              std::string_view section) {
    for (const auto& [name, value] : entries) {
        if (same_ignoring_case(name, section)) {
            return value;
        }
    }
    return std::nullopt;
}

} // namespace

std::map<std::string, SizeComment> size_comment_lines(std::string_view file_text) {
    std::map<std::string, SizeComment> sizes;
    std::optional<SizeComment> pending;
    std::optional<std::string> section;
    for_each_line(file_text, [&](std::string_view line, size_t number) {
        if (line.substr(0, size_comment.size()) == size_comment) {
            try {
                pending = SizeComment{parse_size("size", trimmed(line.substr(size_comment.size()))),
                                      number, ""};
            } catch (const Failure&) {
                // A note a person wrote, not a size: nothing to suggest.
            }
        } else if (const auto name = header_name(line)) {
            if (line.size() > 2 && line.back() == ']') {
                if (pending) {
                    sizes[std::string(line.substr(1, line.size() - 2))] = *pending;
                }
                pending.reset();
            }
            section = std::string(*name);
        } else if (!line.empty() && line.front() != ';' && pending && section &&
                   pending->inside.empty()) {
            // A key of the section above after the comment: it stands
            // inside that section, yet sizes the next one.
            pending->inside = *section;
        }
    });
    return sizes;
}

std::map<std::string, std::vector<std::string>> value_comments(std::string_view file_text) {
    std::map<std::string, std::vector<std::string>> values;
    std::vector<std::string> pending;
    for_each_line(file_text, [&](std::string_view line, size_t) {
        if (line.substr(0, value_comment.size()) == value_comment) {
            const std::vector<std::string> listed =
                split_values(trimmed(line.substr(value_comment.size())));
            pending.insert(pending.end(), listed.begin(), listed.end());
        } else if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            if (!pending.empty()) {
                values[std::string(line.substr(1, line.size() - 2))] = pending;
            }
            pending.clear();
        }
    });
    return values;
}

std::vector<std::string>
suggested_values(const std::map<std::string, std::vector<std::string>>& values,
                 std::string_view section) {
    return entry_of(values, section).value_or(std::vector<std::string>{});
}

std::map<std::string, Size> size_comments(std::string_view file_text) {
    std::map<std::string, Size> sizes;
    for (const auto& [name, comment] : size_comment_lines(file_text)) {
        sizes[name] = comment.size;
    }
    return sizes;
}

std::optional<Size> suggested_size(const std::map<std::string, Size>& sizes,
                                   std::string_view section) {
    return entry_of(sizes, section);
}

std::optional<SizeComment> suggested_size(const std::map<std::string, SizeComment>& sizes,
                                          std::string_view section) {
    return entry_of(sizes, section);
}

std::vector<SectionPlace> section_places(std::string_view file_text) {
    std::vector<SectionPlace> places;
    for_each_line(file_text, [&](std::string_view line, size_t number) {
        if (const auto name = header_name(line)) {
            places.push_back(SectionPlace{std::string(*name), number, {}});
        } else if (!line.empty() && line.front() != ';' && !places.empty()) {
            places.back().keys.emplace_back(trimmed(line.substr(0, line.find('='))), number);
        }
    });
    return places;
}

std::optional<SectionPlace> section_place(const std::vector<SectionPlace>& places,
                                          std::string_view section, size_t occurrence) {
    for (const SectionPlace& place : places) {
        if (same_ignoring_case(place.name, section) && occurrence-- == 0) {
            return place;
        }
    }
    return std::nullopt;
}

} // namespace scrivlet::host
