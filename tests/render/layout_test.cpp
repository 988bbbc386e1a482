// Layout arithmetic against the worked figures a theme author can check by
// hand: 200 x 40 px at 96 dpi is 149 x 29 pt.

#include "render/layout.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

namespace scrivlet {
namespace {

TEST(SurfacePoints, ConvertsPixelsToPointsLessOne) {
    struct Case {
        int32_t width, height;
        float dpi_x, dpi_y;
        float width_pt, height_pt;
    };
    const Case cases[] = {
        {200, 40, 96, 96, 149, 29}, {200, 40, 120, 144, 119, 19},    {0, 0, 96, 96, -1, -1},
        {1, 1, 72, 72, 0, 0},       {1600, 400, 192, 192, 599, 149},
    };
    for (const Case& c : cases) {
        const SurfacePoints s = surface_points(c.width, c.height, c.dpi_x, c.dpi_y);
        EXPECT_EQ(s.width_pt, c.width_pt) << c.width << "@" << c.dpi_x;
        EXPECT_EQ(s.height_pt, c.height_pt) << c.height << "@" << c.dpi_y;
    }
}

TEST(LayoutRectangle, InsetsForShadowAndBorder) {
    struct Case {
        const char* name;
        LayoutRoom room;
        float x, y, width, height;
    };
    const SurfacePoints surface{149, 29};
    const Case cases[] = {
        {"nothing", {false, 5, 0, 0, false, 1}, 0, 0, 149, 29},
        {"default border", {false, 5, 0, 0, true, 1}, 1, 1, 147, 27},
        {"shadow 5, offsets 3 -4", {true, 5, 3, -4, false, 1}, 2, 6, 140, 23},
        {"shadow then border 4", {true, 5, 0, 0, true, 4}, 4, 4, 141, 21},
        {"negative shadow size", {true, -5, 0, 0, false, 1}, -2, -2, 151, 31},
        {"border wider than shadow room", {true, 2, 0, 0, true, 3}, 3, 3, 143, 23},
        {"negative offsets move, not narrow", {true, 4, -10, -1, false, 0}, 12, 3, 143, 23},
    };
    for (const Case& c : cases) {
        const LayoutRect r = layout_rectangle(surface, c.room);
        EXPECT_EQ(r.x, c.x) << c.name;
        EXPECT_EQ(r.y, c.y) << c.name;
        EXPECT_EQ(r.width, c.width) << c.name;
        EXPECT_EQ(r.height, c.height) << c.name;
    }
}

TEST(LayoutRectangle, ExtremeValuesStayFinite) {
    const SurfacePoints surface{149, 29};
    const LayoutRect r = layout_rectangle(
        surface, LayoutRoom{true, INT32_MIN, INT32_MAX, INT32_MIN, true, INT32_MAX});
    EXPECT_TRUE(std::isfinite(r.x) && std::isfinite(r.y));
    EXPECT_TRUE(std::isfinite(r.width) && std::isfinite(r.height));
}

TEST(TabStops, CountsOverTheWholeSurface) {
    struct Case {
        float surface_width_pt;
        int32_t tab_width;
        int count;
        float distance;
    };
    const Case cases[] = {
        {149, 30, 4, 30},   {400, 1, 256, 1}, {149, 0, 0, 0},
        {149, -30, 4, -30}, {149, 150, 0, 0}, {-1, 30, 0, 0},
        {-61, 30, 2, 30},   {0, 0, 0, 0},     {599, INT32_MIN, 0, 0},
    };
    for (const Case& c : cases) {
        const TabStops stops = tab_stops(c.surface_width_pt, c.tab_width);
        EXPECT_EQ(stops.count, c.count) << c.surface_width_pt << "/" << c.tab_width;
        for (int i = 0; i < stops.count; ++i) {
            ASSERT_EQ(stops.distances[static_cast<size_t>(i)], c.distance);
        }
    }
}

TEST(Alignment, GridRowIsLineAlignmentColumnIsHorizontal) {
    const AlignmentPair expected[] = {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1},
                                      {2, 1}, {0, 2}, {1, 2}, {2, 2}};
    for (int32_t a = 0; a < 9; ++a) {
        EXPECT_EQ(alignment_pair(a).horizontal, expected[a].horizontal) << a;
        EXPECT_EQ(alignment_pair(a).line, expected[a].line) << a;
        EXPECT_TRUE(alignment_in_range(a));
    }
    for (int32_t a : {9, 12, -1, INT32_MIN, INT32_MAX}) {
        EXPECT_FALSE(alignment_in_range(a)) << a;
        EXPECT_EQ(alignment_pair(a).horizontal, 0) << a;
        EXPECT_EQ(alignment_pair(a).line, 0) << a;
    }
}

TEST(Widen, EveryByteBecomesTheSameCodeUnit) {
    const std::string bytes("A\xE9\x80\xFF\t\n", 6);
    EXPECT_EQ(widen_bytes(bytes), (std::u16string{u'A', 0xE9, 0x80, 0xFF, u'\t', u'\n'}));
    EXPECT_EQ(widen_bytes(std::string("a\0b", 3)).size(), 3u);
    EXPECT_TRUE(widen_bytes("").empty());
}

TEST(ShadowBitmap, ReducedByTheReciprocalAndTruncated) {
    struct Case {
        float width, height;
        int32_t softness;
        bool made;
        int32_t bitmap_width, bitmap_height;
    };
    const Case cases[] = {
        {200, 40, 5, true, 40, 8},  {200, 40, 1, true, 200, 40}, {200, 40, 3, true, 66, 13},
        {200, 40, 0, false, 0, 0},  {200, 40, -5, false, 0, 0},  {200, 40, 1000, false, 0, 0},
        {200, 40, 41, false, 0, 0}, {200, 40, 40, true, 5, 1},   {0, 0, 1, false, 0, 0},
    };
    for (const Case& c : cases) {
        BitmapSize size;
        EXPECT_EQ(shadow_bitmap_size(c.width, c.height, c.softness, size), c.made) << c.softness;
        if (c.made) {
            EXPECT_EQ(size.width, c.bitmap_width) << c.softness;
            EXPECT_EQ(size.height, c.bitmap_height) << c.softness;
        }
    }
}

TEST(ShadowDestination, MovesAndGrowsByTheOffsets) {
    struct Case {
        int32_t ox, oy;
        PixelRect expected;
    };
    const Case cases[] = {
        {3, 2, {3, 2, 203, 42}},
        {-4, 0, {-4, 0, 196, 40}},
        {0, 0, {0, 0, 200, 40}},
        {INT32_MAX, INT32_MIN, {INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN + 40}},
    };
    for (const Case& c : cases) {
        const PixelRect r = shadow_destination(200, 40, c.ox, c.oy);
        EXPECT_EQ((std::array{r.x, r.y, r.width, r.height}),
                  (std::array{c.expected.x, c.expected.y, c.expected.width, c.expected.height}));
    }
}

TEST(PackArgb, UsesTheLowEightBitsOfEachChannel) {
    EXPECT_EQ(pack_argb(255, 255, 255, 255), 0xFFFFFFFFu);
    EXPECT_EQ(pack_argb(128, 1, 2, 3), 0x80010203u);
    EXPECT_EQ(pack_argb(256, -1, 0x1FF, 0x100), 0x00FFFF00u);
}

} // namespace
} // namespace scrivlet

