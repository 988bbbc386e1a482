#include "sheet_layout.h"

#include "common/ascii_case.h"

#include <algorithm>
#include <string>

namespace scrivlet::host {

SheetLayout sheet_layout(const std::vector<Size>& row_cells, size_t columns, uint32_t label_width,
                         bool row_captions) {
    SheetLayout layout;
    layout.row_captions = row_captions;
    layout.cells = row_cells;
    layout.columns = columns;
    layout.label_width = std::clamp(label_width, sheet_min_label_px, sheet_max_label_px);
    layout.header_height = sheet_header_px;
    uint32_t tallest = 0;
    for (const Size& cell : row_cells) {
        layout.column_width = std::max(layout.column_width, cell.width);
        tallest = std::max(tallest, cell.height);
    }
    // 64-bit sums: cells of 16384 a side times many rows or values must not
    // wrap before they are compared.
    const uint64_t width = sheet_gap_px + uint64_t{layout.label_width} + sheet_gap_px +
                           uint64_t{columns} * (uint64_t{layout.column_width} + sheet_gap_px);
    const uint64_t caption = row_captions ? layout.header_height : 0;
    uint64_t height =
        sheet_gap_px + (row_captions ? 0 : uint64_t{layout.header_height} + sheet_gap_px);
    for (const Size& cell : row_cells) {
        height += caption;
        layout.row_tops.push_back(static_cast<uint32_t>(std::min<uint64_t>(height, UINT32_MAX)));
        height += uint64_t{cell.height} + sheet_gap_px;
    }
    if (width > max_side_px || height > max_side_px) {
        throw Failure{exit_code::usage,
                      "sheet: the image for " + counted(row_cells.size(), "section", "sections") +
                          " and " + counted(columns, "value", "values") + " in cells up to " +
                          size_text(Size{layout.column_width, tallest}) + " would be " +
                          std::to_string(width) + "x" + std::to_string(height) + ", over " +
                          std::to_string(max_side_px) +
                          " a side: use smaller cells (--size), fewer sections or fewer values"};
    }
    layout.image = Size{static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
    return layout;
}

Point cell_origin(const SheetLayout& layout, size_t row, size_t column) {
    const uint32_t left = sheet_gap_px + layout.label_width + sheet_gap_px;
    return Point{left + static_cast<uint32_t>(column) * (layout.column_width + sheet_gap_px),
                 layout.row_tops[row]};
}

Point row_label_origin(const SheetLayout& layout, size_t row) {
    return Point{sheet_gap_px, layout.row_tops[row]};
}

Point value_label_origin(const SheetLayout& layout, size_t row, size_t column) {
    const uint32_t x = cell_origin(layout, row, column).x;
    return layout.row_captions ? Point{x, layout.row_tops[row] - layout.header_height}
                               : Point{x, sheet_gap_px};
}

} // namespace scrivlet::host
