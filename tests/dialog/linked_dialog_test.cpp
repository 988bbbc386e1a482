// The settings dialog code linked into this program, running on the
// template of Scrivlet.dll: here the colour and font pickers can be replaced
// by stand-ins that check what they are handed and answer as a user would,
// and the dialog's result can be read.

#include "dialog/dialog_ids.h"
#include "dialog/pickers.h"
#include "dialog/settings_dialog.h"
#include "dialog_driver.h"
#include "render/log_pixels.h"
#include "support/plugin.h"
#include "support/surface.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace scrivlet::test {
namespace {

// The record sizes each platform width's pickers take, and nothing else.
#ifdef _WIN64
constexpr DWORD colour_request_size = 72;
constexpr DWORD font_request_size = 104;
#else
constexpr DWORD colour_request_size = 36;
constexpr DWORD font_request_size = 60;
#endif

// What the stand-in pickers do; they run on the host's thread, inside the
// dialog's modal loop, as the real ones would.
std::function<BOOL(CHOOSECOLORA&)> colour_user;
std::function<BOOL(CHOOSEFONTA&)> font_user;

BOOL WINAPI stand_in_colour_picker(LPCHOOSECOLORA request) {
    return colour_user ? colour_user(*request) : FALSE;
}

BOOL WINAPI stand_in_font_picker(LPCHOOSEFONTA request) {
    return font_user ? font_user(*request) : FALSE;
}

class LinkedDialog : public ::testing::Test {
protected:
    void SetUp() override {
        saved_pickers = dialog_pickers();
        dialog_pickers() = Pickers{stand_in_colour_picker, stand_in_font_picker};
        colour_user = nullptr;
        font_user = nullptr;
    }

    void TearDown() override {
        dialog_pickers() = saved_pickers;
        colour_user = nullptr;
        font_user = nullptr;
    }

    // Opens the dialog on `record` and hands it to `drive`; the dialog's
    // result.
    INT_PTR run(MeterRecord& edited, const std::function<void(HWND)>& drive) {
        INT_PTR result = -100;
        drive_dialog([&] { result = run_settings_dialog(plugin_module(), edited); },
                     [&] {
                         const HWND dialog = wait_for_dialog(settings_caption);
                         ASSERT_NE(dialog, nullptr);
                         drive(dialog);
                     });
        return result;
    }

    HostWindow host;
    MeterRecord record = make_default_record(host.handle());

private:
    Pickers saved_pickers;
};

TEST_F(LinkedDialog, ResultIsOkOrCancel) {
    struct Case {
        const char* name;
        std::function<void(HWND)> close;
        INT_PTR result;
    };
    const Case cases[] = {
        {"OK", [](HWND dialog) { click(dialog, IDOK); }, IDOK},
        {"Cancel", [](HWND dialog) { click(dialog, IDCANCEL); }, IDCANCEL},
        {"close box", [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); }, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run(record, [&](HWND dialog) { c.close(dialog); }), c.result);
    }
}

TEST_F(LinkedDialog, ColourButtonsStoreOnlyAConfirmedChoice) {
    struct Button {
        int control;
        int32_t MeterRecord::*red;
        int32_t MeterRecord::*green;
        int32_t MeterRecord::*blue;
    };
    const Button buttons[] = {
        {IDC_FONT_COLOUR, &MeterRecord::font_red, &MeterRecord::font_green,
         &MeterRecord::font_blue},
        {IDC_SHADOW_COLOUR, &MeterRecord::shadow_red, &MeterRecord::shadow_green,
         &MeterRecord::shadow_blue},
        {IDC_BORDER_COLOUR, &MeterRecord::border_red, &MeterRecord::border_green,
         &MeterRecord::border_blue},
    };
    // 1 confirms; 0 is a cancel or a failure; anything else is no
    // confirmation either.
    const BOOL results[] = {1, 0, 2};
    for (const Button& button : buttons) {
        for (const BOOL result : results) {
            SCOPED_TRACE(testing::Message() << "button " << button.control << " result " << result);
            record = make_default_record(host.handle());
            // Only the low 8 bits of a channel reach the picker.
            record.*button.red = 0x101;
            record.*button.green = 0x02;
            record.*button.blue = 0x03;
            MeterRecord expected = record;
            if (result == 1) {
                expected.*button.red = 0x12;
                expected.*button.green = 0x34;
                expected.*button.blue = 0x56;
            }
            CHOOSECOLORA seen{};
            int calls = 0;
            colour_user = [&](CHOOSECOLORA& request) {
                ++calls;
                seen = request;
                request.rgbResult = 0xAB563412;
                return result;
            };
            HWND settings = nullptr;
            // Cancel afterwards: what a picker stored stays.
            const INT_PTR closed = run(record, [&](HWND dialog) {
                settings = dialog;
                click(dialog, button.control);
                click(dialog, IDCANCEL);
            });
            EXPECT_EQ(closed, IDCANCEL);
            EXPECT_EQ(calls, 1);
            EXPECT_EQ(seen.lStructSize, colour_request_size);
            EXPECT_EQ(seen.hwndOwner, settings);
            EXPECT_EQ(seen.hInstance, nullptr);
            EXPECT_EQ(seen.rgbResult, 0x00030201u);
            EXPECT_NE(seen.lpCustColors, nullptr);
            EXPECT_EQ(seen.Flags, static_cast<DWORD>(CC_RGBINIT | CC_FULLOPEN));
            EXPECT_EQ(seen.Flags, 3u);
            EXPECT_EQ(seen.lCustData, 0);
            EXPECT_EQ(seen.lpfnHook, nullptr);
            EXPECT_EQ(seen.lpTemplateName, nullptr);
            EXPECT_EQ(record_differences(expected, record), "");
        }
    }
}

