#include "dpi.h"

#include "failure.h"

#include "common/win/child_process.h"
#include "common/win/log_pixels.h"
#include "common/win/paths.h"

#include <windows.h>

#include <stdexcept>
#include <string>

namespace scrivlet::host {

namespace {

// Set in the child, so that a resolution that did not take hold is reported
// instead of starting yet another child.
constexpr const char* child_marker = "SCRIVLET_HOST_DPI_CHILD";

// The same command line, standard handles shared, for as long as it takes.
int run_child(int dpi) {
    win::ChildLaunch launch;
    try {
        launch.program = win::module_file_name_wide(nullptr);
    } catch (const std::runtime_error&) {
        throw Failure{exit_code::internal, "--dpi: cannot find this program's file"};
    }
    launch.command_line = GetCommandLineW();
    launch.environment = {{win::widen(child_marker), std::to_wstring(dpi)}};
    try {
        return static_cast<int>(win::run_child(launch).code);
    } catch (const std::runtime_error& error) {
        throw Failure{exit_code::internal,
                      std::string("--dpi: the drawing process: ") + error.what()};
    }
}

} // namespace

std::optional<int> run_at_dpi(int dpi) {
    const int current = win::memory_dc_dpi();
    if (current == dpi) {
        return std::nullopt;
    }
    const std::string wanted = "--dpi " + std::to_string(dpi);
    const std::string have = std::to_string(current);
    if (GetEnvironmentVariableA(child_marker, nullptr, 0) != 0) {
        throw Failure{exit_code::usage,
                      wanted + " did not take effect: this process draws at " + have +
                          " dpi (Wine reads LogPixels only when it has an X display)"};
    }
    if (!under_wine()) {
        throw Failure{exit_code::usage,
                      wanted + ": Windows draws this session at " + have +
                          " dpi and a program cannot change that; leave --dpi out or change "
                          "the display scale"};
    }
    const win::LogPixelsOverride override_dpi(static_cast<DWORD>(dpi));
    if (!override_dpi.set()) {
        throw Failure{exit_code::internal,
                      "--dpi: cannot set LogPixels in HKCU\\Control Panel\\Desktop"};
    }
    return run_child(dpi);
}

bool under_wine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

} // namespace scrivlet::host
