#pragma once

namespace scrivlet {

// The host's getinfo strings; an index past the table gives "".
const char* plugin_info(unsigned index);

} // namespace scrivlet
