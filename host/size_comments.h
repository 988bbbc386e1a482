#pragma once
// The sizes a theme file suggests for its meters: a comment "; size: WxH"
// belongs to the next section header below it, as in the files of
// examples/, where each section's notes stand above it.

#include "command_line.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace scrivlet::host {

// Section name, as written in its header, to the last valid size above it.
// Sizes that do not read as WxH within 1..max_side_px are passed over.
std::map<std::string, Size> size_comments(std::string_view file_text);

// The size for `section` (compared without regard to case, as the profile
// functions compare section names), if the file suggests one.
std::optional<Size> suggested_size(const std::map<std::string, Size>& sizes,
                                   std::string_view section);

} // namespace scrivlet::host
