#include "plugin_library.h"

#include "settings_file.h"

#include "failure.h"

#include "common/win/paths.h"

namespace scrivlet::host {

namespace {

constexpr const char* plugin_file_name = "Scrivlet.dll";

std::string load_error(const std::string& path, DWORD error) {
    switch (error) {
    case ERROR_BAD_EXE_FORMAT:
        return "'" + path + "' is not a 32-bit Windows DLL";
    case ERROR_MOD_NOT_FOUND:
        return "cannot load '" + path + "': a library it needs is missing";
    default:
        return "cannot load '" + path + "' (Windows error " + std::to_string(error) + ")";
    }
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

MeterSession::MeterSession(const PluginExports& exports, HWND owner)
    : exports_(exports), instance_(exports.dllstartup(owner, 0)) {
    if (instance_ == nullptr) {
        throw Failure{exit_code::plugin, "dllstartup gave no meter instance"};
    }
}

MeterSession::~MeterSession() {
    exports_.dllshutdown(instance_);
}

std::vector<std::string> section_as_saved(const PluginExports& api, void* instance,
                                          const std::string& section) {
    const win::ScratchFolder scratch("scrivlet-section");
    const std::string file = scratch.path() + "section.ini";
    api.save_settings(instance, file.c_str(), section.c_str());
    return section_lines(file, section);
}

} // namespace scrivlet::host
