// Casts on the demo installation, through the whole program headless: the hero's bolt (type 0x1 from
// its second spell slot, key 1) in flight ahead of it, and the follow camera over the hero's shoulder
// in its fight stance and in the high preset of Alt+9.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/opt.h"
#include "engine3d/object.h"
#include "plat/test.h"
#include "tests/support/demo_level.h"
#include "tests/support/golden.h"
#include "tests/support/key_script.h"
#include "tests/support/play_run.h"
#include "tests/support/play_trace.h"
#include "tests/world/demo_run_fixture.h"
#include "world/actor.h"
#include "world/fgt.h"
#include "world/mis.h"

namespace {

// Each run on a fresh core and demo installation.
using CastDemoTest = demo_run_test::DemoRunTest;

// Key 1 pressed at frame 10 and released at 13 starts the cast (animation 32) at frame 14; the bolt
// leaves at the animation's hit frame, 25. It flies about the hero's radius a frame straight away from
// the camera behind the hero, so that the hero's body hides it on screen in the run's last frame.
constexpr int kFrames = 33;
constexpr int kLaunchFrame = 25;
// The stance run: the walk ends at frame 57; the creature has come near by the cast.
constexpr int kStanceCast = 200;
constexpr int kStanceGolden = 195;
constexpr int kStanceFrames = 240;

struct Bolt {
    int launched_at = -1;
    bool in_flight_at_end = false;
    double start[3] = {0, 0, 0};
};

TEST_F(CastDemoTest, TheBoltFliesFromTheHeroAtTheCastsHitFrame)
{
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
}

// The lower part of the 3D view, a few rows above the bottom band that the HUD lies on: lit across
// its width wherever the floor's checker (or what stands on it) is drawn, black where the camera sees
// the void under the floor.
bool FloorBelow(const std::vector<uint16_t> &pixels, int width, int height, std::string *dark)
{
    for (int row : {height * 13 / 16, height * 27 / 32}) {
        for (int i = 0; i < 8; i++) {
            const int x = width / 16 + i * width / 8;
            if (pixels[size_t(row) * size_t(width) + size_t(x)] == 0) {
                *dark = "row " + std::to_string(row) + " x " + std::to_string(x);
                return false;
            }
        }
    }
    return true;
}

// How far ahead of the root camera a point lies, along the way it looks.
double DepthBeforeCamera(const double *point)
{
    int32_t m[9], camera[3];
    Get_Obj_Matrix(0, m);
    Get_Obj_Pos(0, camera);
    double depth = 0;
    for (int i = 0; i < 3; i++) {
        depth += (point[i] - camera[i]) * m[i * 3 + 2] / 32768.0;
    }
    return depth;
}

// Walked forward for 2 s, the hero meets the creature and takes its fight stance by itself; then key 1
// casts its bolt. In every frame the floor covers the lower part of the view, and the bolt flies away
// from the camera, into the scene.
TEST_F(CastDemoTest, TheStanceAndTheBoltAreFilmedFromBehindAndAbove)
{
    std::vector<kalder_test::KeyEvent> keys;
    ASSERT_EQ(kalder_test::ParseKeyScript("0 down Up\n57 up Up\n" + std::to_string(kStanceCast) + " down 1\n" +
                                              std::to_string(kStanceCast + 3) + " up 1\n",
                                          keys),
              "");
    kalder_test::PlayOptions options;
    std::string trace;
    kalder_test::ScriptedRun(options, keys, kStanceFrames, &trace);
    // The creature's coming is to take the hero into its stance, as in play: no manual fight option.
    options.at_first_frame = [previous = options.at_first_frame] {
        previous();
        FGT_FightOption = 0;
    };
    int stance_at = -1;
    std::vector<std::string> dark_frames;
    std::vector<double> bolt_depths;
    std::vector<uint16_t> stance_frame;
    options.after_frame = [&](int frame, const std::string &) {
        const ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
        if (stance_at < 0 && (hero.flags[4] & FGT_F4_STANCE) != 0) {
            stance_at = frame;
        }
        const std::vector<test::Present> &presents = test::Presents();
        if (!presents.empty()) {
            const test::Present &shown = presents.back();
            std::string dark;
            if (!FloorBelow(shown.pixels, shown.width, shown.height, &dark)) {
                dark_frames.push_back(std::to_string(frame) + ": " + dark);
            }
            if (frame == kStanceGolden) {
                stance_frame = shown.pixels;
            }
        }
        for (const ActorRecord &p : ACTOR_Projectiles) {
            if ((p.flags[0] & ACTOR_F0_IN_USE) != 0 && p.physics_mode == MIS_TYPE_BOLT) {
                bolt_depths.push_back(DepthBeforeCamera(p.position));
            }
        }
    };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_GE(stance_at, 0) << "the creature's coming takes the hero into its stance";
    EXPECT_LT(stance_at, kStanceGolden);
    EXPECT_TRUE(dark_frames.empty()) << "frames without the floor below: " << dark_frames.front();
    ASSERT_GE(bolt_depths.size(), 3u) << "the bolt flies";
    for (size_t i = 1; i < bolt_depths.size(); i++) {
        EXPECT_GT(bolt_depths[i], bolt_depths[i - 1]) << "away from the camera, frame " << i << " of its flight";
    }
    EXPECT_GT(bolt_depths.front(), 0.0) << "in front of the camera from its launch";
    ASSERT_FALSE(stance_frame.empty());
    EXPECT_TRUE(kalder_test::MatchesGolden("demo-stance-640x480", stance_frame.data(), 640, 480, false));
}

// Alt+9 chooses camera preset 4: 800 above the hero and 226 behind it, looking steeply down over its
// head at the floor ahead.
TEST_F(CastDemoTest, AltNineFilmsTheHeroFromHighAbove)
{
    std::vector<kalder_test::KeyEvent> keys;
    ASSERT_EQ(kalder_test::ParseKeyScript("5 down Alt\n5 down 9\n8 up 9\n8 up Alt\n", keys), "");
    kalder_test::PlayOptions options;
    std::string trace;
    kalder_test::ScriptedRun(options, keys, 40, &trace);
    int32_t preset = -1;
    double rise = 0; // the camera's height over the hero's
    options.after_frame = [&](int, const std::string &) {
        preset = OPT_CameraPreset;
        int32_t camera[3];
        Get_Obj_Pos(0, camera);
        rise = ACTOR_Slots[ACTOR_HERO].position[1] - camera[1];
    };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(preset, 4);
    EXPECT_GT(rise, 700.0) << "high above the hero";
    std::string dark;
    EXPECT_TRUE(FloorBelow(result.last_frame, result.width, result.height, &dark)) << dark;
    EXPECT_TRUE(kalder_test::MatchesGolden("demo-preset9-640x480", result.last_frame.data(), result.width,
                                           result.height, false));
    OPT_CameraPreset = 0;
}

} // namespace
