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
         {"nothing was drawn: the text is empty or its colours are invisible (alpha 0)"}},
        {"nothing drawn, findings",
         {false, "42", false, {"[M] Scrivlet_Font=Nope: not installed", "[M] other"}, 18.4, 40},
         {"nothing was drawn; what check finds in the section:",
          "  [M] Scrivlet_Font=Nope: not installed", "  [M] other"}},
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

TEST(PreviewNotes, WineDrawsLessOfBreaksAndTabsOnly) {
    EXPECT_TRUE(wine_draws_less("a\nb"));
    EXPECT_TRUE(wine_draws_less("a\tb"));
    EXPECT_FALSE(wine_draws_less("a\rb %b %tab"));
    EXPECT_FALSE(wine_draws_less(""));
}

} // namespace
} // namespace scrivlet::host
