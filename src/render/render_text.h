#pragma once

#include "meter/meter_record.h"
#include "render/layout.h"

#include <windows.h>
#include <gdiplus.h>

#include <string_view>

namespace scrivlet {

// Clears the surface to transparent white and draws the text as filled glyph
// outlines, over the shadow and border passes when those are on. May write
// `alignment` back to 0 when it is out of range.
void render_text(HDC dc, MeterRecord& record, std::string_view text, int32_t width_px,
                 int32_t height_px);

// The passes draw beneath the fill; `format` may be absent.
void draw_shadow_pass(HDC dc, const MeterRecord& record, std::string_view text, float width_px,
                      float height_px, LayoutRect rect, Gdiplus::GpStringFormat* format);
void draw_border_pass(HDC dc, const MeterRecord& record, std::string_view text, float width_px,
                      float height_px, LayoutRect rect, Gdiplus::GpStringFormat* format);

// Font family of the record's face among the installed fonts; absent when
// the face is not installed.
void make_font_family(const MeterRecord& record, Gdiplus::GpFontFamily** family);

// Appends the glyph outlines of the text, laid out in the rectangle with the
// record's font, to the path. The fill and both passes go through here, so
// that all three cover exactly the same glyph shapes. Nothing happens
// without a path or a font family.
void add_text_outlines(Gdiplus::GpPath* path, std::string_view text, Gdiplus::GpFontFamily* family,
                       const MeterRecord& record, LayoutRect rect, Gdiplus::GpStringFormat* format);

} // namespace scrivlet
