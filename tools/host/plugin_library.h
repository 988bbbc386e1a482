#pragma once
// Scrivlet.dll as a host holds it: loaded by path, its eight exports bound
// by name, freed when the holder goes.

#include "common/win/handles.h"
#include "plugin/scrivlet_api.h"

#include <windows.h>

#include <string>
#include <vector>

namespace scrivlet::host {

using PluginExports = api::Exports;

class PluginLibrary {
public:
    // `path` empty: Scrivlet.dll beside this program. Throws Failure
    // (exit_code::plugin) when the file is missing, does not load, or lacks
    // an export.
    explicit PluginLibrary(const std::string& path);
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const PluginExports& exports() const { return exports_; }
    const std::string& path() const { return path_; }

    // Throws Failure (exit_code::plugin) unless dlltype says 2.
    void require_visualisation_type() const;

private:
    std::string path_;
    win::UniqueModule module_;
    PluginExports exports_;
};

// One meter instance from dllstartup to dllshutdown. `owner` is the host
// window that owns the settings dialog; null lets the plug-in take the
// active window.
class MeterSession {
public:
    explicit MeterSession(const PluginExports& exports, HWND owner = nullptr);
    MeterSession(const MeterSession&) = delete;
    MeterSession& operator=(const MeterSession&) = delete;
    ~MeterSession();

    void* instance() const { return instance_; }

private:
    const PluginExports& exports_;
    void* instance_ = nullptr;
};

// The section as the meter would save it now, written to a file of its own
// and read back: what a dialog changed shows as a difference of two of these,
// so that a Cancel never writes the user's file.
std::vector<std::string> section_as_saved(const PluginExports& api, void* instance,
                                          const std::string& section);

} // namespace scrivlet::host
