// The platform's own colour and font pickers behind the dialog of
// Scrivlet.dll: they accept what the dialog hands them, open on the record's
// current colour, and what the user confirms lands in the record.

#include "dialog/dialog_ids.h"
#include "dialog_driver.h"
#include "support/plugin.h"

#include <colordlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace scrivlet::test {
namespace {

class PlatformPicker : public ::testing::Test {
protected:
    void run(const std::function<void(HWND)>& drive) {
        configure_and_drive(meter.instance(), drive);
    }

    HostWindow host;
    Meter meter{host.handle()};
};

TEST_F(PlatformPicker, ColourPickerOpensOnTheColourAndStoresAConfirmedOne) {
    struct Case {
        const char* name;
        int button;
        int32_t MeterRecord::*red;
        int32_t MeterRecord::*green;
        int32_t MeterRecord::*blue;
        int close; // the picker's IDOK or IDCANCEL
    };
    const Case cases[] = {
        {"text colour, OK", IDC_FONT_COLOUR, &MeterRecord::font_red, &MeterRecord::font_green,
         &MeterRecord::font_blue, IDOK},
        {"shadow colour, OK", IDC_SHADOW_COLOUR, &MeterRecord::shadow_red,
         &MeterRecord::shadow_green, &MeterRecord::shadow_blue, IDOK},
        {"border colour, Cancel", IDC_BORDER_COLOUR, &MeterRecord::border_red,
         &MeterRecord::border_green, &MeterRecord::border_blue, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeterRecord& r = meter.record();
        r = make_default_record(host.handle());
        r.*c.red = 0x12;
        r.*c.green = 0x34;
        r.*c.blue = 0x56;
        MeterRecord expected = r;
        if (c.close == IDOK) {
            expected.*c.red = 200;
            expected.*c.green = 100;
            expected.*c.blue = 50;
        }
        std::string shown;
        bool define_button_enabled = true;
        run([&](HWND dialog) {
            post_click(dialog, c.button);
            const HWND picker = wait_for_owned_dialog(dialog);
            ASSERT_NE(picker, nullptr);
            shown = item_text(picker, COLOR_RED) + " " + item_text(picker, COLOR_GREEN) + " " +
                    item_text(picker, COLOR_BLUE);
            // Opened full: the button that would expand it is of no use.
            define_button_enabled = IsWindowEnabled(GetDlgItem(picker, COLOR_MIX)) != 0;
            set_item_text(picker, COLOR_RED, "200");
            set_item_text(picker, COLOR_GREEN, "100");
            set_item_text(picker, COLOR_BLUE, "50");
            click(picker, c.close);
            EXPECT_TRUE(wait_until_closed(picker));
            // Cancel the settings: what the picker stored stays.
            click(dialog, IDCANCEL);
        });
        EXPECT_EQ(shown, "18 52 86");
        EXPECT_FALSE(define_button_enabled);
        EXPECT_EQ(record_differences(expected, meter.record()), "");
    }
}

TEST_F(PlatformPicker, FontPickerStartsFromTheRecordAndStoresAConfirmedFont) {
    struct Case {
        const char* name;
        int close;
    };
    const Case cases[] = {{"OK", IDOK}, {"Cancel", IDCANCEL}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeterRecord& r = meter.record();
        r = make_default_record(host.handle());
        const LOGFONTA before = r.log_font;
        std::string face_shown;
        std::string label;
        run([&](HWND dialog) {
            post_click(dialog, IDC_FONT_BUTTON);
            const HWND picker = wait_for_owned_dialog(dialog);
            ASSERT_NE(picker, nullptr);
            face_shown = item_text(picker, cmb1);
            const auto choose = [&](int combo, const char* text) {
                const HWND box = GetDlgItem(picker, combo);
                const LRESULT index = send_message(box, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                                   reinterpret_cast<LPARAM>(text));
                ASSERT_NE(index, CB_ERR) << text;
                send_message(picker, WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(box));
            };
            choose(cmb1, "Liberation Serif");
            choose(cmb2, "Bold Italic");
            choose(cmb3, "20");
            click(picker, c.close);
            EXPECT_TRUE(wait_until_closed(picker));
            if (c.close == IDOK) {
                wait_until_item_text(dialog, IDC_FONT_LABEL, "Liberation Serif, 20pt");
            }
            label = item_text(dialog, IDC_FONT_LABEL);
            click(dialog, IDOK);
        });
        EXPECT_EQ(face_shown, "Arial");
        if (c.close == IDOK) {
            EXPECT_STREQ(r.log_font.lfFaceName, "Liberation Serif");
            EXPECT_EQ(r.log_font.lfWeight, 700);
            EXPECT_NE(r.log_font.lfItalic, 0);
            EXPECT_EQ(r.font_size, 20);
            EXPECT_EQ(label, "Liberation Serif, 20pt");
            EXPECT_EQ(r.font_style, 3) << "bold and italic from the chosen font";
        } else {
            EXPECT_EQ(std::memcmp(&r.log_font, &before, sizeof(LOGFONTA)), 0);
            EXPECT_EQ(r.font_size, 14);
            EXPECT_EQ(label, "Arial, 14pt");
            EXPECT_EQ(r.font_style, 0);
        }
    }
}

TEST_F(PlatformPicker, FontPickerOpensAtTheMetersSizeAndKeepsItWhenConfirmed) {
    struct Case {
        int32_t font_size;
        const char* face;
        LONG weight;
        BYTE italic;
        const char* style_shown;
    };
    const Case cases[] = {
        {14, "Arial", 400, 0, "Regular"},
        {16, "Liberation Serif", 700, 0, "Bold"},
        {28, "Liberation Mono", 400, 1, "Italic"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.font_size);
        MeterRecord& r = meter.record();
        r = make_default_record(host.handle());
        r.font_size = c.font_size;
        lstrcpyA(r.log_font.lfFaceName, c.face);
        r.log_font.lfWeight = c.weight;
        r.log_font.lfItalic = c.italic;
        std::string size_shown;
        std::string face_shown;
        std::string style_shown;
        run([&](HWND dialog) {
            post_click(dialog, IDC_FONT_BUTTON);
            const HWND picker = wait_for_owned_dialog(dialog);
            ASSERT_NE(picker, nullptr);
            face_shown = item_text(picker, cmb1);
            style_shown = item_text(picker, cmb2);
            size_shown = item_text(picker, cmb3);
            click(picker, IDOK);
            EXPECT_TRUE(wait_until_closed(picker));
            click(dialog, IDOK);
        });
        EXPECT_EQ(size_shown, std::to_string(c.font_size));
        EXPECT_EQ(face_shown, c.face);
        EXPECT_EQ(style_shown, c.style_shown);
        EXPECT_EQ(r.font_size, c.font_size);
        EXPECT_STREQ(r.log_font.lfFaceName, c.face);
    }
}

} // namespace
} // namespace scrivlet::test
