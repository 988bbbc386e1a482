// The preview PNGs must come back exactly as written (straight alpha, colour
// kept under alpha 0), be compressed, and open in any viewer; PNGs of other
// colour types read as RGBA; a damaged file or an unwritable path fails with
// its reason, never with a crash.

#include "common/png.h"
#include "common/file_bytes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace scrivlet::png {
namespace {

namespace fs = std::filesystem;

// A folder of its own for one test, removed with what it holds.
struct ScratchFolder {
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "scrivlet-png-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a folder for the test");
        }
        path = pattern;
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() { fs::remove_all(path); }

    std::string file(const std::string& name) const { return (path / name).string(); }

    fs::path path;
};

void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// Every alpha value in turn, each over colours that differ from pixel to
// pixel, so that neither premultiplying nor a filter mix-up goes unseen.
Image every_alpha(uint32_t width, uint32_t height) {
    Image image{width, height, {}};
    uint32_t noise = 12345;
    for (uint32_t i = 0; i < width * height; ++i) {
        noise = noise * 1103515245u + 12345u;
        image.rgba.push_back(static_cast<uint8_t>(noise >> 24));
        image.rgba.push_back(static_cast<uint8_t>(i * 37));
        image.rgba.push_back(static_cast<uint8_t>(noise >> 16));
        image.rgba.push_back(static_cast<uint8_t>(i));
    }
    return image;
}

TEST(Png, RoundTripsEveryAlphaAtOddSizesExactly) {
    const ScratchFolder folder;
    struct Size {
        uint32_t width, height;
    };
    // 17x17 and larger hold every alpha value at least once.
    for (const Size size :
         {Size{1, 1}, Size{3, 5}, Size{17, 17}, Size{257, 1}, Size{1, 257}, Size{301, 199}}) {
        const std::string what = std::to_string(size.width) + "x" + std::to_string(size.height);
        const Image image = every_alpha(size.width, size.height);
        const std::string path = folder.file(what + ".png");
        ASSERT_FALSE(write_file(path, image)) << what;
        Image back;
        ASSERT_TRUE(read_file(path, back)) << what;
        EXPECT_EQ(back.width, size.width) << what;
        EXPECT_EQ(back.height, size.height) << what;
        EXPECT_EQ(back.rgba, image.rgba) << what;
    }
}

TEST(Png, FlatColourIsCompressed) {
    // Stored (uncompressed) it would take a little more than its raw size.
    const ScratchFolder folder;
    constexpr uint32_t side = 512;
    Image image{side, side, {}};
    for (uint32_t i = 0; i < side * side; ++i) {
        image.rgba.insert(image.rgba.end(), {40, 90, 200, 128});
    }
    const std::string path = folder.file("flat.png");
    ASSERT_FALSE(write_file(path, image));
    EXPECT_LT(fs::file_size(path), image.rgba.size() / 50);
    Image back;
    ASSERT_TRUE(read_file(path, back));
    EXPECT_EQ(back.rgba, image.rgba);
}

// Small PNGs of other colour types, made with Python's zlib, and their pixels
// as RGBA: no alpha reads as 255, grey spreads to all three colours, a
// palette's tRNS gives alpha, 16 bits keep their high byte.
struct OtherPng {
    const char* what;
    std::vector<uint8_t> bytes;
    uint32_t width, height;
    std::vector<uint8_t> rgba;
};

