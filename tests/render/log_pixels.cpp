#include "log_pixels.h"

#include "common/win/child_process.h"
#include "common/win/paths.h"

#include <windows.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace scrivlet::test {

namespace {

constexpr const char* child_variable = "SCRIVLET_CHILD_DPI";
constexpr DWORD child_timeout_ms = 120000;

} // namespace

int child_dpi() {
    const char* value = std::getenv(child_variable);
    return value != nullptr ? std::atoi(value) : 0;
}

int run_at_dpi(int dpi, const std::string& filter) {
    const win::LogPixelsOverride override(static_cast<DWORD>(dpi));
    if (!override.set()) {
        return -1;
    }
    win::ChildLaunch launch;
    launch.command_line = win::widen(
        win::quote_command_line({win::module_file_name(nullptr), "--gtest_filter=" + filter}));
    launch.environment = {{win::widen(child_variable), std::to_wstring(dpi)}};
    try {
        const win::ChildExit exit = win::run_child(launch, child_timeout_ms);
        return exit.timed_out ? -1 : static_cast<int>(exit.code);
    } catch (const std::runtime_error&) {
        return -1;
    }
}

} // namespace scrivlet::test
