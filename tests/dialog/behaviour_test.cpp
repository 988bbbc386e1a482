// The settings dialog as a host meets it: vis_configure of Scrivlet.dll opens
// the real dialog over the host's window on this thread, and a second thread
// types, clicks and reads like a user.

#include "dialog/dialog_ids.h"
#include "dialog_driver.h"
#include "support/plugin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace scrivlet::test {
namespace {

const int alignment_buttons[] = {
    IDC_ALIGN_TOP_LEFT,    IDC_ALIGN_TOP_CENTRE,    IDC_ALIGN_TOP_RIGHT,
    IDC_ALIGN_MIDDLE_LEFT, IDC_ALIGN_CENTRE,        IDC_ALIGN_MIDDLE_RIGHT,
    IDC_ALIGN_BOTTOM_LEFT, IDC_ALIGN_BOTTOM_CENTRE, IDC_ALIGN_BOTTOM_RIGHT,
};

const int check_boxes[] = {IDC_BORDER_ENABLED, IDC_SHADOW_ENABLED, IDC_UNDERLINE, IDC_STRIKEOUT,
                           IDC_ANTIALIAS};

struct Typed {
    int control;
    std::string text;
};

class SettingsDialog : public ::testing::Test {
protected:
    MeterRecord& record() const { return meter.record(); }

    // Opens the dialog through vis_configure and hands it to `drive`.
    void run(const std::function<void(HWND)>& drive) {
        configure_and_drive(meter.instance(), drive);
    }

