// scrivlet-host watch end to end: the window shows what the meter draws over
// a checkerboard, follows edits of the INI file, opens the settings dialog
// on a double-click and saves when it returns, repaints the clock, and
// shuts the meter down when it is closed. (Without a display: the
// watch_without_display test beside this one.)

#include "host_run.h"

#include "common/win/dib_surface.h"
#include "common/win/find_window.h"
#include "common/win/handles.h"
#include "pixels.h"
#include "watch_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace scrivlet::test {
namespace {

using host::Rgb;

// A limit that catches a hang only: the window closes within a second or two.
constexpr DWORD finish_limit_ms = 60000;

// Ends the host when a test stops early, so that no window outlives it.
struct EndsHost {
    const RunningHost& host;
    ~EndsHost() { host.child.wait(0); }
};

// The window's client area as the screen shows it.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;

    Rgb at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    int count(Rgb colour) const {
        int found = 0;
        for (const Rgb& pixel : pixels) {
            found += pixel == colour ? 1 : 0;
        }
        return found;
    }
    bool operator==(const Capture&) const = default;
};

Capture capture_client(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    Capture capture{client.right, client.bottom, {}};
    if (capture.width <= 0 || capture.height <= 0) {
        return Capture{};
    }
    const win::DibSurface surface(static_cast<uint32_t>(capture.width),
                                  static_cast<uint32_t>(capture.height));
    const win::UniqueWindowDc screen = win::window_dc(nullptr);
    BitBlt(surface.dc(), 0, 0, capture.width, capture.height, screen.get().dc, origin.x, origin.y,
           SRCCOPY);
    const uint8_t* bgra = surface.pixels();
    for (size_t i = 0; i < static_cast<size_t>(capture.width) * capture.height; ++i) {
        capture.pixels.push_back(Rgb{bgra[i * 4 + 2], bgra[i * 4 + 1], bgra[i * 4]});
    }
    return capture;
}

// 8-pixel squares, light at the top-left corner.
Rgb checker_at(int x, int y) {
    const int square = static_cast<int>(host::checker_square_px);
    return (x / square + y / square) % 2 == 0 ? host::checker_light : host::checker_dark;
}

// Whether a block of the capture (left, top inclusive; right, bottom
// exclusive) shows nothing but the checkerboard.
bool shows_checker(const Capture& capture, int left, int top, int right, int bottom) {
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if (!(capture.at(x, y) == checker_at(x, y))) {
                return false;
            }
        }
    }
    return true;
}

// Replaced in one step, as an editor that saves through a new file does, so
// that the host never loads a half-written file.
void replace_file(const std::string& path, const std::string& text) {
    const std::string fresh = path + ".new";
    write_text_file(fresh, text);
    ASSERT_TRUE(MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
}

// What the host has printed until now, without the C runtime's carriage
// returns.
std::string output_so_far(const RunningHost& host) {
    std::string text = file_bytes(host.out_path);
    std::erase(text, '\r');
    return text;
}

std::string profile_string(const std::string& file, const char* section, const char* key) {
    char text[256] = {};
    GetPrivateProfileStringA(section, key, "", text, sizeof(text), file.c_str());
    return text;
}

const std::string start_hint = "; double-click for the settings, close the window to stop\n";
const std::string shut_down_line = "watch: closed; the meter is shut down\n";

// The value in bold, in a colour of its own at the top-left; the size the
// window takes from the comment. Keys left out come back when it saves.
std::string watched_section(const char* font_colour) {
    return std::string("; size: 200x60\r\n"
                       "[Watched]\r\n"
                       "Scrivlet_FontColor=") +
           font_colour +
           "\r\n"
           "Scrivlet_FontSettings=0,0,28,1,0,0,30,1\r\n"
           "Scrivlet_Text=%v\r\n";
}

// The clock by default, drawn in the file's colour.
// The settings dialog a double-click on the window opens, owned by it.
HWND open_dialog(const RunningHost& running, HWND window) {
    PostMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10));
    const HWND dialog = wait_for_window(running, win::dialog_class);
    EXPECT_NE(dialog, nullptr) << "no settings dialog appeared";
    if (dialog != nullptr) {
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), window);
    }
    return dialog;
}

// The template box of the settings dialog.
constexpr int template_box = 2064;

