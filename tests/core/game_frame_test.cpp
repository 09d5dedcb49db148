// The game receiver's handler: event decoding, the game frame, the frame time and the rounds of the
// message manager, with the world, films and interface scripted.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/clk.h"
#include "core/game_frame.h"
#include "core/mgm.h"
#include "core/opt.h"
#include "core/que.h"
#include "core/scr.h"
#include "core/sys.h"
#include "core/win.h"
#include "core/dsp.h"
#include "editor/edt.h"
#include "interface/menj.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/neighbours.h"
#include "world/prj.h"
#include "world/replay.h"

namespace {

struct GameFrameTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCoreWithInstallation();
        fake::reset();
        DSP_BackEnd = 1;
        ASSERT_TRUE(WIN_InitDisplay(nullptr, 1));
        SYS_Init();
        SYS_CreateMessageManager();
        fake::calls().clear();
        fake::texts().clear();
    }
    void TearDown() override { kalder_test::ResetCore(); }

    static void post(uint8_t type, intptr_t a = 0, intptr_t b = 0) { QUE_Post(GAME_EventQueue, type, a, b); }

    // The calls of the scripted modules without the text output.
    static std::vector<std::string> calls_without_text()
    {
        std::vector<std::string> out;
        for (const std::string &call : fake::calls()) {
            if (call != "TXT_DrawString") {
                out.push_back(call);
            }
        }
        return out;
    }
};

// Event words are 32-bit numbers stored sign-extended.
intptr_t word(uint32_t value) { return intptr_t(int32_t(value)); }

