// Hostile settings files and host calls, run through the exports as a host
// would: every row must return 0, finish quickly, and leave the record
// holding exactly what the file said.

#include "support/plugin.h"
#include "support/record_text.h"
#include "support/surface.h"
#include "common/win/paths.h"

#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <climits>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace scrivlet::test {
namespace {

using Change = std::function<void(MeterRecord&)>;

struct Row {
    const char* name;
    std::string section; // the keys, one "key=value" per line
    Change expected;     // from a record loaded from an empty section
};

std::string temp_ini(const std::string& body) {
    // A new name each time: the profile functions cache a file by name and
    // time, and two rows written within one tick would read the same one.
    static int made = 0;
    const std::string path = win::temp_folder() + "scrivlet-bad-input-" +
                             std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++made) +
                             ".ini";
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << "[Meter]\r\n" << body;
    return path;
}

// What load_settings makes of an empty section.
MeterRecord loaded_defaults(HWND owner) {
    MeterRecord record = make_default_record(owner);
    record.font_size = 16;
    record.border_enabled = 0;
    return record;
}

std::string n(long long value) {
    return std::to_string(value);
}

std::vector<Row> rows() {
    std::vector<Row> table;
    for (long long size : std::initializer_list<long long>{0LL, -5LL, 1000LL, INT_MAX}) {
        table.push_back({"font size", "Scrivlet_FontSettings=0,0," + n(size) + ",0,0,0,30,1\r\n",
                         [size](MeterRecord& r) { r.font_size = static_cast<int32_t>(size); }});
    }
    for (long long width : std::initializer_list<long long>{0LL, -7LL, INT_MIN, INT_MAX}) {
        table.push_back({"border width", "Scrivlet_BorderSettings=1," + n(width) + "\r\n",
                         [width](MeterRecord& r) {
                             r.border_enabled = 1;
                             r.border_width = static_cast<int32_t>(width);
                         }});
    }
    for (long long size : std::initializer_list<long long>{0LL, -5LL, INT_MIN, INT_MAX}) {
        table.push_back({"shadow size", "Scrivlet_ShadowSettings=1," + n(size) + ",1,0,0\r\n",
                         [size](MeterRecord& r) {
                             r.shadow_enabled = 1;
                             r.shadow_size = static_cast<int32_t>(size);
                             r.shadow_softness = 1;
                         }});
    }
    for (long long softness : std::initializer_list<long long>{0LL, -3LL, INT_MIN, INT_MAX}) {
        table.push_back({"shadow softness",
                         "Scrivlet_ShadowSettings=1,5," + n(softness) + ",0,0\r\n",
                         [softness](MeterRecord& r) {
                             r.shadow_enabled = 1;
                             r.shadow_softness = static_cast<int32_t>(softness);
                         }});
    }
    for (long long offset : std::initializer_list<long long>{-1LL, INT_MIN, INT_MAX}) {
        table.push_back({"shadow offsets",
                         "Scrivlet_ShadowSettings=1,5,1," + n(offset) + "," + n(offset) +
                             "\r\n"
                             "Scrivlet_BorderSettings=1,1\r\n",
                         [offset](MeterRecord& r) {
                             r.shadow_enabled = 1;
                             r.shadow_softness = 1;
                             r.border_enabled = 1;
                             r.shadow_offset_x = r.shadow_offset_y = static_cast<int32_t>(offset);
                         }});
    }
    for (long long tab : std::initializer_list<long long>{0LL, -1LL, INT_MIN, INT_MAX}) {
        table.push_back({"tab width",
                         "Scrivlet_FontSettings=0,0,16,0,0,0," + n(tab) +
                             ",1\r\n"
                             "Scrivlet_Text=a%tabb%tab%v\r\n",
                         [tab](MeterRecord& r) {
                             r.tab_width = static_cast<int32_t>(tab);
                             r.text_template = "a%tabb%tab%v";
                         }});
    }
    for (long long decimals : std::initializer_list<long long>{-1LL, INT_MIN, INT_MAX, 400LL}) {
        table.push_back(
            {"decimals", "Scrivlet_FontSettings=0,0,16,0,0," + n(decimals) + ",30,1\r\n",
             [decimals](MeterRecord& r) { r.decimals = static_cast<int32_t>(decimals); }});
    }
    for (long long alignment : std::initializer_list<long long>{-1LL, 9LL, INT_MIN, INT_MAX}) {
        // Out of range: drawn top left, and repaint writes 0 back.
        table.push_back({"alignment",
                         "Scrivlet_FontSettings=0,0,16,0," + n(alignment) + ",0,30,1\r\n",
                         [](MeterRecord& r) { r.alignment = 0; }});
    }
    table.push_back(
        {"colours out of range",
         "Scrivlet_FontColor=-1,256,2147483647,99999999999\r\n"
         "Scrivlet_BorderColor=256,-1,0,0\r\nScrivlet_BorderSettings=1,2\r\n"
         "Scrivlet_ShadowColor=2147483647,1,2,3\r\nScrivlet_ShadowSettings=1,4,2,1,1\r\n",
         [](MeterRecord& r) {
             r.font_alpha = -1;
             r.font_red = 256;
             r.font_green = INT_MAX;
             r.font_blue = INT_MAX; // saturated
             r.border_alpha = 256;
             r.border_red = -1;
             r.border_enabled = 1;
             r.border_width = 2;
             r.shadow_alpha = INT_MAX;
             r.shadow_red = 1;
             r.shadow_green = 2;
             r.shadow_blue = 3;
             r.shadow_enabled = 1;
             r.shadow_size = 4;
             r.shadow_softness = 2;
             r.shadow_offset_x = r.shadow_offset_y = 1;
         }});
    table.push_back(
        {"empty face", "Scrivlet_Font=\r\nScrivlet_BorderSettings=1,1\r\n", [](MeterRecord& r) {
             r.log_font.lfFaceName[0] = '\0';
             r.border_enabled = 1;
         }});
    const std::string high_bytes(31, '\xC4');
    table.push_back({"face of 31 non-ASCII bytes", "Scrivlet_Font=" + high_bytes + "\r\n",
                     [high_bytes](MeterRecord& r) {
                         std::memcpy(r.log_font.lfFaceName, high_bytes.data(), 31);
                         r.log_font.lfFaceName[31] = '\0';
                     }});
    std::string huge(1 << 20, 'x');
    for (size_t i = 0; i < huge.size(); i += 97) {
        huge.replace(i, 2, "%v");
    }
    table.push_back({"template of 1 MiB",
                     "Scrivlet_Text=" + huge +
                         "\r\nScrivlet_BorderSettings=1,1\r\n"
                         "Scrivlet_ShadowSettings=1,5,5,2,2\r\n",
                     [huge](MeterRecord& r) {
                         r.text_template = huge;
                         r.border_enabled = 1;
                         r.shadow_enabled = 1;
                         r.shadow_offset_x = r.shadow_offset_y = 2;
                     }});
    return table;
}

