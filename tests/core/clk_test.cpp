// The game clock: whole units between updates, the tick, a clock that wraps, and its start and stop.
#include <gtest/gtest.h>

#include <vector>

#include "core/clk.h"
#include "core/inp.h"
#include "core/que.h"
#include "plat/test.h"
#include "tests/support/core_state.h"

namespace {

struct ClkTest : ::testing::Test {
    void SetUp() override { kalder_test::ResetCore(); }
    void TearDown() override { kalder_test::ResetCore(); }
};

TEST_F(ClkTest, UnitsAndTicksFollowTheMillisecondClock)
{
    // Each step sets the millisecond clock, updates, and reads the game clock and whether a tick fell
    // due (which the poll then clears).
    struct Step {
        uint32_t now_ms;
        uint32_t clock;
        int tick;
    };
    struct Case {
        const char *what;
        int32_t units, ticks;
        uint32_t start_ms;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"a second adds 200", 200, 15, 0, {{1000, 200, 1}}},
        {"7 ms add one unit and the other 2 ms are lost", 200, 15, 0, {{7, 1, 0}, {10, 1, 0}, {12, 2, 0}}},
        {"the first tick falls due at 66 ms, not 65", 200, 15, 0, {{65, 13, 0}, {66, 13, 1}, {67, 13, 0}}},
        {"a late tick restarts the period from its own time", 200, 15, 0,
         {{70, 14, 1}, {135, 27, 0}, {136, 27, 1}}},
        {"the clock wraps at 32 bits", 200, 15, 0xFFFFFFF0u, {{0x10, 6, 0}}},
        {"a clock that went back counts the distance", 200, 15, 1000, {{900, 20, 1}}},
        {"2^31 ms without an update", 200, 15, 0, {{0x80000000u, 0x80000000u / 5, 1}}},
        {"rates of 0 give 1 ms", 0, 0, 0, {{10, 10, 1}, {11, 11, 1}}},
        {"rates above 1000 a second give 1 ms", 2000, 2000, 0, {{3, 3, 1}}},
        {"100 units a second, 1 tick a second", 100, 1, 0, {{500, 50, 0}, {999, 99, 0}, {1000, 99, 1}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        test::SetClock(c.start_ms);
        CLK_Start(c.units, c.ticks);
        EXPECT_EQ(CLK_GameClock, 0u);
        for (const Step &s : c.steps) {
            SCOPED_TRACE(s.now_ms);
            test::SetClock(s.now_ms);
            CLK_Update();
            EXPECT_EQ(CLK_GameClock, s.clock);
            EXPECT_EQ(CLK_TickDue, s.tick);
            CLK_TickDue = 0;
        }
    }
}

TEST_F(ClkTest, StartingTheTimerAgainRestartsTheClockAndEmptiesTheQueue)
{
    ASSERT_TRUE(INP_Init(50));
    INP_StartTimer(200, 15);
    test::AdvanceClock(500);
    CLK_Update();
    EXPECT_EQ(CLK_GameClock, 100u);
    QUE_Post(MGM_InputQueue, ';', 0, 0);
    INP_StopTimer();
    EXPECT_EQ(INP_ClockRunning, 0);
    EXPECT_EQ(CLK_TickDue, 0);

    INP_StartTimer(200, 15);
    EXPECT_EQ(INP_ClockRunning, 1);
    EXPECT_EQ(MGM_InputQueue->count, 0);
    EXPECT_EQ(CLK_GameClock, 0u);
    test::AdvanceClock(50);
    CLK_Update();
    EXPECT_EQ(CLK_GameClock, 10u);
    INP_Shutdown();
}

TEST_F(ClkTest, PauseAndResumeRestartWithTheSavedRates)
{
    ASSERT_TRUE(INP_Init(50));
    // Resuming a clock that was never paused, or pausing one that is stopped, does nothing.
    INP_ResumeTimer();
    EXPECT_EQ(INP_ClockRunning, 0);
    INP_PauseTimer();
    EXPECT_EQ(INP_ClockPaused, 0);

    INP_StartTimer(100, 10);
    test::AdvanceClock(300);
    CLK_Update();
    EXPECT_EQ(CLK_GameClock, 30u);
    INP_PauseTimer();
    EXPECT_EQ(INP_ClockRunning, 0);
    EXPECT_EQ(INP_ClockPaused, 1);

    // Something else runs the clock at other rates meanwhile; resuming takes the saved ones again.
    CLK_Start(200, 15);
    INP_ResumeTimer();
    EXPECT_EQ(INP_ClockRunning, 1);
    EXPECT_EQ(INP_ClockPaused, 0);
    EXPECT_EQ(CLK_Unit, 10u);
    EXPECT_EQ(CLK_TickPeriod, 100u);
    EXPECT_EQ(CLK_GameClock, 0u);
    test::AdvanceClock(100);
    CLK_Update();
    EXPECT_EQ(CLK_GameClock, 10u);
    EXPECT_EQ(CLK_TickDue, 1);
    INP_Shutdown();
}

} // namespace
