// Control mapping: the word transitions, auto-repeat on beats, each device's mapping, the control
// receiver's event decoding and time factor, and its install and uninstall through the message manager.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/clk.h"
#include "core/game_frame.h"
#include "core/inp.h"
#include "core/joy.h"
#include "core/mgm.h"
#include "core/que.h"
#include "core/sys.h"
#include "core/win.h"
#include "interface/title.h"
#include "plat/test.h"
#include "plat/window.h"
#include "tests/support/core_state.h"
#include "world/ctrl.h"
#include "world/prj.h"
#include "world/replay.h"

namespace {

void reset_controls()
{
    CTRL_ResetButtons();
    CTRL_Device = 0;
    CTRL_DeviceBackup = 0;
    CTRL_DirectionTime = 0;
    CTRL_TickFlag = 0;
    CTRL_InstallDepth = 0;
    CTRL_Queue = nullptr;
    CTRL_SavedQueue = nullptr;
    CTRL_SavedHandler = nullptr;
    CTRL_SavedFlags = 0;
    TITLE_FrameDue = 0;
    REPLAY_State = 2;
}

struct CtrlTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        reset_controls();
    }
    void TearDown() override
    {
        if (CTRL_Queue != nullptr) {
            QUE_Destroy(CTRL_Queue);
        }
        reset_controls();
        kalder_test::ResetCore();
    }

    // Runs one receiver cycle with the game clock reading `clock` units.
    static void cycle_at(uint32_t clock)
    {
        CLK_GameClock = clock;
        CTRL_Dispatcher();
    }
};

TEST_F(CtrlTest, ButtonAndDirectionWordsFollowOneTransitionTable)
{
    struct Case {
        int32_t before;
        int32_t pressed;
        int32_t button_after;
        int32_t direction_after;
    };
    const Case cases[] = {
        {0, 0, 0x02, 0x00},    // a button's reset value: released without a change
        {0, 1, 0x01, 0x05},    // held across a reset: down, no change (a direction counts the press)
        {0x02, 1, 0x05, 0x05}, // a press after a release
        {0x02, 7, 0x05, 0x05}, // any non-zero value is pressed
        {0x02, 0, 0x02, 0x02},
        {0x06, 0, 0x02, 0x02}, // the change bit lasts one update
        {0x01, 1, 0x01, 0x01},
        {0x05, 1, 0x01, 0x01},
        {0x01, 0, 0x06, 0x06}, // a release
        {0x05, 0, 0x06, 0x06},
        {0x03, 1, 0x05, 0x03}, // both bits: a button sees the release bit, a direction the held bit
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "before " << c.before << " pressed " << c.pressed);
        CTRL_Controls[CTRL_K1] = c.before;
        CTRL_UpdateButton(CTRL_K1, c.pressed);
        EXPECT_EQ(CTRL_Controls[CTRL_K1], c.button_after);
        CTRL_Controls[CTRL_UP] = c.before;
        CTRL_UpdateDirection(CTRL_UP, c.pressed);
        EXPECT_EQ(CTRL_Controls[CTRL_UP], c.direction_after);
    }

    // A held button across a reset shows no change; its next press after a release does.
    CTRL_ResetButtons();
    for (int i = 0; i < CTRL_COUNT; i++) {
        EXPECT_EQ(CTRL_Controls[i], i < 4 ? 2 : 0);
    }
    CTRL_UpdateButton(CTRL_SEL, 1);
    EXPECT_EQ(CTRL_Controls[CTRL_SEL], 0x01);
    CTRL_UpdateButton(CTRL_SEL, 0);
    CTRL_UpdateButton(CTRL_SEL, 1);
    EXPECT_EQ(CTRL_Controls[CTRL_SEL], 0x05);
}

