// OK pressed on edits the user left alone, through the exports of
// Scrivlet.dll: every value comes back as the dialog showed it, however wide,
// and only the range rules of OK change it; a meter's loaded settings survive
// a round through the dialog into the next save.

#include "dialog/dialog_ids.h"
#include "dialog_driver.h"
#include "support/plugin.h"
#include "common/win/handles.h"
#include "common/win/paths.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace scrivlet::test {
namespace {

class OkWithoutEdits : public ::testing::Test {
protected:
    MeterRecord& record() const { return meter.record(); }

    // Opens the dialog through vis_configure and hands it to `drive`.
    void run(const std::function<void(HWND)>& drive) {
        configure_and_drive(meter.instance(), drive);
    }

    // OK; when `warned`, the decimals warning must come and is dismissed.
    void press_ok(HWND dialog, bool warned) {
        if (!warned) {
            // Sent: a warning would hold the click and fail it.
            click(dialog, IDOK);
        } else {
            post_click(dialog, IDOK);
            const HWND box = wait_for_dialog(warning_caption, dialog);
            ASSERT_NE(box, nullptr);
            click(box, IDOK);
        }
        EXPECT_TRUE(wait_until_closed(dialog));
    }

    HostWindow host;
    Meter meter{host.handle()};
};

TEST_F(OkWithoutEdits, WideValuesComeBackWholeUnderTheRangeRules) {
    const std::string long_template = std::string(299, 'w') + "%v%b%tab";
    ASSERT_EQ(long_template.size(), 307u);
    struct Case {
        const char* name;
        std::function<void(MeterRecord&)> set;   // what the record holds
        std::function<void(MeterRecord&)> ruled; // what OK's rules make of it
        std::vector<std::pair<int, std::string>> typed;
        bool warned;
    };
    const Case cases[] = {
        {"wider than the read buffers",
         [&](MeterRecord& r) {
             r.border_width = 100;
             r.tab_width = 1000;
             r.shadow_size = 1200;
             r.shadow_offset_x = -1000;
             r.shadow_offset_y = 1000;
             r.shadow_softness = 5000;
             r.text_template = long_template;
         },
         [](MeterRecord&) {},
         {},
         false},
        {"32-bit extremes",
         [](MeterRecord& r) {
             r.border_width = INT_MAX;
             r.tab_width = INT_MIN;
             r.shadow_size = -123456789;
             r.shadow_offset_x = INT_MIN;
             r.shadow_offset_y = INT_MAX;
             r.shadow_softness = -2000000000;
             r.decimals = INT_MIN;
         },
         [](MeterRecord&) {},
         {},
         false},
        {"alphas clamped, zeros raised",
         [](MeterRecord& r) {
             r.font_alpha = 1000;
             r.shadow_alpha = -300;
             r.border_alpha = 256;
             r.tab_width = 0;
             r.shadow_softness = 0;
             r.decimals = -100;
         },
         [](MeterRecord& r) {
             r.font_alpha = 255;
             r.shadow_alpha = 0;
             r.border_alpha = 255;
             r.tab_width = 1;
             r.shadow_softness = 1;
         },
         {},
         false},
        {"decimals lowered after the warning",
         [](MeterRecord& r) {
             r.decimals = 1000;
             r.border_width = 250;
         },
         [](MeterRecord& r) { r.decimals = 10; },
         {},
         true},
        {"typed text cut, the rest whole",
         [&](MeterRecord& r) {
             r.border_width = 100;
             r.tab_width = 1000;
             r.shadow_size = 1200;
             r.text_template = long_template;
         },
         [&](MeterRecord& r) {
             r.tab_width = 123;
             r.shadow_offset_x = -10;
         },
         {{IDC_TAB_WIDTH, "12345"}, {IDC_SHADOW_OFFSET_X, "-1000"}},
         false},
        {"typed back to what was shown",
         [&](MeterRecord& r) {
             r.border_width = 100;
             r.text_template = long_template;
         },
         [&](MeterRecord& r) { r.text_template = long_template.substr(0, 255); },
         {{IDC_BORDER_WIDTH, "100"}, {IDC_TEXT_TEMPLATE, long_template + "x"}},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        record() = make_default_record(host.handle());
        c.set(record());
        MeterRecord expected = record();
        c.ruled(expected);
        run([&](HWND dialog) {
            for (const auto& [control, text] : c.typed) {
                set_item_text(dialog, control, text);
            }
            press_ok(dialog, c.warned);
        });
        EXPECT_EQ(record_differences(expected, record()), "");
    }
}

// An INI file of its own under the temporary folder, removed at the end;
// every file gets a new name, since the profile functions cache files.
class IniFile {
public:
    explicit IniFile(const std::string& body) {
        static int made = 0;
        path_ = win::temp_folder() + "scrivlet-dialog-" + std::to_string(GetCurrentProcessId()) +
                "-" + std::to_string(++made) + ".ini";
        std::ofstream file(path_, std::ios::binary | std::ios::trunc);
        file << body;
        if (!file) {
            throw std::runtime_error("cannot write " + path_);
        }
    }
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;
    ~IniFile() { DeleteFileA(path_.c_str()); }

    const char* path() const { return path_.c_str(); }

    std::string value(const char* section, const char* key) const {
        char text[1024] = {};
        GetPrivateProfileStringA(section, key, "<missing>", text, sizeof(text), path_.c_str());
        return text;
    }

private:
    std::string path_;
};

// Bold and italic live in font_style after a load, and OK recomputes them
// from the font description: the load must leave the two in agreement.
TEST_F(OkWithoutEdits, LoadedFontSettingsSurviveOkAndSave) {
    const char* section = "Meter";
    const char* key = "Scrivlet_FontSettings";
    // underline, strikeout, size, style, alignment, decimals, tab width,
    // antialias; the underline and strikeout flags agree with bits 4 and 8.
    const char* const font_settings[] = {
        "0,0,16,1,0,0,30,1",  "0,0,16,2,4,2,30,1",  "0,0,16,3,8,0,45,0",  "1,0,12,5,1,3,30,1",
        "0,1,20,10,2,1,30,1", "1,1,18,15,5,0,60,1", "1,1,14,12,3,0,30,0", "0,0,16,0,0,0,30,1",
    };
    for (const char* settings : font_settings) {
        SCOPED_TRACE(settings);
        const IniFile loaded("[Meter]\r\nScrivlet_FontSettings=" + std::string(settings) +
                             "\r\nScrivlet_Font=Liberation Serif\r\n");
        ASSERT_EQ(plugin().load_settings(meter.instance(), loaded.path(), section), 0);
        run([&](HWND dialog) { press_ok(dialog, false); });
        const IniFile saved("");
        ASSERT_EQ(plugin().save_settings(meter.instance(), saved.path(), section), 0);
        EXPECT_EQ(saved.value(section, key), settings);
        EXPECT_EQ(saved.value(section, "Scrivlet_Font"), "Liberation Serif");
    }
}

// Settings found but not read (the file held by another program while the
// host starts) are never written over with the start-up look: not by a save,
// not after an OK that changes nothing; an OK that changes the record is
// what the user chose, and is saved.
TEST_F(OkWithoutEdits, SettingsThatCouldNotBeReadAreSavedOnlyAfterOkChangesTheRecord) {
    const char* section = "Meter";
    const IniFile file("[Meter]\r\nScrivlet_Text=from the file\r\n");
    {
        const win::UniqueFile held(CreateFileA(file.path(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        ASSERT_EQ(plugin().load_settings(meter.instance(), file.path(), section), 0);
    }
    struct Step {
        const char* name;
        std::function<void()> act;
        const char* text;   // Scrivlet_Text after the save
        const char* colour; // Scrivlet_FontColor after the save
    };
    const Step steps[] = {
        {"a save", [] {}, "from the file", "<missing>"},
        {"OK on the start-up look", [&] { run([&](HWND dialog) { press_ok(dialog, false); }); },
         "from the file", "<missing>"},
        {"OK with a new template",
         [&] {
             run([&](HWND dialog) {
                 set_item_text(dialog, IDC_TEXT_TEMPLATE, "typed");
                 press_ok(dialog, false);
             });
         },
         "typed", "255,255,255,255"},
    };
    for (const Step& step : steps) {
        step.act();
        ASSERT_EQ(plugin().save_settings(meter.instance(), file.path(), section), 0);
        EXPECT_EQ(file.value(section, "Scrivlet_Text"), step.text) << step.name;
        EXPECT_EQ(file.value(section, "Scrivlet_FontColor"), step.colour) << step.name;
    }
}

} // namespace
} // namespace scrivlet::test
