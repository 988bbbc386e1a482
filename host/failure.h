#pragma once
// How scrivlet-host ends: every failure carries the exit code a script can
// test and one line for a person to read. Failures are thrown inside the
// host and caught only in main.

#include <string>

namespace scrivlet::host {

namespace exit_code {
inline constexpr int ok = 0;
inline constexpr int internal = 1;      // a fault of the host itself
inline constexpr int usage = 2;         // the command line is wrong
inline constexpr int plugin = 3;        // Scrivlet.dll missing, unloadable or incomplete
inline constexpr int settings_file = 4; // the INI file or its section cannot be used
inline constexpr int output = 5;        // no surface, out of memory, PNG not written
inline constexpr int findings = 6;      // check: the settings hold something worth a look
inline constexpr int no_dialog = 7;     // no window: configure's dialog, watch's window
inline constexpr int thread_ended = 8;  // the plug-in's thread ended inside a call
inline constexpr int nothing_drawn = 9; // render --strict: the picture is empty
} // namespace exit_code

struct Failure {
    int exit_code = exit_code::internal;
    std::string message;
};

} // namespace scrivlet::host
