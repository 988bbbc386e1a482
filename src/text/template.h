#pragma once

#include <string>
#include <string_view>

namespace scrivlet {

// Replaces every occurrence of `search` in `target`, left to right, never
// searching the inserted text again. `search` and `replacement` may view
// bytes of `target` itself: they are read before `target` changes. An empty
// search text changes nothing.
void replace_all(std::string& target, std::string_view search, std::string_view replacement);

// The template with "%v" replaced by the value text, then "%b" by a line
// feed, then "%tab" by a tab; only its first `max_length` bytes, when those
// are all that will be used.
std::string expand_template(std::string_view text_template, std::string_view value_text,
                            size_t max_length = std::string::npos);

} // namespace scrivlet
