#include "common/win/paths.h"

#include "common/win/buffer.h"
#include "common/win/handles.h"

#include <algorithm>
#include <atomic>
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

std::wstring widen(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string narrow(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string narrowed(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrowed.data(),
                        length, nullptr, nullptr);
    return narrowed;
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
