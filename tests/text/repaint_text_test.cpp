// What repaint makes of a template and a meter value, seen in the DLL under
// the real GDI+: the pixels are those of the expanded text drawn as it is,
// and neither the meter's template nor the host's value string changes.
// Texts stay on one line without tabs, which Wine's glyph paths drop.

#include "support/plugin.h"
#include "support/surface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace scrivlet::test {
namespace {

constexpr int width = 260;
constexpr int height = 40;

struct Drawing {
    std::string text_template;
    std::string value;
    int32_t decimals;
};

// The control words a host may leave on its thread: SSE and x87 rounding
// toward zero, the x87 at single precision as Direct3D leaves it. The value
// must show the same digits, and the words must be as the host left them
// when repaint returns.
struct ControlWords {
    std::uint32_t mxcsr = 0;
    std::uint16_t x87 = 0;
};

ControlWords control_words() {
    ControlWords words;
    __asm__ volatile("stmxcsr %0" : "=m"(words.mxcsr));
    __asm__ volatile("fnstcw %0" : "=m"(words.x87));
    return words;
}

void set_control_words(ControlWords words) {
    __asm__ volatile("ldmxcsr %0" : : "m"(words.mxcsr));
    __asm__ volatile("fldcw %0" : : "m"(words.x87));
}

class DirectedHostRounding {
public:
    DirectedHostRounding() {
        ControlWords directed = saved_;
        directed.mxcsr |= 0x6000;                         // toward zero
        directed.x87 = (directed.x87 & ~0x0F00) | 0x0C00; // toward zero, single precision
        set_control_words(directed);
    }
    DirectedHostRounding(const DirectedHostRounding&) = delete;
    DirectedHostRounding& operator=(const DirectedHostRounding&) = delete;
    ~DirectedHostRounding() { set_control_words(saved_); }

private:
    ControlWords saved_ = control_words();
};

// Draws the meter as the host would, on a fresh surface.
void draw(Surface& surface, const Drawing& drawing, bool shadow) {
    const Meter meter;
    meter.record().text_template = drawing.text_template;
    meter.record().decimals = drawing.decimals;
    meter.record().shadow_enabled = shadow ? 1 : 0;
    meter.record().shadow_offset_x = 2;
    meter.record().shadow_offset_y = 2;
    meter.repaint(surface.dc(), drawing.value.c_str(), width, height);
}

TEST(RepaintText, DrawsExactlyWhatTheExpandedTextDraws) {
    struct Case {
        Drawing drawing;
        std::string expanded;
    };
    const Case cases[] = {
        {{"%v", "12.345", 2}, "12,35"},
        {{"%v", "12,345", 2}, "12,35"},
        {{"CPU %v %", "42", 0}, "CPU 42 %"},
        {{"%v/%v", "7", 0}, "7/7"},
        {{"[%v]", "", 0}, "[]"},
        {{"%%v", "9", 0}, "%9"},
        {{"%V %B %TAB", "1", 0}, "%V %B %TAB"},
        {{"%v kg", "5%b", 0}, "5\n kg"},
        {{"Temp %v C", "-0.4", 0}, "Temp -0 C"},
        {{"%v", "idle", 3}, "idle"},
        {{"%v", "1,234.5", 1}, "1,234.5"},
        {{"(%v)", "0.125", 2}, "(0,13)"},
        {{"%v", "1.005", 2}, "1,00"},
        {{"%v", "12-3", 1}, "12,0"},
        {{"%v", "99.96", 1}, "100,0"},
        {{"%v", "2.5", -4}, "3"},
        {{"%v!", "-", 1}, "0,0!"},
        {{"%v", "0.1", 20}, "0,10000000000000001000"},
        {{"%v", "12345678901234567890123", 0}, "12345678901234568000000"},
        // The line after the feed is not drawn by Wine, but the first line
        // still tells a template whose "%b" stayed from one that expanded.
        {{"%v%bLoad", "3", 0}, "3\nLoad"},
    };
    for (const bool shadow : {false, true}) {
        for (const Case& c : cases) {
            Surface from_template(width, height);
            Surface from_expanded(width, height);
            draw(from_template, c.drawing, shadow);
            draw(from_expanded, Drawing{c.expanded, "unused", 0}, shadow);
            EXPECT_GT(from_template.covered(), 0) << c.expanded;
            EXPECT_TRUE(from_template.same_pixels(from_expanded))
                << "'" << c.drawing.text_template << "' with '" << c.drawing.value << "' and "
                << c.drawing.decimals << " decimals; expected '" << c.expanded << "'"
                << (shadow ? " with shadow" : "");
        }
    }
    // The numbers again on a host thread whose rounding is directed: the
    // template and the expected text are both drawn there. The plug-in reads
    // the value under its own rounding and gives the host's back before it
    // draws, so the 32-bit GDI+, whose x87 arithmetic follows the thread's
    // precision, fills edges a little differently than under the default.
    for (const Case& c : cases) {
        Surface from_template(width, height);
        Surface from_expanded(width, height);
        ControlWords left;
        ControlWords after;
        {
            const DirectedHostRounding directed;
            left = control_words();
            draw(from_template, c.drawing, false);
            after = control_words();
            draw(from_expanded, Drawing{c.expanded, "unused", 0}, false);
        }
        EXPECT_TRUE(from_template.same_pixels(from_expanded))
            << "'" << c.drawing.value << "' with " << c.drawing.decimals
            << " decimals under directed rounding; expected '" << c.expanded << "'";
        EXPECT_EQ(after.mxcsr, left.mxcsr) << c.drawing.value;
        EXPECT_EQ(after.x87, left.x87) << c.drawing.value;
    }
}

// The comparison above is only as good as its power to tell texts apart.
TEST(RepaintText, OneCharacterMoreOrDifferentChangesThePixels) {
    const Drawing pairs[][2] = {
        {{"12,35", "", 0}, {"12,36", "", 0}},  {{"12,35", "", 0}, {"12.35", "", 0}},
        {{"-0", "", 0}, {"0", "", 0}},         {{"%v", "0.125", 2}, {"%v", "0.125", 3}},
        {{"%v", "1.005", 2}, {"1,01", "", 0}},
    };
    for (const auto& pair : pairs) {
        Surface first(width, height);
        Surface second(width, height);
        draw(first, pair[0], false);
        draw(second, pair[1], false);
        EXPECT_FALSE(first.same_pixels(second))
            << "'" << pair[0].text_template << "' / '" << pair[1].text_template << "'";
    }
}

TEST(RepaintText, LeavesTemplateAndHostValueUnchanged) {
    const std::string text_template = "Load %v%b%tab %V %%v \xe9\t\r\n%b%";
    const std::vector<std::string> values = {
        "12.345",
        "12,345",
        "-0.4",
        "idle",
        "",
        "1,234.5",
        "%b",
        "%v",
        "%tab",
        "99.96",
        "0," + std::string(300, '0') + "5",
        "-" + std::string(400, '9'),
        "9" + std::string(400, '0'),
    };
    const int32_t decimals[] = {0, 2, -1, 10, 400};
    const Meter meter;
    meter.record().text_template = text_template;
    Surface surface(width, height);
    for (int round = 0; round < 4; ++round) {
        for (const std::string& value : values) {
            for (const int32_t d : decimals) {
                meter.record().decimals = d;
                // The host's own buffer, with bytes after the terminator that
                // a writer running past it would change.
                std::vector<char> host_value(value.begin(), value.end());
                host_value.insert(host_value.end(), {'\0', 'X', 'Y', 'Z', '\0'});
                const std::vector<char> before = host_value;
                EXPECT_EQ(meter.repaint(surface.dc(), host_value.data(), width, height), 0);
                ASSERT_EQ(meter.record().text_template, text_template)
                    << "after '" << value << "' with " << d << " decimals";
                EXPECT_EQ(meter.record().decimals, d);
                EXPECT_TRUE(host_value == before) << "'" << value << "' with " << d;
            }
        }
    }
}

} // namespace
} // namespace scrivlet::test
