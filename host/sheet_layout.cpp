#include "sheet_layout.h"

#include "common/ascii_case.h"

#include <algorithm>
#include <string>

namespace scrivlet::host {

namespace {

std::string plural(uint64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

} // namespace

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
                      "sheet: the image for " + plural(row_cells.size(), "section", "sections") +
                          " and " + plural(columns, "value", "values") + " in cells up to " +
                          std::to_string(layout.column_width) + "x" + std::to_string(tallest) +
                          " would be " + std::to_string(width) + "x" + std::to_string(height) +
                          ", over " + std::to_string(max_side_px) +
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

namespace {

constexpr std::string_view value_comment = "; value:";

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

} // namespace

std::map<std::string, std::vector<std::string>> value_comments(std::string_view file_text) {
    std::map<std::string, std::vector<std::string>> values;
    std::vector<std::string> pending;
    for (size_t start = 0; start <= file_text.size();) {
        const size_t end = std::min(file_text.find('\n', start), file_text.size());
        const std::string_view line = trimmed(file_text.substr(start, end - start));
        start = end + 1;
        if (line.substr(0, value_comment.size()) == value_comment) {
            const std::vector<std::string> listed =
                split_values(trimmed(line.substr(value_comment.size())));
            pending.insert(pending.end(), listed.begin(), listed.end());
        } else if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            if (!pending.empty()) {
                values[std::string(line.substr(1, line.size() - 2))] = pending;
            }
            pending.clear();
        }
    }
    return values;
}

std::vector<std::string>
suggested_values(const std::map<std::string, std::vector<std::string>>& values,
                 std::string_view section) {
    for (const auto& [name, list] : values) {
        if (same_ignoring_case(name, section)) {
            return list;
        }
    }
    return {};
}

} // namespace scrivlet::host
