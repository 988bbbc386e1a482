#include "common/win/paths.h"

#include "common/win/buffer.h"
#include "common/win/handles.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <stdexcept>

namespace scrivlet::win {

namespace {

DWORD module_file_name_into(HMODULE module, char* buffer, size_t size) {
    return GetModuleFileNameA(module, buffer, static_cast<DWORD>(size));
}

DWORD module_file_name_into(HMODULE module, wchar_t* buffer, size_t size) {
    return GetModuleFileNameW(module, buffer, static_cast<DWORD>(size));
}

template <typename Char> std::basic_string<Char> module_file_name_of(HMODULE module) {
    const auto name = read_growing<Char>([&](Char* buffer, size_t size) {
        return cut_at_size_reply(module_file_name_into(module, buffer, size), size);
    });
    if (!name) {
        throw std::runtime_error("cannot find the file of a loaded module");
    }
    return *name;
}

} // namespace

std::string module_file_name(HMODULE module) {
    return module_file_name_of<char>(module);
}

std::wstring module_file_name_wide(HMODULE module) {
    return module_file_name_of<wchar_t>(module);
}

std::string program_folder() {
    const std::string file = module_file_name(nullptr);
    return file.substr(0, file.find_last_of("\\/") + 1);
}

std::string absolute_path(const std::string& path) {
    return read_growing<char>([&](char* buffer, size_t size) {
               return needed_size_reply(
                   GetFullPathNameA(path.c_str(), static_cast<DWORD>(size), buffer, nullptr), size);
           })
        .value_or(path);
}

std::string temp_folder() {
    const auto folder = read_growing<char>([](char* buffer, size_t size) {
        return needed_size_reply(GetTempPathA(static_cast<DWORD>(size), buffer), size);
    });
    if (!folder) {
        throw std::runtime_error("no temporary folder");
    }
    return folder->back() == '\\' ? *folder : *folder + '\\';
}

std::string windows_path(std::string path) {
    if (!path.empty() && path.front() == '/') {
        path = "Z:" + path;
    }
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

namespace {

std::wstring wide_from(UINT code_page, const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int length =
        MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

std::string ansi_from(const std::wstring& text, DWORD flags) {
    if (text.empty()) {
        return {};
    }
    const int length = WideCharToMultiByte(
        CP_ACP, flags, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, flags, text.data(), static_cast<int>(text.size()), ansi.data(),
                        length, nullptr, nullptr);
    return ansi;
}

} // namespace

std::wstring widen(const std::string& text) {
    return wide_from(CP_ACP, text);
}

std::string narrow(const std::wstring& text) {
    return ansi_from(text, 0);
}

std::wstring wide_from_utf8(const std::string& utf8) {
    return wide_from(CP_UTF8, utf8);
}

std::string ansi_from_wide(const std::wstring& text) {
    return ansi_from(text, WC_NO_BEST_FIT_CHARS);
}

std::string ansi_from_utf8(const std::string& utf8) {
    return ansi_from_wide(wide_from_utf8(utf8));
}

std::vector<std::string> outside_ansi(const std::wstring& text) {
    std::vector<std::string> outside;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size();
        const std::wstring one = text.substr(i, pair ? 2 : 1);
        BOOL lost = FALSE;
        char ansi[8]{};
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, one.data(), static_cast<int>(one.size()),
                            ansi, sizeof ansi, nullptr, &lost);
        i += pair ? 1 : 0;
        if (!lost) {
            continue;
        }
        const unsigned code =
            pair ? 0x10000 + ((one[0] - 0xD800u) << 10) + (one[1] - 0xDC00u) : one[0];
        char name[16];
        std::snprintf(name, sizeof name, "U+%04X", code);
        if (std::find(outside.begin(), outside.end(), name) == outside.end()) {
            outside.emplace_back(name);
        }
    }
    return outside;
}

std::string ansi_code_page() {
    return std::to_string(GetACP());
}

std::optional<std::string> ansi_path(const std::string& utf8_path) {
    const std::wstring given = wide_from_utf8(utf8_path);
    const std::optional<std::wstring> absolute =
        read_growing<wchar_t>([&](wchar_t* buffer, size_t size) {
            return needed_size_reply(
                GetFullPathNameW(given.c_str(), static_cast<DWORD>(size), buffer, nullptr), size);
        });
    const std::wstring full = absolute.value_or(given);
    if (outside_ansi(full).empty()) {
        return ansi_from_wide(full);
    }
    const std::optional<std::wstring> short_form =
        read_growing<wchar_t>([&](wchar_t* buffer, size_t size) {
            return needed_size_reply(
                GetShortPathNameW(full.c_str(), buffer, static_cast<DWORD>(size)), size);
        });
    if (!short_form || short_form->empty() || !outside_ansi(*short_form).empty()) {
        return std::nullopt;
    }
    return ansi_from_wide(*short_form);
}

void remove_tree(const std::string& folder) {
    WIN32_FIND_DATAA entry{};
    const UniqueFind search(FindFirstFileA((folder + "*").c_str(), &entry));
    if (search) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                remove_tree(folder + name + "\\");
            } else {
                DeleteFileA((folder + name).c_str());
            }
        } while (FindNextFileA(search.get(), &entry));
    }
    RemoveDirectoryA(folder.c_str());
}

ScratchFolder::ScratchFolder(const std::string& prefix) {
    // A name left by an earlier process of the same id is passed over.
    constexpr unsigned tries = 100;
    static std::atomic<unsigned> made{0};
    const std::string stem = temp_folder() + prefix + "-" + std::to_string(GetCurrentProcessId());
    for (unsigned i = 0; i < tries; ++i) {
        const std::string folder = stem + "-" + std::to_string(++made);
        if (CreateDirectoryA(folder.c_str(), nullptr)) {
            path_ = folder + "\\";
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    throw std::runtime_error("cannot make a folder '" + stem + "-N' (Windows error " +
                             std::to_string(GetLastError()) + ")");
}

ScratchFolder::~ScratchFolder() {
    remove_tree(path_);
}

} // namespace scrivlet::win
