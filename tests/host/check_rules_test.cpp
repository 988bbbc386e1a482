// What scrivlet-host check reports for a section, finding by finding, with
// the exact line a theme author reads.

#include "check_rules.h"

#include "text/decimal_number.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <set>
#include <string>
#include <vector>

namespace scrivlet::host {
namespace {

constexpr float screen_dpi = 96;
const CheckSize default_size{{240, 80}, SizeSource::fallback};

// A face name of exactly the 31 characters a face name holds.
const std::string long_face = "Long Family Name That Fills 31c";

bool installed(const std::string& face) {
    static const std::set<std::string> faces = {"Arial", "Liberation Sans", long_face};
    return faces.count(face) != 0;
}

SectionToCheck section_of(const std::vector<std::string>& lines, CheckSize size = default_size) {
    SectionToCheck section;
    section.name = "S";
    for (const std::string& line : lines) {
        section.lines.push_back(split_section_line(line));
    }
    section.size = size;
    section.dpi_x = screen_dpi;
    section.dpi_y = screen_dpi;
    return section;
}

struct Case {
    const char* what;
    std::vector<std::string> lines;
    std::vector<std::string> findings;
    CheckSize size = default_size;
};

std::vector<std::string> texts(const std::vector<Finding>& findings) {
    std::vector<std::string> lines;
    for (const Finding& finding : findings) {
        lines.push_back(finding.text);
    }
    return lines;
}

void expect_findings(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(texts(section_findings(section_of(c.lines, c.size), installed)), c.findings)
            << c.what;
    }
}

const std::vector<std::string> complete_defaults = {
    "Scrivlet_FontColor=255,255,255,255",
    "Scrivlet_FontSettings=0,0,16,0,0,0,30,1",
    "Scrivlet_Font=Arial",
    "Scrivlet_Text=%v",
    "Scrivlet_BorderColor=255,0,0,0",
    "Scrivlet_BorderSettings=0,1",
    "Scrivlet_ShadowColor=255,0,0,0",
    "Scrivlet_ShadowSettings=0,5,5,0,0",
};

TEST(CheckRules, SectionsThePlugInKeepsAndDrawsAsWrittenHaveNoFindings) {
    expect_findings({
        {"every default written out", complete_defaults, {}},
        {"border, shadow, bold, centred, the host's own keys beside ours",
         {"Meter=Plugin", "Scrivlet_FontSettings=1,1,28,1,4,10,1,0", "Scrivlet_Font=Arial",
          "Scrivlet_FontColor=0,0,0,0", "Scrivlet_BorderSettings=1,2",
          "Scrivlet_ShadowSettings=1,5,4,3,3", "Scrivlet_Text=CPU %v %"},
         {}},
        {"negative decimals, offsets and sizes the dialog keeps",
         {"Scrivlet_FontSettings=0,0,16,0,8,-3,-30,1", "Scrivlet_ShadowSettings=0,-5,-1,-9,-9"},
         {}},
        {"a template of 255 characters", {"Scrivlet_Text=" + std::string(255, 'x')}, {}},
        {"a face of 31 characters", {"Scrivlet_Font=" + long_face}, {}},
        {"numbers at the ends of 32 bits, with blanks, signs and leading zeros",
         {"Scrivlet_ShadowSettings=0,2147483647,-2147483648, +7,0009"},
         {}},
        {"800 pt always draws, even on the smallest surface",
         {"Scrivlet_FontSettings=0,0,800,0,0,0,30,1"},
         {},
         CheckSize{{2, 2}, SizeSource::option}},
    });
}

TEST(CheckRules, ValuesTheSettingsDialogsOkChanges) {
    expect_findings({
        {"text alpha above 255",
         {"Scrivlet_FontColor=300,1,2,3"},
         {"[S] Scrivlet_FontColor=300,1,2,3: font_alpha 300 is outside 0..255: it draws as 44 "
          "(only the low 8 bits count); the settings dialog's OK saves it as 255"}},
        {"border and shadow alphas below 0",
         {"Scrivlet_BorderColor=-5,0,0,0", "Scrivlet_ShadowColor=256,0,0,0"},
         {"[S] Scrivlet_BorderColor=-5,0,0,0: border_alpha -5 is outside 0..255: it draws as 251 "
          "(only the low 8 bits count); the settings dialog's OK saves it as 0",
          "[S] Scrivlet_ShadowColor=256,0,0,0: shadow_alpha 256 is outside 0..255: it draws as 0 "
          "(only the low 8 bits count); the settings dialog's OK saves it as 255"}},
        {"colour channels that no edit holds are left alone by OK, and draw their low 8 bits",
         {"Scrivlet_FontColor=255,999,-1,256"},
         {"[S] Scrivlet_FontColor=255,999,-1,256: font_red 999 is outside 0..255: it draws as 231 "
          "(only the low 8 bits count)",
          "[S] Scrivlet_FontColor=255,999,-1,256: font_green -1 is outside 0..255: it draws as "
          "255 (only the low 8 bits count)",
          "[S] Scrivlet_FontColor=255,999,-1,256: font_blue 256 is outside 0..255: it draws as 0 "
          "(only the low 8 bits count)"}},
        {"decimals above 10",
         {"Scrivlet_FontSettings=0,0,16,0,0,11,30,1"},
         {"[S] Scrivlet_FontSettings=0,0,16,0,0,11,30,1: decimals 11 is above 10; the settings "
          "dialog's OK saves it as 10 and warns"}},
        {"tab width 0",
         {"Scrivlet_FontSettings=0,0,16,0,0,0,0,1"},
         {"[S] Scrivlet_FontSettings=0,0,16,0,0,0,0,1: tab_width is 0; the settings dialog's OK "
          "saves it as 1"}},
        {"softness 0 of a shadow that is off",
         {"Scrivlet_ShadowSettings=0,5,0,0,0"},
         {"[S] Scrivlet_ShadowSettings=0,5,0,0,0: shadow_softness is 0; the settings dialog's OK "
          "saves it as 1"}},
        {"alignment past the grid",
         {"Scrivlet_FontSettings=0,0,16,0,9,0,30,1"},
         {"[S] Scrivlet_FontSettings=0,0,16,0,9,0,30,1: alignment 9 is outside 0..8: it draws "
          "top left, and the first repaint makes it 0, which the next save writes; the settings "
          "dialog opened before any repaint checks no alignment button, and its OK saves 8 "
          "(bottom right)"}},
        {"alignment below the grid",
         {"Scrivlet_FontSettings=0,0,16,0,-1,0,30,1"},
         {"[S] Scrivlet_FontSettings=0,0,16,0,-1,0,30,1: alignment -1 is outside 0..8: it draws "
          "top left, and the first repaint makes it 0, which the next save writes; the settings "
          "dialog opened before any repaint checks no alignment button, and its OK saves 8 "
          "(bottom right)"}},
        {"a template longer than the dialog's box",
         {"Scrivlet_Text=" + std::string(256, 'y')},
         {"[S] Scrivlet_Text=" + std::string(61, 'y') +
          "...: 256 characters, more than the 255 the settings dialog's box reads: OK after an "
          "edit there keeps the first 255"}},
    });
}

TEST(CheckRules, FacesAndTemplatesThatDrawNothingOrAreCut) {
    expect_findings({
        {"a face that is not installed",
         {"Scrivlet_Font=NoSuchFace"},
         {"[S] Scrivlet_Font=NoSuchFace: the face \"NoSuchFace\" is not installed: the text draws "
          "nothing"}},
        {"no face at all",
         {"Scrivlet_Font="},
         {"[S] Scrivlet_Font=: no face name: the text draws nothing"}},
        {"a face longer than a face name holds, installed once cut",
         {"Scrivlet_Font=" + long_face + " Bold Italic"},
         {"[S] Scrivlet_Font=" + long_face +
          " Bold Italic: 43 characters, more than the 31 a face "
          "name holds: the plug-in keeps \"" +
          long_face + "\""}},
        {"an empty template",
         {"Scrivlet_Text="},
         {"[S] Scrivlet_Text=: an empty template: the meter draws no text"}},
        {"a degree sign in UTF-8 without a BOM",
         {"Scrivlet_Text=Temp %v \xC2\xB0"},
         {"[S] Scrivlet_Text=Temp %v \xC2\xB0: it draws \"Temp %v \xC3\x82\xC2\xB0\" where \"Temp "
          "%v \xC2\xB0\" was meant: the file is UTF-8 without a BOM, and the plug-in draws each "
          "byte as one Latin-1 character; save it as Windows-1252, or as UTF-8 with a BOM, which "
          "the profile reader converts"}},
        {"a euro sign, which no file draws, in a face name",
         {"Scrivlet_Font=Arial \xE2\x82\xAC"},
         {"[S] Scrivlet_Font=Arial \xE2\x82\xAC: it draws \"Arial \xC3\xA2\xC2\x82\xC2\xAC\" where "
          "\"Arial \xE2\x82\xAC\" was meant: the file is UTF-8 without a BOM, and the plug-in "
          "draws each byte as one Latin-1 character; save it as Windows-1252, or as UTF-8 with a "
          "BOM, which the profile reader converts; \"\xE2\x82\xAC\" is beyond Latin-1, which no "
          "encoding of the file makes it draw",
          "[S] Scrivlet_Font=Arial \xE2\x82\xAC: the face \"Arial \xE2\x82\xAC\" is not installed: "
          "the text draws nothing"}},
        // Windows-1252 bytes, and UTF-8 cut short or too long.
        {"bytes that are no UTF-8 are taken as meant",
         {"Scrivlet_Text=%v \xB0 \xC2 \xE2\x82 \xC0\xB0 \xED\xA0\x80"},
         {}},
        {"placeholders in another case and other % words",
         {"Scrivlet_Text=%V %B%TAB %x %tab%Tab %V"},
         {"[S] Scrivlet_Text=%V %B%TAB %x %tab%Tab %V: \"%V\", \"%B\", \"%TAB\", \"%x\" and "
          "\"%Tab\" are drawn as written: only %v, %b and %tab, in lower case, are replaced"}},
        {"a % word after a placeholder",
         {"Scrivlet_Text=%v%Load"},
         {"[S] Scrivlet_Text=%v%Load: \"%Load\" is drawn as written: only %v, %b and %tab, in "
          "lower case, are replaced"}},
        {"a percent sign before digits, blanks, another % or the end",
         {"Scrivlet_Text=CPU %v % 50% %%v %2 %"},
         {}},
        {"%bold and %table begin with placeholders", {"Scrivlet_Text=%bold%table"}, {}},
    });
    SectionToCheck with_bom = section_of({"Scrivlet_Text=Temp %v \xC2\xB0"});
    with_bom.file_has_bom = true;
    EXPECT_EQ(texts(section_findings(with_bom, installed)), std::vector<std::string>{});
}

TEST(CheckRules, FacesEveryWindowsDesktopHasAreNotesWhereMissing) {
    for (const bool wine : {true, false}) {
        SectionToCheck section = section_of({"Scrivlet_Font=segoe UI"});
        section.under_wine = wine;
        const std::vector<Finding> found = section_findings(section, installed);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_TRUE(found[0].note);
        EXPECT_EQ(
            found[0].text,
            std::string("[S] Scrivlet_Font=segoe UI: the face \"segoe UI\" is not installed ") +
                (wine ? "in this Wine prefix" : "on this system") +
                ", so a preview here draws no text; every Windows desktop has it, so there "
                "the meter draws as written");
    }
    EXPECT_FALSE(section_findings(section_of({"Scrivlet_Font=NoSuchFace"}), installed)[0].note);
    // Installed here: nothing to say.
    EXPECT_EQ(section_findings(section_of({"Scrivlet_Font=Arial"}), installed).size(), 0u);
    EXPECT_TRUE(on_every_windows_desktop("CONSOLAS"));
    EXPECT_FALSE(on_every_windows_desktop("Segoe"));
}

// Only what keeps the text from being drawn at all explains an empty
// preview; other findings of the same keys do not.
TEST(CheckRules, FindingsThatHideTheTextAreMarkedSo) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"Scrivlet_Font=NoSuchFace", true},
        {"Scrivlet_Font=", true},
        {"Scrivlet_Text=", true},
        {"Scrivlet_FontColor=256,255,255,255", true},
        {"Scrivlet_FontColor=300,255,255,255", false},
        {"Scrivlet_FontColor=255,128,0", false},
        {"Scrivlet_FontSettings=0,0,0,0,0,0,30,1", true},
        {"Scrivlet_Fnt=Arial", false},
    };
    for (const auto& [line, hides] : cases) {
        const std::vector<Finding> found = section_findings(section_of({line}), installed);
        ASSERT_FALSE(found.empty()) << line;
        EXPECT_EQ(found.front().hides_text, hides) << line;
    }
}

