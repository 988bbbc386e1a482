// What the plug-in draws for the examples and for hostile settings files,
// pixel for pixel, against what a build of the other width drew for the same
// inputs: one build writes its drawings to a folder, the other reads them
// back and compares.

#include "cross_width/reference.h"
#include "host/host_run.h"
#include "size_comments.h"
#include "support/plugin.h"
#include "support/surface.h"
#include "common/png.h"
#include "common/win/paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet::test {
namespace {

struct SurfaceSize {
    int width, height;
};
constexpr SurfaceSize sizes[] = {{240, 80}, {400, 120}};

// The value of sections that suggest none.
constexpr char fixed_value[] = "-3.14159";

// Settings the fuzzer found hard (from its corpus) and rows of the bad-input
// tables, and whether they leave any pixel on surfaces of the sizes above.
struct HostileSettings {
    const char* name;
    const char* corpus_file; // under the corpus folder; null: `keys` in a section "Meter"
    const char* keys;
    bool draws;
};
const HostileSettings hostile_settings[] = {
    {"shadow-offset-far-negative", "a-shadow-softness-zero-far-offset.ini", nullptr, false},
    {"mebibyte-template-max-decimals", "c-mebibyte-template-max-decimals.ini", nullptr, true},
    {"font-60000-border", "d-font-60000-border.ini", nullptr, false},
    {"garbled-lists", "slow\\found-5d0270e877bb531d.ini", nullptr, true},
    {"colours-out-of-range", nullptr,
     "Scrivlet_FontColor=-1,256,2147483647,99999999999\r\n"
     "Scrivlet_BorderColor=256,-1,0,0\r\nScrivlet_BorderSettings=1,2\r\n"
     "Scrivlet_ShadowColor=2147483647,1,2,3\r\nScrivlet_ShadowSettings=1,4,2,1,1\r\n",
     true},
    {"shadow-offsets-negative-bordered", nullptr,
     "Scrivlet_ShadowSettings=1,5,1,-1,-1\r\nScrivlet_BorderSettings=1,1\r\n", true},
};

struct Case {
    std::string name; // also the reference file's name, without ".png"
    std::string ini;
    std::string section;
    std::string value;
    SurfaceSize size;
    bool draws;
};

std::string corpus_folder() {
    return windows_path(SCRIVLET_CORPUS_DIR) + "\\";
}

std::vector<std::string> ini_files(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "*.ini").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> section_names(const std::string& ini) {
    std::vector<char> buffer(64 * 1024);
    const DWORD length = GetPrivateProfileSectionNamesA(
        buffer.data(), static_cast<DWORD>(buffer.size()), ini.c_str());
    std::vector<std::string> names;
    for (DWORD at = 0; at < length && buffer[at] != '\0';) {
        names.emplace_back(&buffer[at]);
        at += static_cast<DWORD>(names.back().size()) + 1;
    }
    return names;
}

// Letters, digits and '-' as they are, anything else as '_'.
std::string file_name_part(std::string text) {
    for (char& c : text) {
        const bool plain =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
        c = plain ? c : '_';
    }
    return text;
}

void add_cases(std::vector<Case>& cases, const std::string& ini, const std::string& stem,
               bool draws) {
    const auto comments = host::value_comments(file_bytes(ini));
    for (const std::string& section : section_names(ini)) {
        std::vector<std::string> values = host::suggested_values(comments, section);
        if (values.empty()) {
            values.push_back(fixed_value);
        }
        for (size_t v = 0; v < values.size(); ++v) {
            for (const SurfaceSize size : sizes) {
                const std::string name = file_name_part(stem) + "." + file_name_part(section) +
                                         "." + std::to_string(v + 1) + "." +
                                         std::to_string(size.width) + "x" +
                                         std::to_string(size.height);
                cases.push_back({name, ini, section, values[v], size, draws});
            }
        }
    }
}

// Hostile sections given as keys are written to files in `scratch`.
std::vector<Case> all_cases(const std::string& scratch) {
    std::vector<Case> cases;
    for (const std::string& file : ini_files(examples_folder())) {
        add_cases(cases, examples_folder() + file, "example-" + file.substr(0, file.size() - 4),
                  true);
    }
    for (const HostileSettings& hostile : hostile_settings) {
        std::string ini;
        if (hostile.corpus_file != nullptr) {
            ini = corpus_folder() + hostile.corpus_file;
        } else {
            ini = scratch + hostile.name + ".ini";
            write_text_file(ini, std::string("[Meter]\r\n") + hostile.keys);
        }
        add_cases(cases, ini, std::string("hostile-") + hostile.name, hostile.draws);
    }
    return cases;
}

// The surface's bytes as they are, premultiplied, only reordered from
// B, G, R, A to PNG's R, G, B, A: the comparison must be exact, and undoing
// the premultiplication would lose what it compares. A viewer shows
// translucent pixels of these files darker than the meter looks.
png::Image image_of(const Surface& surface) {
    png::Image image;
    image.width = static_cast<uint32_t>(surface.width());
    image.height = static_cast<uint32_t>(surface.height());
    image.rgba.reserve(size_t{image.width} * image.height * 4);
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            const Pixel p = surface.at(x, y);
            image.rgba.insert(image.rgba.end(), {p.red, p.green, p.blue, p.alpha});
        }
    }
    return image;
}

