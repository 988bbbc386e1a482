// The settings dialog template as compiled into Scrivlet.dll: read back from
// the module's resources and compared, header and control by control, with
// the rows the resource script was built from. Also what the dialog manager
// makes of it: the Tab order.

#include "dialog_driver.h"
#include "dialog/settings_template.h"
#include "support/plugin.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace scrivlet::test {
namespace {

constexpr WORD template_language = MAKELANGID(SETTINGS_LANGUAGE, SETTINGS_SUBLANGUAGE);
constexpr DWORD child = WS_CHILD | WS_VISIBLE;

struct Control {
    DWORD id;
    uint16_t class_atom;
    const char* caption;
    short x, y, cx, cy;
    DWORD style; // besides WS_CHILD | WS_VISIBLE
    DWORD ex_style;
};

#define EXPECTED_CONTROL(caption, id, class_atom, style, x, y, cx, cy, ex_style)                   \
    {static_cast<DWORD>(id),    class_atom, caption, x, y, cx, cy,                                 \
     static_cast<DWORD>(style), ex_style},
// In template order: what the resource script was given.
constexpr Control expected_controls[] = {SETTINGS_CONTROLS(EXPECTED_CONTROL)};
#undef EXPECTED_CONTROL

// Reads the little-endian fields of a resource, refusing to run past its end.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool ok() const { return ok_; }
    size_t offset() const { return at_; }
    size_t size() const { return size_; }

    uint8_t byte() { return static_cast<uint8_t>(take(1)); }
    uint16_t word() { return static_cast<uint16_t>(take(2)); }
    uint32_t dword() { return static_cast<uint32_t>(take(4)); }
    int16_t coordinate() { return static_cast<int16_t>(word()); }

    // A name or ordinal field: "" for none, "#n" for an ordinal, else the
    // text (the template's texts are all ASCII).
    std::string name_or_ordinal(bool* is_ordinal = nullptr) {
        const uint16_t first = word();
        if (is_ordinal != nullptr) {
            *is_ordinal = first == 0xFFFF;
        }
        if (first == 0xFFFF) {
            return "#" + std::to_string(word());
        }
        std::string text;
        for (uint16_t unit = first; ok_ && unit != 0; unit = word()) {
            text += unit < 0x80 ? static_cast<char>(unit) : '?';
        }
        return text;
    }

    void align_dword() {
        while (ok_ && at_ % 4 != 0 && at_ < size_) {
            ++at_;
        }
    }

    void skip(size_t count) { take_bytes(count); }

private:
    uint32_t take(size_t count) {
        uint32_t value = 0;
        if (!take_bytes(count)) {
            return 0;
        }
        for (size_t i = 0; i < count; ++i) {
            value |= static_cast<uint32_t>(data_[at_ - count + i]) << (8 * i);
        }
        return value;
    }

    bool take_bytes(size_t count) {
        if (!ok_ || size_ - at_ < count) {
            ok_ = false;
            return false;
        }
        at_ += count;
        return true;
    }

    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
    bool ok_ = true;
};

struct TemplateBytes {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

TemplateBytes settings_resource() {
    const HMODULE module = plugin_module();
    const HRSRC found =
        FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(IDD_SETTINGS), template_language);
    if (found == nullptr) {
        return {};
    }
    const HGLOBAL loaded = LoadResource(module, found);
    return {static_cast<const uint8_t*>(LockResource(loaded)),
            static_cast<size_t>(SizeofResource(module, found))};
}

BOOL CALLBACK collect_language(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR list) {
    reinterpret_cast<std::vector<WORD>*>(list)->push_back(language);
    return TRUE;
}

