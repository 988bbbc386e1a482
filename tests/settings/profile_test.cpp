// A meter's settings through the host's view: load_settings and
// save_settings on real INI files in a temporary folder, with the files read
// back byte for byte. Every load also checks that the fields the file does
// not hold (the owner window and the font description but for its face) are
// left exactly as they were.

#include "support/plugin.h"
#include "support/record_fields.h"
#include "support/record_text.h"
#include "support/surface.h"
#include "common/file_bytes.h"
#include "common/win/paths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <utility>
#include <stdexcept>
#include <string>
#include <cctype>
#include <vector>

namespace scrivlet::test {
namespace {

constexpr const char* section = "Meter 1";

std::string upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// A fresh folder under the temporary directory, emptied and removed at the
// end. Each case uses its own file name: the profile functions cache files.
class IniFolder {
public:
    std::string path(const std::string& name) const { return scratch_.path() + name; }

    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }

private:
    win::ScratchFolder scratch_{"scrivlet-settings"};
};

bool file_exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What a load from a section without any of the keys gives.
const std::vector<std::string> listed_defaults = {
    "font_size=16",      "font_style=0",      "alignment=0",       "underline=0",
    "strikeout=0",       "font_alpha=255",    "font_red=255",      "font_green=255",
    "font_blue=255",     "antialias=1",       "shadow_enabled=0",  "shadow_alpha=255",
    "shadow_red=0",      "shadow_green=0",    "shadow_blue=0",     "shadow_size=5",
    "shadow_softness=5", "shadow_offset_x=0", "shadow_offset_y=0", "border_enabled=0",
    "border_alpha=255",  "border_red=0",      "border_green=0",    "border_blue=0",
    "border_width=1",    "decimals=0",        "tab_width=30",      "font_face=Arial",
    "text_template=%v",
};

// The listed defaults with some lines replaced, matched by field name.
std::vector<std::string> defaults_with(const std::vector<std::string>& changes) {
    std::vector<std::string> lines = listed_defaults;
    for (const std::string& change : changes) {
        const std::string name = change.substr(0, change.find('=') + 1);
        bool replaced = false;
        for (std::string& l : lines) {
            if (l.compare(0, name.size(), name) == 0) {
                l = change;
                replaced = true;
            }
        }
        if (!replaced) {
            throw std::logic_error("no field " + name);
        }
    }
    return lines;
}

// Sets every field, persisted or not, away from every default, so that a
// load has to overwrite each persisted one and must leave the rest. Each
// number gets its own value, `n`, so that one taken for another shows.
void scribble_value(HWND& window, int32_t) {
    window = reinterpret_cast<HWND>(0x5151);
}
void scribble_value(LOGFONTA& f, int32_t) {
    f = {-37, 3, 9, 8, 700, 1, 1, 1, 238, 3, 4, 5, 0x31, "Scribbled Face"};
}
void scribble_value(int32_t& value, int32_t n) {
    value = n;
}
void scribble_value(uint8_t& value, int32_t n) {
    value = static_cast<uint8_t>(n);
}
void scribble_value(std::string& text, int32_t) {
    text = "scribbled";
}
template <typename T> void scribble_value(T&, int32_t) = delete;

void scribble(MeterRecord& r) {
    int32_t n = 90;
    for_each_meter_field([&](const auto& field) { scribble_value(r.*field.member, ++n); });
}

enum class Since { save, load };

// The fields the file does not hold, compared whole. A load also sets the
// font description's weight and italic byte from the style bits it read
// (bold 700 else 400, italic 1 else 0); nothing else.
void expect_unpersisted_as_scribbled(const MeterRecord& r, const std::string& context,
                                     Since since = Since::save) {
    MeterRecord scribbled;
    scribble(scribbled);
    if (since == Since::load) {
        scribbled.log_font.lfWeight = (r.font_style & 1) != 0 ? 700 : 400;
        scribbled.log_font.lfItalic = (r.font_style & 2) != 0 ? 1 : 0;
    }
    EXPECT_EQ(r.owner_window, scribbled.owner_window) << context;
    EXPECT_EQ(r.log_font.lfWeight, scribbled.log_font.lfWeight) << context;
    EXPECT_EQ(r.log_font.lfItalic, scribbled.log_font.lfItalic) << context;
    EXPECT_EQ(std::memcmp(&r.log_font, &scribbled.log_font, offsetof(LOGFONTA, lfFaceName)), 0)
        << context;
}

// A scribbled meter after load_settings from `file`.
void load_scribbled(const Meter& meter, const std::string& file, const std::string& context) {
    scribble(meter.record());
    EXPECT_EQ(plugin().load_settings(meter.instance(), file.c_str(), section), 0) << context;
    expect_unpersisted_as_scribbled(meter.record(), context, Since::load);
}

int save(const Meter& meter, const std::string& file) {
    return plugin().save_settings(meter.instance(), file.c_str(), section);
}

std::string section_text(const std::string& name, const std::vector<std::string>& lines) {
    std::string text = "[" + name + "]\r\n";
    for (const std::string& l : lines) {
        text += l + "\r\n";
    }
    return text;
}

TEST(SettingsLoad, SectionWithoutTheKeysGivesTheListedDefaults) {
    const IniFolder folder;
    struct Case {
        const char* name;
        const char* content; // null: no file at all
    };
    const Case cases[] = {
        {"empty section", "[Meter 1]\r\n"},
        {"other keys only", "[Meter 1]\r\nScrivlet_Other=1,1\r\nFontSettings=1,1,20\r\n"},
        {"other section only",
         "[Meter 2]\r\nScrivlet_FontSettings=1,1,20,1,4,2,40,0\r\nScrivlet_Text=theirs\r\n"},
        {"empty file", ""},
        {"no file", nullptr},
        {"not an INI file", "\x89PNG\r\n\x1A\n\0\0\xFF\xFE garbage = [ ] ,,,"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string name = "defaults" + std::to_string(n++) + ".ini";
        const std::string file =
            c.content != nullptr ? folder.write(name, c.content) : folder.path(name);
        const Meter meter;
        load_scribbled(meter, file, c.name);
        EXPECT_EQ(persisted_lines(meter.record()), listed_defaults) << c.name;
    }
}

TEST(SettingsSave, WritesTheCompleteSectionInItsOrder) {
    const IniFolder folder;
    struct Case {
        const char* name;
        bool load_first; // from an empty section
        const char* font_settings;
        const char* border_settings;
    };
    const Case cases[] = {
        {"loaded from an empty section", true, "0,0,16,0,0,0,30,1", "0,1"},
        {"never loaded since dllstartup", false, "0,0,14,0,0,0,30,1", "1,1"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string file = folder.path("complete" + std::to_string(n++) + ".ini");
        const Meter meter;
        if (c.load_first) {
            plugin().load_settings(meter.instance(), folder.write("empty.ini", "").c_str(),
                                   section);
        }
        EXPECT_EQ(save(meter, file), 0);
        EXPECT_EQ(file_bytes(file),
                  section_text(section,
                               {
                                   "Scrivlet_FontColor=255,255,255,255",
                                   std::string("Scrivlet_FontSettings=") + c.font_settings,
                                   "Scrivlet_Font=Arial",
                                   "Scrivlet_Text=%v",
                                   "Scrivlet_BorderColor=255,0,0,0",
                                   std::string("Scrivlet_BorderSettings=") + c.border_settings,
                                   "Scrivlet_ShadowColor=255,0,0,0",
                                   "Scrivlet_ShadowSettings=0,5,5,0,0",
                               }))
            << c.name;
    }
}

TEST(SettingsSave, ReplacesOnlyItsOwnKeysOfItsOwnSection) {
    const IniFolder folder;
    const std::string file =
        folder.write("shared.ini", "[Host]\r\nWidth=200\r\n"
                                   "[Meter 1]\r\nPlugin=Scrivlet.dll\r\nScrivlet_Text=old\r\n"
                                   "Scrivlet_FontColor=1,2,3,4\r\n"
                                   "[Meter 2]\r\nScrivlet_Text=theirs\r\n");
    const Meter meter;
    meter.record().text_template = "new";
    save(meter, file);
    EXPECT_EQ(file_bytes(file), "[Host]\r\nWidth=200\r\n"
                                "[Meter 1]\r\nPlugin=Scrivlet.dll\r\nScrivlet_Text=new\r\n"
                                "Scrivlet_FontColor=255,255,255,255\r\n"
                                "Scrivlet_FontSettings=0,0,14,0,0,0,30,1\r\n"
                                "Scrivlet_Font=Arial\r\n"
                                "Scrivlet_BorderColor=255,0,0,0\r\n"
                                "Scrivlet_BorderSettings=1,1\r\n"
                                "Scrivlet_ShadowColor=255,0,0,0\r\n"
                                "Scrivlet_ShadowSettings=0,5,5,0,0\r\n"
                                "[Meter 2]\r\nScrivlet_Text=theirs\r\n");
}

TEST(SettingsRoundTrip, LoadAfterSaveGivesBackEveryPersistedField) {
    const IniFolder folder;
    struct Case {
        const char* name;
        std::function<void(MeterRecord&)> set;
    };
    const Case cases[] = {
        {"every field changed within the dialog's ranges",
         [](MeterRecord& r) {
             r.underline = 1;
             r.strikeout = 1;
             r.font_size = 20;
             r.font_style = 3;
             r.alignment = 8;
             r.decimals = 10;
             r.tab_width = 45;
             r.antialias = 0;
             r.font_alpha = 128;
             r.font_red = 1;
             r.font_green = 2;
             r.font_blue = 3;
             std::strcpy(r.log_font.lfFaceName, "Liberation Serif");
             r.text_template = "Temp: %v%b%tab\xB0"
                               "C (\xE9t\xE9)";
             r.border_enabled = 1;
             r.border_width = 4;
             r.border_alpha = 0;
             r.border_red = 10;
             r.border_green = 20;
             r.border_blue = 30;
             r.shadow_enabled = 1;
             r.shadow_size = 7;
             r.shadow_softness = 2;
             r.shadow_offset_x = -3;
             r.shadow_offset_y = 4;
             r.shadow_alpha = 200;
             r.shadow_red = 50;
             r.shadow_green = 60;
             r.shadow_blue = 70;
         }},
        {"flag bytes other than 1",
         [](MeterRecord& r) {
             r.underline = 5;
             r.strikeout = 0x80;
             r.antialias = 255;
             r.border_enabled = 2;
             r.shadow_enabled = 9;
         }},
        {"numbers at the ends of 32 bits, colours off the scale",
         [](MeterRecord& r) {
             r.font_size = INT32_MAX;
             r.font_style = INT32_MIN;
             r.alignment = -1;
             r.decimals = -2147483647;
             r.tab_width = 0;
             r.font_alpha = -1;
             r.font_red = 1000;
             r.font_green = INT32_MIN;
             r.font_blue = 256;
             r.border_width = INT32_MIN;
             r.border_red = INT32_MAX;
             r.shadow_size = INT32_MIN;
             r.shadow_softness = 0;
             r.shadow_offset_x = INT32_MIN;
             r.shadow_offset_y = INT32_MAX;
             r.shadow_blue = -255;
         }},
        {"empty face and template",
         [](MeterRecord& r) {
             r.log_font.lfFaceName[0] = '\0';
             r.text_template.clear();
         }},
        {"face of 31 characters, template of 255",
         [](MeterRecord& r) {
             std::strcpy(r.log_font.lfFaceName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");
             r.text_template = std::string(250, 'x') + "%v%b.";
         }},
        {"template that the rewrite makes longer than 255",
         [](MeterRecord& r) { r.text_template = "%v" + std::string(100, '\t') + "end"; }},
        {"characters the file format uses",
         [](MeterRecord& r) {
             std::strcpy(r.log_font.lfFaceName, "a=b;[c]");
             r.text_template = "[%v]=;x,y,z";
         }},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string file = folder.path("round" + std::to_string(n++) + ".ini");
        const Meter saved;
        c.set(saved.record());
        save(saved, file);
        MeterRecord expected = saved.record();
        for (uint8_t* flag : {&expected.underline, &expected.strikeout, &expected.antialias,
                              &expected.border_enabled, &expected.shadow_enabled}) {
            *flag = *flag != 0 ? 1 : 0;
        }

        const Meter loaded;
        load_scribbled(loaded, file, c.name);
        EXPECT_EQ(persisted_lines(loaded.record()), persisted_lines(expected)) << c.name;
    }
}

TEST(SettingsSave, TemplateBreaksAndTabsBecomePlaceholdersAndTheDrawingStays) {
    const IniFolder folder;
    struct Case {
        const char* before;
        const char* after;
        bool plain_line; // the file line and the reload are checked only without a lone CR
    };
    const Case cases[] = {
        {"A\nB\tC", "A%bB%tabC", true},           {"\t%v\n", "%tab%v%b", true},
        {"%v\n\n\t\t!", "%v%b%b%tab%tab!", true}, {"%v%b%tab", "%v%b%tab", true},
        {"%v\r\nnext", "%v%bnext", true},         {"a\r\n\r\nb\n", "a%b%bb%b", true},
        {"lone\rcr", "lone\rcr", false},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string file = folder.path("rewrite" + std::to_string(n++) + ".ini");
        const Meter meter;
        meter.record().border_enabled = 0;
        meter.record().text_template = c.before;
        Surface before(160, 60);
        Surface after(160, 60);
        meter.repaint(before.dc(), "42", 160, 60);

        EXPECT_EQ(save(meter, file), 0);
        EXPECT_EQ(meter.record().text_template, c.after) << c.before;
        if (c.plain_line) {
            EXPECT_NE(file_bytes(file).find(std::string("\r\nScrivlet_Text=") + c.after + "\r\n"),
                      std::string::npos)
                << c.before;
        }
        if (c.plain_line) {
            const Meter reloaded;
            plugin().load_settings(reloaded.instance(), file.c_str(), section);
            EXPECT_EQ(reloaded.record().text_template, c.after) << c.before;
        }
        meter.repaint(after.dc(), "42", 160, 60);
        EXPECT_GT(before.covered(), 20) << c.before;
        // Wine draws a carriage return as a glyph of its own, so only
        // templates without CR LF pairs must draw exactly as before.
        if (std::string(c.before).find("\r\n") == std::string::npos) {
            EXPECT_TRUE(after.same_pixels(before)) << c.before;
        }
    }
}

TEST(SettingsLoad, FieldRulesApplyToWhatTheFileHolds) {
    const IniFolder folder;
    struct Case {
        const char* line;
        std::vector<std::string> changes; // from the listed defaults
    };
    const Case cases[] = {
        {"Scrivlet_FontSettings=1,1,20,1,4,2,40,0",
         {"underline=1", "strikeout=1", "font_size=20", "font_style=1", "alignment=4", "decimals=2",
          "tab_width=40", "antialias=0"}},
        {"Scrivlet_FontSettings=0, 0,16,0,0,0,30,", {"strikeout=1"}},
        {"Scrivlet_FontSettings=00,0x,16,0,0,0,30,00", {"antialias=0"}},
        {"Scrivlet_FontSettings=1,1", {"underline=1", "strikeout=1"}},
        {"Scrivlet_FontSettings=0,0,,,,,,", {"font_size=0", "tab_width=0"}},
        {"Scrivlet_ShadowSettings=1, -3,+7,12abc,abc",
         {"shadow_enabled=1", "shadow_size=-3", "shadow_softness=7", "shadow_offset_x=12",
          "shadow_offset_y=0"}},
        {"Scrivlet_ShadowSettings=1,99999999999,-99999999999,4294967297,-4294967295",
         {"shadow_enabled=1", "shadow_size=2147483647", "shadow_softness=-2147483648",
          "shadow_offset_x=2147483647", "shadow_offset_y=-2147483648"}},
        {"Scrivlet_BorderSettings=0,1,7", {}},
        {"Scrivlet_BorderSettings=1", {"border_enabled=1"}},
        {"Scrivlet_BorderSettings=,3", {"border_enabled=1", "border_width=3"}},
        {"Scrivlet_BorderColor=", {"border_alpha=0"}},
        {"Scrivlet_BorderColor=,,,", {"border_alpha=0"}},
        {"Scrivlet_BorderColor=128,64", {"border_alpha=128", "border_red=64"}},
        {"Scrivlet_FontColor=255, 255, 255, 255", {}},
        {"Scrivlet_ShadowColor=255, 255, 255, 255",
         {"shadow_red=255", "shadow_green=255", "shadow_blue=255"}},
        {"Scrivlet_FontColor=1000,-1,256,65536",
         {"font_alpha=1000", "font_red=-1", "font_green=256", "font_blue=65536"}},
        {"Scrivlet_Font=0123456789012345678901234567890123456789",
         {"font_face=0123456789012345678901234567890"}},
        {"Scrivlet_Font=", {"font_face="}},
        {"Scrivlet_Text=", {"text_template="}},
        {"Scrivlet_Text=%v%b%tab stays as written", {"text_template=%v%b%tab stays as written"}},
        {"Scrivlet_Font=\xC9"
         "cole \xA0\xFF",
         {"font_face=\xC9"
          "cole \xA0\xFF"}},
        {"Scrivlet_Text=\x80\x81\x8D\x9F\xA0\xE9\xFF%v",
         {"text_template=\x80\x81\x8D\x9F\xA0\xE9\xFF%v"}},
        {"Scrivlet_FontColor=\xE9,\xFF"
         "12,\x80,7\xC3",
         {"font_alpha=0", "font_red=0", "font_green=0", "font_blue=7"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string file =
            folder.write("rules" + std::to_string(n++) + ".ini", section_text(section, {c.line}));
        const Meter meter;
        load_scribbled(meter, file, c.line);
        EXPECT_EQ(persisted_lines(meter.record()), defaults_with(c.changes)) << c.line;
    }
}

// A value of a mebibyte: printable and high bytes in turn, no comma.
std::string mebibyte_text() {
    std::string text(1 << 20, ' ');
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char>(i % 2 == 0 ? 'a' + i % 26 : 0x80 + i % 128);
    }
    return text;
}

TEST(SettingsLoad, EveryValueIsReadWhole) {
    const IniFolder folder;
    const std::string long_template = std::string(300, '-') + "%v" + std::string(300, '+');
    const std::string huge = mebibyte_text();
    const std::string file = folder.write(
        "long.ini",
        section_text(section, {
                                  "Scrivlet_Text=" + long_template,
                                  "Scrivlet_FontColor=1,2,3," + std::string(1 << 20, '4'),
                                  "Scrivlet_BorderColor=" + std::string(1 << 20, ' ') + "9,8",
                                  "Scrivlet_Font=" + huge,
                                  "Scrivlet_FontSettings=" + std::string(1 << 20, ','),
                              }));
    const Meter meter;
    load_scribbled(meter, file, "long values");
    EXPECT_EQ(persisted_lines(meter.record()),
              defaults_with({"text_template=" + long_template, "font_alpha=1", "font_red=2",
                             "font_green=3", "font_blue=2147483647", "border_alpha=9",
                             "border_red=8", "underline=1", "strikeout=1", "font_size=0",
                             "tab_width=0", "font_face=" + huge.substr(0, 31)}));

    const std::string huge_file =
        folder.write("huge.ini", section_text(section, {"Scrivlet_Text=" + huge}));
    load_scribbled(meter, huge_file, "mebibyte template");
    EXPECT_EQ(meter.record().text_template.size(), huge.size());
    EXPECT_TRUE(meter.record().text_template == huge);
}

TEST(SettingsRoundTrip, TemplateLongerThan255AfterTheRewriteLoadsBackWhole) {
    const IniFolder folder;
    const std::string file = folder.path("rewritten.ini");
    const Meter saved;
    saved.record().text_template = "%v\n" + std::string(90, '\t') + "|";
    save(saved, file);
    const std::string rewritten = "%v%b" + [] {
        std::string tabs;
        for (int i = 0; i < 90; ++i) {
            tabs += "%tab";
        }
        return tabs;
    }() + "|";
    ASSERT_EQ(rewritten.size(), 365u);
    EXPECT_EQ(saved.record().text_template, rewritten);

    const Meter loaded;
    load_scribbled(loaded, file, "rewritten template");
    EXPECT_EQ(loaded.record().text_template, rewritten);
}

TEST(SettingsSave, TemplateTooLongForTheProfileWriterLeavesTheFilesValue) {
    const IniFolder folder;
    const std::string huge = mebibyte_text();
    const std::string original = section_text(section, {"Scrivlet_Text=" + huge});
    const std::string file = folder.write("keep.ini", original);
    const Meter meter;
    plugin().load_settings(meter.instance(), file.c_str(), section);
    ASSERT_EQ(meter.record().text_template.size(), huge.size());

    EXPECT_EQ(save(meter, file), 0);
    const std::string after = file_bytes(file);
    // The template line stays byte for byte; the other seven keys are added.
    EXPECT_EQ(after.substr(0, original.size()), original);
    EXPECT_EQ(after.substr(original.size()), "Scrivlet_FontColor=255,255,255,255\r\n"
                                             "Scrivlet_FontSettings=0,0,16,0,0,0,30,1\r\n"
                                             "Scrivlet_Font=Arial\r\n"
                                             "Scrivlet_BorderColor=255,0,0,0\r\n"
                                             "Scrivlet_BorderSettings=0,1\r\n"
                                             "Scrivlet_ShadowColor=255,0,0,0\r\n"
                                             "Scrivlet_ShadowSettings=0,5,5,0,0\r\n");
    EXPECT_TRUE(meter.record().text_template == huge);

    // The longest template the writer takes goes out whole.
    const std::string longest(32766, 'w');
    meter.record().text_template = longest;
    save(meter, file);
    const Meter loaded;
    load_scribbled(loaded, file, "longest written template");
    EXPECT_TRUE(loaded.record().text_template == longest);
}

TEST(SettingsSave, UnwritablePlaceChangesNothingAndReportsNothing) {
    const IniFolder folder;
    folder.write("plain.ini", "[Meter 1]\r\n");
    struct Case {
        const char* name;
        std::string file;
    };
    const Case cases[] = {
        {"missing folder", folder.path("no such folder\\settings.ini")},
        {"a file where the folder should be", folder.path("plain.ini\\settings.ini")},
        {"folder the system will not write", "Z:\\proc\\scrivlet-settings.ini"},
    };
    for (const Case& c : cases) {
        const Meter meter;
        scribble(meter.record());
        meter.record().text_template = "A\nB";
        MeterRecord expected = meter.record();
        expected.text_template = "A%bB";

        EXPECT_EQ(save(meter, c.file), 0) << c.name;
        EXPECT_FALSE(file_exists(c.file)) << c.name;
        EXPECT_EQ(persisted_lines(meter.record()), persisted_lines(expected)) << c.name;
        expect_unpersisted_as_scribbled(meter.record(), c.name);

        load_scribbled(meter, c.file, c.name);
        EXPECT_EQ(persisted_lines(meter.record()), listed_defaults) << c.name;
    }
    EXPECT_EQ(file_bytes(folder.path("plain.ini")), "[Meter 1]\r\n");
}

TEST(SettingsExports, NullFileOrSectionReadsDefaultsAndWritesNothing) {
    const IniFolder folder;
    const std::string file =
        folder.write("given.ini", section_text(section, {"Scrivlet_Text=from the file"}));
    struct Case {
        const char* name;
        const char* file;
        const char* section;
    };
    const Case cases[] = {
        {"null file", nullptr, section},
        {"null section", file.c_str(), nullptr},
    };
    for (const Case& c : cases) {
        const Meter meter;
        scribble(meter.record());
        EXPECT_EQ(plugin().load_settings(meter.instance(), c.file, c.section), 0) << c.name;
        EXPECT_EQ(persisted_lines(meter.record()), listed_defaults) << c.name;
        expect_unpersisted_as_scribbled(meter.record(), c.name, Since::load);

        meter.record().text_template = "mine";
        EXPECT_EQ(plugin().save_settings(meter.instance(), c.file, c.section), 0) << c.name;
        char value[64] = {};
        GetProfileStringA(section, "Scrivlet_Text", "absent", value, sizeof value);
        EXPECT_STREQ(value, "absent") << c.name; // win.ini untouched
    }
    EXPECT_EQ(file_bytes(file), section_text(section, {"Scrivlet_Text=from the file"}));
}

// The value's line as the file holds it after a save.
std::string key_line(const std::string& file, const std::string& key) {
    const std::string bytes = file_bytes(file);
    const size_t start = bytes.find("\r\n" + key + "=");
    if (start == std::string::npos) {
        return "(no " + key + ")";
    }
    const size_t end = bytes.find("\r\n", start + 2);
    return bytes.substr(start + 2, end - start - 2);
}

TEST(SettingsRoundTrip, ValuesTheReaderWouldTrimOrUnquoteComeBackExactly) {
    const IniFolder folder;
    struct Case {
        const char* name;
        std::string face;
        std::string text_template;
        std::string face_line; // as the first save writes them
        std::string text_line;
    };
    const std::string long_blank = " " + std::string(254, 'x'); // 255 characters
    const Case cases[] = {
        {"quoted words", "'Arial'", R"("Up" %v "s")", R"(Scrivlet_Font="'Arial'")",
         R"(Scrivlet_Text=""Up" %v "s"")"},
        {"blanks round", " Arial ", "   %v   ", R"(Scrivlet_Font=" Arial ")",
         R"(Scrivlet_Text="   %v   ")"},
        {"one double quote", "\"", "\"", R"(Scrivlet_Font=""")", R"(Scrivlet_Text=""")"},
        {"two double quotes", "\"\"", "\"\"", R"(Scrivlet_Font="""")", R"(Scrivlet_Text="""")"},
        {"quote then blank", "\" a", "\" a", R"(Scrivlet_Font="" a")", R"(Scrivlet_Text="" a")"},
        {"single quotes", "'", "''", R"(Scrivlet_Font="'")", R"(Scrivlet_Text="''")"},
        {"mixed quotes", "'\"", "\"'", R"(Scrivlet_Font="'"")", R"(Scrivlet_Text=""'")"},
        {"tabs round the face", "\tArial\t", "%v '", "Scrivlet_Font=\"\tArial\t\"",
         R"(Scrivlet_Text="%v '")"},
        {"only blanks", " \t ", " ", "Scrivlet_Font=\" \t \"", R"(Scrivlet_Text=" ")"},
        {"other characters Wine trims", "\vFace\f", "\x1A%v\x1A", "Scrivlet_Font=\"\vFace\f\"",
         "Scrivlet_Text=\"\x1A%v\x1A\""},
        {"quotes and blanks inside only", "Ari al", "a \"%v\" 'b' c", "Scrivlet_Font=Ari al",
         "Scrivlet_Text=a \"%v\" 'b' c"},
        {"empty", "", "", "Scrivlet_Font=", "Scrivlet_Text="},
        {"plain", "Arial", "%v", "Scrivlet_Font=Arial", "Scrivlet_Text=%v"},
        {"255 characters after a blank", "A", long_blank, "Scrivlet_Font=A",
         "Scrivlet_Text=\"" + long_blank + "\""},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string first = folder.path("quoted" + std::to_string(n) + "a.ini");
        const std::string second = folder.path("quoted" + std::to_string(n++) + "b.ini");
        const Meter saved;
        std::strcpy(saved.record().log_font.lfFaceName, c.face.c_str());
        saved.record().text_template = c.text_template;
        saved.record().font_style = 3;
        save(saved, first);
        EXPECT_EQ(key_line(first, "Scrivlet_Font"), c.face_line) << c.name;
        EXPECT_EQ(key_line(first, "Scrivlet_Text"), c.text_line) << c.name;

        const Meter loaded;
        load_scribbled(loaded, first, c.name);
        EXPECT_EQ(persisted_lines(loaded.record()), persisted_lines(saved.record())) << c.name;
        save(loaded, second);
        EXPECT_EQ(file_bytes(second), file_bytes(first)) << c.name;
    }
}

TEST(SettingsLoad, StyleBitsSetTheFontWeightAndItalic) {
    const IniFolder folder;
    struct Case {
        int32_t style;
        LONG weight;
        BYTE italic;
    };
    const Case cases[] = {
        {0, 400, 0},  {1, 700, 0},  {2, 400, 1},  {3, 700, 1},         {4, 400, 0},
        {8, 400, 0},  {12, 400, 0}, {15, 700, 1}, {16, 400, 0},        {-1, 700, 1},
        {-4, 400, 0}, {-3, 700, 0}, {-2, 400, 1}, {INT32_MIN, 400, 0},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string file =
            folder.write("style" + std::to_string(n++) + ".ini",
                         section_text(section, {"Scrivlet_FontSettings=0,0,16," +
                                                std::to_string(c.style) + ",0,0,30,1"}));
        // From a plain and from a bold italic description: the bits decide.
        for (const auto& [weight, italic] : {std::pair<LONG, BYTE>{400, 0}, {700, 1}, {900, 255}}) {
            const Meter meter;
            meter.record().log_font.lfWeight = weight;
            meter.record().log_font.lfItalic = italic;
            MeterRecord expected = meter.record();
            plugin().load_settings(meter.instance(), file.c_str(), section);
            expected.log_font.lfWeight = c.weight;
            expected.log_font.lfItalic = c.italic;
            expected.font_style = c.style;
            EXPECT_EQ(record_lines(meter.record()), record_lines([&] {
                          MeterRecord r = expected;
                          r.font_size = 16;
                          r.border_enabled = 0;
                          return r;
                      }()))
                << "style " << c.style << " from weight " << weight;
        }
    }
}

// Holds a file open as another program can, keeping the profile reader out
// when the sharing does not allow reading.
class HeldFile {
public:
    HeldFile(const std::string& path, DWORD access, DWORD share)
        : handle_(CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (handle_ == INVALID_HANDLE_VALUE) {
            throw std::runtime_error("cannot hold " + path);
        }
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    ~HeldFile() { CloseHandle(handle_); }

private:
    HANDLE handle_;
};

TEST(SettingsLoad, FileThatExistsButCannotBeReadLeavesTheRecordAsItWas) {
    const IniFolder folder;
    const std::vector<std::string> lines = {"Scrivlet_FontSettings=1,1,20,1,4,2,40,0",
                                            "Scrivlet_Text=from the file",
                                            "Scrivlet_BorderSettings=1,3"};
    const std::vector<std::string> from_file =
        defaults_with({"underline=1", "strikeout=1", "font_size=20", "font_style=1", "alignment=4",
                       "decimals=2", "tab_width=40", "antialias=0", "text_template=from the file",
                       "border_enabled=1", "border_width=3"});
    struct Case {
        const char* name;
        DWORD access; // 0: not held
        DWORD share;
        bool readable;
    };
    const Case cases[] = {
        {"held without sharing", GENERIC_READ, 0, false},
        {"held for writing, shared for writing only", GENERIC_WRITE, FILE_SHARE_WRITE, false},
        {"held, shared for reading and writing", GENERIC_READ | GENERIC_WRITE,
         FILE_SHARE_READ | FILE_SHARE_WRITE, true},
        {"not held", 0, 0, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string file =
            folder.write("held" + std::to_string(n++) + ".ini", section_text(section, lines));
        const Meter meter;
        scribble(meter.record());
        const MeterRecord before = meter.record();
        {
            std::optional<HeldFile> held;
            if (c.access != 0) {
                held.emplace(file, c.access, c.share);
            }
            EXPECT_EQ(plugin().load_settings(meter.instance(), file.c_str(), section), 0) << c.name;
            if (c.readable) {
                EXPECT_EQ(persisted_lines(meter.record()), from_file) << c.name;
            } else {
                EXPECT_EQ(record_lines(meter.record()), record_lines(before)) << c.name;
            }
        }
        if (!c.readable) {
            // Let go, the file is still not saved over with what was never
            // read from it, whatever case the host spells the names in.
            plugin().save_settings(meter.instance(), file.c_str(), section);
            plugin().save_settings(meter.instance(), upper(file).c_str(), upper(section).c_str());
            EXPECT_EQ(file_bytes(file), section_text(section, lines)) << c.name;
        }
        // Once let go, the same file loads, and then saves.
        scribble(meter.record());
        plugin().load_settings(meter.instance(), file.c_str(), section);
        EXPECT_EQ(persisted_lines(meter.record()), from_file) << c.name;
        EXPECT_EQ(file_bytes(file), section_text(section, lines)) << c.name;
        plugin().save_settings(meter.instance(), file.c_str(), section);
        EXPECT_NE(file_bytes(file).find("Scrivlet_FontColor=255,255,255,255"), std::string::npos)
            << c.name;
    }
}

TEST(SettingsLoad, FolderWhereTheFileShouldBeLeavesTheRecordAsItWas) {
    const IniFolder folder;
    const std::string path = folder.path("a folder.ini");
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    const Meter meter;
    scribble(meter.record());
    const MeterRecord before = meter.record();
    plugin().load_settings(meter.instance(), path.c_str(), section);
    EXPECT_EQ(record_lines(meter.record()), record_lines(before));
    RemoveDirectoryA(path.c_str());
}

TEST(SettingsLoad, BareFileNameIsTheOneInTheWindowsFolder) {
    // The profile functions look for a name without a folder in the Windows
    // folder, so that is the file whose sharing counts.
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string name = "scrivlet-bare-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(GetTickCount()) + ".ini";
    const std::string path = std::string(windows) + "\\" + name;
    std::ofstream(path, std::ios::binary) << section_text(section, {"Scrivlet_Text=bare"});
    const Meter meter;
    {
        const HeldFile held(path, GENERIC_READ, 0);
        scribble(meter.record());
        plugin().load_settings(meter.instance(), name.c_str(), section);
        EXPECT_EQ(meter.record().text_template, "scribbled");
    }
    plugin().load_settings(meter.instance(), name.c_str(), section);
    EXPECT_EQ(meter.record().text_template, "bare");
    DeleteFileA(path.c_str());
}

} // namespace
} // namespace scrivlet::test