    HostWindow host;
    Meter meter{host.handle()};
};

std::vector<int> checked_of(HWND dialog, const int* ids, size_t count) {
    std::vector<int> checked;
    for (size_t i = 0; i < count; ++i) {
        if (is_checked(dialog, ids[i])) {
            checked.push_back(ids[i]);
        }
    }
    return checked;
}

std::vector<int> checked_alignment(HWND dialog) {
    return checked_of(dialog, alignment_buttons, std::size(alignment_buttons));
}

std::vector<int> checked_boxes(HWND dialog) {
    return checked_of(dialog, check_boxes, std::size(check_boxes));
}

TEST_F(SettingsDialog, OpensShowingTheRecord) {
    struct Case {
        const char* name;
        std::function<void(MeterRecord&)> prepare;
        std::vector<Typed> shown;
        std::vector<int> boxes;
        std::vector<int> alignment;
    };
    const Case cases[] = {
        {"defaults",
         [](MeterRecord&) {},
         {{IDC_FONT_LABEL, "Arial, 14pt"},
          {IDC_TEXT_TEMPLATE, "%v"},
          {IDC_BORDER_WIDTH, "1"},
          {IDC_FONT_ALPHA, "255"},
          {IDC_SHADOW_ALPHA, "255"},
          {IDC_BORDER_ALPHA, "255"},
          {IDC_SHADOW_SOFTNESS, "5"},
          {IDC_SHADOW_SIZE, "5"},
          {IDC_SHADOW_OFFSET_X, "0"},
          {IDC_SHADOW_OFFSET_Y, "0"},
          {IDC_DECIMALS, "0"},
          {IDC_TAB_WIDTH, "30"}},
         {IDC_BORDER_ENABLED, IDC_ANTIALIAS},
         {IDC_ALIGN_TOP_LEFT}},
        {"every field changed",
         [](MeterRecord& r) {
             lstrcpyA(r.log_font.lfFaceName, "Liberation Mono");
             r.font_size = 22;
             r.text_template = "a%vb%tab";
             r.border_width = 3;
             r.font_alpha = 10;
             r.shadow_alpha = -20;
             r.border_alpha = 300;
             r.shadow_softness = 7;
             r.shadow_size = 9;
             r.shadow_offset_x = -4;
             r.shadow_offset_y = 6;
             r.decimals = 2;
             r.tab_width = 44;
             r.border_enabled = 0;
             r.shadow_enabled = 1;
             r.underline = 1;
             r.strikeout = 1;
             r.antialias = 0;
             r.alignment = 5;
         },
         {{IDC_FONT_LABEL, "Liberation Mono, 22pt"},
          {IDC_TEXT_TEMPLATE, "a%vb%tab"},
          {IDC_BORDER_WIDTH, "3"},
          {IDC_FONT_ALPHA, "10"},
          {IDC_SHADOW_ALPHA, "-20"},
          {IDC_BORDER_ALPHA, "300"},
          {IDC_SHADOW_SOFTNESS, "7"},
          {IDC_SHADOW_SIZE, "9"},
          {IDC_SHADOW_OFFSET_X, "-4"},
          {IDC_SHADOW_OFFSET_Y, "6"},
          {IDC_DECIMALS, "2"},
          {IDC_TAB_WIDTH, "44"}},
         {IDC_SHADOW_ENABLED, IDC_UNDERLINE, IDC_STRIKEOUT},
         {IDC_ALIGN_MIDDLE_RIGHT}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare(record());
        const MeterRecord before = record();
        run([&](HWND dialog) {
            for (const Typed& shown : c.shown) {
                EXPECT_EQ(item_text(dialog, shown.control), shown.text) << shown.control;
            }
            EXPECT_EQ(checked_boxes(dialog), c.boxes);
            EXPECT_EQ(checked_alignment(dialog), c.alignment);
            click(dialog, IDCANCEL);
        });
        EXPECT_EQ(record_differences(before, record()), "");
    }
}

TEST_F(SettingsDialog, OkStoresTypedValuesByItsRules) {
    const std::string long_template = std::string(250, 'a') + "%v%b%tab";
    struct Case {
        const char* name;
        std::vector<Typed> typed;
        std::vector<int> clicks;
        std::function<void(MeterRecord&)> expect;
    };
    const Case cases[] = {
        {"clamps and short reads",
         {{IDC_FONT_ALPHA, "1000"},
          {IDC_SHADOW_ALPHA, "300"},
          {IDC_BORDER_ALPHA, "-5"},
          {IDC_BORDER_WIDTH, "123"},
          {IDC_SHADOW_OFFSET_X, "-99"},
          {IDC_SHADOW_OFFSET_Y, "-100"},
          {IDC_TAB_WIDTH, "0"},
          {IDC_SHADOW_SOFTNESS, "0"},
          {IDC_SHADOW_SIZE, "-7"},
          {IDC_DECIMALS, "-3"}},
         {},
         [](MeterRecord& r) {
             r.font_alpha = 100;
             r.shadow_alpha = 255;
             r.border_alpha = 0;
             r.border_width = 12;
             r.shadow_offset_x = -99;
             r.shadow_offset_y = -10;
             r.tab_width = 1;
             r.shadow_softness = 1;
             r.shadow_size = -7;
             r.decimals = -3;
         }},
        {"empty and other text",
         {{IDC_BORDER_WIDTH, ""},
          {IDC_FONT_ALPHA, ""},
          {IDC_SHADOW_ALPHA, "256"},
          {IDC_BORDER_ALPHA, "12x"},
          {IDC_TAB_WIDTH, ""},
          {IDC_SHADOW_SOFTNESS, "-4"},
          {IDC_SHADOW_OFFSET_X, "x1"},
          {IDC_SHADOW_OFFSET_Y, " 7"},
          {IDC_SHADOW_SIZE, "12"},
          {IDC_DECIMALS, "10"}},
         {},
         [](MeterRecord& r) {
             r.border_width = 0;
             r.font_alpha = 0;
             r.shadow_alpha = 255;
             r.border_alpha = 12;
             r.tab_width = 1;
             r.shadow_softness = -4;
             r.shadow_offset_x = 0;
             r.shadow_offset_y = 7;
             r.shadow_size = 12;
             r.decimals = 10;
         }},
        {"template cut to 255 and every box toggled",
         {{IDC_TEXT_TEMPLATE, long_template}, {IDC_TAB_WIDTH, "-4"}, {IDC_SHADOW_SOFTNESS, "9"}},
         {IDC_BORDER_ENABLED, IDC_SHADOW_ENABLED, IDC_ANTIALIAS, IDC_UNDERLINE, IDC_STRIKEOUT},
         [&](MeterRecord& r) {
             r.text_template = long_template.substr(0, 255);
             r.tab_width = -4;
             r.shadow_softness = 9;
             r.border_enabled = 0;
             r.shadow_enabled = 1;
             r.antialias = 0;
             r.underline = 1;
             r.strikeout = 1;
             r.font_style = 12;
         }},
        {"nothing changed", {}, {}, [](MeterRecord&) {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        record() = make_default_record(host.handle());
        MeterRecord expected = record();
        c.expect(expected);
        run([&](HWND dialog) {
            for (const Typed& typed : c.typed) {
                set_item_text(dialog, typed.control, typed.text);
            }
            for (const int control : c.clicks) {
                click(dialog, control);
            }
            // Sent: a warning would hold the click and fail it.
            click(dialog, IDOK);
            EXPECT_TRUE(wait_until_closed(dialog));
        });
        EXPECT_EQ(record_differences(expected, record()), "");
    }
}

TEST_F(SettingsDialog, DecimalsAboveTenStoreTenAfterWarningTheHost) {
    MeterRecord expected = record();
    expected.decimals = 10;
    expected.tab_width = 7;
    expected.font_alpha = 9;
    std::vector<int32_t> during_warning;
    run([&](HWND dialog) {
        set_item_text(dialog, IDC_DECIMALS, "11");
        set_item_text(dialog, IDC_TAB_WIDTH, "7");
        set_item_text(dialog, IDC_FONT_ALPHA, "9");
        post_click(dialog, IDOK);
        const HWND box = wait_for_dialog(warning_caption, dialog);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(message_box_text(box), "No one needs that much decimals :)\nSorry! Only 10");
        EXPECT_EQ(GetWindow(box, GW_OWNER), host.handle());
        // What a repaint would see now: steps 1 to 7 done, 8 on not yet.
        host.run([&] {
            during_warning = {record().font_alpha, record().decimals, record().tab_width};
        });
        click(box, IDOK);
        EXPECT_TRUE(wait_until_closed(dialog));
    });
    EXPECT_EQ(during_warning, (std::vector<int32_t>{9, 10, 30}));
    EXPECT_EQ(record_differences(expected, record()), "");
}

// Every control OK reads is changed. OK stores each value as soon as it has
// read it, so a repaint while the warning holds the OK sees exactly the
// values read before the decimals (and the decimals) and none read after.
TEST_F(SettingsDialog, RepaintUnderTheWarningSeesTheValuesReadBeforeIt) {
    const std::vector<Typed> typed = {
        {IDC_BORDER_WIDTH, "7"},    {IDC_FONT_ALPHA, "9"},      {IDC_SHADOW_ALPHA, "8"},
        {IDC_BORDER_ALPHA, "6"},    {IDC_TEXT_TEMPLATE, "x%v"}, {IDC_DECIMALS, "11"},
        {IDC_TAB_WIDTH, "7"},       {IDC_SHADOW_OFFSET_X, "3"}, {IDC_SHADOW_OFFSET_Y, "4"},
        {IDC_SHADOW_SOFTNESS, "2"}, {IDC_SHADOW_SIZE, "3"},
    };
    const int clicks[] = {IDC_ALIGN_CENTRE, IDC_UNDERLINE, IDC_BORDER_ENABLED, IDC_SHADOW_ENABLED,
                          IDC_ANTIALIAS};
    MeterRecord before_warning = record();
    before_warning.border_width = 7;
    before_warning.font_alpha = 9;
    before_warning.shadow_alpha = 8;
    before_warning.border_alpha = 6;
    before_warning.alignment = 4;
    before_warning.text_template = "x%v";
    before_warning.decimals = 10;
    MeterRecord expected = before_warning;
    expected.tab_width = 7;
    expected.shadow_offset_x = 3;
    expected.shadow_offset_y = 4;
    expected.shadow_softness = 2;
    expected.shadow_size = 3;
    expected.underline = 1;
    expected.font_style = 4;
    expected.border_enabled = 0;
    expected.shadow_enabled = 1;
    expected.antialias = 0;
    MeterRecord under_warning;
    run([&](HWND dialog) {
        for (const Typed& t : typed) {
            set_item_text(dialog, t.control, t.text);
        }
        for (const int control : clicks) {
            click(dialog, control);
        }
        post_click(dialog, IDOK);
        const HWND box = wait_for_dialog(warning_caption, dialog);
        ASSERT_NE(box, nullptr);
        host.run([&] { under_warning = record(); });
        click(box, IDOK);
        EXPECT_TRUE(wait_until_closed(dialog));
    });
    EXPECT_EQ(record_differences(before_warning, under_warning), "");
    EXPECT_EQ(record_differences(expected, record()), "");
}

// Opening sets the controls in one order, as a hook on the host's thread
// sees it: texts and checks, in the order the messages reach the controls.
struct ControlSet {
    int control;
    UINT message;   // WM_SETTEXT or BM_SETCHECK
    WPARAM checked; // BM_SETCHECK's state
};

std::vector<ControlSet>* control_sets = nullptr;

LRESULT CALLBACK record_control_set(int code, WPARAM wparam, LPARAM lparam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && control_sets != nullptr &&
        (sent->message == WM_SETTEXT || sent->message == BM_SETCHECK) &&
        (GetWindowLongA(sent->hwnd, GWL_STYLE) & WS_CHILD) != 0) {
        control_sets->push_back({GetDlgCtrlID(sent->hwnd), sent->message,
                                 sent->message == BM_SETCHECK ? sent->wParam : 0});
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

std::vector<std::string> described(const std::vector<ControlSet>& sets) {
    std::vector<std::string> lines;
    for (const ControlSet& set : sets) {
        lines.push_back(set.message == WM_SETTEXT ? "text " + std::to_string(set.control)
                                                  : "check " + std::to_string(set.control) + " " +
                                                        std::to_string(set.checked));
    }
    return lines;
}

TEST_F(SettingsDialog, OpeningSetsTheControlsInOneOrder) {
    MeterRecord& r = record();
    r.underline = 1;
    r.antialias = 0;
    r.alignment = 5;
    r.shadow_enabled = 1;
    const auto text = [](int control) { return ControlSet{control, WM_SETTEXT, 0}; };
    const auto check = [](int control, WPARAM checked) {
        return ControlSet{control, BM_SETCHECK, checked};
    };
    std::vector<ControlSet> expected = {
        text(IDC_FONT_LABEL),    text(IDC_BORDER_WIDTH),  text(IDC_FONT_ALPHA),
        text(IDC_SHADOW_ALPHA),  text(IDC_BORDER_ALPHA),  check(IDC_UNDERLINE, BST_CHECKED),
        check(IDC_STRIKEOUT, 0), check(IDC_ANTIALIAS, 0),
    };
    for (const int button : alignment_buttons) {
        expected.push_back(check(button, 0));
    }
    const std::vector<ControlSet> rest = {
        check(IDC_ALIGN_MIDDLE_RIGHT, BST_CHECKED),
        check(IDC_SHADOW_ENABLED, 0),
        check(IDC_BORDER_ENABLED, 0),
        check(IDC_BORDER_ENABLED, BST_CHECKED),
        check(IDC_SHADOW_ENABLED, BST_CHECKED),
        text(IDC_TEXT_TEMPLATE),
        text(IDC_SHADOW_SOFTNESS),
        text(IDC_SHADOW_SIZE),
        text(IDC_SHADOW_OFFSET_X),
        text(IDC_SHADOW_OFFSET_Y),
        text(IDC_DECIMALS),
        text(IDC_TAB_WIDTH),
    };
    expected.insert(expected.end(), rest.begin(), rest.end());

    std::vector<ControlSet> sets;
    std::vector<ControlSet> sets_when_shown;
    control_sets = &sets;
    const HHOOK hook =
        SetWindowsHookExA(WH_CALLWNDPROC, record_control_set, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    run([&](HWND dialog) {
        host.run([&] { sets_when_shown = sets; });
        click(dialog, IDCANCEL);
    });
    UnhookWindowsHookEx(hook);
    control_sets = nullptr;
    EXPECT_EQ(described(sets_when_shown), described(expected));
}

TEST_F(SettingsDialog, AlignmentButtonsExcludeEachOther) {
    for (int value = 0; value < 9; ++value) {
        SCOPED_TRACE(value);
        record().alignment = 0;
        run([&](HWND dialog) {
            // Every other button first, the one of `value` last.
            for (int step = 1; step <= 9; ++step) {
                const int button = alignment_buttons[(value + step) % 9];
                click(dialog, button);
                EXPECT_EQ(checked_alignment(dialog), std::vector<int>{button});
            }
            click(dialog, IDOK);
        });
        EXPECT_EQ(record().alignment, value);
    }
}

// Value v is drawn in row v / 3 and column v % 3 of the text's box, and its
// button sits in the same cell of the grid of buttons.
TEST_F(SettingsDialog, EachAlignmentButtonSitsInTheCellItStandsFor) {
    run([&](HWND dialog) {
        RECT cells[9] = {};
        for (int value = 0; value < 9; ++value) {
            ASSERT_TRUE(GetWindowRect(GetDlgItem(dialog, alignment_buttons[value]), &cells[value]));
        }
        for (int value = 0; value < 9; ++value) {
            SCOPED_TRACE(value);
            const RECT& cell = cells[value];
            const RECT& row_start = cells[value - value % 3];
            const RECT& column_top = cells[value % 3];
            EXPECT_EQ(cell.top, row_start.top);
            EXPECT_EQ(cell.left, column_top.left);
            if (value % 3 != 0) {
                EXPECT_GE(cell.left, cells[value - 1].right) << "right of its left neighbour";
            }
            if (value >= 3) {
                EXPECT_GE(cell.top, cells[value - 3].bottom) << "below its upper neighbour";
            }
        }
        click(dialog, IDCANCEL);
    });
}

TEST_F(SettingsDialog, AlignmentOutsideTheGridShowsNoneAndStoresEight) {
    for (const int32_t alignment : {9, -1, 12}) {
        SCOPED_TRACE(alignment);
        record().alignment = alignment;
        run([&](HWND dialog) {
            EXPECT_EQ(checked_alignment(dialog), std::vector<int>{});
            click(dialog, IDOK);
        });
        EXPECT_EQ(record().alignment, 8);
    }
}

TEST_F(SettingsDialog, CancelWritesNothing) {
    struct Case {
        const char* name;
        std::function<void(HWND)> cancel;
    };
    const Case cases[] = {
        {"Cancel button", [](HWND dialog) { click(dialog, IDCANCEL); }},
        {"close box", [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); }},
        {"Esc",
         [](HWND dialog) {
             PostMessageA(GetDlgItem(dialog, IDC_TAB_WIDTH), WM_KEYDOWN, VK_ESCAPE, 0);
         }},
    };
    const int edits[] = {IDC_BORDER_WIDTH,    IDC_FONT_ALPHA,      IDC_SHADOW_ALPHA,
                         IDC_BORDER_ALPHA,    IDC_SHADOW_SOFTNESS, IDC_SHADOW_SIZE,
                         IDC_SHADOW_OFFSET_X, IDC_SHADOW_OFFSET_Y, IDC_DECIMALS,
                         IDC_TAB_WIDTH,       IDC_TEXT_TEMPLATE};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MeterRecord before = record();
        run([&](HWND dialog) {
            for (const int edit : edits) {
                set_item_text(dialog, edit, "3");
            }
            for (const int box : check_boxes) {
                click(dialog, box);
            }
            click(dialog, IDC_ALIGN_BOTTOM_RIGHT);
            c.cancel(dialog);
            EXPECT_TRUE(wait_until_closed(dialog));
        });
        EXPECT_EQ(record_differences(before, record()), "");
    }
}

TEST_F(SettingsDialog, StyleFollowsTheFontsWeightAndItalicAtOk) {
    struct Case {
        LONG weight;
        BYTE italic;
        int32_t style_before;
        uint8_t underline_before, strikeout_before;
        std::vector<int> clicks;
        int32_t style;
        uint8_t underline, strikeout;
    };
    const Case cases[] = {
        {700, 0, 0, 0, 0, {}, 1, 0, 0},
        {600, 0, 1, 0, 0, {}, 0, 0, 0},
        {800, 0, 1, 0, 0, {}, 0, 0, 0},
        {400, 1, 0, 0, 0, {}, 2, 0, 0},
        {700, 1, 0, 0, 0, {}, 3, 0, 0},
        // Bits stored by a settings file but not backed by the font go.
        {400, 0, 3, 0, 0, {}, 0, 0, 0},
        {400, 0, 15, 1, 1, {}, 12, 1, 1},
        {400, 0, 4, 1, 0, {IDC_UNDERLINE}, 0, 0, 0},
        {700, 1, 0, 0, 0, {IDC_UNDERLINE, IDC_STRIKEOUT}, 15, 1, 1},
        {400, 0, 0, 0, 1, {}, 8, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.weight << " italic " << int{c.italic} << " style " << c.style_before);
        MeterRecord& r = record();
        r.log_font.lfWeight = c.weight;
        r.log_font.lfItalic = c.italic;
        r.font_style = c.style_before;
        r.underline = c.underline_before;
        r.strikeout = c.strikeout_before;
        const LOGFONTA font_before = r.log_font;
        run([&](HWND dialog) {
            for (const int control : c.clicks) {
                click(dialog, control);
            }
            click(dialog, IDOK);
        });
        EXPECT_EQ(r.font_style, c.style);
        EXPECT_EQ(r.underline, c.underline);
        EXPECT_EQ(r.strikeout, c.strikeout);
        EXPECT_EQ(std::memcmp(&r.log_font, &font_before, sizeof(LOGFONTA)), 0)
            << "OK leaves log_font alone";
    }
}

// A host message arriving while the dialog is open opens the settings of a
// second meter: the first dialog ends as cancelled, the second one works.
TEST_F(SettingsDialog, SecondConfigureEndsTheOpenDialog) {
    const Meter second(host.handle());
    const MeterRecord first_before = record();
    MeterRecord second_expected = second.record();
    second_expected.tab_width = 55;
    run([&](HWND first) {
        set_item_text(first, IDC_TAB_WIDTH, "77");
        host.post([&] { plugin().vis_configure(second.instance()); });
        const HWND next = wait_for_dialog(settings_caption, first);
        ASSERT_NE(next, nullptr);
        EXPECT_FALSE(IsWindowVisible(first)) << "the first dialog was ended";
        EXPECT_EQ(item_text(next, IDC_TAB_WIDTH), "30");
        set_item_text(next, IDC_TAB_WIDTH, "55");
        click(next, IDOK);
        EXPECT_TRUE(wait_until_closed(next));
    });
    EXPECT_EQ(record_differences(first_before, record()), "");
    EXPECT_EQ(record_differences(second_expected, second.record()), "");
}

// The first dialog's OK is held by the decimals warning while a second
// meter's dialog opens and closes; the rest of that OK still belongs to the
// first meter's record.
TEST_F(SettingsDialog, HeldOkWritesOnlyItsOwnRecord) {
    const Meter second(host.handle());
    MeterRecord first_expected = record();
    first_expected.decimals = 10;
    first_expected.tab_width = 7;
    first_expected.shadow_softness = 9;
    first_expected.border_enabled = 0;
    MeterRecord second_expected = second.record();
    second_expected.tab_width = 55;
    second_expected.shadow_softness = 3;
    run([&](HWND first) {
        set_item_text(first, IDC_DECIMALS, "11");
        set_item_text(first, IDC_TAB_WIDTH, "7");
        set_item_text(first, IDC_SHADOW_SOFTNESS, "9");
        click(first, IDC_BORDER_ENABLED);
        post_click(first, IDOK);
        const HWND box = wait_for_dialog(warning_caption, first);
        ASSERT_NE(box, nullptr);
        host.post([&] { plugin().vis_configure(second.instance()); });
        const HWND next = wait_for_dialog(settings_caption, first);
        ASSERT_NE(next, nullptr);
        set_item_text(next, IDC_TAB_WIDTH, "55");
        set_item_text(next, IDC_SHADOW_SOFTNESS, "3");
        click(next, IDOK);
        EXPECT_TRUE(wait_until_closed(next));
        click(box, IDOK);
        EXPECT_TRUE(wait_until_closed(first));
    });
    EXPECT_EQ(record_differences(first_expected, record()), "");
    EXPECT_EQ(record_differences(second_expected, second.record()), "");
}

} // namespace
} // namespace scrivlet::test