TEST_F(CtrlTest, AHeldDirectionRepeatsOnBeatsAfterTwoHundredMilliseconds)
{
    CTRL_Queue = QUE_Create(50);
    std::vector<int> changed;
    for (int i = 0; i <= 55; i++) {
        INP_KeyTable[0x25] = i >= 1 && i <= 50 ? INP_KEY_HELD : 0;
        cycle_at(uint32_t(1000 + 4 * i));
        if (CTRL_Controls[CTRL_LEFT] & CTRL_CHANGED) {
            changed.push_back(i);
        }
        if (i == 1 || i == 23) {
            EXPECT_EQ(CTRL_Controls[CTRL_LEFT], 0x05) << i;
        }
        if (i == 51) {
            EXPECT_EQ(CTRL_Controls[CTRL_LEFT], 0x06);
        }
    }
    EXPECT_EQ(changed, (std::vector<int>{1, 23, 34, 45, 51}));
    EXPECT_EQ(CTRL_DirectionTime, 1004);
}

// Sets the raw state, maps once with the given device, and returns the words that changed, as
// "name=word" in control order.
std::string map_changes(uint8_t device)
{
    static const char *const names[CTRL_COUNT] = {"up", "down", "left", "right", "k1", "k2",
                                                  "k3", "sel", "swi", "bt0", "bt1"};
    int32_t before[CTRL_COUNT];
    for (int i = 0; i < CTRL_COUNT; i++) {
        before[i] = CTRL_Controls[i];
    }
    CTRL_Device = device;
    CTRL_MapInput();
    std::string out;
    for (int i = 0; i < CTRL_COUNT; i++) {
        if (CTRL_Controls[i] != before[i]) {
            out += std::string(out.empty() ? "" : " ") + names[i] + "=" + std::to_string(CTRL_Controls[i]);
        }
    }
    return out;
}

TEST_F(CtrlTest, TheKeyboardMovesEachControlByItsOwnKey)
{
    struct Case {
        int vk;
        const char *name;
    };
    const Case cases[] = {
        {0x26, "up"}, {0x28, "down"}, {0x25, "left"}, {0x27, "right"}, {0x20, "k1"}, {0x1B, "k2"},
        {0x12, "k3"}, {0x11, "sel"},  {'1', "swi"},   {'2', "bt0"},    {'3', "bt1"},
    };
    CTRL_MapInput(); // the buttons leave their reset value
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        INP_KeyTable[c.vk] = INP_KEY_HELD | INP_KEY_DOWN;
        EXPECT_EQ(map_changes(CTRL_KEYBOARD), std::string(c.name) + "=5");
        INP_KeyTable[c.vk] = INP_KEY_UP;
        EXPECT_EQ(map_changes(CTRL_KEYBOARD), std::string(c.name) + "=6");
        EXPECT_EQ(map_changes(CTRL_KEYBOARD), std::string(c.name) + "=2");
    }
}

// One raw state of the pointer, joystick or pad and the words it changes from the released state.
struct RawCase {
    const char *what;
    int32_t axis_x, axis_y, button1, button2;
    int32_t extra[3];
    int vk;
    const char *changes;
};

void check_raw_cases(uint8_t device, const std::vector<RawCase> &cases)
{
    for (const RawCase &c : cases) {
        SCOPED_TRACE(c.what);
        CTRL_ResetButtons();
        CTRL_Device = CTRL_NONE;
        GAME_RawInput = GAME_RawInputRecord{};
        GAME_PadButtons[0] = GAME_PadButtons[1] = GAME_PadButtons[2] = 0;
        map_changes(device); // every button released first
        GAME_RawInput.axis_x = c.axis_x;
        GAME_RawInput.axis_y = c.axis_y;
        GAME_RawInput.button1 = c.button1;
        GAME_RawInput.button2 = c.button2;
        for (int i = 0; i < 3; i++) {
            GAME_PadButtons[i] = c.extra[i];
        }
        if (c.vk != 0) {
            INP_KeyTable[c.vk] = INP_KEY_HELD;
        }
        EXPECT_EQ(map_changes(device), c.changes);
        if (c.vk != 0) {
            INP_KeyTable[c.vk] = 0;
        }
    }
}

