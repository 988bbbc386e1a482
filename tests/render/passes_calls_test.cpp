// The shadow and border passes at the call level: every GDI+ call they make
// inside repaint, in order and with its arguments, what they skip when an
// object cannot be made, and that nothing they made outlives the call.

#include "call_lists.h"
#include "log_pixels.h"
#include "small_meter.h"
#include "support/plugin.h"
#include "support/standin.h"
#include "support/surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace scrivlet::test {
namespace {

// Scrivlet.dll, and with it gdiplus.dll, is loaded with the first meter.
bool beside_standin() {
    plugin();
    return standin::loaded();
}

class PassCalls : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(beside_standin()) << "run beside the gdiplus.dll stand-in";
        MeterRecord& r = meter.record();
        r.border_enabled = 0;
        // Colours that tell the three drawings apart in the record.
        r.shadow_alpha = 0x80;
        r.shadow_red = 0x10;
        r.shadow_green = 0x20;
        r.shadow_blue = 0x30;
        r.border_alpha = 0xFF;
        r.border_red = 0x40;
        r.border_green = 0x50;
        r.border_blue = 0x60;
    }

    Lines repaint(int width = 200, int height = 40) {
        standin::reset();
        meter.repaint(surface.dc(), "42", width, height);
        return standin::lines();
    }

    Surface surface{8, 8};
    Meter meter;
};

TEST_F(PassCalls, ShadowThenBorderThenFillInExactOrder) {
    MeterRecord& r = meter.record();
    r.shadow_enabled = 1;
    r.shadow_offset_x = 3;
    r.shadow_offset_y = 2;
    r.border_enabled = 1;
    r.border_width = 2;
    const std::string rect = "{2,2,140,21}";
    const Lines shadow = {
        "GdipCreateFontFamilyFromName(\"Arial\",null) -> family1",
        "GdipCreateBitmapFromScan0(40,8,0,2498570,null) -> bitmap1",
        "GdipBitmapSetResolution(bitmap1,96,96)",
        "GdipGetImageGraphicsContext(bitmap1) -> graphics2",
        "GdipSetSmoothingMode(graphics2,4)",
        "GdipSetPageUnit(graphics2,3)",
        "GdipScaleWorldTransform(graphics2,0.2,0.2,0)",
        "GdipCreatePath(0) -> path1",
        "GdipAddPathString(path1,\"42\",2,family1,0,14," + rect + ",format1)",
        "GdipCreateSolidFill(0x80102030) -> brush1",
        "GdipCreatePen1(0x80102030,5,0) -> pen1",
        "GdipDrawPath(graphics2,pen1,path1)",
        "GdipFillPath(graphics2,brush1,path1)",
        "GdipCreateFromHDC(dc) -> graphics3",
        "GdipSetSmoothingMode(graphics3,4)",
        "GdipSetInterpolationMode(graphics3,7)",
        "GdipDrawImageRectI(graphics3,bitmap1,3,2,203,42)",
        "GdipDeleteGraphics(graphics3)",
        "GdipDeletePen(pen1)",
        "GdipDeleteBrush(brush1)",
        "GdipDeletePath(path1)",
        "GdipDeleteGraphics(graphics2)",
        "GdipDisposeImage(bitmap1)",
        "GdipDeleteFontFamily(family1)",
    };
    const Lines border = {
        "GdipCreateFontFamilyFromName(\"Arial\",null) -> family2",
        "GdipCreateBitmapFromScan0(200,40,0,2498570,null) -> bitmap2",
        "GdipBitmapSetResolution(bitmap2,96,96)",
        "GdipGetImageGraphicsContext(bitmap2) -> graphics4",
        "GdipSetSmoothingMode(graphics4,2)",
        "GdipSetPageUnit(graphics4,3)",
        "GdipCreatePath(0) -> path2",
        "GdipAddPathString(path2,\"42\",2,family2,0,14," + rect + ",format1)",
        "GdipClonePath(path2) -> path3",
        "GdipCreateSolidFill(0xFF405060) -> brush2",
        "GdipCreatePen1(0xFF405060,4,0) -> pen2",
        "GdipWidenPath(path2,pen2,null,0.0078125)",
        "GdipWindingModeOutline(path2,null,0.0078125)",
        "GdipSetClipPath(graphics4,path3,4)",
        "GdipFillPath(graphics4,brush2,path2)",
        "GdipCreateFromHDC(dc) -> graphics5",
        "GdipSetSmoothingMode(graphics5,4)",
        "GdipSetPageUnit(graphics5,3)",
        "GdipSetInterpolationMode(graphics5,7)",
        "GdipDrawImageI(graphics5,bitmap2,0,0)",
        "GdipDeleteGraphics(graphics5)",
        "GdipDeletePen(pen2)",
        "GdipDeleteBrush(brush2)",
        "GdipDeletePath(path2)",
        "GdipDeletePath(path3)",
        "GdipDeleteGraphics(graphics4)",
        "GdipDisposeImage(bitmap2)",
        "GdipDeleteFontFamily(family2)",
    };
    EXPECT_EQ(repaint(), joined({before_passes, shadow, border,
                                 fill_calls("family3", "brush3", "pen3", "path4", rect)}));
    EXPECT_EQ(standin::live_objects(), 0);
}

