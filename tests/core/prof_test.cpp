// The profiler over the fake counter: timers, calibration, the frame rate's text, the bars, the stamp
// pairs, the dormant pair and the cycle-bar overlay.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/dsp.h"
#include "core/prof.h"
#include "core/scr.h"
#include "core/win.h"
#include "engine3d/draw2d.h"
#include "engine3d/gfx_tint.h"
#include "engine3d/view.h"
#include "plat/test.h"
#include "plat/time.h"
#include "tests/support/core_state.h"
#include "tests/support/engine_area.h"
#include "tests/support/neighbours.h"

namespace {

constexpr uint64_t kStartTicks = 5000000; // the counter at calibration: 5,000 ms of the fake clock

struct ProfTest : ::testing::Test {
    void SetUp() override
    {
        test::Reset();
        test::SetClock(5000);
        ticks = kStartTicks;
        PROF_CalibrateClock();
        PROF_Reset();
        saved_view = OBJ_View;
        for (int i = 0; i < 8; i++) {
            saved_colours[i] = PROF_Timers[i].colour;
        }
    }
    void TearDown() override
    {
        OBJ_View = saved_view;
        for (int i = 0; i < 8; i++) {
            PROF_Timers[i].colour = saved_colours[i];
        }
        PROF_CalibrateClock();
        PROF_Reset();
        test::Reset();
    }

    // Moves the high-resolution counter alone, in whole ticks of 1,000 ns.
    void Tick(uint64_t n)
    {
        ticks += n;
        test::SetPerfCounter(ticks);
    }

    static void SetFrame(int32_t width, int32_t height)
    {
        OBJ_View.screen_width = width;
        OBJ_View.screen_height = height;
    }

    // A frame in which every pixel differs from its neighbours and from the colours drawn.
    static std::vector<uint16_t> Pattern(int32_t width, int32_t height)
    {
        std::vector<uint16_t> pixels(size_t(width) * size_t(height));
        for (size_t i = 0; i < pixels.size(); i++) {
            pixels[i] = uint16_t(i * 7 + 3);
        }
        return pixels;
    }

