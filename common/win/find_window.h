#pragma once
// Finding another program's (or this program's) top-level window, as a test
// or a host looks for the settings dialog a meter opened.

#include <windows.h>

#include <string_view>

namespace scrivlet::win {

// The window class of dialog boxes.
inline constexpr std::string_view dialog_class = "#32770";

// A visible top-level window of `process_id` of the given class and, when
// `title` is not empty, with that title; null when there is none.
HWND find_visible_window(DWORD process_id, std::string_view class_name,
                         std::string_view title = {});

} // namespace scrivlet::win
