// The MGM: its services by number, one dispatch round, receivers swapped by a modal loop, the CD playlist.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/clk.h"
#include "core/inp.h"
#include "core/mgm.h"
#include "core/que.h"
#include "core/win.h"
#include "plat/cd.h"
#include "plat/dialog.h"
#include "plat/files.h"
#include "plat/test.h"
#include "plat/window.h"
#include "tests/support/core_state.h"
#include "tests/support/neighbours.h"

namespace {

MGM_Queue *receiver_queue;
int handler_calls;
uint8_t handler_result = 1;

uint8_t counting_handler()
{
    handler_calls++;
    return handler_result;
}

struct MgmTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        fake::reset();
        WIN_MainWindow = PLAT_CreateWindow("Kalder", 640, 480, 0);
        ASSERT_TRUE(MGM_Create(50, 50));
        receiver_queue = QUE_Create(50);
        handler_calls = 0;
        handler_result = 1;
        MGM_SendMessage(38, reinterpret_cast<intptr_t>(receiver_queue),
                        reinterpret_cast<intptr_t>(&counting_handler));
    }
    void TearDown() override
    {
        QUE_Destroy(receiver_queue);
        receiver_queue = nullptr;
        kalder_test::ResetCore();
    }

    // The events the receiver got, as "code a b" strings, oldest first; the queue is emptied.
    static std::vector<std::string> received()
    {
        std::vector<std::string> out;
        MGM_Event e;
        while (QUE_Read(receiver_queue, &e)) {
            out.push_back(std::string(1, char(e.type)) + " " + std::to_string(e.a) + " " + std::to_string(e.b));
        }
        return out;
    }

    // Received events other than the clock stamp that every poll makes.
    static std::vector<std::string> received_without_stamps()
    {
        std::vector<std::string> out;
        for (const std::string &s : received()) {
            if (s[0] != '=') {
                out.push_back(s);
            }
        }
        return out;
    }
};

