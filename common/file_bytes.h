#pragma once
// A whole file read at once, as the tools and tests compare or parse it.

#include <string>

namespace scrivlet {

// The file's bytes as they are (no line-end translation); empty when it
// cannot be read.
std::string file_bytes(const std::string& path);

} // namespace scrivlet
