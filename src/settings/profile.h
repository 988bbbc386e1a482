#pragma once

#include "meter/meter_record.h"
#include "settings/settings_keys.h"

#include <array>
#include <optional>
#include <string>

namespace scrivlet {

enum class LoadResult {
    read,       // every key read (a missing file reads as all defaults)
    unreadable, // the file is there but could not be read; the record is as it was
};

// Overwrites every persisted field from the INI section, a missing key
// standing in with its default and a short list taking the rest of its
// positions from that default. Values are read whole however long, but for
// the face name, which keeps what LOGFONTA holds. The font description's
// weight and italic byte follow the style bits read; nothing else in the
// record changes, and nothing at all when reading fails part way or the file
// exists but cannot be read (a missing file reads as all defaults). A file
// the platform denies access to counts as unreadable even when it may not
// exist (in a folder that cannot be listed): that cannot be told apart from
// a file held from us, and only leaving the record alone cannot lose one.
LoadResult load_settings_from_profile(MeterRecord& record, const char* file, const char* section);

// Writes all eight keys, after turning the template's line feeds and tabs
// back into "%b" and "%tab" (in the record too). A value that begins or ends
// with a blank or a quote goes out in double quotes, so that the reader gives
// it back unchanged. A value too long for the platform's writer is not
// written: the file keeps what it has.
void save_settings_to_profile(MeterRecord& record, const char* file, const char* section);

// A settings file and section as the profile functions find them: the
// file's full path (a bare name lives in the Windows folder) and the
// section's name, both compared as the platform does, without case.
struct ProfilePlace {
    std::wstring path;
    std::wstring section;
};

// None for a null file or section, which name no section of any file.
std::optional<ProfilePlace> profile_place(const char* file, const char* section);
bool same_place(const ProfilePlace& a, const ProfilePlace& b);

// The text save_settings_to_profile hands the writer for each key, in the
// key table's order: two records give the same texts exactly when saving
// either writes the same section.
std::array<std::string, settings_keys.size()> profile_values(MeterRecord record);

} // namespace scrivlet
