#pragma once
// What the host's commands share: the settings file and section a command
// works on, and how notes and failures reach standard error.

#include "command_line.h"
#include "failure.h"

#include <optional>
#include <string>
#include <vector>

namespace scrivlet::host {

// Settings file and section as render and configure need them.
std::string settings_with_section(const Options& options, bool section_must_exist,
                                  bool& section_exists);

// The (first) section as the file spells it (see section_in_file), with a
// note in `notes` when that is the UTF-8 form of what was typed; the ANSI
// form when the file has neither.
std::string section_as_in_file(const std::string& file, const Options& options,
                               std::vector<std::string>& notes);

// The note for a --value or --values (as typed) with characters the ANSI
// code page cannot hold, which the plug-in draws as "?"; none when they have
// none.
std::optional<std::string> value_code_page_note(const Options& options);

// The failure's one line on standard error; its exit code.
int report(const Failure& failure);

// Each note on standard error, after what standard output holds.
void print_notes(const char* command, const std::vector<std::string>& notes);

} // namespace scrivlet::host