TEST(Png, ReadsOtherColourTypesAsRgba) {
    const ScratchFolder folder;
    const std::vector<OtherPng> cases = {
        {"8-bit RGB",
         {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
          0x44, 0x52, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02, 0x00, 0x00,
          0x00, 0x12, 0x16, 0xf1, 0x4d, 0x00, 0x00, 0x00, 0x18, 0x49, 0x44, 0x41, 0x54, 0x78,
          0xda, 0x63, 0xf8, 0xcf, 0xc0, 0xc0, 0x00, 0xc1, 0x8c, 0x4c, 0xcc, 0xbf, 0x7e, 0xff,
          0x69, 0x70, 0x50, 0x00, 0x00, 0x3d, 0xe8, 0x06, 0xd5, 0x21, 0x63, 0xd7, 0xd3, 0x00,
          0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82},
         3,
         2,
         {255, 0, 0, 255, 0,   255, 0,   255, 0,   0,  255, 255,
          1,   2, 3, 255, 250, 251, 252, 255, 128, 64, 32,  255}},
        {"8-bit grey and alpha",
         {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
          0x44, 0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x04, 0x00, 0x00,
          0x00, 0x5e, 0x2b, 0xb7, 0x01, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x44, 0x41, 0x54, 0x78,
          0xda, 0x63, 0xe0, 0x62, 0x38, 0xf1, 0x1f, 0x00, 0x02, 0xbc, 0x01, 0xd2, 0xe9, 0xe0,
          0xec, 0x59, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82},
         2,
         1,
         {10, 10, 10, 0, 200, 200, 200, 255}},
        {"16-bit RGBA",
         {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
          0x44, 0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x10, 0x06, 0x00, 0x00,
          0x00, 0xa4, 0xb2, 0xa3, 0xc9, 0x00, 0x00, 0x00, 0x18, 0x49, 0x44, 0x41, 0x54, 0x78,
          0xda, 0x63, 0x10, 0x32, 0x59, 0x7d, 0xf6, 0xff, 0xff, 0x06, 0x46, 0x06, 0x06, 0x06,
          0x20, 0x51, 0xff, 0x1f, 0x00, 0x38, 0x73, 0x06, 0x3d, 0xa5, 0x68, 0x24, 0xa2, 0x00,
          0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82},
         2,
         1,
         // 0x1234 0xabcd 0xffff 0x8001, 0x0000 0x0080 0x0100 0x7fff
         {0x12, 0xab, 0xff, 0x80, 0x00, 0x00, 0x01, 0x7f}},
        {"palette with tRNS",
         {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44,
          0x52, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x08, 0x03, 0x00, 0x00, 0x00, 0x2c,
          0x3e, 0xe4, 0x86, 0x00, 0x00, 0x00, 0x09, 0x50, 0x4c, 0x54, 0x45, 0x09, 0x08, 0x07, 0x64,
          0x6e, 0x78, 0xff, 0xff, 0xff, 0x22, 0xd0, 0x50, 0xa1, 0x00, 0x00, 0x00, 0x02, 0x74, 0x52,
          0x4e, 0x53, 0x00, 0x4d, 0x7e, 0xfe, 0xf0, 0x15, 0x00, 0x00, 0x00, 0x0c, 0x49, 0x44, 0x41,
          0x54, 0x78, 0xda, 0x63, 0x60, 0x60, 0x64, 0x02, 0x00, 0x00, 0x08, 0x00, 0x04, 0x08, 0x1d,
          0x63, 0x0a, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82},
         3,
         1,
         {9, 8, 7, 0, 100, 110, 120, 77, 255, 255, 255, 255}},
    };
    for (const OtherPng& c : cases) {
        const std::string path = folder.file("other.png");
        write_bytes(path, c.bytes);
        Image image;
        ASSERT_TRUE(read_file(path, image)) << c.what;
        EXPECT_EQ(image.width, c.width) << c.what;
        EXPECT_EQ(image.height, c.height) << c.what;
        EXPECT_EQ(image.rgba, c.rgba) << c.what;
    }
}

TEST(Png, ReadingWhatIsNotAWholePngFailsAndLeavesTheImage) {
    const ScratchFolder folder;
    const std::string good = folder.file("good.png");
    ASSERT_FALSE(write_file(good, every_alpha(9, 7)));
    const std::string written = file_bytes(good);
    const std::vector<uint8_t> bytes(written.begin(), written.end());
    constexpr size_t end_checksum = 4; // stb does not read it

    struct Bad {
        std::string what;
        std::vector<uint8_t> content;
    };
    std::vector<Bad> cases = {
        {"empty", {}},
        {"text", {'n', 'o', 't', ' ', 'a', ' ', 'P', 'N', 'G', '\n'}},
        {"wrong signature", bytes},
    };
    cases.back().content[1] = 'Q';
    // Cut anywhere before the end chunk is whole (its checksum aside).
    for (size_t length = 0; length < bytes.size() - end_checksum; ++length) {
        cases.push_back(
            {"cut to " + std::to_string(length) + " of " + std::to_string(bytes.size()) + " bytes",
             std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(length))});
    }

    const Image before{2, 1, {1, 2, 3, 4, 5, 6, 7, 8}};
    const auto expect_fails = [&](const std::string& what, const std::string& path) {
        Image image = before;
        EXPECT_FALSE(read_file(path, image)) << what;
        EXPECT_EQ(image.width, before.width) << what;
        EXPECT_EQ(image.height, before.height) << what;
        EXPECT_EQ(image.rgba, before.rgba) << what;
    };
    expect_fails("no such file", folder.file("missing.png"));
    expect_fails("a folder", folder.path.string());
    const std::string bad = folder.file("bad.png");
    for (const Bad& c : cases) {
        write_bytes(bad, c.content);
        expect_fails(c.what, bad);
    }
}

TEST(Png, WritingFailsWithItsReason) {
    const ScratchFolder folder;
    const Image good = every_alpha(3, 2);
    struct Case {
        std::string what;
        std::string path;
        Image image;
        std::errc error;
    };
    const std::vector<Case> cases = {
        {"into a folder", folder.path.string(), good, std::errc::is_a_directory},
        {"into a missing folder", folder.file("missing/x.png"), good,
         std::errc::no_such_file_or_directory},
        // Only the closing flush finds the device full.
        {"onto a full device", "/dev/full", good, std::errc::no_space_on_device},
        {"no pixels", folder.file("empty.png"), Image{}, std::errc::invalid_argument},
        {"fewer bytes than pixels", folder.file("short.png"), Image{3, 2, {1, 2, 3}},
         std::errc::invalid_argument},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(write_file(c.path, c.image), std::make_error_code(c.error)) << c.what;
    }
    EXPECT_FALSE(fs::exists(folder.path / "missing"));
    EXPECT_FALSE(fs::exists(folder.path / "empty.png"));
    EXPECT_FALSE(fs::exists(folder.path / "short.png"));
}

} // namespace
} // namespace scrivlet::png
