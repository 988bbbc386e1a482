// render_text at the call level: the GDI+ calls that repaint makes, with
// their arguments and order, as the gdiplus.dll stand-in records them.

#include "call_lists.h"
#include "support/plugin.h"
#include "support/standin.h"
#include "support/surface.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scrivlet::test {
namespace {

class RenderCalls : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(standin::loaded()) << "run beside the gdiplus.dll stand-in";
        meter.record().border_enabled = 0;
        standin::reset();
    }

    Lines repaint(const char* value = "42", int width = 200, int height = 40) {
        standin::reset();
        meter.repaint(surface.dc(), value, width, height);
        return standin::lines();
    }

    Surface surface{8, 8};
    Meter meter;
};

TEST_F(RenderCalls, DefaultLookWithoutBorderInExactOrder) {
    const Lines expected =
        joined({before_passes, fill_calls("family1", "brush1", "pen1", "path1", "{0,0,149,29}")});
    EXPECT_EQ(repaint(), expected);
    EXPECT_EQ(standin::live_objects(), 0);
}

TEST_F(RenderCalls, LayoutFormatAndFillFollowTheRecord) {
    struct Case {
        const char* name;
        void (*change)(MeterRecord&);
        float dpi;
        Lines expected; // the format, smoothing, text and stroke calls
    };
    const std::vector<Case> cases = {
        // The border pass (graphics2 and graphics3) lays out in the same
        // rectangle as the fill.
        {"border 1 insets by a point",
         [](MeterRecord& r) { r.border_enabled = 1; },
         96,
         {"GdipSetStringFormatAlign(format1,0)", "GdipSetStringFormatLineAlign(format1,0)",
          "GdipSetStringFormatTabStops(format1,0,4,[30 30 30 30])",
          "GdipSetSmoothingMode(graphics2,2)",
          "GdipAddPathString(path1,\"42\",2,family1,0,14,{1,1,147,27},format1)",
          "GdipSetSmoothingMode(graphics3,4)", "GdipSetSmoothingMode(graphics1,4)",
          "GdipAddPathString(path3,\"42\",2,family2,0,14,{1,1,147,27},format1)",
          "GdipDrawPath(graphics1,pen2,path3)"}},
        {"shadow 5 offsets 3 -4",
         [](MeterRecord& r) {
             r.shadow_enabled = 1;
             r.shadow_offset_x = 3;
             r.shadow_offset_y = -4;
             r.shadow_softness = 0; // keeps the pass out of this record
         },
         96,
         {"GdipSetStringFormatAlign(format1,0)", "GdipSetStringFormatLineAlign(format1,0)",
          "GdipSetStringFormatTabStops(format1,0,4,[30 30 30 30])",
          "GdipSetSmoothingMode(graphics1,4)",
          "GdipAddPathString(path1,\"42\",2,family1,0,14,{2,6,140,23},format1)",
          "GdipDrawPath(graphics1,pen1,path1)"}},
        {"no antialias: smoothing none, no stroke",
         [](MeterRecord& r) { r.antialias = 0; },
         96,
         {"GdipSetStringFormatAlign(format1,0)", "GdipSetStringFormatLineAlign(format1,0)",
          "GdipSetStringFormatTabStops(format1,0,4,[30 30 30 30])",
          "GdipSetSmoothingMode(graphics1,3)",
          "GdipAddPathString(path1,\"42\",2,family1,0,14,{0,0,149,29},format1)"}},
        {"bottom right, style and size",
         [](MeterRecord& r) {
             r.alignment = 8;
             r.font_style = 3;
             r.font_size = 20;
         },
         96,
         {"GdipSetStringFormatAlign(format1,2)", "GdipSetStringFormatLineAlign(format1,2)",
          "GdipSetStringFormatTabStops(format1,0,4,[30 30 30 30])",
          "GdipSetSmoothingMode(graphics1,4)",
          "GdipAddPathString(path1,\"42\",2,family1,3,20,{0,0,149,29},format1)",
          "GdipDrawPath(graphics1,pen1,path1)"}},
        {"middle centre at 144 dpi",
         [](MeterRecord& r) { r.alignment = 4; },
         144,
         {"GdipSetStringFormatAlign(format1,1)", "GdipSetStringFormatLineAlign(format1,1)",
          "GdipSetStringFormatTabStops(format1,0,3,[30 30 30])",
          "GdipSetSmoothingMode(graphics1,4)",
          "GdipAddPathString(path1,\"42\",2,family1,0,14,{0,0,99,19},format1)",
          "GdipDrawPath(graphics1,pen1,path1)"}},
        {"tab width 0 sets none",
         [](MeterRecord& r) { r.tab_width = 0; },
         96,
         {"GdipSetStringFormatAlign(format1,0)", "GdipSetStringFormatLineAlign(format1,0)",
          "GdipSetStringFormatTabStops(format1,0,0,[])", "GdipSetSmoothingMode(graphics1,4)",
          "GdipAddPathString(path1,\"42\",2,family1,0,14,{0,0,149,29},format1)",
          "GdipDrawPath(graphics1,pen1,path1)"}},
        {"tab width -30 gives negative stops",
         [](MeterRecord& r) { r.tab_width = -30; },
         96,
         {"GdipSetStringFormatAlign(format1,0)", "GdipSetStringFormatLineAlign(format1,0)",
          "GdipSetStringFormatTabStops(format1,0,4,[-30 -30 -30 -30])",
          "GdipSetSmoothingMode(graphics1,4)",
          "GdipAddPathString(path1,\"42\",2,family1,0,14,{0,0,149,29},format1)",
          "GdipDrawPath(graphics1,pen1,path1)"}},
    };
    const Lines functions = {"GdipSetStringFormatAlign",    "GdipSetStringFormatLineAlign",
                             "GdipSetStringFormatTabStops", "GdipSetSmoothingMode",
                             "GdipAddPathString",           "GdipDrawPath"};
    for (const Case& c : cases) {
        Meter meter_under_test;
        meter_under_test.record().border_enabled = 0;
        c.change(meter_under_test.record());
        standin::reset();
        standin::set_dpi(c.dpi, c.dpi);
        meter_under_test.repaint(surface.dc(), "42", 200, 40);
        EXPECT_EQ(standin::lines_of(functions), c.expected) << c.name;
        EXPECT_EQ(standin::live_objects(), 0) << c.name;
    }
}

