// The hero's fight step on the demo level through the real frame handler: the creature runs at the
// hero standing at its start; with the automatic option the hero takes the creature as its target and
// its stance in the first tick the creature is within reach, with the manual option never.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/support/core_state.h"
#include "tests/support/demo_level.h"
#include "tests/support/temp_drives.h"
#include "tests/world/pursuit_fixture.h"
#include "world/actor.h"
#include "world/fgt.h"

namespace {

// The fight step's distance: the height counts four times.
double FightDistance(const ActorRecord *hero, const ActorRecord *enemy)
{
    const double dx = enemy->position[0] - hero->position[0], dy = enemy->position[1] - hero->position[1],
                 dz = enemy->position[2] - hero->position[2];
    return std::sqrt(dx * dx + 4.0 * dy * dy + dz * dz);
}

struct StanceCase {
    int32_t option;
    bool takes_stance;
};

// One case an option, each in its own run of the program.
class FightScenarioTest : public ::testing::TestWithParam<StanceCase> {};

TEST_P(FightScenarioTest, TheStanceFollowsTheOptionAsTheCreatureCloses)
{
    const StanceCase &c = GetParam();
    kalder_test::ResetCore();
    const kalder_test::PursuitReset reset;
    kalder_test::TempDrives drives("CD");
    ASSERT_TRUE(kalder_test::WriteDemoInstallation(drives));
    FGT_FightOption = c.option;
    const ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    // Each round's tick steps the fight before the creature moves: its distance then is the one
    // seen after the round before.
    double last_distance = 1e9;
    int within_round = -1, stance_round = -1, target_round = -1;
    bool target_kept = true, reach_matches = true;
    const kalder_test::PursuitRun run = kalder_test::RunDemoPursuit([&](int round, ActorRecord *creature) {
        if (round > 1) {
            reach_matches = reach_matches && FGT_LastInReach == (c.option == 0 && last_distance < 800.0 ? 1 : 0);
            if (within_round < 0 && last_distance < 800.0) {
                within_round = round;
            }
        }
        if (stance_round < 0 && (hero->flags[4] & FGT_F4_STANCE) != 0) {
            stance_round = round;
        }
        if (target_round < 0 && hero->target == creature) {
            target_round = round;
        } else if (target_round >= 0) {
            target_kept = target_kept && hero->target == creature;
        }
        last_distance = FightDistance(hero, creature);
    });
    EXPECT_EQ(run.result.exit_code, 0);
    ASSERT_NE(run.creature, nullptr) << "the demo level has a creature";
    ASSERT_GE(run.attack_round, 0) << "the creature reaches the hero within 900 ticks";
    ASSERT_GE(within_round, 0) << "the creature comes within 800";
    ASSERT_GE(target_round, 0) << "the hero takes the creature as its target";
    EXPECT_LT(target_round, within_round) << "seen before it is in reach";
    EXPECT_TRUE(target_kept);
    EXPECT_TRUE(reach_matches) << "in reach exactly while the creature is within 800, and never when manual";
    if (c.takes_stance) {
        EXPECT_EQ(stance_round, within_round) << "the stance switches on in the first tick within reach";
    } else {
        EXPECT_EQ(stance_round, -1) << "a manual hero never takes the stance by itself";
    }
}

INSTANTIATE_TEST_SUITE_P(Options, FightScenarioTest, ::testing::Values(StanceCase{0, true}, StanceCase{1, false}),
                         [](const ::testing::TestParamInfo<StanceCase> &info) {
                             return std::string(info.param.option == 0 ? "Automatic" : "Manual");
                         });

} // namespace
