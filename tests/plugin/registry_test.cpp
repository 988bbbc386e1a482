// How the plug-in hands out and takes back meter records: a released
// record's address is not handed out again while a host may still hold it,
// so a stale pointer can never reach a newer meter.

#include "plugin/module.h"
#include "support/plugin.h"
#include "support/surface.h"
#include "common/win/paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <string>

namespace scrivlet::test {
namespace {

TEST(Registry, ReleasedAddressesAreNotHandedOutAgainWhileKept) {
    // Three times round the kept set, so that the oldest blocks are freed and
    // may come back, as they are allowed to.
    constexpr size_t cycles = 3 * released_records_kept;
    std::deque<void*> recently_released;
    size_t reused_from_the_set = 0;
    for (size_t i = 0; i < cycles; ++i) {
        void* instance = plugin().dllstartup(nullptr, 0);
        ASSERT_NE(instance, nullptr);
        if (std::find(recently_released.begin(), recently_released.end(), instance) !=
            recently_released.end()) {
            ++reused_from_the_set;
        }
        plugin().dllshutdown(instance);
        recently_released.push_back(instance);
        if (recently_released.size() > released_records_kept) {
            recently_released.pop_front();
        }
    }
    EXPECT_EQ(reused_from_the_set, 0u);
}

TEST(Registry, SecondShutdownOfAnOldPointerLeavesTheNewMeterWorking) {
    const std::string file = win::temp_folder() + "scrivlet-registry-" +
                             std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(GetTickCount()) + ".ini";
    std::ofstream(file, std::ios::binary) << "[Meter]\r\nScrivlet_Text=<%v>\r\n";

    Surface expected(120, 40);
    {
        const Meter reference;
        plugin().load_settings(reference.instance(), file.c_str(), "Meter");
        reference.repaint(expected.dc(), "88", 120, 40);
    }
    ASSERT_GT(expected.covered(), 20);

    for (int round = 0; round < 20; ++round) {
        void* old = plugin().dllstartup(nullptr, 0);
        ASSERT_NE(old, nullptr);
        EXPECT_EQ(plugin().dllshutdown(old), 0);
        const Meter fresh;
        EXPECT_EQ(plugin().dllshutdown(old), 0); // the host's stale second call
        EXPECT_EQ(plugin().load_settings(fresh.instance(), file.c_str(), "Meter"), 0);
        EXPECT_EQ(fresh.record().text_template, "<%v>") << round;
        Surface drawn(120, 40);
        fresh.repaint(drawn.dc(), "88", 120, 40);
        EXPECT_TRUE(drawn.same_pixels(expected)) << round;
    }
    DeleteFileA(file.c_str());
}

} // namespace
} // namespace scrivlet::test
