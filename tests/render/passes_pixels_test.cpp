// What the shadow and border passes leave on a 32-bit DIB section under the
// real GDI+: where the band and the shadow lie relative to the glyphs, what
// their alpha does, and that both follow the surface's resolution.
//
// Pixels are premultiplied BGRA. The glyphs are told apart by drawing the
// same record twice, once with only the text visible and once with only the
// pass visible: colours do not move the layout rectangle, so both drawings
// share every glyph position.

#include "log_pixels.h"
#include "small_meter.h"
#include "support/plugin.h"
#include "support/surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace scrivlet::test {
namespace {

constexpr double points_per_inch = 72.0;
constexpr Pixel transparent_white{0, 0, 0, 0};

// Alpha of every pixel of a drawing.
struct Coverage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> alpha;

    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    uint8_t at(int x, int y) const {
        return inside(x, y) ? alpha[static_cast<size_t>(y * width + x)] : 0;
    }
    bool covered(int x, int y) const { return at(x, y) != 0; }
    int count() const {
        int n = 0;
        for (uint8_t a : alpha) {
            n += a != 0 ? 1 : 0;
        }
        return n;
    }
};

Coverage coverage_of(const Surface& surface) {
    Coverage c{surface.width(), surface.height(), {}};
    c.alpha.resize(static_cast<size_t>(c.width * c.height));
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            c.alpha[static_cast<size_t>(y * c.width + x)] = surface.at(x, y).alpha;
        }
    }
    return c;
}

// Distance from pixel centre to pixel centre to the nearest pixel for which
// `wanted` holds, searched within `radius`; radius + 1 when there is none.
double distance_to(int x, int y, int radius, const std::function<bool(int, int)>& wanted) {
    double best = radius + 1.0;
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            if (wanted(x + dx, y + dy)) {
                best = std::min(best, std::hypot(dx, dy));
            }
        }
    }
    return best;
}

// A glyph pixel whose eight neighbours are glyph pixels too: clear of the
// one-pixel disagreements between two rasterisations of the same edge.
bool interior(const Coverage& glyphs, int x, int y) {
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (!glyphs.covered(x + dx, y + dy)) {
                return false;
            }
        }
    }
    return true;
}

// A background pixel that touches a glyph pixel side by side.
bool just_outside(const Coverage& glyphs, int x, int y) {
    return glyphs.inside(x, y) && !glyphs.covered(x, y) &&
           (glyphs.covered(x - 1, y) || glyphs.covered(x + 1, y) || glyphs.covered(x, y - 1) ||
            glyphs.covered(x, y + 1));
}

// The two drawings side by side in characters, for failure messages:
// '#' glyph only, 'o' other only, '@' both, '.' neither.
std::string picture(const Coverage& glyphs, const Coverage& other) {
    std::ostringstream out;
    for (int y = 0; y < glyphs.height; ++y) {
        for (int x = 0; x < glyphs.width; ++x) {
            const bool g = glyphs.covered(x, y);
            const bool o = other.covered(x, y);
            out << (g && o ? '@' : g ? '#' : o ? 'o' : '.');
        }
        out << '\n';
    }
    return out.str();
}

struct Centroid {
    double x = 0;
    double y = 0;
};

// Alpha-weighted centre of a drawing, in pixel-centre coordinates.
Centroid centroid(const Coverage& c) {
    double sum = 0;
    Centroid at;
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            const double a = c.at(x, y);
            sum += a;
            at.x += a * (x + 0.5);
            at.y += a * (y + 0.5);
        }
    }
    if (sum > 0) {
        at.x /= sum;
        at.y /= sum;
    }
    return at;
}

struct Colour {
    int32_t alpha, red, green, blue;
};

void set_text_colour(MeterRecord& r, Colour c) {
    r.font_alpha = c.alpha;
    r.font_red = c.red;
    r.font_green = c.green;
    r.font_blue = c.blue;
}
void set_border_colour(MeterRecord& r, Colour c) {
    r.border_alpha = c.alpha;
    r.border_red = c.red;
    r.border_green = c.green;
    r.border_blue = c.blue;
}
void set_shadow_colour(MeterRecord& r, Colour c) {
    r.shadow_alpha = c.alpha;
    r.shadow_red = c.red;
    r.shadow_green = c.green;
    r.shadow_blue = c.blue;
}

