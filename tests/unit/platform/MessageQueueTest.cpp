// The posted-message queue without any display: order, peeking, quit and waiting.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace arvel::platform {
namespace {

class MessageQueueTest : public ::testing::Test {
protected:
    void SetUp() override { drain(); }
    void TearDown() override { drain(); }

    static void drain() {
        Message message;
        while (peekMessage()) getMessage(&message);
    }
};

TEST_F(MessageQueueTest, PostedMessagesComeOutInTheOrderTheyWerePosted) {
    postMessage(nullptr, kMsgClose, 1, 10);
    postMessage(nullptr, kMsgKeyDown, 2, 20);
    postMessage(nullptr, kMsgActivate, 3, 30);
    const unsigned expected[] = {kMsgClose, kMsgKeyDown, kMsgActivate};
    for (int i = 0; i < 3; ++i) {
        Message message;
        ASSERT_EQ(getMessage(&message), 1);
        EXPECT_EQ(message.window, nullptr);
        EXPECT_EQ(message.message, expected[i]);
        EXPECT_EQ(message.wParam, uintptr_t(i + 1));
        EXPECT_EQ(message.lParam, intptr_t(10 * (i + 1)));
    }
    EXPECT_FALSE(peekMessage());
}

TEST_F(MessageQueueTest, PeekReportsAWaitingMessageWithoutRemovingIt) {
    EXPECT_FALSE(peekMessage());
    postMessage(nullptr, kMsgClose, 0, 0);
    EXPECT_TRUE(peekMessage());
    EXPECT_TRUE(peekMessage());
    Message message;
    EXPECT_EQ(getMessage(&message), 1);
    EXPECT_EQ(message.message, unsigned(kMsgClose));
    EXPECT_FALSE(peekMessage());
}

TEST_F(MessageQueueTest, GetMessageReturnsZeroForTheQuitMessageWithItsExitCode) {
    postMessage(nullptr, kMsgClose, 0, 0);
    postQuitMessage(7);
    Message message;
    EXPECT_EQ(getMessage(&message), 1);
    EXPECT_EQ(getMessage(&message), 0);
    EXPECT_EQ(message.message, unsigned(kMsgQuit));
    EXPECT_EQ(message.wParam, 7u);
}

TEST_F(MessageQueueTest, GetMessageWaitsUntilAnotherThreadPosts) {
    std::thread poster([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        postMessage(nullptr, kMsgKeyDown, kVkEscape, 0);
    });
    Message message;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(getMessage(&message), 1);
    const auto waited = std::chrono::steady_clock::now() - start;
    poster.join();
    EXPECT_EQ(message.message, unsigned(kMsgKeyDown));
    EXPECT_EQ(message.wParam, uintptr_t(kVkEscape));
    EXPECT_GE(waited, std::chrono::milliseconds(40));
}

TEST_F(MessageQueueTest, DispatchingAThreadMessageCallsNoProcedure) {
    postMessage(nullptr, kMsgClose, 0, 0);
    Message message;
    ASSERT_EQ(getMessage(&message), 1);
    translateMessage(&message);
    EXPECT_EQ(dispatchMessage(&message), 0);
    EXPECT_EQ(dispatchMessage(nullptr), 0);
}

}  // namespace
}  // namespace arvel::platform
