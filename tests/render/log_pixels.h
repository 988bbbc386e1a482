#pragma once
// Runs tests of this program again in a child process under another screen
// resolution: the child starts while LogPixels says so (see
// common/win/log_pixels.h).

#include "common/win/log_pixels.h"

#include <string>

namespace scrivlet::test {

// The resolution run_at_dpi started this process for; 0 in a process
// started the ordinary way.
int child_dpi();

// Runs this program with `--gtest_filter=<filter>` at `dpi`; the child's exit
// code, or -1 when the setting could not be made, the child not started, or
// it had to be ended for running out of time.
int run_at_dpi(int dpi, const std::string& filter);

// LOGPIXELSX of a new memory DC.
using win::memory_dc_dpi;

} // namespace scrivlet::test
