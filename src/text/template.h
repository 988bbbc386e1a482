#pragma once

#include <string>
#include <string_view>

namespace scrivlet {

// Replaces every occurrence of `search` in `target`, left to right, never
// searching the inserted text again. Both texts are taken as copies, so they
// may point into `target`. An empty search text changes nothing.
void replace_all(std::string& target, std::string search, std::string replacement);

// The template with "%v" replaced by the value text, then "%b" by a line
// feed, then "%tab" by a tab.
std::string expand_template(std::string_view text_template, std::string_view value_text);

} // namespace scrivlet
