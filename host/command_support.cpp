#include "command_support.h"

#include "common/win/paths.h"
#include "output_files.h"
#include "settings_file.h"
#include "settings_text.h"

#include <algorithm>
#include <cstdio>

namespace scrivlet::host {

namespace {

SettingsSection settings_section(const Options& options, bool must_exist,
                                 std::vector<std::string>& notes) {
    SettingsSection found{readable_settings_file(options.typed.inis.front()), options.section()};
    const std::vector<std::string> names = section_names(found.file);
    const std::optional<std::string> in_file =
        section_in_file(names, options.section(), options.typed.sections.front());
    found.exists = in_file.has_value();
    if (must_exist && !found.exists) {
        throw Failure{exit_code::settings_file,
                      no_section_text(options.section(), options.ini, names)};
    }
    if (in_file && *in_file != options.section()) {
        notes.push_back("[" + options.section() + "] is not in the file in the ANSI code page (" +
                        win::ansi_code_page() + "); its UTF-8 form is, as in a file saved as " +
                        "UTF-8, and that section was used");
        found.section = *in_file;
    }
    return found;
}

} // namespace

CommandStart start_command(const Options& options, SectionNeed need) {
    CommandStart start{visualisation_plugin(options.dll), {}, {}};
    if (need == SectionNeed::file_may_be_new) {
        create_settings_file(options.typed.inis.front());
    }
    start.settings = settings_section(options, need == SectionNeed::present, start.notes);
    if (std::optional<std::string> note = value_code_page_note(options)) {
        start.notes.push_back(std::move(*note));
    }
    return start;
}

std::optional<std::string> value_code_page_note(const Options& options) {
    std::vector<std::string> typed_texts = options.typed.values;
    if (options.typed.value) {
        typed_texts.push_back(*options.typed.value);
    }
    const char* option = options.typed.value ? "--value" : "--values";
    std::vector<std::string> outside;
    for (const std::string& text : typed_texts) {
        for (std::string& name : win::outside_ansi(win::wide_from_utf8(text))) {
            if (std::find(outside.begin(), outside.end(), name) == outside.end()) {
                outside.push_back(std::move(name));
            }
        }
    }
    if (outside.empty()) {
        return std::nullopt;
    }
    std::string names;
    for (const std::string& name : outside) {
        names += (names.empty() ? "" : " ") + name;
    }
    return std::string(option) + " has characters the ANSI code page (" + win::ansi_code_page() +
           ") cannot hold, and the plug-in takes its value in that code page: " + names +
           " drawn as \"?\"";
}

int report(const Failure& failure) {
    std::fflush(stdout);
    std::fprintf(stderr, "scrivlet-host: %s\n", failure.message.c_str());
    return failure.exit_code;
}

void print_notes(const char* command, const std::vector<std::string>& notes) {
    std::fflush(stdout);
    for (const std::string& note : notes) {
        std::fprintf(stderr, "%s: %s\n", command, note.c_str());
    }
}

} // namespace scrivlet::host
