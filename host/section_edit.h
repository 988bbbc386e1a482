#pragma once
// The author's settings file as the tools write it after a dialog: only the
// lines of keys whose values changed are touched, so that comments, blank
// lines, line ends and the order the author chose survive a save.

#include <string>
#include <vector>

namespace scrivlet::host {

// `text` with [section] holding `after`'s values where they differ from
// `before`'s ("key=value" lines, as the plug-in saves the section). A changed
// key's first line in the section's first occurrence (the one the profile
// reader uses) is replaced; a key the section lacks goes after its last key
// line; a missing section is appended. New lines end as the file's first line
// does (CRLF when it has none).
std::string with_section_changes(const std::string& text, const std::string& section,
                                 const std::vector<std::string>& before,
                                 const std::vector<std::string>& after);

} // namespace scrivlet::host