namespace scrivlet {
namespace {

TEST(DrawableText, CutsWhatCannotShowAndBoundsTheRest) {
    struct Case {
        const char* name;
        LayoutRect rect;
        SurfacePoints visible;
        float em;
        size_t length;
        size_t expected;
    };
    // The default meter of 200 x 40 pixels at 96 dpi: 149 x 29 points.
    const SurfacePoints meter{149, 29};
    const Case cases[] = {
        {"short text on a meter", {1, 1, 147, 27}, meter, 14, 8, 8},
        {"everything that can show", {1, 1, 147, 27}, meter, 14, 5000, 2 * (106 + 1) + 64},
        {"a tall rectangle shows more lines",
         {1, 1, 147, 100},
         meter,
         14,
         5000,
         8 * (106 + 1) + 64},
        {"a feed on a full-screen meter", {1, 1, 1437, 807}, {1439, 809}, 12, 3000, 3000},
        {"capped on a huge surface",
         {0, 0, 12287, 12287},
         {12287, 12287},
         14,
         1 << 20,
         max_drawable_text_bytes},
        {"cap itself passes",
         {0, 0, 12287, 12287},
         {12287, 12287},
         14,
         max_drawable_text_bytes,
         max_drawable_text_bytes},
        {"narrow rectangle", {0, 0, 1.25f, 1.25f}, meter, 14, 4096, 1 * (1 + 1) + 64},
        // Laid out without wrapping, as far as the surface shows.
        {"no width", {0, 0, 0, 27}, meter, 14, 5000, 2 * (107 + 1) + 64},
        {"no width on a tall surface: one line at most unwrapped",
         {0, 0, 0, 3000},
         {149, 3000},
         14,
         5000,
         max_unwrapped_text_bytes},
        {"negative height", {0, 0, 147, -0.25f}, meter, 14, 5000, 3 * (106 + 1) + 64},
        {"no room on a surface of none", {0, 0, -3, -3}, {-1, -1}, 14, 100, 1 * (1 + 1) + 64},
        {"em size zero", {1, 1, 147, 27}, meter, 0, 10, 0},
        {"negative em size", {1, 1, 147, 27}, meter, -5, 10, 0},
        {"a huge em still shows its first glyphs", {1, 1, 147, 27}, meter, 1e6f, 100, 66},
        {"width not a number", {0, 0, std::nanf(""), 27}, meter, 14, 5000, 2 * (107 + 1) + 64},
        {"empty text", {1, 1, 147, 27}, meter, 14, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(drawable_text_length(c.rect, c.visible, c.em, c.length), c.expected) << c.name;
    }
}

std::string flags(Drawable d) {
    return std::string(d.text ? "text" : "-") + (d.passes ? " passes" : " -") +
           (d.shadow ? " shadow" : " -") + (d.border ? " border" : " -");
}

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr const char* everything = "text passes shadow border";
constexpr const char* nothing = "- - - -";

TEST(DrawableGeometry, EveryNumberIsCheckedAgainstWhatCanShow) {
    struct Case {
        const char* name;
        DrawableInputs in;
        const char* expected;
    };
    // At 96 dpi the default meter of 200 x 40 pixels is 150 x 30 points, its
    // rectangle 1,1,147,27; the largest surface is 12288 points a side.
    const DrawableInputs meter{96, 96, 200, 40, {1, 1, 147, 27}, 14, 5, 0, 0, 1};
    auto with = [&meter](auto change) {
        DrawableInputs in = meter;
        change(in);
        return in;
    };
    const Case cases[] = {
        {"the default meter", meter, everything},
        {"a DC of no resolution", with([](auto& in) { in.dpi_x = in.dpi_y = 0; }), nothing},
        {"negative resolution", with([](auto& in) { in.dpi_y = -96; }), nothing},
        {"infinite resolution", with([](auto& in) { in.dpi_x = inf; }), nothing},
        {"resolution not a number", with([](auto& in) { in.dpi_x = std::nanf(""); }), nothing},
        // A wide shadow or border on a small meter leaves the rectangle no
        // room, and the library lays the text out all the same.
        {"no width", with([](auto& in) { in.rect.width = 0; }), everything},
        {"negative height", with([](auto& in) { in.rect.height = -0.25f; }), everything},
        {"rectangle not a number", with([](auto& in) { in.rect.x = std::nanf(""); }), nothing},
        {"infinite rectangle", with([](auto& in) { in.rect.width = inf; }), nothing},
        // Shadow offset -141639757 pushes the rectangle down by as much.
        {"far below the surface", with([](auto& in) { in.rect.y = 141639760.0f; }), nothing},
        {"ends as far below as the largest surface is high",
         with([](auto& in) { in.rect.y = 30 + 12288 - 27; }), everything},
        {"ends further below", with([](auto& in) { in.rect.y = 30 + 12288 - 26.5f; }), nothing},
        {"starts as far left as the largest surface is wide",
         with([](auto& in) { in.rect.x = -12288; }), everything},
        {"starts further left", with([](auto& in) { in.rect.x = -12289; }), nothing},
        // A shadow offset of INT_MAX takes 2^31 off the rectangle's height.
        {"as much less than no height as the largest surface is high",
         with([](auto& in) { in.rect.height = -12289; }), everything},
        {"less than that", with([](auto& in) { in.rect.height = -12290; }), nothing},
        // A shadow size of INT_MIN widens the rectangle by 2^30 each way.
        {"reaches past the largest surface", with([](auto& in) {
             in.rect.x = -1073741824.0f;
             in.rect.width = 2147483648.0f;
         }),
         nothing},
        {"reaches as far as the largest surface", with([](auto& in) {
             in.rect.x = -12288;
             in.rect.width = 12288 + 150 + 12288;
         }),
         everything},
        {"em zero", with([](auto& in) { in.em_size_pt = 0; }), nothing},
        {"negative em", with([](auto& in) { in.em_size_pt = -5; }), nothing},
        {"em of 800 points on any meter", with([](auto& in) { in.em_size_pt = 800; }), everything},
        {"em beyond 800 points on a meter", with([](auto& in) { in.em_size_pt = 800.5f; }),
         nothing},
        {"the largest font themes use on a small meter", with([](auto& in) {
             in.width_px = 37;
             in.height_px = 13;
             in.rect = {1, 1, 24.75f, 6.75f};
             in.em_size_pt = 400;
         }),
         everything},
        {"60000 points on a small meter", with([](auto& in) {
             in.width_px = 37;
             in.height_px = 13;
             in.rect = {1, 1, 24.75f, 6.75f};
             in.em_size_pt = 60000;
         }),
         nothing},
        {"the largest surface's em bound", with([](auto& in) {
             in.width_px = in.height_px = max_surface_side_px;
             in.em_size_pt = 24576;
         }),
         everything},
        {"past it on a larger surface", with([](auto& in) {
             in.width_px = in.height_px = 65536;
             in.em_size_pt = 24577;
         }),
         nothing},
        {"sides beyond any surface make no pass bitmap", with([](auto& in) {
             in.width_px = 40000;
             in.height_px = 30000;
         }),
         "text - shadow border"},
        {"the largest side makes one", with([](auto& in) { in.width_px = max_surface_side_px; }),
         everything},
        {"shadow moved less than the largest side",
         with([](auto& in) { in.shadow_offset_x = max_surface_side_px - 1; }), everything},
        {"shadow moved the largest side",
         with([](auto& in) { in.shadow_offset_x = max_surface_side_px; }), "text passes - border"},
        {"shadow moved up the largest side",
         with([](auto& in) { in.shadow_offset_y = -max_surface_side_px; }), "text passes - border"},
        {"shadow moved INT_MIN", with([](auto& in) { in.shadow_offset_y = INT32_MIN; }),
         "text passes - border"},
        {"shadow pen twice the largest surface", with([](auto& in) { in.shadow_size = -24576; }),
         everything},
        {"shadow pen wider than that", with([](auto& in) { in.shadow_size = 24577; }),
         "text passes - border"},
        {"shadow size INT_MIN", with([](auto& in) { in.shadow_size = INT32_MIN; }),
         "text passes - border"},
        {"border band as wide as the largest surface",
         with([](auto& in) { in.border_width = -12288; }), everything},
        {"border band wider than the largest surface",
         with([](auto& in) { in.border_width = -12289; }), "text passes shadow -"},
        {"border width INT_MIN", with([](auto& in) { in.border_width = INT32_MIN; }),
         "text passes shadow -"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(flags(drawable_geometry(c.in)), c.expected) << c.name;
    }
}

// The hostile settings files that crashed or held the host, through the
// whole geometry.
TEST(DrawableGeometry, HostileSettingsDrawNothing) {
    struct Case {
        const char* name;
        LayoutRoom room;
        int32_t width_px, height_px;
        float em;
    };
    const Case cases[] = {
        {"shadow offset pushes the text off", {true, 5, 0, -141639757, false, 0}, 200, 40, 14},
        {"negative shadow size on one pixel", {true, INT32_MIN, 0, 0, false, 0}, 1, 1, 65536},
        {"negative shadow size on a meter", {true, INT32_MIN, 0, 0, false, 0}, 200, 40, 14},
        {"huge shadow size", {true, INT32_MAX, 0, 0, false, 0}, 200, 40, 14},
        {"huge border", {false, 0, 0, 0, true, INT32_MAX}, 200, 40, 14},
        {"shadow offsets INT_MIN", {true, 5, INT32_MIN, INT32_MIN, true, 1}, 200, 40, 14},
        {"shadow offsets INT_MAX", {true, 5, INT32_MAX, INT32_MAX, true, 1}, 200, 40, 14},
        {"em of 60000 points on 37 x 13", {false, 0, 0, 0, true, 1}, 37, 13, 60000},
        {"65536 pixels a side", {false, 0, 0, 0, true, 1}, 65536, 65536, 14},
        {"40000 x 30000 pixels", {true, 5, 3, 3, true, 1}, 40000, 30000, 14},
    };
    for (const Case& c : cases) {
        const SurfacePoints surface = surface_points(c.width_px, c.height_px, 96, 96);
        const LayoutRect rect = layout_rectangle(surface, c.room);
        const Drawable d = drawable_geometry({96, 96, c.width_px, c.height_px, rect, c.em,
                                              c.room.shadow_size, c.room.shadow_offset_x,
                                              c.room.shadow_offset_y, c.room.border_width});
        EXPECT_FALSE(d.text) << c.name;
    }
    // With the border on, the rectangle is pulled back onto the surface but
    // the shadow's pen stays as wide as the file says.
    const LayoutRoom room{true, INT32_MIN, 0, 0, true, 1};
    const LayoutRect rect = layout_rectangle(surface_points(200, 40, 96, 96), room);
    EXPECT_EQ(flags(drawable_geometry({96, 96, 200, 40, rect, 14, INT32_MIN, 0, 0, 1})),
              "text passes - border");
}

// Everything real themes use, on every surface up to 4K at 96 to 288 dpi:
// however little room the shadow and border leave, every pass and the fill
// are drawn.
TEST(DrawableGeometry, OrdinaryMetersDrawEverything) {
    struct Size {
        int32_t width, height;
    };
    for (const Size size : {Size{1, 1}, Size{120, 12}, Size{200, 40}, Size{3840, 2160}}) {
        for (const float dpi : {96.0f, 288.0f}) {
            for (const float em : {6.0f, 400.0f}) {
                for (const int32_t shadow : {0, 50}) {
                    for (const int32_t offset : {-100, 0, 100}) {
                        for (const int32_t border : {0, 50}) {
                            const LayoutRoom room{true, shadow, offset, -offset, true, border};
                            const LayoutRect rect = layout_rectangle(
                                surface_points(size.width, size.height, dpi, dpi), room);
                            const Drawable d =
                                drawable_geometry({dpi, dpi, size.width, size.height, rect, em,
                                                   shadow, offset, -offset, border});
                            EXPECT_EQ(flags(d), everything)
                                << size.width << "x" << size.height << " at " << dpi << " dpi, em "
                                << em << ", shadow " << shadow << " moved " << offset << ", border "
                                << border;
                        }
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace scrivlet
