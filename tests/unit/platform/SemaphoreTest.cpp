// Counting semaphores: initial and maximum counts, and blocking waits.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace arvel::platform {
namespace {

TEST(PlatformSemaphore, RefusesImpossibleCounts) {
    EXPECT_EQ(createSemaphore(2, 1), nullptr);
    EXPECT_EQ(createSemaphore(0, 0), nullptr);
    EXPECT_EQ(createSemaphore(-1, 1), nullptr);
}

TEST(PlatformSemaphore, ReleaseBeyondTheMaximumFails) {
    Semaphore* semaphore = createSemaphore(1, 1);
    ASSERT_NE(semaphore, nullptr);
    EXPECT_FALSE(releaseSemaphore(semaphore));
    waitSemaphore(semaphore);
    EXPECT_TRUE(releaseSemaphore(semaphore));
    EXPECT_FALSE(releaseSemaphore(semaphore));
    closeSemaphore(semaphore);
}

TEST(PlatformSemaphore, InitialCountAllowsThatManyWaitsAndReleasesRefillToTheMaximum) {
    Semaphore* semaphore = createSemaphore(0, 3);
    ASSERT_NE(semaphore, nullptr);
    EXPECT_TRUE(releaseSemaphore(semaphore));
    EXPECT_TRUE(releaseSemaphore(semaphore));
    EXPECT_TRUE(releaseSemaphore(semaphore));
    EXPECT_FALSE(releaseSemaphore(semaphore));
    waitSemaphore(semaphore);
    waitSemaphore(semaphore);
    waitSemaphore(semaphore);
    EXPECT_TRUE(releaseSemaphore(semaphore));
    closeSemaphore(semaphore);
}

TEST(PlatformSemaphore, WaitBlocksUntilAnotherThreadReleases) {
    Semaphore* semaphore = createSemaphore(0, 1);
    ASSERT_NE(semaphore, nullptr);
    std::atomic<bool> passed{false};
    std::thread waiter([&] {
        waitSemaphore(semaphore);
        passed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(passed);
    EXPECT_TRUE(releaseSemaphore(semaphore));
    waiter.join();
    EXPECT_TRUE(passed);
    closeSemaphore(semaphore);
}

TEST(PlatformSemaphore, NullHandlesAreHarmless) {
    waitSemaphore(nullptr);
    EXPECT_FALSE(releaseSemaphore(nullptr));
    closeSemaphore(nullptr);
}

}  // namespace
}  // namespace arvel::platform