TEST_F(CtrlTest, ThePointerMapsItsAxisSignsAndButtons)
{
    check_raw_cases(CTRL_MOUSE, {
        {"left and up", -3, -1, 0, 0, {0, 0, 0}, 0, "up=5 left=5"},
        {"right and down", 1, 70000, 0, 0, {0, 0, 0}, 0, "down=5 right=5"},
        {"at rest", 0, 0, 0, 0, {0, 0, 0}, 0, ""},
        {"button 1", 0, 0, 1, 0, {0, 0, 0}, 0, "k3=5"},
        {"button 2", 0, 0, 0, 1, {0, 0, 0}, 0, "sel=5"},
        {"extra buttons are not the pointer's", 0, 0, 0, 0, {1, 1, 1}, 0, ""},
        {"digit 1 key", 0, 0, 0, 0, {0, 0, 0}, '1', "swi=5"},
        {"Escape", 0, 0, 0, 0, {0, 0, 0}, 0x1B, "k2=5"},
    });
    // The neither case releases both directions of a pair.
    CTRL_ResetButtons();
    map_changes(CTRL_MOUSE);
    GAME_RawInput.axis_x = -5;
    map_changes(CTRL_MOUSE);
    GAME_RawInput.axis_x = 0;
    EXPECT_EQ(map_changes(CTRL_MOUSE), "left=6");
}

TEST_F(CtrlTest, TheJoystickReadsSignedDeflectionsWithADeadZone)
{
    check_raw_cases(CTRL_JOYSTICK, {
        {"centre", 0, 0, 0, 0, {0, 0, 0}, 0, ""},
        {"50 is inside the dead zone", 50, 50, 0, 0, {0, 0, 0}, 0, ""},
        {"51 is right and down", 51, 51, 0, 0, {0, 0, 0}, 0, "down=5 right=5"},
        {"-50 as 65486 is inside", 65486, 65486, 0, 0, {0, 0, 0}, 0, ""},
        {"-51 as 65485 is left and up", 65485, 65485, 0, 0, {0, 0, 0}, 0, "up=5 left=5"},
        {"the far left, 32769", 32769, 0, 0, 0, {0, 0, 0}, 0, "left=5"},
        {"the far right, 32767", 32767, 0, 0, 0, {0, 0, 0}, 0, "right=5"},
        {"buttons 1 and 2", 0, 0, 1, 1, {0, 0, 0}, 0, "k3=5 sel=5"},
        {"extra buttons 3, 4, 5", 0, 0, 0, 0, {1, 2, 1}, 0, "swi=5 bt0=5 bt1=5"},
        {"digit keys are not the joystick's", 0, 0, 0, 0, {0, 0, 0}, '2', ""},
        {"Space", 0, 0, 0, 0, {0, 0, 0}, 0x20, "k1=5"},
    });
}

TEST_F(CtrlTest, ThePadMapsAxisSignsAndReadsTheFirstJoystickForTwoButtons)
{
    check_raw_cases(CTRL_PAD, {
        {"left and down", -1, 1, 0, 0, {0, 0, 0}, 0, "down=5 left=5"},
        {"right and up", 60000, -60000, 0, 0, {0, 0, 0}, 0, "up=5 right=5"},
        {"buttons 1 and 2", 0, 0, 1, 1, {0, 0, 0}, 0, "k3=5 sel=5"},
        {"extra buttons", 0, 0, 0, 0, {0, 4, 0}, 0, "bt0=5"},
        {"Space is not the pad's", 0, 0, 0, 0, {0, 0, 0}, 0x20, ""},
    });

    test::PlugJoystick(0, 10, false);
    ASSERT_EQ(JOY_Init1(), 1);
    struct Case {
        uint32_t buttons;
        const char *changes;
    };
    for (const Case &c : {Case{0x200, "k2=5"}, Case{0x004, "k1=5"}, Case{0x1FB & ~0x004u, ""},
                          Case{0x204, "k1=5 k2=5"}}) {
        SCOPED_TRACE(c.buttons);
        CTRL_ResetButtons();
        test::SetJoystick(0, 32768, 32768, 0xFFFF, 0);
        map_changes(CTRL_PAD);
        test::SetJoystick(0, 32768, 32768, 0xFFFF, c.buttons);
        EXPECT_EQ(map_changes(CTRL_PAD), c.changes);
    }
}