TEST_F(PassCalls, ShadowSizeScaleAndDestinationFollowTheRecord) {
    struct Case {
        int width, height;
        int32_t softness, offset_x, offset_y, size;
        Lines expected;
    };
    const std::vector<Case> cases = {
        {200,
         40,
         5,
         -4,
         0,
         5,
         {"GdipCreateBitmapFromScan0(40,8,0,2498570,null) -> bitmap1",
          "GdipScaleWorldTransform(graphics2,0.2,0.2,0)", "GdipCreatePen1(0x80102030,5,0) -> pen1",
          "GdipDrawImageRectI(graphics3,bitmap1,-4,0,196,40)"}},
        {200,
         40,
         5,
         0,
         0,
         5,
         {"GdipCreateBitmapFromScan0(40,8,0,2498570,null) -> bitmap1",
          "GdipScaleWorldTransform(graphics2,0.2,0.2,0)", "GdipCreatePen1(0x80102030,5,0) -> pen1",
          "GdipDrawImageRectI(graphics3,bitmap1,0,0,200,40)"}},
        // Softness 1: drawn one to one.
        {200,
         40,
         1,
         0,
         0,
         8,
         {"GdipCreateBitmapFromScan0(200,40,0,2498570,null) -> bitmap1",
          "GdipScaleWorldTransform(graphics2,1,1,0)", "GdipCreatePen1(0x80102030,8,0) -> pen1",
          "GdipDrawImageRectI(graphics3,bitmap1,0,0,200,40)"}},
        // Sides truncated; the scale is 1/3 rounded to a float.
        {200,
         40,
         3,
         7,
         -3,
         0,
         {"GdipCreateBitmapFromScan0(66,13,0,2498570,null) -> bitmap1",
          "GdipScaleWorldTransform(graphics2,0.33333334,0.33333334,0)",
          "GdipCreatePen1(0x80102030,0,0) -> pen1",
          "GdipDrawImageRectI(graphics3,bitmap1,7,-3,207,37)"}},
        // A softness equal to a side leaves that side one pixel.
        {200,
         40,
         40,
         0,
         0,
         -2,
         {"GdipCreateBitmapFromScan0(5,1,0,2498570,null) -> bitmap1",
          "GdipScaleWorldTransform(graphics2,0.025,0.025,0)",
          "GdipCreatePen1(0x80102030,-2,0) -> pen1",
          "GdipDrawImageRectI(graphics3,bitmap1,0,0,200,40)"}},
    };
    const Lines functions = {"GdipCreateBitmapFromScan0", "GdipScaleWorldTransform",
                             "GdipCreatePen1", "GdipDrawImageRectI"};
    MeterRecord& r = meter.record();
    r.shadow_enabled = 1;
    for (const Case& c : cases) {
        r.shadow_softness = c.softness;
        r.shadow_offset_x = c.offset_x;
        r.shadow_offset_y = c.offset_y;
        r.shadow_size = c.size;
        repaint(c.width, c.height);
        Lines shadow = standin::lines_of(functions);
        ASSERT_FALSE(shadow.empty()) << c.softness;
        shadow.pop_back(); // the fill's 1-point pen
        EXPECT_EQ(shadow, c.expected) << "softness " << c.softness;
        EXPECT_EQ(standin::live_objects(), 0) << c.softness;
    }
}

