// Opens the settings dialog of Scrivlet.dll the way a host does and writes a
// screenshot of it as PNG, then cancels it. For a person to look at the
// dialog; nothing compares the picture.
//   dialog-shot.exe OUT.png [INI SECTION]
// With INI and SECTION the meter's settings are loaded from there first.

#include "common/png.h"
#include "failure.h"
#include "settings_file.h"
#include "common/win/dib_surface.h"
#include "common/win/handles.h"
#include "common/win/meter_session.h"
#include "common/win/plugin_loader.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr auto appear_limit = 15s;
// Time for the dialog and its controls to finish painting after it shows.
constexpr auto settle_time = 700ms;
constexpr char dialog_class[] = "#32770";
constexpr char dialog_caption[] = "Settings";

HWND find_dialog(DWORD thread) {
    HWND found = nullptr;
    const auto deadline = std::chrono::steady_clock::now() + appear_limit;
    while (found == nullptr && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
        const HWND window = FindWindowA(dialog_class, dialog_caption);
        if (window != nullptr && IsWindowVisible(window) &&
            GetWindowThreadProcessId(window, nullptr) == thread) {
            found = window;
        }
    }
    return found;
}

// The dialog's pixels as the screen shows them, frame and caption included.
bool capture(HWND window, scrivlet::png::Image& image) {
    RECT frame{};
    if (!GetWindowRect(window, &frame)) {
        return false;
    }
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    std::optional<scrivlet::win::DibSurface> surface;
    try {
        surface.emplace(static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    } catch (const scrivlet::win::SurfaceError&) {
        return false;
    }
    const scrivlet::win::UniqueWindowDc screen = scrivlet::win::window_dc(nullptr);
    if (!BitBlt(surface->dc(), 0, 0, width, height, screen.get().dc, frame.left, frame.top,
                SRCCOPY)) {
        return false;
    }
    image.width = surface->width();
    image.height = surface->height();
    image.rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    const uint8_t* bgra = surface->pixels();
    for (size_t i = 0; i < image.rgba.size(); i += 4) {
        image.rgba[i] = bgra[i + 2];
        image.rgba[i + 1] = bgra[i + 1];
        image.rgba[i + 2] = bgra[i];
        image.rgba[i + 3] = 255;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: dialog-shot.exe OUT.png [INI SECTION]\n");
        return 2;
    }
    const std::string output = argv[1];

    scrivlet::win::LoadedPlugin plugin =
        scrivlet::win::load_plugin(scrivlet::win::plugin_beside_program());
    // Loaded until the process ends, as a host keeps it.
    if (plugin.module.release() == nullptr || plugin.missing_export != nullptr) {
        std::fprintf(stderr, "dialog-shot: cannot load Scrivlet.dll beside the program\n");
        return 1;
    }

    // A plain top-level window stands for the host's window.
    const scrivlet::win::UniqueWindow host(CreateWindowExA(0, "STATIC", "dialog-shot host",
                                                           WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                                           nullptr, nullptr, nullptr, nullptr));
    const scrivlet::win::MeterSession meter(plugin.exports, host.get());
    if (meter.instance() == nullptr) {
        std::fprintf(stderr, "dialog-shot: dllstartup gave no record\n");
        return 1;
    }
    if (argc == 4) {
        // The plug-in reads a missing file or section as the defaults: a
        // picture of those would look like the theme's.
        try {
            const std::string ini = scrivlet::host::readable_settings_file(argv[2]);
            if (!scrivlet::host::has_section(scrivlet::host::section_names(ini), argv[3])) {
                throw scrivlet::host::Failure{scrivlet::host::exit_code::settings_file,
                                              std::string("no section [") + argv[3] + "] in '" +
                                                  argv[2] + "'"};
            }
            meter.load_settings(ini, argv[3]);
        } catch (const scrivlet::host::Failure& failure) {
            std::fprintf(stderr, "dialog-shot: %s\n", failure.message.c_str());
            return failure.exit_code;
        }
    }

    std::atomic<int> status{1};
    const DWORD host_thread = GetCurrentThreadId();
    std::thread shooter([&] {
        const HWND dialog = find_dialog(host_thread);
        if (dialog == nullptr) {
            std::fprintf(stderr, "dialog-shot: no \"Settings\" dialog appeared\n");
            return;
        }
        std::this_thread::sleep_for(settle_time);
        scrivlet::png::Image image;
        if (!capture(dialog, image)) {
            std::fprintf(stderr, "dialog-shot: cannot capture the dialog\n");
        } else if (const std::error_code error = scrivlet::png::write_file(output, image)) {
            std::fprintf(stderr, "dialog-shot: cannot write %s: %s\n", output.c_str(),
                         error.message().c_str());
        } else {
            std::printf("dialog-shot: wrote %s (%ux%u)\n", output.c_str(), image.width,
                        image.height);
            status = 0;
        }
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    meter.configure();
    shooter.join();
    return status;
}
