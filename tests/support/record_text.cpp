#include "support/record_text.h"

namespace scrivlet::test {

std::vector<std::string> record_lines(const MeterRecord& r) {
    const LOGFONTA& f = r.log_font;
    auto line = [](const char* name, long long value) {
        return std::string(name) + "=" + std::to_string(value);
    };
    std::string face(f.lfFaceName, strnlen(f.lfFaceName, LF_FACESIZE));
    std::string text = r.text_template.size() > 80
                           ? r.text_template.substr(0, 80) + "...(" +
                                 std::to_string(r.text_template.size()) + " bytes)"
                           : r.text_template;
    return {
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
        "font_face=" + face,
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
        "text_template=" + text,
        line("text_template_hash",
             static_cast<long long>(std::hash<std::string>{}(r.text_template))),
        line("decimals", r.decimals),
        line("tab_width", r.tab_width),
    };
}

} // namespace scrivlet::test