// Every pass call is one of these; render_text never makes them.
const Lines bitmap_calls = {"GdipCreateBitmapFromScan0", "GdipBitmapSetResolution",
                            "GdipGetImageGraphicsContext", "GdipDrawImageI", "GdipDrawImageRectI"};

TEST_F(PassCalls, NoBitmapMeansNoPassCallsAndTheTextStillInset) {
    struct Case {
        const char* name;
        int width, height;
        int32_t softness;
        bool border;
        std::string rect; // the fill's layout rectangle
        std::string text; // what of "42" is laid out in it
    };
    // 49 x (1/49) is just below 1 in double precision: the reciprocal, not a
    // division, decides, and there is no bitmap.
    const std::vector<Case> cases = {
        {"softness 0", 200, 40, 0, false, "{2,2,143,23}", "\"42\",2"},
        {"softness -3", 200, 40, -3, false, "{2,2,143,23}", "\"42\",2"},
        {"softness 1000", 200, 40, 1000, false, "{2,2,143,23}", "\"42\",2"},
        {"softness above the height", 200, 40, 41, false, "{2,2,143,23}", "\"42\",2"},
        {"reciprocal just below one", 49, 49, 49, false, "{2,2,29.75,29.75}", "\"42\",2"},
    };
    MeterRecord& r = meter.record();
    r.shadow_enabled = 1;
    for (const Case& c : cases) {
        r.shadow_softness = c.softness;
        r.border_enabled = c.border ? 1 : 0;
        r.border_width = 2;
        repaint(c.width, c.height);
        EXPECT_TRUE(standin::lines_of(bitmap_calls).empty()) << c.name << "\n" << standin::log();
        // Only the fill makes a font family and a path.
        EXPECT_EQ(
            standin::lines_of({"GdipCreateFontFamilyFromName", "GdipAddPathString"}),
            (Lines{"GdipCreateFontFamilyFromName(\"Arial\",null) -> family1",
                   "GdipAddPathString(path1," + c.text + ",family1,0,14," + c.rect + ",format1)"}))
            << c.name;
        EXPECT_EQ(standin::live_objects(), 0) << c.name;
    }
}

// Small meters with a wide shadow or border: the room they leave the text is
// none or less, and the library still lays the text out, so every pass and
// the fill hand it that rectangle.
TEST_F(PassCalls, RectangleWithNoRoomIsLaidOutByEveryPass) {
    struct Case {
        SmallMeter look;
        std::string rect;
    };
    const Case cases[] = {
        {{200, 40, 14, 24, 3, 0}, "{12,12,120,0}"}, {{200, 40, 14, 26, 3, 0}, "{13,13,118,-2}"},
        {{120, 12, 7, 5, 2, 1}, "{2,2,81,0}"},      {{240, 20, 9, 0, 0, 7}, "{7,7,165,0}"},
        {{1, 1, 14, 0, 0, 1}, "{1,1,-2.25,-2.25}"},
    };
    MeterRecord& r = meter.record();
    for (const Case& c : cases) {
        set_look(r, c.look);
        repaint(c.look.width, c.look.height);
        const size_t passes = r.shadow_enabled + r.border_enabled;
        const std::string laid_out =
            ",0," + std::to_string(c.look.font_size) + "," + c.rect + ",format1)";
        const Lines added = standin::lines_of({"GdipAddPathString"});
        ASSERT_EQ(added.size(), passes + 1) << c.rect << "\n" << standin::log();
        for (const std::string& line : added) {
            EXPECT_TRUE(line.ends_with(laid_out)) << line;
        }
        // Each pass puts its bitmap on the surface once.
        EXPECT_EQ(standin::lines_of({"GdipDrawImageI", "GdipDrawImageRectI"}).size(), passes)
            << c.rect;
        EXPECT_EQ(standin::lines_of({"GdipFillPath"}).size(), passes + 1) << c.rect;
        EXPECT_EQ(standin::live_objects(), 0) << c.rect;
    }
}

