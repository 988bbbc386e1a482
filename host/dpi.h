#pragma once
// --dpi: GDI+ takes a DC's resolution from the display, and Wine fixes the
// display's resolution for a process when it starts, from the LogPixels
// value of HKCU\Control Panel\Desktop. So a render at another resolution
// runs in a child process started while that value says so. Windows fixes
// it for the whole session: there the option must match what it has.

#include <optional>

namespace scrivlet::host {

// nullopt: this process already draws at `dpi`, go on. Otherwise the exit
// code of the child that ran the same command line at `dpi`. Throws Failure
// (exit_code::usage) where the resolution cannot be had.
std::optional<int> run_at_dpi(int dpi);

// Wine's ntdll exports wine_get_version; Windows' does not.
bool under_wine();

} // namespace scrivlet::host