TEST_F(MgmTest, ServicesByNumber)
{
    struct Case {
        const char *what;
        int type;
        intptr_t a, b;
        std::function<void()> before;
        intptr_t result;
        uint8_t flags;    // MGM_Flags afterwards
        uint8_t services; // MGM_Services afterwards
    };
    auto no_receiver = [] { MGM_SendMessage(39, 0, 0); };
    const Case cases[] = {
        {"keys on", 4, 0, 0, nullptr, 0, MGM_FWD_KEYS, 0},
        {"keys on without receiver", 4, 0, 0, no_receiver, 0, 0, 0},
        {"keys off", 5, 0, 0, [] { MGM_Flags = 0xFF; }, 0, 0xFE, 0},
        {"joystick buttons", 6, 0, 0, nullptr, 0, 0, 0},
        {"joystick on", 7, 0, 0, nullptr, 0, 0, MGM_FWD_JOY1},
        {"joystick on without receiver", 7, 0, 0, no_receiver, 0, 0, 0},
        {"joystick off", 8, 0, 0, [] { MGM_Services = 0xFF; }, 0, 0, 0xF7},
        {"pad buttons", 9, 0, 0, nullptr, 0, 0, 0},
        {"pad on", 10, 0, 0, nullptr, 0, 0, MGM_FWD_JOY2},
        {"pad on without receiver", 10, 0, 0, no_receiver, 0, 0, 0},
        {"pad off", 11, 0, 0, [] { MGM_Services = 0xFF; }, 0, 0, 0xEF},
        {"ticks on", 14, 0, 0, nullptr, 0, MGM_FWD_TICKS, 0},
        {"ticks on without receiver", 14, 0, 0, no_receiver, 0, 0, 0},
        {"ticks off", 15, 0, 0, [] { MGM_Flags = 0xFF; }, 0, 0xFB, 0},
        {"countdown", 16, 9, 0, nullptr, 0, MGM_COUNTDOWN, 0},
        {"sound without a device", 18, 8, 0, nullptr, 0, 0, 0},
        {"sound", 18, 8, 0,
         [] {
             test::SetSoundDevice(true);
             kalder_test::MapMinimalInstallation();
             PLAT_SetDrive('D');
         },
         1, 0, MGM_SOUND_ON},
        {"sound off keeps its bit", 19, 0, 0, [] { MGM_Services = MGM_SOUND_ON; }, 0, 0, MGM_SOUND_ON},
        {"stamps on", 20, 0, 0, nullptr, 0, MGM_FWD_STAMPS, 0},
        {"stamps off", 21, 0, 0, [] { MGM_Flags = 0xFF; }, 0, 0xEF, 0},
        {"resolution refused", 22, 800, 600, nullptr, 0, 0, 0},
        {"film that does not open", 23, 0, 5, [] { MGM_Flags = 0x60; }, 0, 0, 0},
        {"film that opens", 23, 0, 5, [] { fake::script().hnm_open = 2; MGM_Flags = 0x60; }, 2, 0, 0},
        {"start film kind 0", 24, 0, 0, [] { MGM_FilmKind = 0; }, 0, 0, 0},
        {"start film kind 1", 24, 0, 0, [] { MGM_FilmKind = 1; }, 0, MGM_FILM_TICKED, 0},
        {"start film kind 2", 24, 0, 0, [] { MGM_FilmKind = 2; }, 0, MGM_FILM_PACED, 0},
        {"start film kind 3", 24, 0, 0, [] { MGM_FilmKind = 3; }, 0, 0, 0},
        {"stop film", 25, 0, 0, [] { MGM_Flags = 0xFF; }, 0, 0x9F, 0},
        {"CD without a drive", 28, 0, 0, nullptr, 0, 0, 0},
        {"CD", 28, 0, 0, [] { test::SetCdDevice(true); }, 1, 0, MGM_CD_OPEN},
        {"CD close", 29, 0, 0, [] { test::SetCdDevice(true); MGM_SendMessage(28); }, 0, 0, 0},
        {"playlist on", 30, 7, 0, nullptr, 0, 0, MGM_PLAYLIST_ON},
        {"playlist off", 31, 0, 0, [] { MGM_Services = 0xFF; }, 0, 0, 0xFB},
        {"door open without CD", 32, 0, 0, nullptr, 0, 0, 0},
        {"empty CD service", 36, 5, 0, nullptr, 0, 0, 0},
        {"constant CD service", 37, 0, 0, nullptr, 100, 0, 0},
        {"flag word", 42, 0, 0, [] { MGM_Flags = 0x15; MGM_Services = 0x0A; }, 0x0A15, 0x15, 0x0A},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        kalder_test::ResetCore();
        fake::reset();
        WIN_MainWindow = PLAT_CreateWindow("Kalder", 640, 480, 0);
        ASSERT_TRUE(MGM_Create(50, 50));
        MGM_SendMessage(39, reinterpret_cast<intptr_t>(receiver_queue),
                        reinterpret_cast<intptr_t>(&counting_handler));
        if (c.before) {
            c.before();
        }
        intptr_t a = c.type == 23 ? reinterpret_cast<intptr_t>("data\\hnm\\x.hnm") : c.a;
        MGM_LastResult = 12345;
        EXPECT_EQ(MGM_SendMessage(c.type, a, c.b), c.result);
        EXPECT_EQ(MGM_LastResult, c.result);
        EXPECT_EQ(int(MGM_Flags), int(c.flags));
        EXPECT_EQ(int(MGM_Services), int(c.services));
    }
}

