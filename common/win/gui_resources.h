#pragma once
// What this process holds, counted where the platform does not count it.
// Wine's GetGuiResources answers 0 with ERROR_CALL_NOT_IMPLEMENTED: there GDI
// handles are counted by probing every handle index (Wine accepts an index
// without its generation bits) and user objects by counting this process's
// windows. Wine's GetProcessHandleCount answers 0: there kernel handles are
// probed too.

#include <windows.h>

#include <cstddef>

namespace scrivlet::win {

DWORD gdi_objects();
DWORD user_objects();
long kernel_handles();

// The blocks in use on every heap of the process, and their bytes: exact
// where the private commit grows only by whole pages and subheaps.
struct HeapUse {
    size_t blocks = 0;
    size_t bytes = 0;
};
HeapUse heap_use();

} // namespace scrivlet::win
