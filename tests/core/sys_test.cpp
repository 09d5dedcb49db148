// Start-up, the main loop and shutdown, with the modules above the core scripted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/clk.h"
#include "core/dpr.h"
#include "core/dsp.h"
#include "core/inp.h"
#include "core/mgm.h"
#include "core/que.h"
#include "core/sys.h"
#include "core/win.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/install_writer.h"
#include "tests/support/neighbours.h"
#include "tests/support/temp_drives.h"

namespace {

struct SysTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCoreWithInstallation();
        fake::reset();
        DSP_BackEnd = 1;
        // A game that forgets to end would hang the test: stop it after many frames.
        fake::script().game_tick = [] {
            if (fake::count("GAME_Tick") > 1000) {
                test::PostQuit();
            }
        };
    }
    void TearDown() override { kalder_test::ResetCore(); }

    static void start()
    {
        ASSERT_TRUE(WIN_InitDisplay(nullptr, 1));
        SYS_Init();
        SYS_CreateMessageManager();
    }

    // Runs WinMain with exits caught; returns the exit code, or -1 when WinMain returned.
    static int run_catching_exit()
    {
        test::SetExitHook(test::ThrowOnExit);
        try {
            EXPECT_EQ(WinMain(nullptr, nullptr, "", 1), 0);
        } catch (const test::ExitCalled &exit) {
            return exit.code;
        }
        return -1;
    }
};

TEST_F(SysTest, QuitDuringTheGameRunsTheWholeStartAndShutdownOrder)
{
    fake::script().game_tick = [] {
        if (fake::count("GAME_Tick") == 3) {
            test::PostQuit();
        }
    };
    EXPECT_EQ(WinMain(nullptr, nullptr, "", 1), 0);
    const std::vector<std::string> expected = {
        "PRJ_LoadDatabase",
        "GAME_Init3DEngine",
        "PTC_LoadSprites",
        "PART_Create",
        "TXT_ClearAll",
        "TXT_LoadFont data\\font\\hi640.spr 0",
        "TXT_LoadFont data\\font\\hi480.spr 1",
        "TXT_LoadFont data\\font\\hi320.spr 2",
        "TXT_LoadFont data\\font\\hi320.spr 3",
        "SPR_LoadSet data\\objet\\sour.alp 10",
        "MENJ_Init",
        "DSN_Create",
        "DRD_Open",
        "CAM_Init",
        "TITLE_Run",
        "CTRL_MapInput",
        "GAME_Tick",
        "MENJ_Update 1",
        "CTRL_MapInput",
        "GAME_Tick",
        "MENJ_Update 1",
        "CTRL_MapInput",
        "GAME_Tick",
        "MENJ_Update 1",
        "HNM_Close", // a film still open goes before the streaming buffer
        "MENJ_Shutdown",
        "PRJ_FreeDatabase",
        "GAME_Exit3DEngine",
        "DRD_Close",
        "DSN_Destroy",
        "CAM_Exit",
    };
    EXPECT_EQ(fake::calls(), expected);
    // Everything the core made is given back, and keys and clock are off.
    EXPECT_EQ(MEM_Arena, nullptr);
    EXPECT_EQ(DPR_Main, nullptr);
    EXPECT_EQ(GAME_EventQueue, nullptr);
    EXPECT_EQ(MGM_ControlQueue, nullptr);
    EXPECT_EQ(MGM_InputQueue, nullptr);
    EXPECT_EQ(MGM_Flags & MGM_FWD_KEYS, 0);
    EXPECT_EQ(INP_ClockRunning, 0);
    EXPECT_EQ(test::WindowsCreated(), 1);
    EXPECT_NE(test::Stdout().find("Kalder"), std::string::npos); // the banner
}

