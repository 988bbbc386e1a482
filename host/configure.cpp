#include "command_support.h"
#include "commands.h"
#include "common/win/find_window.h"
#include "common/win/handles.h"
#include "output_files.h"
#include "plugin_library.h"
#include "settings_file.h"

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace scrivlet::host {

namespace {

// Set when a dialog box of this thread is activated: the settings dialog
// runs modal on the thread that calls vis_configure.
bool dialog_activated = false;

LRESULT CALLBACK note_dialog_activation(int code, WPARAM window, LPARAM detail) {
    if (code == HCBT_ACTIVATE) {
        char class_name[16] = {};
        GetClassNameA(reinterpret_cast<HWND>(window), class_name, sizeof class_name);
        dialog_activated = dialog_activated || win::dialog_class == class_name;
    }
    return CallNextHookEx(nullptr, code, window, detail);
}

// Whether a settings dialog showed while `open` ran: a host cannot tell from
// vis_configure, which returns the same when no dialog could be made (no
// display, say).
bool dialog_showed_during(const std::function<void()>& open) {
    dialog_activated = false;
    const win::UniqueHook hook(
        SetWindowsHookExA(WH_CBT, note_dialog_activation, nullptr, GetCurrentThreadId()));
    if (!hook) {
        throw Failure{exit_code::internal, "configure: cannot watch for the settings dialog"};
    }
    open();
    return dialog_activated;
}

} // namespace

int run_configure(const Options& options) {
    // The section as the file holds it: edited under another spelling, the
    // dialog would show the defaults and OK would add a second section.
    const CommandStart start = start_command(options, SectionNeed::file_may_be_new);
    const auto& [file, section, section_exists] = start.settings;
    print_notes("configure", start.notes);
    if (!section_exists) {
        std::printf("configure: [%s] is new in %s; it starts from the defaults\n", section.c_str(),
                    options.ini.c_str());
    }
    std::fflush(stdout);
    // The user's file is written only when the dialog changed the section.
    const win::MeterSession meter = start_meter(start.plugin.exports, section);
    meter.load_settings(file, section);
    const std::vector<std::string> before = section_as_saved(meter, section);
    // No window of ours owns the dialog: it runs on the meter's thread.
    bool showed = false;
    meter.run({"vis_configure"}, [&] {
        showed = dialog_showed_during([&] { meter.exports().vis_configure(meter.instance()); });
    });
    if (!showed) {
        throw Failure{exit_code::no_dialog, "configure: no settings dialog could be shown (is "
                                            "there a display?); '" +
                                                options.ini + "' is unchanged"};
    }
    const std::vector<std::string> after = section_as_saved(meter, section);
    if (after == before) {
        std::printf("configure: [%s] unchanged in %s\n", section.c_str(), options.ini.c_str());
        return exit_code::ok;
    }
    save_section(file, options.ini, section, before, after);
    std::printf("configure: saved [%s] in %s\n", section.c_str(), options.ini.c_str());
    for (const std::string& line : section_lines(file, section)) {
        std::printf("  %s\n", line.c_str());
    }
    return exit_code::ok;
}

} // namespace scrivlet::host
