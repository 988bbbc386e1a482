#include "settings_file.h"

#include "failure.h"
#include "plugin_library.h"

#include <windows.h>

#include <cstring>

namespace scrivlet::host {

namespace {

constexpr DWORD first_buffer_chars = 4096;
constexpr DWORD max_buffer_chars = 16u << 20;

// The profile functions answer a list of NUL-terminated strings, ended by an
// empty one, and say "size - 2" when the buffer was too small.
template <typename Read> std::vector<std::string> read_string_list(Read&& read) {
    for (DWORD size = first_buffer_chars; size <= max_buffer_chars; size *= 2) {
        std::vector<char> buffer(size);
        const DWORD length = read(buffer.data(), size);
        if (length + 2 < size) {
            std::vector<std::string> items;
            for (const char* item = buffer.data(); *item != '\0'; item += strlen(item) + 1) {
                items.emplace_back(item);
            }
            return items;
        }
    }
    throw Failure{exit_code::settings_file, "the settings file is too large to list"};
}

} // namespace

std::string readable_settings_file(const std::string& path) {
    const std::string absolute = absolute_path(path);
    const DWORD attributes = GetFileAttributesA(absolute.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        throw Failure{exit_code::settings_file,
                      "cannot read settings file '" + path + "': no such file"};
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw Failure{exit_code::settings_file,
                      "cannot read settings file '" + path + "': it is a folder"};
    }
    const HANDLE file = CreateFileA(absolute.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        throw Failure{exit_code::settings_file,
                      "cannot read settings file '" + path + "': " +
                          (error == ERROR_ACCESS_DENIED
                               ? std::string("access denied")
                               : "Windows error " + std::to_string(error))};
    }
    CloseHandle(file);
    return absolute;
}

std::vector<std::string> section_names(const std::string& absolute_path) {
    return read_string_list([&](char* buffer, DWORD size) {
        return GetPrivateProfileSectionNamesA(buffer, size, absolute_path.c_str());
    });
}

bool has_section(const std::vector<std::string>& sections, const std::string& name) {
    for (const std::string& section : sections) {
        if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, section.c_str(), -1, name.c_str(),
                           -1) == CSTR_EQUAL) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> section_lines(const std::string& absolute_path,
                                       const std::string& section) {
    return read_string_list([&](char* buffer, DWORD size) {
        return GetPrivateProfileSectionA(section.c_str(), buffer, size, absolute_path.c_str());
    });
}

} // namespace scrivlet::host