TEST_F(GameFrameTest, InputEventsBecomeTheRawInputWords)
{
    const intptr_t pad_axes = word(uint32_t(-5) << 16 | 7);
    struct Case {
        const char *name;
        std::vector<MGM_Event> events;
        std::function<void()> check;
    };
    const Case cases[] = {
        {"three keys leave the last", {{'3', 0x41, 0}, {'3', 0x42, 0}, {'3', 0x10043, 0}},
         [] { EXPECT_EQ(GAME_LastKey, 0x43); }},
        {"no key leaves 0", {}, [] { EXPECT_EQ(GAME_LastKey, 0); }},
        {"pad", {{':', pad_axes, 0x3F}},
         [] {
             EXPECT_EQ(GAME_RawInput.axis_x, -5);
             EXPECT_EQ(GAME_RawInput.axis_y, 7);
             EXPECT_EQ(GAME_RawInput.button2, 1);
             EXPECT_EQ(GAME_RawInput.button1, 1);
             EXPECT_EQ(GAME_PadButtons[0], 2);
             EXPECT_EQ(GAME_PadButtons[1], 2);
             EXPECT_EQ(GAME_PadButtons[2], 2);
         }},
        {"pad, first button alone (bit 0 is button 2)", {{':', pad_axes, 0x01}},
         [] {
             EXPECT_EQ(GAME_RawInput.button2, 1);
             EXPECT_EQ(GAME_RawInput.button1, 0);
             EXPECT_EQ(GAME_PadButtons[0], 0);
         }},
        {"joystick, unsigned axes, button 1", {{'9', pad_axes, 0x01}},
         [] {
             EXPECT_EQ(GAME_RawInput.axis_x, 65531);
             EXPECT_EQ(GAME_RawInput.axis_y, 7);
             EXPECT_EQ(GAME_RawInput.button1, 1);
             EXPECT_EQ(GAME_RawInput.button2, 0);
         }},
        {"joystick, button 2", {{'9', pad_axes, 0x02}},
         [] {
             EXPECT_EQ(GAME_RawInput.button1, 0);
             EXPECT_EQ(GAME_RawInput.button2, 1);
         }},
        {"pointer and signed axes", {{'4', word(100u << 16 | 200), word(0xFFFEu << 16 | 3)}},
         [] {
             EXPECT_EQ(GAME_RawInput.pointer_x, 100);
             EXPECT_EQ(GAME_RawInput.pointer_y, 200);
             EXPECT_EQ(GAME_RawInput.axis_x, -2);
             EXPECT_EQ(GAME_RawInput.axis_y, 3);
         }},
        // The position's halves are unsigned: a pointer far right is no negative x.
        {"pointer beyond 32767", {{'4', word(0x8001FFFFu), 0}},
         [] {
             EXPECT_EQ(GAME_RawInput.pointer_x, 0x8001);
             EXPECT_EQ(GAME_RawInput.pointer_y, 0xFFFF);
         }},
        {"button 1 down", {{'5', 0, 0}},
         [] {
             EXPECT_EQ(GAME_RawInput.buttons, 0x01);
             EXPECT_EQ(GAME_RawInput.button1, 1);
         }},
        {"button 1 down and up", {{'5', 0, 0}, {'7', 0, 0}, {'6', 0, 0}},
         [] {
             EXPECT_EQ(GAME_RawInput.buttons, 0x02);
             EXPECT_EQ(GAME_RawInput.button1, 0);
         }},
        {"button 2 sets only its bit", {{'7', 0, 0}},
         [] {
             EXPECT_EQ(GAME_RawInput.buttons, 0x02);
             EXPECT_EQ(GAME_RawInput.button2, 0);
         }},
        {"button 2 down and up", {{'7', 0, 0}, {'8', 0, 0}}, [] { EXPECT_EQ(GAME_RawInput.buttons, 0); }},
        {"ignored codes", {{';', 1, 1}, {'<', 1, 1}, {'=', 1, 1}, {'2', 1, 1}, {'@', 1, 1}, {0xFF, 1, 1}},
         [] {
             EXPECT_EQ(GAME_LastKey, 0);
             EXPECT_EQ(GAME_RawInput.pointer_x, 0);
             EXPECT_EQ(GAME_RawInput.axis_x, 0);
             EXPECT_EQ(GAME_RawInput.buttons, 0);
             EXPECT_EQ(GAME_RawInput.button1, 0);
             EXPECT_EQ(GAME_PadButtons[0], 0);
             EXPECT_EQ(fake::count("HNM_NextFrame"), 0);
             EXPECT_EQ(GAME_EndRequest, 0);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        GAME_RawInput = GAME_RawInputRecord{};
        GAME_PadButtons[0] = GAME_PadButtons[1] = GAME_PadButtons[2] = 0;
        GAME_LastKey = 'Q'; // what the last call left
        fake::calls().clear();
        for (const MGM_Event &event : c.events) {
            post(event.type, event.a, event.b);
        }
        EXPECT_EQ(GAME_FrameHandler(), 1);
        c.check();
    }
}

TEST_F(GameFrameTest, FilmFramesAndTheFilmEnd)
{
    struct Case {
        const char *name;
        uint8_t event;
        int32_t frozen, hold, animated, return_to_title, film_opens;
        std::vector<std::string> calls; // without the game frame's own
        int32_t hold_after, end_after;
        int presents; // during the call: the film frame's, or the game frame's
    };
    const Case cases[] = {
        {"a frame while the game runs (the game frame presents)", '>', 0, 0, 0, 0, 0, {"HNM_NextFrame"}, 0, 0, 1},
        {"a frame while a film holds the game is shown", '>', 0, 1, 0, 0, 0, {"HNM_NextFrame"}, 1, 0, 1},
        {"a frozen film", '>', 1, 1, 0, 0, 0, {}, 1, 0, 0},
        {"the end releases the game", '?', 0, 1, 0, 0, 0, {}, 0, 0, 1},
        {"the end goes back to the title", '?', 0, 1, 0, 1, 0, {}, 0, 1, 1},
        {"the level's animation film starts again", '?', 0, 1, 1, 0, 2,
         {"HNM_Open C:\\VORN\\KALDER\\data\\anim\\WATERFALL_ANIM12"}, 0, 0, 1},
        {"an animation film that does not open", '?', 0, 0, 1, 1, 0,
         {"HNM_Open C:\\VORN\\KALDER\\data\\anim\\WATERFALL_ANIM12"}, 0, 1, 1},
    };
    // The name fills its whole field, with no terminator.
    std::memcpy(PRJ_Current->anim_film, "WATERFALL_ANIM12", 16);
    PRJ_Current->data_part = 0x41; // the byte after the field
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        GAME_FilmFrozen = c.frozen;
        GAME_FilmHold = c.hold;
        GAME_EndRequest = 0;
        GAME_ReturnToTitle = c.return_to_title;
        MGM_Flags |= MGM_FILM_TICKED; // a film runs
        fake::script().tex_has_animated = c.animated;
        fake::script().hnm_open = c.film_opens;
        fake::calls().clear();
        const int presents = test::PresentCount();
        post(c.event);
        EXPECT_EQ(GAME_FrameHandler(), c.end_after ? 0 : 1);
        std::vector<std::string> film_calls;
        for (const std::string &call : fake::calls()) {
            if (call.rfind("HNM_", 0) == 0) {
                film_calls.push_back(call);
            }
        }
        EXPECT_EQ(film_calls, c.calls);
        EXPECT_EQ(GAME_FilmHold, c.hold_after);
        EXPECT_EQ(GAME_EndRequest, c.end_after);
        EXPECT_EQ(test::PresentCount() - presents, c.presents);
        // Service 24 starts an opened film: the kind decides the pacing.
        if (c.film_opens == 2) {
            EXPECT_NE(MGM_Flags & MGM_FILM_PACED, 0);
        }
        MGM_Flags &= uint8_t(~(MGM_FILM_TICKED | MGM_FILM_PACED));
    }
}

TEST_F(GameFrameTest, AGameFrameRunsItsStepsInOrder)
{
    struct Case {
        int32_t replay;
        const char *replay_call;
    };
    const Case cases[] = {{0, "REPLAY_RecordFrame"}, {1, "REPLAY_PlayFrame"}, {2, nullptr}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.replay);
        REPLAY_State = c.replay;
        OPT_ControlHelp = 1;
        OPT_DebugPanel = 1;
        fake::calls().clear();
        fake::texts().clear();
        int presents_at_tick = -1;
        const int presents = test::PresentCount();
        fake::script().game_tick = [&] { presents_at_tick = test::PresentCount(); };
        GAME_FrameHandler();
        std::vector<std::string> expected = {"CTRL_MapInput"};
        if (c.replay_call != nullptr) {
            expected.push_back(c.replay_call);
        }
        expected.push_back("GAME_Tick");
        expected.push_back("MENJ_Update 1");
        EXPECT_EQ(calls_without_text(), expected);
        // The last frame was presented before the world moved.
        EXPECT_EQ(presents_at_tick, presents + 1);
        EXPECT_EQ(test::PresentCount(), presents + 1);
        // The help comes after the HUD, then the panel.
        ASSERT_FALSE(fake::texts().empty());
        EXPECT_EQ(fake::texts().front().text, "Game Control");
        EXPECT_GT(fake::position("TXT_DrawString"), fake::position("MENJ_Update 1"));
        size_t panel = 0;
        while (panel < fake::texts().size() && fake::texts()[panel].text != "Debug Info ") {
            panel++;
        }
        ASSERT_LT(panel, fake::texts().size());
        EXPECT_EQ(fake::texts()[panel - 1].text, "Change Camera ( Def: ALT 5 )");
    }
}

