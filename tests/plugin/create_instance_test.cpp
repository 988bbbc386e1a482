// Making a meter when memory runs out at any allocation on the way: no
// record stays registered, no GDI+ start-up is left without its shut-down
// and no memory is left behind. Runs the registry of this program itself
// (the same code the DLL holds) beside the gdiplus.dll stand-in, with every
// allocation counted and any one of them made to fail.

#include "plugin/module.h"
#include "support/standin.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace {

// Allocation count since arming, the one to fail (0: none) and the blocks
// still live. Plain globals: the host's single thread is all there is here.
int allocations_since_armed = 0;
int failing_allocation = 0;
long live_blocks = 0;

void* allocate(std::size_t size) {
    if (failing_allocation != 0 && ++allocations_since_armed == failing_allocation) {
        throw std::bad_alloc();
    }
    void* block = std::malloc(size != 0 ? size : 1);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    ++live_blocks;
    return block;
}

void release(void* block) noexcept {
    if (block != nullptr) {
        --live_blocks;
        std::free(block);
    }
}

} // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void operator delete(void* block) noexcept {
    release(block);
}
void operator delete[](void* block) noexcept {
    release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    release(block);
}

namespace scrivlet::test {
namespace {

TEST(CreateInstance, RunningOutOfMemoryAtAnyAllocationLeavesNothingBehind) {
    ASSERT_TRUE(standin::loaded());
    // This program's registry is empty, so the first registration also
    // makes the registry's table: one allocation more that can fail.
    ASSERT_EQ(instance_count(), 0u);
    constexpr int most_allocations = 64;
    int failed_allocations = 0;
    bool made = false;
    for (int fail_at = 1; fail_at <= most_allocations && !made; ++fail_at) {
        standin::reset();
        const long live_before = live_blocks;
        allocations_since_armed = 0;
        failing_allocation = fail_at;
        MeterRecord* record = nullptr;
        bool threw_bad_alloc = false;
        try {
            record = create_instance(nullptr);
        } catch (const std::bad_alloc&) {
            threw_bad_alloc = true;
        }
        failing_allocation = 0;
        const bool failure_reached = allocations_since_armed >= fail_at;
        const long live_after = live_blocks;
        const std::vector<std::string> gdiplus =
            standin::lines_of({"GdiplusStartup", "GdiplusShutdown"});

        if (!failure_reached) {
            made = true;
            ASSERT_NE(record, nullptr);
            EXPECT_FALSE(threw_bad_alloc);
            EXPECT_EQ(instance_count(), 1u);
            ASSERT_EQ(gdiplus.size(), 1u);
            EXPECT_EQ(gdiplus[0].rfind("GdiplusStartup(", 0), 0u) << gdiplus[0];
            shutdown_instance(*record);
            EXPECT_EQ(instance_count(), 0u);
            EXPECT_EQ(standin::lines_of({"GdiplusStartup", "GdiplusShutdown"}).size(), 2u);
            break;
        }
        ++failed_allocations;
        EXPECT_EQ(record, nullptr) << "allocation " << fail_at;
        EXPECT_EQ(instance_count(), 0u) << "allocation " << fail_at;
        EXPECT_EQ(gdiplus, std::vector<std::string>{}) << "allocation " << fail_at;
        EXPECT_EQ(live_after, live_before) << "allocation " << fail_at;
    }
    EXPECT_TRUE(made);
    // At least the record and its registration.
    EXPECT_GE(failed_allocations, 2);
}

} // namespace
} // namespace scrivlet::test
