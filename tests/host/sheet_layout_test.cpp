// Where a sheet puts its labels and cells, and which sheets are too large.

#include "sheet_layout.h"

#include <gtest/gtest.h>

namespace scrivlet::host {
namespace {

TEST(HostSheetLayout, CellsFollowTheLabelColumnAndHeaderRowWithGaps) {
    const SheetLayout layout = sheet_layout(3, Size{240, 80}, 150);
    // 4 + 150 + 4 + 5 * (240 + 4) and 4 + 24 + 4 + 3 * (80 + 4)
    EXPECT_EQ(layout.image, (Size{1378, 284}));
    EXPECT_EQ(cell_origin(layout, 0, 0), (Point{158, 32}));
    EXPECT_EQ(cell_origin(layout, 2, 4), (Point{158 + 4 * 244, 32 + 2 * 84}));
    EXPECT_EQ(row_label_origin(layout, 1), (Point{4, 116}));
    EXPECT_EQ(column_label_origin(layout, 3), (Point{158 + 3 * 244, 4}));
    // The last cell ends one gap before the image's edges.
    const Point last = cell_origin(layout, 2, 4);
    EXPECT_EQ(last.x + 240 + sheet_gap_px, layout.image.width);
    EXPECT_EQ(last.y + 80 + sheet_gap_px, layout.image.height);
}

TEST(HostSheetLayout, LabelColumnIsKeptWithinItsBounds) {
    EXPECT_EQ(sheet_layout(1, Size{10, 10}, 0).label_width, sheet_min_label_px);
    EXPECT_EQ(sheet_layout(1, Size{10, 10}, 100000).label_width, sheet_max_label_px);
    EXPECT_EQ(sheet_layout(1, Size{10, 10}, 123).label_width, 123u);
}

TEST(HostSheetLayout, ImagesOverTheSideLimitAreRefused) {
    struct Case {
        size_t sections;
        Size cell;
        const char* message; // nullptr: accepted
    };
    const Case cases[] = {
        // 8 + 80 + 5 * (3264 + 4) = 16428: too wide by a little
        {1, Size{3264, 10},
         "sheet: the image for 1 section in cells of 3264x10 would be 16428x46, over "
         "16384 a side: use a smaller --cell or fewer sections"},
        {1, Size{3255, 10}, nullptr}, // 8 + 80 + 5 * 3259 = 16383
        // 32 + 194 * 84 = 16328 fits, 195 rows do not
        {194, Size{240, 80}, nullptr},
        {195, Size{240, 80},
         "sheet: the image for 195 sections in cells of 240x80 would be 1308x16412, over "
         "16384 a side: use a smaller --cell or fewer sections"},
        // Sums that would wrap 32 bits
        {4000000000u, Size{16384, 16384},
         "sheet: the image for 4000000000 sections in cells of 16384x16384 would be "
         "82028x65552000000032, over 16384 a side: use a smaller --cell or fewer sections"},
    };
    for (const Case& c : cases) {
        if (c.message == nullptr) {
            EXPECT_NO_THROW(sheet_layout(c.sections, c.cell, 0)) << c.sections;
            continue;
        }
        try {
            sheet_layout(c.sections, c.cell, 0);
            ADD_FAILURE() << "accepted " << c.sections;
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.exit_code, exit_code::usage);
            EXPECT_EQ(failure.message, c.message);
        }
    }
}

} // namespace
} // namespace scrivlet::host