TEST_F(CtrlTest, NoneAndUnknownDevicesLeaveEveryWord)
{
    for (const int key : {0x26, 0x20, 0x11}) {
        INP_KeyTable[key] = INP_KEY_HELD;
    }
    GAME_RawInput.axis_x = 100;
    GAME_RawInput.button1 = 1;
    for (const int device : {4, 6, 200}) {
        SCOPED_TRACE(device);
        EXPECT_EQ(map_changes(uint8_t(device)), "");
    }
}

TEST_F(CtrlTest, MenuKeysPressByTheLastKeyCodeAlone)
{
    struct Case {
        uint16_t key;
        const char *changes;
    };
    for (const Case &c : {Case{0x20, "k1=5"}, Case{0x1B, "k2=5"}, Case{0x24, "k3=5"}, Case{0x0D, "sel=5"},
                          Case{0x26, ""}, Case{'1', ""}}) {
        SCOPED_TRACE(c.key);
        CTRL_ResetButtons();
        GAME_LastKey = 0;
        map_changes(CTRL_MENU_KEYS);
        GAME_LastKey = c.key;
        EXPECT_EQ(map_changes(CTRL_MENU_KEYS), c.changes);
    }
    GAME_LastKey = 0;
    map_changes(CTRL_MENU_KEYS);
    // Up held changes nothing on this device.
    INP_KeyTable[0x26] = INP_KEY_HELD;
    EXPECT_EQ(map_changes(CTRL_MENU_KEYS), "");

    // Two keys in one cycle: only the last one's code is left.
    CTRL_Queue = QUE_Create(50);
    CTRL_Device = CTRL_MENU_KEYS;
    QUE_Post(CTRL_Queue, '3', 0x20, 0);
    QUE_Post(CTRL_Queue, '3', 0x0D, 0);
    CTRL_Dispatcher();
    EXPECT_EQ(GAME_LastKey, 0x0D);
    EXPECT_EQ(CTRL_Controls[CTRL_SEL], 0x05);
    EXPECT_EQ(CTRL_Controls[CTRL_K1], 0x02);
}

TEST_F(CtrlTest, TheDeviceIsSetSavedAndRestored)
{
    CTRL_SetDevice(2);
    CTRL_SaveDevice();
    CTRL_SetDevice(5);
    EXPECT_EQ(CTRL_Device, 5);
    CTRL_RestoreDevice();
    EXPECT_EQ(CTRL_Device, 2);
    CTRL_SetDevice(260);
    EXPECT_EQ(CTRL_Device, 4);
}

