#include <gtest/gtest.h>

#include <cstring>

#include "input/Keyboard.h"

namespace arvel {
namespace {

class KeyboardPolls : public ::testing::Test {
protected:
    uint8_t pollWith(int code, bool down) {
        uint8_t keys[256] = {};
        if (down) keys[code] = 0x80;
        keyboard_.poll(keys);
        return keyboard_.state()[code];
    }
    Keyboard keyboard_;
};

TEST_F(KeyboardPolls, HeldKeyReportsThePressOnceThenStaysDown) {
    EXPECT_EQ(pollWith('W', false), 1);
    EXPECT_EQ(pollWith('W', true), 6);
    EXPECT_TRUE(keyboard_.pressed('W'));
    EXPECT_EQ(pollWith('W', true), 2);
    EXPECT_FALSE(keyboard_.pressed('W'));
    EXPECT_EQ(pollWith('W', false), 9);
    EXPECT_EQ(pollWith('W', false), 1);
}

TEST_F(KeyboardPolls, APressRightAfterAReleaseEdgeReportsNoPress) {
    pollWith('C', false);
    pollWith('C', true);
    pollWith('C', true);
    EXPECT_EQ(pollWith('C', false), 9);
    EXPECT_EQ(pollWith('C', true), 2);
    EXPECT_FALSE(keyboard_.pressed('C'));
}

TEST_F(KeyboardPolls, AReleaseRightAfterAPressEdgeReportsNoRelease) {
    pollWith('D', false);
    EXPECT_EQ(pollWith('D', true), 6);
    EXPECT_EQ(pollWith('D', false), 1);
}

TEST_F(KeyboardPolls, UnpolledKeysStartUnknownAndKeyZeroStartsUp) {
    Keyboard fresh;
    EXPECT_EQ(fresh.state()[0], 1);
    EXPECT_EQ(fresh.state()['A'], 0);
    // From the unknown state a key going down is not an edge either.
    uint8_t keys[256] = {};
    keys['A'] = 0x80;
    fresh.poll(keys);
    EXPECT_EQ(fresh.state()['A'], 2);
}

}  // namespace
}  // namespace arvel