constexpr Colour opaque_white{255, 255, 255, 255};
constexpr Colour opaque_red{255, 255, 0, 0};
constexpr Colour opaque_black{255, 0, 0, 0};
constexpr Colour invisible{0, 255, 255, 255};

// Round digits: a miter join at a sharp corner would reach beyond the band's
// width on any library, and meters mostly show digits.
constexpr const char* digits = "808";

// The record for a pair of drawings that line up. The shadow room is made
// exactly as wide as the border, so the layout rectangle does not move when
// the border is switched on or off; softness 0 keeps the shadow itself off.
void border_pair_record(MeterRecord& r, int32_t border_width, int32_t font_size = 20) {
    r.font_size = font_size;
    r.alignment = 4;
    r.antialias = 0;
    r.shadow_enabled = 1;
    r.shadow_softness = 0;
    r.shadow_size = 2 * border_width;
    r.border_width = border_width;
}

struct Drawn {
    Coverage glyphs;
    Coverage pass;
};

// The glyphs alone, then the border alone, with the same layout.
void draw_glyphs_and_border(const Meter& meter, Surface& surface, Drawn& drawn) {
    MeterRecord& r = meter.record();
    r.border_enabled = 0;
    set_text_colour(r, opaque_white);
    meter.repaint(surface.dc(), digits, surface.width(), surface.height());
    drawn.glyphs = coverage_of(surface);
    r.border_enabled = 1;
    set_border_colour(r, opaque_red);
    set_text_colour(r, invisible);
    meter.repaint(surface.dc(), digits, surface.width(), surface.height());
    drawn.pass = coverage_of(surface);
}

// The border checks shared by every resolution: a band of pure border
// colour outside the glyphs, no farther from them than the border's width,
// never over a glyph's inside, and running round the glyphs' outline.
void expect_border_hugs_glyphs(int32_t border_width, double dpi, int width, int height) {
    SCOPED_TRACE("border width " + std::to_string(border_width) + " at " +
                 std::to_string(static_cast<int>(dpi)) + " dpi");
    Meter meter;
    border_pair_record(meter.record(), border_width);
    Surface surface(width, height);
    Drawn drawn;
    draw_glyphs_and_border(meter, surface, drawn);
    ASSERT_GT(drawn.glyphs.count(), 100);

    // The surface still holds the band alone, for the colour check. Two
    // rasterisations of the same edge, and the joins of a flattened curve,
    // may differ by a pixel and a half.
    const double reach = border_width * dpi / points_per_inch + 1.5;
    const int radius = static_cast<int>(reach) + 2;
    int band = 0;
    int inside_glyphs = 0;
    int too_far = 0;
    int wrong_colour = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!drawn.pass.covered(x, y)) {
                continue;
            }
            ++band;
            const Pixel p = surface.at(x, y);
            wrong_colour += p.red == p.alpha && p.green == 0 && p.blue == 0 ? 0 : 1;
            inside_glyphs += interior(drawn.glyphs, x, y) ? 1 : 0;
            too_far +=
                distance_to(x, y, radius,
                            [&](int gx, int gy) { return drawn.glyphs.covered(gx, gy); }) > reach
                    ? 1
                    : 0;
        }
    }
    int rim = 0;
    int rim_banded = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (just_outside(drawn.glyphs, x, y)) {
                ++rim;
                rim_banded += drawn.pass.covered(x, y) ? 1 : 0;
            }
        }
    }
    const std::string view = picture(drawn.glyphs, drawn.pass);
    EXPECT_EQ(wrong_colour, 0);
    EXPECT_EQ(inside_glyphs, 0) << view;
    EXPECT_EQ(too_far, 0) << view;
    // The band runs round the outline: nearly every background pixel that
    // touches a glyph carries it.
    EXPECT_GE(rim_banded * 100, rim * 95) << rim_banded << " of " << rim << "\n" << view;
    // And it is as wide as asked: more band than rim once it is 2 points wide.
    if (border_width >= 2) {
        EXPECT_GT(band, rim * 3 / 2) << view;
    }
}

TEST(BorderPixels, BandLiesOutsideTheGlyphsWithinItsWidth) {
    for (int32_t border_width : {1, 2, 4}) {
        expect_border_hugs_glyphs(border_width, 96, 200, 60);
    }
}

