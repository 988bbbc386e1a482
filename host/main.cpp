// scrivlet-host: a reference meter host for Scrivlet.dll on the command line.

#include "commands.h"
#include "common/utf8.h"
#include "common/win/paths.h"

#include <windows.h>

#include <string>
#include <vector>

// wmain (linked with -municode): the C library's narrow argv holds the ANSI
// code page only, so a path or a value with other characters would arrive
// with "?" in their place.
int wmain(int argc, wchar_t** argv) {
    // A DLL that fails to load must give our message, not a system dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    try {
        std::vector<std::string> ansi;
        std::vector<std::string> typed;
        for (int i = 1; i < argc; ++i) {
            const std::wstring arg = argv[i];
            ansi.push_back(scrivlet::win::ansi_from_wide(arg));
            typed.push_back(scrivlet::utf8_from_utf16(std::u16string(arg.begin(), arg.end())));
        }
        return scrivlet::host::run_host(ansi, typed);
    } catch (...) {
        return scrivlet::host::exit_code::internal;
    }
}
