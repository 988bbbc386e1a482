#pragma once
// The platform's colour and font pickers, called through this table so that
// a program linking the library directly can stand in for the user. The DLL
// never changes it.

#include <windows.h>

#include <commdlg.h>

namespace scrivlet {

struct Pickers {
    BOOL(WINAPI* choose_colour)(LPCHOOSECOLORA) = nullptr;
    BOOL(WINAPI* choose_font)(LPCHOOSEFONTA) = nullptr;
};

// ChooseColorA and ChooseFontA unless replaced.
Pickers& dialog_pickers();

// The picker result that counts as a confirmed choice; anything else is not.
inline constexpr BOOL picker_confirmed = 1;

} // namespace scrivlet
