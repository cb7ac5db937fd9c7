// The platform layer's emulated asynchronous key state: what a poll of a key reports, from the
// presses the system reported and the keymap it read.
#include "platform/KeyPressTracker.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// The standby return's reading of the state: held down, and not pressed anew since the last tick.
bool recognised(std::int16_t state)
{
    return state == std::int16_t(0x8000);
}

TEST(KeyPressTracker, ATapBetweenTwoPollsIsIgnored)
{
    platform::KeyPressTracker keys(/*pressesReported=*/true);
    EXPECT_EQ(keys.query(76, false), 0);
    keys.notePress(76); // down and up again before the next poll
    const std::int16_t first = keys.query(76, false);
    EXPECT_EQ(first, 1);
    EXPECT_FALSE(recognised(first));
    EXPECT_EQ(keys.query(76, false), 0) << "the press is reported once";
}

TEST(KeyPressTracker, AHoldIsRecognisedOnTheSecondPoll)
{
    platform::KeyPressTracker keys(true);
    keys.notePress(76);
    const std::int16_t first = keys.query(76, true);
    EXPECT_EQ(std::uint16_t(first), 0x8001u);
    EXPECT_FALSE(recognised(first));
    EXPECT_TRUE(recognised(keys.query(76, true)));
    EXPECT_EQ(keys.query(76, false), 0);
}

TEST(KeyPressTracker, APressAnewBetweenTwoPollsThatFindItDownIsAPress)
{
    // Released and pressed again between two polls: reported presses see it, the keymap alone
    // cannot.
    platform::KeyPressTracker reported(true), inferred(false);
    for (auto *keys : {&reported, &inferred}) {
        keys->notePress(76);
        keys->query(76, true);
        keys->notePress(76);
    }
    EXPECT_EQ(std::uint16_t(reported.query(76, true)), 0x8001u);
    EXPECT_EQ(std::uint16_t(inferred.query(76, true)), 0x8000u);
}

TEST(KeyPressTracker, WithoutReportsAPressIsTheKeyFoundDownAfterUp)
{
    platform::KeyPressTracker keys(false);
    keys.notePress(76); // never reported by such a system; ignored
    EXPECT_EQ(keys.query(76, false), 0);
    EXPECT_EQ(std::uint16_t(keys.query(76, true)), 0x8001u);
    EXPECT_TRUE(recognised(keys.query(76, true)));
}

TEST(KeyPressTracker, KeysAreTrackedApart)
{
    platform::KeyPressTracker keys(true);
    keys.notePress(76);
    EXPECT_EQ(keys.query(77, false), 0);
    EXPECT_EQ(keys.query(76, false), 1);
    keys.notePress(300); // beyond any keycode: nothing
    EXPECT_EQ(keys.query(300, true), 0);
}

} // namespace