TEST_F(MgmTest, ReceiverRegistryReadsBackWhatWasSet)
{
    MGM_Queue *other = QUE_Create(4);
    MGM_SendMessage(39, reinterpret_cast<intptr_t>(other), reinterpret_cast<intptr_t>(&counting_handler));
    EXPECT_EQ(MGM_SendMessage(40), reinterpret_cast<intptr_t>(other));
    EXPECT_EQ(MGM_SendMessage(41), reinterpret_cast<intptr_t>(&counting_handler));

    // 38 also empties both queues and clears every flag.
    MGM_Flags = 0x7F;
    MGM_Services = 0x1F;
    QUE_Post(MGM_ControlQueue, '?', 0, 0);
    QUE_Post(MGM_InputQueue, '3', 65, 0);
    MGM_SendMessage(38, reinterpret_cast<intptr_t>(receiver_queue), 0);
    EXPECT_EQ(MGM_ControlQueue->count, 0);
    EXPECT_EQ(MGM_InputQueue->count, 0);
    EXPECT_EQ(MGM_SendMessage(42), 0);
    EXPECT_EQ(MGM_SendMessage(40), reinterpret_cast<intptr_t>(receiver_queue));
    EXPECT_EQ(MGM_SendMessage(41), 0);
    QUE_Destroy(other);
}

TEST_F(MgmTest, GameClockServiceReadsTheClock)
{
    MGM_SendMessage(12, 200, 15);
    test::AdvanceClock(1000);
    EXPECT_EQ(MGM_SendMessage(17), 200);
    test::AdvanceClock(7); // 7 ms is one whole unit; the rest is dropped
    EXPECT_EQ(MGM_SendMessage(17), 201);
    MGM_SendMessage(13);
    EXPECT_EQ(INP_ClockRunning, 0);
}

TEST_F(MgmTest, UnknownServicesEndTheProcess)
{
    for (int type : {0, 1, 2, 3, 26, 27, 43, 100, 255}) {
        EXPECT_EXIT(MGM_SendMessage(type), ::testing::ExitedWithCode(231),
                    "Kalder Internal Error : unknown message type in MGM_SendMessage")
            << type;
    }
}

TEST_F(MgmTest, FatalStopShowsTheErrorBoxAndPassesTheFullCode)
{
    test::SetExitHook(test::ThrowOnExit);
    try {
        MGM_SendMessage(26);
        FAIL() << "service 26 returned";
    } catch (const test::ExitCalled &exit) {
        EXPECT_EQ(exit.code, 999);
    }
    ASSERT_EQ(test::MessageBoxes().size(), 1u);
    const test::MessageBox &box = test::MessageBoxes()[0];
    EXPECT_EQ(box.text, "Kalder Internal Error : unknown message type in MGM_SendMessage");
    EXPECT_EQ(box.title, "Error");
    EXPECT_EQ(box.icon, PLAT_ICON_ERROR);
    EXPECT_TRUE(box.owned);
}

TEST_F(MgmTest, QuitRequestEndsTheRoundBeforeAnythingIsPolled)
{
    MGM_SendMessage(12, 200, 15);
    MGM_SendMessage(20); // stamps forwarded, so a poll would show
    test::AdvanceClock(100);
    test::PostQuit();
    EXPECT_EQ(MGM_DispatchMessages(), 0);
    EXPECT_EQ(handler_calls, 0);
    EXPECT_EQ(MGM_InputQueue->count, 0);
    EXPECT_TRUE(received().empty());
    EXPECT_EQ(CLK_GameClock, 0u);
    // The request is taken once: the next round runs.
    EXPECT_EQ(MGM_DispatchMessages(), 1);
    EXPECT_EQ(handler_calls, 1);
}

TEST_F(MgmTest, WithoutTheFocusTheGameStandsStill)
{
    fake::script().hnm_open = 1;
    MGM_SendMessage(23, reinterpret_cast<intptr_t>("f"), 5);
    MGM_SendMessage(24);
    MGM_SendMessage(12, 200, 15);
    MGM_SendMessage(14);
    test::AdvanceClock(100);
    test::SetFocus(false);
    EXPECT_EQ(MGM_DispatchMessages(), 1);
    EXPECT_EQ(handler_calls, 0);
    EXPECT_EQ(CLK_GameClock, 0u);
    EXPECT_EQ(fake::count("HNM_FillStream"), 0);
    EXPECT_TRUE(received().empty());

    // With the focus back the clock catches up in one step.
    test::SetFocus(true);
    EXPECT_EQ(MGM_DispatchMessages(), 1);
    EXPECT_EQ(handler_calls, 1);
    EXPECT_EQ(CLK_GameClock, 20u);
    EXPECT_EQ(fake::count("HNM_FillStream"), 1);
    EXPECT_EQ(received_without_stamps(), (std::vector<std::string>{"; 0 0", "> 0 0"}));
}

