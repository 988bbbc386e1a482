#pragma once
// The settings dialog's colour and font pickers. The platform's are called
// through a table so that a program linking the library directly can stand
// in for the user; the DLL never changes it.

#include "meter/meter_record.h"

#include <windows.h>

#include <commdlg.h>

#include <cstdint>

namespace scrivlet {

struct Pickers {
    BOOL(WINAPI* choose_colour)(LPCHOOSECOLORA) = nullptr;
    BOOL(WINAPI* choose_font)(LPCHOOSEFONTA) = nullptr;
};

// ChooseColorA and ChooseFontA unless replaced.
Pickers& dialog_pickers();

// The picker result that counts as a confirmed choice; anything else is not.
inline constexpr BOOL picker_confirmed = 1;

// Opens the colour picker over `owner` at the colour of the three channels;
// a confirmed choice replaces them. The custom colours it offers last while
// the module stays loaded.
void pick_colour(HWND owner, int32_t& red, int32_t& green, int32_t& blue);

// Opens the font picker over `owner` at the record's font and size; true
// when a choice was confirmed and stored in the record.
bool pick_font(HWND owner, MeterRecord& record);

} // namespace scrivlet
