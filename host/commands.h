#pragma once
// The host's commands. Each returns the process exit code or throws Failure.

#include "command_line.h"

namespace scrivlet::host {

int run_info(const Options& options);
int run_render(const Options& options);
int run_sheet(const Options& options);
int run_configure(const Options& options);
int run_bench(const Options& options);
// Reads only: loads no plug-in and writes nothing (check.cpp).
int run_check(const Options& options);
// What check finds in one section of a settings file at the given size;
// nothing when the file has no such section.
std::vector<std::string> findings_at_size(const std::string& absolute_path,
                                          const std::string& section, Size size);
int run_watch(const Options& options);

// Parses, runs, and turns every failure into its one line on stderr and its
// exit code. Nothing escapes.
int run_host(const std::vector<std::string>& args) noexcept;

} // namespace scrivlet::host
