// The creature AI on the demo level: the creature patrols from its spawn point, sees the hero standing
// at its start, runs at it and attacks. The whole run's trace is a golden text.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/support/ai_trace.h"
#include "tests/support/core_state.h"
#include "tests/support/demo_level.h"
#include "tests/support/golden.h"
#include "tests/support/temp_drives.h"
#include "tests/world/pursuit_fixture.h"
#include "world/actor.h"
#include "world/ai.h"
#include "world/aim.h"
#include "world/fgt.h"

namespace {

double Horizontal(const ActorRecord *a, double x, double z)
{
    const double dx = x - a->position[0], dz = z - a->position[2];
    return std::sqrt(dx * dx + dz * dz);
}

TEST(AiScenarioTest, TheCreaturePursuesTheHeroAndAttacks)
{
    kalder_test::ResetCore();
    const kalder_test::PursuitReset reset;
    kalder_test::TempDrives drives("CD");
    ASSERT_TRUE(kalder_test::WriteDemoInstallation(drives));
    // The hero stays passive: it never takes its stance by itself.
    FGT_FightOption = 1;
    kalder_test::AiTrace trace;
    std::string text;
    const ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    double start_to_patrol_end = 0.0, after_10_to_patrol_end = 0.0;
    int seen_round = -1, attack_action_round = -1;
    bool seen_in_reach = false, kept_target = true, closed_in = false;
    const kalder_test::PursuitRun run = kalder_test::RunDemoPursuit([&](int round, ActorRecord *creature) {
        if (round == 1) {
            text += kalder_test::AiGroups();
            start_to_patrol_end = Horizontal(creature, 800.0, 400.0);
            trace.Tick(round);
            return;
        }
        const std::string lines = trace.Tick(round);
        text += lines;
        if (round == 11) {
            after_10_to_patrol_end = Horizontal(creature, 800.0, 400.0);
        }
        if (seen_round < 0 && creature->enemy_count > 0 && creature->enemies[0] == hero) {
            seen_round = round;
            double b;
            ACTOR_BearingTo(creature, hero->position[0], hero->position[2], &b);
            seen_in_reach = Horizontal(creature, hero->position[0], hero->position[2]) <= 2000.0 &&
                            std::fabs(b) < 3.14159265358979 / 2.0;
        } else if (seen_round >= 0) {
            kept_target = kept_target && creature->ai_state == AI_STATE_FIGHT && creature->target == hero;
        }
        if (Horizontal(creature, hero->position[0], hero->position[2]) < double(creature->arrival_margin + 80)) {
            closed_in = true;
        }
        const size_t acts = lines.find("act=");
        if (attack_action_round < 0 && acts != std::string::npos) {
            std::string given = lines.substr(acts + 4, lines.find('\n', acts) - acts - 4) + ",";
            for (size_t at = 0, comma; (comma = given.find(',', at)) != std::string::npos; at = comma + 1) {
                const std::string action = given.substr(at, comma - at);
                if (action != "-" && kalder_test::IsAttackAnim(std::stoi(action))) {
                    attack_action_round = round;
                }
            }
        }
    });
    const int attack_round = run.attack_round;
    EXPECT_EQ(run.result.exit_code, 0);
    ASSERT_NE(run.creature, nullptr) << "the demo level has a creature";
    EXPECT_LT(after_10_to_patrol_end, start_to_patrol_end) << "it leaves its spawn point toward (800, 400)";
    ASSERT_GE(seen_round, 0) << "it sees the hero";
    EXPECT_TRUE(seen_in_reach) << "within 2000 and its window";
    EXPECT_TRUE(kept_target) << "in state 4 with the hero as its target from then on";
    ASSERT_GE(attack_round, 0) << "it attacks within 900 ticks";
    EXPECT_TRUE(closed_in);
    EXPECT_GE(attack_action_round, seen_round);
    EXPECT_LE(attack_action_round, attack_round);
    EXPECT_TRUE(kalder_test::MatchesGoldenText("ai-pursuit", text));
}

} // namespace