TEST(CheckRules, ListsWithFieldsMissingOrLeftOver) {
    expect_findings({
        {"two of four channels",
         {"Scrivlet_FontColor=128,0"},
         {"[S] Scrivlet_FontColor=128,0: 2 of its 4 fields: the rest take their defaults "
          "(font_green 255, font_blue 255); colours are alpha, red, green, blue, so it draws alpha "
          "128, red 0, green 255 and blue 255"}},
        {"orange written as red, green, blue",
         {"Scrivlet_ShadowColor=255,128,0"},
         {"[S] Scrivlet_ShadowColor=255,128,0: 3 of its 4 fields: the rest take their defaults "
          "(shadow_blue 0); colours are alpha, red, green, blue, so it draws alpha 255, red 128, "
          "green 0 and blue 0"}},
        {"a short list that is no colour names no channels",
         {"Scrivlet_ShadowSettings=1,5"},
         {"[S] Scrivlet_ShadowSettings=1,5: 2 of its 5 fields: the rest take their defaults "
          "(shadow_softness 5, shadow_offset_x 0, shadow_offset_y 0)"}},
        {"an empty list is one empty field",
         {"Scrivlet_BorderColor="},
         {"[S] Scrivlet_BorderColor=: 1 of its 4 fields: the rest take their defaults (border_red "
          "0, border_green 0, border_blue 0); colours are alpha, red, green, blue, so it draws "
          "alpha 0, red 0, green 0 and blue 0",
          "[S] Scrivlet_BorderColor=: border_alpha \"\" holds no digits: it reads as 0"}},
        {"a third field of the border",
         {"Scrivlet_BorderSettings=0,1,7"},
         {"[S] Scrivlet_BorderSettings=0,1,7: 3 fields where the plug-in reads 2: the rest, "
          "\"7\", is never read"}},
        {"a trailing comma is one more, empty field",
         {"Scrivlet_ShadowSettings=0,5,5,0,0,"},
         {"[S] Scrivlet_ShadowSettings=0,5,5,0,0,: 6 fields where the plug-in reads 5: the rest, "
          "\"\", is never read"}},
    });
}

