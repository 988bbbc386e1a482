#pragma once
// Paths the tools and tests need from the system, read whole however long.

#include <windows.h>

#include <string>

namespace scrivlet::win {

// The file a loaded module came from; throws std::runtime_error if none.
std::string module_file_name(HMODULE module);
std::wstring module_file_name_wide(HMODULE module);

// Folder of the running program, with a trailing backslash.
std::string program_folder();

// The absolute form of a path (the path itself when it has none): the
// profile functions look for a bare file name in the Windows folder, not in
// the current one.
std::string absolute_path(const std::string& path);

// The user's temporary folder, with a trailing backslash; throws
// std::runtime_error if there is none.
std::string temp_folder();

// A path as a Windows program under Wine takes it: CMake hands folders over
// as Unix paths, and Wine shows the Unix root as drive Z.
std::string windows_path(std::string path);

// The ANSI code page's text as UTF-16.
std::wstring widen(const std::string& text);
// UTF-16 in the ANSI code page, for messages.
std::string narrow(const std::wstring& text);

// A new folder of its own under the temporary folder, removed with all it
// holds when the holder goes. Throws std::runtime_error if it cannot be made.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& prefix);
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder();

    // With a trailing backslash.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Removes a folder (given with a trailing backslash) and everything in it.
void remove_tree(const std::string& folder);

} // namespace scrivlet::win
