#pragma once
// The settings of one meter. The host holds a pointer to it from dllstartup
// on; every drawing is built from these fields alone.

#include <windows.h>

#include <cstdint>
#include <string>

namespace scrivlet {

struct MeterRecord {
    HWND owner_window = nullptr;
    LOGFONTA log_font{};
    int32_t font_size = 14;
    int32_t font_style = 0;
    int32_t alignment = 0;
    uint8_t underline = 0;
    uint8_t strikeout = 0;
    int32_t font_alpha = 255;
    int32_t font_red = 255;
    int32_t font_green = 255;
    int32_t font_blue = 255;
    uint8_t antialias = 1;
    uint8_t shadow_enabled = 0;
    int32_t shadow_alpha = 255;
    int32_t shadow_red = 0;
    int32_t shadow_green = 0;
    int32_t shadow_blue = 0;
    int32_t shadow_size = 5;
    int32_t shadow_softness = 5;
    int32_t shadow_offset_x = 0;
    int32_t shadow_offset_y = 0;
    uint8_t border_enabled = 1;
    int32_t border_alpha = 255;
    int32_t border_red = 0;
    int32_t border_green = 0;
    int32_t border_blue = 0;
    int32_t border_width = 1;
    std::string text_template = "%v";
    int32_t decimals = 0;
    int32_t tab_width = 30;
};

// The LOGFONTA a new record starts with: Arial at -11, weight 400.
LOGFONTA default_log_font();

// The face name lives in log_font; these name it as the rest of the code does.
inline const char* font_face(const MeterRecord& record) {
    return record.log_font.lfFaceName;
}
inline char* font_face(MeterRecord& record) {
    return record.log_font.lfFaceName;
}

// A record holding every default of a new meter.
MeterRecord make_default_record(HWND owner);

} // namespace scrivlet
