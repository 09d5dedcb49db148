// The hero moved by a key script through the whole program headless, and the key scripts themselves.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "plat/input.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/demo_level.h"
#include "tests/support/golden.h"
#include "tests/support/key_script.h"
#include "tests/support/play_run.h"
#include "tests/support/play_trace.h"
#include "tests/support/temp_drives.h"
#include "engine3d/object.h"
#include "interface/menu.h"
#include "world/actor.h"
#include "world/anim.h"

namespace {

using kalder_test::KeyEvent;

struct CoreReset {
    ~CoreReset() { kalder_test::ResetCore(); }
};

TEST(KeyScript, ReadsEventsAndRefusesBadLinesByNumber)
{
    struct Case {
        const char *text;
        const char *refusal; // "" when the script is good
        size_t events;
    };
    const Case cases[] = {
        {"# frame down|up key\n10 down Up\n\n90 up Up # done\n", "", 2},
        {"0 down Escape\r\n0 up Escape\r\n5 down 3\n", "", 3},
        {"12 sideways Up\n", "bad key script line 1: 12 sideways Up\n", 0},
        {"1 down Up\n2 down Shift\n", "bad key script line 2: 2 down Shift\n", 0},
        {"5 down Up\n4 up Up\n", "bad key script line 2: 4 up Up\n", 0},       // frames go back
        {"-1 down Up\n", "bad key script line 1: -1 down Up\n", 0},
        {"3 down\n", "bad key script line 1: 3 down\n", 0},
        {"3 down Up Left\n", "bad key script line 1: 3 down Up Left\n", 0},
        {"x3 down Up\n", "bad key script line 1: x3 down Up\n", 0},
        {"99999999999 down Up\n", "bad key script line 1: 99999999999 down Up\n", 0},
    };
    for (const Case &c : cases) {
        std::vector<KeyEvent> events;
        EXPECT_EQ(kalder_test::ParseKeyScript(c.text, events), c.refusal) << c.text;
        EXPECT_EQ(events.size(), c.events) << c.text;
    }
}

TEST(KeyScript, PlayerPressesAndReleasesOnTheirFrames)
{
    std::vector<KeyEvent> events;
    ASSERT_EQ(kalder_test::ParseKeyScript("2 down Up\n2 down Alt\n4 up Up\n6 down 1\n", events), "");
    test::KeysReset();
    kalder_test::KeyScriptPlayer player(events);
    const char *held[] = {"-", "-", "Up+Alt", "Up+Alt", "Alt", "Alt", "Alt+1"};
    for (int frame = 0; frame < 7; frame++) {
        player.Apply(frame);
        EXPECT_EQ(player.Held(), held[frame]) << frame;
    }
    EXPECT_EQ(PLAT_KeyState(0x26) & 0x8000, 0);
    EXPECT_NE(PLAT_KeyState(0x12) & 0x8000, 0);
    test::KeysReset();
}

// One frame of the trace, as read back.
struct Row {
    int frame;
    std::string held;
    double x, y, z;
    int heading, pitch, tilt, mode, anim;
    double anim_frame, life, gauge, air;
    int projectiles;
};

std::vector<Row> ReadTrace(const std::string &text)
{
    std::vector<Row> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        Row r{};
        std::string coll, measure, fb2, fb4, fb7, landing, takeoff;
        words >> r.frame >> r.held >> r.x >> r.y >> r.z >> r.heading >> r.pitch >> r.tilt >> r.mode >> r.anim >>
            r.anim_frame >> r.life >> r.gauge >> r.air >> coll >> measure >> fb2 >> fb4 >> fb7 >> landing >> takeoff >>
            r.projectiles;
        rows.push_back(r);
    }
    return rows;
}

