#include "plugin_library.h"

#include "dpi.h"
#include "settings_file.h"

#include "failure.h"

#include "common/win/paths.h"
#include "common/win/wine64_rounding.h"

#include <string_view>
#include <utility>

namespace scrivlet::host {

namespace {

constexpr const char* plugin_file_name = "Scrivlet.dll";
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

std::string size_text(Size size) {
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

// "[CPU] value "37" at 200x40: the plug-in's thread ended inside repaint
// without returning", and the likely why.
std::string thread_ended_text(const std::string& section, const PluginCall& call) {
    std::string text = "[" + section + "]";
    if (call.value) {
        text += " value \"" + *call.value + "\"";
    }
    if (call.size) {
        text += " at " + size_text(*call.size);
    }
    text += std::string(": the plug-in's thread ended inside ") + call.name + " without returning";
    if (wide_build && std::string_view(call.name) == "repaint" && under_wine()) {
        text += " (Wine's 64-bit GDI+ does so on many bordered texts)";
    }
    return text;
}

} // namespace

PluginLibrary::PluginLibrary(const std::string& path)
    : path_(win::absolute_path(path.empty() ? win::program_folder() + plugin_file_name : path)) {
    const DWORD attributes = GetFileAttributesA(path_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        throw Failure{exit_code::plugin, "no plug-in at '" + path_ + "'"};
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw Failure{exit_code::plugin, "'" + path_ + "' is a folder, not a DLL"};
    }
    // The altered search path lets the plug-in find libraries of its own folder.
    module_.reset(LoadLibraryExA(path_.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module_) {
        throw Failure{exit_code::plugin, load_error(path_, GetLastError())};
    }
    if (const char* missing = api::bind_exports(module_.get(), exports_)) {
        throw Failure{exit_code::plugin, "'" + path_ + "' does not export " + missing};
    }
}

void PluginLibrary::require_visualisation_type() const {
    const int type = exports_.dlltype();
    if (type != api::plugin_type) {
        throw Failure{exit_code::plugin, "'" + path_ + "' says it is a plug-in of type " +
                                             std::to_string(type) + ", not " +
                                             std::to_string(api::plugin_type)};
    }
}

MeterSession::MeterSession(const PluginExports& exports, std::string section, HWND owner)
    : exports_(exports), section_(std::move(section)) {
    on_thread({"dllstartup", {}, {}}, [&] { instance_ = exports_.dllstartup(owner, 0); });
    if (instance_ == nullptr) {
        throw Failure{exit_code::plugin, "dllstartup gave no meter instance"};
    }
}

MeterSession::~MeterSession() {
    try {
        on_thread({"dllshutdown", {}, {}}, [&] { exports_.dllshutdown(instance_); });
    } catch (...) {
        // Nothing is drawn after this, and a destructor cannot say so.
    }
}

void MeterSession::load_settings(const std::string& file) {
    on_thread({"load_settings", {}, {}},
              [&] { exports_.load_settings(instance_, file.c_str(), section_.c_str()); });
}

void MeterSession::save_settings(const std::string& file) {
    on_thread({"save_settings", {}, {}},
              [&] { exports_.save_settings(instance_, file.c_str(), section_.c_str()); });
}

void MeterSession::repaint(HDC dc, const std::string& value, Size size) {
    on_thread({"repaint", value, size}, [&] {
        exports_.repaint(dc, instance_, value.c_str(), static_cast<int>(size.width),
                         static_cast<int>(size.height));
    });
}

void MeterSession::on_thread(const PluginCall& call, const std::function<void()>& calls) {
    const bool returned = thread_.run([&] {
        const win::Wine64Rounding rounding;
        calls();
    });
    if (!returned) {
        throw ThreadEnded{{exit_code::thread_ended, thread_ended_text(section_, call)}};
    }
}

std::vector<std::string> section_as_saved(MeterSession& meter) {
    const win::ScratchFolder scratch("scrivlet-section");
    const std::string file = scratch.path() + "section.ini";
    meter.save_settings(file);
    return section_lines(file, meter.section());
}

} // namespace scrivlet::host
