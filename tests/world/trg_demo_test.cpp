// The demo's triggers in the whole program, headless: the crate that appears after 3 s of game time,
// the scroll that gives its spell, the crate that plays the intro film once, and the box that speaks.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/snd.h"
#include "core/sys.h"
#include "interface/dlg.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/demo_level.h"
#include "tests/support/golden.h"
#include "tests/support/play_run.h"
#include "tests/support/temp_drives.h"
#include "tests/world/demo_run_fixture.h"
#include "world/actor.h"
#include "world/inv.h"
#include "world/prj.h"
#include "world/trg.h"

namespace {

struct TriggerDemoTest : demo_run_test::DemoRunTest {
    std::vector<int> fired[4]; // the rounds each demo trigger fired in

    // Writes down which triggers fired this round.
    void Watch(int round)
    {
        for (int i = 0; i < 4; i++) {
            if ((TRG_LastFired & (1u << i)) != 0) {
                fired[i].push_back(round);
            }
        }
        TRG_LastFired = 0;
    }

    static const ActorRecord *Element(int n)
    {
        for (const ActorRecord &slot : ACTOR_Slots) {
            if ((slot.flags[0] & ACTOR_F0_IN_USE) != 0 && PRJ_Current != nullptr &&
                slot.definition == &PRJ_Current->elements[n]) {
                return &slot;
            }
        }
        return nullptr;
    }
    static bool Shown(int n)
    {
        const ActorRecord *a = Element(n);
        return a != nullptr && (a->flags[3] & ACTOR_F3_DISABLED) == 0;
    }
};

TEST_F(TriggerDemoTest, TheCrateAppearsAfterThreeSecondsAndStays)
{
    kalder_test::PlayOptions options;
    options.rounds = 120;
    std::vector<int> shown;
    options.between_rounds = [&](int round) {
        Watch(round);
        if (Element(7) != nullptr && Shown(7)) {
            shown.push_back(round);
        }
    };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    ASSERT_EQ(result.exit_code, 0);
    // 90 frames of game time at 1.05 frames a round: the 86th tick after the load's.
    ASSERT_EQ(fired[0].size(), 1u);
    EXPECT_EQ(fired[0][0], 87);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), fired[0][0]) << "hidden until then";
    EXPECT_EQ(shown.size(), size_t(shown.back() - shown.front() + 1)) << "and shown from then on";
    EXPECT_GE(shown.back(), 119);
    EXPECT_TRUE(fired[1].empty());
    EXPECT_TRUE(fired[2].empty());
    ASSERT_EQ(result.width, 640);
    EXPECT_TRUE(kalder_test::MatchesGolden("demo-crate-shown-640x480", result.last_frame.data(), 640, 480, false));
}

TEST_F(TriggerDemoTest, TheScrollGivesItsSpellOnce)
{
    kalder_test::PlayOptions options;
    options.rounds = 60;
    const int32_t *scroll = kalder_test::demo::kScrollStart;
    options.placements = {{double(scroll[0]) - 200.0, 140.0, double(scroll[2]), 20}};
    int has_at = -1;
    options.between_rounds = [&](int round) {
        Watch(round);
        if (has_at < 0 && INV_Has(&ACTOR_Slots[ACTOR_HERO], "temps") != 0) {
            has_at = round;
        }
    };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    ASSERT_EQ(result.exit_code, 0);
    ASSERT_EQ(fired[1].size(), 1u);
    EXPECT_EQ(has_at, fired[1][0]);
    int copies = 0;
    for (const auto &name : INV_Data.names) {
        copies += std::string(name, strnlen(name, sizeof name)) == "temps" ? 1 : 0;
    }
    EXPECT_EQ(copies, 1);
}

TEST_F(TriggerDemoTest, TheCratePlaysTheIntroFilmOnceAndTheGameGoesOn)
{
    kalder_test::PlayOptions options;
    options.rounds = 400;
    const int32_t *crate = kalder_test::demo::kCrate3Start;
    // Beside the crate before it appears, and still there after.
    options.placements = {{double(crate[0]), 140.0, double(crate[2]) - 300.0, 60}};
    std::vector<int> held;
    options.between_rounds = [&](int round) {
        Watch(round);
        if (GAME_FilmHold != 0) {
            held.push_back(round);
        }
    };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    const std::string played = Played(result);
    SCOPED_TRACE(played);
    ASSERT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.rounds, 400) << "the game went on after the film";
    ASSERT_EQ(fired[0].size(), 1u);
    ASSERT_EQ(fired[2].size(), 1u) << "once, and only once the crate is there";
    EXPECT_GE(fired[2][0], fired[0][0]) << "not before the crate is there (it is in the same evaluation)";
    // The film holds the game within that round: its 46 pictures are shown, then the game goes on.
    EXPECT_NE(played.find("round " + std::to_string(fired[2][0]) + ": film ends after 46 frames"), std::string::npos);
    EXPECT_TRUE(held.empty()) << "no round of the game is presented while the film holds it";
    EXPECT_EQ(GAME_FilmHold, 0);
}

