#pragma once
// Scrivlet.dll as a host holds it: loaded by path, its eight exports bound
// by name, freed when the holder goes.

#include "command_line.h"
#include "failure.h"

#include "common/win/call_thread.h"
#include "common/win/handles.h"
#include "plugin/scrivlet_api.h"

#include <windows.h>

#include <functional>
#include <optional>
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

// A call of the plug-in as the line names it when its thread ends inside
// it: the export, and for a repaint the value and the size.
struct PluginCall {
    const char* name = "";
    std::optional<std::string> value;
    std::optional<Size> size;
};

// A meter's thread ended inside a call (exit_code::thread_ended).
struct ThreadEnded : Failure {};

// One meter instance from dllstartup to dllshutdown. Its calls run on a
// thread of the session's own while the caller waits, with the rounding that
// Wine's 64-bit GDI+ needs held around them (common/win/wine64_rounding.h),
// so that a thread taken down inside a call is noticed, not the end of the
// host. Each call then throws ThreadEnded, naming the section; the session's
// later calls run on a new thread. `owner` is the host window that owns the
// settings dialog; null lets the plug-in take the active window.
class MeterSession {
public:
    MeterSession(const PluginExports& exports, std::string section, HWND owner = nullptr);
    MeterSession(const MeterSession&) = delete;
    MeterSession& operator=(const MeterSession&) = delete;
    ~MeterSession();

    void* instance() const { return instance_; }
    const PluginExports& exports() const { return exports_; }
    const std::string& section() const { return section_; }

    void load_settings(const std::string& file);
    // The meter's settings under its section in `file`.
    void save_settings(const std::string& file);
    void repaint(HDC dc, const std::string& value, Size size);
    // Calls of the plug-in on the meter's thread, named for the line by `call`.
    void on_thread(const PluginCall& call, const std::function<void()>& calls);

private:
    const PluginExports& exports_;
    std::string section_;
    win::CallThread thread_;
    void* instance_ = nullptr;
};

// The section as the meter would save it now, written to a file of its own
// and read back: what a dialog changed shows as a difference of two of these,
// so that a Cancel never writes the user's file.
std::vector<std::string> section_as_saved(MeterSession& meter);

} // namespace scrivlet::host
