#include "settings_text.h"

#include "common/ascii_case.h"

#include <algorithm>

namespace scrivlet::host {

namespace {

bool blank(char c) {
    // Ctrl-Z, a DOS end of file, is one more blank to the profile reader.
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A';
}

void read_line(SettingsLine& line) {
    const std::string_view text = line.content = trimmed(line.text);
    if (text.empty()) {
        line.kind = LineKind::blank;
        return;
    }
    if (text.front() == ';') {
        line.kind = LineKind::comment;
        return;
    }
    const size_t close = text.rfind(']');
    if (text.front() == '[' && close != 0 && close != std::string_view::npos) {
        line.kind = LineKind::header;
        line.name = trimmed(text.substr(1, close - 1));
        return;
    }
    // A '[' line without a ']' is a key like any other line.
    line.kind = LineKind::entry;
    const size_t equals = text.find('=');
    line.name = trimmed(text.substr(0, equals));
    if (equals != std::string_view::npos) {
        line.value = trimmed(text.substr(equals + 1));
    }
}

} // namespace

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::vector<SettingsLine> settings_lines(std::string_view text) {
    if (text.substr(0, utf8_bom.size()) == utf8_bom) {
        text.remove_prefix(utf8_bom.size());
    }
    std::vector<SettingsLine> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t stop = std::min(text.find_first_of("\r\n", start), text.size());
        const size_t next = stop + (text.substr(stop, 2) == "\r\n" ? 2 : stop < text.size());
        SettingsLine line;
        line.number = lines.size() + 1;
        line.text = text.substr(start, stop - start);
        line.end = text.substr(stop, next - stop);
        read_line(line);
        lines.push_back(line);
        start = next;
    }
    return lines;
}

bool same_profile_name(std::string_view a, std::string_view b) {
    return same_ignoring_case(a, b);
}

std::vector<std::string> profile_section_names(std::string_view text) {
    std::vector<std::string> names;
    for (const SettingsLine& line : settings_lines(text)) {
        // A section without a name is never listed, nor found.
        if (line.kind == LineKind::header && !line.name.empty()) {
            names.emplace_back(line.name);
        }
    }
    return names;
}

namespace {

// The lines of the first section by that name, its header left out.
std::vector<SettingsLine> section_body(std::string_view text, std::string_view section) {
    std::vector<SettingsLine> body;
    bool inside = false;
    for (const SettingsLine& line : settings_lines(text)) {
        if (line.kind == LineKind::header) {
            if (inside) {
                break;
            }
            inside = !section.empty() && same_profile_name(line.name, section);
        } else if (inside) {
            body.push_back(line);
        }
    }
    return body;
}

} // namespace

std::vector<std::string> profile_keys(std::string_view text, std::string_view section) {
    std::vector<std::string> keys;
    for (const SettingsLine& line : section_body(text, section)) {
        // A key without a name ends the list; one without a value is left out.
        if (line.kind == LineKind::entry && line.name.empty()) {
            break;
        }
        if (line.kind == LineKind::entry && line.value) {
            keys.emplace_back(line.name);
        }
    }
    return keys;
}

std::optional<std::string> profile_value(std::string_view text, std::string_view section,
                                         std::string_view key) {
    // Asked for one value, the reader drops blanks round both names, as it
    // does not when it lists a section's keys.
    for (const SettingsLine& line : section_body(text, trimmed(section))) {
        if (line.kind == LineKind::entry && same_profile_name(line.name, trimmed(key))) {
            // The first line of the key is the one read, even without a value.
            return line.value ? std::optional(std::string(unquoted(*line.value))) : std::nullopt;
        }
    }
    return std::nullopt;
}

std::string no_section_text(std::string_view section, std::string_view shown_file,
                            const std::vector<std::string>& names) {
    std::string text =
        "no section [" + std::string(section) + "] in '" + std::string(shown_file) + "'";
    for (const std::string& name : names) {
        if (name.size() > section.size() && name[section.size()] == ']' &&
            same_profile_name(std::string_view(name).substr(0, section.size()), section)) {
            return text + "; its header [" + name + "] names the section '" + name +
                   "', as a header's name runs to its last ']'";
        }
    }
    return text;
}

std::string_view unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

} // namespace scrivlet::host
