#pragma once
// Client of the gdiplus.dll stand-in loaded in this process: its record of
// calls, failure injection, DPI and live-object count.

#include <string>
#include <vector>

namespace scrivlet::test::standin {

// True when the loaded gdiplus.dll is the stand-in, not the real library.
bool loaded();
void reset();
std::string log();
std::vector<std::string> lines();
// The lines whose function name is one of `functions`, in order.
std::vector<std::string> lines_of(const std::vector<std::string>& functions);
// Makes the `occurrence`-th call (from 1, counted since reset) of `function` fail.
void fail(const char* function, int occurrence);
void set_dpi(float x, float y);
long live_objects();
void set_recording(bool on);

} // namespace scrivlet::test::standin