struct SurfaceSize {
    int width, height;
};
// The largest surface a host may claim. In a 32-bit process its pass bitmaps
// (1 GiB each) cannot be made, and the repaint goes on without them. A 64-bit
// process makes them, and Wine's GDI+ then spends 11 to 22 s a repaint on them
// (minutes and gigabytes with a bordered 1 MiB template): there the side just
// past the plug-in's own bound, for which it makes no pass bitmap, is the
// counterpart.
#ifdef _WIN64
constexpr int largest_claimed_side = 16385;
#else
constexpr int largest_claimed_side = 16384;
#endif
constexpr SurfaceSize surface_sizes[] = {
    {0, 0}, {-5, 10}, {1, 1}, {200, 40}, {largest_claimed_side, largest_claimed_side}};
// Only a hang trips this: a repaint here takes milliseconds, and a loaded
// machine must not turn that into a failure.
constexpr auto repaint_limit = std::chrono::seconds(10);

TEST(BadInput, ExtremeSettingsLoadExactlyAndRepaintQuickly) {
    Surface surface(200, 40);
    for (const Row& row : rows()) {
        const std::string ini = temp_ini(row.section);
        const Meter meter(reinterpret_cast<HWND>(0x10));
        ASSERT_EQ(plugin().load_settings(meter.instance(), ini.c_str(), "Meter"), 0) << row.name;
        DeleteFileA(ini.c_str());
        MeterRecord expected = loaded_defaults(reinterpret_cast<HWND>(0x10));
        for (const SurfaceSize& size : surface_sizes) {
            const auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(meter.repaint(surface.dc(), "-123.456", size.width, size.height), 0);
            const auto took = std::chrono::steady_clock::now() - start;
            EXPECT_LT(took, repaint_limit)
                << row.name << " at " << size.width << "x" << size.height << " took "
                << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";
        }
        row.expected(expected);
        EXPECT_EQ(record_lines(meter.record()), record_lines(expected))
            << row.name << "\n"
            << row.section.substr(0, 200);
    }
}

