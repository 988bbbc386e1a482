#pragma once
// What a theme file's own lines say beyond the profile functions: the sizes
// and sample values it suggests for its meters, and where each section and
// key stands, so that a finding can name its line. A comment "; size: WxH"
// or "; value: A|B" belongs to the next section header below it, as in the
// files of examples/, where each section's notes stand above it.

#include "command_line.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace scrivlet::host {

// A size comment and the line (from 1) it stands on. `inside` names the
// section it stands in, with key lines of that section below it (right after
// the header, or among the keys): written there it reads as that section's,
// while the tools size the next section by it.
struct SizeComment {
    Size size;
    size_t line = 0;
    std::string inside;
    bool operator==(const SizeComment&) const = default;
};

// Section name, as written in its header, to the last valid size comment
// above it. Sizes that do not read as WxH within 1..max_side_px are passed
// over.
std::map<std::string, SizeComment> size_comments(std::string_view file_text);

// The size for `section` (compared without regard to case, as the profile
// functions compare section names), if the file suggests one.
std::optional<SizeComment> suggested_size(const std::map<std::string, SizeComment>& sizes,
                                          std::string_view section);

// One occurrence of a section header in the file, and the lines of its keys
// (blank lines and ';' comments left out), each key trimmed as the profile
// reader trims it.
struct SectionPlace {
    std::string name;
    size_t header_line = 0;
    std::vector<std::pair<std::string, size_t>> keys;
};

// Every section header in file order, duplicates included.
std::vector<SectionPlace> section_places(std::string_view file_text);

// The place of the `occurrence`-th section (from 0) whose name is `section`
// regardless of case: 0 is the one the profile functions read.
std::optional<SectionPlace> section_place(const std::vector<SectionPlace>& places,
                                          std::string_view section, size_t occurrence = 0);

// The sample values a theme file suggests: each comment "; value: A|B"
// adds its values ("|" between them) to the next section header below it.
// Section name, as written in its header, to its values in file order.
std::map<std::string, std::vector<std::string>> value_comments(std::string_view file_text);

// The values for `section` (compared without regard to case, as the profile
// functions compare section names); empty when the file suggests none.
std::vector<std::string>
suggested_values(const std::map<std::string, std::vector<std::string>>& values,
                 std::string_view section);

} // namespace scrivlet::host