TEST(BorderPixels, AlphaZeroLeavesNoTrace) {
    Meter meter;
    border_pair_record(meter.record(), 2);
    MeterRecord& r = meter.record();
    Surface text_only(200, 60);
    Surface with_border(200, 60);
    r.border_enabled = 0;
    meter.repaint(text_only.dc(), digits, 200, 60);
    r.border_enabled = 1;
    set_border_colour(r, Colour{0, 255, 0, 0});
    meter.repaint(with_border.dc(), digits, 200, 60);
    EXPECT_TRUE(with_border.same_pixels(text_only));
    ASSERT_GT(coverage_of(text_only).count(), 100);

    // Nor with invisible text over it: the surface stays cleared.
    set_text_colour(r, invisible);
    meter.repaint(with_border.dc(), digits, 200, 60);
    EXPECT_EQ(coverage_of(with_border).count(), 0);
}

TEST(BorderPixels, TranslucentTextShowsNoBorderColourInsideTheGlyphs) {
    for (int32_t border_width : {1, 4}) {
        SCOPED_TRACE(border_width);
        Meter meter;
        // Large bold glyphs, so that they have insides to look at.
        border_pair_record(meter.record(), border_width, 40);
        meter.record().font_style = 1;
        Surface surface(260, 80);
        Drawn drawn;
        draw_glyphs_and_border(meter, surface, drawn);

        set_text_colour(meter.record(), Colour{128, 0, 0, 255});
        meter.repaint(surface.dc(), digits, 260, 80);
        int interior_pixels = 0;
        int red_outside = 0;
        for (int y = 0; y < surface.height(); ++y) {
            for (int x = 0; x < surface.width(); ++x) {
                const Pixel p = surface.at(x, y);
                if (interior(drawn.glyphs, x, y)) {
                    ++interior_pixels;
                    // Blue at alpha 128 over the cleared surface, nothing else.
                    EXPECT_EQ(p, (Pixel{128, 0, 0, 128})) << x << "," << y;
                } else if (!drawn.glyphs.covered(x, y) && p == (Pixel{0, 0, 255, 255})) {
                    ++red_outside;
                }
            }
        }
        EXPECT_GT(interior_pixels, 100);
        EXPECT_GT(red_outside, 100);
    }
}

// Shadow alone: the text and the border invisible or off.
void shadow_record(MeterRecord& r, int32_t size, int32_t softness, Colour colour) {
    r.font_size = 20;
    r.antialias = 0;
    r.border_enabled = 0;
    r.shadow_enabled = 1;
    r.shadow_size = size;
    r.shadow_softness = softness;
    set_shadow_colour(r, colour);
    set_text_colour(r, invisible);
}

// The glyphs with the shadow's layout: shadow on but invisible.
Coverage glyphs_for_shadow(const Meter& meter, Surface& surface) {
    MeterRecord& r = meter.record();
    const MeterRecord kept = r;
    set_shadow_colour(r, invisible);
    set_text_colour(r, opaque_white);
    meter.repaint(surface.dc(), digits, surface.width(), surface.height());
    r = kept;
    return coverage_of(surface);
}

TEST(ShadowPixels, CoverageMovesWithTheOffsets) {
    constexpr int width = 240;
    constexpr int height = 80;
    constexpr double dpi = 96;
    struct Case {
        int32_t offset_x, offset_y;
    };
    const Case cases[] = {{6, 4}, {-5, 3}, {4, -6}, {-3, -3}, {12, 0}};
    for (int32_t softness : {1, 5}) {
        Surface surface(width, height);
        Meter meter;
        shadow_record(meter.record(), 4, softness, opaque_black);
        meter.repaint(surface.dc(), digits, width, height);
        const Coverage still = coverage_of(surface);
        ASSERT_GT(still.count(), 100) << softness;
        const Centroid origin = centroid(still);
        for (const Case& c : cases) {
            SCOPED_TRACE("softness " + std::to_string(softness) + " offsets " +
                         std::to_string(c.offset_x) + "," + std::to_string(c.offset_y));
            meter.record().shadow_offset_x = c.offset_x;
            meter.record().shadow_offset_y = c.offset_y;
            meter.repaint(surface.dc(), digits, width, height);
            const Centroid moved = centroid(coverage_of(surface));
            // Top-left text: a negative offset moves the layout rectangle by
            // as many points; then the stretch into the destination
            // rectangle (offset, surface size plus offset) maps each pixel.
            auto expected = [&](double at, int32_t offset, int side) {
                const double room = offset < 0 ? -offset * dpi / points_per_inch : 0.0;
                return offset + (at + room) * (side + offset) / side;
            };
            // Where the stretch samples (pixel corners or centres) may
            // shift the result by up to half a bitmap pixel.
            const double tolerance = std::max(1.0, softness / 2.0);
            EXPECT_NEAR(moved.x, expected(origin.x, c.offset_x, width), tolerance);
            EXPECT_NEAR(moved.y, expected(origin.y, c.offset_y, height), tolerance);
        }
    }
}