    uint64_t ticks = 0;
    OBJ_ViewParams saved_view{};
    uint16_t saved_colours[8]{};
};

TEST_F(ProfTest, CalibrationNeedsNoWaitAndCountsNanoseconds)
{
    EXPECT_EQ(PROF_CyclesPerSecond, 1e9f);
    EXPECT_EQ(PROF_CyclesPerRetrace(), 1e9f / 60.0f);
    EXPECT_EQ(PROF_CyclesPerRetrace(), 16666667.0f);
    EXPECT_EQ(PROF_ReadCycles(), 0.0f); // counted from the calibration
    PROF_WaitRetrace();
    EXPECT_EQ(PLAT_TimeMs(), 5000u);
    EXPECT_EQ(PROF_ReadCycles(), 0.0f);
    test::AdvanceClock(3);
    EXPECT_EQ(PROF_ReadCycles(), 3e6f);
    // A new calibration takes a new base.
    PROF_CalibrateClock();
    EXPECT_EQ(PROF_ReadCycles(), 0.0f);
    EXPECT_EQ(PROF_ReadCycleCount(), 0u);
}

// Every level load calibrates again and leaves timer 0 running from a stamp of 0, the fake clock where
// it was, and timer 0's colour as it was (0 in the game, so its bar is black).
TEST_F(ProfTest, StartingTheLibraryCalibratesAndStartsTheFrameTimer)
{
    test::SetClock(777);
    PROF_Timers[0].colour = 0x1234;
    PROF_CyclesPerSecond = 5.0f;
    kalder_test::EngineArea area;
    EXPECT_EQ(PLAT_TimeMs(), 777u);
    EXPECT_EQ(PROF_CyclesPerSecond, 1e9f);
    EXPECT_EQ(Cycles_Per_Refresh, 1e9f / 60.0f);
    EXPECT_EQ(PROF_ReadCycles(), 0.0f);
    EXPECT_EQ(PROF_Timers[0].running, 1);
    EXPECT_EQ(PROF_Timers[0].start, 0.0f);
    EXPECT_EQ(PROF_Timers[0].colour, 0x1234);
    const uint16_t colours[8] = {0x1234, 0xf800, 0x07e0, 0x001f, 0xf800, 0xffff, 0x00ff, 0x0f00};
    for (int i = 0; i < 8; i++) {
        EXPECT_EQ(PROF_Timers[i].colour, colours[i]) << i;
        EXPECT_EQ(PROF_Timers[i].running, i == 0 ? 1 : 0) << i;
    }
}

TEST_F(ProfTest, TimersCountTheCounterBetweenStartsAndStops)
{
    enum Op { Start, Stop, Ticks, Next, Current };
    struct Step {
        Op op;
        int64_t arg;
    };
    struct Expect {
        int timer;
        float accumulated, start, starts;
        uint16_t running;
    };
    struct Case {
        const char *name;
        std::vector<Step> steps;
        std::vector<Expect> timers;
        int32_t current;
        std::string stderr_text;
    };
    const Case cases[] = {
        {"one interval is both the stamp and the total",
         {{Start, 3}, {Ticks, 12345}, {Stop, 3}},
         {{3, 12345000.0f, 12345000.0f, 1.0f, 0}},
         0,
         ""},
        {"two start/stop pairs accumulate",
         {{Ticks, 7000}, {Start, 3}, {Ticks, 2000}, {Stop, 3}, {Ticks, 500}, {Start, 3}, {Ticks, 1000}, {Stop, 3}},
         {{3, 3e6f, 1e6f, 2.0f, 0}},
         0,
         ""},
        {"starting a running timer notes it, renews the stamp and counts a second start",
         {{Start, 0}, {Ticks, 4000}, {Start, 0}},
         {{0, 0.0f, 4e6f, 2.0f, 1}},
         0,
         "PROF_StartTimer: timer 0 is already running\n"},
        {"index -1 is timer 7", {{Start, -1}, {Ticks, 7}, {Stop, -1}}, {{7, 7000.0f, 7000.0f, 1.0f, 0}}, 0, ""},
        {"index 8 is timer 0", {{Start, 8}, {Ticks, 9}, {Stop, 8}}, {{0, 9000.0f, 9000.0f, 1.0f, 0}}, 0, ""},
        {"the next timer stops the current one and starts the one after",
         {{Current, 2}, {Start, 2}, {Ticks, 5}, {Next, 0}, {Ticks, 1}},
         {{2, 5000.0f, 5000.0f, 1.0f, 0}, {3, 0.0f, 5000.0f, 1.0f, 1}},
         3,
         ""},
        {"after timer 7 the next index is 8, which starts timer 0",
         {{Start, 0}, {Current, 7}, {Start, 7}, {Ticks, 1}, {Next, 0}},
         {{7, 1000.0f, 1000.0f, 1.0f, 0}, {0, 0.0f, 1000.0f, 2.0f, 1}},
         8,
         "PROF_StartTimer: timer 8 is already running\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        test::Reset();
        test::SetClock(5000);
        ticks = kStartTicks;
        PROF_CalibrateClock();
        PROF_Reset();
        for (const Step &s : c.steps) {
            switch (s.op) {
            case Start: PROF_StartTimer(int32_t(s.arg)); break;
            case Stop: PROF_StopTimer(int32_t(s.arg)); break;
            case Ticks: Tick(uint64_t(s.arg)); break;
            case Next: PROF_NextTimer(); break;
            case Current: PROF_SetCurrent(int32_t(s.arg)); break;
            }
        }
        for (const Expect &e : c.timers) {
            SCOPED_TRACE(e.timer);
            const PROF_Timer &t = PROF_Timers[e.timer];
            EXPECT_EQ(t.accumulated, e.accumulated);
            EXPECT_EQ(t.start, e.start);
            EXPECT_EQ(t.starts, e.starts);
            EXPECT_EQ(t.running, e.running);
        }
        EXPECT_EQ(PROF_Current, c.current);
        EXPECT_EQ(test::Stderr(), c.stderr_text);
        EXPECT_EQ(test::Stdout(), ""); // no console stop, nothing on the standard output
        EXPECT_EQ(PLAT_TimeMs(), 5000u);
    }
}

TEST_F(ProfTest, ResetClearsTheCountsButKeepsTheColours)
{
    PROF_SetColour(2, 0x07e0);
    PROF_SetColour(10, 0x0123); // timer 2 as well
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
    EXPECT_EQ(PROF_Timers[2].colour, 0x0123);
    EXPECT_EQ(PROF_Current, 0);
}

// The frame rate is the text Draw_Text makes of the cycles per second over the timer's total, in white
// at (50, 20) whatever colour is asked for.
TEST_F(ProfTest, TheValueIsTheFrameRateInWhiteText)
{
    struct Case {
        const char *name;
        float per_second, accumulated;
        int32_t index;
        const char *text;
    };
    const Case cases[] = {
        {"100 frames a second", 200000000.0f, 2000000.0f, 0, "100.0"},
        {"the same at the calibrated rate", 1e9f, 10000000.0f, 0, "100.0"},
        {"index 8 is timer 0", 1e9f, 10000000.0f, 8, "100.0"},
        {"a timer with nothing counted", 1e9f, 0.0f, 0, " inf"},
        {"a short value is padded", 1e9f, 2e8f, 3, " 5.0"},
    };
    SetFrame(640, 480);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        for (uint16_t colour : {uint16_t(0), uint16_t(0x1234), uint16_t(0xFFFF)}) {
            PROF_CyclesPerSecond = c.per_second;
            PROF_Timers[c.index & 7].accumulated = c.accumulated;
            std::vector<uint16_t> frame = Pattern(640, 480);
            std::vector<uint16_t> expected = frame;
            const std::vector<uint16_t> before = frame;
            PROF_DrawValue(frame.data(), c.index, colour);
            Draw_Text(expected.data(), 10, 14, 50, 20, c.text, 0xFFFF, 0, 0);
            EXPECT_TRUE(frame == expected);
            EXPECT_FALSE(frame == before);
            PROF_Timers[c.index & 7].accumulated = 0.0f;
        }
    }
}

// The widest value the counts can give is cut to the cells that end inside the row, and nothing is
// drawn where the text's rows do not fit: the pixels right of the last cell and below the text stay.
TEST_F(ProfTest, TheValueStaysInsideTheFrame)
{
    PROF_CyclesPerSecond = 1e9f;
    PROF_Timers[0].accumulated = 3e-30f; // a quotient near the top of the float range
    char full[64];
    std::snprintf(full, sizeof full, "%4.1f", double(PROF_CyclesPerSecond / PROF_Timers[0].accumulated));
    ASSERT_EQ(std::strlen(full), 41u);
    struct Case {
        int32_t width, height;
        size_t characters;
    };
    const Case cases[] = {{320, 240, 26}, {640, 480, 41}, {400, 34, 34}, {400, 33, 0}, {60, 40, 0}, {61, 40, 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        SetFrame(c.width, c.height);
        std::vector<uint16_t> frame = Pattern(c.width, c.height); // exactly the frame: overruns are caught
        std::vector<uint16_t> expected = frame;
        PROF_DrawValue(frame.data(), 0, 0);
        if (c.characters > 0) {
            Draw_Text(expected.data(), 10, 14, 50, 20, std::string(full, c.characters).c_str(), 0xFFFF, 0, 0);
        }
        EXPECT_TRUE(frame == expected);
        // The cells lie in columns 51 .. 50 + 10 x characters of rows 20..33; nothing else moved.
        const std::vector<uint16_t> pattern = Pattern(c.width, c.height);
        for (int32_t y = 0; y < c.height; y++) {
            for (int32_t x = 0; x < c.width; x++) {
                const bool in_cells = y >= 20 && y < 34 && x > 50 && x <= 50 + 10 * int32_t(c.characters);
                if (!in_cells) {
                    ASSERT_EQ(frame[size_t(y) * c.width + x], pattern[size_t(y) * c.width + x]) << x << ", " << y;
                }
            }
        }
    }
}

// The bars at 640 x 480 on a buffer of exactly that size: timer 0 fills a row, the others follow in
// proportion; shares that cannot be drawn draw nothing, and nothing is written past the frame.
TEST_F(ProfTest, TheBarsShowEachTimersShareOfTheFrame)
{
    struct Run {
        int64_t length;
        int timer; // -1: the frame as it was
    };
    struct Case {
        const char *name;
        float accumulated[8];
        int running;
        std::vector<Run> runs;
        std::string stderr_text;
    };
    constexpr int64_t kPixels = 640 * 480;
    const Case cases[] = {
        {"shares of the frame", {1000, 500, 250, 0, 0, 0, 0, 0}, -1, {{640, 0}, {320, 1}, {160, 2}, {kPixels - 1120, -1}}, ""},
        {"no frame time draws nothing", {0, 500, 250, 0, 0, 0, 0, 0}, -1, {{kPixels, -1}}, ""},
        {"a share past the frame stops at its end", {1000, 1e7f, 250, 0, 0, 0, 0, 0}, -1, {{640, 0}, {kPixels - 640, 1}}, ""},
        {"a negative share draws nothing", {1000, -500, 250, 0, 0, 0, 0, 0}, -1, {{640, 0}, {160, 2}, {kPixels - 800, -1}}, ""},
        {"every timer in turn", {1000, 100, 100, 100, 100, 100, 100, 100}, -1,
         {{640, 0}, {64, 1}, {64, 2}, {64, 3}, {64, 4}, {64, 5}, {64, 6}, {64, 7}, {kPixels - 1088, -1}}, ""},
        {"a running timer is noted and still drawn", {1000, 500, 250, 0, 0, 0, 0, 0}, 3,
         {{640, 0}, {320, 1}, {160, 2}, {kPixels - 1120, -1}}, "profiler: timer 3 still running\n"},
    };
    SetFrame(640, 480);
    for (int i = 0; i < 8; i++) {
        PROF_SetColour(i, uint16_t(0x1000 * (i + 1) + 0x11));
    }
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        test::Reset();
        PROF_Reset();
        for (int i = 0; i < 8; i++) {
            PROF_Timers[i].accumulated = c.accumulated[i];
        }
        if (c.running >= 0) {
            PROF_Timers[c.running].running = 1;
        }
        const std::vector<uint16_t> pattern = Pattern(640, 480);
        std::vector<uint16_t> frame = pattern;
        PROF_DrawBars(frame.data());
        int64_t at = 0;
        for (const Run &r : c.runs) {
            for (int64_t k = at; k < at + r.length; k++) {
                const uint16_t want = r.timer < 0 ? pattern[size_t(k)] : PROF_Timers[r.timer].colour;
                ASSERT_EQ(frame[size_t(k)], want) << "pixel " << k;
            }
            at += r.length;
        }
        EXPECT_EQ(at, kPixels);
        EXPECT_EQ(test::Stderr(), c.stderr_text);
    }
}

// One row: the shares of the reference scaled to the view's width, clipped at the frame's width, the
// rest of the row cleared; a row outside the frame draws nothing.
TEST_F(ProfTest, ABarRowScalesByTheViewAndClearsTheRest)
{
    struct Run {
        int32_t length;
        int timer; // -1: cleared to 0
    };
    struct Case {
        const char *name;
        int32_t reference, y;
        float accumulated[8];
        std::vector<Run> runs; // empty: nothing drawn
    };
    const Case cases[] = {
        {"shares by the view's width", 0, 5, {1000, 500, -1, 250, 0, 0, 0, 0}, {{160, 1}, {80, 3}, {400, -1}}},
        {"clipped at the frame's width", 0, 5, {1000, 500, 0, 0, 3000, 0, 0, 0}, {{160, 1}, {480, 4}}},
        {"another reference leaves its own bar out", 2, 479, {500, 0, 1000, 0, 0, 0, 0, 250}, {{160, 0}, {80, 7}, {400, -1}}},
        {"no reference time clears the row", 0, 0, {0, 500, 0, 0, 0, 0, 0, 0}, {{640, -1}}},
        {"the row below the frame", 0, 480, {1000, 500, 0, 0, 0, 0, 0, 0}, {}},
        {"a row above the frame", 0, -1, {1000, 500, 0, 0, 0, 0, 0, 0}, {}},
    };
    SetFrame(640, 480);
    OBJ_View.view_width = 320;
    for (int i = 0; i < 8; i++) {
        PROF_SetColour(i, uint16_t(0x1000 * (i + 1) + 0x11));
    }
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        for (int i = 0; i < 8; i++) {
            PROF_Timers[i].accumulated = c.accumulated[i];
        }
        const std::vector<uint16_t> pattern = Pattern(640, 480);
        std::vector<uint16_t> frame = pattern;
        PROF_DrawBarRow(c.reference, frame.data(), c.y);
        std::vector<uint16_t> expected = pattern;
        int32_t x = 0;
        for (const Run &r : c.runs) {
            for (int32_t k = 0; k < r.length; k++, x++) {
                expected[size_t(c.y) * 640 + size_t(x)] = r.timer < 0 ? 0 : PROF_Timers[r.timer].colour;
            }
        }
        EXPECT_EQ(x, c.runs.empty() ? 0 : 640);
        EXPECT_TRUE(frame == expected);
    }
}

