#include "common/win/gui_resources.h"

#include <algorithm>
#include <vector>

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

// The server hands out the lowest free handle value, so open handles lie
// close together from the bottom up: after this many closed values in a row
// none follows but where thousands were closed at once.
constexpr ULONG_PTR closed_handles_ending_the_probe = 4096;

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

long kernel_handles() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) {
        return static_cast<long>(count);
    }
    long probed = 0;
    ULONG_PTR closed_in_a_row = 0;
    for (ULONG_PTR value = 4; closed_in_a_row < closed_handles_ending_the_probe; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++probed;
            closed_in_a_row = 0;
        } else {
            ++closed_in_a_row;
        }
    }
    return probed;
}

HeapUse heap_use() {
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr));
    // A heap made since the count is left out; one gone since, not walked.
    heaps.resize(std::min<size_t>(heaps.size(),
                                  GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data())));
    HeapUse use;
    for (HANDLE heap : heaps) {
        if (!HeapLock(heap)) {
            continue;
        }
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heap, &entry)) {
            if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) {
                ++use.blocks;
                use.bytes += entry.cbData;
            }
        }
        HeapUnlock(heap);
    }
    return use;
}

} // namespace scrivlet::win