TEST_F(GameFrameTest, TheSaveScreensCanSkipOnePresent)
{
    MENJ_SkipPresent = 1;
    const int presents = test::PresentCount();
    GAME_FrameHandler();
    EXPECT_EQ(test::PresentCount(), presents);
    EXPECT_EQ(MENJ_SkipPresent, 0);
    EXPECT_EQ(fake::count("GAME_Tick"), 1);
    GAME_FrameHandler();
    EXPECT_EQ(test::PresentCount(), presents + 1);
}

TEST_F(GameFrameTest, AHoldingFilmStopsTheGameFrameButNotTheClockOrTheHotKeys)
{
    GAME_FilmHold = 1;
    MGM_Flags |= MGM_FILM_PACED;
    const int presents = test::PresentCount();
    test::AdvanceClock(30);
    post('3', 'K');
    GAME_FrameHandler();
    EXPECT_TRUE(calls_without_text().empty() || calls_without_text() == std::vector<std::string>{"CTRL_SetDevice 0"});
    EXPECT_EQ(fake::count("GAME_Tick"), 0);
    EXPECT_EQ(test::PresentCount(), presents);
    EXPECT_EQ(GAME_FilmHold, 1);
    EXPECT_EQ(GAME_LastFrameClock, 6.0f);
    EXPECT_DOUBLE_EQ(GAME_TimeFactor, 30.0 / (200.0 / 6.0));
    EXPECT_STREQ(SCR_Message, "Keyboard");

    // The film stops without its end event: the hold goes, the game frame comes back next time.
    MGM_Flags &= uint8_t(~MGM_FILM_PACED);
    GAME_FrameHandler();
    EXPECT_EQ(GAME_FilmHold, 0);
    EXPECT_EQ(fake::count("GAME_Tick"), 0);
    GAME_FrameHandler();
    EXPECT_EQ(fake::count("GAME_Tick"), 1);
}

