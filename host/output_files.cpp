#include "output_files.h"

#include "common/file_bytes.h"
#include "common/win/handles.h"
#include "common/win/paths.h"
#include "section_edit.h"

#include <windows.h>

#include <cstdio>
#include <new>
#include <system_error>

namespace scrivlet::host {

namespace {

// The folder part of a path as the user gave it ("d" of "d\\x.png"), keeping
// a root's separator and a drive's colon; empty for a bare file name.
std::string folder_of(const std::string& path) {
    const size_t end = path.find_last_of("\\/:");
    if (end == std::string::npos) {
        return {};
    }
    const bool root = path[end] == ':' || end == 0 || path[end - 1] == ':';
    return path.substr(0, root ? end + 1 : end);
}

// "X:" or "X:\\": a drive's root, which is missing only when the drive is.
bool is_drive_root(const std::string& folder) {
    return folder.size() >= 2 && folder.size() <= 3 && folder[1] == ':' &&
           (folder.size() == 2 || folder[2] == '\\' || folder[2] == '/');
}

// Why the C library could not write `path`, in the user's terms. Windows
// refuses a folder as "access denied", so that is told apart first.
std::string write_failure_reason(const std::string& path, std::error_code error) {
    if (is_folder(path)) {
        return "it is a folder";
    }
    const std::string folder = folder_of(path);
    if (!folder.empty() && !is_folder(folder)) {
        return missing_folder_reason(folder);
    }
    if (error == std::errc::permission_denied) {
        return "access denied";
    }
    return error.message();
}

// mingw's system category does not map Windows errors to errno values, and
// write_failure_reason speaks of the one a person can act on.
std::error_code windows_write_error(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION
               ? std::make_error_code(std::errc::permission_denied)
               : std::error_code(static_cast<int>(error), std::system_category());
}

// OPEN_ALWAYS, not CREATE_ALWAYS: the file keeps the attributes the author
// gave it.
std::error_code write_whole_file(const std::wstring& path, std::string_view bytes) {
    const win::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return windows_write_error(GetLastError());
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        !SetEndOfFile(file.get())) {
        return windows_write_error(GetLastError());
    }
    return {};
}

} // namespace

std::string missing_folder_reason(const std::string& folder) {
    return is_drive_root(folder) ? "the drive '" + folder.substr(0, 2) + "' does not exist"
                                 : "the folder '" + folder + "' does not exist";
}

std::string missing_file_reason(const std::string& typed_path) {
    const std::string folder = folder_of(typed_path);
    const DWORD attributes = GetFileAttributesW(win::wide_from_utf8(folder).c_str());
    if (folder.empty() ||
        (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) {
        return "no such file";
    }
    return missing_folder_reason(win::ansi_from_utf8(folder));
}

bool is_folder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(win::absolute_path(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void write_png(const std::string& typed_path, const png::Image& image) {
    const std::string shown = win::ansi_from_utf8(typed_path);
    std::vector<uint8_t> bytes;
    std::error_code error;
    try {
        error = png::encode_file(image, bytes);
    } catch (const std::bad_alloc&) {
        throw Failure{exit_code::output, "out of memory writing a " +
                                             size_text(Size{image.width, image.height}) + " PNG"};
    }
    if (!error) {
        error = write_whole_file(
            win::wide_from_utf8(typed_path),
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    if (error) {
        throw Failure{exit_code::output,
                      "cannot write '" + shown + "': " + write_failure_reason(shown, error)};
    }
}

void save_section(const std::string& absolute_path, const std::string& shown_path,
                  const std::string& section, const std::vector<std::string>& before,
                  const std::vector<std::string>& after) {
    const std::string had = file_bytes(absolute_path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    // file_bytes answers an unreadable file as an empty one: writing the
    // section alone would lose the rest of the author's file.
    if (had.empty() && GetFileAttributesExA(absolute_path.c_str(), GetFileExInfoStandard, &data) &&
        (data.nFileSizeLow != 0 || data.nFileSizeHigh != 0)) {
        throw Failure{exit_code::output,
                      "cannot write '" + shown_path + "': it could not be read first"};
    }
    const std::string wanted = with_section_changes(had, section, before, after);
    const std::error_code error = write_whole_file(win::widen(absolute_path), wanted);
    if (error) {
        throw Failure{exit_code::output, "cannot write '" + shown_path +
                                             "': " + write_failure_reason(shown_path, error)};
    }
    // A write that reports success is believed only once the file holds it.
    if (file_bytes(absolute_path) != wanted) {
        throw Failure{exit_code::output,
                      "cannot write '" + shown_path + "': it does not hold what was written"};
    }
}

void create_settings_file(const std::string& typed_path) {
    const std::wstring wide = win::wide_from_utf8(typed_path);
    if (GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return;
    }
    const std::string shown = win::ansi_from_utf8(typed_path);
    const win::UniqueFile file(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        throw Failure{exit_code::output,
                      "cannot create '" + shown +
                          "': " + write_failure_reason(shown, windows_write_error(GetLastError()))};
    }
    std::printf("configure: created %s\n", shown.c_str());
}

std::vector<uint8_t> image_buffer(Size size) {
    try {
        return std::vector<uint8_t>(static_cast<size_t>(size.width) * size.height * 4);
    } catch (const std::bad_alloc&) {
        throw Failure{exit_code::output, "out of memory for a " + size_text(size) + " image"};
    }
}

} // namespace scrivlet::host
