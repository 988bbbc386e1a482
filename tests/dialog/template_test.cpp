// The settings dialog template as compiled into Scrivlet.dll: read back from
// the module's resources and compared, header and control by control, with
// the table below. Also what the dialog manager makes of it: the Tab order.

#include "dialog_driver.h"
#include "support/plugin.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace scrivlet::test {
namespace {

constexpr WORD finnish = MAKELANGID(LANG_FINNISH, SUBLANG_DEFAULT);
constexpr int settings_template = 2006;
constexpr DWORD child = WS_CHILD | WS_VISIBLE;
constexpr DWORD number_edit = ES_LEFT | ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD offset_edit = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD align_button = BS_RADIOBUTTON | BS_PUSHLIKE;
constexpr DWORD push_check = BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_MULTILINE | WS_TABSTOP;
constexpr DWORD label = SS_LEFT | WS_GROUP;
constexpr DWORD legend = SS_LEFTNOWORDWRAP | WS_GROUP;
constexpr DWORD no_id = 0xFFFFFFFF;

struct Control {
    DWORD id;
    std::string class_name;
    std::string caption;
    short x, y, cx, cy;
    DWORD style; // besides WS_CHILD | WS_VISIBLE
    DWORD ex_style;
};

// In template order.
const std::vector<Control> expected_controls = {
    {1, "BUTTON", "OK", 78, 168, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
    {2, "BUTTON", "Cancel", 141, 168, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, 0},
    {2003, "EDIT", "", 12, 144, 24, 12, number_edit, 0},
    {no_id, "BUTTON", "Align", 138, 42, 48, 54, BS_GROUPBOX, 0},
    {2016, "BUTTON", "Color", 234, 79, 24, 12, BS_PUSHBUTTON | WS_TABSTOP, 0},
    {2023, "BUTTON", "Color", 234, 145, 24, 12, BS_PUSHBUTTON | WS_TABSTOP, 0},
    {2029, "EDIT", "", 204, 79, 24, 12, number_edit, 0},
    {no_id, "BUTTON", "", 138, 96, 126, 66, BS_GROUPBOX, 0},
    {no_id, "BUTTON", "Font", 138, 0, 126, 96, BS_GROUPBOX, 0},
    {2020, "BUTTON", "", 144, 54, 12, 12, align_button | BS_CENTER, 0},
    {2024, "BUTTON", "", 168, 54, 12, 12, align_button | BS_LEFTTEXT, 0},
    {2025, "BUTTON", "^", 156, 54, 12, 12, align_button, 0},
    {2021, "BUTTON", "<", 144, 66, 12, 12, align_button, 0},
    {2026, "BUTTON", "", 156, 66, 12, 12, align_button, 0},
    {2027, "BUTTON", ">", 168, 66, 12, 12, align_button | BS_LEFTTEXT | BS_BOTTOM, 0},
    {2022, "BUTTON", "", 144, 78, 12, 12, align_button, 0},
    {2028, "BUTTON", "v", 156, 78, 12, 12, align_button, 0},
    {2031, "BUTTON", "", 168, 78, 12, 12, align_button | BS_LEFTTEXT, 0},
    {2043, "EDIT", "", 192, 114, 24, 12, number_edit, 0},
    {2044, "BUTTON", "Outline", 12, 96, 42, 12, BS_AUTOCHECKBOX | BS_TOP | WS_TABSTOP,
     WS_EX_TRANSPARENT},
    {2045, "BUTTON", "Shadow", 144, 96, 42, 12, BS_AUTOCHECKBOX | BS_TOP | WS_TABSTOP, 0},
    {no_id, "STATIC", "Softness", 192, 104, 30, 8, label, 0},
    {no_id, "STATIC", "Size", 12, 132, 24, 8, label | SS_CENTERIMAGE, 0},
    {2046, "BUTTON", "Font", 234, 12, 25, 13, BS_PUSHBUTTON | WS_TABSTOP, 0},
    {2047, "BUTTON", "U", 234, 30, 12, 12, push_check, 0},
    {2048, "BUTTON", "S", 246, 30, 12, 12, push_check, 0},
    {no_id, "STATIC", "Position", 144, 116, 30, 8, label, 0},
    {no_id, "STATIC", "X", 144, 126, 12, 8, label, 0},
    {no_id, "STATIC", "Y", 144, 145, 12, 8, label, 0},
    {2057, "EDIT", "", 234, 114, 24, 12, number_edit, 0},
    {2030, "EDIT", "", 204, 145, 24, 12, number_edit, 0},
    {no_id, "STATIC", "Size", 234, 104, 24, 8, label | SS_CENTERIMAGE, 0},
    {2034, "BUTTON", "Color", 102, 144, 24, 12, BS_PUSHBUTTON | WS_TABSTOP, 0},
    {2035, "EDIT", "", 72, 144, 24, 12, number_edit, 0},
    {no_id, "STATIC", "Alpha", 204, 68, 24, 8, label, WS_EX_TRANSPARENT},
    {no_id, "STATIC", "Color", 234, 68, 24, 8, label, WS_EX_TRANSPARENT},
    {no_id, "STATIC", "Alpha", 204, 134, 24, 8, label, WS_EX_TRANSPARENT},
    {no_id, "STATIC", "Color", 234, 134, 24, 8, label, WS_EX_TRANSPARENT},
    {no_id, "STATIC", "Alpha", 72, 132, 24, 8, label, WS_EX_TRANSPARENT},
    {no_id, "STATIC", "Color", 102, 132, 24, 8, label, WS_EX_TRANSPARENT},
    {2059, "EDIT", "", 156, 126, 18, 12, offset_edit, 0},
    {2060, "EDIT", "", 156, 145, 18, 12, offset_edit, 0},
    {no_id, "BUTTON", "", 198, 60, 66, 36, BS_GROUPBOX, 0},
    {2063, "EDIT", "", 144, 12, 84, 12, ES_RIGHT | ES_READONLY | WS_DISABLED | WS_TABSTOP,
     WS_EX_TRANSPARENT},
    {2064, "EDIT", "", 12, 12, 114, 48,
     ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0},
    {no_id, "BUTTON", "Text", 6, 0, 126, 96, BS_GROUPBOX, WS_EX_TRANSPARENT},
    {2065, "EDIT", "", 102, 75, 24, 12, number_edit, 0},
    {no_id, "STATIC", "# of desimals:", 78, 66, 48, 8, label, WS_EX_RIGHT | WS_EX_TRANSPARENT},
    {no_id, "STATIC", "Meter Value: %v", 12, 66, 60, 8, legend, WS_EX_TRANSPARENT},
    {no_id, "STATIC", "Break Line: %b", 12, 74, 60, 8, legend, WS_EX_TRANSPARENT},
    {no_id, "STATIC", "Tab: %tab", 12, 82, 60, 8, legend, WS_EX_TRANSPARENT},
    {2066, "EDIT", "", 234, 48, 24, 12, number_edit, 0},
    {no_id, "STATIC", "tab width:", 198, 48, 36, 8, label, WS_EX_TRANSPARENT},
    {2069, "BUTTON", "", 216, 30, 12, 12, BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_TABSTOP, 0},
    {no_id, "STATIC", "AntiAlias", 186, 30, 30, 8, label, WS_EX_TRANSPARENT},
    {no_id, "BUTTON", "", 6, 96, 126, 66, BS_GROUPBOX, 0},
    {no_id, "BUTTON", "", 66, 126, 66, 36, BS_GROUPBOX, 0},
    {no_id, "BUTTON", "", 198, 126, 66, 36, BS_GROUPBOX, 0},
};

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

std::string class_name(const std::string& field, bool is_ordinal) {
    if (!is_ordinal) {
        return field;
    }
    if (field == "#128") {
        return "BUTTON";
    }
    if (field == "#129") {
        return "EDIT";
    }
    if (field == "#130") {
        return "STATIC";
    }
    return field;
}

struct TemplateBytes {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

TemplateBytes settings_resource() {
    const HMODULE module = plugin_module();
    const HRSRC found =
        FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(settings_template), finnish);
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
    EnumResourceLanguagesA(plugin_module(), RT_DIALOG, MAKEINTRESOURCEA(settings_template),
                           collect_language, reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(languages, std::vector<WORD>{1035});
    EXPECT_EQ(finnish, 1035);
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
    EXPECT_EQ(style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME |
                                        DS_CENTER | DS_SETFONT));
    const uint16_t count = in.word();
    EXPECT_EQ(count, expected_controls.size());
    EXPECT_EQ(in.coordinate(), 0);
    EXPECT_EQ(in.coordinate(), 0);
    EXPECT_EQ(in.coordinate(), 268);
    EXPECT_EQ(in.coordinate(), 190);
    EXPECT_EQ(in.name_or_ordinal(), "") << "menu";
    EXPECT_EQ(in.name_or_ordinal(), "") << "window class";
    EXPECT_EQ(in.name_or_ordinal(), "Settings");
    EXPECT_EQ(in.word(), 8) << "point size";
    EXPECT_EQ(in.word(), 400) << "weight";
    EXPECT_EQ(in.byte(), 0) << "italic";
    EXPECT_EQ(in.byte(), 0) << "character set";
    EXPECT_EQ(in.name_or_ordinal(), "Tahoma");
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
        const std::string class_field = in.name_or_ordinal(&class_is_atom);
        const std::string control_class = class_name(class_field, class_is_atom);
        const std::string caption = in.name_or_ordinal();
        const uint16_t extra = in.word();
        in.skip(extra);
        ASSERT_TRUE(in.ok()) << "control #" << i + 1 << " runs past the resource";
        if (i >= expected_controls.size()) {
            continue;
        }
        const Control& e = expected_controls[i];
        const std::string where = "control #" + std::to_string(i + 1) + " (" + e.class_name +
                                  " \"" + e.caption + "\" id " + std::to_string(e.id) + ")";
        EXPECT_EQ(id, e.id) << where;
        EXPECT_EQ(control_class, e.class_name) << where;
        EXPECT_TRUE(class_is_atom) << where << ": class as the predefined atom";
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
                         const HWND dialog = wait_for_dialog("Settings");
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