TEST_F(MgmTest, EventsAreForwardedAsTheFlagsAllow)
{
    struct Case {
        const char *what;
        std::vector<int> services_on;
        std::vector<std::string> forwarded;
    };
    const Case cases[] = {
        {"nothing on", {}, {}},
        {"keys", {4}, {"3 65 0"}},
        {"joystick", {7}, {"9 65536 3"}},
        {"pad", {10}, {": -65536 1"}},
        {"ticks", {14}, {"; 0 0"}},
        {"stamps", {20}, {"= 1 2"}},
        {"everything", {4, 7, 10, 14, 20}, {"3 65 0", "9 65536 3", ": -65536 1", "; 0 0", "= 1 2"}},
    };
    // The pad at rest counts as reported already, so that the rounds' own polls add no ':'.
    INP_LastPad = INP_PadReport{0, 0, 0};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        MGM_SendMessage(38, reinterpret_cast<intptr_t>(receiver_queue),
                        reinterpret_cast<intptr_t>(&counting_handler));
        for (int service : c.services_on) {
            MGM_SendMessage(service);
        }
        QUE_Post(MGM_InputQueue, '3', 65, 0);
        QUE_Post(MGM_InputQueue, '9', 65536, 3);
        QUE_Post(MGM_InputQueue, ':', -65536, 1);
        QUE_Post(MGM_InputQueue, ';', 0, 0);
        QUE_Post(MGM_InputQueue, '=', 1, 2);
        MGM_DispatchMessages();
        std::vector<std::string> got = received();
        // The round's own poll adds a stamp of the fake counter (0, 0) after the scripted ones.
        if (!got.empty() && got.back() == "= 0 0") {
            got.pop_back();
        }
        EXPECT_EQ(got, c.forwarded);
    }
}

TEST_F(MgmTest, CountdownPostsItsEndBeforeTheForwardedTick)
{
    MGM_SendMessage(16, 2);
    MGM_SendMessage(14);
    QUE_Post(MGM_InputQueue, ';', 0, 0);
    MGM_DispatchMessages();
    EXPECT_EQ(received_without_stamps(), (std::vector<std::string>{"; 1 0"}));
    QUE_Post(MGM_InputQueue, ';', 0, 0);
    MGM_DispatchMessages();
    EXPECT_EQ(received_without_stamps(), (std::vector<std::string>{"< 0 0", "; 0 0"}));
    EXPECT_EQ(MGM_Flags & MGM_COUNTDOWN, 0);
    QUE_Post(MGM_InputQueue, ';', 0, 0);
    MGM_DispatchMessages();
    EXPECT_EQ(received_without_stamps(), (std::vector<std::string>{"; 0 0"}));
}

TEST_F(MgmTest, TickedFilmGetsOneFrameEventPerTick)
{
    fake::script().hnm_open = 1;
    MGM_SendMessage(23, reinterpret_cast<intptr_t>("f"), 5);
    MGM_SendMessage(24);
    for (int round = 0; round < 3; round++) {
        QUE_Post(MGM_InputQueue, ';', 0, 0);
        MGM_DispatchMessages();
        EXPECT_EQ(received_without_stamps(), (std::vector<std::string>{"> 0 0"}));
    }
    MGM_DispatchMessages(); // no tick, no frame
    EXPECT_TRUE(received_without_stamps().empty());
    EXPECT_EQ(fake::count("HNM_FillStream"), 4);
}