TEST(CheckRules, FieldsThatDoNotReadAsTheyLook) {
    expect_findings({
        {"a blank before a flag's 0",
         {"Scrivlet_FontSettings=0, 0,16,0,0,0,30,1"},
         {"[S] Scrivlet_FontSettings=0, 0,16,0,0,0,30,1: strikeout \" 0\" reads as 1: a flag is 0 "
          "only when its field begins with 0"}},
        {"flags that are neither 0 nor 1",
         {"Scrivlet_BorderSettings=00,1", "Scrivlet_ShadowSettings=x,5,5,0,0"},
         {"[S] Scrivlet_BorderSettings=00,1: border_enabled \"00\" reads as 0: a flag is 0 only "
          "when its field begins with 0",
          "[S] Scrivlet_ShadowSettings=x,5,5,0,0: shadow_enabled \"x\" reads as 1: a flag is 0 "
          "only "
          "when its field begins with 0"}},
        {"a number beyond 32 bits either way",
         {"Scrivlet_ShadowSettings=0,5,5,99999999999,-2147483649"},
         {"[S] Scrivlet_ShadowSettings=0,5,5,99999999999,-2147483649: shadow_offset_x "
          "\"99999999999\" is beyond 32 bits: it reads as 2147483647",
          "[S] Scrivlet_ShadowSettings=0,5,5,99999999999,-2147483649: shadow_offset_y "
          "\"-2147483649\" is beyond 32 bits: it reads as -2147483648"}},
        {"a saturating alpha is also clamped by the dialog",
         {"Scrivlet_FontColor=4294967296,0,0,0"},
         {"[S] Scrivlet_FontColor=4294967296,0,0,0: font_alpha \"4294967296\" is beyond 32 bits: "
          "it reads as 2147483647",
          "[S] Scrivlet_FontColor=4294967296,0,0,0: font_alpha 2147483647 is outside 0..255: it "
          "draws as 255 (only the low 8 bits count); the settings dialog's OK saves it as 255"}},
        {"units, decimals and words",
         {"Scrivlet_FontSettings=0,0,16pt,0,0,3.9,abc,1"},
         {"[S] Scrivlet_FontSettings=0,0,16pt,0,0,3.9,abc,1: font_size \"16pt\" reads as 16: what "
          "follows the digits is ignored",
          "[S] Scrivlet_FontSettings=0,0,16pt,0,0,3.9,abc,1: decimals \"3.9\" reads as 3: what "
          "follows the digits is ignored",
          "[S] Scrivlet_FontSettings=0,0,16pt,0,0,3.9,abc,1: tab_width \"abc\" holds no digits: it "
          "reads as 0",
          "[S] Scrivlet_FontSettings=0,0,16pt,0,0,3.9,abc,1: tab_width is 0; the settings "
          "dialog's OK saves it as 1"}},
    });
}

