// Which section a "; size:" comment speaks of.

#include "size_comments.h"

#include <gtest/gtest.h>

namespace scrivlet::host {
namespace {

TEST(SizeComments, EachBelongsToTheNextSectionHeader) {
    const std::string text = "; size: 240x64\r\n"
                             "[Clock]\r\n"
                             "Scrivlet_Text=%v\r\n"
                             "; the next one\n"
                             ";   size:   90X30  \n"
                             "; size: 10x10\n"
                             "[Cpu]\n"
                             "[NoComment]\n"
                             "; size: 0x5\n"
                             "[BadSize]\n"
                             "; size: big\n"
                             "[Words]\n"
                             "; size: 300x20\n";
    const auto sizes = size_comments(text);
    EXPECT_EQ(suggested_size(sizes, "cLOCK"), (SizeComment{{240, 64}, 1, ""}));
    EXPECT_EQ(suggested_size(sizes, "NoComment"), std::nullopt);
    EXPECT_EQ(suggested_size(sizes, "Clock2"), std::nullopt);
    EXPECT_EQ(size_comments(""), (std::map<std::string, SizeComment>{}));

    // Each size with its line, and the section whose keys it follows.
    const std::map<std::string, SizeComment> lines = {{"Clock", {{240, 64}, 1, ""}},
                                                      {"Cpu", {{10, 10}, 6, ""}}};
    EXPECT_EQ(size_comments(text), lines);
    EXPECT_EQ(suggested_size(lines, "CPU"), (SizeComment{{10, 10}, 6, ""}));
    // Keys of the section above below the comment: it stands inside that
    // section, right after its header or among its keys.
    EXPECT_EQ(
        size_comments("[A]\n; size: 20x10\nK=1\n[B]\n[C]\nK=1\n; size: 30x10\n"
                      "L=2\n\n[D]\n"),
        (std::map<std::string, SizeComment>{{"B", {{20, 10}, 2, "A"}}, {"D", {{30, 10}, 7, "C"}}}));
    EXPECT_EQ(
        size_comments("\xEF\xBB\xBF; size: 20x10\n[A]\n; size: 30x10\n[B]\n"),
        (std::map<std::string, SizeComment>{{"A", {{20, 10}, 1, ""}}, {"B", {{30, 10}, 3, ""}}}));
}

TEST(SizeComments, SectionPlacesGiveEachHeaderAndKeyItsLine) {
    const std::string text = "\xEF\xBB\xBF; top\r\n"
                             "[ Cpu ]\r\n"
                             "\r\n"
                             "Scrivlet_Text = %v\r\n"
                             "; a note\r\n"
                             "  Scrivlet_Font=Arial\r\n"
                             "NoEquals\r\n"
                             "[Other]x]\n"
                             "A=1\n"
                             "[cpu]\n"
                             "B=2";
    const std::vector<SectionPlace> places = section_places(text);
    ASSERT_EQ(places.size(), 3u);
    EXPECT_EQ(places[0].name, "Cpu");
    EXPECT_EQ(places[0].header_line, 2u);
    EXPECT_EQ(places[0].keys, (std::vector<std::pair<std::string, size_t>>{
                                  {"Scrivlet_Text", 4}, {"Scrivlet_Font", 6}, {"NoEquals", 7}}));
    EXPECT_EQ(places[1].name, "Other]x");
    EXPECT_EQ(places[2].keys, (std::vector<std::pair<std::string, size_t>>{{"B", 11}}));
    EXPECT_EQ(section_place(places, "CPU")->header_line, 2u);
    EXPECT_EQ(section_place(places, "CPU", 1)->header_line, 10u);
    EXPECT_EQ(section_place(places, "CPU", 2), std::nullopt);
    EXPECT_EQ(section_place(places, "Missing"), std::nullopt);
}

} // namespace
} // namespace scrivlet::host