TEST_F(ProfTest, StampPairsCountWholeNanosecondsAndKeepTheElapsedCount)
{
    struct Pair {
        void (*start)();
        uint64_t (*elapsed)();
        int slot;
    };
    for (const Pair &p : {Pair{PROF_TscStart1, PROF_TscElapsed1, 0}, Pair{PROF_TscStart2, PROF_TscElapsed2, 1}}) {
        SCOPED_TRACE(p.slot);
        test::SetPerfCounter(kStartTicks + 3);
        p.start();
        EXPECT_EQ(PROF_TscSlot[p.slot], 3000u); // counted from the calibration
        test::SetPerfCounter(kStartTicks + 4);
        EXPECT_EQ(p.elapsed(), 1000u);
        EXPECT_EQ(PROF_TscSlot[p.slot], 1000u);
        // Days of uptime neither overflow the conversion nor lose a tick.
        test::SetPerfCounter(uint64_t(1) << 50);
        p.start();
        test::SetPerfCounter((uint64_t(1) << 50) + 1);
        EXPECT_EQ(p.elapsed(), 1000u);
    }
}

// The dormant pair takes its own cost off each interval, and an interval shorter than that cost adds
// nothing instead of wrapping the total.
TEST_F(ProfTest, TheDormantPairCountsIntervalsLessItsOwnCost)
{
    PROF_Cycles = {};
    PROF_CycleStart();
    Tick(1);
    PROF_CycleStop();
    EXPECT_EQ(PROF_Cycles.total, 971u);
    EXPECT_EQ(PROF_Cycles.count, 1u);
    PROF_CycleStart();
    PROF_CycleStop();
    EXPECT_EQ(PROF_Cycles.total, 971u);
    EXPECT_EQ(PROF_Cycles.count, 2u);
}