TEST_F(MgmTest, PacedFilmGetsFrameEventsWhenThePlayerSaysSo)
{
    fake::script().hnm_open = 2;
    MGM_SendMessage(23, reinterpret_cast<intptr_t>("f"), 5);
    MGM_SendMessage(24);
    QUE_Post(MGM_InputQueue, ';', 0, 0);
    MGM_DispatchMessages();
    EXPECT_TRUE(received_without_stamps().empty());
    fake::script().hnm_frame_due = 1;
    MGM_DispatchMessages();
    EXPECT_EQ(received_without_stamps(), (std::vector<std::string>{"> 0 0"}));
}

TEST_F(MgmTest, FilmEndClearsTheFilmAndReachesTheReceiver)
{
    MGM_Flags = MGM_FILM_TICKED | MGM_FILM_PACED | MGM_FWD_KEYS;
    QUE_Post(MGM_ControlQueue, '?', 0, 0);
    EXPECT_EQ(MGM_DispatchMessages(), 1);
    EXPECT_EQ(received_without_stamps(), (std::vector<std::string>{"? 0 0"}));
    EXPECT_EQ(MGM_Flags, MGM_FWD_KEYS);
    EXPECT_EQ(MGM_IsVideoRunning(), 0);
    EXPECT_EQ(fake::count("HNM_FillStream"), 0);
}

TEST_F(MgmTest, QuitEventStopsTheRounds)
{
    MGM_Flags = MGM_FILM_PACED;
    QUE_Post(MGM_ControlQueue, '2', 0, 0);
    EXPECT_EQ(MGM_DispatchMessages(), 0);
    EXPECT_EQ(MGM_IsVideoRunning(), 0);
    EXPECT_EQ(MGM_DispatchMessages(), 0);
    EXPECT_EQ(handler_calls, 0);
}

TEST_F(MgmTest, HandlerResultIsTheRoundsResult)
{
    handler_result = 0;
    EXPECT_EQ(MGM_DispatchMessages(), 0);
    handler_result = 7;
    EXPECT_EQ(MGM_DispatchMessages(), 7);
    MGM_SendMessage(39, reinterpret_cast<intptr_t>(receiver_queue), 0);
    EXPECT_EQ(MGM_DispatchMessages(), 1); // no handler: the running byte
}

TEST_F(MgmTest, UnknownEventCodesEndTheProcess)
{
    EXPECT_EXIT(
        {
            QUE_Post(MGM_InputQueue, 'X', 0, 0);
            MGM_DispatchMessages();
        },
        ::testing::ExitedWithCode(231), "Kalder Internal Error : unknown message type in MGM_DispatchMessages");
    EXPECT_EXIT(
        {
            QUE_Post(MGM_ControlQueue, '3', 0, 0);
            MGM_DispatchMessages();
        },
        ::testing::ExitedWithCode(231), "Kalder Internal Error : unknown message type in MGM_DispatchMessages");
}

// A modal screen: takes the events for a while, runs its own loop and gives them back.
MGM_Queue *modal_queue;
int modal_calls;
std::vector<std::string> modal_keys;

uint8_t modal_handler()
{
    modal_calls++;
    MGM_Event e;
    while (QUE_Read(modal_queue, &e)) {
        if (e.type == '3') {
            modal_keys.push_back(std::to_string(e.a));
        }
    }
    return modal_calls < 3 ? 1 : 0;
}

uint8_t opening_handler()
{
    handler_calls++;
    intptr_t saved_queue = MGM_SendMessage(40);
    intptr_t saved_handler = MGM_SendMessage(41);
    MGM_SendMessage(39, reinterpret_cast<intptr_t>(modal_queue), reinterpret_cast<intptr_t>(&modal_handler));
    for (int key = 70; key < 73; key++) {
        QUE_Post(MGM_InputQueue, '3', key, 0);
        if (MGM_DispatchMessages() == 0) {
            break;
        }
    }
    MGM_SendMessage(39, saved_queue, saved_handler);
    return 1;
}

