// scrivlet-host: a reference meter host for Scrivlet.dll on the command line.

#include "commands.h"

#include <windows.h>

#include <string>
#include <vector>

int main(int argc, char** argv) {
    // A DLL that fails to load must give our message, not a system dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    try {
        const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
        return scrivlet::host::run_host(args);
    } catch (...) {
        return scrivlet::host::exit_code::internal;
    }
}
