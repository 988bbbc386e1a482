#include "log_pixels.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace scrivlet::test {

namespace {

constexpr const char* child_variable = "SCRIVLET_CHILD_DPI";
constexpr const char* desktop_key = "Control Panel\\Desktop";
constexpr const char* log_pixels = "LogPixels";
constexpr DWORD child_timeout_ms = 120000;

// Sets LogPixels for the processes started while it lives; the previous
// value, or its absence, comes back when it goes.
class LogPixelsOverride {
public:
    explicit LogPixelsOverride(DWORD dpi) {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, desktop_key, 0, nullptr, 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD type = 0;
        DWORD size = sizeof previous_;
        had_value_ =
            RegQueryValueExA(key_, log_pixels, nullptr, &type, reinterpret_cast<BYTE*>(&previous_),
                             &size) == ERROR_SUCCESS &&
            type == REG_DWORD;
        set_ = RegSetValueExA(key_, log_pixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                              sizeof dpi) == ERROR_SUCCESS;
    }
    LogPixelsOverride(const LogPixelsOverride&) = delete;
    LogPixelsOverride& operator=(const LogPixelsOverride&) = delete;
    ~LogPixelsOverride() {
        if (key_ == nullptr) {
            return;
        }
        if (had_value_) {
            RegSetValueExA(key_, log_pixels, 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&previous_), sizeof previous_);
        } else if (set_) {
            RegDeleteValueA(key_, log_pixels);
        }
        RegCloseKey(key_);
    }
    bool set() const { return set_; }

private:
    HKEY key_ = nullptr;
    DWORD previous_ = 0;
    bool had_value_ = false;
    bool set_ = false;
};

int run_child(int dpi, const std::string& filter) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string command = "\"" + std::string(path) + "\" --gtest_filter=" + filter;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    SetEnvironmentVariableA(child_variable, std::to_string(dpi).c_str());
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    SetEnvironmentVariableA(child_variable, nullptr);
    if (!started) {
        return -1;
    }
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, child_timeout_ms) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, code);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

} // namespace

int child_dpi() {
    const char* value = std::getenv(child_variable);
    return value != nullptr ? std::atoi(value) : 0;
}

int run_at_dpi(int dpi, const std::string& filter) {
    const LogPixelsOverride override(static_cast<DWORD>(dpi));
    if (!override.set()) {
        return -1;
    }
    return run_child(dpi, filter);
}

int memory_dc_dpi() {
    const HDC dc = CreateCompatibleDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    DeleteDC(dc);
    return dpi;
}

} // namespace scrivlet::test
