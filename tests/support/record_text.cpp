#include "support/record_text.h"

#include <cstring>

namespace scrivlet::test {

std::vector<std::string> persisted_lines(const MeterRecord& r) {
    const auto line = [](const char* name, int32_t value) {
        return std::string(name) + "=" + std::to_string(value);
    };
    return {
        line("font_size", r.font_size),
        line("font_style", r.font_style),
        line("alignment", r.alignment),
        line("underline", r.underline),
        line("strikeout", r.strikeout),
        line("font_alpha", r.font_alpha),
        line("font_red", r.font_red),
        line("font_green", r.font_green),
        line("font_blue", r.font_blue),
        line("antialias", r.antialias),
        line("shadow_enabled", r.shadow_enabled),
        line("shadow_alpha", r.shadow_alpha),
        line("shadow_red", r.shadow_red),
        line("shadow_green", r.shadow_green),
        line("shadow_blue", r.shadow_blue),
        line("shadow_size", r.shadow_size),
        line("shadow_softness", r.shadow_softness),
        line("shadow_offset_x", r.shadow_offset_x),
        line("shadow_offset_y", r.shadow_offset_y),
        line("border_enabled", r.border_enabled),
        line("border_alpha", r.border_alpha),
        line("border_red", r.border_red),
        line("border_green", r.border_green),
        line("border_blue", r.border_blue),
        line("border_width", r.border_width),
        line("decimals", r.decimals),
        line("tab_width", r.tab_width),
        std::string("font_face=") +
            std::string(r.log_font.lfFaceName, strnlen(r.log_font.lfFaceName, LF_FACESIZE)),
        "text_template=" + r.text_template,
    };
}

std::vector<std::string> record_lines(const MeterRecord& r) {
    const LOGFONTA& f = r.log_font;
    const auto line = [](const char* name, long long value) {
        return std::string(name) + "=" + std::to_string(value);
    };
    std::vector<std::string> lines = {
        line("owner_window", reinterpret_cast<long long>(r.owner_window)),
        line("lfHeight", f.lfHeight),
        line("lfWidth", f.lfWidth),
        line("lfEscapement", f.lfEscapement),
        line("lfOrientation", f.lfOrientation),
        line("lfWeight", f.lfWeight),
        line("lfItalic", f.lfItalic),
        line("lfUnderline", f.lfUnderline),
        line("lfStrikeOut", f.lfStrikeOut),
        line("lfCharSet", f.lfCharSet),
        line("lfOutPrecision", f.lfOutPrecision),
        line("lfClipPrecision", f.lfClipPrecision),
        line("lfQuality", f.lfQuality),
        line("lfPitchAndFamily", f.lfPitchAndFamily),
    };
    const std::vector<std::string> persisted = persisted_lines(r);
    lines.insert(lines.end(), persisted.begin(), persisted.end());
    return lines;
}

} // namespace scrivlet::test