// The overlay measures the time since its last call, sets the bar record up for each of its four values
// and hands it to the scaled renderer, which draws nothing; the frame is locked around the drawing.
TEST_F(ProfTest, TheCycleBarOverlayMeasuresAndDrawsNothing)
{
    kalder_test::ResetCore();
    fake::reset();
    DSP_BackEnd = 0;
    ASSERT_EQ(WIN_InitDisplay(nullptr, 1), 1);
    for (uint32_t i = 0; i < 640 * 480; i++) {
        SCR_FrameBuffer[i] = uint16_t(i * 7 + 1);
    }
    const std::vector<uint16_t> before(SCR_FrameBuffer, SCR_FrameBuffer + 640 * 480);
    Tick(5000);
    PROF_TscSlot[1] = PROF_ReadCycleCount() - (uint64_t(1) << 20);
    PROF_CycleValues[1] = PROF_CycleValues[2] = PROF_CycleValues[3] = 0;
    PROF_BarSprite = {};
    const test::DisplayCounts n = test::Counts();
    PROF_ShowCycleBars();
    EXPECT_EQ(PROF_CycleValues[0], uint32_t(1) << 20);
    EXPECT_EQ(PROF_TscSlot[1], PROF_ReadCycleCount()); // the next measure starts now
    EXPECT_EQ(PROF_BarSprite.frame, 0x800);
    EXPECT_EQ(PROF_BarSprite.x, 256);
    EXPECT_EQ(PROF_BarSprite.y, 440);
    EXPECT_EQ(PROF_BarSprite.facing, 1);
    EXPECT_EQ(PROF_BarSprite.flags, 0x2000u);
    EXPECT_EQ(test::Counts().locks, n.locks + 1);
    EXPECT_EQ(test::Counts().unlocks, n.unlocks + 1);
    EXPECT_EQ(0, std::memcmp(before.data(), SCR_FrameBuffer, before.size() * 2));
    kalder_test::ResetCore();
}

} // namespace