TEST(Watch, FollowsTheFileOpensTheDialogAndShutsTheMeterDownOnClose) {
    constexpr Rgb dark_red{200, 0, 0};
    constexpr Rgb blue{0, 0, 255};
    // Glyph interiors, opaque whatever the antialiasing does at the edges.
    constexpr int some_glyph_pixels = 50;
    const std::string ini = scratch_folder() + "watched.ini";
    write_text_file(ini, watched_section("255,200,0,0"));

    const RunningHost running = start_host({"watch", "--ini", ini, "--section", "Watched"});
    const EndsHost ends{running};
    const HWND window = wait_for_window(running, host::watch_window_class);
    ASSERT_NE(window, nullptr) << "no watch window appeared";

    Capture shown;
    EXPECT_TRUE(wait_for(running, [&] {
        shown = capture_client(window);
        return shown.count(dark_red) >= some_glyph_pixels;
    })) << "the meter's dark red never showed";
    ASSERT_EQ(shown.width, 200);
    ASSERT_EQ(shown.height, 60);
    EXPECT_EQ(shown.count(blue), 0);
    // Where the meter draws nothing, its transparent pixels show the board.
    EXPECT_TRUE(shows_checker(shown, 120, 44, 200, 60));

    replace_file(ini, watched_section("255,0,0,255"));
    EXPECT_TRUE(wait_for(running, [&] {
        shown = capture_client(window);
        return shown.count(blue) >= some_glyph_pixels && shown.count(dark_red) == 0;
    })) << "the edited colour never showed";
    EXPECT_TRUE(shows_checker(shown, 120, 44, 200, 60));

    // Cancel: the file stays as the author wrote it.
    const std::string as_written = file_bytes(ini);
    const std::string unchanged_line = "watch: [Watched] unchanged\n";
    const HWND cancelled = open_dialog(running, window);
    if (cancelled != nullptr) {
        PostMessageA(cancelled, WM_COMMAND, IDCANCEL, 0);
    }
    EXPECT_TRUE(wait_for(
        running, [&] { return output_so_far(running).find(unchanged_line) != std::string::npos; }))
        << "no word after the cancelled dialog: " << output_so_far(running);
    EXPECT_EQ(file_bytes(ini), as_written);

    // An edit and OK while another program keeps the file from writers:
    // said, and the file as it was.
    const std::string refused_line =
        "watch: cannot write '" + ini + "': access denied; showing the file as it is\n";
    {
        const win::UniqueFile held(CreateFileA(ini.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_TRUE(static_cast<bool>(held));
        const HWND refused = open_dialog(running, window);
        if (refused != nullptr) {
            SendMessageA(GetDlgItem(refused, template_box), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>("%v?"));
            PostMessageA(refused, WM_COMMAND, IDOK, 0);
        }
        EXPECT_TRUE(wait_for(
            running,
            [&] { return output_so_far(running).find(refused_line) != std::string::npos; }))
            << "no word of the refused write: " << output_so_far(running);
    }
    EXPECT_EQ(file_bytes(ini), as_written);

    // An edit and OK: saved to the file.
    const HWND dialog = open_dialog(running, window);
    if (dialog != nullptr) {
        SendMessageA(GetDlgItem(dialog, template_box), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>("%v!"));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
    const std::string saved_line = "watch: saved [Watched]\n";
    EXPECT_TRUE(wait_for(
        running, [&] { return output_so_far(running).find(saved_line) != std::string::npos; }))
        << "no save after the dialog: " << output_so_far(running);
    // The author's lines as they were but the edited one, keys the file
    // lacked after it, all in its CRLF line ends.
    std::string kept = as_written;
    kept.replace(kept.find("Scrivlet_Text=%v\r\n"), 18, "Scrivlet_Text=%v!\r\n");
    const std::string saved = file_bytes(ini);
    EXPECT_EQ(saved.substr(0, kept.size()), kept);
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'),
              std::count(saved.begin(), saved.end(), '\r'));
    // The new text and the colour the author wrote; keys the file lacked and
    // the dialog left at their defaults stay out of it.
    EXPECT_EQ(profile_string(ini, "Watched", "Scrivlet_Text"), "%v!");
    EXPECT_EQ(profile_string(ini, "Watched", "Scrivlet_FontColor"), "255,0,0,255");
    EXPECT_EQ(profile_string(ini, "Watched", "Scrivlet_ShadowSettings"), "");
    EXPECT_EQ(profile_string(ini, "Watched", "Scrivlet_Font"), "");
    EXPECT_EQ(saved, kept);
    // Two new looks of the clock: at most one is the save's own repaint, so
    // a tick, which looks at the file first, has come since the save. The
    // looks are counted from the window seen whole again, the dialog gone.
    EXPECT_TRUE(wait_for(running, [&] {
        shown = capture_client(window);
        return !IsWindow(dialog) && shown.count(blue) >= some_glyph_pixels &&
               shows_checker(shown, 120, 44, 200, 60);
    })) << "the window did not come back after the dialog";
    for (int look = 0; look < 2; ++look) {
        EXPECT_TRUE(wait_for(running, [&] {
            const Capture now = capture_client(window);
            const bool changed = !(now == shown);
            shown = now;
            return changed;
        })) << "the clock stopped after the save";
    }

    PostMessageA(window, WM_CLOSE, 0, 0);
    const HostResult result = finish_host(running, finish_limit_ms);
    EXPECT_EQ(result.exit_code, exit_ok) << result.err;
    EXPECT_EQ(result.err, "");
    // One reload for the one edit; none for the host's own save.
    EXPECT_EQ(result.out, "watch: [Watched] of " + ini + " at 200x60" + start_hint +
                              "watch: reloaded " + ini + "\n" + unchanged_line + refused_line +
                              saved_line + shut_down_line);
}

// Whether a block of the capture shows nothing but one colour.
bool shows_only(const Capture& capture, Rgb colour, int left, int top, int right, int bottom) {
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if (!(capture.at(x, y) == colour)) {
                return false;
            }
        }
    }
    return true;
}

