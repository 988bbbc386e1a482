#include "dialog/settings_dialog.h"

namespace scrivlet {

// Placeholders until the dialog lands.
void run_settings_dialog(MeterRecord&) {}
void end_open_dialog() {}

} // namespace scrivlet