TEST_F(MgmTest, ModalLoopInsideAHandlerRestoresTheReceiver)
{
    modal_queue = QUE_Create(10);
    modal_calls = 0;
    modal_keys.clear();
    MGM_SendMessage(39, reinterpret_cast<intptr_t>(receiver_queue), reinterpret_cast<intptr_t>(&opening_handler));
    MGM_SendMessage(4);
    EXPECT_EQ(MGM_DispatchMessages(), 1);
    EXPECT_EQ(handler_calls, 1);
    EXPECT_EQ(modal_calls, 3);
    EXPECT_EQ(modal_keys, (std::vector<std::string>{"70", "71", "72"}));
    EXPECT_EQ(MGM_SendMessage(40), reinterpret_cast<intptr_t>(receiver_queue));
    EXPECT_EQ(MGM_SendMessage(41), reinterpret_cast<intptr_t>(&opening_handler));
    EXPECT_TRUE(received_without_stamps().empty());

    // The outer receiver gets the events again.
    QUE_Post(MGM_InputQueue, '3', 80, 0);
    MGM_SendMessage(39, reinterpret_cast<intptr_t>(receiver_queue), reinterpret_cast<intptr_t>(&counting_handler));
    MGM_DispatchMessages();
    EXPECT_EQ(received_without_stamps(), (std::vector<std::string>{"3 80 0"}));
    QUE_Destroy(modal_queue);
}

TEST_F(MgmTest, PlaylistTakesTheNonZeroBytes)
{
    struct Case {
        int32_t tracks;
        std::vector<int32_t> list;
    };
    const Case cases[] = {
        {0x00000507, {7, 5}},
        {0x00050007, {7, 5}},
        {0x00050700, {7, 5}},
        {0x09030201, {1, 2, 3}},
        {0x0C000000, {}},
        {0, {}},
    };
    for (const Case &c : cases) {
        MGM_SendMessage(30, c.tracks);
        std::vector<int32_t> list(MGM_PlaylistTracks, MGM_PlaylistTracks + MGM_PlaylistCount);
        EXPECT_EQ(list, c.list) << std::hex << c.tracks;
        EXPECT_EQ(MGM_PlaylistIndex, -1);
    }
}

TEST_F(MgmTest, PlaylistFollowsAFinishedTrackWithinFifteenRounds)
{
    test::SetCdDevice(true, 10);
    MGM_SendMessage(28);
    MGM_SendMessage(30, 0x0507);
    auto plays = [] {
        std::vector<int> out;
        for (const test::CdPlay &p : test::CdPlays()) {
            out.push_back(p.from);
        }
        return out;
    };
    for (int round = 1; round <= 15; round++) {
        MGM_DispatchMessages();
        EXPECT_EQ(plays().size(), round < 15 ? 0u : 1u) << round;
    }
    EXPECT_EQ(plays(), (std::vector<int>{7}));
    for (int round = 0; round < 15; round++) {
        MGM_DispatchMessages(); // still playing
    }
    EXPECT_EQ(plays(), (std::vector<int>{7}));
    test::SetCdMode(PLAT_CD_STOPPED);
    for (int round = 0; round < 15; round++) {
        MGM_DispatchMessages();
    }
    EXPECT_EQ(plays(), (std::vector<int>{7, 5}));
    test::SetCdMode(PLAT_CD_DOOR_OPEN); // reads as stopped: the list wraps round
    for (int round = 0; round < 15; round++) {
        MGM_DispatchMessages();
    }
    EXPECT_EQ(plays(), (std::vector<int>{7, 5, 7}));
}

TEST_F(MgmTest, EmptyPlaylistPlaysNothing)
{
    test::SetCdDevice(true, 10);
    MGM_SendMessage(28);
    MGM_SendMessage(30, 0x0507);
    MGM_SendMessage(31);
    MGM_SendMessage(30, 0);
    for (int round = 0; round < 60; round++) {
        MGM_DispatchMessages();
    }
    EXPECT_TRUE(test::CdPlays().empty());
}

} // namespace
