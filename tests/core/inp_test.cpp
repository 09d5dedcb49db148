// Input polling: the key table, the order of a round's raw events, joystick and pad reports, and the
// whole road from a device to the receiver through the MGM.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/clk.h"
#include "core/inp.h"
#include "core/joy.h"
#include "core/mgm.h"
#include "core/que.h"
#include "core/win.h"
#include "plat/test.h"
#include "plat/window.h"
#include "tests/support/core_state.h"
#include "tests/support/neighbours.h"

namespace {

// The events of a queue as "code a b" strings, oldest first; the queue is emptied.
std::vector<std::string> drain(MGM_Queue *queue, bool with_stamps = false)
{
    std::vector<std::string> out;
    MGM_Event e;
    while (QUE_Read(queue, &e)) {
        if (e.type == '=' && !with_stamps) {
            continue;
        }
        out.push_back(std::string(1, char(e.type)) + " " + std::to_string(e.a) + " " + std::to_string(e.b));
    }
    return out;
}

struct InpTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        ASSERT_TRUE(INP_Init(50));
    }
    void TearDown() override { kalder_test::ResetCore(); }
};

TEST_F(InpTest, KeyScanSequences)
{
    // Before each poll the keys change ('D' down, 'U' up, 'T' pressed and released between two
    // scans); after it the watched key's byte and the codes of the posted '3' events are checked.
    struct Step {
        std::vector<std::pair<char, int>> keys;
        uint8_t byte;
        std::vector<int> posted;
    };
    struct Case {
        const char *what;
        int watch;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"down, down, up, up, down", 0x41,
         {{{{'D', 0x41}}, 0x03, {0x41}}, {{}, 0x01, {}}, {{{'U', 0x41}}, 0x04, {}}, {{}, 0x00, {}},
          {{{'D', 0x41}}, 0x03, {0x41}}}},
        {"a tap between two scans", 0x20, {{{{'T', 0x20}}, 0x03, {0x20}}, {{}, 0x04, {}}, {{}, 0x00, {}}}},
        {"pressed again after a release", 0x41,
         {{{{'D', 0x41}}, 0x03, {0x41}}, {{{'U', 0x41}, {'D', 0x41}}, 0x01, {}}}},
        {"two keys in one scan post in code order", 5, {{{{'D', 5}, {'D', 4}}, 0x03, {4, 5}}}},
        {"the left mouse button posts nothing", 1, {{{{'D', 1}}, 0x03, {}}, {{{'U', 1}}, 0x04, {}}}},
        {"the right mouse button posts nothing", 2, {{{{'D', 2}}, 0x03, {}}}},
        {"code 3 is the first that posts", 3, {{{{'D', 3}}, 0x03, {3}}}},
        {"the middle mouse button posts", 4, {{{{'D', 4}}, 0x03, {4}}}},
        {"code 255", 255, {{{{'D', 255}}, 0x03, {255}}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        test::KeysReset();
        for (uint8_t &key : INP_KeyTable) {
            key = 0;
        }
        int n = 0;
        for (const Step &s : c.steps) {
            SCOPED_TRACE(n++);
            for (const auto &[op, vk] : s.keys) {
                if (op == 'D') {
                    test::KeyDown(vk);
                } else if (op == 'U') {
                    test::KeyUp(vk);
                } else {
                    test::KeyTap(vk);
                }
            }
            INP_Poll();
            EXPECT_EQ(INP_KeyTable[c.watch], s.byte);
            std::vector<std::string> expected;
            for (int code : s.posted) {
                expected.push_back("3 " + std::to_string(code) + " 0");
            }
            EXPECT_EQ(drain(MGM_InputQueue), expected);
        }
    }
}

TEST_F(InpTest, ClearingTheKeysConsumesTheLatches)
{
    test::KeyDown(0x41);
    INP_Poll();
    EXPECT_EQ(drain(MGM_InputQueue), (std::vector<std::string>{"3 65 0"}));
    test::KeyTap(0x42);
    INP_ClearKeys();
    for (int code = 0; code < 256; code++) {
        ASSERT_EQ(INP_KeyTable[code], 0) << code;
    }
    // The held key counts as newly down again; the tap was taken by the clearing scan.
    INP_Poll();
    EXPECT_EQ(drain(MGM_InputQueue), (std::vector<std::string>{"3 65 0"}));
    EXPECT_EQ(INP_KeyTable[0x42], 0);

    JOY_Count = 2;
    INP_ResetKeys();
    EXPECT_EQ(JOY_Count, 0);
    EXPECT_EQ(INP_KeyTable[0x41], 0);
}

TEST_F(InpTest, OneRoundPostsKeysTickStampJoystickAndPadInThatOrder)
{
    test::PlugJoystick(0, 12, true);
    ASSERT_EQ(JOY_Init1(), 1);
    INP_StartTimer(200, 15);
    INP_Joystick1On();
    INP_Joystick2On();
    // The first round reports the resting device: the joystick's centred hat differs from the
    // report of 0 it starts with, and the pad's last report starts off the centre.
    INP_Poll();
    EXPECT_EQ(drain(MGM_InputQueue), (std::vector<std::string>{"9 0 -65536", ": 0 0"}));

    test::KeyDown(5);
    test::KeyDown(4);
    test::AdvanceClock(66);
    test::SetPerfCounter(0x123456789ull);
    test::SetJoystick(0, 32768 - 300, 32768 + 5, 0xFFFF, 0x0003);
    INP_Poll();
    const int32_t a = int32_t(0xFED40005u); // x = -300 in the high half, y = 5 in the low one
    const int32_t joy_b = int32_t(0xFFFF0003u); // hat centred, buttons 1 and 2
    EXPECT_EQ(drain(MGM_InputQueue, true),
              (std::vector<std::string>{"3 4 0", "3 5 0", "; 0 0", "= 1 " + std::to_string(0x23456789),
                                        "9 " + std::to_string(a) + " " + std::to_string(joy_b),
                                        ": " + std::to_string(a) + " 3"}));
}

TEST_F(InpTest, JoystickAndPadPostOnlyOnAChange)
{
    struct Case {
        const char *what;
        bool plugged;
        bool has_hat;
        std::vector<std::string> first;
    };
    // The joystick's last report starts at 0 (a centred hat reads 0xFFFF and differs); the pad's
    // starts off the centre, so the pad always reports once.
    const Case cases[] = {
        {"no device", false, false, {": 0 0"}},
        {"a device at rest without a hat", true, false, {": 0 0"}},
        {"a device at rest with a hat", true, true, {"9 0 -65536", ": 0 0"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        kalder_test::ResetCore();
        ASSERT_TRUE(INP_Init(50));
        if (c.plugged) {
            test::PlugJoystick(0, 4, c.has_hat);
        }
        JOY_Init1();
        INP_Joystick1On();
        INP_Joystick2On();
        INP_Poll();
        EXPECT_EQ(drain(MGM_InputQueue), c.first);
        INP_Poll();
        EXPECT_TRUE(drain(MGM_InputQueue).empty());
        INP_Joystick2Off();
        INP_Joystick2On();
        INP_Poll();
        EXPECT_TRUE(drain(MGM_InputQueue).empty());
    }

    // A change posts once; a failing device keeps its last values and posts nothing.
    test::SetJoystick(0, 32768, 32768, 27000, 0);
    INP_Poll();
    EXPECT_EQ(drain(MGM_InputQueue), (std::vector<std::string>{"9 0 " + std::to_string(int32_t(27000u << 16))}));
    for (uint32_t code : {6u, 167u}) {
        test::SetJoyResult(0, code);
        test::SetJoystick(0, 0, 0, 0, 0xFF);
        INP_Poll();
        EXPECT_TRUE(drain(MGM_InputQueue).empty()) << code;
    }
    test::SetJoyResult(0, 0);
    INP_Poll();
    EXPECT_EQ(drain(MGM_InputQueue),
              (std::vector<std::string>{"9 " + std::to_string(int32_t(0x80008000u)) + " 255",
                                        ": " + std::to_string(int32_t(0x80008000u)) + " 255"}));
}

TEST_F(InpTest, AFullQueueDropsTheRestOfTheRound)
{
    kalder_test::ResetCore();
    ASSERT_TRUE(INP_Init(2));
    for (int vk : {0x41, 0x42, 0x43}) {
        test::KeyDown(vk);
    }
    INP_Poll();
    EXPECT_EQ(drain(MGM_InputQueue, true), (std::vector<std::string>{"3 65 0", "3 66 0"}));
}

// Through the MGM: what a receiver gets.
MGM_Queue *receiver;
uint8_t idle_handler() { return 1; }

struct InpMgmTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        fake::reset();
        WIN_MainWindow = PLAT_CreateWindow("Kalder", 640, 480, 0);
        ASSERT_TRUE(MGM_Create(50, 50));
        receiver = QUE_Create(50);
        MGM_SendMessage(38, reinterpret_cast<intptr_t>(receiver), reinterpret_cast<intptr_t>(&idle_handler));
    }
    void TearDown() override
    {
        QUE_Destroy(receiver);
        receiver = nullptr;
        kalder_test::ResetCore();
    }
};

TEST_F(InpMgmTest, KeysReachTheReceiverWhenForwarded)
{
    test::KeyTap(0x41);
    MGM_DispatchMessages();
    EXPECT_TRUE(drain(receiver).empty());
    MGM_SendMessage(4);
    test::KeyTap(0x42);
    MGM_DispatchMessages();
    EXPECT_EQ(drain(receiver), (std::vector<std::string>{"3 66 0"}));
}

TEST_F(InpMgmTest, FifteenTicksASecondUntilTheClockStops)
{
    MGM_SendMessage(12, 200, 15);
    MGM_SendMessage(14);
    int ticks = 0;
    for (int ms = 0; ms < 1000; ms++) {
        test::AdvanceClock(1);
        MGM_DispatchMessages();
        for (const std::string &e : drain(receiver)) {
            ticks += e[0] == ';';
        }
    }
    EXPECT_EQ(ticks, 15);
    EXPECT_EQ(MGM_SendMessage(17), 200);

    MGM_SendMessage(13);
    for (int ms = 0; ms < 200; ms++) {
        test::AdvanceClock(1);
        MGM_DispatchMessages();
    }
    EXPECT_TRUE(drain(receiver).empty());
}

TEST_F(InpMgmTest, PadEventsAreForwarded)
{
    test::PlugJoystick(0, 10, false);
    ASSERT_EQ(JOY_Init1(), 1);
    MGM_SendMessage(10);
    MGM_DispatchMessages();
    EXPECT_EQ(drain(receiver), (std::vector<std::string>{": 0 0"}));
    test::SetJoystick(0, 32768, 65535, 0xFFFF, 0x200);
    MGM_DispatchMessages();
    EXPECT_EQ(drain(receiver), (std::vector<std::string>{": 32767 512"}));
    MGM_SendMessage(11);
    test::SetJoystick(0, 32768, 32768, 0xFFFF, 0);
    MGM_DispatchMessages();
    EXPECT_TRUE(drain(receiver).empty());
}

TEST_F(InpMgmTest, WithoutTheFocusNothingIsPolledAndTheClockCatchesUpInOneStep)
{
    test::PlugJoystick(0, 4, true);
    ASSERT_EQ(JOY_Init1(), 1);
    MGM_SendMessage(4);
    MGM_SendMessage(7);
    MGM_SendMessage(14);
    MGM_SendMessage(12, 200, 15);
    test::SetFocus(false);
    test::KeyDown(0x26);
    test::SetJoystick(0, 32768, 32768, 9000, 0);
    for (int i = 0; i < 100; i++) {
        test::AdvanceClock(100);
        MGM_DispatchMessages();
    }
    EXPECT_EQ(INP_KeyTable[0x26], 0);
    EXPECT_EQ(CLK_GameClock, 0u);
    EXPECT_EQ(MGM_InputQueue->count, 0);
    EXPECT_TRUE(drain(receiver).empty());

    test::SetFocus(true);
    MGM_DispatchMessages();
    EXPECT_EQ(CLK_GameClock, 2000u);
    EXPECT_EQ(drain(receiver), (std::vector<std::string>{"3 38 0", "; 0 0", "9 0 " + std::to_string(9000 << 16)}));
}

} // namespace