TEST(BadInput, HostCallsWithOddSizesAndValues) {
    Surface surface(64, 16);
    const Meter meter;
    meter.record().shadow_enabled = 1;
    const MeterRecord before = meter.record();
    const char* values[] = {
        nullptr, "", "-", ".", "1e308", "9999999999999999999999999999999999", "\xFF\xFE%b%tab%v",
        "--5"};
    for (const SurfaceSize& size : surface_sizes) {
        for (const char* value : values) {
            const auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(meter.repaint(surface.dc(), value, size.width, size.height), 0);
            EXPECT_LT(std::chrono::steady_clock::now() - start, repaint_limit)
                << size.width << "x" << size.height;
        }
    }
    EXPECT_EQ(record_lines(meter.record()), record_lines(before));
    // A device context that is no device context at all.
    EXPECT_EQ(meter.repaint(nullptr, "1", 64, 16), 0);
    EXPECT_EQ(meter.repaint(reinterpret_cast<HDC>(0x1234), "1", 64, 16), 0);
    EXPECT_EQ(record_lines(meter.record()), record_lines(before));
}

// The files that crashed or held the host. Each draws nothing, however the
// surface looked before, and the record holds what the file said.
TEST(BadInput, GeometryThatCannotShowDrawsNothing) {
    struct Case {
        const char* name;
        std::string section;
        int width, height;
        Change expected;
    };
    const Case cases[] = {
        {"a shadow offset pushes the text off", "Scrivlet_ShadowSettings=1,5,0,0,-141639757\r\n",
         200, 40,
         [](MeterRecord& r) {
             r.shadow_enabled = 1;
             r.shadow_softness = 0;
             r.shadow_offset_y = -141639757;
         }},
        {"em 65536 and a negative shadow size on one pixel",
         "Scrivlet_FontSettings=0,0,65536,0,7,200,30,1\r\n"
         "Scrivlet_ShadowSettings=1,-2147483648,5,0,0\r\n",
         1, 1,
         [](MeterRecord& r) {
             r.font_size = 65536;
             r.alignment = 7;
             r.decimals = 200;
             r.shadow_enabled = 1;
             r.shadow_size = INT_MIN;
         }},
        {"em 60000 on a small meter",
         "Scrivlet_FontSettings=0,0,60000,0,0,0,30,1\r\nScrivlet_Text=CPU %v %\r\n"
         "Scrivlet_BorderSettings=1,1\r\n",
         37, 13,
         [](MeterRecord& r) {
             r.font_size = 60000;
             r.text_template = "CPU %v %";
             r.border_enabled = 1;
         }},
        {"a shadow offset of INT_MAX takes 2^31 off the height",
         "Scrivlet_ShadowSettings=1,5,5,0,2147483647\r\n", 200, 40,
         [](MeterRecord& r) {
             r.shadow_enabled = 1;
             r.shadow_offset_y = INT_MAX;
         }},
        {"a negative shadow size widens the rectangle by 2^30",
         "Scrivlet_ShadowSettings=1,-2147483648,1,0,0\r\nScrivlet_FontSettings=0,0,16,0,4,0,30,"
         "1\r\n",
         200, 40,
         [](MeterRecord& r) {
             r.shadow_enabled = 1;
             r.shadow_size = INT_MIN;
             r.shadow_softness = 1;
             r.alignment = 4;
         }},
    };
    for (const Case& c : cases) {
        const std::string ini = temp_ini(c.section);
        const Meter meter(reinterpret_cast<HWND>(0x10));
        ASSERT_EQ(plugin().load_settings(meter.instance(), ini.c_str(), "Meter"), 0) << c.name;
        DeleteFileA(ini.c_str());
        MeterRecord expected = loaded_defaults(reinterpret_cast<HWND>(0x10));
        c.expected(expected);
        Surface surface(c.width, c.height);
        surface.fill(Pixel{10, 20, 30, 255});
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(meter.repaint(surface.dc(), "42", c.width, c.height), 0) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, repaint_limit) << c.name;
        EXPECT_EQ(surface.covered(), 0) << c.name;
        EXPECT_EQ(record_lines(meter.record()), record_lines(expected)) << c.name;
    }
}

