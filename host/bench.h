#pragma once
// scrivlet-host bench: what a repaint costs the host, and how much of that is
// the plug-in's own code rather than GDI+ drawing. The share is measured in a
// child process beside the gdiplus.dll stand-in, because one process cannot
// hold the real library and the stand-in under the same name.

#include "command_line.h"

namespace scrivlet::host {

// Prints the table (or, in the stand-in child, one line per measurement for
// the parent to read). Throws Failure.
int run_benchmark(const Options& options);

} // namespace scrivlet::host