TEST_F(CtrlTest, TheReceiverDecodesItsEventsIntoTheRawState)
{
    struct Case {
        const char *what;
        uint8_t code;
        uint32_t a, b;
        GAME_RawInputRecord raw;
        int32_t extra[3];
        uint16_t last_key;
        int32_t tick;
    };
    const Case cases[] = {
        {"key", '3', 0x12340041, 0, {}, {0, 0, 0}, 0x0041, 0},
        {"pointer", '4', 0x8001FFFF, 0xFFFF8000, {0x8001, 0xFFFF, -1, -32768, 0, 0, 0}, {0, 0, 0}, 0, 0},
        {"button 1 down", '5', 0, 0, {0, 0, 0, 0, 0x01, 1, 0}, {0, 0, 0}, 0, 0},
        {"button 2 down", '7', 0, 0, {0, 0, 0, 0, 0x02, 0, 1}, {0, 0, 0}, 0, 0},
        {"joystick", '9', 0xFFFF0032, 0x1D, {0, 0, 0xFFFF, 0x32, 0, 1, 0}, {1, 1, 1}, 0, 0},
        {"joystick buttons 2 and 4", '9', 0, 0x0A, {0, 0, 0, 0, 0, 0, 1}, {0, 1, 0}, 0, 0},
        {"pad", ':', 0xFFFF0032, 0x39, {0, 0, -1, 0x32, 0, 0, 1}, {1, 1, 1}, 0, 0},
        {"pad button 2 and the Space button", ':', 0, 0x06, {0, 0, 0, 0, 0, 1, 0}, {0, 0, 0}, 0x20, 0},
        {"tick", ';', 0, 0, {}, {0, 0, 0}, 0, 1},
    };
    CTRL_Queue = QUE_Create(50);
    CTRL_Device = CTRL_NONE;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        GAME_RawInput = GAME_RawInputRecord{};
        GAME_PadButtons[0] = GAME_PadButtons[1] = GAME_PadButtons[2] = 0;
        GAME_LastKey = 0x99;
        CTRL_TickFlag = 1;
        QUE_Post(CTRL_Queue, c.code, int32_t(c.a), int32_t(c.b));
        CTRL_Dispatcher();
        EXPECT_EQ(GAME_RawInput.pointer_x, c.raw.pointer_x);
        EXPECT_EQ(GAME_RawInput.pointer_y, c.raw.pointer_y);
        EXPECT_EQ(GAME_RawInput.axis_x, c.raw.axis_x);
        EXPECT_EQ(GAME_RawInput.axis_y, c.raw.axis_y);
        EXPECT_EQ(GAME_RawInput.buttons, c.raw.buttons);
        EXPECT_EQ(GAME_RawInput.button1, c.raw.button1);
        EXPECT_EQ(GAME_RawInput.button2, c.raw.button2);
        for (int i = 0; i < 3; i++) {
            EXPECT_EQ(GAME_PadButtons[i] != 0, c.extra[i] != 0) << i;
        }
        EXPECT_EQ(GAME_LastKey, c.last_key);
        EXPECT_EQ(CTRL_TickFlag, c.tick);
    }

    // Button releases clear their bit and their state.
    GAME_RawInput = GAME_RawInputRecord{0, 0, 0, 0, 0x03, 1, 1};
    QUE_Post(CTRL_Queue, '6', 0, 0);
    CTRL_Dispatcher();
    EXPECT_EQ(GAME_RawInput.buttons, 0x02);
    EXPECT_EQ(GAME_RawInput.button1, 0);
    QUE_Post(CTRL_Queue, '8', 0, 0);
    CTRL_Dispatcher();
    EXPECT_EQ(GAME_RawInput.buttons, 0x00);
    EXPECT_EQ(GAME_RawInput.button2, 0);
}

TEST_F(CtrlTest, TheTimeFactorOfAModalLoopAndItsBeat)
{
    struct Case {
        int32_t elapsed;
        double factor;
    };
    const Case cases[] = {{400, 30.0}, {200, 30.0}, {199, 30.0 / (200.0 / 199.0)}, {7, 30.0 / (200.0 / 7.0)},
                          {1, 0.15},   {0, 0.0},    {-5, 0.0}};
    CTRL_Queue = QUE_Create(50);
    CTRL_Device = CTRL_NONE;
    for (const int32_t replay : {2, 0}) {
        REPLAY_State = replay;
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << "replay " << replay << " elapsed " << c.elapsed);
            GAME_LastFrameClock = 5000.0f;
            cycle_at(uint32_t(5000 + c.elapsed));
            EXPECT_EQ(GAME_TimeFactor, replay == 0 ? 1.0 : c.factor);
            EXPECT_EQ(GAME_LastFrameClock, float(5000 + c.elapsed));
        }
    }
    EXPECT_EQ(30.0 / (200.0 / 199.0), 29.85);
    EXPECT_EQ(30.0 / (200.0 / 7.0), 1.05);

    // A beat is more than 40 units since the last one.
    GAME_SampleTime = 1000;
    cycle_at(1040);
    EXPECT_EQ(GAME_SampleTaken, 0);
    EXPECT_EQ(GAME_SampleTime, 1000);
    cycle_at(1041);
    EXPECT_EQ(GAME_SampleTaken, 1);
    EXPECT_EQ(GAME_SampleTime, 1041);
    cycle_at(1042);
    EXPECT_EQ(GAME_SampleTaken, 0);
}