TEST_F(LinkedDialog, CustomColoursLastAcrossDialogsAndMeters) {
    constexpr int kept = 5;
    constexpr COLORREF added = 0x00ABCDEF;
    MeterRecord other = make_default_record(host.handle());
    std::vector<COLORREF*> tables;
    std::vector<std::vector<COLORREF>> contents;
    colour_user = [&](CHOOSECOLORA& request) {
        tables.push_back(request.lpCustColors);
        contents.emplace_back(request.lpCustColors, request.lpCustColors + 16);
        request.lpCustColors[kept] = added;
        return FALSE; // the table keeps what the user added even so
    };
    run(record, [](HWND dialog) {
        click(dialog, IDC_FONT_COLOUR);
        click(dialog, IDOK);
    });
    run(other, [](HWND dialog) {
        click(dialog, IDC_BORDER_COLOUR);
        click(dialog, IDC_SHADOW_COLOUR);
        click(dialog, IDCANCEL);
    });
    ASSERT_EQ(tables.size(), 3u);
    EXPECT_EQ(tables[1], tables[0]);
    EXPECT_EQ(tables[2], tables[0]);
    for (int entry = 0; entry < 16; ++entry) {
        if (entry != kept) {
            // Black until a user adds a colour; no test adds one here.
            EXPECT_EQ(contents[0][entry], 0u) << entry;
        }
        EXPECT_EQ(contents[1][entry], entry == kept ? added : 0u) << entry;
        EXPECT_EQ(contents[2][entry], entry == kept ? added : 0u) << entry;
    }
}