TEST_F(GameFrameTest, TheTimeFactorFollowsTheFrameTime)
{
    struct Case {
        int dt;
        double factor;
        int32_t rate;
    };
    const Case cases[] = {
        {0, 0.2, INT32_MIN},
        {1, 0.2, 200},
        {2, 0.3, 100},
        {6, 30.0 / (200.0 / 6.0), 33},
        {7, 30.0 / (200.0 / 7.0), 28},
        {33, 30.0 / (200.0 / 33.0), 6},
        {34, 5.0, 5},
        {100, 5.0, 2},
        {250, 5.0, 0},
        {-5, 5.0, -40},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.dt);
        GAME_FrameHandler(); // takes the clock as it stands
        if (c.dt >= 0) {
            test::AdvanceClock(uint32_t(c.dt) * 5);
        } else {
            GAME_LastFrameClock += float(-c.dt); // the clock restarted behind the stored one
        }
        GAME_FrameHandler();
        EXPECT_EQ(GAME_TimeFactor, c.factor);
        EXPECT_EQ(GAME_FrameRate, c.rate);
    }
    EXPECT_NEAR(30.0 / (200.0 / 7.0), 1.05, 1e-12);
    EXPECT_NEAR(30.0 / (200.0 / 33.0), 4.95, 1e-12);
    EXPECT_TRUE(std::isinf(GAME_FramesPerSecond) == false);
}

TEST_F(GameFrameTest, AFrameOfNoTimeHasAnInfiniteRate)
{
    GAME_FrameHandler();
    GAME_FrameHandler();
    EXPECT_TRUE(std::isinf(GAME_FramesPerSecond));
    EXPECT_GT(GAME_FramesPerSecond, 0.0);
    EXPECT_EQ(GAME_FrameRate, INT32_MIN);
    EXPECT_EQ(GAME_TimeFactor, 0.2);
}

TEST_F(GameFrameTest, RecordingAndTheEditorOverrideTheFactor)
{
    struct Case {
        int32_t replay, capture;
        int dt;
        double factor;
    };
    const Case cases[] = {
        {0, 0, 1, 1.0}, {0, 0, 6, 1.0}, {0, 0, 100, 1.0}, {2, 1, 6, 2.0}, {2, 1, 100, 2.0},
        {0, 1, 6, 1.0}, {1, 0, 100, 5.0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.replay << " " << c.capture << " " << c.dt);
        REPLAY_State = c.replay;
        EDT_CaptureContinuous = c.capture;
        GAME_FrameHandler();
        const float seconds = GAME_TimeSeconds;
        test::AdvanceClock(uint32_t(c.dt) * 5);
        GAME_FrameHandler();
        EXPECT_EQ(GAME_TimeFactor, c.factor);
        // The game time takes the measured factor, before the overrides.
        const double measured = std::min(5.0, std::max(0.2, c.dt * 0.15));
        EXPECT_FLOAT_EQ(GAME_TimeSeconds - seconds, float(measured / 30.0));
    }
}

TEST_F(GameFrameTest, TheFrameRateIsSampledEvery200Milliseconds)
{
    const uint32_t start = CLK_GameClock;
    // The first frame measures from the stored clock 0.
    test::AdvanceClock(30);
    GAME_FrameHandler();
    EXPECT_EQ(GAME_LastFrameClock, float(start + 6));
    struct Step {
        int dt;
        int32_t taken;
    };
    // From a sample at the clock now, a frame 40 units on takes none; one more unit does.
    GAME_SampleTime = int32_t(CLK_GameClock);
    const Step steps[] = {{20, 0}, {20, 0}, {1, 1}, {1, 0}, {41, 1}};
    for (const Step &step : steps) {
        const int32_t before = GAME_SampleTime;
        test::AdvanceClock(uint32_t(step.dt) * 5);
        GAME_FrameHandler();
        EXPECT_EQ(GAME_SampleTaken, step.taken);
        EXPECT_EQ(GAME_SampleTime, step.taken ? int32_t(CLK_GameClock) : before);
    }
}