// A rectangle that no surface can show lays out nothing: no pass runs and
// the fill makes no glyphs.
TEST_F(PassCalls, GeometryThatCannotShowMakesNoGlyphsAndNoBitmap) {
    struct Case {
        const char* name;
        int width, height;
        int32_t shadow_size, offset_y;
        bool border;
    };
    const Case cases[] = {
        {"shadow offset INT_MAX takes the height far below none", 200, 40, 5, INT32_MAX, true},
        {"shadow offset pushes the text beyond any surface", 200, 40, 5, -20000, true},
        {"shadow offset pushes the text off", 200, 40, 5, -141639757, true},
        {"negative shadow size", 200, 40, INT32_MIN, 0, false},
        {"40000 pixels wide", 40000, 40, 5, 0, true},
    };
    MeterRecord& r = meter.record();
    r.shadow_enabled = 1;
    r.shadow_softness = 1;
    for (const Case& c : cases) {
        r.border_enabled = c.border ? 1 : 0;
        r.shadow_size = c.shadow_size;
        r.shadow_offset_y = c.offset_y;
        repaint(c.width, c.height);
        EXPECT_EQ(standin::lines_of({"GdipCreateFontFamilyFromName", "GdipAddPathString",
                                     "GdipCreateBitmapFromScan0", "GdipCreatePath"}),
                  Lines{})
            << c.name << "\n"
            << standin::log();
        EXPECT_EQ(standin::lines_of({"GdipGraphicsClear"}),
                  Lines{"GdipGraphicsClear(graphics1,0x00FFFFFF)"})
            << c.name;
        EXPECT_EQ(standin::live_objects(), 0) << c.name;
    }
}

// A shadow pen wider than any surface is not drawn, even where the border
// keeps the text on the surface.
TEST_F(PassCalls, ShadowPenWiderThanAnySurfaceIsNotDrawn) {
    MeterRecord& r = meter.record();
    r.shadow_enabled = 1;
    r.shadow_softness = 1;
    r.shadow_size = INT32_MIN;
    r.border_enabled = 1;
    repaint(200, 40);
    // The border's bitmap and drawing only; the text fill after it.
    EXPECT_EQ(standin::lines_of({"GdipCreateBitmapFromScan0"}).size(), 1u) << standin::log();
    EXPECT_EQ(standin::lines_of({"GdipDrawImageRectI"}), Lines{});
    EXPECT_EQ(standin::lines_of({"GdipDrawImageI"}).size(), 1u);
    EXPECT_EQ(standin::lines_of({"GdipAddPathString"}).size(), 2u);
    EXPECT_EQ(standin::live_objects(), 0);
}

// Sides beyond any surface a host can give make no pass bitmap; the text
// itself still draws where it can.
TEST_F(PassCalls, SurfaceBeyondTheLargestMakesNoPassBitmap) {
    MeterRecord& r = meter.record();
    r.shadow_enabled = 1;
    r.shadow_softness = 1;
    r.border_enabled = 1;
    repaint(16385, 40);
    EXPECT_TRUE(standin::lines_of(bitmap_calls).empty()) << standin::log();
    EXPECT_EQ(standin::lines_of({"GdipAddPathString"}),
              Lines{"GdipAddPathString(path1,\"42\",2,family1,0,14,{2,2,12281.75,23},format1)"});
    EXPECT_EQ(standin::live_objects(), 0);
    repaint(16384, 40);
    EXPECT_EQ(standin::lines_of({"GdipCreateBitmapFromScan0"}),
              (Lines{"GdipCreateBitmapFromScan0(16384,40,0,2498570,null) -> bitmap1",
                     "GdipCreateBitmapFromScan0(16384,40,0,2498570,null) -> bitmap2"}));
}

