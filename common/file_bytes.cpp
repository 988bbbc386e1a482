#include "common/file_bytes.h"

#include <fstream>
#include <iterator>

namespace scrivlet {

std::string file_bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace scrivlet