TEST_F(GameFrameTest, TheDebugCountersShowTheRateAndTheWorkArea)
{
    OPT_DebugCounters = 1;
    test::AdvanceClock(1000); // 200 units: one second
    GAME_FrameHandler();
    const std::vector<fake::Text> texts = fake::texts();
    ASSERT_EQ(texts.size(), 8u);
    EXPECT_EQ(texts[0], (fake::Text{"Frame Rate", 32, 16, 1}));
    EXPECT_EQ(texts[1], (fake::Text{"1", 192, 16, 1}));        // 200 / 200 units
    EXPECT_EQ(texts[2], (fake::Text{"1", 256, 16, 1}));        // the clock in seconds
    EXPECT_EQ(texts[3], (fake::Text{"0.833333", 300, 16, 1})); // ahead of the game time (5 / 30)
    EXPECT_EQ(texts[4], (fake::Text{"Mem 3DTR", 32, 28, 1}));
    EXPECT_EQ(texts[5], (fake::Text{"0", 128, 28, 1}));
    EXPECT_EQ(texts[6], (fake::Text{"Mem 3DTR Free", 32, 40, 1}));
    EXPECT_EQ(texts[7], (fake::Text{"0", 128, 40, 1}));

    // In editor mode they are not drawn.
    fake::texts().clear();
    EDT_Active = 1;
    GAME_FrameHandler();
    EXPECT_TRUE(fake::texts().empty());
}

TEST_F(GameFrameTest, TheAllPowersSequenceGivesFourteenPowersAndStops)
{
    OPT_AllPowers = 1;
    for (int i = 0; i < 16; i++) {
        GAME_FrameHandler();
    }
    std::vector<std::string> given;
    for (const std::string &call : fake::calls()) {
        if (call.rfind("INV_Add ", 0) == 0) {
            given.push_back(call.substr(8));
        }
    }
    const std::vector<std::string> expected = {"feu",     "arc",  "epee",    "guerison", "bouclier",
                                               "connaiss", "temps", "spirit", "holo",     "resurec",
                                               "invivib", "mine", "shaman",  "vitesse"};
    EXPECT_EQ(given, expected);
    EXPECT_EQ(OPT_AllPowers, 0);
    EXPECT_EQ(OPT_AllPowersCount, 0);
}

// Whole rounds of the message manager with real key presses through the platform.
TEST_F(GameFrameTest, RoundsAnswerTappedAndHeldKeys)
{
    test::KeyTap('P');
    for (int round = 0; round < 3; round++) {
        test::AdvanceClock(30);
        EXPECT_EQ(MGM_DispatchMessages(), 1);
    }
    EXPECT_EQ(GAME_Paused, 1);

    const int dibs = test::Counts().dib_made;
    test::KeyDown(0x72); // F3
    for (int round = 0; round < 3; round++) {
        test::AdvanceClock(30);
        EXPECT_EQ(MGM_DispatchMessages(), 1);
    }
    test::KeyUp(0x72);
    EXPECT_EQ(test::Counts().dib_made - dibs, 3);
    EXPECT_EQ(SCR_Width, 640u);
    EXPECT_EQ(SCR_Height, 400u);

    test::KeyDown(0x12);
    test::KeyDown('X');
    test::AdvanceClock(30);
    EXPECT_EQ(MGM_DispatchMessages(), 0);
}

TEST(GameFrameProgram, AltXEndsTheGameAndTheProgram)
{
    kalder_test::ResetCoreWithInstallation();
    fake::reset();
    DSP_BackEnd = 1;
    fake::script().game_tick = [] {
        if (fake::count("GAME_Tick") == 2) {
            test::KeyDown(0x12);
            test::KeyDown('X');
        }
        if (fake::count("GAME_Tick") > 100) {
            test::PostQuit(); // a game that does not end stops the test, failing it below
        }
    };
    EXPECT_EQ(WinMain(nullptr, nullptr, "", 1), 0);
    // The keys go down during the second frame; the next round's scan sees them and its frame ends
    // the game.
    EXPECT_EQ(fake::count("GAME_Tick"), 3);
    EXPECT_EQ(fake::calls().back(), "CAM_Exit");
    kalder_test::ResetCore();
}

} // namespace
