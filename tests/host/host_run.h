#pragma once
// Runs scrivlet-host.exe (beside the test program) as a child process, with
// its output caught in files, as a script or a person would run it.

#include "common/file_bytes.h"
#include "common/win/child_process.h"
#include "common/win/paths.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace scrivlet::test {

// The exit codes scrivlet-host documents, written out here rather than taken
// from its source, so that a changed code fails a test.
constexpr int exit_ok = 0;
constexpr int exit_internal = 1;
constexpr int exit_usage = 2;
constexpr int exit_plugin = 3;
constexpr int exit_settings = 4;
constexpr int exit_output = 5;
constexpr int exit_findings = 6;
constexpr int exit_no_window = 7;
constexpr int exit_thread_ended = 8;
constexpr int exit_nothing_drawn = 9;

// Limits that catch a hang only: a Wine child shows a window within a second
// or two.
constexpr DWORD host_poll_ms = 50;
constexpr ULONGLONG host_wait_limit_ms = 30000;

struct HostResult {
    int exit_code = -1;
    std::string out; // carriage returns removed
    std::string err; // with a last line saying so when the host ran out of time
};

struct RunningHost {
    win::Child child;
    std::string out_path;
    std::string err_path;
};

// A fresh folder for this test program's files, with a trailing backslash.
const std::string& scratch_folder();

using win::quote_command_line;

RunningHost start_host(const std::vector<std::string>& args, const std::string& folder = "");
// Waits (ending the host and what it started after `timeout_ms`) and
// collects its output.
HostResult finish_host(const RunningHost& running, DWORD timeout_ms = 60000);
HostResult run_host(const std::vector<std::string>& args, const std::string& folder = "");
// scrivlet-host beside the gdiplus.dll stand-in: copies of the host, the
// plug-in and the stand-in side by side in a folder of their own, the host
// under a file name that Wine loads the stand-in for, with `environment` on
// top of this process's.
HostResult run_host_beside_standin(const std::vector<std::string>& args,
                                   const std::vector<win::EnvironmentSetting>& environment);

// A visible top-level window of the running host of that class (and title,
// when given), once it is there; null after the limit or when the host ends
// without one.
HWND wait_for_window(const RunningHost& host, std::string_view class_name,
                     std::string_view title = {});

// Polls until `condition` holds; false after the limit or when the host has
// ended without it holding.
template <typename Condition> bool wait_for(const RunningHost& host, Condition&& condition) {
    const ULONGLONG deadline = GetTickCount64() + host_wait_limit_ms;
    while (!condition()) {
        if (GetTickCount64() >= deadline ||
            WaitForSingleObject(host.child.process(), host_poll_ms) == WAIT_OBJECT_0) {
            return condition();
        }
    }
    return true;
}

using win::windows_path;
// examples/ of the source tree, with a trailing backslash.
const std::string& examples_folder();

void write_text_file(const std::string& path, const std::string& text);

} // namespace scrivlet::test