// Over --background's colour, which light text needs.
TEST(Watch, TheClockMovesOn) {
    constexpr Rgb slate{0x20, 0x30, 0x40};
    const std::string ini = scratch_folder() + "clock.ini";
    write_text_file(ini, "[Ticking]\r\n"
                         "Scrivlet_FontColor=255,0,0,0\r\n"
                         "Scrivlet_FontSettings=0,0,20,1,0,0,30,1\r\n");
    const RunningHost running =
        start_host({"watch", "--ini", ini, "--section", "Ticking", "--clock", "--size", "150x40",
                    "--background", "203040"});
    const EndsHost ends{running};
    const HWND window = wait_for_window(running, host::watch_window_class);
    ASSERT_NE(window, nullptr) << "no watch window appeared";
    Capture first;
    EXPECT_TRUE(wait_for(running, [&] {
        first = capture_client(window);
        // Black is also what the screen shows before the window paints.
        return first.count(Rgb{0, 0, 0}) > 0 && shows_only(first, slate, 120, 32, 150, 40);
    })) << "no time drawn";
    EXPECT_EQ(first.width, 150);
    EXPECT_EQ(first.height, 40);
    EXPECT_TRUE(wait_for(running, [&] { return !(capture_client(window) == first); }))
        << "the time shown never changed";

    PostMessageA(window, WM_CLOSE, 0, 0);
    const HostResult result = finish_host(running, finish_limit_ms);
    EXPECT_EQ(result.exit_code, exit_ok) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out,
              "watch: [Ticking] of " + ini + " at 150x40" + start_hint + shut_down_line);
}

