#include "core/Semaphore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "ReportCapture.h"

namespace arvel {
namespace {

using test::drainPostedCloses;

class SemaphoreTest : public test::ReportingTest {};

TEST_F(SemaphoreTest, LockCanBeTakenAgainAfterRelease) {
    Semaphore* lock = createSemaphore(1, 1);
    ASSERT_NE(lock, nullptr);
    waitSemaphore(lock);
    releaseSemaphore(lock);
    waitSemaphore(lock);  // would block forever if the release were lost
    releaseSemaphore(lock);
    destroySemaphore(lock);
}

TEST_F(SemaphoreTest, WaiterBlocksUntilTheHolderReleases) {
    Semaphore* lock = createSemaphore(1, 1);
    ASSERT_NE(lock, nullptr);
    waitSemaphore(lock);
    std::atomic<bool> entered{false};
    std::thread other([&] {
        waitSemaphore(lock);
        entered = true;
        releaseSemaphore(lock);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(entered.load());
    releaseSemaphore(lock);
    other.join();
    EXPECT_TRUE(entered.load());
    destroySemaphore(lock);
}

TEST_F(SemaphoreTest, ReleasingNullShowsFatalBoxAndReturns) {
    std::string out = stderrOf([] { releaseSemaphore(nullptr); });
    EXPECT_NE(out.find("in file System at row 66"), std::string::npos) << out;
    EXPECT_NE(out.find("NULL SEMAPHORE"), std::string::npos) << out;
    EXPECT_EQ(drainPostedCloses(), 1);
}

TEST_F(SemaphoreTest, WaitingOnNullReportsInsteadOfBlocking) {
    std::string out = stderrOf([] { waitSemaphore(nullptr); });
    EXPECT_NE(out.find("NULL SEMAPHORE"), std::string::npos) << out;
}

TEST_F(SemaphoreTest, ImpossibleCountsWarnAndGiveNull) {
    Semaphore* made = reinterpret_cast<Semaphore*>(1);
    std::string out = stderrOf([&] { made = createSemaphore(2, 1); });
    EXPECT_EQ(made, nullptr);
    EXPECT_NE(out.find("WarningBox"), std::string::npos) << out;
    EXPECT_NE(out.find("Made NULL Semaphore!!!"), std::string::npos) << out;
    EXPECT_EQ(drainPostedCloses(), 0);
}

}  // namespace
}  // namespace arvel