TEST_F(RenderCalls, TabStopsCapAt256) {
    meter.record().tab_width = 1;
    repaint("x", 600, 40); // 449 points
    const Lines stops = standin::lines_of({"GdipSetStringFormatTabStops"});
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_EQ(stops[0].rfind("GdipSetStringFormatTabStops(format1,0,256,[1 1 1", 0), 0u)
        << stops[0];
}

TEST_F(RenderCalls, TextThatCannotShowIsNotLaidOut) {
    struct Case {
        const char* name;
        int width, height;
        int32_t font_size;
        size_t template_length;
        std::string expected_length;
    };
    const Case cases[] = {
        {"fits whole", 200, 40, 14, 100, "100"},
        {"cut after the lines that can show", 200, 40, 14, 5000, "388"},
        {"a feed on a full-screen meter", 1920, 1080, 12, 3000, "3000"},
        {"capped on a large surface", 4000, 4000, 14, 20000, "16384"},
        {"the largest theme font on 37 x 13", 37, 13, 400, 10, "10"},
        {"em of 800 points on a meter", 200, 40, 800, 10, "10"},
        {"no room at 1 x 1", 1, 1, 14, 10, "10"},
        {"no room at 0 x 0", 0, 0, 14, 10, "10"},
        // Not laid out at all.
        {"em beyond 800 points on a meter", 200, 40, 801, 10, ""},
        {"em of 60000 points on 37 x 13", 37, 13, 60000, 10, ""},
    };
    for (const Case& c : cases) {
        meter.record().font_size = c.font_size;
        meter.record().text_template = std::string(c.template_length, 'x');
        const Lines added =
            (repaint("", c.width, c.height), standin::lines_of({"GdipAddPathString"}));
        if (c.expected_length.empty()) {
            EXPECT_EQ(added, Lines{}) << c.name;
            continue;
        }
        ASSERT_EQ(added.size(), 1u) << c.name;
        const std::string quoted_end = "\"," + c.expected_length + ",family1,";
        EXPECT_NE(added[0].find(quoted_end), std::string::npos)
            << c.name << ": " << added[0].substr(0, 60);
    }
}

TEST_F(RenderCalls, OutOfRangeAlignmentDrawsTopLeftAndIsWrittenBack) {
    for (int32_t alignment : {9, -1, 12, INT32_MIN}) {
        meter.record().alignment = alignment;
        repaint();
        EXPECT_EQ(meter.record().alignment, 0) << alignment;
        EXPECT_EQ(standin::lines_of({"GdipSetStringFormatAlign", "GdipSetStringFormatLineAlign"}),
                  (Lines{"GdipSetStringFormatAlign(format1,0)",
                         "GdipSetStringFormatLineAlign(format1,0)"}))
            << alignment;
    }
}

