// What a preview says besides its picture.

#include "preview_notes.h"

#include <gtest/gtest.h>

namespace scrivlet::host {
namespace {

// A drawn line in a surface 60 px wide whose text has `room` px.
PreviewFacts too_wide(bool wine, const char* text, double room, const char* by, LineExtent line) {
    return PreviewFacts{wine, text, true, {}, 18.4, 40, 60, room, false, by, {line}};
}

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
        {"nothing drawn, an empty text",
         {false, "", false, {}, 18.4, 40},
         {"nothing was drawn: the text is empty"}},
        {"nothing drawn, alpha 0",
         {false, "42", false, {}, 18.4, 40, 60, 50, true},
         {"nothing was drawn: the text's colour has alpha 0"}},
        {"nothing drawn, the findings that explain it",
         {false,
          "42",
          false,
          {"[M] Scrivlet_Font=Nope: not installed: the text draws nothing",
           "[M]: the meter draws no text"},
          18.4,
          40},
         {"nothing was drawn; what check finds in the section:",
          "  [M] Scrivlet_Font=Nope: not installed: the text draws nothing",
          "  [M]: the meter draws no text"}},
        {"wraps at a space, under Wine",
         too_wide(true, "Night shift", 53.3, "the shadow", {98.2, 50.5, "Night"}),
         {"the text is wider than the 60 px surface (53 px inside the shadow): \"Night shift\" "
          "needs about 99 px and wraps to a second line (Wine draws only the first line)"}},
        {"a word wider than its room",
         too_wide(false, "1234567890", 57.3, "", {89.2, 89.2, "1234567890"}),
         {"the text is wider than the 60 px surface (57 px to lay out in): \"1234567890\" needs "
          "about 90 px and wraps to a second line, breaking the word \"1234567890\" where the line "
          "ends"}},
        {"no room: not wrapped",
         too_wide(false, "12345", -2.5, "the border", {70, 70, "12345"}),
         {"the text is wider than the 60 px surface: \"12345\" needs about 70 px; with no room "
          "left inside the border it is not wrapped, and what passes the edge is cut off"}},
        {"no room, narrower than the surface", too_wide(false, "1", 0, "", {59, 59, "1"}), {}},
        {"exactly as wide as its room", too_wide(false, "ab", 30, "", {30, 30, "ab"}), {}},
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

TEST(PreviewNotes, TheSheetsLegendNamesTheMarkedCellsOfARowWithTheSameNotesTogether) {
    const std::vector<std::string> empty = {"nothing was drawn; check finds:", "  [B] why"};
    // Rows of several files, each with values of its own.
    EXPECT_EQ(marked_cells_legend({"[A]", "b.ini [B]"}, {{"1", "x y", ""}, {"1", "2"}},
                                  {{{"wine"}, {}, {"wine"}}, {empty, {"too wide"}}}),
              (std::vector<std::string>{
                  "red corner at [A] \"1\", \"\": wine",
                  "red corner at b.ini [B] \"1\": nothing was drawn; check finds:", "  [B] why",
                  "red corner at b.ini [B] \"2\": too wide"}));
}

TEST(PreviewNotes, WhatIsSaidAgainIsWhatChangedANoteWithItsFindingsWhole) {
    using Notes = std::vector<std::string>;
    const Notes empty = {"nothing was drawn:", "  [M] a face"};
    EXPECT_EQ(unsaid_notes({"wide", "tall"}, {}), (Notes{"wide", "tall"}));
    EXPECT_EQ(unsaid_notes({"wide", "tall"}, {"tall", "wide"}), Notes{});
    EXPECT_EQ(unsaid_notes({"wide", "tall"}, {"tall"}), Notes{"wide"});
    EXPECT_EQ(unsaid_notes(empty, {"wide", empty[0], empty[1]}), Notes{});
    EXPECT_EQ(unsaid_notes({empty[0], empty[1], "  [M] a size"}, empty),
              (Notes{empty[0], empty[1], "  [M] a size"}));
}

TEST(PreviewNotes, WineDrawsLessOfBreaksAndTabsOnly) {
    EXPECT_TRUE(wine_draws_less("a\nb"));
    EXPECT_TRUE(wine_draws_less("a\tb"));
    EXPECT_FALSE(wine_draws_less("a\rb %b %tab"));
    EXPECT_FALSE(wine_draws_less(""));
}

} // namespace
} // namespace scrivlet::host
