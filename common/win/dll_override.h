#pragma once
// Wine's load order for one DLL in the processes of one program file name,
// for as long as the holder lives: how a program is run beside the gdiplus.dll
// stand-in from another Windows program. (A WINEDLLOVERRIDES in the child's
// environment block is not seen by Wine 8's loader in a process started by
// another Wine process.) Windows ignores the key.

#include <string>

namespace scrivlet::win {

class WineDllOverride {
public:
    // Throws std::runtime_error when the key cannot be written.
    WineDllOverride(const std::string& program_file_name, const char* dll, const char* load_order);
    WineDllOverride(const WineDllOverride&) = delete;
    WineDllOverride& operator=(const WineDllOverride&) = delete;
    // Removes the program's key with everything in it.
    ~WineDllOverride();

private:
    std::string program_key_;
};

} // namespace scrivlet::win
