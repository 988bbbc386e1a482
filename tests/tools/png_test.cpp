// The preview PNGs must open in any viewer: checked against known CRCs and by
// a round trip through the reader, including images larger than one stored
// deflate block.

#include "common/png.h"

#include <gtest/gtest.h>

#include <cstring>

namespace scrivlet::png {
namespace {

TEST(Png, Crc32MatchesTheStandardCheckValue) {
    const char* text = "123456789";
    EXPECT_EQ(crc32(reinterpret_cast<const uint8_t*>(text), std::strlen(text)), 0xCBF43926u);
    const uint8_t iend[] = {'I', 'E', 'N', 'D'};
    EXPECT_EQ(crc32(iend, 4), 0xAE426082u);
}

TEST(Png, EncodesHeaderAndChunksInOrder) {
    Image image{2, 1, {255, 0, 0, 128, 0, 255, 0, 255}};
    const std::vector<uint8_t> bytes = encode(image);
    const uint8_t start[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0,
                             0,    13,  'I', 'H', 'D',  'R',  0,    0,    0, 2,
                             0,    0,   0,   1,   8,    6,    0,    0,    0};
    ASSERT_GE(bytes.size(), sizeof start);
    EXPECT_EQ(std::memcmp(bytes.data(), start, sizeof start), 0);
    const uint8_t end[] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    EXPECT_EQ(std::memcmp(bytes.data() + bytes.size() - sizeof end, end, sizeof end), 0);
}

TEST(Png, RoundTripsSmallAndMultiBlockImages) {
    for (const auto& [width, height] : {std::pair{1u, 1u}, {3u, 2u}, {300u, 200u}}) {
        Image image{width, height, {}};
        for (uint32_t i = 0; i < width * height * 4; ++i) {
            image.rgba.push_back(static_cast<uint8_t>(i * 7 + i / 5));
        }
        Image back;
        ASSERT_TRUE(decode(encode(image), back)) << width << "x" << height;
        EXPECT_EQ(back.width, width);
        EXPECT_EQ(back.height, height);
        EXPECT_EQ(back.rgba, image.rgba);
    }
}

TEST(Png, RejectsDamagedFiles) {
    Image image{4, 4, std::vector<uint8_t>(64, 9)};
    std::vector<uint8_t> bytes = encode(image);
    Image back;
    std::vector<uint8_t> flipped = bytes;
    flipped[40] ^= 1; // inside IDAT: CRC no longer matches
    EXPECT_FALSE(decode(flipped, back));
    EXPECT_FALSE(decode(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 30), back));
    EXPECT_FALSE(decode({}, back));
}

} // namespace
} // namespace scrivlet::png
