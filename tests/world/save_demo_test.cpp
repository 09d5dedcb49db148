// The visited-level ring and the save games in the whole program on the demo installation: coming back
// through the exits, a save and a load between frames, and a thumbnail that leaves the frames alone.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/demo_level.h"
#include "tests/support/golden.h"
#include "tests/support/play_run.h"
#include "tests/world/demo_run_fixture.h"
#include "world/actor.h"
#include "world/inv.h"
#include "world/prj.h"
#include "world/save.h"
#include "world/visited.h"

namespace {

using demo_run_test::DemoRunTest;

TEST_F(DemoRunTest, AThumbnailWrittenAtFrame20LeavesFrame40AsItWas)
{
    kalder_test::PlayOptions options;
    options.rounds = 40;
    int32_t written = -5;
    options.before_round = [&written](int round) {
        if (round == 20) {
            written = SAVE_WriteThumbnail("Demo items");
        }
    };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(written, 0);
    ASSERT_EQ(result.width, 640);
    EXPECT_TRUE(kalder_test::MatchesGolden("demo-run-frame40", result.last_frame.data(), 640, 480, false));
}

TEST_F(DemoRunTest, ComingBackThroughTheExitsTheHeroArrivesTurnedRound)
{
    kalder_test::DemoOptions demo;
    demo.anim_textures = false;
    ASSERT_TRUE(kalder_test::WriteDemoInstallation(*drives, demo));
    kalder_test::PlayOptions options;
    options.rounds = 100;
    // Into Project0's EXIT1, then into Project1's, which leads back.
    options.placements = {{1400.0, 140.0, 0.0, 20}, {1400.0, 140.0, 0.0, 50}};
    int loads = 0;
    double arrived[3] = {};
    int32_t heading = -1, remembered = -1;
    options.between_rounds = [&](int) {
        if (PRJ_PendingFlag != 0 || std::strncmp(PRJ_Current->name, "Project0", 20) != 0 || loads == 2) {
            return;
        }
        if (ACTOR_Slots[ACTOR_HERO].position[0] == 800.0 || loads == 0) {
            loads++;
        }
        if (loads == 2) {
            std::memcpy(arrived, ACTOR_Slots[ACTOR_HERO].position, sizeof arrived);
            heading = ACTOR_Slots[ACTOR_HERO].heading;
            for (const VisitedRecord &r : VIS_Ring) {
                if (std::strncmp(r.name, "Project0", 16) == 0) {
                    remembered = r.entries[ACTOR_HERO].heading;
                }
            }
        }
    };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    SCOPED_TRACE(Played(result));
    EXPECT_EQ(result.exit_code, 0);
    ASSERT_EQ(loads, 2) << "back in Project0 at its arrival point";
    EXPECT_GE(RoundOf(result, "Project0 loaded, hero at (800.0, 140.0, 0.0)"), 50);
    EXPECT_EQ(arrived[0], 800.0);
    EXPECT_EQ(arrived[2], 0.0);
    ASSERT_GE(remembered, 0);
    EXPECT_EQ(heading, (remembered + 2048) & 4095);
}

TEST_F(DemoRunTest, AGameSavedAtFrame60ComesBackWhenLoadedAtFrame120)
{
    kalder_test::PlayOptions options;
    options.rounds = 140;
    float life_saved = 0.0f, life_after = 0.0f;
    std::string first_item;
    int32_t saved = -5, loaded = -5;
    bool reloaded = false;
    options.before_round = [&](int round) {
        ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
        if (round == 60) {
            INV_Add(&hero, "feu");
            hero.life = 61.5f;
            life_saved = hero.life;
            std::strcpy(SAVE_Slots[1].name, "Run");
            SAVE_Slots[1].stamp = 2;
            saved = SAVE_WriteGame("Run");
            SAVE_WriteSlots();
            SAVE_WriteThumbnail("Run");
        }
        if (round == 120) {
            INV_Reset();
            hero.life = 10.0f;
            hero.position[2] = 500.0;
            loaded = SAVE_ReadGame("Run");
        }
        if (round == 121) {
            // Loaded by round 120's tick: the hero at the project's start, the game in the saved-game record.
            reloaded = PRJ_PendingFlag == 0 && PRJ_Current == &SAVE_GameRecord && hero.position[0] == -600.0 &&
                       hero.position[2] == 0.0;
            life_after = hero.life;
            first_item = INV_Data.names[0];
        }
    };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    SCOPED_TRACE(Played(result));
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(loaded, 0);
    EXPECT_TRUE(reloaded) << "Project0 loaded again by the tick after the load";
    EXPECT_EQ(life_after, life_saved);
    EXPECT_EQ(first_item, "feu");
}

} // namespace