TEST(CheckRules, KeysThatLookLikeOursAndKeysReadTwiceOrWithoutValue) {
    expect_findings({
        {"a key in lower case",
         {"scrivlet_font=Arial"},
         {"[S] scrivlet_font=Arial: the plug-in spells it Scrivlet_Font; key names match whatever "
          "their case, so it is read"}},
        {"a key with one letter's case changed",
         {"Scrivlet_Fontcolor=255,255,255,255"},
         {"[S] Scrivlet_Fontcolor=255,255,255,255: the plug-in spells it Scrivlet_FontColor; key "
          "names match whatever their case, so it is read"}},
        {"the British spelling, with the real key missing",
         {"Scrivlet_Font=Arial", "Scrivlet_FontColour=128,0,0,0"},
         {"[S] Scrivlet_FontColour=128,0,0,0: not a key the plug-in reads; did you mean "
          "Scrivlet_FontColor? The section lacks it, so its default 255,255,255,255 stands"}},
        {"the British spelling beside the real key",
         {"Scrivlet_BorderColor=255,0,0,0", "Scrivlet_BorderColour=128,0,0,0"},
         {"[S] Scrivlet_BorderColour=128,0,0,0: not a key the plug-in reads; did you mean "
          "Scrivlet_BorderColor?"}},
        {"no underscore, and two letters swapped",
         {"ScrivletFont=Arial", "Scrivlet_FontColor=255,255,255,255", "Scrivlet_Txet=%v"},
         {"[S] ScrivletFont=Arial: not a key the plug-in reads; did you mean Scrivlet_Font? The "
          "section lacks it, so its default Arial stands",
          "[S] Scrivlet_Txet=%v: not a key the plug-in reads; did you mean Scrivlet_Text? The "
          "section lacks it, so its default %v stands"}},
        {"a key without the prefix",
         {"FontColor=255,255,128,0", "Scrivlet_Text=%v"},
         {"[S] FontColor=255,255,128,0: not a key the plug-in reads; did you mean "
          "Scrivlet_FontColor? The section lacks it, so its default 255,255,255,255 stands"}},
        {"our prefix on a key we never had",
         {"Scrivlet_Text=%v", "Scrivlet_Version=2"},
         {"[S] Scrivlet_Version=2: not a key the plug-in reads"}},
        {"a key read twice, in another case the second time",
         {"Scrivlet_Font=Arial", "SCRIVLET_FONT=NoSuchFace"},
         {"[S] SCRIVLET_FONT=NoSuchFace: an earlier line holds Scrivlet_Font too; the profile "
          "functions read only the first, never this one"}},
        {"a '#' line, which a person reads as a comment",
         {"#Scrivlet_Font=Courier New", "Scrivlet_Text=%v", "# a note"},
         {"[S] #Scrivlet_Font=Courier New: only ';' begins a comment: the profile functions read "
          "this line as the key '#Scrivlet_Font', which the plug-in never asks for",
          "[S] # a note: only ';' begins a comment: the profile functions read this line as the "
          "key '# a note', which the plug-in never asks for"}},
        {"a header without its ']', whose keys this section takes",
         {"Scrivlet_Text=%v", "[Clock", "Scrivlet_Font=Arial"},
         {"[S] [Clock: no ']' closes it, so it is no header: the profile functions read it as a "
          "key "
          "of this section, and the lines below it as more of its keys"}},
        {"a key without a value, before one with",
         {"Scrivlet_Text", "Scrivlet_Text="},
         {"[S] Scrivlet_Text: no \"=\": the profile functions read no value, so the default %v "
          "stands",
          "[S] Scrivlet_Text=: an earlier line holds Scrivlet_Text too; the profile functions "
          "read only the first, never this one"}},
    });
}

