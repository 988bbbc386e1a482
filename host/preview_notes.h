#pragma once
// What a preview says besides the picture: where the platform draws less
// than the plug-in asked for, and why a picture came out empty. The
// plug-in makes the same calls everywhere; these notes only explain what
// the platform under the host did with them.

#include <cstdint>
#include <string>
#include <vector>

namespace scrivlet::host {

// One line of the expanded text as the graphics library measures it at the
// meter's face, size and style, in pixels of the surface.
struct LineExtent {
    double width_px = 0;
    double widest_word_px = 0; // of the widest run between spaces
    std::string widest_word{};
    bool operator==(const LineExtent&) const = default;
};

struct PreviewFacts {
    bool under_wine = false;
    std::string expanded_text; // the template expanded with the value, as the plug-in does
    bool anything_drawn = true;
    // What `scrivlet-host check` finds in the section at this size that
    // keeps the text from being drawn: the reasons for an empty picture.
    std::vector<std::string> findings;
    double line_height_px = 0; // of the meter's font; 0 when unknown
    uint32_t surface_height_px = 0;
    uint32_t surface_width_px = 0;
    // The rectangle the text is laid out in; without a positive width the
    // library wraps nothing.
    double layout_width_px = 0;
    bool text_alpha_zero = false;    // the text's colour has alpha 0
    std::string narrowed_by{};       // "the border", "the shadow and border"; empty when neither
    std::vector<LineExtent> lines{}; // one per line of expanded_text; none when unmeasured
};

// Lines for standard error, without the program's name; none when the
// picture is what the plug-in means on every platform.
std::vector<std::string> preview_notes(const PreviewFacts& facts);

// Of `notes`, those to say when `said` were said last: none when they are
// the same; else each note not said then, a note kept whole with the lines
// of check's findings beneath it.
std::vector<std::string> unsaid_notes(const std::vector<std::string>& notes,
                                      const std::vector<std::string>& said);

// A sheet's legend: which cells got a red corner and why, in the words of
// `notes[row][column]` (none: the cell is not marked); the cells of a row
// with the same notes share a line. Each row is named by its label
// ("[CPU]", or "cpu.ini [CPU]" on a sheet of several files) and has values
// of its own.
std::vector<std::string>
marked_cells_legend(const std::vector<std::string>& rows,
                    const std::vector<std::vector<std::string>>& values,
                    const std::vector<std::vector<std::vector<std::string>>>& notes);

// Whether Wine draws less of this text than Windows: its GDI+ draws only the
// first line of a path's text and leaves out tabs.
bool wine_draws_less(const std::string& expanded_text);

// The short mark of a sheet's cell that Wine draws less of.
inline constexpr const char* wine_first_line_mark = "Wine draws the first line only";

} // namespace scrivlet::host
