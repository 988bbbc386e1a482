#pragma once
// An author's settings file read line by line the way the profile functions
// read it, so that what the tools say of a line (the size comment above a
// section, the key a finding names, the line an edit replaces) is about the
// section and key the plug-in will get. Where that reading and a person's
// part ways (a comment after a header, a '#' line), check says so.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace scrivlet::host {

enum class LineKind { blank, comment, header, entry };

struct SettingsLine {
    LineKind kind = LineKind::blank;
    size_t number = 0;        // from 1, as an editor counts lines
    std::string_view text;    // as written, without its line end
    std::string_view end;     // "\r\n", "\n", "\r", or "" on a last line without one
    std::string_view content; // the text, blanks round it dropped
    // header: the section name, to the line's last ']'; entry: the key, up
    // to the first '='; blanks round either dropped.
    std::string_view name;
    // entry: what follows the '=', blanks round it dropped and quotes kept;
    // none on a line without '='.
    std::optional<std::string_view> value;
};

// `text` without the blanks round it, as the profile reader drops them.
std::string_view trimmed(std::string_view text);

// Every line of `text`, which the views point into; a UTF-8 BOM before the
// first line is not part of it.
std::vector<SettingsLine> settings_lines(std::string_view text);

constexpr std::string_view utf8_bom = "\xEF\xBB\xBF";

// Whether the profile functions take two section (or key) names for one.
bool same_profile_name(std::string_view a, std::string_view b);

// What the profile functions answer of the file: its section names in file
// order, the keys they list for a section, and the value of a key (none
// when they find no such key). The first section by a name and its first
// line of a key are the ones read.
std::vector<std::string> profile_section_names(std::string_view text);
std::vector<std::string> profile_keys(std::string_view text, std::string_view section);
std::optional<std::string> profile_value(std::string_view text, std::string_view section,
                                         std::string_view key);

// "no section [NAME] in 'FILE'" for a section the file's `names` lack; where
// one of them is NAME and more after a ']' (a header with a comment after
// it), it says that one is the section the header makes.
std::string no_section_text(std::string_view section, std::string_view shown_file,
                            const std::vector<std::string>& names);

// A value as the profile reader hands it over: one pair of like quotes round
// it removed.
std::string_view unquoted(std::string_view value);

} // namespace scrivlet::host
