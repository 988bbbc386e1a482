#pragma once
// Where the parts of a contact sheet go: a header row of sample values, a
// label column of section names, and one cell per section and sample.

#include "command_line.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet::host {

// An integer, a decimal written both ways, a negative and a text that is no
// number: the kinds of meter value that the plug-in formats differently.
inline constexpr std::array<const char*, 5> sheet_samples = {"1234", "3,14159", "3.14159", "-42.5",
                                                             "offline"};

inline constexpr uint32_t sheet_gap_px = 4;
inline constexpr uint32_t sheet_header_px = 24;
inline constexpr uint32_t sheet_min_label_px = 80;
inline constexpr uint32_t sheet_max_label_px = 320;

struct SheetLayout {
    Size image;
    std::vector<Size> cells;        // one per row: that section's surface
    std::vector<uint32_t> row_tops; // one per row
    size_t columns = 0;             // one per sample value
    uint32_t column_width = 0;      // of the widest cell
    uint32_t label_width = 0;       // of the label column, gaps not included
    uint32_t header_height = 0;     // of the header row, or of each row's caption
    // Each row has its own sample values, named in a caption above its cells,
    // instead of one header row for all.
    bool row_captions = false;
};

struct Point {
    uint32_t x = 0;
    uint32_t y = 0;
    bool operator==(const Point&) const = default;
};

// One row per section, each as high as its own cell; columns as wide as the
// widest cell. `label_width` is what the longest section name needs; it is
// kept within sheet_min_label_px..sheet_max_label_px (a longer label is cut
// to that). Throws Failure (exit_code::usage) when the image would pass
// max_side_px on either side.
SheetLayout sheet_layout(const std::vector<Size>& row_cells, size_t columns, uint32_t label_width,
                         bool row_captions = false);

Point cell_origin(const SheetLayout& layout, size_t row, size_t column);
Point row_label_origin(const SheetLayout& layout, size_t row);
// Where a sample value's name goes: over its column in the header row, or
// in the row's own caption.
Point value_label_origin(const SheetLayout& layout, size_t row, size_t column);

} // namespace scrivlet::host
