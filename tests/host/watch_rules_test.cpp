// The watch window's rules: which size, which value, when the next tick and
// when the settings are loaded again.

#include "watch_rules.h"

#include <gtest/gtest.h>

namespace scrivlet::host {
namespace {

TEST(WatchRules, SizeIsTheOptionThenTheSectionsCommentThenTheDefault) {
    const std::string file = "; size: 240x64\n"
                             "[Clock]\n"
                             "[Plain]\n"
                             "; size: big\n"
                             "[Words]\n";
    struct Case {
        std::optional<Size> option;
        const char* section;
        Size size;
    };
    const std::vector<Case> cases = {
        {Size{90, 30}, "Clock", {90, 30}},  {std::nullopt, "Clock", {240, 64}},
        {std::nullopt, "clock", {240, 64}}, {std::nullopt, "Plain", {240, 80}},
        {std::nullopt, "Words", {240, 80}}, {std::nullopt, "Absent", {240, 80}},
        {Size{1, 1}, "Absent", {1, 1}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(watch_size(c.option, file, c.section), c.size) << c.section;
    }
    EXPECT_EQ(watch_size(std::nullopt, "", "Clock"), (Size{240, 80}));
}

TEST(WatchRules, ClockTextHasTwoDigitsAField) {
    struct Case {
        ClockTime time;
        const char* text;
    };
    const std::vector<Case> cases = {
        {{0, 0, 0}, "00:00:00"},
        {{9, 41, 7}, "09:41:07"},
        {{23, 59, 59}, "23:59:59"},
        {{12, 5, 30}, "12:05:30"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(clock_text(c.time), c.text);
    }
}

TEST(WatchRules, ValueIsTheOptionsTextElseTheClock) {
    const ClockTime now{8, 3, 9};
    EXPECT_EQ(watch_value(std::string("42,5"), now), "42,5");
    EXPECT_EQ(watch_value(std::string(""), now), "");
    EXPECT_EQ(watch_value(std::nullopt, now), "08:03:09");
}

TEST(WatchRules, TheNextTickComesJustAfterTheSecondTurns) {
    struct Case {
        uint32_t millisecond;
        uint32_t delay;
    };
    const std::vector<Case> cases = {
        {0, 1020}, {1, 1019}, {500, 520},
        {980, 40}, {999, 21}, {1500, 520}, // a clock that reports past 999 still lands on a second
    };
    for (const Case& c : cases) {
        EXPECT_EQ(next_tick_delay_ms(c.millisecond), c.delay) << c.millisecond;
    }
}

TEST(WatchRules, ReloadWhenTheFileIsThereAndChangedAndTheDialogIsClosed) {
    const FileStamp loaded{1000, 20};
    struct Case {
        const char* what;
        std::optional<FileStamp> loaded;
        std::optional<FileStamp> now;
        bool dialog_open;
        bool reload;
    };
    const std::vector<Case> cases = {
        {"unchanged", loaded, loaded, false, false},
        {"written", loaded, FileStamp{2000, 20}, false, true},
        {"resized", loaded, FileStamp{1000, 21}, false, true},
        {"written back in time", loaded, FileStamp{999, 20}, false, true},
        {"gone for a moment", loaded, std::nullopt, false, false},
        {"there at last", std::nullopt, loaded, false, true},
        {"never there", std::nullopt, std::nullopt, false, false},
        {"written while the dialog is open", loaded, FileStamp{2000, 20}, true, false},
        {"there at last while the dialog is open", std::nullopt, loaded, true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(should_reload(c.loaded, c.now, c.dialog_open), c.reload) << c.what;
    }
}

} // namespace
} // namespace scrivlet::host