// A host may hand over sizes no surface has; the pass bitmaps would be sized
// from them. Nothing lands on the real surface and nothing is held.
TEST(BadInput, SidesBeyondAnySurfaceDrawNothing) {
    Surface surface(200, 40);
    const Meter meter;
    meter.record().shadow_enabled = 1;
    meter.record().shadow_softness = 1;
    meter.record().border_enabled = 1;
    for (const SurfaceSize& size : {SurfaceSize{65536, 65536}, SurfaceSize{40000, 30000}}) {
        surface.fill(Pixel{10, 20, 30, 255});
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(meter.repaint(surface.dc(), "42", size.width, size.height), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - start, repaint_limit) << size.width;
        EXPECT_EQ(surface.covered(), 0) << size.width << "x" << size.height;
    }
}

// Device contexts with no resolution: a metafile, one already deleted, one
// released, a handle that is none. With the border on and the text top
// centre or middle left these once overflowed the stack or took seconds.
TEST(BadInput, DeviceContextsWithoutResolutionDrawNothing) {
    const Meter meter;
    meter.record().border_enabled = 1;
    HDC metafile = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    HDC deleted = CreateCompatibleDC(nullptr);
    DeleteDC(deleted);
    HDC released = GetDC(nullptr);
    ReleaseDC(nullptr, released);
    const HDC contexts[] = {metafile, deleted, released, reinterpret_cast<HDC>(0x5A5A5A5A)};
    for (int32_t alignment : {1, 3}) {
        meter.record().alignment = alignment;
        for (HDC dc : contexts) {
            const auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(meter.repaint(dc, "42", 200, 40), 0);
            EXPECT_LT(std::chrono::steady_clock::now() - start, repaint_limit) << alignment;
            EXPECT_EQ(meter.record().alignment, alignment);
        }
    }
    DeleteEnhMetaFile(CloseEnhMetaFile(metafile));
}

// The highest memory use so far: Wine keeps no peak of committed memory (it
// moves with the current value), but does keep the working set's.
size_t peak_memory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return std::max(counters.PeakPagefileUsage, counters.PeakWorkingSetSize);
}

// A template of placeholders and a value of hundreds of digits once built
// the whole expansion, hundreds of megabytes, before cutting it to what can
// show. The peak of a process only rises, so this runs in one of its own
// (a CTest entry of its own sets the variable).
TEST(BadInputMemory, ValuesOfAHugeTemplateAreNotAllBuilt) {
    if (std::getenv("SCRIVLET_FRESH_PROCESS") == nullptr) {
        GTEST_SKIP() << "runs in a process of its own";
    }
    Surface surface(200, 40);
    const Meter meter;
    meter.record().decimals = INT_MAX;
    meter.repaint(surface.dc(), "42", 200, 40); // the library's own first-use allocations
    constexpr size_t mib = 1 << 20;
    for (size_t template_size : {mib, 8 * mib}) {
        std::string of_values;
        while (of_values.size() < template_size) {
            of_values += "%v";
        }
        meter.record().text_template = of_values;
        const size_t before = peak_memory();
        EXPECT_EQ(meter.repaint(surface.dc(), "42", 200, 40), 0);
        const size_t grown = peak_memory() - before;
        // The template is in the record already; what may be added is the
        // drawable text and the library's work on it.
        EXPECT_LT(grown, 8 * mib) << template_size << ": " << grown / 1024 << " KiB";
        EXPECT_GT(surface.covered(), 0) << template_size;
    }
}

} // namespace
} // namespace scrivlet::test
