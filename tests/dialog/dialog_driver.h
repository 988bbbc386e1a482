#pragma once
// Driving a real modal dialog: the test's thread plays the host and blocks in
// the dialog, a second thread plays the user. Every wait has a limit; a
// dialog the driver leaves open fails the test and is cancelled, and one
// that cannot be cancelled ends the program, so ctest never waits forever.

#include "meter/meter_record.h"

#include <windows.h>

#include <functional>
#include <string>

namespace scrivlet::test {

// A top-level window on the test's thread standing for the host's window:
// the owner of the dialog, and a way to run work on the host's thread while
// one of its modal loops runs.
class HostWindow {
public:
    HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    ~HostWindow();

    HWND handle() const { return window_; }

    // Runs `work` on the host's thread when its current message loop next
    // dispatches; returns at once. The work may open modal windows.
    void post(std::function<void()> work) const;

    // Runs `work` on the host's thread and waits (with a limit) until it has
    // returned; false when it did not run in time.
    bool run(std::function<void()> work) const;

private:
    HWND window_ = nullptr;
};

// Runs `open` on this thread (it blocks in the modal dialog) and `drive` on
// a second thread; returns when both have finished.
void drive_dialog(const std::function<void()>& open, const std::function<void()>& drive);

// The captions of the settings dialog and of its decimals warning.
inline constexpr char settings_caption[] = "Settings";
inline constexpr char warning_caption[] = "Error";

// Opens the settings dialog of `instance` through vis_configure, which must
// return 0, and hands the dialog to `drive` on the second thread.
void configure_and_drive(void* instance, const std::function<void(HWND)>& drive);

// A visible dialog-class window of the host's thread with this caption and
// not `except`, once it has appeared; null after the time limit.
HWND wait_for_dialog(const char* caption, HWND except = nullptr);

// A visible dialog-class window owned by `owner` (a picker or a message
// box), once it has appeared; null after the time limit.
HWND wait_for_owned_dialog(HWND owner);

// True once `window` is gone or hidden, false after the time limit.
bool wait_until_closed(HWND window);

// True once the control shows `text`, false after the time limit. A picker
// is hidden before its call returns to the dialog, which handles what was
// chosen only then: a click sent in between would overtake it.
bool wait_until_item_text(HWND dialog, int id, const std::string& text);

// Control access from the driving thread; each message has a time limit,
// and a control that does not answer fails the test.
std::string item_text(HWND dialog, int id);
void set_item_text(HWND dialog, int id, const std::string& text);
bool is_checked(HWND dialog, int id);
// Sends any message with a time limit; its result.
LRESULT send_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Returns once the click has been handled.
void click(HWND dialog, int id);
// Returns at once: for clicks that open a modal window.
void post_click(HWND dialog, int id);

// The texts of a message box's static controls, joined by "|".
std::string message_box_text(HWND box);

// Every field that differs between two records, by name; empty when equal.
std::string record_differences(const MeterRecord& expected, const MeterRecord& actual);

} // namespace scrivlet::test
