// OK held by the decimals warning, with the settings dialog code linked into
// this program (so that the dialog's result can be read). The warning is
// owned by the host's window, so the settings dialog stays usable under it:
// whatever OK and Cancel commands reach it then must wait for the OK under
// way, which finishes once.

#include "dialog/dialog_ids.h"
#include "dialog/settings_dialog.h"
#include "dialog_driver.h"
#include "support/plugin.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scrivlet::test {
namespace {

std::string caption_of(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

BOOL CALLBACK collect_warning(HWND window, LPARAM found) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    if (std::string(name) == "#32770" && IsWindowVisible(window) &&
        caption_of(window) == warning_caption) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    }
    return TRUE;
}

// The decimals warnings up on the calling thread.
std::vector<HWND> warnings_up() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), collect_warning, reinterpret_cast<LPARAM>(&found));
    return found;
}

class HeldOk : public ::testing::Test {
protected:
    HostWindow host;
    MeterRecord record = make_default_record(host.handle());

private:
};

TEST_F(HeldOk, FurtherOkAndCancelWaitForTheOkUnderWay) {
    struct Late {
        const char* name;
        UINT message;
        WPARAM wparam;
    };
    const Late ok = {"OK", WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)};
    const Late cancel = {"Cancel", WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)};
    const Late close_box = {"close box", WM_CLOSE, 0};
    struct Case {
        const char* name;
        std::vector<Late> late;
    };
    const Case cases[] = {
        {"OK five times, then Cancel", {ok, ok, ok, ok, ok, cancel}},
        {"Cancel first, then OK", {cancel, ok, close_box, ok}},
        {"close box", {close_box}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        record = make_default_record(host.handle());
        MeterRecord expected = record;
        expected.decimals = 10;
        expected.tab_width = 7;
        expected.shadow_softness = 9;
        expected.border_enabled = 0;
        size_t warnings_after_late = 0;
        bool settings_up_after_late = false;
        int32_t tab_width_after_late = 0;
        INT_PTR result = -100;
        drive_dialog([&] { result = run_settings_dialog(plugin_module(), record); },
                     [&] {
                         const HWND dialog = wait_for_dialog(settings_caption);
                         ASSERT_NE(dialog, nullptr);
                         set_item_text(dialog, IDC_DECIMALS, "11");
                         set_item_text(dialog, IDC_TAB_WIDTH, "7");
                         set_item_text(dialog, IDC_SHADOW_SOFTNESS, "9");
                         click(dialog, IDC_BORDER_ENABLED);
                         post_click(dialog, IDOK);
                         const HWND box = wait_for_dialog(warning_caption, dialog);
                         ASSERT_NE(box, nullptr);
                         for (const Late& late : c.late) {
                             EXPECT_TRUE(PostMessageA(
                                 dialog, late.message, late.wparam,
                                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, LOWORD(late.wparam)))))
                                 << late.name;
                         }
                         // Posted after them to the same thread: when this runs,
                         // the warning's loop has dispatched every one.
                         host.run([&] {
                             warnings_after_late = warnings_up().size();
                             settings_up_after_late = IsWindowVisible(dialog) != 0;
                             tab_width_after_late = record.tab_width;
                         });
                         click(box, IDOK);
                         EXPECT_TRUE(wait_until_closed(dialog));
                     });
        const size_t warnings_at_end = warnings_up().size();
        EXPECT_EQ(warnings_after_late, 1u) << "one warning, none nested";
        EXPECT_TRUE(settings_up_after_late) << "the settings stay open under the warning";
        EXPECT_EQ(tab_width_after_late, 30) << "the steps after the warning wait for it";
        EXPECT_EQ(warnings_at_end, 0u);
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(record_differences(expected, record), "");
    }
}

// The host's window goes while the warning holds the OK, and takes the
// dialog and the warning with it: the OK stops where it was held, and what
// it would have read from the dialog's gone controls is not stored.
TEST_F(HeldOk, OkStopsWhenTheDialogGoesWithItsOwner) {
    const HostWindow owner;
    record.owner_window = owner.handle();
    MeterRecord expected = record;
    expected.font_alpha = 9;
    expected.decimals = 10;
    bool dialog_gone = false;
    drive_dialog([&] { run_settings_dialog(plugin_module(), record); },
                 [&] {
                     const HWND dialog = wait_for_dialog(settings_caption);
                     ASSERT_NE(dialog, nullptr);
                     set_item_text(dialog, IDC_FONT_ALPHA, "9");
                     set_item_text(dialog, IDC_DECIMALS, "11");
                     set_item_text(dialog, IDC_TAB_WIDTH, "7");
                     click(dialog, IDC_BORDER_ENABLED);
                     post_click(dialog, IDOK);
                     ASSERT_NE(wait_for_dialog(warning_caption, dialog), nullptr);
                     host.run([&] { DestroyWindow(owner.handle()); });
                     dialog_gone = IsWindow(dialog) == 0;
                 });
    EXPECT_TRUE(dialog_gone);
    EXPECT_EQ(warnings_up().size(), 0u);
    EXPECT_EQ(record_differences(expected, record), "");
}

} // namespace
} // namespace scrivlet::test
