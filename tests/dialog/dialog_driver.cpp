#include "dialog_driver.h"

#include "support/plugin.h"
#include "support/record_fields.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

namespace scrivlet::test {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Long enough for a slow Wine start, short enough to fail fast.
constexpr auto wait_limit = 15s;
constexpr auto poll_interval = 20ms;
constexpr UINT message_limit_ms = 10000;
// After the driver has finished: how long the dialog may take to close
// before the test fails, and how long cancelling may take before the
// program is ended.
constexpr auto close_grace = 10s;
constexpr auto cancel_limit = 20s;

constexpr UINT run_work_message = WM_APP + 1;
constexpr char host_class[] = "ScrivletTestHost";
constexpr char dialog_class[] = "#32770";

std::atomic<DWORD> host_thread{0};

LRESULT CALLBACK host_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == run_work_message) {
        std::unique_ptr<std::function<void()>> work(
            reinterpret_cast<std::function<void()>*>(lparam));
        (*work)();
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

void register_host_class() {
    static const bool registered = [] {
        WNDCLASSA window_class{};
        window_class.lpfnWndProc = host_proc;
        window_class.hInstance = GetModuleHandleA(nullptr);
        window_class.lpszClassName = host_class;
        window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        return RegisterClassA(&window_class) != 0;
    }();
    if (!registered) {
        throw std::runtime_error("cannot register the host window class");
    }
}

std::string class_of(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

std::string caption_of(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

BOOL CALLBACK collect_dialog(HWND window, LPARAM list) {
    if (class_of(window) == dialog_class) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

std::vector<HWND> host_dialogs() {
    std::vector<HWND> found;
    EnumThreadWindows(host_thread.load(), collect_dialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK collect_static_text(HWND child, LPARAM list) {
    if (_stricmp(class_of(child).c_str(), "Static") == 0) {
        const std::string text = caption_of(child);
        if (!text.empty()) {
            reinterpret_cast<std::vector<std::string>*>(list)->push_back(text);
        }
    }
    return TRUE;
}

bool send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, DWORD_PTR* result = nullptr) {
    DWORD_PTR ignored = 0;
    const bool answered =
        SendMessageTimeoutA(window, message, wparam, lparam, SMTO_NORMAL, message_limit_ms,
                            result != nullptr ? result : &ignored) != 0;
    EXPECT_TRUE(answered) << "no answer to message " << message;
    return answered;
}

// Cancels every dialog of the host's thread until `done`; ends the program
// when that does not help, since nothing else would stop the run.
void cancel_until(const std::atomic<bool>& done) {
    const auto give_up = Clock::now() + cancel_limit;
    while (!done) {
        if (Clock::now() > give_up) {
            std::fprintf(stderr, "dialog test: the dialog could not be closed; ending the run\n");
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        for (const HWND dialog : host_dialogs()) {
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        std::this_thread::sleep_for(100ms);
    }
}

} // namespace

HostWindow::HostWindow() {
    register_host_class();
    window_ =
        CreateWindowExA(0, host_class, "Scrivlet test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                        40, 320, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window_ == nullptr) {
        throw std::runtime_error("cannot make the host window");
    }
    host_thread = GetCurrentThreadId();
}

HostWindow::~HostWindow() {
    DestroyWindow(window_);
}

void HostWindow::post(std::function<void()> work) const {
    auto* posted = new std::function<void()>(std::move(work));
    if (!PostMessageA(window_, run_work_message, 0, reinterpret_cast<LPARAM>(posted))) {
        delete posted;
        ADD_FAILURE() << "cannot post to the host window";
    }
}

bool HostWindow::run(std::function<void()> work) const {
    auto finished = std::make_shared<std::atomic<bool>>(false);
    post([work = std::move(work), finished] {
        work();
        *finished = true;
    });
    const auto deadline = Clock::now() + wait_limit;
    while (!*finished) {
        if (Clock::now() > deadline) {
            ADD_FAILURE() << "the host's thread did not run the work in time";
            return false;
        }
        std::this_thread::sleep_for(poll_interval);
    }
    return true;
}

void drive_dialog(const std::function<void()>& open, const std::function<void()>& drive) {
    host_thread = GetCurrentThreadId();
    std::atomic<bool> opened_returned{false};
    std::thread driver([&] {
        drive();
        const auto grace = Clock::now() + close_grace;
        while (!opened_returned && Clock::now() < grace) {
            std::this_thread::sleep_for(poll_interval);
        }
        if (!opened_returned) {
            ADD_FAILURE() << "a dialog was still open when the driver had finished";
            cancel_until(opened_returned);
        }
    });
    open();
    opened_returned = true;
    driver.join();
}

void configure_and_drive(void* instance, const std::function<void(HWND)>& drive) {
    drive_dialog([&] { EXPECT_EQ(plugin().vis_configure(instance), 0); },
                 [&] {
                     const HWND dialog = wait_for_dialog(settings_caption);
                     ASSERT_NE(dialog, nullptr);
                     drive(dialog);
                 });
}

HWND wait_for_dialog(const char* caption, HWND except) {
    const auto deadline = Clock::now() + wait_limit;
    while (Clock::now() < deadline) {
        for (const HWND dialog : host_dialogs()) {
            if (dialog != except && IsWindowVisible(dialog) && caption_of(dialog) == caption) {
                return dialog;
            }
        }
        std::this_thread::sleep_for(poll_interval);
    }
    ADD_FAILURE() << "no \"" << caption << "\" dialog appeared";
    return nullptr;
}

HWND wait_for_owned_dialog(HWND owner) {
    const auto deadline = Clock::now() + wait_limit;
    while (Clock::now() < deadline) {
        for (const HWND dialog : host_dialogs()) {
            if (IsWindowVisible(dialog) && GetWindow(dialog, GW_OWNER) == owner) {
                return dialog;
            }
        }
        std::this_thread::sleep_for(poll_interval);
    }
    ADD_FAILURE() << "no dialog owned by " << owner << " appeared";
    return nullptr;
}

bool wait_until_closed(HWND window) {
    const auto deadline = Clock::now() + wait_limit;
    while (Clock::now() < deadline) {
        if (!IsWindow(window) || !IsWindowVisible(window)) {
            return true;
        }
        std::this_thread::sleep_for(poll_interval);
    }
    ADD_FAILURE() << "window " << window << " did not close";
    return false;
}

bool wait_until_item_text(HWND dialog, int id, const std::string& text) {
    const auto deadline = Clock::now() + wait_limit;
    while (Clock::now() < deadline) {
        if (item_text(dialog, id) == text) {
            return true;
        }
        std::this_thread::sleep_for(poll_interval);
    }
    ADD_FAILURE() << "control " << id << " never showed \"" << text << "\"";
    return false;
}

std::string item_text(HWND dialog, int id) {
    char text[1024] = {};
    send(GetDlgItem(dialog, id), WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
}

void set_item_text(HWND dialog, int id, const std::string& text) {
    const HWND item = GetDlgItem(dialog, id);
    ASSERT_NE(item, nullptr) << "no control " << id;
    send(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool is_checked(HWND dialog, int id) {
    DWORD_PTR state = 0;
    send(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, &state);
    return state != BST_UNCHECKED;
}

LRESULT send_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    send(window, message, wparam, lparam, &result);
    return static_cast<LRESULT>(result);
}

void click(HWND dialog, int id) {
    const HWND item = GetDlgItem(dialog, id);
    ASSERT_NE(item, nullptr) << "no control " << id;
    send(item, BM_CLICK, 0, 0);
}

void post_click(HWND dialog, int id) {
    const HWND item = GetDlgItem(dialog, id);
    ASSERT_NE(item, nullptr) << "no control " << id;
    EXPECT_TRUE(PostMessageA(item, BM_CLICK, 0, 0));
}

std::string message_box_text(HWND box) {
    std::vector<std::string> texts;
    EnumChildWindows(box, collect_static_text, reinterpret_cast<LPARAM>(&texts));
    std::string joined;
    for (const std::string& text : texts) {
        joined += joined.empty() ? text : "|" + text;
    }
    return joined;
}

namespace {

// The font description is compared byte for byte, face tail included.
bool same_value(const LOGFONTA& expected, const LOGFONTA& actual) {
    return std::memcmp(&expected, &actual, sizeof(LOGFONTA)) == 0;
}
template <typename T> bool same_value(const T& expected, const T& actual) {
    return expected == actual;
}

void show(std::ostream& out, const LOGFONTA& font) {
    out << "face \"" << font.lfFaceName << "\" weight " << font.lfWeight;
}
void show(std::ostream& out, const std::string& text) {
    out << '"' << text << '"';
}
template <typename T> void show(std::ostream& out, const T& value) {
    out << +value;
}

} // namespace

std::string record_differences(const MeterRecord& expected, const MeterRecord& actual) {
    std::ostringstream out;
    for_each_meter_field([&](const auto& field) {
        if (!same_value(expected.*field.member, actual.*field.member)) {
            out << field.name << ": expected ";
            show(out, expected.*field.member);
            out << ", got ";
            show(out, actual.*field.member);
            out << "; ";
        }
    });
    return out.str();
}

} // namespace scrivlet::test
