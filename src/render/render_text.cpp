#include "render/render_text.h"

#include "render/gdiplus_handles.h"

#include <cstring>

namespace scrivlet {

using namespace Gdiplus;

namespace {

constexpr ARGB transparent_white = 0x00FFFFFF;
constexpr REAL outline_width_pt = 1.0f;

const WCHAR* as_wchar(const std::u16string& text) {
    static_assert(sizeof(WCHAR) == sizeof(char16_t));
    return reinterpret_cast<const WCHAR*>(text.c_str());
}

} // namespace

void make_font_family(const MeterRecord& record, GpFontFamily** family) {
    const char* face = font_face(record);
    const std::u16string wide_face = widen_bytes({face, strnlen(face, LF_FACESIZE)});
    gdip::GdipCreateFontFamilyFromName(as_wchar(wide_face), nullptr, family);
}

void add_text_outlines(GpPath* path, std::string_view text, GpFontFamily* family,
                       const MeterRecord& record, LayoutRect rect, GpStringFormat* format) {
    if (path == nullptr || family == nullptr) {
        return;
    }
    const std::u16string wide_text = widen_bytes(text);
    const RectF layout{rect.x, rect.y, rect.width, rect.height};
    gdip::GdipAddPathString(path, as_wchar(wide_text), static_cast<INT>(wide_text.size()), family,
                            record.font_style, static_cast<REAL>(record.font_size), &layout,
                            format);
}

void render_text(HDC dc, MeterRecord& record, std::string_view expanded_text, int32_t width_px,
                 int32_t height_px) {
    // Before anything can fail: the next save must not write the bad value
    // back, whether or not this DC can be drawn on.
    if (!alignment_in_range(record.alignment)) {
        record.alignment = 0;
    }
    UniqueGraphics graphics;
    gdip::GdipCreateFromHDC(dc, graphics.put());
    if (!graphics) {
        return;
    }
    gdip::GdipGraphicsClear(graphics.get(), transparent_white);
    gdip::GdipSetPageUnit(graphics.get(), UnitPoint);
    REAL dpi_x = 0;
    REAL dpi_y = 0;
    gdip::GdipGetDpiX(graphics.get(), &dpi_x);
    gdip::GdipGetDpiY(graphics.get(), &dpi_y);

    const SurfacePoints surface = surface_points(width_px, height_px, dpi_x, dpi_y);
    const LayoutRect rect =
        layout_rectangle(surface, LayoutRoom{record.shadow_enabled != 0, record.shadow_size,
                                             record.shadow_offset_x, record.shadow_offset_y,
                                             record.border_enabled != 0, record.border_width});
    const float em_size = static_cast<float>(record.font_size);
    const Drawable drawable = drawable_geometry(
        DrawableInputs{dpi_x, dpi_y, width_px, height_px, rect, em_size, record.shadow_size,
                       record.shadow_offset_x, record.shadow_offset_y, record.border_width});

    UniqueStringFormat format;
    const LANGID language = record.log_font.lfCharSet;
    gdip::GdipCreateStringFormat(0, language, format.put());
    const AlignmentPair alignment = alignment_pair(record.alignment);
    const TabStops stops = tab_stops(surface.width_pt, record.tab_width);
    if (format) {
        gdip::GdipSetStringFormatAlign(format.get(),
                                       static_cast<StringAlignment>(alignment.horizontal));
        gdip::GdipSetStringFormatLineAlign(format.get(),
                                           static_cast<StringAlignment>(alignment.line));
        gdip::GdipSetStringFormatTabStops(format.get(), 0.0f, stops.count, stops.distances.data());
    }
    if (!drawable.text) {
        return; // the surface stays cleared; the handles release themselves in order
    }
    const std::string_view text =
        expanded_text.substr(0, drawable_text_length(rect, surface, em_size, expanded_text.size()));

    const float width_f = static_cast<float>(width_px);
    const float height_f = static_cast<float>(height_px);
    if (record.shadow_enabled && drawable.passes && drawable.shadow) {
        draw_shadow_pass(dc, record, text, width_f, height_f, rect, format.get());
    }
    if (record.border_enabled && drawable.passes && drawable.border) {
        draw_border_pass(dc, record, text, width_f, height_f, rect, format.get());
    }

    UniqueFontFamily family;
    make_font_family(record, family.put());
    gdip::GdipSetSmoothingMode(graphics.get(),
                               record.antialias ? SmoothingModeAntiAlias : SmoothingModeNone);
    const ARGB colour =
        pack_argb(record.font_alpha, record.font_red, record.font_green, record.font_blue);
    UniqueSolidFill brush;
    gdip::GdipCreateSolidFill(colour, brush.put());
    UniquePen pen;
    gdip::GdipCreatePen1(colour, outline_width_pt, UnitWorld, pen.put());
    UniquePath path;
    gdip::GdipCreatePath(FillModeAlternate, path.put());

    add_text_outlines(path.get(), text, family.get(), record, rect, format.get());
    if (path && brush) {
        gdip::GdipFillPath(graphics.get(), brush.get(), path.get());
    }
    if (record.antialias && path && pen) {
        gdip::GdipDrawPath(graphics.get(), pen.get(), path.get());
    }

    path.reset();
    pen.reset();
    brush.reset();
    family.reset();
    format.reset();
    graphics.reset();
}

} // namespace scrivlet
