#include "common/win/plugin_loader.h"

#include "common/win/paths.h"

namespace scrivlet::win {

std::string plugin_beside_program() {
    return program_folder() + "Scrivlet.dll";
}

LoadedPlugin load_plugin(const std::string& path) {
    LoadedPlugin loaded;
    loaded.path = path;
    loaded.module.reset(LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!loaded.module) {
        loaded.load_error = GetLastError();
        return loaded;
    }
    loaded.missing_export = api::bind_exports(loaded.module.get(), loaded.exports);
    return loaded;
}

} // namespace scrivlet::win
