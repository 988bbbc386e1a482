#pragma once
// Runs scrivlet-host.exe (beside the test program) as a child process, with
// its output caught in files, as a script or a person would run it.

#include <windows.h>

#include <string>
#include <vector>

namespace scrivlet::test {

struct HostResult {
    int exit_code = -1;
    std::string out; // carriage returns removed
    std::string err;
};

struct RunningHost {
    PROCESS_INFORMATION process{};
    std::string out_path;
    std::string err_path;
};

// A fresh folder for this test program's files, with a trailing backslash.
const std::string& scratch_folder();

// The command line Windows programs split back into `args`.
std::string quote_command_line(const std::vector<std::string>& args);

RunningHost start_host(const std::vector<std::string>& args, const std::string& folder = "");
// Waits (killing the child after `timeout_ms`) and collects its output.
HostResult finish_host(RunningHost& running, DWORD timeout_ms = 60000);
HostResult run_host(const std::vector<std::string>& args, const std::string& folder = "");

std::string read_text_file(const std::string& path);
void write_text_file(const std::string& path, const std::string& text);

} // namespace scrivlet::test
