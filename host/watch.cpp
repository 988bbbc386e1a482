// scrivlet-host watch: one meter in a window of its own, driven as the meter
// host drives it. The window owns the meter's settings dialog, repaints once
// a second and loads the section again when the file changes, so that a
// theme author sees each edit of the INI file within a second.
//
// The meter's surface is shown composited over a checkerboard (or the
// colour of --background) in an ordinary window rather than as a layered
// one: per-pixel alpha on screen needs a compositing window manager, which
// Xvfb and many X desktops lack (the transparent parts then show as black),
// and a checkerboard makes the partly transparent border and shadow pixels
// visible as they are.

#include "command_support.h"
#include "commands.h"
#include "meter_look.h"
#include "output_files.h"

#include "common/file_bytes.h"
#include "common/win/dib_surface.h"
#include "common/win/handles.h"
#include "common/win/paths.h"
#include "common/win/wine64_rounding.h"
#include "pixels.h"
#include "plugin_library.h"
#include "preview_notes.h"
#include "settings_file.h"
#include "watch_rules.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace scrivlet::host {

namespace {

constexpr UINT_PTR tick_timer = 1;
constexpr DWORD window_style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr Background default_watch_background{BackgroundKind::checker, {}};

// Each line goes out at once: a person or a script reads them as they come.
void say(const std::string& line) {
    std::printf("watch: %s\n", line.c_str());
    std::fflush(stdout);
}

std::optional<FileStamp> file_stamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    const auto wide = [](DWORD high, DWORD low) { return (uint64_t{high} << 32) | low; };
    return FileStamp{wide(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime),
                     wide(data.nFileSizeHigh, data.nFileSizeLow)};
}

// What a host would hand over now: --value, or the time with --clock.
std::string value_now(const Options& options) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return watch_value(options.value, ClockTime{now.wHour, now.wMinute, now.wSecond});
}

struct WatchState {
    WatchState(const PluginExports& exports, const Options& given, std::string absolute_file,
               std::string file_section, Size surface_size)
        : api(exports), options(given), file(std::move(absolute_file)),
          section(std::move(file_section)), size(surface_size), surface(size.width, size.height),
          shown(size.width, size.height),
          composited(static_cast<size_t>(size.width) * size.height * 4), scratch("scrivlet-watch"),
          snapshot(scratch.path() + "look.ini") {}

    const PluginExports& api;
    const Options& options;
    std::string file;    // absolute, for the plug-in
    std::string section; // as the file spells it
    Size size;
    win::DibSurface surface; // what repaint draws on, as a host hands it
    win::DibSurface shown;   // the surface over the checkerboard, opaque
    std::vector<uint8_t> composited;
    HWND window = nullptr;
    const win::MeterSession* meter = nullptr; // set while the meter lives
    std::optional<FileStamp> loaded;
    bool dialog_open = false;
    // What was last said about the meter's look, so that each note is said
    // once, not at every load that leaves it as it was.
    std::vector<std::string> noted;
    bool section_missing = false;
    // The notes read a copy of the file: the many reads they take would
    // otherwise keep an editor that saves by renaming over it from saving.
    win::ScratchFolder scratch;
    std::string snapshot;
    // A fault inside the window procedure cannot unwind through the
    // system's frames: it is kept, the loop ends, and it is thrown after.
    std::exception_ptr fault;
};

void draw_meter(WatchState& state) {
    const uint32_t width = state.size.width;
    const uint32_t height = state.size.height;
    const size_t bytes = static_cast<size_t>(width) * height * 4;
    // A plug-in that draws nothing shows the checkerboard, not the last look.
    std::memset(state.surface.pixels(), 0, bytes);
    const std::string value = value_now(state.options);
    state.meter->repaint(state.surface.dc(), value.c_str(), static_cast<int>(width),
                         static_cast<int>(height));
    composite_block(state.surface.pixels(), width, height,
                    state.options.background.value_or(default_watch_background),
                    state.composited.data(), width, 0, 0);
    uint8_t* bgra = state.shown.pixels();
    for (size_t i = 0; i < bytes; i += 4) {
        bgra[i + 0] = state.composited[i + 2];
        bgra[i + 1] = state.composited[i + 1];
        bgra[i + 2] = state.composited[i + 0];
        bgra[i + 3] = 255;
    }
    InvalidateRect(state.window, nullptr, FALSE);
}

// What to say about the look after a load: read from the file at once, so
// that the file an author saves next is not mistaken for the one loaded.
struct LookNotes {
    bool section_gone = false;
    std::vector<std::string> unsaid;
};

// After the meter has loaded the file and drawn it: render's notes for this
// look, those not said since the last load said.
LookNotes look_notes(WatchState& state) {
    const std::string& section = state.section;
    {
        std::ofstream copy(state.snapshot, std::ios::binary | std::ios::trunc);
        copy << shared_file_bytes(state.file);
    }
    const bool missing = !has_section(section_names(state.snapshot), section);
    LookNotes said{missing && !state.section_missing, {}};
    state.section_missing = missing;
    const std::vector<std::string> notes =
        preview_notes(preview_facts(state.snapshot, section, value_now(state.options), state.size,
                                    anything_drawn(state.surface)));
    said.unsaid = unsaid_notes(notes, state.noted);
    state.noted = notes;
    return said;
}

void say_notes(const WatchState& state, const LookNotes& notes) {
    if (notes.section_gone) {
        say("[" + state.section + "] is no longer in " + state.options.ini +
            "; the defaults show until it is back");
    }
    print_notes("watch", notes.unsaid);
}

