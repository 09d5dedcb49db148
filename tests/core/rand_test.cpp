// The game's random generator: its sequence from known seeds and its range.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "core/rand.h"

namespace {

std::vector<int32_t> Draws(int n)
{
    std::vector<int32_t> out;
    for (int i = 0; i < n; i++) {
        out.push_back(SYS_Rand());
    }
    return out;
}

const std::vector<int32_t> SeedOne = {41, 18467, 6334, 26500, 19169, 15724};

TEST(Rand, SeedOneAndItsRepeat)
{
    SYS_SRand(1);
    EXPECT_EQ(Draws(6), SeedOne);
    SYS_SRand(1);
    EXPECT_EQ(Draws(6), SeedOne);
}

// A process starts as if seeded with 1. The check runs in a fresh copy of the program, so that no
// other test has drawn before it, whatever the order.
TEST(Rand, AProcessStartsAsSeededWithOne)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(Draws(6) == SeedOne ? 0 : 1), testing::ExitedWithCode(0), "");
}

TEST(Rand, SeedsGiveTheirOwnSequence)
{
    SYS_SRand(12345);
    EXPECT_EQ(Draws(3), (std::vector<int32_t>{7584, 19164, 25795}));
    SYS_SRand(0);
    EXPECT_EQ(SYS_Rand(), 38);
}

TEST(Rand, AMillionDrawsStayInRangeAndReachBothEnds)
{
    SYS_SRand(7);
    bool low = false, high = false;
    for (int i = 0; i < 1000000; i++) {
        const int32_t r = SYS_Rand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
        low |= r == 0;
        high |= r == 32767;
    }
    EXPECT_TRUE(low);
    EXPECT_TRUE(high);
}

} // namespace
