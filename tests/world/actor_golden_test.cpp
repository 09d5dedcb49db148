// The test figure as the actor's players and aiming pose it, against golden pictures.
#include <gtest/gtest.h>

#include "core/game_frame.h"
#include "tests/support/actor_pictures.h"
#include "tests/support/golden.h"
#include "world/aim.h"
#include "world/anim.h"

using kalder_test::ActorStage;
using kalder_test::MatchesGolden;

namespace {

::testing::AssertionResult Matches(const char *name, const ActorStage &stage)
{
    const std::vector<uint16_t> frame = stage.Render();
    return MatchesGolden(name, frame.data(), stage.Width(), stage.Height(), false);
}

} // namespace

TEST(ActorGolden, WalkFrameOneOfLinearKeys)
{
    GAME_TimeFactor = 1.0;
    ActorStage stage(4);
    stage.Playing(4, 1.0f);
    ANIM_PlayFrame(&stage.actor);
    stage.Place();
    EXPECT_TRUE(Matches("actor-walk-1", stage));
}

TEST(ActorGolden, WalkBetweenFramesOfSplineKeys)
{
    GAME_TimeFactor = 1.0;
    ActorStage stage(6);
    stage.Playing(4, 9.5f);
    ANIM_PlayFrame(&stage.actor);
    stage.Place();
    EXPECT_TRUE(Matches("actor-walk-9.5", stage));
}

TEST(ActorGolden, ThirdStepOfTheFadeFromIdleToWalk)
{
    GAME_TimeFactor = 1.0;
    ActorStage stage(4);
    stage.Playing(0, 5.0f);
    stage.actor.requested_anim = 4;
    ANIM_ChangeAnim(&stage.actor);
    for (int step = 0; step < 3; step++) {
        ANIM_BlendStep(&stage.actor);
    }
    ASSERT_EQ(stage.actor.anim_field, 144);
    stage.Place();
    EXPECT_TRUE(Matches("actor-fade-3", stage));
}

TEST(ActorGolden, HeadAndTorsoAimedAtAnOpponent)
{
    GAME_TimeFactor = 1.0;
    ActorStage stage(4);
    ActorRecord opponent;
    stage.Opponent(&opponent, 50.0, 1500.0);
    for (int k = 0; k < 12; k++) {
        stage.Playing(0, 5.0f);
        ANIM_PlayFrame(&stage.actor);
        ACTOR_AimHead(&stage.actor);
    }
    ASSERT_NE(stage.actor.torso_turn, 0);
    stage.Place();
    EXPECT_TRUE(Matches("actor-aim-50", stage));
}

// The stage places its opponents by bearings from the figure's facing: an opponent on the left turns
// the head and torso as far as its mirror image on the right, within the 60 degrees of reach, and one
// beyond leaves them straight ahead.
TEST(ActorGolden, TheHeadAndTorsoTurnAlikeToEitherSide)
{
    GAME_TimeFactor = 1.0;
    auto turned = [](double degrees) {
        ActorStage stage(4);
        ActorRecord opponent;
        stage.Opponent(&opponent, degrees, 1500.0);
        for (int k = 0; k < 12; k++) {
            stage.Playing(0, 5.0f);
            ANIM_PlayFrame(&stage.actor);
            ACTOR_AimHead(&stage.actor);
        }
        auto signed_angle = [](int32_t a) { return a > 2047 ? a - 4096 : a; };
        return std::pair<int32_t, int32_t>{signed_angle(stage.actor.head_yaw), signed_angle(stage.actor.torso_turn)};
    };
    for (int32_t degrees = 10; degrees <= 70; degrees += 10) {
        SCOPED_TRACE(degrees);
        const auto left = turned(-degrees), right = turned(degrees);
        EXPECT_NEAR(left.first, -right.first, 2) << "the head";
        EXPECT_NEAR(left.second, -right.second, 2) << "the torso";
        if (degrees < 60) {
            EXPECT_GT(right.first, 0);
            EXPECT_GT(right.second, 0);
        } else if (degrees > 60) {
            EXPECT_EQ(right.first, 0) << "out of reach: straight ahead";
            EXPECT_EQ(left.first, 0);
        }
    }
}
