#pragma once
// Runs scrivlet-host.exe (beside the test program) as a child process, with
// its output caught in files, as a script or a person would run it.

#include "common/win/child_process.h"

#include <windows.h>

#include <string>
#include <vector>

namespace scrivlet::test {

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

std::string read_text_file(const std::string& path);
void write_text_file(const std::string& path, const std::string& text);

} // namespace scrivlet::test
