#include "meter/meter_record.h"

#include "meter/font_style.h"

#include <cstring>

namespace scrivlet {

LOGFONTA default_log_font() {
    LOGFONTA font{};
    font.lfHeight = -11;
    font.lfWeight = plain_weight;
    font.lfOutPrecision = OUT_STRING_PRECIS;
    font.lfClipPrecision = CLIP_STROKE_PRECIS;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    std::strcpy(font.lfFaceName, "Arial");
    return font;
}

MeterRecord make_default_record(HWND owner) {
    MeterRecord record;
    record.owner_window = owner;
    record.log_font = default_log_font();
    return record;
}

} // namespace scrivlet
