// The profiler's timers over the fake counter: intervals, resets, and a timer started twice.
#include <gtest/gtest.h>

#include "core/prof.h"
#include "plat/test.h"

namespace {

struct ProfTest : ::testing::Test {
    void SetUp() override
    {
        test::Reset();
        test::SetClock(5000);
        PROF_CalibrateClock();
        PROF_Reset();
    }
    void TearDown() override
    {
        PROF_Reset();
        test::Reset();
    }
};

TEST_F(ProfTest, CalibrationNeedsNoWaitAndCountsNanoseconds)
{
    EXPECT_EQ(PROF_CyclesPerSecond, 1e9f);
    EXPECT_EQ(PROF_CyclesPerRetrace(), 1e9f / 60.0f);
    EXPECT_EQ(PROF_ReadCycles(), 0.0f); // counted from the calibration
    test::AdvanceClock(3);
    EXPECT_EQ(PROF_ReadCycles(), 3e6f);
}

// The 64-bit stamps count the same nanoseconds whole, and the elapsed count stays in the slot.
TEST_F(ProfTest, FirstStampPairCountsWholeNanoseconds)
{
    PROF_TscStart1();
    const uint64_t start = PROF_TscSlot[0];
    test::AdvanceClock(2);
    EXPECT_EQ(PROF_TscElapsed1(), 2000000u);
    EXPECT_EQ(PROF_TscSlot[0], 2000000u);
    EXPECT_EQ(start, 0u); // counted from the calibration
    // Days of uptime neither overflow the conversion nor lose a tick.
    test::SetPerfCounter(uint64_t(1) << 50);
    PROF_TscStart1();
    test::SetPerfCounter((uint64_t(1) << 50) + 1);
    EXPECT_EQ(PROF_TscElapsed1(), 1000u);
}

TEST_F(ProfTest, OneIntervalIsBothTheStampAndTheTotal)
{
    test::AdvanceClock(7);
    PROF_StartTimer(3);
    EXPECT_EQ(PROF_Timers[3].running, 1);
    test::AdvanceClock(2);
    PROF_StopTimer(3);
    EXPECT_EQ(PROF_Timers[3].running, 0);
    EXPECT_EQ(PROF_Timers[3].start, 2e6f);
    EXPECT_EQ(PROF_Timers[3].accumulated, PROF_Timers[3].start);
    EXPECT_EQ(PROF_Timers[3].starts, 1.0f);

    PROF_StartTimer(3);
    test::AdvanceClock(1);
    PROF_StopTimer(3);
    EXPECT_EQ(PROF_Timers[3].start, 1e6f);
    EXPECT_EQ(PROF_Timers[3].accumulated, 3e6f);
    EXPECT_EQ(PROF_Timers[3].starts, 2.0f);
}

TEST_F(ProfTest, ResetClearsTheCountsButKeepsTheColours)
{
    PROF_SetColour(2, 0x07e0);
    PROF_SetCurrent(5);
    PROF_StartTimer(2);
    test::AdvanceClock(1);
    PROF_StopTimer(2);
    PROF_StartTimer(4);
    PROF_Reset();
    for (const PROF_Timer &t : PROF_Timers) {
        EXPECT_EQ(t.accumulated, 0.0f);
        EXPECT_EQ(t.start, 0.0f);
        EXPECT_EQ(t.starts, 0.0f);
        EXPECT_EQ(t.running, 0);
    }
    EXPECT_EQ(PROF_Timers[2].colour, 0x07e0);
    EXPECT_EQ(PROF_Current, 0);
}

TEST_F(ProfTest, StartingARunningTimerNotesItAndCarriesOn)
{
    PROF_StartTimer(0);
    EXPECT_EQ(test::Stderr(), "");
    test::AdvanceClock(4);
    PROF_StartTimer(0); // returns at once: no console key is waited for
    EXPECT_EQ(test::Stderr(), "PROF_StartTimer: timer 0 is already running\n");
    EXPECT_EQ(PROF_Timers[0].start, 4e6f);
    EXPECT_EQ(PROF_Timers[0].starts, 2.0f);
    EXPECT_EQ(test::Stdout(), "");
}

} // namespace