TEST(CheckRules, SectionsWithoutOurKeysOrHiddenByAnEarlierOne) {
    expect_findings({
        {"the host's keys only",
         {"Meter=Plugin", "X=10"},
         {"[S]: none of the plug-in's keys; a meter of this section takes every default"}},
        {"an empty section",
         {},
         {"[S]: none of the plug-in's keys; a meter of this section takes "
          "every default"}},
        {"a misspelt key only",
         {"Scrivlet_Fonts=Arial"},
         {"[S]: none of the plug-in's keys; a meter of this section takes every default",
          "[S] Scrivlet_Fonts=Arial: not a key the plug-in reads; did you mean Scrivlet_Font? The "
          "section lacks it, so its default Arial stands"}},
    });
    SectionToCheck hidden = section_of({"Scrivlet_Font=NoSuchFace"});
    hidden.name = "cpu";
    hidden.hidden_by = "CPU";
    EXPECT_EQ(texts(section_findings(hidden, installed)),
              (std::vector<std::string>{"[cpu]: [CPU] above has the same name, case aside; the "
                                        "profile functions read only that one, so this section "
                                        "is never read"}));
    SectionToCheck bracketed = section_of({"Scrivlet_Text=%v"});
    bracketed.name = "CPU] ; main meter [v2";
    EXPECT_EQ(texts(section_findings(bracketed, installed)),
              (std::vector<std::string>{
                  "[CPU] ; main meter [v2]: the profile functions take a header's name to its last "
                  "']': the plug-in reads this section as 'CPU] ; main meter [v2' (as --section "
                  "takes it), not as 'CPU'"}));
}