// Wine's GDI+ fills a wide stroke through a region that now and then drops
// part of one scanline (seen on these digits at 96 and at 144 dpi): checks
// over a whole zone of a stroked shadow allow that small share of pixels.
constexpr int dropped_span_percent = 2;

bool nearly_all(int matching, int total) {
    return matching * 100 >= total * (100 - dropped_span_percent);
}

// The shadow at softness 1 and offsets 0 against the glyphs: covered solidly
// up to half the stroke width round every glyph and no farther.
void expect_sharp_shadow_follows_glyphs(double dpi, int width, int height) {
    SCOPED_TRACE(std::to_string(static_cast<int>(dpi)) + " dpi");
    Meter meter;
    shadow_record(meter.record(), 6, 1, opaque_black);
    meter.record().alignment = 4;
    Surface surface(width, height);
    const Coverage glyphs = glyphs_for_shadow(meter, surface);
    ASSERT_GT(glyphs.count(), 100);
    meter.repaint(surface.dc(), digits, width, height);
    const Coverage shadow = coverage_of(surface);

    const double half = 3 * dpi / points_per_inch;
    const int radius = static_cast<int>(half) + 3;
    int beyond = 0;
    int solid_zone = 0;
    int solid = 0;
    int partial = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double d =
                distance_to(x, y, radius, [&](int gx, int gy) { return glyphs.covered(gx, gy); });
            const uint8_t a = shadow.at(x, y);
            beyond += a != 0 && d > half + 1.5 ? 1 : 0;
            if (d < half - 1.0) {
                ++solid_zone;
                solid += a == 255 ? 1 : 0;
            }
            partial += a != 0 && a != 255 ? 1 : 0;
        }
    }
    const std::string view = picture(glyphs, shadow);
    EXPECT_EQ(beyond, 0) << view;
    EXPECT_TRUE(nearly_all(solid, solid_zone)) << solid << " of " << solid_zone << "\n" << view;
    EXPECT_GT(solid_zone, glyphs.count());
    // Drawn one to one: no pixel is blended by the stretch.
    EXPECT_EQ(partial, 0);
}

TEST(ShadowPixels, SoftnessOneWithoutOffsetsMatchesTheStrokedGlyphs) {
    expect_sharp_shadow_follows_glyphs(96, 200, 60);
}

TEST(ShadowPixels, TranslucentShadowIsDenserWhereStrokeAndFillOverlap) {
    constexpr int width = 360;
    constexpr int height = 120;
    Meter meter;
    shadow_record(meter.record(), 6, 1, Colour{128, 0, 0, 0});
    meter.record().font_size = 64;
    meter.record().font_style = 1; // bold: glyph stems wide enough for an interior
    meter.record().alignment = 4;
    Surface surface(width, height);
    const Coverage glyphs = glyphs_for_shadow(meter, surface);
    meter.repaint(surface.dc(), digits, width, height);
    const Coverage shadow = coverage_of(surface);

    // Half the stroke: 3 points, 4 pixels at 96 dpi. Stroke over fill
    // comes out at 128 + 128 x (1 - 128/255); stroke alone and fill alone
    // at 128.
    const double half = 3 * 96 / points_per_inch;
    const int radius = static_cast<int>(half) + 4;
    struct Zone {
        int pixels = 0;
        int expected = 0;
    };
    Zone inner;
    Zone outer;
    Zone deep;
    int other_alpha = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t a = shadow.at(x, y);
            other_alpha += a == 0 || a == 128 || std::abs(a - 192) <= 1 ? 0 : 1;
            if (glyphs.covered(x, y)) {
                const double to_edge = distance_to(
                    x, y, radius, [&](int gx, int gy) { return !glyphs.covered(gx, gy); });
                Zone* zone = to_edge < half - 1.0 ? &inner : to_edge > half + 1.0 ? &deep : nullptr;
                if (zone != nullptr) {
                    ++zone->pixels;
                    zone->expected += zone == &inner ? std::abs(a - 192) <= 1 : a == 128;
                }
            } else if (distance_to(x, y, radius, [&](int gx, int gy) {
                           return glyphs.covered(gx, gy);
                       }) < half - 1.0) {
                ++outer.pixels;
                outer.expected += a == 128 ? 1 : 0;
            }
        }
    }
    EXPECT_EQ(other_alpha, 0);
    EXPECT_GT(inner.pixels, 200);
    EXPECT_GT(outer.pixels, 200);
    EXPECT_GT(deep.pixels, 20);
    EXPECT_TRUE(nearly_all(inner.expected, inner.pixels))
        << inner.expected << " of " << inner.pixels;
    EXPECT_TRUE(nearly_all(outer.expected, outer.pixels))
        << outer.expected << " of " << outer.pixels;
    EXPECT_TRUE(nearly_all(deep.expected, deep.pixels)) << deep.expected << " of " << deep.pixels;
}

