// Where a sheet puts its labels and cells, and which sheets are too large.

#include "sheet_layout.h"
#include "size_comments.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace scrivlet::host {
namespace {

TEST(HostSheetLayout, CellsFollowTheLabelColumnAndHeaderRowWithGaps) {
    const SheetLayout layout = sheet_layout({{240, 80}, {240, 80}, {240, 80}}, 5, 150);
    // 4 + 150 + 4 + 5 * (240 + 4) and 4 + 24 + 4 + 3 * (80 + 4)
    EXPECT_EQ(layout.image, (Size{1378, 284}));
    EXPECT_EQ(cell_origin(layout, 0, 0), (Point{158, 32}));
    EXPECT_EQ(cell_origin(layout, 2, 4), (Point{158 + 4 * 244, 32 + 2 * 84}));
    EXPECT_EQ(row_label_origin(layout, 1), (Point{4, 116}));
    EXPECT_EQ(value_label_origin(layout, 2, 3), (Point{158 + 3 * 244, 4}));
    // The last cell ends one gap before the image's edges.
    const Point last = cell_origin(layout, 2, 4);
    EXPECT_EQ(last.x + 240 + sheet_gap_px, layout.image.width);
    EXPECT_EQ(last.y + 80 + sheet_gap_px, layout.image.height);
}

TEST(HostSheetLayout, EachRowAsHighAsItsCellAndColumnsAsWideAsTheWidest) {
    const SheetLayout layout = sheet_layout({{100, 20}, {300, 64}, {50, 10}}, 2, 80);
    // 4 + 80 + 4 + 2 * (300 + 4) and 4 + 24 + 4 + (20 + 4) + (64 + 4) + (10 + 4)
    EXPECT_EQ(layout.image, (Size{696, 138}));
    EXPECT_EQ(cell_origin(layout, 0, 1), (Point{88 + 304, 32}));
    EXPECT_EQ(cell_origin(layout, 1, 0), (Point{88, 56}));
    EXPECT_EQ(cell_origin(layout, 2, 1), (Point{88 + 304, 124}));
    EXPECT_EQ(row_label_origin(layout, 2), (Point{4, 124}));
    EXPECT_EQ(layout.cells[1], (Size{300, 64}));
}

TEST(HostSheetLayout, RowsWithTheirOwnValuesHaveACaptionEachAndNoHeaderRow) {
    const SheetLayout layout = sheet_layout({{100, 20}, {300, 64}}, 3, 80, true);
    // 4 + 80 + 4 + 3 * (300 + 4) and 4 + (24 + 20 + 4) + (24 + 64 + 4)
    EXPECT_EQ(layout.image, (Size{1000, 144}));
    EXPECT_EQ(cell_origin(layout, 0, 0), (Point{88, 28}));
    EXPECT_EQ(cell_origin(layout, 1, 2), (Point{88 + 2 * 304, 76}));
    EXPECT_EQ(row_label_origin(layout, 1), (Point{4, 76}));
    EXPECT_EQ(value_label_origin(layout, 0, 1), (Point{88 + 304, 4}));
    EXPECT_EQ(value_label_origin(layout, 1, 2), (Point{88 + 2 * 304, 52}));
    // One header row for all: every row's names are the header's.
    const SheetLayout shared = sheet_layout({{100, 20}, {300, 64}}, 3, 80);
    EXPECT_EQ(value_label_origin(shared, 1, 2), (Point{88 + 2 * 304, 4}));
}

TEST(HostSheetLayout, ValueCommentsBelongToTheNextSectionHeader) {
    const std::string text = "; value: 37.25\r\n"
                             ";value: nothing, no blank\r\n"
                             "; value: 99,96|5\r\n"
                             "[Cpu]\r\n"
                             "Scrivlet_Text=%v\r\n"
                             "; value:  a | b |\n"
                             "[Bars]\n"
                             "[NoComment]\n"
                             ";  value: -1\n"
                             "; A plain value: not one\n"
                             "  [Spaced]  \n"
                             "; value: 7\n";
    const std::map<std::string, std::vector<std::string>> expected = {
        {"Cpu", {"37.25", "99,96", "5"}}, {"Bars", {"a ", " b ", ""}}};
    const auto values = value_comments(text);
    EXPECT_EQ(values, expected);
    EXPECT_EQ(suggested_values(values, "cPU"), (std::vector<std::string>{"37.25", "99,96", "5"}));
    EXPECT_EQ(suggested_values(values, "NoComment"), std::vector<std::string>{});
    EXPECT_EQ(suggested_values(values, "Spaced"), std::vector<std::string>{});
    EXPECT_EQ(value_comments(""), (std::map<std::string, std::vector<std::string>>{}));
}

TEST(HostSheetLayout, LabelColumnIsKeptWithinItsBounds) {
    EXPECT_EQ(sheet_layout({{10, 10}}, 5, 0).label_width, sheet_min_label_px);
    EXPECT_EQ(sheet_layout({{10, 10}}, 5, 100000).label_width, sheet_max_label_px);
    EXPECT_EQ(sheet_layout({{10, 10}}, 5, 123).label_width, 123u);
}

TEST(HostSheetLayout, ImagesOverTheSideLimitAreRefused) {
    struct Case {
        std::vector<Size> cells;
        size_t columns;
        const char* message; // nullptr: accepted
    };
    const std::vector<Case> cases = {
        // 8 + 80 + 5 * (3264 + 4) = 16428: too wide by a little
        {{{3264, 10}},
         5,
         "sheet: the image for 1 section and 5 values in cells up to 3264x10 would be 16428x46, "
         "over 16384 a side: use smaller cells (--size), fewer sections or fewer values"},
        {{{3255, 10}}, 5, nullptr}, // 8 + 80 + 5 * 3259 = 16383
        // 32 + 194 * 84 = 16328 fits, 195 rows do not
        {std::vector<Size>(194, {240, 80}), 5, nullptr},
        {std::vector<Size>(195, {240, 80}), 5,
         "sheet: the image for 195 sections and 5 values in cells up to 240x80 would be "
         "1308x16412, over 16384 a side: use smaller cells (--size), fewer sections or fewer "
         "values"},
        // Sums that would wrap 32 bits
        {{{16384, 16384}},
         300000,
         "sheet: the image for 1 section and 300000 values in cells up to 16384x16384 would be "
         "4916400088x16420, over 16384 a side: use smaller cells (--size), fewer sections or "
         "fewer values"},
        {{}, 1, nullptr},
    };
    for (const Case& c : cases) {
        if (c.message == nullptr) {
            EXPECT_NO_THROW(sheet_layout(c.cells, c.columns, 0)) << c.cells.size();
            continue;
        }
        try {
            sheet_layout(c.cells, c.columns, 0);
            ADD_FAILURE() << "accepted " << c.cells.size();
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.exit_code, exit_code::usage);
            EXPECT_EQ(failure.message, c.message);
        }
    }
}

} // namespace
} // namespace scrivlet::host
