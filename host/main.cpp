// scrivlet-host: a reference meter host for Scrivlet.dll on the command line.

#include "commands.h"
#include "common/arguments.h"
#include "common/win/paths.h"

#include <windows.h>

#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct FreeLocal {
    void operator()(LPWSTR* memory) const { LocalFree(memory); }
};

} // namespace

int main() {
    // A DLL that fails to load must give our message, not a system dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    try {
        // The C library's argv holds the ANSI code page only: a path or a
        // value with other characters would arrive with "?" in their place.
        int count = 0;
        const std::unique_ptr<LPWSTR, FreeLocal> argv(
            CommandLineToArgvW(GetCommandLineW(), &count));
        if (!argv) {
            return scrivlet::host::exit_code::internal;
        }
        std::vector<std::string> ansi;
        std::vector<std::string> typed;
        for (int i = 1; i < count; ++i) {
            const std::wstring arg = argv.get()[i];
            ansi.push_back(scrivlet::win::ansi_from_wide(arg));
            typed.push_back(scrivlet::cli::utf8_from_utf16(std::u16string(arg.begin(), arg.end())));
        }
        return scrivlet::host::run_host(ansi, typed);
    } catch (...) {
        return scrivlet::host::exit_code::internal;
    }
}
