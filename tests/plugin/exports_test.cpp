// The host's view of the plug-in: what dllstartup makes, what the
// instance-free exports answer, and how every per-instance export treats a
// pointer it did not make or has already released.

#include "support/plugin.h"
#include "support/record_text.h"
#include "support/surface.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace scrivlet::test {
namespace {

TEST(Exports, DllTypeIsTwo) {
    EXPECT_EQ(plugin().dlltype(), 2);
}

TEST(Exports, GetInfoAnswersEveryIndexNeverNull) {
    struct Case {
        unsigned index;
        const char* expected; // null: ours to choose, only non-empty
    };
    const Case cases[] = {
        {0, "Scrivlet"}, {1, nullptr}, {2, "0.2.0.4"}, {3, "22/07/04"}, {4, "28/09/04"},
        {5, nullptr},    {6, nullptr}, {7, ""},        {100, ""},       {0xFFFFFFFFu, ""},
    };
    for (const Case& c : cases) {
        const char* info = plugin().getinfo(c.index);
        ASSERT_NE(info, nullptr) << c.index;
        if (c.expected != nullptr) {
            EXPECT_STREQ(info, c.expected) << c.index;
        } else {
            EXPECT_GT(std::strlen(info), 0u) << c.index;
        }
    }
}

TEST(Exports, NewRecordHoldsEveryDefault) {
    const Meter meter(reinterpret_cast<HWND>(0x1234));
    const std::vector<std::string> defaults = {
        "owner_window=4660", "lfHeight=-11",        "lfWidth=0",         "lfEscapement=0",
        "lfOrientation=0",   "lfWeight=400",        "lfItalic=0",        "lfUnderline=0",
        "lfStrikeOut=0",     "lfCharSet=0",         "lfOutPrecision=1",  "lfClipPrecision=2",
        "lfQuality=0",       "lfPitchAndFamily=34", "font_size=14",      "font_style=0",
        "alignment=0",       "underline=0",         "strikeout=0",       "font_alpha=255",
        "font_red=255",      "font_green=255",      "font_blue=255",     "antialias=1",
        "shadow_enabled=0",  "shadow_alpha=255",    "shadow_red=0",      "shadow_green=0",
        "shadow_blue=0",     "shadow_size=5",       "shadow_softness=5", "shadow_offset_x=0",
        "shadow_offset_y=0", "border_enabled=1",    "border_alpha=255",  "border_red=0",
        "border_green=0",    "border_blue=0",       "border_width=1",    "decimals=0",
        "tab_width=30",      "font_face=Arial",     "text_template=%v",
    };
    EXPECT_EQ(record_lines(meter.record()), defaults);
}

TEST(Exports, NullOwnerTakesTheActiveWindow) {
    const HWND window = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                        0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    SetActiveWindow(window);
    const HWND active = GetActiveWindow();
    const Meter meter(nullptr);
    EXPECT_EQ(meter.record().owner_window, active);
    DestroyWindow(window);
}

// Every per-instance export, called with a pointer: all must answer 0.
void call_every_instance_export(void* instance, HDC dc) {
    const api::Exports& p = plugin();
    EXPECT_EQ(p.load_settings(instance, "C:\\no\\such.ini", "Meter"), 0);
    EXPECT_EQ(p.save_settings(instance, "C:\\no\\such.ini", "Meter"), 0);
    EXPECT_EQ(p.repaint(dc, instance, "42", 40, 20), 0);
    EXPECT_EQ(p.vis_configure(instance), 0);
    EXPECT_EQ(p.dllshutdown(instance), 0);
}

TEST(Exports, ForeignNullAndReleasedPointersAreLeftAlone) {
    Surface surface(40, 20);
    const Pixel untouched = surface.at(0, 0);

    call_every_instance_export(nullptr, surface.dc());
    EXPECT_TRUE(surface.covered() == 40 * 20 && surface.at(5, 5) == untouched);

    MeterRecord foreign = make_default_record(nullptr);
    foreign.alignment = 12;
    call_every_instance_export(&foreign, surface.dc());
    EXPECT_EQ(foreign.alignment, 12);
    EXPECT_EQ(surface.at(5, 5), untouched);

    void* released = plugin().dllstartup(nullptr, 0);
    ASSERT_NE(released, nullptr);
    EXPECT_EQ(plugin().dllshutdown(released), 0);
    call_every_instance_export(released, surface.dc());
    EXPECT_EQ(surface.at(5, 5), untouched);
}

TEST(Exports, ShuttingOneMeterDownLeavesTheOtherDrawing) {
    Surface before(120, 40);
    Surface after(120, 40);
    const Meter survivor;
    survivor.record().border_enabled = 0;
    survivor.repaint(before.dc(), "88", 120, 40);
    ASSERT_GT(before.covered(), 20);
    {
        const Meter other;
        other.repaint(after.dc(), "1", 120, 40);
    } // shut down here
    after.fill(Pixel{});
    survivor.repaint(after.dc(), "88", 120, 40);
    EXPECT_TRUE(after.same_pixels(before));
}

TEST(Exports, RepaintWithNullValueDrawsAsEmptyValue) {
    Surface with_null(60, 20);
    Surface with_empty(60, 20);
    const Meter meter;
    meter.record().text_template = "ab%vcd";
    EXPECT_EQ(meter.repaint(with_null.dc(), nullptr, 60, 20), 0);
    meter.repaint(with_empty.dc(), "", 60, 20);
    EXPECT_TRUE(with_null.same_pixels(with_empty));
    EXPECT_GT(with_null.covered(), 0);
}

} // namespace
} // namespace scrivlet::test