TEST(PassPixels, FaceThatIsNotInstalledLeavesOnlyTheBackground) {
    Meter meter;
    MeterRecord& r = meter.record();
    std::strcpy(r.log_font.lfFaceName, "No Such Face Here");
    r.shadow_enabled = 1;
    r.shadow_softness = 1;
    r.border_enabled = 1;
    r.border_width = 3;
    Surface surface(120, 40);
    meter.repaint(surface.dc(), digits, 120, 40);
    EXPECT_EQ(coverage_of(surface).count(), 0);
    EXPECT_EQ(surface.at(0, 0), transparent_white);
}

// Small meters whose shadow or border leaves the text a rectangle of no
// height or less: the library lays the text out all the same, so the text
// itself (white, where shadow and border are black) shows.
TEST(PassPixels, SmallMetersWithNoRoomLeftStillShowTheirText) {
    std::vector<SmallMeter> cases = {{120, 12, 7, 5, 2, 1}};
    for (int32_t shadow_size = 20; shadow_size <= 40; shadow_size += 2) {
        cases.push_back({200, 40, 14, shadow_size, 3, 0});
    }
    for (int32_t border_width = 1; border_width <= 10; ++border_width) {
        cases.push_back({240, 20, 9, 0, 0, border_width});
    }
    for (const SmallMeter& c : cases) {
        Meter meter;
        set_look(meter.record(), c);
        Surface surface(c.width, c.height);
        meter.repaint(surface.dc(), "42", c.width, c.height);
        int text = 0;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                text += surface.at(x, y) == Pixel{255, 255, 255, 255} ? 1 : 0;
            }
        }
        EXPECT_GT(text, 0) << c.width << "x" << c.height << ", font " << c.font_size << ", shadow "
                           << c.shadow_size << ", border " << c.border_width;
    }
}

// The same point geometry on a surface scaled to the resolution.
int scaled(int pixels_at_96, double dpi) {
    return static_cast<int>(pixels_at_96 * dpi / 96);
}

void expect_passes_follow_glyphs(double dpi) {
    for (int32_t border_width : {1, 3}) {
        expect_border_hugs_glyphs(border_width, dpi, scaled(200, dpi), scaled(60, dpi));
    }
    expect_sharp_shadow_follows_glyphs(dpi, scaled(200, dpi), scaled(60, dpi));
}

TEST(PassesFollowTheResolution, AtTheDefaultDpi) {
    ASSERT_EQ(memory_dc_dpi(), 96);
    expect_passes_follow_glyphs(96);
}

// The bitmaps carry the DC's resolution, so at any resolution a point on
// them is a point on the surface: the border still hugs the glyphs and the
// shadow still lies under them.
TEST(PassesFollowTheResolution, AtOtherDpisInChildProcesses) {
    if (child_dpi() != 0) {
        ASSERT_EQ(memory_dc_dpi(), child_dpi()) << "LogPixels did not take";
        expect_passes_follow_glyphs(child_dpi());
        return;
    }
    for (int dpi : {120, 144, 192}) {
        EXPECT_EQ(run_at_dpi(dpi, "PassesFollowTheResolution.AtOtherDpisInChildProcesses"), 0)
            << dpi << " dpi: the child's failures are printed above";
    }
}

} // namespace
} // namespace scrivlet::test
