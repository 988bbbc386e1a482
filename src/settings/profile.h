#pragma once

#include "meter/meter_record.h"

namespace scrivlet {

// Overwrites every persisted field from the INI section, a missing key
// standing in with its default and a short list taking the rest of its
// positions from that default. Values are read whole however long, but for
// the face name, which keeps what LOGFONTA holds. The font description's
// weight and italic byte follow the style bits read; nothing else in the
// record changes, and nothing at all when reading fails part way or the file
// exists but cannot be read (a missing file reads as all defaults).
void load_settings_from_profile(MeterRecord& record, const char* file, const char* section);

// Writes all eight keys, after turning the template's line feeds and tabs
// back into "%b" and "%tab" (in the record too). A value that begins or ends
// with a blank or a quote goes out in double quotes, so that the reader gives
// it back unchanged. A value too long for the platform's writer is not
// written: the file keeps what it has.
void save_settings_to_profile(MeterRecord& record, const char* file, const char* section);

} // namespace scrivlet
