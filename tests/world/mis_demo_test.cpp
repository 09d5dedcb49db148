// Blows on the demo level: the hero's stance blow, played frame by frame through the game tick, hurts,
// pushes and at last kills the demo's creature.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "tests/world/tick_fixture.h"
#include "world/anim.h"
#include "world/cam.h"

namespace {

using DemoBlows = tick_test::DemoLevelBench;

TEST_F(DemoBlows, TheHerosStanceBlowTakesThirtyAndTheFourthKills)
{
    ActorRecord *hero = Hero();
    ActorRecord *creature = Named("CR1");
    ASSERT_NE(creature, nullptr);
    GAME_Tick(0);
    creature->parry_chance = 0;
    creature->attack_chance = 0;
    std::vector<float> lives;
    bool pushed = false;
    const double a = double(4096 - hero->heading) * 6.2831853071794 / 4096.0;
    for (int frame = 0; frame < 600 && creature->current_anim != ANIM_DEATH; frame++) {
        // Back in reach, straight ahead, whenever the hero is about to strike again.
        if (hero->current_anim != 16 && creature->life > 0.0f) {
            creature->position[0] = hero->position[0] + 250.0 * std::cos(a);
            creature->position[2] = hero->position[2] + 250.0 * std::sin(a);
            creature->position[1] = hero->position[1];
        }
        // The blow holds its last frame while asked for again: the hero stands for a frame between two.
        const bool finished = hero->current_anim == 16 && hero->frame_position >= float(hero->frame_count);
        ANIM_DoAction(hero, finished ? 0 : 16);
        const float before = creature->life;
        GAME_Tick(0);
        if (creature->life != before) {
            lives.push_back(creature->life);
            pushed = pushed || std::fabs(creature->knockback[0]) + std::fabs(creature->knockback[2]) > 0.0f;
        }
    }
    EXPECT_EQ(lives, (std::vector<float>{70.0f, 40.0f, 10.0f, 0.0f}));
    EXPECT_TRUE(pushed);
    EXPECT_EQ(creature->current_anim, ANIM_DEATH);
}

} // namespace
