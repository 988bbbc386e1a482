// A host may load and free the plug-in many times in one process (to
// reconfigure, or on every skin change). Each cycle must give back every
// handle and all memory: the process's handle count and private bytes stay
// flat over a thousand cycles, some of which also run a meter.

#include "common/win/gui_resources.h"
#include "common/win/meter_session.h"
#include "common/win/plugin_loader.h"
#include "support/plugin.h"
#include "support/surface.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include <array>
#include <cstdio>
#include <string>

namespace scrivlet::test {
namespace {

constexpr int warm_up_cycles = 30;
constexpr int measured_cycles = 1000;
// One cycle in this many also starts a meter, draws it and shuts it down.
constexpr int meter_every = 10;
// What a thousand cycles may add: noise of the heap and of Wine, far below
// one handle or one kilobyte a cycle.
constexpr long handle_tolerance = 10;
constexpr long long byte_tolerance = 512 * 1024;

struct Usage {
    long handles = 0;
    long long private_bytes = 0;
    long long pagefile_bytes = 0;
};

Usage usage() {
    Usage u;
    u.handles = win::kernel_handles();
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    // Wine leaves PrivateUsage at 0; its PagefileUsage is the private commit.
    u.private_bytes = static_cast<long long>(counters.PrivateUsage != 0 ? counters.PrivateUsage
                                                                        : counters.PagefileUsage);
    u.pagefile_bytes = static_cast<long long>(counters.PagefileUsage);
    return u;
}

// Loads the DLL, runs one meter when asked, frees it; true when it really
// went from the process again.
bool cycle(const std::string& path, bool with_meter, const Surface& surface) {
    {
        const win::LoadedPlugin plugin = win::load_plugin(path);
        if (!plugin.module) {
            return false;
        }
        if (with_meter) {
            if (plugin.missing_export != nullptr) {
                return false;
            }
            const win::MeterSession meter(plugin.exports);
            meter.repaint(surface.dc(), "42", surface.width(), surface.height());
        }
    } // the meter is shut down, then the module freed
    return GetModuleHandleA(path.c_str()) == nullptr;
}

// The system libraries Scrivlet.dll imports stay loaded for the whole run,
// so that what is measured is this DLL's own. Unloaded with it, Wine's
// comdlg32 leaves a mutex and some memory behind on every cycle.
class SystemLibraries {
public:
    SystemLibraries() {
        for (size_t i = 0; i < names_.size(); ++i) {
            modules_[i] = LoadLibraryA(names_[i]);
        }
    }
    SystemLibraries(const SystemLibraries&) = delete;
    SystemLibraries& operator=(const SystemLibraries&) = delete;
    ~SystemLibraries() {
        for (HMODULE module : modules_) {
            if (module != nullptr) {
                FreeLibrary(module);
            }
        }
    }

private:
    static constexpr std::array<const char*, 4> names_ = {"comdlg32.dll", "gdiplus.dll",
                                                          "user32.dll", "gdi32.dll"};
    std::array<HMODULE, 4> modules_{};
};

TEST(DllCycles, LoadAndFreeAThousandTimesGivesBackHandlesAndMemory) {
    const std::string path = program_folder() + "Scrivlet.dll";
    ASSERT_EQ(GetModuleHandleA(path.c_str()), nullptr);
    const SystemLibraries system_libraries;
    const Surface surface(120, 40);
    for (int i = 0; i < warm_up_cycles; ++i) {
        ASSERT_TRUE(cycle(path, i % meter_every == 0, surface)) << "warm-up " << i;
    }
    const Usage before = usage();
    ASSERT_GT(before.handles, 0);
    ASSERT_GT(before.private_bytes, 0);
    for (int i = 0; i < measured_cycles; ++i) {
        ASSERT_TRUE(cycle(path, i % meter_every == 0, surface)) << "cycle " << i;
    }
    const Usage after = usage();
    EXPECT_LE(after.handles - before.handles, handle_tolerance)
        << before.handles << " -> " << after.handles << " handles";
    EXPECT_LE(after.private_bytes - before.private_bytes, byte_tolerance)
        << before.private_bytes << " -> " << after.private_bytes << " private bytes";
    EXPECT_LE(after.pagefile_bytes - before.pagefile_bytes, byte_tolerance)
        << before.pagefile_bytes << " -> " << after.pagefile_bytes << " pagefile bytes";
    std::printf("handles %ld -> %ld, private bytes %lld -> %lld, pagefile bytes %lld -> %lld\n",
                before.handles, after.handles, before.private_bytes, after.private_bytes,
                before.pagefile_bytes, after.pagefile_bytes);
}

} // namespace
} // namespace scrivlet::test
