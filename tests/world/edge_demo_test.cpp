// The edge of the demo floor, through the whole program headless: the hero walked at the walls that close
// the floor, for long enough to push at them, stays on the floor inside them at its standing height.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/core_state.h"
#include "tests/support/demo_level.h"
#include "tests/support/key_script.h"
#include "tests/support/play_run.h"
#include "tests/support/play_trace.h"
#include "tests/support/temp_drives.h"
#include "world/actor.h"

namespace {

namespace demo = kalder_test::demo;

// The hero's node stands 160 above its feet and 5 above the floor.
constexpr double kStandY = demo::kFloorY - 160 - 5;

struct Route {
    const char *name;
    const char *keys;
    int frames;
    // The wall it ends at: 0 x (the edge at kFloorX1), 2 z (the edge at kFloorZ1).
    int axis;
};

// From the start (-600, 0) facing +x: turned left and walked at the far edge, meeting it aslant; turned
// a little left and walked at the right-hand edge, passing beside the first exit's box (z -300..300) and
// jumping at the wall, while the creature crowds it along the wall (it stops before the draining zone).
const Route kRoutes[] = {
    {"AslantAtTheFarEdge", "0 down Left\n30 up Left\n30 down Up\n", 620, 2},
    {"StraightAtTheRightEdgeJumping",
     "10 down Up\n10 down Left\n22 up Left\n330 down Ctrl\n332 up Ctrl\n380 down Ctrl\n382 up Ctrl\n430 down Ctrl\n432 up Ctrl\n", 480, 0},
};

class EdgeDemoTest : public testing::TestWithParam<Route> {};

TEST_P(EdgeDemoTest, TheHeroStopsAtTheWallOnTheFloor)
{
    const Route &route = GetParam();
    kalder_test::ResetCore();
    kalder_test::TempDrives drives("CD");
    ASSERT_TRUE(kalder_test::WriteDemoInstallation(drives));
    std::vector<kalder_test::KeyEvent> keys;
    ASSERT_EQ(kalder_test::ParseKeyScript(route.keys, keys), "");
    kalder_test::PlayOptions options;
    std::string trace;
    kalder_test::ScriptedRun(options, keys, route.frames, &trace);
    struct Seen {
        int frames = 0, at_wall = -1, off_ground = -1, outside = -1, sunk = -1;
        double nearest = 1e9, top = kStandY, last_y = 0.0;
        float life = 0.0f;
        std::string project;
    } seen;
    options.after_frame = [&seen, &route, previous = options.after_frame](int frame, const std::string &held) {
        previous(frame, held);
        const ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
        const double x = hero.position[0], y = hero.position[1], z = hero.position[2];
        seen.frames++;
        if ((hero.coll_flags[0] & ACTOR_C0_NO_GROUND) && seen.off_ground < 0) {
            seen.off_ground = frame;
        }
        if ((x <= demo::kFloorX0 || x >= demo::kFloorX1 || z <= demo::kFloorZ0 || z >= demo::kFloorZ1) &&
            seen.outside < 0) {
            seen.outside = frame;
        }
        if (y > kStandY && seen.sunk < 0) {
            seen.sunk = frame;
        }
        const double gap = route.axis == 0 ? demo::kFloorX1 - x : demo::kFloorZ1 - z;
        seen.nearest = std::min(seen.nearest, gap);
        if ((hero.coll_flags[0] & ACTOR_C0_DECOR) && gap < 200.0 && seen.at_wall < 0) {
            seen.at_wall = frame;
        }
        seen.top = std::min(seen.top, y);
        seen.last_y = y;
        seen.life = hero.life;
    };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    kalder_test::ResetCore();
    EXPECT_EQ(result.exit_code, 0);
    ASSERT_EQ(seen.frames, route.frames);
    EXPECT_GE(seen.at_wall, 0) << "the hero never reached the wall";
    EXPECT_LT(seen.at_wall, route.frames - 60) << "the hero pushed at the wall too briefly";
    // Held at about its radius from the wall's face (a jump's sweep reaches a little into it), not through.
    EXPECT_GT(seen.nearest, 50.0);
    EXPECT_LT(seen.nearest, 150.0);
    EXPECT_EQ(seen.outside, -1) << "outside the walls at frame " << seen.outside;
    EXPECT_EQ(seen.off_ground, -1) << "no ground under the hero at frame " << seen.off_ground;
    EXPECT_EQ(seen.sunk, -1) << "below standing height at frame " << seen.sunk;
    EXPECT_EQ(seen.last_y, kStandY);
    EXPECT_EQ(seen.life, 100.0f);
    const auto loads = std::count_if(result.lines.begin(), result.lines.end(),
                                     [](const std::string &line) { return line.find(" loaded") != std::string::npos; });
    EXPECT_EQ(loads, 1) << "the hero left the level";
    if (route.axis == 0) {
        EXPECT_LT(seen.top, kStandY - 50.0) << "the jumps at the wall never left the ground";
    }
}

INSTANTIATE_TEST_SUITE_P(Routes, EdgeDemoTest, testing::ValuesIn(kRoutes),
                         [](const testing::TestParamInfo<Route> &info) { return std::string(info.param.name); });

} // namespace