TEST_F(CtrlTest, FilmEventsUnderTheReceiver)
{
    CTRL_Queue = QUE_Create(50);
    CTRL_Device = CTRL_NONE;
    for (const int32_t frozen : {0, 1}) {
        GAME_FilmFrozen = frozen;
        TITLE_FrameDue = 7;
        QUE_Post(CTRL_Queue, '>', 0, 0);
        CTRL_Dispatcher();
        EXPECT_EQ(TITLE_FrameDue, frozen == 1 ? 0 : 1);
    }
    // No film opens yet, so the generic loop does not start and the film words stay.
    GAME_FilmFrozen = 1;
    GAME_FilmHold = 0;
    QUE_Post(CTRL_Queue, '?', 0, 0);
    CTRL_Dispatcher();
    EXPECT_EQ(GAME_FilmFrozen, 1);
    EXPECT_EQ(GAME_FilmHold, 0);
    GAME_FilmFrozen = 0;
}

// Through the real message manager, over the game's own receiver.
MGM_Queue *GameQueue;
int GameFrames;
uint8_t game_handler()
{
    GameFrames++;
    return 1;
}

struct CtrlMgmTest : CtrlTest {
    void SetUp() override
    {
        CtrlTest::SetUp();
        GameFrames = 0;
        WIN_MainWindow = PLAT_CreateWindow("Kalder", 640, 480, 0);
        ASSERT_TRUE(MGM_Create(50, 50));
        GameQueue = QUE_Create(50);
        MGM_SendMessage(38, reinterpret_cast<intptr_t>(GameQueue), reinterpret_cast<intptr_t>(&game_handler));
    }
    void TearDown() override
    {
        CtrlTest::TearDown();
        QUE_Destroy(GameQueue);
        GameQueue = nullptr;
    }
};

TEST_F(CtrlMgmTest, InstallTakesTheReceiverAndUninstallGivesItBack)
{
    for (const bool ticks_on : {false, true}) {
        SCOPED_TRACE(ticks_on);
        if (ticks_on) {
            MGM_SendMessage(14);
        } else {
            MGM_SendMessage(15);
        }
        CTRL_Install();
        EXPECT_EQ(MGM_CurrentReceiver.queue, CTRL_Queue);
        EXPECT_EQ(MGM_CurrentReceiver.handler, &CTRL_Dispatcher);
        EXPECT_EQ(CTRL_SavedQueue, GameQueue);
        EXPECT_EQ(CTRL_SavedHandler, &game_handler);
        EXPECT_NE(MGM_Flags & MGM_FWD_TICKS, 0);
        MGM_DispatchMessages();
        EXPECT_EQ(GameFrames, 0);

        CTRL_Uninstall();
        EXPECT_EQ(CTRL_Queue, nullptr);
        EXPECT_EQ(MGM_CurrentReceiver.queue, GameQueue);
        EXPECT_EQ(MGM_CurrentReceiver.handler, &game_handler);
        EXPECT_EQ((MGM_Flags & MGM_FWD_TICKS) != 0, ticks_on);
        MGM_DispatchMessages();
        EXPECT_EQ(GameFrames, 1);
        GameFrames = 0;
    }
}

TEST_F(CtrlMgmTest, NestedPairsKeepOneQueueAndAnUnmatchedUninstallDoesNothing)
{
    CTRL_Uninstall();
    EXPECT_EQ(MGM_CurrentReceiver.handler, &game_handler);

    CTRL_Install();
    MGM_Queue *outer = CTRL_Queue;
    CTRL_Install();
    EXPECT_EQ(CTRL_Queue, outer);
    EXPECT_EQ(CTRL_SavedHandler, &game_handler);
    CTRL_Uninstall();
    EXPECT_EQ(MGM_CurrentReceiver.handler, &CTRL_Dispatcher);
    EXPECT_EQ(MGM_CurrentReceiver.queue, outer);
    CTRL_Uninstall();
    EXPECT_EQ(MGM_CurrentReceiver.queue, GameQueue);
    EXPECT_EQ(MGM_CurrentReceiver.handler, &game_handler);
    EXPECT_EQ(CTRL_Queue, nullptr);
    CTRL_Uninstall();
    EXPECT_EQ(MGM_CurrentReceiver.handler, &game_handler);
}

