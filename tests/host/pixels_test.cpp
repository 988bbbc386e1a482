// From the DIB's premultiplied pixels to a PNG's straight ones, and over a
// background. The graphics library premultiplies with rounding to nearest,
// round(c * a / 255) (measured under Wine); what comes back must premultiply
// to the same byte and be the nearest such colour.

#include "pixels.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

namespace scrivlet::host {
namespace {

int premultiplied(int colour, int alpha) {
    return (colour * alpha + 127) / 255;
}

TEST(HostPixels, UnpremultiplyGivesTheNearestColourThatPremultipliesBack) {
    for (int alpha = 1; alpha <= 255; ++alpha) {
        for (int colour = 0; colour <= 255; ++colour) {
            const int stored = premultiplied(colour, alpha);
            const int back =
                unpremultiply_channel(static_cast<uint8_t>(stored), static_cast<uint8_t>(alpha));
            ASSERT_EQ(premultiplied(back, alpha), stored) << colour << " at " << alpha;
            // No colour with the same stored byte lies nearer the quotient.
            for (int other = 0; other <= 255; ++other) {
                if (premultiplied(other, alpha) == stored) {
                    ASSERT_LE(std::abs(back * alpha - stored * 255),
                              std::abs(other * alpha - stored * 255))
                        << colour << " at " << alpha;
                }
            }
        }
    }
}

TEST(HostPixels, ColoursThatSurvivePremultiplyingComeBackExactly) {
    for (int alpha = 1; alpha <= 255; ++alpha) {
        for (int colour = 0; colour <= 255; ++colour) {
            int twins = 0;
            for (int other = 0; other <= 255; ++other) {
                twins += premultiplied(other, alpha) == premultiplied(colour, alpha) ? 1 : 0;
            }
            if (twins == 1) {
                ASSERT_EQ(unpremultiply_channel(static_cast<uint8_t>(premultiplied(colour, alpha)),
                                                static_cast<uint8_t>(alpha)),
                          colour)
                    << colour << " at " << alpha;
            }
        }
    }
}

TEST(HostPixels, ChannelCases) {
    struct Case {
        uint8_t stored, alpha, straight;
    };
    const std::array<Case, 9> cases = {{
        {128, 128, 255}, // full channel at half alpha
        {32, 128, 64},   // 64 at half alpha (a truncating division gives 63)
        {0, 128, 0},
        {100, 128, 199}, // 199 and 200 both store 100: the nearer to 100*255/128 wins
        {77, 255, 77},   // opaque: unchanged
        {1, 1, 255},
        {0, 0, 0},       // transparent: no colour
        {90, 0, 0},      // not a premultiplied pixel: still no colour
        {200, 100, 255}, // channel above alpha: saturated, not wrapped
    }};
    for (const Case& c : cases) {
        EXPECT_EQ(unpremultiply_channel(c.stored, c.alpha), c.straight)
            << int{c.stored} << " at " << int{c.alpha};
    }
}

TEST(HostPixels, UnpremultiplyTurnsBgraIntoRgbaAndKeepsAlpha) {
    const std::array<uint8_t, 12> bgra = {0, 32, 128, 128, 10, 20, 30, 255, 5, 5, 5, 0};
    std::array<uint8_t, 12> rgba{};
    unpremultiply(bgra.data(), 3, rgba.data());
    const std::array<uint8_t, 12> expected = {255, 64, 0, 128, 30, 20, 10, 255, 0, 0, 0, 0};
    EXPECT_EQ(rgba, expected);
}

TEST(HostPixels, CompositeOverAColour) {
    struct Case {
        std::array<uint8_t, 4> bgra;
        Rgb under;
        Rgb result;
    };
    const std::array<Case, 5> cases = {{
        {{0, 0, 0, 0}, {255, 255, 255}, {255, 255, 255}},
        {{10, 20, 30, 255}, {255, 255, 255}, {30, 20, 10}},
        {{0, 0, 128, 128}, {255, 255, 255}, {255, 127, 127}},
        {{0, 0, 128, 128}, {0, 0, 0}, {128, 0, 0}},
        {{0, 32, 128, 128}, {0, 0, 255}, {128, 32, 127}},
    }};
    for (const Case& c : cases) {
        EXPECT_EQ(composite(c.bgra.data(), c.under), c.result);
    }
}

TEST(HostPixels, CheckerSquaresAlternateEveryEightPixels) {
    const Background checker{BackgroundKind::checker, {}};
    struct Case {
        uint32_t x, y;
        Rgb colour;
    };
    const std::array<Case, 7> cases = {{
        {0, 0, checker_light},
        {7, 7, checker_light},
        {8, 0, checker_dark},
        {0, 8, checker_dark},
        {8, 8, checker_light},
        {15, 8, checker_light},
        {23, 0, checker_light},
    }};
    for (const Case& c : cases) {
        EXPECT_EQ(background_at(checker, c.x, c.y), c.colour) << c.x << "," << c.y;
    }
    EXPECT_EQ(background_at(Background{BackgroundKind::colour, {1, 2, 3}}, 9, 9), (Rgb{1, 2, 3}));
}

TEST(HostPixels, BlocksContinueTheCheckerOfTheImageAndAreOpaque) {
    // A transparent 2x2 block put at (8, 7) of a 12-pixel-wide image: its
    // top row lies in the dark square of (8..15, 0..7), its bottom row in
    // the light one below.
    const std::array<uint8_t, 16> clear{};
    std::vector<uint8_t> image(12 * 10 * 4, 7);
    composite_block(clear.data(), 2, 2, Background{BackgroundKind::checker, {}}, image.data(), 12,
                    8, 7);
    const auto pixel = [&](uint32_t x, uint32_t y) {
        const uint8_t* p = &image[(y * 12 + x) * 4];
        return std::array<uint8_t, 4>{p[0], p[1], p[2], p[3]};
    };
    EXPECT_EQ(pixel(8, 7), (std::array<uint8_t, 4>{204, 204, 204, 255}));
    EXPECT_EQ(pixel(9, 7), (std::array<uint8_t, 4>{204, 204, 204, 255}));
    EXPECT_EQ(pixel(8, 8), (std::array<uint8_t, 4>{255, 255, 255, 255}));
    EXPECT_EQ(pixel(9, 8), (std::array<uint8_t, 4>{255, 255, 255, 255}));
    EXPECT_EQ(pixel(8, 6), (std::array<uint8_t, 4>{7, 7, 7, 7})); // outside: untouched
    EXPECT_EQ(pixel(10, 7), (std::array<uint8_t, 4>{7, 7, 7, 7}));
    EXPECT_EQ(pixel(7, 8), (std::array<uint8_t, 4>{7, 7, 7, 7}));
}

} // namespace
} // namespace scrivlet::host
