// CD audio: the track rules, the play modes, reset/open/close, the "MCI Error" box for every verb, play
// on the fake clock, and the playlist run by the MGM's rounds.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/cd.h"
#include "core/mgm.h"
#include "core/win.h"
#include "plat/cd.h"
#include "plat/dialog.h"
#include "plat/test.h"
#include "plat/window.h"
#include "tests/support/core_state.h"

namespace {

using test::CdVerb;

struct CdTest : ::testing::Test {
    void SetUp() override { kalder_test::ResetCore(); }
    void TearDown() override { kalder_test::ResetCore(); }
};

// The command log as words: "play 3-4", "play 10-end", "stop", ...
std::vector<std::string> log_words()
{
    static const char *const names[] = {"open", "close", "tmsf", "play", "resume", "stop",
                                        "pause", "door open", "door closed", "mode", "count"};
    std::vector<std::string> out;
    for (const test::CdCommand &c : test::CdCommands()) {
        std::string w = names[int(c.verb)];
        if (c.verb == CdVerb::Play) {
            w += " " + std::to_string(c.from) + "-" + (c.has_to ? std::to_string(c.to) : "end");
        }
        out.push_back(w);
    }
    return out;
}

void open_disc(int tracks = 10)
{
    test::SetCdDevice(true, tracks);
    ASSERT_EQ(CD_Open(), 1);
    test::ClearCdCommands();
}

TEST_F(CdTest, PlayTrackPlaysToTheNextTrackOrToTheEndOfTheDisc)
{
    open_disc(10);
    CD_PlayTrack(10);
    CD_PlayTrack(3);
    CD_PlayTrack(11);
    CD_PlayTrack(0);
    EXPECT_EQ(log_words(), (std::vector<std::string>{"play 10-end", "play 3-4"}));
    EXPECT_TRUE(test::MessageBoxes().empty());
    CD_Close();
    test::ClearCdCommands();
    CD_PlayTrack(3);
    CD_Stop();
    CD_Pause();
    CD_Resume();
    CD_OpenDoor();
    EXPECT_EQ(CD_GetMode(), 1);
    EXPECT_EQ(CD_GetTrackCount(), 0u);
    EXPECT_EQ(CD_Reset(), 1);
    EXPECT_TRUE(log_words().empty()) << "a closed device gets no command";
}

TEST_F(CdTest, ModesMapAsTheGameReadsThem)
{
    open_disc();
    const struct {
        int mode;
        int32_t result;
    } cases[] = {{PLAT_CD_NOT_READY, 1}, {PLAT_CD_STOPPED, 4}, {PLAT_CD_PLAYING, 2}, {PLAT_CD_RECORDING, 1},
                 {PLAT_CD_SEEKING, 1},   {PLAT_CD_PAUSED, 3},  {PLAT_CD_DOOR_OPEN, 4}, {PLAT_CD_OTHER, 1}};
    for (const auto &c : cases) {
        test::SetCdMode(c.mode);
        EXPECT_EQ(CD_GetMode(), c.result) << c.mode;
    }
    test::SetCdMode(-1);
    CD_OpenDoor();
    EXPECT_EQ(CD_GetMode(), 4) << "an open door reads as stopped";
    test::FailCd(CdVerb::Mode, 1, 77, "status failed");
    EXPECT_EQ(CD_GetMode(), 0);
    ASSERT_EQ(test::MessageBoxes().size(), 1u);
    CD_Close();
    EXPECT_EQ(CD_GetMode(), 1);
}

TEST_F(CdTest, ResetStopsSetsTheFormatAndReadsTheCount)
{
    open_disc(10);
    EXPECT_EQ(CD_Reset(), 4);
    EXPECT_EQ(log_words(), (std::vector<std::string>{"stop", "tmsf", "count"}));
    test::ChangeCdDisc(std::vector<uint32_t>(6, 1000));
    EXPECT_EQ(CD_Reset(), 4);
    EXPECT_EQ(CD_TrackCount, 6u);
    test::FailCd(CdVerb::SetTmsf, 1, 9, "bad format");
    test::ClearCdCommands();
    EXPECT_EQ(CD_Reset(), 1);
    EXPECT_EQ(log_words(), (std::vector<std::string>{"stop", "tmsf"}));
    ASSERT_EQ(test::MessageBoxes().size(), 1u);
    EXPECT_EQ(test::MessageBoxes()[0].text, "bad format");
}

TEST_F(CdTest, OpenKeepsTheDeviceAndCloseAlwaysForgetsIt)
{
    test::SetCdDevice(true, 10);
    ASSERT_EQ(CD_Open(), 1);
    EXPECT_NE(CD_DeviceId, 0u);
    EXPECT_EQ(CD_TrackCount, 10u);
    EXPECT_EQ(log_words(), (std::vector<std::string>{"open", "stop", "tmsf", "count"}));

    // A second open closes the live device first.
    test::ClearCdCommands();
    ASSERT_EQ(CD_Open(), 1);
    EXPECT_EQ(log_words(), (std::vector<std::string>{"stop", "tmsf", "count", "close", "open", "stop", "tmsf", "count"}));
    EXPECT_TRUE(test::MessageBoxes().empty());

    test::ClearCdCommands();
    test::FailCd(CdVerb::Close, 1, 5, nullptr);
    CD_Close();
    EXPECT_EQ(log_words(), (std::vector<std::string>{"stop", "tmsf", "count", "close"}));
    EXPECT_EQ(CD_DeviceId, 0u);
    ASSERT_EQ(test::MessageBoxes().size(), 1u);
    EXPECT_EQ(test::MessageBoxes()[0].text, "Unknown Error");

    test::SetCdDevice(false);
    EXPECT_EQ(CD_Open(), 0);
    EXPECT_EQ(CD_DeviceId, 0u);
    ASSERT_EQ(test::MessageBoxes().size(), 2u);
    EXPECT_EQ(test::MessageBoxes()[1].text, "There is no CD audio device.");
}

TEST_F(CdTest, EveryFailingVerbBeepsThenShowsTheBoxAndTheNextCallWorks)
{
    const std::string long_text(300, 'x');
    struct Case {
        const char *name;
        CdVerb verb;
        const char *text; // null: the error has no text
        std::function<int64_t()> call;
        int64_t failed;
        int64_t next;
    };
    const Case cases[] = {
        {"open", CdVerb::Open, "no drive", [] { CD_Close(); return CD_Open(); }, 0, 1},
        {"close", CdVerb::Close, nullptr, [] { CD_Close(); return int64_t(CD_DeviceId); }, 0, 0},
        {"reset", CdVerb::SetTmsf, long_text.c_str(), [] { return CD_Reset(); }, 1, 4},
        {"stop", CdVerb::Stop, "stop failed", [] { CD_Stop(); return 0; }, 0, 0},
        {"play", CdVerb::Play, "play failed", [] { CD_PlayTrack(2); return 0; }, 0, 0},
        {"pause", CdVerb::Pause, "pause failed", [] { CD_Pause(); return 0; }, 0, 0},
        {"resume", CdVerb::Resume, "resume failed", [] { CD_Resume(); return 0; }, 0, 0},
        {"door open", CdVerb::DoorOpen, "door failed", [] { CD_OpenDoor(); return 0; }, 0, 0},
        {"door closed", CdVerb::DoorClosed, "door failed", [] { CD_CloseDoor(); return 0; }, 0, 0},
        {"mode", CdVerb::Mode, "mode failed", [] { return CD_GetMode(); }, 0, 4},
        {"count", CdVerb::TrackCount, nullptr, [] { return int64_t(CD_GetTrackCount()); }, 0, 10},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        kalder_test::ResetCore();
        open_disc(10);
        test::FailCd(c.verb, 1, 1000, c.text);
        EXPECT_EQ(c.call(), c.failed);
        ASSERT_EQ(test::Beeps().size(), 1u);
        EXPECT_EQ(test::Beeps()[0].icon, PLAT_ICON_EXCLAMATION);
        EXPECT_EQ(test::Beeps()[0].boxes_before, 0u);
        ASSERT_EQ(test::MessageBoxes().size(), 1u);
        const test::MessageBox &box = test::MessageBoxes()[0];
        EXPECT_EQ(box.title, "MCI Error");
        EXPECT_EQ(box.icon, PLAT_ICON_EXCLAMATION);
        EXPECT_FALSE(box.owned);
        EXPECT_EQ(box.text, c.text == nullptr ? "Unknown Error" : std::string(c.text).substr(0, 255));
        if (c.verb != CdVerb::Close) {
            EXPECT_EQ(c.call(), c.next);
            EXPECT_EQ(test::MessageBoxes().size(), 1u) << "the next call works";
        }
    }
}

TEST_F(CdTest, PlayRunsOnTheFakeClockAndPauseHoldsThePosition)
{
    open_disc(0);
    test::SetCdDevice(true, std::vector<uint32_t>(10, 1000));
    ASSERT_EQ(CD_Reset(), 4);
    CD_PlayTrack(3);
    test::AdvanceClock(999);
    EXPECT_EQ(CD_GetMode(), 2);
    test::AdvanceClock(1);
    EXPECT_EQ(CD_GetMode(), 4);
    EXPECT_EQ(test::InspectCd().track, 4u) << "the position stays at the end of the range";

    CD_PlayTrack(3);
    test::AdvanceClock(400);
    CD_Pause();
    EXPECT_EQ(CD_GetMode(), 3);
    const test::CdState held = test::InspectCd();
    test::AdvanceClock(5000);
    EXPECT_EQ(CD_GetMode(), 3);
    EXPECT_EQ(test::InspectCd().frame, held.frame);
    EXPECT_EQ(held.frame, 400u * 22050 / 1000);

    // Resume plays on to the end of the disc: the rest of track 3 and tracks 4 to 10.
    CD_Resume();
    test::AdvanceClock(600 + 7 * 1000 - 1);
    EXPECT_EQ(CD_GetMode(), 2);
    EXPECT_EQ(test::InspectCd().track, 10u);
    test::AdvanceClock(1);
    EXPECT_EQ(CD_GetMode(), 4);

    CD_PlayTrack(5);
    test::AdvanceClock(100);
    CD_Stop();
    EXPECT_EQ(CD_GetMode(), 4);
    CD_OpenDoor();
    CD_Resume();
    ASSERT_EQ(test::MessageBoxes().size(), 1u);
    EXPECT_EQ(test::MessageBoxes()[0].text, "The CD drive is not ready.");
}

// The MGM with rounds every 10 fake ms.
struct CdMgmTest : CdTest {
    void SetUp() override
    {
        CdTest::SetUp();
        WIN_MainWindow = PLAT_CreateWindow("Kalder", 640, 480, 0);
        ASSERT_TRUE(MGM_Create(50, 50));
    }
    static void rounds(int n)
    {
        for (int i = 0; i < n; i++) {
            test::AdvanceClock(10);
            MGM_DispatchMessages();
        }
    }
    // Rounds until the play log grows (at most `limit`); the rounds it took.
    static int rounds_to_next_play(int limit)
    {
        const size_t before = test::CdPlays().size();
        for (int i = 1; i <= limit; i++) {
            rounds(1);
            if (test::CdPlays().size() > before) {
                return i;
            }
        }
        return -1;
    }
};

TEST_F(CdMgmTest, ServiceTwentyEightOpensTheDevice)
{
    test::SetCdDevice(true);
    EXPECT_EQ(MGM_SendMessage(28), 1);
    EXPECT_TRUE(MGM_Services & MGM_CD_OPEN);
    EXPECT_TRUE(test::CdDeviceOpen());
    MGM_SendMessage(29);
    EXPECT_FALSE(test::CdDeviceOpen());

    test::SetCdDevice(false);
    EXPECT_EQ(MGM_SendMessage(28), 0);
    EXPECT_FALSE(MGM_Services & MGM_CD_OPEN);
}

TEST_F(CdMgmTest, PlaylistPlaysItsTracksInTurnAsEachEnds)
{
    test::SetCdDevice(true, std::vector<uint32_t>{60000, 1000, 500, 60000});
    MGM_SendMessage(28);
    MGM_SendMessage(30, 0x0302);
    EXPECT_LE(rounds_to_next_play(15), 15);
    EXPECT_EQ(test::CdPlays().back().from, 2);
    // Track 2 ends after 100 rounds; track 3 starts within 15 rounds of that.
    const int to_three = rounds_to_next_play(200);
    EXPECT_GE(to_three, 100);
    EXPECT_LE(to_three, 100 + 15);
    EXPECT_EQ(test::CdPlays().back().from, 3);
    const int to_two = rounds_to_next_play(200);
    EXPECT_GE(to_two, 50);
    EXPECT_LE(to_two, 50 + 15);
    EXPECT_EQ(test::CdPlays().back().from, 2);
}

TEST_F(CdMgmTest, PlaylistOrderIsTheNonZeroBytesFromTheLowest)
{
    for (int32_t list : {0x00000507, 0x00050007}) {
        kalder_test::ResetCore();
        SetUp();
        test::SetCdDevice(true, std::vector<uint32_t>(10, 200));
        MGM_SendMessage(28);
        MGM_SendMessage(30, list);
        rounds(60);
        ASSERT_GE(test::CdPlays().size(), 2u) << std::hex << list;
        EXPECT_EQ(test::CdPlays()[0].from, 7);
        EXPECT_EQ(test::CdPlays()[1].from, 5);
    }
}

TEST_F(CdMgmTest, ServicesActOnlyWhileTheDeviceIsOpen)
{
    test::SetCdDevice(true);
    for (int service : {29, 32, 33, 34, 35}) {
        MGM_SendMessage(service);
    }
    EXPECT_TRUE(test::CdCommands().empty());
    MGM_SendMessage(28);
    test::ClearCdCommands();
    MGM_SendMessage(31);
    MGM_SendMessage(32);
    MGM_SendMessage(33);
    MGM_SendMessage(34);
    MGM_SendMessage(35);
    EXPECT_EQ(log_words(), (std::vector<std::string>{"stop", "door open", "door closed", "pause", "resume"}));
    test::ClearCdCommands();
    MGM_Destroy();
    EXPECT_EQ(log_words(), (std::vector<std::string>{"stop", "tmsf", "count", "close"}));
    EXPECT_FALSE(test::CdDeviceOpen());
}

} // namespace
