#pragma once
// What the host's commands share: the settings file and section a command
// works on, and how notes and failures reach standard error.

#include "command_line.h"
#include "failure.h"

#include <optional>
#include <string>
#include <vector>

namespace scrivlet::host {

// The settings file and (first) section a command works on.
struct SettingsSection {
    std::string file;    // absolute, for the plug-in
    std::string section; // as the file spells it: see section_in_file
    bool exists = false; // false: the ANSI form of what was typed
};

// Throws Failure (exit_code::settings_file) when the file cannot be read or,
// with `must_exist`, lacks the section. Adds a note to `notes` when the
// section is the UTF-8 form of what was typed.
SettingsSection settings_section(const Options& options, bool must_exist,
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