TEST_F(TriggerDemoTest, TheSecondBoxSpeaksOnceAndTheGameGoesOn)
{
    test::SetSoundDevice(true);
    DLG_Window = DLG_WindowState{};
    kalder_test::PlayOptions options;
    options.rounds = 80;
    const int32_t *box = kalder_test::demo::kBox2Start;
    options.placements = {{double(box[0]), 140.0, double(box[2]) - 300.0, 20}};
    int window_round = -1;
    int plays = 0;
    DLG_WindowState window{};
    // The window's frames by its tick: the tick counter while the voice plays, the voice's duration
    // plus the counter during the offer.
    std::vector<std::pair<int32_t, std::vector<uint16_t>>> shown;
    int width = 0, height = 0;
    options.other_present = [&] {
        if (DLG_State == 2 && !test::Presents().empty()) {
            const test::Present &present = test::Presents().back();
            const int32_t tick = DLG_Window.ticks + (DLG_Window.finished != 0 ? DLG_GetDuration() : 0);
            shown.push_back({tick, present.pixels});
            width = present.width;
            height = present.height;
        }
    };
    options.between_rounds = [&](int round) {
        Watch(round);
        if (window_round < 0 && DLG_Window.done != 0) {
            window_round = round;
            window = DLG_Window;
            const int voice = test::InspectSound(SND_Voice.buffer).id;
            for (const test::SoundCall &call : test::SoundCalls()) {
                plays += call.buffer == voice && call.op == test::SoundOp::Play ? 1 : 0;
            }
        }
    };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    SCOPED_TRACE(Played(result));
    ASSERT_EQ(result.exit_code, 0);
    ASSERT_EQ(fired[3].size(), 1u) << "once";
    // The event is read by the next MENJ dispatch of the same frame: the window has closed by its end.
    EXPECT_EQ(window_round, fired[3][0]);
    EXPECT_EQ(plays, 1);
    // Closed by itself: the whole voice, then the offer's 51st tick.
    EXPECT_EQ(window.finished, 1);
    EXPECT_EQ(window.ticks, 51);
    EXPECT_EQ(window.current, 5) << "past the last of the five lines";
    EXPECT_EQ(DLG_State, 0);
    EXPECT_EQ(result.rounds, 80) << "the game went on";
    EXPECT_TRUE(fired[1].empty());
    EXPECT_TRUE(fired[2].empty());

    // A frame a tick while the voice plays, then the offer's. The game's clock tick that was due as
    // the window opened is its first: the window draws ticks 1 to 90 (line 0 is shown fully from the
    // first whichever it is), and the offer at 90.
    std::vector<int32_t> ticks;
    for (const auto &frame : shown) {
        ticks.push_back(frame.first);
    }
    std::vector<int32_t> expected;
    for (int32_t tick = 1; tick <= 90; tick++) {
        expected.push_back(tick);
    }
    expected.push_back(90);
    EXPECT_EQ(ticks, expected);
    // The trigger's frames are those of the staged window over another picture of Project0 (the hero by
    // the box): their own goldens, the first frame, line 1 fading in and the offer.
    const struct {
        const char *name;
        int32_t tick;
    } shots[] = {
        {"dlg-trigger-first-640x480", 1}, {"dlg-trigger-fading-640x480", 20}, {"dlg-trigger-again-640x480", 90}};
    for (const auto &shot : shots) {
        SCOPED_TRACE(shot.name);
        const std::vector<uint16_t> *frame = nullptr;
        for (const auto &[tick, pixels] : shown) {
            frame = tick <= shot.tick ? &pixels : frame;
        }
        ASSERT_NE(frame, nullptr);
        EXPECT_TRUE(kalder_test::MatchesGolden(shot.name, frame->data(), width, height, false));
    }
}

} // namespace