TEST_F(PassCalls, AbsentTextFormatLaysOutWithNone) {
    MeterRecord& r = meter.record();
    r.shadow_enabled = 1;
    r.border_enabled = 1;
    standin::reset();
    standin::fail("GdipCreateStringFormat", 1);
    meter.repaint(surface.dc(), "42", 200, 40);
    EXPECT_EQ(standin::lines_of({"GdipAddPathString"}),
              (Lines{"GdipAddPathString(path1,\"42\",2,family1,0,14,{2,2,143,23},null)",
                     "GdipAddPathString(path2,\"42\",2,family2,0,14,{2,2,143,23},null)",
                     "GdipAddPathString(path4,\"42\",2,family3,0,14,{2,2,143,23},null)"}));
    EXPECT_EQ(standin::lines_of({"GdipDrawImageRectI", "GdipDrawImageI"}),
              (Lines{"GdipDrawImageRectI(graphics3,bitmap1,0,0,200,40)",
                     "GdipDrawImageI(graphics5,bitmap2,0,0)"}));
    EXPECT_EQ(standin::live_objects(), 0);
}

struct FailureCase {
    const char* function;
    int occurrence; // counted over the whole repaint
    Lines absent;   // line prefixes that must not appear
    Lines present;  // lines that must still appear
};

// Runs each case on a fresh record changed by `setup`; checks what is
// skipped, what still runs, that no release gets an absent object and that
// nothing outlives the call.
void run_failures(const std::vector<FailureCase>& cases, void (*setup)(MeterRecord&)) {
    Surface surface(8, 8);
    for (const FailureCase& c : cases) {
        const std::string name = std::string(c.function) + " #" + std::to_string(c.occurrence);
        Meter meter;
        setup(meter.record());
        standin::reset();
        standin::fail(c.function, c.occurrence);
        meter.repaint(surface.dc(), "42", 200, 40);
        const Lines calls = standin::lines();
        const std::string failed = std::string(c.function) + "(";
        EXPECT_TRUE(std::any_of(calls.begin(), calls.end(),
                                [&](const std::string& line) {
                                    return line.rfind(failed, 0) == 0 &&
                                           line.find("-> fail") != std::string::npos;
                                }))
            << name << ": the failure was not injected\n"
            << standin::log();
        for (const std::string& prefix : c.absent) {
            for (const std::string& line : calls) {
                EXPECT_NE(line.rfind(prefix, 0), 0u) << name << ": " << line;
            }
        }
        for (const std::string& line : c.present) {
            EXPECT_NE(std::find(calls.begin(), calls.end(), line), calls.end())
                << name << ": missing " << line << "\n"
                << standin::log();
        }
        for (const std::string& line : calls) {
            EXPECT_EQ(line.find("(null)"), std::string::npos) << name << ": " << line;
        }
        EXPECT_EQ(standin::lines_of({"GdipDeleteGraphics"}).back(), "GdipDeleteGraphics(graphics1)")
            << name;
        EXPECT_EQ(standin::live_objects(), 0) << name;
    }
}

