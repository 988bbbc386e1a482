#pragma once
// What the watch window decides without Windows: the size of its surface,
// the value it shows, when the next tick comes and when the settings file
// is loaded again. Portable, so that each rule is tested natively.

#include "command_line.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scrivlet::host {

// The watch window's class, by which a test finds it among a process's
// windows.
inline constexpr char watch_window_class[] = "ScrivletHostWatch";

// The surface: --size, else the section's "; size: WxH" comment in
// `file_text`, else default_cell.
Size watch_size(const std::optional<Size>& size_option, std::string_view file_text,
                std::string_view section);

struct ClockTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// "HH:MM:SS", each field two digits.
std::string clock_text(const ClockTime& time);

// --value's text when there is one, else the clock.
std::string watch_value(const std::optional<std::string>& value_option, const ClockTime& now);

// Ticks land just after a second turns, so that a clock that shows every
// second never skips one to timer drift.
inline constexpr uint32_t tick_margin_ms = 20;
// From `millisecond` (0..999) of the current second to a little after the
// next second begins.
uint32_t next_tick_delay_ms(uint32_t millisecond);

// What the file's directory entry says: enough to see that it changed.
struct FileStamp {
    uint64_t write_time = 0;
    uint64_t size = 0;
    bool operator==(const FileStamp&) const = default;
};

// Whether to load the section again: the file is there (an editor may
// have it away for a moment while it saves) and it is not what was loaded
// last. Never while the settings dialog has the record, which it edits in
// place until it returns.
bool should_reload(const std::optional<FileStamp>& loaded, const std::optional<FileStamp>& now,
                   bool dialog_open);

} // namespace scrivlet::host
