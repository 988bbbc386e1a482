#pragma once

#include "plugin/meter_record.h"

namespace scrivlet {

// Overwrites every persisted field from the INI section, a missing key
// standing in with its default.
void load_settings_from_profile(MeterRecord& record, const char* file, const char* section);

// Writes all eight keys, after turning the template's line feeds and tabs
// back into "%b" and "%tab" (in the record too).
void save_settings_to_profile(MeterRecord& record, const char* file, const char* section);

} // namespace scrivlet
