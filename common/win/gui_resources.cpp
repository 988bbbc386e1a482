#include "common/win/gui_resources.h"

namespace scrivlet::win {

namespace {

constexpr ULONG_PTR last_handle_index = 0xFFFF;

BOOL CALLBACK count_window(HWND window, LPARAM counter) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) {
        ++*reinterpret_cast<DWORD*>(counter);
        EnumChildWindows(window, count_window, counter);
    }
    return TRUE;
}

} // namespace

DWORD gdi_objects() {
    SetLastError(0);
    const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (count != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) {
        return count;
    }
    DWORD probed = 0;
    for (ULONG_PTR index = 1; index <= last_handle_index; ++index) {
        probed += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0 ? 1 : 0;
    }
    return probed;
}

DWORD user_objects() {
    SetLastError(0);
    const DWORD count = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (count != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) {
        return count;
    }
    DWORD windows = 0;
    EnumWindows(count_window, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

} // namespace scrivlet::win
