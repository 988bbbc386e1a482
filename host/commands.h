#pragma once
// The host's commands, one file each, below the dispatcher (commands.cpp).
// Each returns the process exit code or throws Failure.

#include "command_line.h"

#include <string>
#include <vector>

namespace scrivlet::host {

int run_info(const Options& options);      // info.cpp
int run_render(const Options& options);    // render.cpp
int run_sheet(const Options& options);     // sheet.cpp
int run_configure(const Options& options); // configure.cpp
// What a repaint costs the host, and the plug-in's own share of it, measured
// beside the gdiplus.dll stand-in in a child process (bench.cpp).
int run_bench(const Options& options);
// Reads only: loads no plug-in and writes nothing (check.cpp).
int run_check(const Options& options);
// What check finds in one section of a settings file at the given size that
// keeps its text from being drawn at all (an empty picture's reasons);
// nothing when the file has no such section.
std::vector<std::string> text_hiding_findings(const std::string& absolute_path,
                                              const std::string& section, Size size);
int run_watch(const Options& options); // watch.cpp

// Parses, runs, and turns every failure into its one line on stderr and its
// exit code. Nothing escapes. The arguments in the ANSI code page and as typed
// (UTF-8).
int run_host(const std::vector<std::string>& args,
             const std::vector<std::string>& typed_args) noexcept;

} // namespace scrivlet::host
