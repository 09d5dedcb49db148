// The main window: its two shapes, its failures, its window procedure and closing it.
#include <gtest/gtest.h>

#include <string>

#include "core/dsp.h"
#include "core/mgm.h"
#include "core/sys.h"
#include "core/win.h"
#include "plat/test.h"
#include "plat/window.h"
#include "tests/support/core_state.h"
#include "tests/support/neighbours.h"

namespace {

struct WinTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        fake::reset();
    }
    void TearDown() override { kalder_test::ResetCore(); }
};

TEST_F(WinTest, BothShapesOfTheWindow)
{
    struct Case {
        int32_t back_end;
        bool fullscreen;
        int width;
        int height;
    };
    // The full-screen window covers the screen, whatever its size; the window back-end's client area
    // is the picture's 640x480.
    for (const Case &c : {Case{1, false, 640, 480}, Case{0, true, 1280, 1024}}) {
        SCOPED_TRACE(c.back_end);
        kalder_test::ResetCore();
        test::SetScreenSize(1280, 1024);
        DSP_BackEnd = c.back_end;
        ASSERT_EQ(WIN_InitDisplay(nullptr, 1), 1);
        const test::WindowRecord &w = test::Window();
        EXPECT_EQ(w.fullscreen, c.fullscreen);
        EXPECT_EQ(w.title, "Kalder");
        EXPECT_EQ(w.width, c.width);
        EXPECT_EQ(w.height, c.height);
        EXPECT_TRUE(w.shown);
        EXPECT_TRUE(w.cursor_hidden);
        EXPECT_NE(WIN_MainWindow, nullptr);
        EXPECT_EQ(WIN_Width, 640);
        EXPECT_EQ(WIN_Height, 480);
        EXPECT_EQ(PLAT_HasFocus(WIN_MainWindow), 1);
    }
}

TEST_F(WinTest, WindowThatCannotBeMadeStartsNoDisplay)
{
    for (test::Call call : {test::Call::RegisterClass, test::Call::CreateWindow}) {
        for (int32_t back_end : {1, 0}) {
            SCOPED_TRACE(int(call) * 10 + back_end);
            kalder_test::ResetCore();
            DSP_BackEnd = back_end;
            test::FailCall(call);
            EXPECT_EQ(WIN_InitDisplay(nullptr, 1), 0);
            EXPECT_EQ(test::Counts().dc_made, 0);
            EXPECT_EQ(test::Counts().dd_made, 0);
            EXPECT_EQ(test::WindowsCreated(), 0);
            EXPECT_TRUE(test::MessageBoxes().empty());
        }
    }
}

TEST_F(WinTest, WindowProcedureSwallowsAltTheSystemMenuAndTheScreenSaver)
{
    DSP_BackEnd = 1;
    ASSERT_EQ(WIN_InitDisplay(nullptr, 1), 1);
    struct Case {
        int event;
        int param;
        int handled;
    };
    const Case cases[] = {
        {PLAT_WINDOW_SYSKEY, 0x12, 1},  // Alt
        {PLAT_WINDOW_SYSKEY, 0x20, 0},  // Alt+Space: the platform's own answer
        {PLAT_WINDOW_SYSKEY, 0x73, 0},  // Alt+F4
        {PLAT_WINDOW_SYSCOMMAND, PLAT_SC_KEYMENU, 1},
        {PLAT_WINDOW_SYSCOMMAND, PLAT_SC_SCREENSAVE, 1},
        {PLAT_WINDOW_SYSCOMMAND, PLAT_SC_OTHER, 0},
        {PLAT_WINDOW_CREATED, 0, 1},
        {99, 0, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(test::SendWindowEvent(c.event, c.param), c.handled) << c.event << " " << c.param;
    }
    // None of them asked the program to end.
    EXPECT_EQ(PLAT_PumpMessages(), 0);

    // Closing does: the next pump reports the quit, once.
    EXPECT_EQ(test::SendWindowEvent(PLAT_WINDOW_CLOSE, 0), 1);
    EXPECT_EQ(PLAT_PumpMessages(), 1);
    EXPECT_EQ(PLAT_PumpMessages(), 0);
}

TEST_F(WinTest, ClosingTheWindowEndsTheProgramThroughTheNormalShutdown)
{
    for (int32_t back_end : {1, 0}) {
        SCOPED_TRACE(back_end);
        kalder_test::ResetCoreWithInstallation();
        fake::reset();
        DSP_BackEnd = back_end;
        bool display_held_during_game = true;
        fake::script().game_tick = [&] {
            const test::DisplayCounts &n = test::Counts();
            display_held_during_game = display_held_during_game && n.dib_deleted == 0 && n.dd_released == 0;
            if (fake::count("GAME_Tick") == 2) {
                test::SendWindowEvent(PLAT_WINDOW_CLOSE, 0);
            }
        };
        EXPECT_EQ(WinMain(nullptr, nullptr, "", 1), 0);
        EXPECT_EQ(fake::count("GAME_Tick"), 2);
        EXPECT_TRUE(display_held_during_game);
        // The whole shutdown ran, the display last of all.
        ASSERT_FALSE(fake::calls().empty());
        EXPECT_EQ(fake::calls().back(), "CAM_Exit");
        EXPECT_EQ(MGM_ControlQueue, nullptr);
        const test::DisplayCounts &n = test::Counts();
        EXPECT_EQ(n.dc_deleted, n.dc_made);
        EXPECT_EQ(n.dib_deleted, n.dib_made);
        EXPECT_EQ(n.dd_released, n.dd_made);
        EXPECT_EQ(n.dd2_released, n.dd2_made);
        EXPECT_EQ(n.chain_released, n.chain_made);
        EXPECT_EQ(back_end == 1 ? n.dib_made : n.chain_made, 1);
    }
}

} // namespace
