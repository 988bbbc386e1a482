#pragma once
// The GDI+ calls of a repaint before the shadow and border passes and of the
// fill after them, as the gdiplus.dll stand-in records them: shared by the
// tests of the whole repaint and of the passes.

#include <initializer_list>
#include <string>
#include <vector>

namespace scrivlet::test {

using Lines = std::vector<std::string>;

inline Lines joined(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// render_text's calls before the passes, on a 200 x 40 surface at 96 dpi.
inline const Lines before_passes = {
    "GdipCreateFromHDC(dc) -> graphics1",
    "GdipGraphicsClear(graphics1,0x00FFFFFF)",
    "GdipSetPageUnit(graphics1,3)",
    "GdipGetDpiX(graphics1)",
    "GdipGetDpiY(graphics1)",
    "GdipCreateStringFormat(0,0) -> format1",
    "GdipSetStringFormatAlign(format1,0)",
    "GdipSetStringFormatLineAlign(format1,0)",
    "GdipSetStringFormatTabStops(format1,0,4,[30 30 30 30])",
};

// render_text's fill after the passes, with the labels of its objects.
inline Lines fill_calls(const std::string& family, const std::string& brush, const std::string& pen,
                        const std::string& path, const std::string& rect) {
    return {
        "GdipCreateFontFamilyFromName(\"Arial\",null) -> " + family,
        "GdipSetSmoothingMode(graphics1,4)",
        "GdipCreateSolidFill(0xFFFFFFFF) -> " + brush,
        "GdipCreatePen1(0xFFFFFFFF,1,0) -> " + pen,
        "GdipCreatePath(0) -> " + path,
        "GdipAddPathString(" + path + ",\"42\",2," + family + ",0,14," + rect + ",format1)",
        "GdipFillPath(graphics1," + brush + "," + path + ")",
        "GdipDrawPath(graphics1," + pen + "," + path + ")",
        "GdipDeletePath(" + path + ")",
        "GdipDeletePen(" + pen + ")",
        "GdipDeleteBrush(" + brush + ")",
        "GdipDeleteFontFamily(" + family + ")",
        "GdipDeleteStringFormat(format1)",
        "GdipDeleteGraphics(graphics1)",
    };
}

} // namespace scrivlet::test
