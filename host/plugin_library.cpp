#include "plugin_library.h"

#include "dpi.h"
#include "settings_file.h"

#include "failure.h"

#include "common/win/call_thread.h"
#include "common/win/paths.h"
#include "common/win/wine64_rounding.h"

#include <memory>
#include <string_view>

namespace scrivlet::host {

namespace {

// The plug-in is loaded into this process: it has to be built for its width.
constexpr bool wide_build = sizeof(void*) == 8;

std::string load_error(const std::string& path, DWORD error) {
    switch (error) {
    case ERROR_BAD_EXE_FORMAT:
        return "'" + path + "' is not a " + (wide_build ? "64" : "32") + "-bit Windows DLL";
    case ERROR_MOD_NOT_FOUND:
        return "cannot load '" + path + "': a library it needs is missing";
    default:
        return "cannot load '" + path + "' (Windows error " + std::to_string(error) + ")";
    }
}

// "[CPU] value "37" at 200x40: the plug-in's thread ended inside repaint
// without returning", and the likely why.
std::string thread_ended_text(const std::string& section, const win::PluginCall& call) {
    std::string text = "[" + section + "]";
    if (call.value != nullptr) {
        text += " value \"" + std::string(call.value) + "\"";
        text += " at " + std::to_string(call.width) + "x" + std::to_string(call.height);
    }
    text += std::string(": the plug-in's thread ended inside ") + call.name + " without returning";
    if (wide_build && std::string_view(call.name) == "repaint" && under_wine()) {
        text += " (Wine's 64-bit GDI+ does so on many bordered texts)";
    }
    return text;
}

} // namespace

win::LoadedPlugin load_plugin_library(const std::string& path) {
    const std::string absolute =
        win::absolute_path(path.empty() ? win::plugin_beside_program() : path);
    const DWORD attributes = GetFileAttributesA(absolute.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        throw Failure{exit_code::plugin, "no plug-in at '" + absolute + "'"};
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw Failure{exit_code::plugin, "'" + absolute + "' is a folder, not a DLL"};
    }
    win::LoadedPlugin plugin = win::load_plugin(absolute);
    if (!plugin.module) {
        throw Failure{exit_code::plugin, load_error(absolute, plugin.load_error)};
    }
    if (plugin.missing_export != nullptr) {
        throw Failure{exit_code::plugin,
                      "'" + absolute + "' does not export " + plugin.missing_export};
    }
    return plugin;
}

win::LoadedPlugin visualisation_plugin(const std::string& path) {
    win::LoadedPlugin plugin = load_plugin_library(path);
    const int type = plugin.exports.dlltype();
    if (type != api::plugin_type) {
        throw Failure{exit_code::plugin, "'" + plugin.path + "' says it is a plug-in of type " +
                                             std::to_string(type) + ", not " +
                                             std::to_string(api::plugin_type)};
    }
    return plugin;
}

win::MeterSession start_meter(const PluginExports& exports, const std::string& section,
                              HWND owner) {
    // Shared by the session's moves; the thread ends with the last of them.
    auto thread = std::make_shared<win::CallThread>();
    win::MeterSession meter(
        exports, owner,
        [thread, section](const win::PluginCall& call, const std::function<void()>& calls) {
            const bool returned = thread->run([&] {
                const win::Wine64Rounding rounding;
                calls();
            });
            if (!returned) {
                throw ThreadEnded{{exit_code::thread_ended, thread_ended_text(section, call)}};
            }
        });
    if (meter.instance() == nullptr) {
        throw Failure{exit_code::plugin, "dllstartup gave no meter instance"};
    }
    return meter;
}

std::vector<std::string> section_as_saved(const win::MeterSession& meter,
                                          const std::string& section) {
    const win::ScratchFolder scratch("scrivlet-section");
    const std::string file = scratch.path() + "section.ini";
    meter.save_settings(file, section);
    return section_lines(file, section);
}

} // namespace scrivlet::host