TEST_F(LinkedDialog, FontButtonWorksOnACopyAndStoresOnlyAConfirmedChoice) {
    LOGFONTA chosen = record.log_font;
    lstrcpyA(chosen.lfFaceName, "Liberation Serif");
    chosen.lfHeight = -35;
    chosen.lfWeight = 700;
    chosen.lfItalic = 1;
    chosen.lfCharSet = 0xEE;
    struct Case {
        BOOL result;
        INT point_size;
        int close; // IDOK or IDCANCEL
        bool stored;
        int32_t font_size;
        const char* label;
        int32_t style; // font_style afterwards
    };
    const Case cases[] = {
        {1, 105, IDOK, true, 10, "Liberation Serif, 10pt", 3},
        {1, 99, IDCANCEL, true, 9, "Liberation Serif, 9pt", 0},
        {1, 720, IDOK, true, 72, "Liberation Serif, 72pt", 3},
        {0, 105, IDOK, false, 14, "Arial, 14pt", 0},
        {2, 105, IDOK, false, 14, "Arial, 14pt", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "result " << c.result << " size " << c.point_size
                                        << (c.close == IDOK ? " OK" : " Cancel"));
        record = make_default_record(host.handle());
        const LOGFONTA before = record.log_font;
        CHOOSEFONTA seen{};
        LOGFONTA handed{};
        int calls = 0;
        font_user = [&](CHOOSEFONTA& request) {
            ++calls;
            seen = request;
            handed = *request.lpLogFont;
            // The picker fills the record it was handed, confirmed or not.
            *request.lpLogFont = chosen;
            request.iPointSize = c.point_size;
            return c.result;
        };
        HWND settings = nullptr;
        std::string label;
        run(record, [&](HWND dialog) {
            settings = dialog;
            click(dialog, IDC_FONT_BUTTON);
            label = item_text(dialog, IDC_FONT_LABEL);
            click(dialog, c.close);
        });
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(seen.lStructSize, font_request_size);
        EXPECT_EQ(seen.hwndOwner, settings);
        EXPECT_EQ(seen.hDC, nullptr);
        EXPECT_NE(seen.lpLogFont, &record.log_font) << "a working copy";
        // At 96 pixels per inch, 14 pt are 18.67 pixels.
        LOGFONTA expected_handed = before;
        expected_handed.lfHeight = -19;
        EXPECT_EQ(std::memcmp(&handed, &expected_handed, sizeof(LOGFONTA)), 0)
            << "copy of log_font at font_size; height " << handed.lfHeight;
        EXPECT_EQ(seen.iPointSize, 0);
        EXPECT_EQ(seen.Flags, 0x41u);
        EXPECT_EQ(seen.rgbColors, 0u);
        EXPECT_EQ(seen.lCustData, 0);
        EXPECT_EQ(seen.lpfnHook, nullptr);
        EXPECT_EQ(seen.lpTemplateName, nullptr);
        EXPECT_EQ(seen.hInstance, nullptr);
        EXPECT_EQ(seen.lpszStyle, nullptr);
        EXPECT_EQ(seen.nSizeMin, 0);
        EXPECT_EQ(seen.nSizeMax, 0);
        const LOGFONTA& expected_font = c.stored ? chosen : before;
        EXPECT_EQ(std::memcmp(&record.log_font, &expected_font, sizeof(LOGFONTA)), 0);
        EXPECT_EQ(record.font_size, c.font_size);
        EXPECT_EQ(label, c.label);
        EXPECT_EQ(record.font_style, c.style);
    }
}

int screen_pixels_per_inch() {
    const HDC screen = GetDC(nullptr);
    const int pixels = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// log_font's height is left over from whatever font it last described; the
// picker must open at the meter's own size, in the screen's pixels, with the
// face and style of log_font, and confirming that unchanged keeps the size.
TEST_F(LinkedDialog, FontPickerOpensAtTheMetersSize) {
    struct Case {
        int32_t font_size;
        LONG height_at_96;
        LONG height_at_120;
    };
    const Case cases[] = {
        {14, -19, -23},  {16, -21, -27}, {8, -11, -13},     {11, -15, -18},
        {72, -96, -120}, {1, -1, -2},    {200, -267, -333},
    };
    const int dpi = child_dpi() != 0 ? child_dpi() : 96;
    ASSERT_EQ(screen_pixels_per_inch(), dpi) << "the screen's resolution did not take";
    ASSERT_TRUE(dpi == 96 || dpi == 120);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.font_size << " pt at " << dpi);
        record = make_default_record(host.handle());
        record.font_size = c.font_size;
        lstrcpyA(record.log_font.lfFaceName, "Liberation Serif");
        record.log_font.lfWeight = 700;
        record.log_font.lfItalic = 1;
        record.log_font.lfCharSet = 0xEE;
        record.log_font.lfHeight = -35;
        LOGFONTA expected_handed = record.log_font;
        expected_handed.lfHeight = dpi == 96 ? c.height_at_96 : c.height_at_120;
        LOGFONTA handed{};
        INT point_size_handed = -1;
        font_user = [&](CHOOSEFONTA& request) {
            handed = *request.lpLogFont;
            point_size_handed = request.iPointSize;
            // Confirmed unchanged: the picker reports the whole points that
            // the height it opened at stands for.
            request.iPointSize = 10 * MulDiv(-request.lpLogFont->lfHeight, 72, dpi);
            return TRUE;
        };
        run(record, [&](HWND dialog) {
            click(dialog, IDC_FONT_BUTTON);
            click(dialog, IDOK);
        });
        EXPECT_EQ(handed.lfHeight, expected_handed.lfHeight);
        EXPECT_EQ(std::memcmp(&handed, &expected_handed, sizeof(LOGFONTA)), 0)
            << "the rest of log_font as it was";
        EXPECT_EQ(point_size_handed, 0);
        EXPECT_EQ(record.font_size, c.font_size);
        EXPECT_EQ(std::memcmp(&record.log_font, &expected_handed, sizeof(LOGFONTA)), 0);
        EXPECT_EQ(record.font_style, 3) << "bold italic kept";
    }
}