// render's notes on start and after each reload that changes them; a
// section gone from the file is said too.
TEST(Watch, SaysWhatRenderWouldNoteWhenTheLookChanges) {
    const std::string ini = scratch_folder() + "noted.ini";
    const auto noted = [](const char* face) {
        return std::string("[Noted]\r\nScrivlet_FontSettings=0,0,20,0,0,0,30,1\r\nScrivlet_Font=") +
               face + "\r\nScrivlet_BorderSettings=0,1\r\n";
    };
    write_text_file(ini, noted("Arial"));
    const RunningHost running = start_host(
        {"watch", "--ini", ini, "--section", "Noted", "--value", "1234567890", "--size", "60x40"});
    const EndsHost ends{running};
    const HWND window = wait_for_window(running, host::watch_window_class);
    ASSERT_NE(window, nullptr) << "no watch window appeared";
    std::string said = "watch: [Noted] of " + ini + " at 60x40" + start_hint;
    // Each edit once its reload has been said in full.
    for (const std::string& text : {noted("Arail"), std::string("; emptied\r\n")}) {
        ASSERT_TRUE(wait_for(running, [&] { return output_so_far(running) == said; }))
            << output_so_far(running);
        replace_file(ini, text);
        said += "watch: reloaded " + ini + "\n";
    }
    said += "watch: [Noted] is no longer in " + ini + "; the defaults show until it is back\n";
    ASSERT_TRUE(wait_for(running, [&] { return output_so_far(running) == said; }))
        << output_so_far(running);
    // Back, as two lines: a clock's date under its time.
    replace_file(ini, "[Noted]\r\nScrivlet_Text=A%bB\r\n");
    said += "watch: reloaded " + ini + "\n";
    ASSERT_TRUE(wait_for(running, [&] { return output_so_far(running) == said; }))
        << output_so_far(running);

    PostMessageA(window, WM_CLOSE, 0, 0);
    const HostResult result = finish_host(running, finish_limit_ms);
    EXPECT_EQ(result.exit_code, exit_ok) << result.err;
    EXPECT_EQ(result.out, said + shut_down_line);
    const auto wraps = [](const char* px) {
        return std::string("watch: the text is wider than the 60 px surface (58 px to lay out "
                           "in): \"1234567890\" needs about ") +
               px +
               " px and wraps to a second line, breaking the word \"1234567890\" where the "
               "line ends (Wine draws only the first line)\n";
    };
    // The section gone, the defaults show: white Arial 16 pt, no border.
    EXPECT_EQ(result.err, wraps("149") +
                              "watch: nothing was drawn; what check finds in the section:\n"
                              "watch:   [Noted] Scrivlet_Font=Arail: the face \"Arail\" is not "
                              "installed: the text draws nothing; installed faces spelt like it: "
                              "\"Arial\"\n" +
                              wraps("119") +
                              "watch: under Wine, GDI+ draws only the first line and leaves tabs "
                              "out; the text has 2 lines, which Windows draws in full\n"
                              "watch: the text's 2 lines need about 48 px, more than the 40 px of "
                              "the surface: what does not fit is cut off (Wine moves such text "
                              "down instead)\n");
}

TEST(Watch, ShowsTheValueGivenAndTheDefaultsOfASectionNotYetWritten) {
    const std::string ini = scratch_folder() + "empty.ini";
    write_text_file(ini, "; nothing yet\r\n");
    // The defaults draw the value itself in white: an empty value draws
    // nothing, where the clock would have drawn the time.
    const RunningHost running =
        start_host({"watch", "--ini", ini, "--section", "Later", "--value", ""});
    const EndsHost ends{running};
    const HWND window = wait_for_window(running, host::watch_window_class);
    ASSERT_NE(window, nullptr) << "no watch window appeared";
    Capture shown;
    EXPECT_TRUE(wait_for(running, [&] {
        shown = capture_client(window);
        return shown.width > 0 && shows_checker(shown, 0, 0, shown.width, shown.height);
    })) << "something drawn over the checkerboard";
    EXPECT_EQ(shown.width, 240);
    EXPECT_EQ(shown.height, 80);

    PostMessageA(window, WM_CLOSE, 0, 0);
    const HostResult result = finish_host(running, finish_limit_ms);
    EXPECT_EQ(result.exit_code, exit_ok) << result.err;
    EXPECT_EQ(result.out, "watch: [Later] is not in " + ini +
                              " yet; the defaults show until it is\n"
                              "watch: [Later] of " +
                              ini + " at 240x80" + start_hint + shut_down_line);
}

TEST(Watch, WhatStopsItBeforeAWindowIsOneLineAndItsExitCode) {
    const std::string plain = scratch_folder() + "plain.ini";
    write_text_file(plain, watched_section("255,200,0,0"));
    const std::string missing = scratch_folder() + "missing.ini";
    const std::string no_dll = scratch_folder() + "none.dll";
    struct Case {
        std::vector<std::string> args;
        int exit_code;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"watch", "--ini", missing, "--section", "Watched"},
         exit_settings,
         "scrivlet-host: cannot read settings file '" + missing + "': no such file\n"},
        {{"watch", "--ini", plain, "--section", "Watched", "--dll", no_dll},
         exit_plugin,
         "scrivlet-host: no plug-in at '" + no_dll + "'\n"},
    };
    for (const Case& c : cases) {
        const HostResult result = run_host(c.args);
        EXPECT_EQ(result.exit_code, c.exit_code) << c.err;
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.out, "");
    }
}

} // namespace
} // namespace scrivlet::test
