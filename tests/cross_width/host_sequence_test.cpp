// One meter through every export in the order a host calls them, the
// settings dialog shown and cancelled as a user would: what the host gets
// back at each step, and a section that comes back from save_settings as it
// was written.

#include "host/host_run.h"
#include "support/plugin.h"
#include "support/record_text.h"
#include "support/surface.h"
#include "common/win/find_window.h"
#include "common/win/paths.h"
#include "common/win/polling_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace scrivlet::test {
namespace {

// Cancels this process's settings dialog once it shows. The host's thread is
// blocked in vis_configure meanwhile, so a dialog that never shows or never
// closes ends the program: nothing else would.
class SettingsDialogCanceller {
public:
    SettingsDialogCanceller() : poller_(poll_ms, [this] { poll(); }) {}

    bool cancelled() const { return cancelled_; }

private:
    // The whole sequence takes under a second, under emulation too (two
    // more where Wine waits for a window manager that is not there).
    static constexpr DWORD poll_ms = 20;
    static constexpr ULONGLONG limit_ms = 600000;

    void poll() {
        if (GetTickCount64() > deadline_) {
            std::fprintf(stderr, "x86_32_check: vis_configure has not returned after %llu s\n",
                         limit_ms / 1000);
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        const HWND dialog =
            win::find_visible_window(GetCurrentProcessId(), win::dialog_class, "Settings");
        if (dialog != nullptr) {
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            cancelled_ = true;
        }
    }

    std::atomic<bool> cancelled_{false};
    const ULONGLONG deadline_ = GetTickCount64() + limit_ms;
    const win::PollingThread poller_;
};

// The section of an INI text as the profile functions write it: its header
// and its key lines, CR LF after each, comments and blank lines left out.
std::string section_as_written(const std::string& ini, const std::string& section) {
    std::istringstream lines(ini);
    std::string written;
    bool inside = false;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line.front() == '[') {
            inside = line == "[" + section + "]";
        }
        if (inside && !line.empty() && line.front() != ';') {
            written += line + "\r\n";
        }
    }
    return written;
}

TEST(HostSequence, EveryExportInTheHostsOrder) {
    const api::Exports& dll = plugin();
    const std::string ini = examples_folder() + "cpu.ini";
    const char section[] = "CPU";
    const win::ScratchFolder folder("scrivlet-x86-32-check");
    const std::string saved = folder.path() + "saved.ini";

    EXPECT_EQ(dll.dlltype(), api::plugin_type);
    EXPECT_STREQ(dll.getinfo(0), "Scrivlet");
    void* meter = dll.dllstartup(nullptr, 0);
    ASSERT_NE(meter, nullptr);
    const auto& record = *static_cast<const MeterRecord*>(meter);

    EXPECT_EQ(dll.load_settings(meter, ini.c_str(), section), 0);
    const std::vector<std::string> loaded = persisted_lines(record);

    Surface surface(200, 40);
    EXPECT_EQ(dll.repaint(surface.dc(), meter, "37.25", 200, 40), 0);
    EXPECT_EQ(surface.at(0, 0), Pixel{}) << "not cleared to transparent";
    EXPECT_GT(surface.covered(), 200);

    {
        const SettingsDialogCanceller canceller;
        EXPECT_EQ(dll.vis_configure(meter), 0);
        EXPECT_TRUE(canceller.cancelled()) << "vis_configure returned without a dialog";
    }
    EXPECT_EQ(persisted_lines(record), loaded) << "Cancel changed the meter";

    EXPECT_EQ(dll.save_settings(meter, saved.c_str(), section), 0);
    const std::string expected = section_as_written(file_bytes(ini), section);
    ASSERT_NE(expected.find("Scrivlet_ShadowSettings="), std::string::npos);
    EXPECT_EQ(file_bytes(saved), expected);

    EXPECT_EQ(dll.dllshutdown(meter), 0);
}

} // namespace
} // namespace scrivlet::test