TEST(PassFailures, BorderSkipsWhatNeedsAMissingObject) {
    ASSERT_TRUE(beside_standin());
    // Border alone: its objects are family1, bitmap1, graphics2 (bitmap),
    // path1 (glyphs), path2 (copy), brush1, pen1, graphics3 (surface); the
    // fill then makes family2, brush2, pen2, path3.
    const std::vector<FailureCase> cases = {
        {"GdipCreateFontFamilyFromName",
         1,
         {"GdipAddPathString(path1", "GdipSetClipPath", "GdipFillPath(graphics2",
          "GdipCreateFromHDC(dc) -> graphics3", "GdipDrawImageI"},
         {"GdipDisposeImage(bitmap1)", "GdipDeletePath(path2)", "GdipDeleteGraphics(graphics2)"}},
        {"GdipCreateBitmapFromScan0",
         1,
         {"GdipBitmapSetResolution", "GdipGetImageGraphicsContext", "GdipSetClipPath",
          "GdipFillPath(graphics2", "GdipCreateFromHDC(dc) -> graphics2", "GdipDrawImageI"},
         {"GdipDeleteFontFamily(family1)"}},
        {"GdipGetImageGraphicsContext",
         1,
         {"GdipSetSmoothingMode(graphics2,2)", "GdipSetClipPath", "GdipFillPath(graphics2",
          "GdipCreateFromHDC(dc) -> graphics2", "GdipDrawImageI"},
         {"GdipDisposeImage(bitmap1)", "GdipDeletePath(path2)"}},
        {"GdipCreatePath",
         1,
         {"GdipAddPathString(path1,\"42\",2,family1", "GdipClonePath", "GdipWidenPath",
          "GdipWindingModeOutline", "GdipSetClipPath", "GdipFillPath(graphics2", "GdipDrawImageI"},
         {"GdipDisposeImage(bitmap1)", "GdipDeletePen(pen1)", "GdipDeleteBrush(brush1)"}},
        // No copy, no clip: the band is not filled, or the glyph insides
        // would take the border colour.
        {"GdipClonePath",
         1,
         {"GdipSetClipPath", "GdipFillPath(graphics2", "GdipCreateFromHDC(dc) -> graphics3",
          "GdipDrawImageI"},
         {"GdipWidenPath(path1,pen1,null,0.0078125)", "GdipDeletePath(path1)",
          "GdipDeleteGraphics(graphics2)", "GdipDisposeImage(bitmap1)"}},
        {"GdipCreateSolidFill",
         1,
         {"GdipSetClipPath", "GdipFillPath(graphics2", "GdipCreateFromHDC(dc) -> graphics3",
          "GdipDrawImageI"},
         {"GdipDeletePen(pen1)", "GdipDeletePath(path2)"}},
        // No pen, no widening: the unwidened glyphs are not filled either.
        {"GdipCreatePen1",
         1,
         {"GdipWidenPath", "GdipWindingModeOutline", "GdipSetClipPath", "GdipFillPath(graphics2",
          "GdipCreateFromHDC(dc) -> graphics3", "GdipDrawImageI"},
         {"GdipDeleteBrush(brush1)", "GdipDeletePath(path2)"}},
        {"GdipCreateFromHDC",
         2,
         {"GdipSetSmoothingMode(graphics3", "GdipSetInterpolationMode", "GdipDrawImageI"},
         {"GdipFillPath(graphics2,brush1,path1)", "GdipDisposeImage(bitmap1)"}},
    };
    run_failures(cases, [](MeterRecord& r) { r.border_enabled = 1; });
}

TEST(PassFailures, ShadowSkipsWhatNeedsAMissingObject) {
    ASSERT_TRUE(beside_standin());
    // Shadow alone: family1, bitmap1, graphics2 (bitmap), path1, brush1,
    // pen1, graphics3 (surface); the fill then makes family2, brush2, pen2,
    // path2.
    const std::vector<FailureCase> cases = {
        {"GdipCreateFontFamilyFromName",
         1,
         {"GdipAddPathString(path1", "GdipDrawPath(graphics2", "GdipFillPath(graphics2",
          "GdipCreateFromHDC(dc) -> graphics3", "GdipDrawImageRectI"},
         {"GdipDisposeImage(bitmap1)", "GdipDeletePath(path1)"}},
        {"GdipCreateBitmapFromScan0",
         1,
         {"GdipBitmapSetResolution", "GdipGetImageGraphicsContext", "GdipDrawPath(graphics2",
          "GdipFillPath(graphics2", "GdipCreateFromHDC(dc) -> graphics2", "GdipDrawImageRectI"},
         {"GdipDeleteFontFamily(family1)", "GdipDeletePath(path1)"}},
        {"GdipGetImageGraphicsContext",
         1,
         {"GdipScaleWorldTransform", "GdipDrawPath(graphics2", "GdipFillPath(graphics2",
          "GdipCreateFromHDC(dc) -> graphics2", "GdipDrawImageRectI"},
         {"GdipDisposeImage(bitmap1)", "GdipDeletePath(path1)"}},
        {"GdipCreatePath",
         1,
         {"GdipAddPathString(path1,\"42\",2,family1", "GdipDrawPath(graphics2",
          "GdipFillPath(graphics2", "GdipDrawImageRectI"},
         {"GdipDeletePen(pen1)", "GdipDeleteBrush(brush1)", "GdipDeleteGraphics(graphics2)"}},
        // Either drawing alone still makes a shadow.
        {"GdipCreateSolidFill",
         1,
         {"GdipFillPath(graphics2"},
         {"GdipDrawPath(graphics2,pen1,path1)",
          "GdipDrawImageRectI(graphics3,bitmap1,0,0,200,40)"}},
        {"GdipCreatePen1",
         1,
         {"GdipDrawPath(graphics2"},
         {"GdipFillPath(graphics2,brush1,path1)",
          "GdipDrawImageRectI(graphics3,bitmap1,0,0,200,40)"}},
        {"GdipCreateFromHDC",
         2,
         {"GdipSetInterpolationMode", "GdipDrawImageRectI"},
         {"GdipFillPath(graphics2,brush1,path1)", "GdipDisposeImage(bitmap1)"}},
    };
    run_failures(cases, [](MeterRecord& r) {
        r.border_enabled = 0;
        r.shadow_enabled = 1;
    });
}