TEST(MovesDemo, TheScriptedHeroWalksTurnsJumpsCrouchesCastsAndOpensTheMenu)
{
    kalder_test::ResetCore();
    const CoreReset reset;
    kalder_test::TempDrives drives("CD");
    ASSERT_TRUE(kalder_test::WriteDemoInstallation(drives));
    std::vector<KeyEvent> keys;
    ASSERT_EQ(kalder_test::LoadKeyScript(KALDER_MOVES_SCRIPT, keys), "");
    std::string trace;
    kalder_test::PlayOptions options;
    kalder_test::ScriptedRun(options, keys, 260, &trace);
    // What the trace does not show: the menu request and the menu reached at half of animation 24.
    int menu_request_frame = -1, menu_reached_frame = -1;
    std::vector<std::array<double, 2>> shoulders, positions; // in x and z, frame by frame
    const int32_t menu_runs = MENU_RunCalls;
    const auto trace_frame = options.after_frame;
    options.after_frame = [&](int frame, const std::string &held) {
        trace_frame(frame, held);
        if (menu_request_frame < 0 && ANIM_MenuRequest == 1) {
            menu_request_frame = frame;
        }
        if (menu_reached_frame < 0 && MENU_RunCalls > menu_runs) {
            menu_reached_frame = frame;
        }
        // The hero's shoulders, as the line between its hands' nodes.
        const ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
        int32_t right[3] = {}, left[3] = {};
        Get_Obj_World_Pos(hero.node + 3, right);
        Get_Obj_World_Pos(hero.node + 4, left);
        shoulders.push_back({double(right[0] - left[0]), double(right[2] - left[2])});
        positions.push_back({hero.position[0], hero.position[2]});
    };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    EXPECT_EQ(result.exit_code, 0);
    const std::vector<Row> rows = ReadTrace(trace);
    ASSERT_EQ(rows.size(), 260u);

    // 10-69: the walk moves the hero along x every frame once the blend is done; y and z stay.
    int walked = 0;
    for (int f = 20; f < 70; f++) {
        EXPECT_EQ(rows[size_t(f)].anim, 4) << f;
        EXPECT_GT(rows[size_t(f)].x, rows[size_t(f - 1)].x) << f;
        EXPECT_EQ(rows[size_t(f)].y, rows[10].y) << f;
        EXPECT_EQ(rows[size_t(f)].z, rows[10].z) << f;
        walked++;
    }
    EXPECT_EQ(walked, 50);
    // The hero faces its walk: its shoulders lie across the way it goes, within the torso's sway of
    // 8 degrees, and not along it, as a model built sideways would show them.
    ASSERT_EQ(shoulders.size(), 260u);
    for (size_t f = 20; f < 70; f++) {
        const double wx = positions[f][0] - positions[f - 1][0], wz = positions[f][1] - positions[f - 1][1];
        const double sx = shoulders[f][0], sz = shoulders[f][1];
        const double along = std::fabs(wx * sx + wz * sz) / (std::hypot(wx, wz) * std::hypot(sx, sz));
        EXPECT_LT(along, std::sin(10.0 * 3.14159265358979 / 180.0)) << f;
        EXPECT_GT(std::hypot(sx, sz), 150.0) << f;
    }
    // 70-89: the heading turns every frame, one way.
    for (int f = 72; f < 90; f++) {
        EXPECT_LT(rows[size_t(f)].heading, rows[size_t(f - 1)].heading) << f;
    }
    // 100-130: the standing jump goes up and comes back within a unit.
    const double standing = rows[99].y;
    double top = standing;
    bool jumped = false;
    for (int f = 100; f <= 130; f++) {
        jumped = jumped || rows[size_t(f)].anim == 9;
        top = std::min(top, rows[size_t(f)].y);
    }
    EXPECT_TRUE(jumped);
    EXPECT_LT(top, standing - 50.0);
    EXPECT_NEAR(rows[130].y, standing, 1.0);
    // The running jump at 140.
    bool ran = false;
    for (int f = 140; f < 146; f++) {
        ran = ran || rows[size_t(f)].anim == 11;
    }
    EXPECT_TRUE(ran);
    // The crouch while Down is held.
    for (int f = 173; f < 186; f++) {
        EXPECT_EQ(rows[size_t(f)].anim, 26) << f;
    }
    // The cast at 203: animation 32, a projectile in flight at its hit frame, the gauge down by 20.
    int cast = -1;
    for (int f = 203; f < 210 && cast < 0; f++) {
        cast = rows[size_t(f)].anim == 32 ? f : -1;
    }
    ASSERT_GE(cast, 0);
    bool flying = false;
    double drop = 0.0;
    for (int f = cast; f < cast + 22; f++) {
        flying = flying || rows[size_t(f)].projectiles > 0;
        drop = std::max(drop, rows[size_t(f - 1)].gauge - rows[size_t(f)].gauge);
    }
    EXPECT_TRUE(flying);
    EXPECT_NEAR(drop, 20.0, 3.5) << "the cast's price, less a frame's regeneration";
    // Escape at 240: the menu request and animation 24, and at half of it the in-game menu.
    EXPECT_GE(menu_request_frame, 240);
    EXPECT_LT(menu_request_frame, 243);
    EXPECT_EQ(rows[245].anim, 24);
    EXPECT_GT(menu_reached_frame, menu_request_frame + 5);
    EXPECT_LT(menu_reached_frame, 260);
    EXPECT_TRUE(kalder_test::MatchesGoldenText("moves-demo", trace));
}

} // namespace
