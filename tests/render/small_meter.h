#pragma once
// Small meters whose shadow or border leaves the text a rectangle of no
// width or height, or less: the looks both the call-level and the pixel
// tests draw.

#include "meter/meter_record.h"

#include <cstdint>

namespace scrivlet::test {

struct SmallMeter {
    int width, height;
    int32_t font_size, shadow_size, shadow_offset, border_width; // 0: that pass off
};

inline void set_look(MeterRecord& r, const SmallMeter& m) {
    r.font_size = m.font_size;
    r.shadow_enabled = m.shadow_size != 0 ? 1 : 0;
    r.shadow_size = m.shadow_size;
    r.shadow_offset_x = r.shadow_offset_y = m.shadow_offset;
    r.border_enabled = m.border_width != 0 ? 1 : 0;
    r.border_width = m.border_width;
}

} // namespace scrivlet::test
