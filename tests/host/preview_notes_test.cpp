// What a preview says besides its picture.

#include "preview_notes.h"

#include <gtest/gtest.h>

namespace scrivlet::host {
namespace {

TEST(PreviewNotes, WhatThePlatformLeavesOutAndWhyNothingShows) {
    struct Case {
        const char* name;
        PreviewFacts facts;
        std::vector<std::string> notes;
    };
    const std::vector<Case> cases = {
        {"one line, under Wine", {true, "CPU 42 %", true, {}, 18.4, 40}, {}},
        {"two lines and a tab, not under Wine",
         {false, "Time\t09:41\nZone", true, {}, 18.4, 64},
         {}},
        {"two lines and a tab under Wine",
         {true, "Time\t09:41\nZone", true, {}, 18.4, 64},
         {"under Wine, GDI+ draws only the first line and leaves tabs out; the text has 2 lines "
          "and tabs, which Windows draws in full"}},
        {"a tab only",
         {true, "a\tb", true, {}, 0, 10},
         {"under Wine, GDI+ draws only the first line and leaves tabs out; the text has tabs, "
          "which Windows draws in full"}},
        {"nothing drawn, no finding",
         {false, "42", false, {}, 18.4, 40},
         {"nothing was drawn, and check finds nothing in the section that explains it: the text "
          "may be blank or lie off the surface"}},
        {"nothing drawn: an empty text",
         {false, "", false, {}, 18.4, 40},
         {"nothing was drawn: the text is empty"}},
        {"nothing drawn: the colour's alpha",
         {false,
          "42",
          false,
          {"[M] Scrivlet_Fnt=Arial: not a key the plug-in reads"},
          18.4,
          40,
          60,
          50,
          true},
         {"nothing was drawn: the text's colour has alpha 0"}},
        {"nothing drawn, only the findings that explain it",
         {false,
          "42",
          false,
          {"[M] Scrivlet_Font=Nope: the face \"Nope\" is not installed: the text draws nothing",
           "[M] Scrivlet_Fnt=Arial: not a key the plug-in reads",
           "[M] Scrivlet_Text=: an empty "
           "template: the meter draws no text"},
          18.4,
          40},
         {"nothing was drawn; what check finds in the section:",
          "  [M] Scrivlet_Font=Nope: the face \"Nope\" is not installed: the text draws nothing",
          "  [M] Scrivlet_Text=: an empty template: the meter draws no text"}},
        {"nothing drawn, no finding explains it",
         {false, "42", false, {"[M] Scrivlet_Fnt=Arial: not a key the plug-in reads"}, 18.4, 40},
         {"nothing was drawn, and check finds nothing in the section that explains it: the text "
          "may be blank or lie off the surface"}},
        {"a line wider than its rectangle wraps at a space, under Wine",
         {true,
          "Night shift",
          true,
          {},
          18.4,
          40,
          320,
          293.3,
          false,
          "the shadow",
          {{398.2, 220.5, "shift"}}},
         {"the text is wider than the 320 px surface (293 px inside the shadow): \"Night shift\" "
          "needs about 399 px and wraps to a second line (Wine draws only the first line)"}},
        {"a word wider than its rectangle is broken",
         {false,
          "1234567890",
          true,
          {},
          18.4,
          40,
          60,
          57.3,
          false,
          "",
          {{89.2, 89.2, "1234567890"}}},
         {"the text is wider than the 60 px surface (57 px to lay out in): \"1234567890\" needs "
          "about 90 px and wraps to a second line, breaking the word \"1234567890\" where the "
          "line ends"}},
        {"only the line that is too wide",
         {false,
          "a\nlong line",
          true,
          {},
          18.4,
          40,
          100,
          90,
          false,
          "the border",
          {{10, 10, "a"}, {120, 60, "line"}}},
         {"the text is wider than the 100 px surface (90 px inside the border): \"long line\" "
          "needs about 120 px and wraps to a second line"}},
        {"no room to lay out in: cut off at the edge",
         {false,
          "12345",
          true,
          {},
          18.4,
          40,
          40,
          -2.5,
          false,
          "the shadow and border",
          {{50, 50, "12345"}}},
         {"the text is wider than the 40 px surface: \"12345\" needs about 50 px; with no room "
          "left inside the shadow and border it is not wrapped, and what passes the edge is cut "
          "off"}},
        {"no room, yet narrower than the surface",
         {false, "1", true, {}, 18.4, 40, 40, 0, false, "", {{9, 9, "1"}}},
         {}},
        {"exactly as wide",
         {false, "ab", true, {}, 18.4, 40, 40, 30, false, "", {{30, 30, "ab"}}},
         {}},
        {"too wide but nothing drawn",
         {false, "ab", false, {}, 18.4, 40, 40, 30, false, "", {{31, 31, "ab"}}},
         {"nothing was drawn, and check finds nothing in the section that explains it: the text "
          "may be blank or lie off the surface"}},
        {"a long line is quoted in part",
         {false,
          std::string(50, 'x'),
          true,
          {},
          18.4,
          40,
          40,
          30,
          false,
          "",
          {{500, 500, std::string(50, 'x')}}},
         {"the text is wider than the 40 px surface (30 px to lay out in): \"" +
          std::string(40, 'x') +
          "...\" needs about 500 px and wraps to a second line, breaking "
          "the word \"" +
          std::string(40, 'x') + "...\" where the line ends"}},
        {"taller than the surface",
         {false, "a\nb\nc", true, {}, 18.4, 40},
         {"the text's 3 lines need about 56 px, more than the 40 px of the surface: what does "
          "not fit is cut off"}},
        {"taller, under Wine",
         {true, "42", true, {}, 41.2, 40},
         {"the text's 1 line needs about 42 px, more than the 40 px of the surface: what does "
          "not fit is cut off (Wine moves such text down instead)"}},
        {"exactly as tall", {false, "a\nb", true, {}, 20, 40}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(preview_notes(c.facts), c.notes) << c.name;
    }
}

TEST(PreviewNotes, OnlyFindingsOfTheTextOrItsAlphaExplainAnEmptyPicture) {
    const std::vector<std::string> findings = {
        "[M] Scrivlet_FontColor=300,255,255,255: font_alpha 300 is outside 0..255; the settings "
        "dialog's OK saves it as 255",
        "[M] Scrivlet_FontColor=255,300,255,255: font_red 300 is outside 0..255",
        "[M] Scrivlet_BorderColor=0,0,0,0: border_alpha 0",
        "[M] Scrivlet_FontSettings=0,0,9000,0,0,0,30,1: at 10x10 px (from --size, 96 dpi) the "
        "text draws nothing: font size 9000 pt is more than 2 times the surface's longer side",
        "[M] at 10x10 px (from --size, 96 dpi) the shadow draws nothing: softness 99 leaves its "
        "reduced bitmap no pixel",
        "[M] Scrivlet_Font=: no face name: the text draws nothing",
        "[M]: none of the plug-in's keys; a meter of this section takes every default",
    };
    EXPECT_EQ(findings_explaining_empty(findings),
              (std::vector<std::string>{findings[0], findings[3], findings[5]}));
    EXPECT_EQ(findings_explaining_empty({}), std::vector<std::string>{});
}

TEST(PreviewNotes, TheSheetsLegendNamesTheMarkedCellsOfARowWithTheSameNotesTogether) {
    const std::vector<std::string> wine = {"under Wine, two lines"};
    const std::vector<std::string> empty = {"nothing was drawn; what check finds:", "  [B] why"};
    const std::vector<std::vector<std::vector<std::string>>> notes = {
        {wine, {}, wine},
        {empty, {"too wide", "too tall"}, {}},
        {{}, {}, {}},
    };
    EXPECT_EQ(marked_cells_legend({"A", "B", "C"}, {"1", "x y", ""}, notes),
              (std::vector<std::string>{
                  "red corner at [A] \"1\", \"\": under Wine, two lines",
                  "red corner at [B] \"1\": nothing was drawn; what check finds:",
                  "  [B] why",
                  "red corner at [B] \"x y\": too wide",
                  "red corner at [B] \"x y\": too tall",
              }));
}

TEST(PreviewNotes, WhatIsSaidAgainIsWhatChangedANoteWithItsFindingsWhole) {
    using Notes = std::vector<std::string>;
    const Notes empty = {"nothing was drawn; what check finds:", "  [M] a face"};
    struct Case {
        const char* name;
        Notes notes;
        Notes said;
        Notes unsaid;
    };
    const std::vector<Case> cases = {
        {"the first time", {"wide", "tall"}, {}, {"wide", "tall"}},
        {"the same again", {"wide", "tall"}, {"wide", "tall"}, {}},
        {"one more", {"wide", "tall"}, {"tall"}, {"wide"}},
        {"fewer", {"tall"}, {"wide", "tall"}, {}},
        {"another finding beneath the same note",
         {"nothing was drawn; what check finds:", "  [M] a face", "  [M] a size"},
         empty,
         {"nothing was drawn; what check finds:", "  [M] a face", "  [M] a size"}},
        {"the same findings", empty, {"wide", empty[0], empty[1]}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(unsaid_notes(c.notes, c.said), c.unsaid) << c.name;
    }
}

TEST(PreviewNotes, WineDrawsLessOfBreaksAndTabsOnly) {
    EXPECT_TRUE(wine_draws_less("a\nb"));
    EXPECT_TRUE(wine_draws_less("a\tb"));
    EXPECT_FALSE(wine_draws_less("a\rb %b %tab"));
    EXPECT_FALSE(wine_draws_less(""));
}

} // namespace
} // namespace scrivlet::host