TEST(DialogTemplate, OnlyInFinnish) {
    std::vector<WORD> languages;
    EnumResourceLanguagesA(plugin_module(), RT_DIALOG, MAKEINTRESOURCEA(IDD_SETTINGS),
                           collect_language, reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(languages, std::vector<WORD>{1035});
}

TEST(DialogTemplate, HeaderAndEveryControlInOrder) {
    const TemplateBytes bytes = settings_resource();
    ASSERT_NE(bytes.data, nullptr) << "no dialog 2006 in language 1035";
    Reader in(bytes.data, bytes.size);

    EXPECT_EQ(in.word(), 1) << "template version";
    EXPECT_EQ(in.word(), 0xFFFF) << "extended template signature";
    EXPECT_EQ(in.dword(), 0u) << "help id";
    EXPECT_EQ(in.dword(), 0u) << "extended style";
    const DWORD style = in.dword();
    EXPECT_EQ(style, 0x80C808C0u);
    EXPECT_EQ(style, static_cast<DWORD>(SETTINGS_STYLE));
    const uint16_t count = in.word();
    EXPECT_EQ(count, std::size(expected_controls));
    EXPECT_EQ(in.coordinate(), 0);
    EXPECT_EQ(in.coordinate(), 0);
    EXPECT_EQ(in.coordinate(), SETTINGS_WIDTH);
    EXPECT_EQ(in.coordinate(), SETTINGS_HEIGHT);
    EXPECT_EQ(in.name_or_ordinal(), "") << "menu";
    EXPECT_EQ(in.name_or_ordinal(), "") << "window class";
    EXPECT_EQ(in.name_or_ordinal(), SETTINGS_CAPTION);
    EXPECT_EQ(in.word(), SETTINGS_FONT_POINTS) << "point size";
    EXPECT_EQ(in.word(), SETTINGS_FONT_WEIGHT) << "weight";
    EXPECT_EQ(in.byte(), 0) << "italic";
    EXPECT_EQ(in.byte(), 0) << "character set";
    EXPECT_EQ(in.name_or_ordinal(), SETTINGS_FONT_FACE);
    ASSERT_TRUE(in.ok()) << "header runs past the resource";

    for (size_t i = 0; i < count && in.ok(); ++i) {
        in.align_dword();
        const DWORD help_id = in.dword();
        const DWORD ex_style = in.dword();
        const DWORD control_style = in.dword();
        const short x = in.coordinate(), y = in.coordinate();
        const short cx = in.coordinate(), cy = in.coordinate();
        const DWORD id = in.dword();
        bool class_is_atom = false;
        const std::string control_class = in.name_or_ordinal(&class_is_atom);
        const std::string caption = in.name_or_ordinal();
        const uint16_t extra = in.word();
        in.skip(extra);
        ASSERT_TRUE(in.ok()) << "control #" << i + 1 << " runs past the resource";
        if (i >= std::size(expected_controls)) {
            continue;
        }
        const Control& e = expected_controls[i];
        const std::string where = "control #" + std::to_string(i + 1) + " (\"" + e.caption +
                                  "\" id " + std::to_string(e.id) + ")";
        EXPECT_EQ(id, e.id) << where;
        EXPECT_TRUE(class_is_atom) << where << ": class as the predefined atom";
        EXPECT_EQ(control_class, "#" + std::to_string(e.class_atom)) << where;
        EXPECT_EQ(caption, e.caption) << where;
        EXPECT_EQ(x, e.x) << where;
        EXPECT_EQ(y, e.y) << where;
        EXPECT_EQ(cx, e.cx) << where;
        EXPECT_EQ(cy, e.cy) << where;
        EXPECT_EQ(control_style, child | e.style)
            << where << std::hex << ": style 0x" << control_style << " expected 0x"
            << (child | e.style);
        EXPECT_EQ(ex_style, e.ex_style) << where;
        EXPECT_EQ(help_id, 0u) << where;
        EXPECT_EQ(extra, 0u) << where << ": creation data";
    }
    in.align_dword();
    EXPECT_EQ(in.offset(), in.size()) << "bytes after the last control";
}

// The alignment buttons carry no tab stop in the template, but the platform
// gives a checked radio button one when it is checked, so the checked button
// joins the Tab order at its place in the template.
TEST(DialogTemplate, TabVisitsTheTabStopsInTemplateOrder) {
    struct Case {
        int32_t alignment;
        std::vector<int> order;
    };
    const Case cases[] = {
        {9, {1,    2,    2003, 2016, 2023, 2029, 2043, 2044, 2045, 2046, 2047, 2048,
             2057, 2030, 2034, 2035, 2059, 2060, 2064, 2065, 2066, 2069, 1}},
        {0, {1,    2,    2003, 2016, 2023, 2029, 2020, 2043, 2044, 2045, 2046, 2047,
             2048, 2057, 2030, 2034, 2035, 2059, 2060, 2064, 2065, 2066, 2069, 1}},
        {8, {1,    2,    2003, 2016, 2023, 2029, 2031, 2043, 2044, 2045, 2046, 2047,
             2048, 2057, 2030, 2034, 2035, 2059, 2060, 2064, 2065, 2066, 2069, 1}},
    };
    const HostWindow host;
    const Meter meter(host.handle());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alignment);
        meter.record().alignment = c.alignment;
        std::vector<int> visited;
        drive_dialog([&] { plugin().vis_configure(meter.instance()); },
                     [&] {
                         const HWND dialog = wait_for_dialog(settings_caption);
                         ASSERT_NE(dialog, nullptr);
                         HWND item = GetDlgItem(dialog, IDOK);
                         visited.push_back(GetDlgCtrlID(item));
                         for (size_t i = 1; i < c.order.size(); ++i) {
                             item = GetNextDlgTabItem(dialog, item, FALSE);
                             visited.push_back(GetDlgCtrlID(item));
                         }
                         click(dialog, IDCANCEL);
                     });
        EXPECT_EQ(visited, c.order);
    }
}

} // namespace
} // namespace scrivlet::test
