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
    const std::map<std::string, Size> expected = {{"Clock", {240, 64}}, {"Cpu", {10, 10}}};
    EXPECT_EQ(size_comments(text), expected);
    const auto sizes = size_comments(text);
    EXPECT_EQ(suggested_size(sizes, "cLOCK"), (Size{240, 64}));
    EXPECT_EQ(suggested_size(sizes, "NoComment"), std::nullopt);
    EXPECT_EQ(suggested_size(sizes, "Clock2"), std::nullopt);
    EXPECT_EQ(size_comments(""), (std::map<std::string, Size>{}));
}

} // namespace
} // namespace scrivlet::host
