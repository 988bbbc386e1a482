#pragma once
// Runs tests of this program again in a child process under another screen
// resolution. Wine takes the resolution of the screen and of every memory DC
// from HKCU\Control Panel\Desktop\LogPixels when a process starts, so the
// parent sets that value, starts the child and puts the old value back.

#include <string>

namespace scrivlet::test {

// The resolution run_at_dpi started this process for; 0 in a process
// started the ordinary way.
int child_dpi();

// Runs this program with `--gtest_filter=<filter>` at `dpi`; the child's exit
// code, or -1 when the setting could not be made or the child not started.
int run_at_dpi(int dpi, const std::string& filter);

// LOGPIXELSX of a new memory DC.
int memory_dc_dpi();

} // namespace scrivlet::test