TEST(CheckRules, GeometryThatDrawsNothingAndWhy) {
    const std::string at_default = "at 240x80 px (the default size, 96 dpi) ";
    expect_findings({
        {"an em beyond 800 pt on a meter",
         {"Scrivlet_FontSettings=0,0,801,0,0,0,30,1"},
         {"[S] Scrivlet_FontSettings=0,0,801,0,0,0,30,1: " + at_default +
          "the text draws nothing: font size 801 pt is more than 2 times the surface's longer "
          "side (up to 800 pt always draws)"}},
        {"the largest em that draws", {"Scrivlet_FontSettings=0,0,800,0,0,0,30,1"}, {}},
        {"an em of 0",
         {"Scrivlet_FontSettings=0,0,0,0,0,0,30,1"},
         {"[S] Scrivlet_FontSettings=0,0,0,0,0,0,30,1: " + at_default +
          "the text draws nothing: font size 0 pt is not above 0"}},
        {"an em beyond twice a large surface, at the size its comment gives",
         {"Scrivlet_FontSettings=0,0,1501,0,0,0,30,1"},
         {"[S] Scrivlet_FontSettings=0,0,1501,0,0,0,30,1: at 1000x100 px (from its '; size:' "
          "comment, 96 dpi) the text draws nothing: font size 1501 pt is more than 2 times the "
          "surface's longer side (up to 800 pt always draws)"},
         CheckSize{{1000, 100}, SizeSource::comment}},
        // The library lays text out in a rectangle of no room all the same.
        {"a border wider than the surface", {"Scrivlet_BorderSettings=1,100"}, {}},
        {"a shadow offset that pushes the text beyond any surface",
         {"Scrivlet_ShadowSettings=1,5,5,-20000,0"},
         {"[S] Scrivlet_ShadowSettings=1,5,5,-20000,0: " + at_default +
          "the text draws nothing: the insets for the shadow (size 5, offset -20000,0) move its "
          "rectangle (at 20002.0,2.0 pt, 173.0 x 53.0 pt) further from the surface than the "
          "largest surface (16384 px a side) is wide"}},
        {"a shadow and a border that leave no room together",
         {"Scrivlet_ShadowSettings=1,5,5,0,-40", "Scrivlet_BorderSettings=1,20"},
         {}},
        {"a surface of one pixel, from --size",
         {"Scrivlet_Text=%v"},
         {},
         CheckSize{{1, 1}, SizeSource::option}},
        {"a shadow pen wider than any surface, held in by the border",
         {"Scrivlet_ShadowSettings=1,-30000,5,0,0", "Scrivlet_BorderSettings=1,1"},
         {"[S] Scrivlet_ShadowSettings=1,-30000,5,0,0: " + at_default +
          "the shadow draws nothing: its pen (size -30000) is wider than twice the largest "
          "surface (16384 px a side)"}},
        {"a shadow moved as far as the largest surface's side",
         {"Scrivlet_ShadowSettings=1,5,5,16384,0"},
         {"[S] Scrivlet_ShadowSettings=1,5,5,16384,0: at 6000x80 px (from --size, 96 dpi) the "
          "shadow draws nothing: its offset 16384,0 moves it as far as the largest surface's "
          "side (16384 px) or further"},
         CheckSize{{6000, 80}, SizeSource::option}},
        {"a shadow moved further than a meter's side",
         {"Scrivlet_ShadowSettings=1,5,5,-300,0"},
         {}},
        {"a softness that leaves no pixel of the shadow's bitmap",
         {"Scrivlet_ShadowSettings=1,5,81,0,0"},
         {"[S] Scrivlet_ShadowSettings=1,5,81,0,0: " + at_default +
          "the shadow draws nothing: softness 81 leaves its reduced bitmap no pixel"}},
        {"the largest softness that draws", {"Scrivlet_ShadowSettings=1,5,80,0,0"}, {}},
        {"softness 0: changed by the dialog, and no shadow until then",
         {"Scrivlet_ShadowSettings=1,5,0,0,0"},
         {"[S] Scrivlet_ShadowSettings=1,5,0,0,0: shadow_softness is 0; the settings dialog's OK "
          "saves it as 1",
          "[S] Scrivlet_ShadowSettings=1,5,0,0,0: " + at_default +
              "the shadow draws nothing: softness 0 leaves its reduced bitmap no pixel"}},
        {"a border band wider than any surface",
         {"Scrivlet_BorderSettings=1,-20000"},
         {"[S] Scrivlet_BorderSettings=1,-20000: " + at_default +
          "the border draws nothing: its band (2 x width -20000) is wider than twice the "
          "largest surface (16384 px a side)"}},
        {"passes that are off are not judged",
         {"Scrivlet_ShadowSettings=0,-30000,81,-300,0", "Scrivlet_BorderSettings=0,-20000"},
         {}},
    });
}

TEST(CheckRules, FindingsComeInTheOrderOfTheLinesWithTheGeometryLast) {
    const std::vector<std::string> found =
        texts(section_findings(section_of({"Scrivlet_FontSettings=0,0,0,0,0,0,0,1",
                                           "scrivlet_font=Arial", "Scrivlet_FontColor=300,1,2,3"}),
                               installed));
    const std::vector<std::string> expected = {
        "[S] Scrivlet_FontSettings=0,0,0,0,0,0,0,1: tab_width is 0; the settings dialog's OK "
        "saves it as 1",
        "[S] scrivlet_font=Arial: the plug-in spells it Scrivlet_Font; key names match whatever "
        "their case, so it is read",
        "[S] Scrivlet_FontColor=300,1,2,3: font_alpha 300 is outside 0..255: it draws as 44 (only "
        "the low 8 bits count); the settings dialog's OK saves it as 255",
        "[S] Scrivlet_FontSettings=0,0,0,0,0,0,0,1: at 240x80 px (the default size, 96 dpi) the "
        "text draws nothing: font size 0 pt is not above 0",
    };
    EXPECT_EQ(found, expected);
}

TEST(CheckRules, LongValuesAreShownCut) {
    const std::string face(40, 'F');
    EXPECT_EQ(texts(section_findings(section_of({"Scrivlet_Font=" + face}), installed)),
              (std::vector<std::string>{"[S] Scrivlet_Font=" + face +
                                            ": 40 characters, more than the 31 a face name "
                                            "holds: the plug-in keeps \"" +
                                            face.substr(0, 31) + "\"",
                                        "[S] Scrivlet_Font=" + face + ": the face \"" +
                                            face.substr(0, 31) +
                                            "\" is not installed: the text draws nothing"}));
    const std::string list = "0,1," + std::string(70, '9');
    EXPECT_EQ(texts(section_findings(section_of({"Scrivlet_BorderSettings=" + list}), installed)),
              (std::vector<std::string>{"[S] Scrivlet_BorderSettings=" + list.substr(0, 61) +
                                        "...: 3 fields where the plug-in reads 2: the rest, \"" +
                                        std::string(61, '9') + "...\", is never read"}));
}

