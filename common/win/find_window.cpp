#include "common/win/find_window.h"

#include <array>

namespace scrivlet::win {

namespace {

struct WindowSearch {
    DWORD process_id;
    std::string_view class_name;
    std::string_view title;
    HWND found = nullptr;
};

BOOL CALLBACK match_window(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.process_id || !IsWindowVisible(window)) {
        return TRUE;
    }
    std::array<char, 256> text{};
    const int class_length = GetClassNameA(window, text.data(), static_cast<int>(text.size()));
    if (std::string_view(text.data(), static_cast<size_t>(class_length)) != search.class_name) {
        return TRUE;
    }
    if (!search.title.empty()) {
        const int title_length = GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
        if (std::string_view(text.data(), static_cast<size_t>(title_length)) != search.title) {
            return TRUE;
        }
    }
    search.found = window;
    return FALSE;
}

} // namespace

HWND find_visible_window(DWORD process_id, std::string_view class_name, std::string_view title) {
    WindowSearch search{process_id, class_name, title};
    EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace scrivlet::win
