// The whole program on the demo installation with the true shadows on: the hero's silhouette is rendered
// every frame and the game's letterboxed view survives it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/opt.h"
#include "engine3d/view.h"
#include "tests/support/play_run.h"
#include "tests/world/demo_run_fixture.h"
#include "world/actor.h"
#include "world/shadow.h"

namespace {

using demo_run_test::DemoRunTest;

// The whole program with the true shadows on from its start: every frame keeps the letterboxed view.
TEST_F(DemoRunTest, APlayedLevelKeepsItsLetterboxWithTrueShadows)
{
    OPT_RealShadow = 1;
    kalder_test::PlayOptions options;
    options.rounds = 100;
    int loaded = 0, kept = 0;
    options.between_rounds = [&](int) {
        if (SHADOW_Camera == 0 || SHADOW_AttachedCount == 0) {
            return;
        }
        loaded++;
        kept += OBJ_View.view_y == 60 && OBJ_View.view_height == 360 && OBJ_View.screen_width == 640;
    };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.rounds, 100);
    EXPECT_GT(loaded, 90);
    EXPECT_EQ(kept, loaded);
    EXPECT_EQ(SHADOW_Slots[ACTOR_Slots[ACTOR_HERO].shadow_slot].mode, SHADOW_REAL);
    // The bars hold nothing of the scene: only the HUD draws over them.
    const std::vector<uint16_t> &f = result.last_frame;
    int32_t lit = 0;
    for (int32_t y = 0; y < 60; y++) {
        for (int32_t x = 0; x < 640; x++) {
            lit += f[size_t(y * 640 + x)] != 0;
        }
    }
    EXPECT_EQ(lit, 0) << "the top bar";
    // The creature has struck the hero by now: a later run must not carry its gauges on.
    for (ActorRecord &slot : ACTOR_Slots) {
        std::memset(static_cast<void *>(&slot), 0, sizeof slot);
    }
}

} // namespace
