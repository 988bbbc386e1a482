#pragma once
// What the host's commands share: how one starts (the plug-in, the settings
// file and section it works on), and how notes and failures reach standard
// error.

#include "command_line.h"
#include "failure.h"
#include "plugin_library.h"

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

enum class SectionNeed {
    present,        // render: the section must be in the file
    may_be_new,     // watch: it shows the defaults until the section is there
    file_may_be_new // configure: the file too is made when it is not there
};

// What render, watch and configure start from, in this order: the plug-in
// (refused first, so that nothing is made for one that cannot serve), the
// settings file and section, and the notes on what was typed.
struct CommandStart {
    win::LoadedPlugin plugin;
    SettingsSection settings;
    std::vector<std::string> notes;
};

// Throws Failure (exit_code::plugin, settings_file or output). The notes say
// when the section is the UTF-8 form of what was typed, and when a value has
// characters the plug-in draws as "?".
CommandStart start_command(const Options& options, SectionNeed need);

// The note for a --value or --values (as typed) with characters the ANSI
// code page cannot hold, which the plug-in draws as "?"; none when they have
// none.
std::optional<std::string> value_code_page_note(const Options& options);

// The failure's one line on standard error; its exit code.
int report(const Failure& failure);

// Each note on standard error, after what standard output holds.
void print_notes(const char* command, const std::vector<std::string>& notes);

} // namespace scrivlet::host