TEST(PassFailures, FailedCallsWithoutObjectsChangeNothingElse) {
    ASSERT_TRUE(beside_standin());
    // Statuses are not examined: a widening, an outline merge or a clip that
    // fails leaves the later steps and every release as they were.
    Surface surface(8, 8);
    for (const char* function : {"GdipWidenPath", "GdipWindingModeOutline", "GdipSetClipPath",
                                 "GdipBitmapSetResolution", "GdipScaleWorldTransform"}) {
        Meter meter;
        meter.record().shadow_enabled = 1;
        standin::reset();
        meter.repaint(surface.dc(), "42", 200, 40);
        Lines expected = standin::lines();
        standin::reset();
        standin::fail(function, 1);
        meter.repaint(surface.dc(), "42", 200, 40);
        Lines actual = standin::lines();
        for (std::string& line : actual) {
            const auto mark = line.find(" -> fail");
            if (line.rfind(function, 0) == 0 && mark != std::string::npos) {
                line.erase(mark);
            }
        }
        EXPECT_EQ(actual, expected) << function;
        EXPECT_EQ(standin::live_objects(), 0) << function;
    }
}

// Both bitmaps take the resolution of the DC they end up on, set before
// anything is drawn on them; the stand-in's own resolution follows the
// screen's, as the real library's does.
void expect_bitmaps_at(int dpi) {
    SCOPED_TRACE(std::to_string(dpi) + " dpi");
    Surface surface(8, 8);
    Meter meter;
    meter.record().shadow_enabled = 1;
    standin::reset();
    standin::set_dpi(static_cast<float>(dpi), static_cast<float>(dpi));
    meter.repaint(surface.dc(), "42", 200, 40);
    const std::string res = std::to_string(dpi) + "," + std::to_string(dpi) + ")";
    EXPECT_EQ(standin::lines_of({"GdipCreateBitmapFromScan0", "GdipBitmapSetResolution",
                                 "GdipGetImageGraphicsContext"}),
              (Lines{"GdipCreateBitmapFromScan0(40,8,0,2498570,null) -> bitmap1",
                     "GdipBitmapSetResolution(bitmap1," + res,
                     "GdipGetImageGraphicsContext(bitmap1) -> graphics2",
                     "GdipCreateBitmapFromScan0(200,40,0,2498570,null) -> bitmap2",
                     "GdipBitmapSetResolution(bitmap2," + res,
                     "GdipGetImageGraphicsContext(bitmap2) -> graphics4"}));
    EXPECT_EQ(standin::live_objects(), 0);
}

TEST(PassCallsAtAnotherDpi, BitmapsTakeTheResolutionOfTheDc) {
    ASSERT_TRUE(beside_standin());
    if (child_dpi() != 0) {
        ASSERT_EQ(memory_dc_dpi(), child_dpi()) << "LogPixels did not take";
        expect_bitmaps_at(child_dpi());
        return;
    }
    expect_bitmaps_at(96);
    for (int dpi : {120, 192}) {
        EXPECT_EQ(run_at_dpi(dpi, "PassCallsAtAnotherDpi.*"), 0)
            << dpi << " dpi: the child's failures are printed above";
    }
}

TEST_F(PassCalls, RepeatedRepaintsLeaveNothingBehind) {
    MeterRecord& r = meter.record();
    r.shadow_enabled = 1;
    r.border_enabled = 1;
    standin::set_recording(false);
    for (int i = 0; i < 50; ++i) {
        meter.repaint(surface.dc(), "42", 200, 40);
    }
    standin::set_recording(true);
    EXPECT_EQ(standin::live_objects(), 0);
}

} // namespace
} // namespace scrivlet::test
