#pragma once
// This process's GDI objects and user objects, counted where the platform
// does not count them: Wine's GetGuiResources answers 0 with
// ERROR_CALL_NOT_IMPLEMENTED. There GDI handles are counted by probing every
// handle index (Wine accepts an index without its generation bits) and user
// objects by counting this process's windows.

#include <windows.h>

namespace scrivlet::win {

DWORD gdi_objects();
DWORD user_objects();

} // namespace scrivlet::win