TEST_F(CtrlMgmTest, AQueueThatCannotBeMadeStopsTheGame)
{
    test::SetExitHook(test::ThrowOnExit);
    test::FailHeapAlloc(50 * sizeof(MGM_Event));
    try {
        CTRL_Install();
        FAIL() << "no stop";
    } catch (const test::ExitCalled &exit) {
        EXPECT_EQ(exit.code, 999);
    }
    ASSERT_FALSE(test::MessageBoxes().empty());
    EXPECT_EQ(test::MessageBoxes().back().text, "Kalder Internal Error : can't create CTRL");
    EXPECT_EQ(MGM_CurrentReceiver.queue, GameQueue);
    EXPECT_EQ(MGM_CurrentReceiver.handler, &game_handler);
    EXPECT_EQ(CTRL_InstallDepth, 0);
}

TEST_F(CtrlMgmTest, UnknownEventsStopTheReceiver)
{
    test::SetExitHook(test::ThrowOnExit);
    CTRL_Install();
    for (const uint8_t code : {uint8_t('<'), uint8_t('='), uint8_t('A')}) {
        SCOPED_TRACE(code);
        QUE_Post(CTRL_Queue, code, 0, 0);
        try {
            MGM_DispatchMessages();
            FAIL() << "no stop";
        } catch (const test::ExitCalled &exit) {
            EXPECT_EQ(exit.code, 999);
        }
        EXPECT_EQ(test::MessageBoxes().back().text, "Kalder Internal Error : unknown message type in CTRL_Dispatcher");
        QUE_Clear(CTRL_Queue);
    }
    CTRL_Uninstall();
}

TEST_F(CtrlMgmTest, HoldingLeftThroughTheMessageManager)
{
    // The game's own frame handler stands under the control receiver, over a level already loaded.
    PRJ_Current = &PRJ_CurrentRecord;
    PRJ_PendingFlag = 0;
    GAME_EventQueue = GameQueue;
    MGM_SendMessage(39, reinterpret_cast<intptr_t>(GameQueue), reinterpret_cast<intptr_t>(&GAME_FrameHandler));
    MGM_SendMessage(4);
    MGM_SendMessage(12, 200, 15);
    CTRL_Install();
    std::vector<int32_t> words;
    std::vector<double> factors;
    for (int round = 0; round < 60; round++) {
        if (round == 1) {
            test::KeyDown(0x25);
        }
        if (round == 51) {
            test::KeyUp(0x25);
        }
        test::AdvanceClock(20);
        MGM_DispatchMessages();
        words.push_back(CTRL_Controls[CTRL_LEFT]);
        factors.push_back(GAME_TimeFactor);
    }
    EXPECT_EQ(words[1], 0x05);
    int repeats = 0;
    for (int round = 2; round < 51; round++) {
        EXPECT_TRUE(words[round] == 0x01 || words[round] == 0x05) << round;
        repeats += words[round] == 0x05;
    }
    EXPECT_GE(repeats, 3);
    EXPECT_LE(repeats, 5);
    EXPECT_EQ(words[51], 0x06);
    EXPECT_EQ(words[52], 0x02);
    for (int round = 1; round < 60; round++) {
        EXPECT_EQ(factors[round], 0.6) << round;
    }

    // Back under the game's receiver, its own frame maps the controls again.
    CTRL_Uninstall();
    test::KeyDown(0x26);
    test::AdvanceClock(20);
    MGM_DispatchMessages();
    EXPECT_EQ(MGM_CurrentReceiver.handler, &GAME_FrameHandler);
    EXPECT_EQ(CTRL_Controls[CTRL_UP], 0x05);
    GAME_EventQueue = nullptr;
}

} // namespace