TEST(CheckRules, SplitsLinesAtTheFirstEqualsSignAndFindsTheLineRead) {
    EXPECT_EQ(split_section_line("A=b=c").key, "A");
    EXPECT_EQ(split_section_line("A=b=c").value, "b=c");
    EXPECT_EQ(split_section_line("A=").value, "");
    EXPECT_EQ(split_section_line("A").value, std::nullopt);
    EXPECT_EQ(split_section_line("=x").key, "");

    const std::vector<SectionLine> lines = {split_section_line("Other=1"),
                                            split_section_line("scrivlet_TEXT"),
                                            split_section_line("Scrivlet_Text=%v")};
    EXPECT_EQ(line_read_for(lines, "Scrivlet_Text"), 1u);
    EXPECT_EQ(line_read_for(lines, "other"), 0u);
    EXPECT_EQ(line_read_for(lines, "Scrivlet_Font"), std::nullopt);
}

TEST(CheckRules, SizeIsTheOptionElseTheCommentElseTheSheetsCell) {
    const Size option{100, 20};
    const Size comment{300, 60};
    EXPECT_EQ(check_size(option, comment), (CheckSize{option, SizeSource::option}));
    EXPECT_EQ(check_size(option, std::nullopt), (CheckSize{option, SizeSource::option}));
    EXPECT_EQ(check_size(std::nullopt, comment), (CheckSize{comment, SizeSource::comment}));
    EXPECT_EQ(check_size(std::nullopt, std::nullopt),
              (CheckSize{Size{240, 80}, SizeSource::fallback}));
}

TEST(CheckRules, SummaryCountsFindingsAndSections) {
    // findings, notes, sections with findings, sections
    EXPECT_EQ(check_summary(CheckCounts{0, 0, 0, 5}), "check: nothing found in 5 sections");
    EXPECT_EQ(check_summary(CheckCounts{0, 0, 0, 1}), "check: nothing found in 1 section");
    EXPECT_EQ(check_summary(CheckCounts{3, 0, 2, 5}), "check: 3 findings in 2 of 5 sections");
    EXPECT_EQ(check_summary(CheckCounts{1, 0, 1, 1}), "check: 1 finding in 1 of 1 section");
    EXPECT_EQ(check_summary(CheckCounts{0, 1, 0, 2}),
              "check: nothing found in 2 sections (1 note)");
    EXPECT_EQ(check_summary(CheckCounts{3, 2, 1, 5}),
              "check: 3 findings in 1 of 5 sections (2 notes)");
}

TEST(CheckRules, EachFindingNamesTheLineOfItsKeyOrOfTheSectionHeader) {
    // The listing leaves out blank and comment lines; a key the listing has
    // twice is placed at each of its own lines.
    SectionToCheck section = section_of({"Meter=Plugin", "Scrivlet_FontColor=300,1,2,3",
                                         "scrivlet_font=Arial", "Scrivlet_Font=Other"});
    section.header_line = 4;
    place_lines(
        section.lines,
        {{"Meter", 5}, {"Scrivlet_FontColor", 7}, {"scrivlet_font", 9}, {"Scrivlet_Font", 10}});
    const std::vector<Finding> found = section_findings(section, installed);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].line, 7u);
    EXPECT_EQ(found[0].key, "Scrivlet_FontColor");
    EXPECT_EQ(found[0].message, "font_alpha 300 is outside 0..255: it draws as 44 (only the low "
                                "8 bits count); the settings dialog's OK saves it as 255");
    EXPECT_EQ(found[1].line, 9u);
    EXPECT_EQ(found[2].line, 10u);
    EXPECT_EQ(located_text("themes\\cpu.ini", found[0]), "themes\\cpu.ini:7: " + found[0].text);

    // The section as a whole at its header.
    SectionToCheck host_only = section_of({"Meter=Plugin"});
    host_only.header_line = 12;
    const std::vector<Finding> whole = section_findings(host_only, installed);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(whole[0].line, 12u);
    EXPECT_EQ(whole[0].key, "");

    // Lines the file does not show (the listing and the file disagree).
    std::vector<SectionLine> lines = {split_section_line("A=1"), split_section_line("B=2"),
                                      split_section_line("C=3")};
    place_lines(lines, {{"a", 8}, {"C", 9}});
    EXPECT_EQ(lines[0].file_line, 8u);
    EXPECT_EQ(lines[1].file_line, std::nullopt);
    EXPECT_EQ(lines[2].file_line, 9u);
    const Finding unplaced{"S", "", std::nullopt, "m", "[S]: m", false};
    EXPECT_EQ(located_text("a.ini", unplaced), "a.ini: (no line) [S]: m");
}