void arm_tick(const WatchState& state) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    SetTimer(state.window, tick_timer, next_tick_delay_ms(now.wMilliseconds), nullptr);
}

void tick(WatchState& state) {
    const std::optional<FileStamp> now = file_stamp(state.file);
    if (should_reload(state.loaded, now, state.dialog_open)) {
        state.meter->load_settings(state.file, state.section);
        state.loaded = now;
        draw_meter(state);
        const LookNotes notes = look_notes(state);
        say("reloaded " + state.options.ini);
        say_notes(state, notes);
    } else {
        draw_meter(state);
    }
    arm_tick(state);
}

void configure(WatchState& state) {
    // The dialog's own loop passes this window's clicks on too.
    if (state.dialog_open) {
        return;
    }
    state.dialog_open = true;
    const std::string& section = state.section;
    const std::vector<std::string> before = section_as_saved(*state.meter, section);
    {
        // The dialog belongs to the thread of its owner, this window.
        const win::Wine64Rounding rounding;
        state.api.vis_configure(state.meter->instance());
    }
    state.dialog_open = false;
    // After a Cancel the file stays as the author wrote it.
    const std::vector<std::string> after = section_as_saved(*state.meter, section);
    if (after == before) {
        say("[" + section + "] unchanged");
        return;
    }
    try {
        save_section(state.file, state.options.ini, section, before, after);
        say("saved [" + section + "]");
    } catch (const Failure& failure) {
        // The window shows what the file holds, not a look that was not kept.
        say(failure.message + "; showing the file as it is");
        state.meter->load_settings(state.file, section);
    }
    // The meter holds what the file now does: no reload for this write.
    state.loaded = file_stamp(state.file);
    draw_meter(state);
    say_notes(state, look_notes(state));
}

void show(const WatchState& state, HDC dc) {
    BitBlt(dc, 0, 0, static_cast<int>(state.size.width), static_cast<int>(state.size.height),
           state.shown.dc(), 0, 0, SRCCOPY);
}

LRESULT CALLBACK watch_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lparam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* state = reinterpret_cast<WatchState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (state == nullptr || state->meter == nullptr || state->fault) {
        return DefWindowProcA(window, message, wparam, lparam);
    }
    try {
        switch (message) {
        case WM_TIMER:
            if (wparam == tick_timer) {
                tick(*state);
                return 0;
            }
            break;
        case WM_LBUTTONDBLCLK:
            configure(*state);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            if (const HDC dc = BeginPaint(window, &paint)) {
                show(*state, dc);
                EndPaint(window, &paint);
            }
            return 0;
        }
        case WM_PRINTCLIENT:
            show(*state, reinterpret_cast<HDC>(wparam));
            return 0;
        case WM_CLOSE:
            // The meter stays until its dialog has returned.
            if (!state->dialog_open) {
                PostQuitMessage(exit_code::ok);
            }
            return 0;
        default:
            break;
        }
    } catch (...) {
        state->fault = std::current_exception();
        PostQuitMessage(exit_code::internal);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

std::string windows_error_text(DWORD error) {
    return "Windows error " + std::to_string(error);
}

win::UniqueWindow open_window(WatchState& state) {
    const HINSTANCE program = GetModuleHandleA(nullptr);
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc = watch_procedure;
    window_class.hInstance = program;
    window_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    // Beyond the surface, when the frame is wider than it.
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = watch_window_class;
    if (!RegisterClassExA(&window_class)) {
        throw Failure{exit_code::no_dialog,
                      "cannot open a window (" + windows_error_text(GetLastError()) + ")"};
    }
    RECT frame{0, 0, static_cast<LONG>(state.size.width), static_cast<LONG>(state.size.height)};
    AdjustWindowRectEx(&frame, window_style, FALSE, 0);
    const std::string title = "[" + state.section + "] - scrivlet-host watch";
    win::UniqueWindow window(CreateWindowExA(
        0, watch_window_class, title.c_str(), window_style, CW_USEDEFAULT, CW_USEDEFAULT,
        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, program, &state));
    if (!window) {
        throw Failure{exit_code::no_dialog, "cannot open a window (" +
                                                windows_error_text(GetLastError()) +
                                                "): is there a display?"};
    }
    state.window = window.get();
    return window;
}

// Until the window is closed; rethrows what the window procedure caught.
void run_messages(const WatchState& state) {
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (state.fault) {
        std::rethrow_exception(state.fault);
    }
}

} // namespace

int run_watch(const Options& options) {
    const CommandStart start = start_command(options, SectionNeed::may_be_new);
    const auto& [file, section, section_exists] = start.settings;
    const Size size = watch_size(options.size, file_bytes(file), section);
    WatchState state(start.plugin.exports, options, file, section, size);
    {
        // The meter goes before its owner window does.
        const win::UniqueWindow window = open_window(state);
        const win::MeterSession meter = start_meter(state.api, section, window.get());
        state.loaded = file_stamp(file);
        meter.load_settings(file, section);
        state.meter = &meter;
        draw_meter(state);
        ShowWindow(window.get(), SW_SHOWNORMAL);
        UpdateWindow(window.get());
        print_notes("watch", start.notes);
        if (!section_exists) {
            say("[" + section + "] is not in " + options.ini +
                " yet; the defaults show until it is");
        }
        state.section_missing = !section_exists;
        say_notes(state, look_notes(state));
        say("[" + section + "] of " + options.ini + " at " + size_text(size) +
            "; double-click for the settings, close the window to stop");
        arm_tick(state);
        run_messages(state);
    }
    say("closed; the meter is shut down");
    return exit_code::ok;
}

} // namespace scrivlet::host
