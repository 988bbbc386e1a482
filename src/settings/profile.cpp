#include "settings/profile.h"

namespace scrivlet {

// Placeholders until the INI keys land.
void load_settings_from_profile(MeterRecord&, const char*, const char*) {}
void save_settings_to_profile(MeterRecord&, const char*, const char*) {}

} // namespace scrivlet
