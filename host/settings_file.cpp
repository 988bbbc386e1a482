#include "settings_file.h"

#include "failure.h"
#include "output_files.h"
#include "settings_text.h"

#include "common/win/buffer.h"
#include "common/win/handles.h"
#include "common/win/paths.h"

#include <windows.h>

#include <fstream>
#include <iterator>

namespace scrivlet::host {

namespace {

constexpr size_t first_list_chars = 4096;
// The profile reader may cut a quoted value one character short of the
// buffer and answer its size less two; only an answer below that is whole.
constexpr size_t value_terminators = 2;
constexpr size_t list_terminators = 2;

// The profile functions answer a list of NUL-terminated strings, ended by an
// empty one.
template <typename Read> std::vector<std::string> read_string_list(Read&& read) {
    const auto list = win::read_growing<char>(
        [&](char* buffer, size_t size) {
            const auto chars = static_cast<DWORD>(size);
            return win::profile_reply(read(buffer, chars), size, list_terminators);
        },
        first_list_chars);
    if (!list) {
        throw Failure{exit_code::settings_file, "the settings file is too large to list"};
    }
    std::vector<std::string> items;
    // An empty string ends the list.
    for (size_t start = 0; start < list->size() && (*list)[start] != '\0';) {
        const size_t end = list->find('\0', start);
        items.push_back(list->substr(start, end - start));
        start = end == std::string::npos ? list->size() : end + 1;
    }
    return items;
}

} // namespace

std::string readable_settings_file(const std::string& typed_path) {
    const std::string shown = win::ansi_from_utf8(typed_path);
    const std::wstring wide = win::wide_from_utf8(typed_path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        throw Failure{exit_code::settings_file, "cannot read settings file '" + shown +
                                                    "': " + missing_file_reason(typed_path)};
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw Failure{exit_code::settings_file,
                      "cannot read settings file '" + shown + "': it is a folder"};
    }
    const win::UniqueFile file(CreateFileW(wide.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        throw Failure{exit_code::settings_file,
                      "cannot read settings file '" + shown + "': " +
                          (error == ERROR_ACCESS_DENIED
                               ? std::string("access denied")
                               : "Windows error " + std::to_string(error))};
    }
    const std::optional<std::string> for_plugin = win::ansi_path(typed_path);
    if (!for_plugin) {
        throw Failure{exit_code::settings_file,
                      "cannot read settings file '" + shown + "': its path has characters the " +
                          "ANSI code page (" + win::ansi_code_page() +
                          ") cannot hold and no short form, so the plug-in cannot open it"};
    }
    return *for_plugin;
}

std::string shared_file_bytes(const std::string& absolute_path) {
    const win::UniqueFile file(CreateFileA(absolute_path.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!file) {
        return bytes;
    }
    char chunk[16384];
    DWORD read = 0;
    while (ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) {
        bytes.append(chunk, read);
    }
    return bytes;
}

std::vector<std::string> section_names(const std::string& absolute_path) {
    return read_string_list([&](char* buffer, DWORD size) {
        return GetPrivateProfileSectionNamesA(buffer, size, absolute_path.c_str());
    });
}

bool has_section(const std::vector<std::string>& sections, const std::string& name) {
    for (const std::string& section : sections) {
        if (same_profile_name(section, name)) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> section_in_file(const std::vector<std::string>& sections,
                                           const std::string& ansi, const std::string& utf8) {
    for (const std::string& name : {ansi, utf8}) {
        if (has_section(sections, name)) {
            return name;
        }
    }
    return std::nullopt;
}

std::vector<std::string> section_lines(const std::string& absolute_path,
                                       const std::string& section) {
    return read_string_list([&](char* buffer, DWORD size) {
        return GetPrivateProfileSectionA(section.c_str(), buffer, size, absolute_path.c_str());
    });
}

std::string profile_value(const std::string& absolute_path, const std::string& section,
                          const char* key, const char* missing) {
    const auto value = win::read_growing<char>([&](char* buffer, size_t size) {
        return win::profile_reply(GetPrivateProfileStringA(section.c_str(), key, missing, buffer,
                                                           static_cast<DWORD>(size),
                                                           absolute_path.c_str()),
                                  size, value_terminators);
    });
    if (!value) {
        throw Failure{exit_code::settings_file,
                      "the value of " + std::string(key) + " in [" + section + "] is too long"};
    }
    return *value;
}

} // namespace scrivlet::host
