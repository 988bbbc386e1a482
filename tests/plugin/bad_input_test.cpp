// Hostile settings files and host calls, run through the exports as a host
// would: every row must return 0, finish quickly, and leave the record
// holding exactly what the file said.

#include "support/plugin.h"
#include "support/record_text.h"
#include "support/surface.h"

#include <gtest/gtest.h>

#include <chrono>
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
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "scrivlet-bad-input.ini";
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
constexpr SurfaceSize surface_sizes[] = {{0, 0}, {-5, 10}, {1, 1}, {200, 40}, {16384, 16384}};
constexpr auto repaint_limit = std::chrono::seconds(1);

TEST(BadInput, ExtremeSettingsLoadExactlyAndRepaintQuickly) {
    Surface surface(200, 40);
    for (const Row& row : rows()) {
        const std::string ini = temp_ini(row.section);
        const Meter meter(reinterpret_cast<HWND>(0x10));
        ASSERT_EQ(plugin().load_settings(meter.instance(), ini.c_str(), "Meter"), 0) << row.name;
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

} // namespace
} // namespace scrivlet::test