TEST_F(RenderCalls, CharacterSetBecomesTheLanguage) {
    for (BYTE charset : {BYTE{1}, BYTE{204}, BYTE{255}}) {
        meter.record().log_font.lfCharSet = charset;
        repaint();
        EXPECT_EQ(standin::lines_of({"GdipCreateStringFormat"}),
                  Lines{"GdipCreateStringFormat(0," + std::to_string(charset) + ") -> format1"});
    }
}

TEST_F(RenderCalls, BytesWidenToTheSameCodeUnits) {
    meter.record().text_template = "\xE9\x80|%v";
    repaint("\xFF");
    EXPECT_EQ(standin::lines_of({"GdipAddPathString"}),
              Lines{"GdipAddPathString(path1,\"\\u00E9\\u0080|\\u00FF\",4,family1,0,14,"
                    "{0,0,149,29},format1)"});
    strcpy(meter.record().log_font.lfFaceName, "Caf\xE9");
    repaint();
    EXPECT_EQ(standin::lines_of({"GdipCreateFontFamilyFromName"}),
              Lines{"GdipCreateFontFamilyFromName(\"Caf\\u00E9\",null) -> family1"});
}

TEST_F(RenderCalls, FailedCreationsDrawWhatTheyCanAndReleaseTheRest) {
    struct Case {
        const char* failing;
        Lines absent; // calls that must not happen once the object is missing
    };
    const std::vector<Case> cases = {
        {"GdipCreateStringFormat",
         {"GdipSetStringFormatAlign", "GdipSetStringFormatLineAlign", "GdipSetStringFormatTabStops",
          "GdipDeleteStringFormat"}},
        {"GdipCreateFontFamilyFromName", {"GdipAddPathString", "GdipDeleteFontFamily"}},
        {"GdipCreateSolidFill", {"GdipFillPath", "GdipDeleteBrush"}},
        {"GdipCreatePen1", {"GdipDrawPath", "GdipDeletePen"}},
        {"GdipCreatePath", {"GdipAddPathString", "GdipFillPath", "GdipDrawPath", "GdipDeletePath"}},
    };
    for (const Case& c : cases) {
        standin::reset();
        standin::fail(c.failing, 1);
        meter.repaint(surface.dc(), "42", 200, 40);
        EXPECT_TRUE(standin::lines_of(c.absent).empty()) << c.failing << "\n" << standin::log();
        EXPECT_EQ(standin::lines_of({"GdipDeleteGraphics"}), Lines{"GdipDeleteGraphics(graphics1)"})
            << c.failing;
        EXPECT_EQ(standin::live_objects(), 0) << c.failing;
    }
    // Text laid out without a format still uses the library's default one.
    standin::reset();
    standin::fail("GdipCreateStringFormat", 1);
    meter.repaint(surface.dc(), "42", 200, 40);
    EXPECT_EQ(standin::lines_of({"GdipAddPathString"}),
              Lines{"GdipAddPathString(path1,\"42\",2,family1,0,14,{0,0,149,29},null)"});
}

TEST_F(RenderCalls, NoGraphicsForTheDcMeansNothingElse) {
    meter.record().border_enabled = 1;
    meter.record().shadow_enabled = 1;
    standin::reset();
    meter.record().alignment = 12;
    standin::fail("GdipCreateFromHDC", 1);
    meter.repaint(surface.dc(), "42", 200, 40);
    EXPECT_EQ(standin::lines(), Lines{"GdipCreateFromHDC(dc) -> fail"});
    // Needs no graphics object: the next save must not write 12 back.
    EXPECT_EQ(meter.record().alignment, 0);
}

TEST(StartupCalls, EachMeterStartsAndShutsDownItsOwnToken) {
    ASSERT_TRUE(standin::loaded());
    standin::reset();
    void* first = plugin().dllstartup(nullptr, 0);
    void* second = plugin().dllstartup(nullptr, 0);
    const Lines started = standin::lines();
    ASSERT_EQ(started.size(), 2u);
    const std::string prefix = "GdiplusStartup(1,null,0,0,null) -> ";
    ASSERT_EQ(started[0].rfind(prefix, 0), 0u) << started[0];
    ASSERT_EQ(started[1].rfind(prefix, 0), 0u) << started[1];
    const std::string first_token = started[0].substr(prefix.size());
    const std::string second_token = started[1].substr(prefix.size());
    EXPECT_NE(first_token, second_token);

    standin::reset();
    plugin().dllshutdown(second);
    plugin().dllshutdown(second); // already released: nothing more
    plugin().dllshutdown(first);
    EXPECT_EQ(standin::lines(), (Lines{"GdiplusShutdown(" + second_token + ")",
                                       "GdiplusShutdown(" + first_token + ")"}));
}

} // namespace
} // namespace scrivlet::test
