#pragma once
// The host's side of the INI file: it must exist and be readable before the
// plug-in is asked to load from it, and its sections are listed for a sheet.

#include <optional>
#include <string>
#include <vector>

namespace scrivlet::host {

// Throws Failure (exit_code::settings_file) unless `typed_path` (UTF-8) names
// a readable file. Returns the absolute path to hand to the plug-in and the
// profile functions, which take ANSI paths: its short form where the long one
// has characters the ANSI code page cannot hold.
std::string readable_settings_file(const std::string& typed_path);

// The file's bytes, read as an editor may replace the file meanwhile (by
// renaming another over it); empty when it cannot be read.
std::string shared_file_bytes(const std::string& absolute_path);

// Section names in file order, as the profile functions see them.
std::vector<std::string> section_names(const std::string& absolute_path);

// Case-insensitively, as the profile functions compare section names.
bool has_section(const std::vector<std::string>& sections, const std::string& name);

// How the file spells a section typed on the command line: `ansi` (the code
// page's form of what was typed) when it has that, else `utf8` (as typed)
// when it has that - a file saved as UTF-8 holds its names in those bytes, and
// the profile functions hand them over as they are; nothing when neither.
std::optional<std::string> section_in_file(const std::vector<std::string>& sections,
                                           const std::string& ansi, const std::string& utf8);

// "key=value" lines of one section, in file order.
std::vector<std::string> section_lines(const std::string& absolute_path,
                                       const std::string& section);

// The value the plug-in reads for `key` of the section (quotes round it
// removed, as the profile reader hands it over), read whole; `missing` when
// the section has no such key.
std::string profile_value(const std::string& absolute_path, const std::string& section,
                          const char* key, const char* missing = "");

} // namespace scrivlet::host