// How far a drawing may stray from one of the other width. The 64-bit build
// repaints with SSE rounding directed toward zero (the test support holds
// win::Wine64Rounding, which keeps Wine's 64-bit GDI+ from dying on bordered
// texts); the 32-bit build rounds to nearest. Measured with the 64-bit build's rounding left alone,
// in the 32 of these 34 drawings Wine's fault let it finish, 30 were
// identical to the 32-bit ones and the bordered CPU meter's "5" differed in
// 2 and 3 border pixels, each a pixel off: the width itself draws the same,
// the rounding makes the rest. Where it differs:
//  - a fill's edge that lies on a pixel's sample point moves by one pixel
//    (Wine fills without antialiasing, so such a pixel is all or nothing):
//    the clock's "T" stem, a column of 14 or 15 pixels of 819 or 879
//    (1.7 %), is the most;
//  - a stretched shadow's ramp (the small bitmap drawn back `softness`
//    times larger) is sampled a fraction of a pixel elsewhere: most of its
//    pixels change, each by less than one step of the ramp from a pixel
//    next to it (the default look's shadow, softness 5: 57-64 % of its
//    pixels, at most 29 levels from a neighbour, where a step is 51).
// A colour of its own shows as a distance from every neighbour; a text
// moved or drawn otherwise shows as a share of pixels: a moved edge finds
// its value next to it as well.
struct Bound {
    int tolerance;    // levels a channel may stray from a pixel within one pixel
    double max_share; // of the pixels either drawing covers that may differ
};

constexpr Bound edges_only{0, 0.05};

Bound bound_for(const MeterRecord& record) {
    const bool stretched_shadow = record.shadow_enabled != 0 && record.shadow_softness > 1;
    if (!stretched_shadow) {
        return edges_only;
    }
    return {(255 + record.shadow_softness - 1) / record.shadow_softness, 1.0};
}

struct Difference {
    int pixels = 0;      // with any channel unlike the other drawing's
    int covered = 0;     // with any alpha in either drawing
    int max_channel = 0; // the largest difference of one channel
    // The largest, over the differing pixels, of how far a pixel is from
    // the nearest in value within one pixel of it in the other drawing.
    int max_from_neighbours = 0;
};

int channel_distance(const uint8_t* a, const uint8_t* b) {
    int largest = 0;
    for (size_t c = 0; c < 4; ++c) {
        largest = std::max(largest, std::abs(int{a[c]} - int{b[c]}));
    }
    return largest;
}

// How far the pixel of `one` at (x, y) is from the nearest in value of the
// 3 x 3 pixels of `other` around it.
int distance_from_neighbours(const png::Image& one, const png::Image& other, int x, int y) {
    const int width = static_cast<int>(one.width);
    const int height = static_cast<int>(one.height);
    const uint8_t* pixel = &one.rgba[(size_t(y) * one.width + size_t(x)) * 4];
    int nearest = 255;
    for (int ny = std::max(0, y - 1); ny <= std::min(height - 1, y + 1); ++ny) {
        for (int nx = std::max(0, x - 1); nx <= std::min(width - 1, x + 1); ++nx) {
            const uint8_t* neighbour = &other.rgba[(size_t(ny) * other.width + size_t(nx)) * 4];
            nearest = std::min(nearest, channel_distance(pixel, neighbour));
        }
    }
    return nearest;
}

// Both images of one size.
Difference difference(const png::Image& reference, const png::Image& drawn) {
    Difference found;
    for (int y = 0; y < static_cast<int>(drawn.height); ++y) {
        for (int x = 0; x < static_cast<int>(drawn.width); ++x) {
            const size_t at = (size_t(y) * drawn.width + size_t(x)) * 4;
            found.covered += reference.rgba[at + 3] != 0 || drawn.rgba[at + 3] != 0 ? 1 : 0;
            const int distance = channel_distance(&reference.rgba[at], &drawn.rgba[at]);
            if (distance == 0) {
                continue;
            }
            ++found.pixels;
            found.max_channel = std::max(found.max_channel, distance);
            // A moved edge finds its value next to it in one drawing or the
            // other: a pixel gained next to the edge, or lost inside it.
            const int from_neighbours = std::min(distance_from_neighbours(drawn, reference, x, y),
                                                 distance_from_neighbours(reference, drawn, x, y));
            found.max_from_neighbours = std::max(found.max_from_neighbours, from_neighbours);
        }
    }
    return found;
}

// A width x 1 image, transparent but for opaque pixels of `colour` at `columns`.
png::Image row_image(uint32_t width, const std::vector<int>& columns, uint8_t colour = 255) {
    png::Image image{width, 1, std::vector<uint8_t>(size_t{width} * 4)};
    for (const int x : columns) {
        const size_t at = size_t(x) * 4;
        image.rgba[at] = image.rgba[at + 1] = image.rgba[at + 2] = colour;
        image.rgba[at + 3] = 255;
    }
    return image;
}

