#pragma once
// Scrivlet.dll loaded into this process by path, its eight exports bound by
// the one list of them (plugin/scrivlet_api.h). The host, the soak, the
// dialog screenshot and the tests all load it here; each says in its own
// words what went wrong.

#include "common/win/handles.h"
#include "plugin/scrivlet_api.h"

#include <windows.h>

#include <string>

namespace scrivlet::win {

struct LoadedPlugin {
    std::string path;
    // Null when the module did not load; FreeLibrary when the holder goes.
    UniqueModule module;
    api::Exports exports;
    // The loader's GetLastError when `module` is null.
    DWORD load_error = ERROR_SUCCESS;
    // The first export the module lacks; null when all eight are bound.
    const char* missing_export = nullptr;

    bool usable() const { return module && missing_export == nullptr; }
};

// Scrivlet.dll beside the running program.
std::string plugin_beside_program();

// With the altered search path, so that the plug-in finds the libraries of
// its own folder first: for a plug-in beside the program, that is the search
// a plain LoadLibrary makes.
LoadedPlugin load_plugin(const std::string& path);

} // namespace scrivlet::win