TEST_F(SysTest, ServicesAfterStartUp)
{
    struct Case {
        bool sound;
        bool cd;
        intptr_t flag_word;
        std::string stdout_lines;
    };
    const Case cases[] = {
        {true, true, 0x0301, "\nSound Is On\n\nAudio CD Is On\n"},
        {true, false, 0x0101, "\nSound Is On\n"},
        {false, true, 0x0201, "\nAudio CD Is On\n"},
        {false, false, 0x0001, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.flag_word);
        kalder_test::ResetCoreWithInstallation();
        test::SetSoundDevice(c.sound);
        test::SetCdDevice(c.cd);
        start();
        EXPECT_EQ(MGM_SendMessage(42), c.flag_word);
        const std::string &out = test::Stdout();
        EXPECT_EQ(out.find("Sound Is On") != std::string::npos, c.sound);
        EXPECT_EQ(out.find("Audio CD Is On") != std::string::npos, c.cd);
        EXPECT_NE(out.find(c.stdout_lines), std::string::npos);
    }
    // The clock runs at 200 units a second with a tick every 66 ms; the tuning words are set.
    EXPECT_EQ(INP_ClockRunning, 1);
    EXPECT_EQ(CLK_Unit, 5u);
    EXPECT_EQ(CLK_TickPeriod, 66u);
    EXPECT_EQ(GAME_Tuning[0], 20.0f);
    EXPECT_EQ(GAME_Tuning[1], 100.0f);
    EXPECT_EQ(GAME_Tuning[2], 0.0f);
    EXPECT_EQ(MGM_SendMessage(40), reinterpret_cast<intptr_t>(GAME_EventQueue));
}

TEST_F(SysTest, OpeningFilm)
{
    struct Case {
        std::string film;
        int32_t kind;
        std::string opened; // path given to the film player, empty when none
        int32_t hold;
        uint8_t film_bits;
    };
    const Case cases[] = {
        {"", 2, "", 0, 0},
        {"tete_e~1.hnm", 0, "data\\hnm\\tete_e~1.hnm", 0, 0},
        {"tete_e~1.hnm", 1, "data\\hnm\\tete_e~1.hnm", 1, MGM_FILM_TICKED},
        {"intro.hnm", 2, "data\\hnm\\intro.hnm", 1, MGM_FILM_PACED},
        // A name that fills its whole field has no terminator; only the field is read.
        {"ABCDEFGHIJKLMNOPQRS", 2, "data\\hnm\\ABCDEFGHIJKLMNOP", 1, MGM_FILM_PACED},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.film);
        kalder_test::ResetCoreWithInstallation();
        fake::reset();
        fake::script().opening_film = c.film;
        fake::script().hnm_open = c.kind;
        GAME_FilmFrozen = 1;
        start();
        std::vector<std::string> opens;
        for (const std::string &call : fake::calls()) {
            if (call.rfind("HNM_Open ", 0) == 0) {
                opens.push_back(call.substr(9));
            }
        }
        EXPECT_EQ(opens, c.opened.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.opened});
        EXPECT_EQ(GAME_FilmHold, c.hold);
        EXPECT_EQ(GAME_FilmFrozen, c.hold == 1 ? 0 : 1);
        EXPECT_EQ(MGM_Flags & (MGM_FILM_TICKED | MGM_FILM_PACED), c.film_bits);
    }
}

struct FailureCase {
    const char *what;
    void (*arrange)();
    const char *message;
    const char *last_call; // the last module started before the stop
};

const FailureCase failure_cases[] = {
    {"arena", [] { test::FailHeapAlloc(0x172000); }, "Kalder Internal Error : can't create Kalder_MSS1",
     "GAME_Init3DEngine"},
    {"stream record", [] { test::FailHeapAlloc(sizeof(DPR_Buffer)); },
     "Kalder Internal Error : can't create Kalder_Dpr1", "GAME_Init3DEngine"},
    {"scene reader", [] { fake::script().dsn_create = 0; }, "Kalder Internal Error : can't create DSN", "DSN_Create"},
    {"dialogue file", [] { fake::script().drd_open = 0; }, "Kalder Internal Error : can't create DLG", "DRD_Open"},
    {"game queue", [] { test::FailHeapAlloc(sizeof(MGM_Event) * 50, 0); }, "Kalder Internal Error : can't create MGM",
     "CAM_Init"},
    {"control queue", [] { test::FailHeapAlloc(sizeof(MGM_Event) * 50, 1); },
     "Kalder Internal Error : can't create MGM", "CAM_Init"},
    {"input queue", [] { test::FailHeapAlloc(sizeof(MGM_Event) * 50, 2); }, "Kalder Internal Error : can't create MGM",
     "CAM_Init"},
};

