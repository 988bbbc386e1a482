#include "meter_look.h"

#include "commands.h"
#include "common/win/handles.h"
#include "dpi.h"
#include "meter/font_style.h"
#include "render/layout.h"
#include "settings/settings_keys.h"
#include "settings/value_list.h"
#include "settings_file.h"
#include "text/template.h"
#include "text/value_format.h"

#include <windows.h>

#include <algorithm>

namespace scrivlet::host {

namespace {

using win::SelectionGuard;

// A key's value as the plug-in reads it: its missing text when the section
// lacks it.
std::string key_value(const std::string& file, const std::string& section, const SettingsKey& key) {
    return profile_value(file, section, key.name, missing_text(key).c_str());
}

const SettingsKey& text_key(KeyKind kind) {
    return *std::find_if(settings_keys.begin(), settings_keys.end(),
                         [&](const SettingsKey& k) { return k.kind == kind; });
}

// The section's lists as the plug-in reads them, stored in a record as a
// load stores them.
MeterRecord section_lists(const std::string& file, const std::string& section) {
    MeterRecord record;
    for (const SettingsKey& key : settings_keys) {
        if (key.kind == KeyKind::list) {
            store_list(record, key.fields,
                       read_value_list(key_value(file, section, key), list_positions(key.fields)));
        }
    }
    return record;
}

// GDI+ lays a path's text out at the face's design size and scales the
// result to the em: measured there, the widths are free of the hinting of
// small sizes and break where the library's do.
constexpr int design_em_px = 2048;

double extent_px(HDC dc, std::string_view text) {
    SIZE extent{};
    if (text.empty() ||
        !GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &extent)) {
        return 0;
    }
    return extent.cx;
}

// Each line of `text` at the meter's face and style, `em_px` to the em.
std::vector<LineExtent> line_extents(const std::string& text, const std::string& face,
                                     int32_t style, double em_px) {
    const win::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    const win::UniqueGdiObject font(CreateFontA(
        -design_em_px, 0, 0, 0, (style & style_bold) != 0 ? FW_BOLD : FW_NORMAL,
        (style & style_italic) != 0 ? 1 : 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face.c_str()));
    if (!dc || !font) {
        return {};
    }
    const SelectionGuard selected(dc.get(), font.get());
    const double scale = em_px / design_em_px;
    std::vector<LineExtent> lines;
    const std::string_view all = text;
    for (size_t start = 0; start <= all.size();) {
        const size_t end = std::min(all.find('\n', start), all.size());
        const std::string_view line = all.substr(start, end - start);
        LineExtent measured{extent_px(dc.get(), line) * scale, 0, {}};
        for (size_t word_start = 0; word_start < line.size();) {
            const size_t word_end = std::min(line.find(' ', word_start), line.size());
            const std::string_view word = line.substr(word_start, word_end - word_start);
            const double width = extent_px(dc.get(), word) * scale;
            if (width > measured.widest_word_px) {
                measured.widest_word_px = width;
                measured.widest_word = word;
            }
            word_start = word_end + 1;
        }
        lines.push_back(std::move(measured));
        start = end + 1;
    }
    return lines;
}

const char* narrowed_by(const MeterRecord& record) {
    if (record.shadow_enabled != 0) {
        return record.border_enabled != 0 ? "the shadow and border" : "the shadow";
    }
    return record.border_enabled != 0 ? "the border" : "";
}

// The height GDI gives a line of the face at its size, at the resolution of
// `screen`; 0 when the font cannot be made.
double line_height_px(HDC screen, const std::string& face, int32_t size_pt) {
    const int size_px = MulDiv(size_pt, GetDeviceCaps(screen, LOGPIXELSY), 72);
    if (size_pt <= 0 || size_px <= 0) {
        return 0;
    }
    const win::UniqueGdiObject font(CreateFontA(-size_px, 0, 0, 0, FW_NORMAL, 0, 0, 0,
                                                DEFAULT_CHARSET, 0, 0, 0, 0, face.c_str()));
    if (!font) {
        return 0;
    }
    const SelectionGuard selected(screen, font.get());
    TEXTMETRICA metrics{};
    if (!GetTextMetricsA(screen, &metrics)) {
        return 0;
    }
    return static_cast<double>(metrics.tmHeight + metrics.tmExternalLeading);
}

} // namespace

// The template the plug-in reads for the section, as it reads it.
std::string section_template(const std::string& file, const std::string& section) {
    return key_value(file, section, text_key(KeyKind::text_template));
}

MeterLook meter_look(const std::string& file, const std::string& section) {
    return MeterLook{section_lists(file, section),
                     key_value(file, section, text_key(KeyKind::font_face)),
                     section_template(file, section)};
}

std::string meter_text(const MeterLook& look, const std::string& value) {
    return expand_template(look.text_template, format_meter_value(value, look.lists.decimals));
}

PreviewFacts preview_facts(const std::string& file, const std::string& section,
                           const std::string& value, Size size, bool drawn) {
    const MeterLook look = meter_look(file, section);
    const MeterRecord& record = look.lists;
    PreviewFacts facts;
    facts.under_wine = under_wine();
    facts.expanded_text = meter_text(look, value);
    facts.anything_drawn = drawn;
    if (!drawn) {
        facts.findings = text_hiding_findings(file, section, size);
    }
    facts.surface_height_px = size.height;
    facts.surface_width_px = size.width;
    // Only the low byte of each channel reaches the library's colour.
    facts.text_alpha_zero = (record.font_alpha & 0xFF) == 0;
    const win::UniqueMemoryDc screen(CreateCompatibleDC(nullptr));
    facts.line_height_px = line_height_px(screen.get(), look.face, record.font_size);
    const float dpi_x = static_cast<float>(GetDeviceCaps(screen.get(), LOGPIXELSX));
    const float dpi_y = static_cast<float>(GetDeviceCaps(screen.get(), LOGPIXELSY));
    if (!(dpi_x > 0 && dpi_y > 0) || record.font_size <= 0) {
        return facts;
    }
    constexpr double points_per_inch = 72.0;
    const LayoutRect rect = layout_rectangle(
        surface_points(static_cast<int32_t>(size.width), static_cast<int32_t>(size.height), dpi_x,
                       dpi_y),
        LayoutRoom{record.shadow_enabled != 0, record.shadow_size, record.shadow_offset_x,
                   record.shadow_offset_y, record.border_enabled != 0, record.border_width});
    facts.layout_width_px = rect.width * dpi_x / points_per_inch;
    facts.narrowed_by = narrowed_by(record);
    facts.lines = line_extents(facts.expanded_text, look.face, record.font_style,
                               record.font_size * dpi_x / points_per_inch);
    return facts;
}

bool anything_drawn(const win::DibSurface& surface) {
    const uint8_t* bits = surface.pixels();
    const size_t count = static_cast<size_t>(surface.width()) * surface.height();
    for (size_t i = 0; i < count; ++i) {
        if (bits[i * 4 + 3] != 0) {
            return true;
        }
    }
    return false;
}

} // namespace scrivlet::host
