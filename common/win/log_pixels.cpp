#include "common/win/log_pixels.h"

namespace scrivlet::win {

namespace {

constexpr const char* desktop_key = "Control Panel\\Desktop";
constexpr const char* log_pixels_value = "LogPixels";

} // namespace

LogPixelsOverride::LogPixelsOverride(DWORD dpi) {
    if (RegCreateKeyExA(HKEY_CURRENT_USER, desktop_key, 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key_.put(),
                        nullptr) != ERROR_SUCCESS) {
        key_.reset();
        return;
    }
    DWORD type = 0;
    DWORD size = sizeof(previous_);
    had_value_ = RegQueryValueExA(key_.get(), log_pixels_value, nullptr, &type,
                                  reinterpret_cast<BYTE*>(&previous_), &size) == ERROR_SUCCESS &&
                 type == REG_DWORD;
    set_ = RegSetValueExA(key_.get(), log_pixels_value, 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi)) == ERROR_SUCCESS;
}

LogPixelsOverride::~LogPixelsOverride() {
    if (!set_) {
        return;
    }
    if (had_value_) {
        RegSetValueExA(key_.get(), log_pixels_value, 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&previous_), sizeof(previous_));
    } else {
        RegDeleteValueA(key_.get(), log_pixels_value);
    }
}

int memory_dc_dpi() {
    const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    return dc ? GetDeviceCaps(dc.get(), LOGPIXELSX) : 0;
}

} // namespace scrivlet::win