TEST_F(SysTest, CheckedStartUpStepsStopWithTheirOwnText)
{
    for (const FailureCase &c : failure_cases) {
        SCOPED_TRACE(c.what);
        kalder_test::ResetCoreWithInstallation();
        fake::reset();
        c.arrange();
        EXPECT_EQ(run_catching_exit(), 999);
        ASSERT_EQ(test::MessageBoxes().size(), 1u);
        EXPECT_EQ(test::MessageBoxes()[0].text, c.message);
        EXPECT_EQ(test::MessageBoxes()[0].title, "Error");
        ASSERT_FALSE(fake::calls().empty());
        EXPECT_EQ(fake::calls().back(), c.last_call);
    }
}

TEST_F(SysTest, CheckedStartUpStepsEndTheProcessWithStatus231)
{
    for (const FailureCase &c : failure_cases) {
        fake::reset();
        EXPECT_EXIT(
            {
                c.arrange();
                WinMain(nullptr, nullptr, "", 1);
            },
            ::testing::ExitedWithCode(231), c.message)
            << c.what;
    }
}

TEST_F(SysTest, GameThatAsksForTheTitleGetsIt)
{
    fake::script().title_run = [] {
        GAME_EndRequest = 0;
        GAME_ReturnToTitle = fake::count("TITLE_Run") == 1 ? 1 : 0;
    };
    fake::script().game_tick = [] { GAME_EndRequest = 1; };
    EXPECT_EQ(WinMain(nullptr, nullptr, "", 1), 0);
    EXPECT_EQ(fake::count("TITLE_Run"), 2);
    EXPECT_EQ(fake::count("GAME_Tick"), 2);
    // The title runs again with the same modules: nothing is rebuilt.
    EXPECT_EQ(fake::count("PRJ_LoadDatabase"), 1);
    EXPECT_EQ(fake::count("MENJ_Init"), 1);
    EXPECT_EQ(fake::count("CAM_Exit"), 1);
}

TEST_F(SysTest, GameThatEndsWithoutTheTitleQuits)
{
    fake::script().game_tick = [] { GAME_EndRequest = 1; };
    EXPECT_EQ(WinMain(nullptr, nullptr, "", 1), 0);
    EXPECT_EQ(fake::count("TITLE_Run"), 1);
    EXPECT_EQ(fake::count("GAME_Tick"), 1);
    EXPECT_EQ(fake::count("CAM_Exit"), 1);
}

TEST_F(SysTest, QuitSeenByAModalLoopEndsTheProgramEvenWhenTheTitleWasAsked)
{
    fake::script().title_run = [] {
        SYS_ExitWord = 1;
        GAME_EndRequest = 1;
        GAME_ReturnToTitle = 1;
    };
    EXPECT_EQ(WinMain(nullptr, nullptr, "", 1), 0);
    EXPECT_EQ(fake::count("TITLE_Run"), 1);
    EXPECT_EQ(fake::count("GAME_Tick"), 0);
    EXPECT_EQ(fake::count("CAM_Exit"), 1);
}

TEST_F(SysTest, FatalCodeIsTakenAsSixteenBits)
{
    test::SetExitHook(test::ThrowOnExit);
    struct Case {
        int code;
        int passed;
    };
    for (Case c : {Case{999, 999}, Case{1, 1}, Case{0x12345, 0x2345}, Case{0xFFFF, -1}, Case{-1, -1}}) {
        try {
            SYS_FatalError("x", c.code, 1);
        } catch (const test::ExitCalled &exit) {
            EXPECT_EQ(exit.code, c.passed) << c.code;
        }
    }
    test::SetExitHook(nullptr);
    EXPECT_EXIT(SYS_FatalError("Kalder Internal Error : x", -1, 1), ::testing::ExitedWithCode(255), "x");
}

} // namespace
