#pragma once
// Runs another program as a child process: its command line, the variables
// it gets on top of this process's environment, where its output goes, and
// how long it may take. A child that runs out of time is ended together
// with every process it started.

#include "common/win/handles.h"

#include <windows.h>

#include <string>
#include <vector>

namespace scrivlet::win {

// The exit code of a child ended for running out of time.
inline constexpr DWORD killed_exit_code = 0xDEAD;

struct EnvironmentSetting {
    std::wstring name;
    std::wstring value;
};

struct ChildLaunch {
    std::wstring program;                        // empty: the first word of the command line
    std::wstring command_line;                   // program name included, as the child sees it
    std::vector<EnvironmentSetting> environment; // set or replaced in a copy of ours
    std::string folder;                          // its current folder; empty: ours
    // Files its standard output and error are written to (made anew);
    // empty: this process's own.
    std::string out_file;
    std::string err_file;
};

struct ChildExit {
    DWORD code = killed_exit_code;
    bool timed_out = false;
};

class Child {
public:
    Child(UniqueHandle process, UniqueHandle job, DWORD id)
        : process_(std::move(process)), job_(std::move(job)), id_(id) {}

    HANDLE process() const { return process_.get(); }
    DWORD id() const { return id_; }

    // Waits at most `time_limit_ms`; then ends the child and what it started.
    ChildExit wait(DWORD time_limit_ms = INFINITE) const;

private:
    UniqueHandle process_;
    UniqueHandle job_; // null when the system would not give the child one
    DWORD id_;
};

// Throws std::runtime_error (with the Windows error) when the child cannot
// be started or a file for its output cannot be made.
Child start_child(const ChildLaunch& launch);
ChildExit run_child(const ChildLaunch& launch, DWORD time_limit_ms = INFINITE);

// The command line the C runtime splits back into `args`.
std::string quote_command_line(const std::vector<std::string>& args);

} // namespace scrivlet::win
