#pragma once
// Wine takes the resolution of the screen and of every memory DC from
// HKCU\Control Panel\Desktop\LogPixels when a process starts: a process
// started while this override lives draws at its resolution.

#include "common/win/handles.h"

#include <windows.h>

namespace scrivlet::win {

// Sets LogPixels; what was there before, or its absence, comes back when
// the override goes, whichever way the scope is left.
class LogPixelsOverride {
public:
    explicit LogPixelsOverride(DWORD dpi);
    LogPixelsOverride(const LogPixelsOverride&) = delete;
    LogPixelsOverride& operator=(const LogPixelsOverride&) = delete;
    ~LogPixelsOverride();

    // False when the value could not be set (nothing was changed then).
    bool set() const { return set_; }

private:
    UniqueHkey key_;
    DWORD previous_ = 0;
    bool had_value_ = false;
    bool set_ = false;
};

// LOGPIXELSX of a new memory DC: the resolution GDI+ draws this process at.
int memory_dc_dpi();

} // namespace scrivlet::win