TEST(CheckRules, JsonHoldsTheSameFindingsAndTheSummary) {
    const std::vector<Finding> findings = {
        {"S", "Scrivlet_Text", 5u, "drawn \"x\"", "[S] Scrivlet_Text=\\: drawn \"x\"", false},
        {"S\xB0", "", std::nullopt, "tab\there \xC2\xB0", "[S]: tab\there", true},
    };
    EXPECT_EQ(findings_json("C:\\a.ini", findings, CheckCounts{1, 1, 1, 2}),
              "{\"findings\": [\n"
              "  {\"file\": \"C:\\\\a.ini\", \"line\": 5, \"section\": \"S\", \"key\": "
              "\"Scrivlet_Text\", \"kind\": \"finding\", \"message\": \"drawn \\\"x\\\"\", "
              "\"text\": \"[S] Scrivlet_Text=\\\\: drawn \\\"x\\\"\"},\n"
              "  {\"file\": \"C:\\\\a.ini\", \"line\": null, \"section\": \"S\xC2\xB0\", "
              "\"key\": null, \"kind\": \"note\", \"message\": \"tab\\u0009here \xC2\xB0\", "
              "\"text\": \"[S]: tab\\u0009here\"}\n"
              "],\n"
              " \"summary\": {\"findings\": 1, \"notes\": 1, \"sections_with_findings\": 1, "
              "\"sections\": 2, \"text\": \"check: 1 finding in 1 of 2 sections (1 note)\"}}\n");
    EXPECT_EQ(findings_json("a.ini", {}, CheckCounts{0, 0, 0, 3}),
              "{\"findings\": [],\n \"summary\": {\"findings\": 0, \"notes\": 0, "
              "\"sections_with_findings\": 0, \"sections\": 3, \"text\": \"check: nothing found "
              "in 3 sections\"}}\n");
}

TEST(CheckRules, SizesNameTheCommentTheyCameFrom) {
    const std::string at_comment =
        "[S] Scrivlet_FontSettings=0,0,0,0,0,0,30,1: at 90x30 px (from the '; size:' comment on "
        "line 6";
    const std::string draws_nothing = " dpi) the text draws nothing: font size 0 pt is not above 0";
    SectionToCheck below = section_of({"Scrivlet_FontSettings=0,0,0,0,0,0,30,1"},
                                      CheckSize{{90, 30}, SizeSource::comment});
    below.size_comment = SizeComment{{90, 30}, 6, ""};
    EXPECT_EQ(texts(section_findings(below, installed)),
              std::vector<std::string>{at_comment + ", 96" + draws_nothing});

    SectionToCheck inside = below;
    inside.size_comment->inside = "Clock";
    const std::vector<Finding> found = section_findings(inside, installed);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_TRUE(found[0].note);
    EXPECT_EQ(found[0].line, 6u);
    EXPECT_EQ(found[0].text, "[S]: the '; size: 90x30' comment on line 6 stands among the keys "
                             "of [Clock] above, yet it applies to this section, the next one "
                             "below it");
    EXPECT_FALSE(found[1].note);
    EXPECT_EQ(found[1].text, at_comment +
                                 ", which stands among the keys of [Clock] and applies to the "
                                 "next section, 96" +
                                 draws_nothing);
}

TEST(CheckRules, NumberScanAgreesWithTheNumberReader) {
    struct Case {
        const char* field;
        std::array<bool, 3> scan; // digits, beyond 32 bits, something after them
        int32_t value;            // what read_number makes of it
    };
    const Case cases[] = {
        {"16", {true, false, false}, 16},
        {" \t-3", {true, false, false}, -3},
        {"+7", {true, false, false}, 7},
        {"0009", {true, false, false}, 9},
        {"2147483647", {true, false, false}, INT32_MAX},
        {"2147483648", {true, true, false}, INT32_MAX},
        {"-2147483648", {true, false, false}, INT32_MIN},
        {"-2147483649", {true, true, false}, INT32_MIN},
        {"000000000002147483647", {true, false, false}, INT32_MAX},
        {"99999999999999999999", {true, true, false}, INT32_MAX},
        {"12abc", {true, false, true}, 12},
        {"3.9", {true, false, true}, 3},
        {"99999999999px", {true, true, true}, INT32_MAX},
        {"", {false, false, false}, 0},
        {"abc", {false, false, true}, 0},
        {"-", {false, false, false}, 0},
        {" ", {false, false, false}, 0},
        {"0x10", {true, false, true}, 0},
    };
    for (const Case& c : cases) {
        const NumberScan scan = scan_number(c.field);
        EXPECT_EQ((std::array{scan.digits, scan.saturated, scan.trailing}), c.scan)
            << '"' << c.field << '"';
        EXPECT_EQ(read_number(c.field), c.value) << '"' << c.field << '"';
    }
}

TEST(CheckRules, ClosestFacesAreMisspellingsNearestFirst) {
    const std::vector<std::string> installed = {
        "Arial", "Liberation Sans", "Liberation Serif", "Liberation Mono", "Tahoma", "Courier New",
        "ARIAL"};
    struct Case {
        const char* face;
        std::vector<std::string> closest;
    };
    const std::vector<Case> cases = {
        {"Arail", {"ARIAL"}}, // one name however it is cased
        {"liberation san", {"Liberation Sans", "Liberation Mono", "Liberation Serif"}},
        {"Tahomaa", {"Tahoma"}},
        {"Wingdings", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(closest_faces(c.face, installed), c.closest) << c.face;
    }
    EXPECT_EQ(closest_faces("Arail", installed, 1), std::vector<std::string>{"ARIAL"});
}

} // namespace
} // namespace scrivlet::host
