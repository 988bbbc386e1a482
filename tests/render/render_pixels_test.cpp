// What repaint really leaves on a 32-bit DIB section under the real GDI+:
// the cleared background, where each alignment puts the text, antialiasing,
// a face that is not installed, and text alpha.

#include "support/plugin.h"
#include "support/surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace scrivlet::test {
namespace {

// The surface holds premultiplied pixels, so the clear colour (white at
// alpha 0) is stored as all zeros.
constexpr Pixel transparent_white{0, 0, 0, 0};

struct Box {
    int left = 0, top = 0, right = -1, bottom = -1; // inclusive; empty when right < left
    bool empty() const { return right < left; }
};

Box coverage_box(const Surface& surface) {
    Box box{surface.width(), surface.height(), -1, -1};
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            if (surface.at(x, y).alpha != 0) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
        }
    }
    return box;
}

bool only(const Surface& surface, Pixel pixel) {
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            if (!(surface.at(x, y) == pixel)) {
                return false;
            }
        }
    }
    return true;
}

class RenderPixels : public ::testing::Test {
protected:
    void SetUp() override { meter.record().border_enabled = 0; }
    Meter meter;
};

TEST_F(RenderPixels, EmptyTextLeavesTransparentWhite) {
    Surface surface(64, 24);
    meter.record().text_template = "";
    EXPECT_EQ(meter.repaint(surface.dc(), "", 64, 24), 0);
    EXPECT_TRUE(only(surface, transparent_white));
}

TEST_F(RenderPixels, FaceThatIsNotInstalledLeavesOnlyTheBackground) {
    Surface surface(64, 24);
    std::strcpy(meter.record().log_font.lfFaceName, "No Such Face Here");
    meter.record().border_enabled = 1;
    meter.repaint(surface.dc(), "88", 64, 24);
    EXPECT_TRUE(only(surface, transparent_white));
}

TEST_F(RenderPixels, EachAlignmentPutsTheTextInItsCell) {
    constexpr int width = 240;
    constexpr int height = 90;
    for (int32_t alignment = 0; alignment < 9; ++alignment) {
        Surface surface(width, height);
        meter.record().alignment = alignment;
        meter.repaint(surface.dc(), "Wq", width, height);
        const Box box = coverage_box(surface);
        ASSERT_FALSE(box.empty()) << alignment;
        const int column = alignment % 3;
        const int row = alignment / 3;
        const int centre_x = (box.left + box.right) / 2;
        const int centre_y = (box.top + box.bottom) / 2;
        EXPECT_EQ(centre_x * 3 / width, column) << "alignment " << alignment << " x " << centre_x;
        EXPECT_EQ(centre_y * 3 / height, row) << "alignment " << alignment << " y " << centre_y;
    }
}

TEST_F(RenderPixels, AntialiasStrokesAnOutlineAndWithoutItNoPixelIsPartial) {
    Surface smooth(120, 40);
    Surface hard(120, 40);
    meter.repaint(smooth.dc(), "Ag8", 120, 40);
    meter.record().antialias = 0;
    meter.repaint(hard.dc(), "Ag8", 120, 40);

    auto partial = [](const Surface& s) {
        int count = 0;
        for (int y = 0; y < s.height(); ++y) {
            for (int x = 0; x < s.width(); ++x) {
                const uint8_t a = s.at(x, y).alpha;
                count += a != 0 && a != 255 ? 1 : 0;
            }
        }
        return count;
    };
    // Wine fills paths on a DC without antialiasing, so there only the
    // outline tells the two apart; without antialias no pixel may be partial.
    EXPECT_EQ(partial(hard), 0);
    // The 1-point outline makes antialiased glyphs cover more.
    EXPECT_GT(smooth.covered(), hard.covered());
}

TEST_F(RenderPixels, TextColourAndAlphaReachThePixels) {
    Surface surface(120, 40);
    meter.record().antialias = 0;
    meter.record().font_alpha = 128;
    meter.record().font_red = 255;
    meter.record().font_green = 0;
    meter.record().font_blue = 0;
    meter.repaint(surface.dc(), "888", 120, 40);
    int glyph_pixels = 0;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            const Pixel p = surface.at(x, y);
            if (p.alpha != 0) {
                ++glyph_pixels;
                // Premultiplied: red 255 at alpha 128 is stored as 128.
                EXPECT_EQ(p, (Pixel{0, 0, 128, 128})) << x << "," << y;
            } else {
                EXPECT_EQ(p, transparent_white) << x << "," << y;
            }
        }
    }
    EXPECT_GT(glyph_pixels, 30);
}

} // namespace
} // namespace scrivlet::test
