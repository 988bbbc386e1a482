#pragma once

#include "plugin/meter_record.h"

namespace scrivlet {

// Runs the modal settings dialog on `record`; returns when it has closed.
// A dialog of this module that is still open is ended first, as cancelled.
void run_settings_dialog(MeterRecord& record);

// Ends the open settings dialog, if any, as cancelled (module detach).
void end_open_dialog();

} // namespace scrivlet
