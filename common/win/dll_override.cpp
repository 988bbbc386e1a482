#include "common/win/dll_override.h"

#include "common/win/handles.h"

#include <windows.h>

#include <cstring>
#include <stdexcept>

namespace scrivlet::win {

namespace {

constexpr const char* app_defaults_key = "Software\\Wine\\AppDefaults\\";

} // namespace

WineDllOverride::WineDllOverride(const std::string& program_file_name, const char* dll,
                                 const char* load_order)
    : program_key_(app_defaults_key + program_file_name) {
    const std::string key = program_key_ + "\\DllOverrides";
    UniqueHkey overrides;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        overrides.put(), nullptr) != ERROR_SUCCESS ||
        RegSetValueExA(overrides.get(), dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(load_order),
                       static_cast<DWORD>(strlen(load_order) + 1)) != ERROR_SUCCESS) {
        RegDeleteTreeA(HKEY_CURRENT_USER, program_key_.c_str());
        throw std::runtime_error("cannot set the DLL override in HKCU\\" + key);
    }
}

WineDllOverride::~WineDllOverride() {
    RegDeleteTreeA(HKEY_CURRENT_USER, program_key_.c_str());
}

} // namespace scrivlet::win
