#pragma once
// Paths the tools and tests need from the system, read whole however long.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

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

// UTF-8 as UTF-16, and in the ANSI code page with "?" for every character it
// cannot hold (no look-alike: "?" is what the plug-in then draws).
std::wstring wide_from_utf8(const std::string& utf8);
std::string ansi_from_utf8(const std::string& utf8);
std::string ansi_from_wide(const std::wstring& text);
// The characters of the text that the ANSI code page cannot hold, each once,
// in order, as "U+2713".
std::vector<std::string> outside_ansi(const std::wstring& text);
// The ANSI code page's number, as "1252".
std::string ansi_code_page();

// A path to an existing file (UTF-8, absolute or not) as a program that
// takes ANSI paths can open it: the absolute path, or its short 8.3 form
// where the long one has characters the code page cannot hold. Nothing when
// neither will do (no short name on that volume).
std::optional<std::string> ansi_path(const std::string& utf8_path);

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
