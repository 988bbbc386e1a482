#pragma once

#include "meter/meter_record.h"

#include <windows.h>

namespace scrivlet {

// Runs the modal settings dialog on `record`, its template taken from the
// module `resources`; returns when it has closed, with the dialog's result
// (IDOK, IDCANCEL, or -1 when it could not open). A dialog of this module
// that is still open is ended first, as cancelled.
INT_PTR run_settings_dialog(HINSTANCE resources, MeterRecord& record);

// Ends the open settings dialog, if any, as cancelled (module detach).
void end_open_dialog();

// The dialog procedure; its creation parameter is the record to edit.
INT_PTR CALLBACK settings_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

} // namespace scrivlet
