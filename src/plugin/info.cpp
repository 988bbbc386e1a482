#include "plugin/info.h"

#include "plugin/scrivlet_version.h"

#include <array>

namespace scrivlet {

namespace {

constexpr std::array<const char*, 7> info_strings = {
    "Scrivlet",                                              // display name
    "scrivlet-dev",                                          // author's handle
    SCRIVLET_VERSION_TEXT,                                   // version
    "22/07/04",                                              // first date
    "28/09/04",                                              // second date
    "https://github.com/scrivlet/scrivlet",                  // where it is published
    "Questions and bugs: the issue tracker at that address", // contact
};

} // namespace

const char* plugin_info(unsigned index) {
    return index < info_strings.size() ? info_strings[index] : "";
}

} // namespace scrivlet
