#pragma once
// Scrivlet.dll as the host holds it: loaded by path (common/win/
// plugin_loader.h) and refused with the host's exit code when it cannot
// serve, and its meters driven each on a thread of its own.

#include "failure.h"

#include "common/win/meter_session.h"
#include "common/win/plugin_loader.h"
#include "plugin/scrivlet_api.h"

#include <windows.h>

#include <string>
#include <vector>

namespace scrivlet::host {

using PluginExports = api::Exports;

// `path` empty: Scrivlet.dll beside this program. Throws Failure
// (exit_code::plugin) when the file is missing, does not load, or lacks an
// export; the plug-in is freed when the holder goes.
win::LoadedPlugin load_plugin_library(const std::string& path);

// The plug-in loaded as for load_plugin_library, and known to draw: throws
// Failure (exit_code::plugin) unless dlltype says 2.
win::LoadedPlugin visualisation_plugin(const std::string& path);

// A meter's thread ended inside a call (exit_code::thread_ended).
struct ThreadEnded : Failure {};

// A meter whose calls run on a thread of the session's own while the caller
// waits, with the rounding that Wine's 64-bit GDI+ needs held around them
// (common/win/wine64_rounding.h), so that a thread taken down inside a call
// is noticed, not the end of the host. Each such call then throws
// ThreadEnded, naming `section`; the session's later calls run on a new
// thread. `owner` is the host window that owns the settings dialog; null
// lets the plug-in take the active window. Throws Failure
// (exit_code::plugin) when dllstartup gives no meter.
win::MeterSession start_meter(const PluginExports& exports, const std::string& section,
                              HWND owner = nullptr);

// The section as the meter would save it now, written to a file of its own
// and read back: what a dialog changed shows as a difference of two of these,
// so that a Cancel never writes the user's file.
std::vector<std::string> section_as_saved(const win::MeterSession& meter,
                                          const std::string& section);

} // namespace scrivlet::host