TEST_F(LinkedDialog, FontPickerOpensAtTheMetersSizeOnAnotherScreen) {
    if (child_dpi() != 0) {
        GTEST_SKIP() << "run by the parent only";
    }
    EXPECT_EQ(run_at_dpi(120, "LinkedDialog.FontPickerOpensAtTheMetersSize"), 0);
}

TEST_F(LinkedDialog, SecondDialogEndsTheFirstAsCancelled) {
    MeterRecord second = make_default_record(host.handle());
    const MeterRecord first_before = record;
    MeterRecord second_expected = second;
    second_expected.decimals = 4;
    INT_PTR second_result = -100;
    const INT_PTR first_result = run(record, [&](HWND first) {
        set_item_text(first, IDC_DECIMALS, "3");
        host.post([&] { second_result = run_settings_dialog(plugin_module(), second); });
        const HWND next = wait_for_dialog(settings_caption, first);
        ASSERT_NE(next, nullptr);
        set_item_text(next, IDC_DECIMALS, "4");
        click(next, IDOK);
    });
    EXPECT_EQ(first_result, IDCANCEL);
    EXPECT_EQ(second_result, IDOK);
    EXPECT_EQ(record_differences(first_before, record), "");
    EXPECT_EQ(record_differences(second_expected, second), "");
}

// What the module's detach does to a dialog that is still open.
TEST_F(LinkedDialog, EndingTheOpenDialogCancelsIt) {
    const MeterRecord before = record;
    const INT_PTR result = run(record, [&](HWND dialog) {
        set_item_text(dialog, IDC_TAB_WIDTH, "3");
        host.post([] { end_open_dialog(); });
        EXPECT_TRUE(wait_until_closed(dialog));
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(record_differences(before, record), "");
    // Nothing is left open to end, and the next dialog opens as usual.
    end_open_dialog();
    EXPECT_EQ(run(record, [](HWND dialog) { click(dialog, IDOK); }), IDOK);
}

// The host repaints the meter through the exported repaint while its dialog
// is open: picker choices show at once, the other edits only after OK.
TEST_F(LinkedDialog, RepaintDuringTheDialogSeesPickerChoicesOnly) {
    const Meter meter(host.handle());
    MeterRecord& edited = meter.record();
    Surface surface(160, 64);
    struct Counts {
        int covered = 0, white = 0, red = 0, black = 0;
    };
    const auto repaint = [&] {
        surface.fill(Pixel{0, 0, 0, 0});
        meter.repaint(surface.dc(), "88", surface.width(), surface.height());
        Counts counts;
        for (int y = 0; y < surface.height(); ++y) {
            for (int x = 0; x < surface.width(); ++x) {
                const Pixel p = surface.at(x, y);
                counts.covered += p.alpha != 0 ? 1 : 0;
                if (p.alpha == 255) {
                    counts.white += p.red > 200 && p.green > 200 && p.blue > 200 ? 1 : 0;
                    counts.red += p.red > 200 && p.green < 60 && p.blue < 60 ? 1 : 0;
                    counts.black += p.red < 60 && p.green < 60 && p.blue < 60 ? 1 : 0;
                }
            }
        }
        return counts;
    };
    const Counts before = repaint();
    ASSERT_GT(before.white, 0);
    ASSERT_GT(before.black, 0);
    ASSERT_EQ(before.red, 0);

    colour_user = [](CHOOSECOLORA& request) {
        request.rgbResult = RGB(255, 0, 0);
        return TRUE;
    };
    font_user = [](CHOOSEFONTA& request) {
        request.iPointSize = 280;
        return TRUE;
    };
    Counts during;
    run(edited, [&](HWND dialog) {
        set_item_text(dialog, IDC_FONT_ALPHA, "0");
        click(dialog, IDC_BORDER_ENABLED);
        click(dialog, IDC_FONT_COLOUR);
        click(dialog, IDC_FONT_BUTTON);
        host.run([&] { during = repaint(); });
        click(dialog, IDOK);
    });
    EXPECT_GT(during.red, 0) << "the picked colour";
    EXPECT_EQ(during.white, 0);
    EXPECT_GT(during.black, 0) << "the border, still on until OK";
    EXPECT_GT(during.covered, 2 * before.covered) << "28 pt instead of 14";
    EXPECT_EQ(edited.font_size, 28);

    const Counts after = repaint();
    EXPECT_EQ(after.covered, 0) << "transparent text, no border";
}

} // namespace
} // namespace scrivlet::test
