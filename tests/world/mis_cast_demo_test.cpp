// A cast on the demo installation, through the whole program headless: the hero's bolt (type 0x1 from
// its second spell slot, key 1) in flight in front of it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/core_state.h"
#include "tests/support/demo_level.h"
#include "tests/support/golden.h"
#include "tests/support/key_script.h"
#include "tests/support/play_run.h"
#include "tests/support/play_trace.h"
#include "tests/support/temp_drives.h"
#include "world/actor.h"
#include "world/mis.h"

namespace {

// Key 1 pressed at frame 10 and released at 13 starts the cast (animation 32) at frame 14; the bolt
// leaves at the animation's hit frame, 25. It flies about the hero's radius a frame toward the camera,
// so a few frames later it has left the view; the run's last frame, 26, shows it just above the hero.
constexpr int kFrames = 27;
constexpr int kLaunchFrame = 25;

struct Bolt {
    int launched_at = -1;
    bool in_flight_at_end = false;
    double start[3] = {0, 0, 0};
};

TEST(CastDemoTest, TheBoltFliesFromTheHeroAtTheCastsHitFrame)
{
    kalder_test::ResetCore();
    auto drives = std::make_unique<kalder_test::TempDrives>("CD");
    ASSERT_TRUE(kalder_test::WriteDemoInstallation(*drives));
    std::vector<kalder_test::KeyEvent> keys;
    ASSERT_EQ(kalder_test::ParseKeyScript("10 down 1\n13 up 1\n", keys), "");
    kalder_test::PlayOptions options;
    std::string trace;
    kalder_test::ScriptedRun(options, keys, kFrames, &trace);
    Bolt bolt;
    options.after_frame = [&bolt, previous = options.after_frame](int frame, const std::string &held) {
        previous(frame, held);
        bool flying = false;
        for (const ActorRecord &p : ACTOR_Projectiles) {
            if ((p.flags[0] & ACTOR_F0_IN_USE) != 0 && p.physics_mode == MIS_TYPE_BOLT) {
                flying = true;
                if (bolt.launched_at < 0) {
                    bolt.launched_at = frame;
                    for (int i = 0; i < 3; i++) {
                        bolt.start[i] = p.position[i];
                    }
                }
            }
        }
        if (frame == kFrames - 1) {
            bolt.in_flight_at_end = flying;
        }
    };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(bolt.launched_at, kLaunchFrame);
    EXPECT_TRUE(bolt.in_flight_at_end);
    EXPECT_TRUE(kalder_test::MatchesGolden("mis-cast-640x480", result.last_frame.data(), result.width, result.height,
                                           false));
    drives.reset();
    kalder_test::ResetCore();
}

} // namespace
