#include "dpi.h"

#include "failure.h"

#include <windows.h>

#include <string>
#include <vector>

namespace scrivlet::host {

namespace {

constexpr const char* desktop_key = "Control Panel\\Desktop";
constexpr const char* log_pixels_value = "LogPixels";
// Set in the child, so that a resolution that did not take hold is reported
// instead of starting yet another child.
constexpr const char* child_marker = "SCRIVLET_HOST_DPI_CHILD";

bool under_wine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Sets LogPixels for processes started from now on, and puts back what was
// there (or nothing) when it goes.
class LogPixelsOverride {
public:
    explicit LogPixelsOverride(DWORD dpi) {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, desktop_key, 0, nullptr, 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS) {
            throw Failure{exit_code::internal,
                          "--dpi: cannot open HKCU\\" + std::string(desktop_key)};
        }
        DWORD type = 0;
        DWORD size = sizeof(previous_);
        had_value_ =
            RegQueryValueExA(key_, log_pixels_value, nullptr, &type,
                             reinterpret_cast<BYTE*>(&previous_), &size) == ERROR_SUCCESS &&
            type == REG_DWORD;
        if (RegSetValueExA(key_, log_pixels_value, 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi)) != ERROR_SUCCESS) {
            RegCloseKey(key_);
            throw Failure{exit_code::internal, "--dpi: cannot set LogPixels"};
        }
    }
    LogPixelsOverride(const LogPixelsOverride&) = delete;
    LogPixelsOverride& operator=(const LogPixelsOverride&) = delete;
    ~LogPixelsOverride() {
        if (had_value_) {
            RegSetValueExA(key_, log_pixels_value, 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&previous_), sizeof(previous_));
        } else {
            RegDeleteValueA(key_, log_pixels_value);
        }
        RegCloseKey(key_);
    }

private:
    HKEY key_ = nullptr;
    DWORD previous_ = 0;
    bool had_value_ = false;
};

void make_inheritable(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    }
}

int run_child() {
    std::vector<wchar_t> program(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
        if (length == 0) {
            throw Failure{exit_code::internal, "--dpi: cannot find this program's file"};
        }
        if (length < program.size()) {
            break;
        }
        program.resize(program.size() * 2);
    }
    // CreateProcessW may write into the command line.
    const wchar_t* own_line = GetCommandLineW();
    std::vector<wchar_t> command_line(own_line, own_line + wcslen(own_line) + 1);

    make_inheritable(STD_INPUT_HANDLE);
    make_inheritable(STD_OUTPUT_HANDLE);
    make_inheritable(STD_ERROR_HANDLE);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.data(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &process)) {
        throw Failure{exit_code::internal,
                      "--dpi: cannot start the drawing process (Windows error " +
                          std::to_string(GetLastError()) + ")"};
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = exit_code::internal;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

} // namespace

int display_dpi() {
    const HDC dc = CreateCompatibleDC(nullptr);
    const int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSX) : 0;
    if (dc != nullptr) {
        DeleteDC(dc);
    }
    return dpi;
}

std::optional<int> run_at_dpi(int dpi) {
    const int current = display_dpi();
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
    SetEnvironmentVariableA(child_marker, std::to_string(dpi).c_str());
    const LogPixelsOverride override_dpi(static_cast<DWORD>(dpi));
    return run_child();
}

} // namespace scrivlet::host
