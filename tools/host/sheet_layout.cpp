#include "sheet_layout.h"

#include <algorithm>
#include <string>

namespace scrivlet::host {

SheetLayout sheet_layout(size_t sections, Size cell, uint32_t label_width) {
    SheetLayout layout;
    layout.cell = cell;
    layout.label_width = std::clamp(label_width, sheet_min_label_px, sheet_max_label_px);
    layout.header_height = sheet_header_px;
    // 64-bit sums: a cell of 16384 a side times many rows must not wrap
    // before it is compared.
    const uint64_t columns = sheet_samples.size();
    const uint64_t width = sheet_gap_px + uint64_t{layout.label_width} + sheet_gap_px +
                           columns * (uint64_t{cell.width} + sheet_gap_px);
    const uint64_t height = sheet_gap_px + uint64_t{layout.header_height} + sheet_gap_px +
                            uint64_t{sections} * (uint64_t{cell.height} + sheet_gap_px);
    if (width > max_side_px || height > max_side_px) {
        throw Failure{exit_code::usage, "sheet: the image for " + std::to_string(sections) +
                                            (sections == 1 ? " section" : " sections") +
                                            " in cells of " + std::to_string(cell.width) + "x" +
                                            std::to_string(cell.height) + " would be " +
                                            std::to_string(width) + "x" + std::to_string(height) +
                                            ", over " + std::to_string(max_side_px) +
                                            " a side: use a smaller --cell or fewer sections"};
    }
    layout.image = Size{static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
    return layout;
}

Point cell_origin(const SheetLayout& layout, size_t row, size_t column) {
    const uint32_t left = sheet_gap_px + layout.label_width + sheet_gap_px;
    const uint32_t top = sheet_gap_px + layout.header_height + sheet_gap_px;
    return Point{left + static_cast<uint32_t>(column) * (layout.cell.width + sheet_gap_px),
                 top + static_cast<uint32_t>(row) * (layout.cell.height + sheet_gap_px)};
}

Point row_label_origin(const SheetLayout& layout, size_t row) {
    return Point{sheet_gap_px, cell_origin(layout, row, 0).y};
}

Point column_label_origin(const SheetLayout& layout, size_t column) {
    return Point{cell_origin(layout, 0, column).x, sheet_gap_px};
}

} // namespace scrivlet::host
