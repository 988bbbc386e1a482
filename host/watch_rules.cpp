#include "watch_rules.h"

#include "size_comments.h"

#include <cstdio>

namespace scrivlet::host {

namespace {

constexpr uint32_t ms_per_second = 1000;

} // namespace

Size watch_size(const std::optional<Size>& size_option, std::string_view file_text,
                std::string_view section) {
    if (size_option) {
        return *size_option;
    }
    const std::optional<SizeComment> comment = suggested_size(size_comments(file_text), section);
    return comment ? comment->size : default_cell;
}

std::string clock_text(const ClockTime& time) {
    char text[sizeof "-2147483648:-2147483648:-2147483648"];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour, time.minute, time.second);
    return text;
}

std::string watch_value(const std::optional<std::string>& value_option, const ClockTime& now) {
    return value_option ? *value_option : clock_text(now);
}

uint32_t next_tick_delay_ms(uint32_t millisecond) {
    return ms_per_second - millisecond % ms_per_second + tick_margin_ms;
}

bool should_reload(const std::optional<FileStamp>& loaded, const std::optional<FileStamp>& now,
                   bool dialog_open) {
    return !dialog_open && now && now != loaded;
}

} // namespace scrivlet::host