TEST(ReferencePixels, DifferenceTellsMovedEdgesFromOtherColours) {
    struct Row {
        const char* name;
        std::vector<int> drawn;
        uint8_t colour;
        Difference expected; // pixels, covered, max_channel, max_from_neighbours
    };
    // Against a stem at columns 3, 4 and 5 of 10, in white.
    const std::vector<int> stem = {3, 4, 5};
    const Row rows[] = {
        {"the same", stem, 255, {0, 3, 0, 0}},
        {"an edge one pixel out", {3, 4, 5, 6}, 255, {1, 4, 255, 0}},
        {"an edge one pixel in", {4, 5}, 255, {1, 3, 255, 0}},
        {"two pixels over, caught by the share only", {5, 6, 7}, 255, {4, 5, 255, 0}},
        {"a hole inside", {3, 5}, 255, {1, 3, 255, 0}},
        {"a grey of its own", stem, 200, {3, 3, 55, 55}},
        {"a stray pixel, caught by the share only", {3, 4, 5, 8}, 255, {1, 4, 255, 0}},
    };
    for (const Row& row : rows) {
        const Difference found =
            difference(row_image(10, stem), row_image(10, row.drawn, row.colour));
        EXPECT_EQ(found.pixels, row.expected.pixels) << row.name;
        EXPECT_EQ(found.covered, row.expected.covered) << row.name;
        EXPECT_EQ(found.max_channel, row.expected.max_channel) << row.name;
        EXPECT_EQ(found.max_from_neighbours, row.expected.max_from_neighbours) << row.name;
    }
}

// Writes the drawing as the reference, or compares it with the reference
// within the bound; true when identical.
bool check_drawing(const std::string& name, const Surface& surface, const Bound& bound) {
    const ReferenceFolder& reference = reference_folder();
    const png::Image drawn = image_of(surface);
    const std::string path = reference.path + name + ".png";
    if (reference.mode == ReferenceMode::write) {
        const std::error_code written = png::write_file(path, drawn);
        EXPECT_FALSE(written) << path << ": " << written.message();
        return true;
    }
    png::Image expected;
    if (!png::read_file(path, expected)) {
        ADD_FAILURE() << "no reference " << path;
        return false;
    }
    if (expected.width != drawn.width || expected.height != drawn.height) {
        ADD_FAILURE() << path << " is " << expected.width << "x" << expected.height;
        return false;
    }
    const Difference found = difference(expected, drawn);
    if (found.pixels != 0) {
        std::printf("%s: %d of %d pixels differ, by at most %d in a channel and %d from a "
                    "pixel next to them\n",
                    name.c_str(), found.pixels, found.covered, found.max_channel,
                    found.max_from_neighbours);
        std::fflush(stdout);
    }
    EXPECT_LE(found.max_from_neighbours, bound.tolerance) << name;
    EXPECT_LE(found.pixels, bound.max_share * found.covered) << name;
    return found.pixels == 0;
}

TEST(ReferencePixels, ExamplesAndHostileFilesDrawAsTheReference) {
    ASSERT_NE(reference_folder().mode, ReferenceMode::none)
        << "give --reference-out DIR (write) or --reference DIR (compare)";
    const win::ScratchFolder scratch("scrivlet-x86-32-check");
    const std::vector<Case> cases = all_cases(scratch.path());
    // Two sizes of at least one value of each of the five examples, and of
    // each hostile section.
    ASSERT_GE(cases.size(), 2 * (5 + std::size(hostile_settings)));

    int drawings = 0;
    int identical = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " [" + c.section + "] value \"" + c.value + "\"");
        const Meter meter;
        ASSERT_EQ(plugin().load_settings(meter.instance(), c.ini.c_str(), c.section.c_str()), 0);
        Surface surface(c.size.width, c.size.height);
        ASSERT_EQ(meter.repaint(surface.dc(), c.value.c_str(), c.size.width, c.size.height), 0);
        EXPECT_EQ(surface.covered() > 0, c.draws) << surface.covered() << " pixels drawn";
        const Bound bound = bound_for(meter.record());
        identical += check_drawing(c.name, surface, bound) ? 1 : 0;
        ++drawings;
        if (bound.tolerance != edges_only.tolerance) {
            // The shadow's bound is loose enough to let a text one pixel off
            // pass: the same meter without it is held to the edges' bound.
            meter.record().shadow_enabled = 0;
            Surface unshadowed(c.size.width, c.size.height);
            meter.repaint(unshadowed.dc(), c.value.c_str(), c.size.width, c.size.height);
            identical += check_drawing(c.name + ".unshadowed", unshadowed, edges_only) ? 1 : 0;
            ++drawings;
        }
    }
    if (reference_folder().mode == ReferenceMode::compare) {
        std::printf("%d of %d drawings as the reference\n", identical, drawings);
    }
}

} // namespace
} // namespace scrivlet::test
