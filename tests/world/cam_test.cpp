// The camera: its events and queue, the presets, the follow camera's placement, smoothing, close
// quarters, look control, sway and the scripted shots, seen through the root camera and the module state.
#include <cmath>
#include <vector>

#include "core/fconv.h"
#include "core/inp.h"
#include "core/opt.h"
#include "engine3d/maths.h"
#include "engine3d/view.h"
#include "tests/support/camera_pictures.h"
#include "tests/world/anim_fixture.h"
#include "world/cam.h"
#include "world/ctrl.h"
#include "world/prj.h"

using namespace anim_test;

namespace {

constexpr double kAngle = 0.001533980787885596;

struct Camera : Figure {
    int32_t at[3] = {1000, 0, 2000}; // the subject's node

    void SetUp() override
    {
        Figure::SetUp();
        Start();
        Put(at);
        kalder_test::ResetCameraWorld();
        ACTOR_InitRecord(&ACTOR_Slots[ACTOR_HERO]);
        ASSERT_EQ(CAM_Init(), 1);
        CAM_LoadPreset();
    }
    void TearDown() override
    {
        CAM_Exit();
        Figure::TearDown();
    }
    void Put(const int32_t *p)
    {
        for (int i = 0; i < 3; i++) {
            at[i] = p[i];
        }
        Set_Obj_Pos(actor.node, at);
    }
    // The follow camera snapped onto the subject, as the level load leaves it.
    void Follow(int32_t heading = 0)
    {
        actor.heading = heading;
        CAM_PostEvent('+', reinterpret_cast<intptr_t>(&actor), 0);
        CAM_CompCameraPos();
        ASSERT_EQ(CAM_Mode, CAM_FOLLOW);
    }
    static std::vector<int32_t> Root()
    {
        std::vector<int32_t> p(3);
        Get_Obj_Pos(0, p.data());
        return p;
    }
    // The third column of the root camera's matrix: the way it looks.
    static std::vector<int32_t> Looking()
    {
        int32_t m[9];
        Get_Obj_Matrix(0, m);
        return {m[2], m[5], m[8]};
    }
    // Where the root camera shows a world point on a 640 x 480 screen; false when it lies behind.
    static bool Screen(const double *point, int32_t *x, int32_t *y)
    {
        OBJ_View.focal_x = 320;
        OBJ_View.focal_y = 320;
        OBJ_View.centre_x = 320;
        OBJ_View.centre_y = 240;
        int32_t m[9];
        Get_Obj_Matrix(0, m);
        const std::vector<int32_t> c = Root();
        const double d[3] = {point[0] - c[0], point[1] - c[1], point[2] - c[2]};
        int32_t view[3];
        for (int col = 0; col < 3; col++) {
            view[col] = int32_t(std::lround((m[col] * d[0] + m[3 + col] * d[1] + m[6 + col] * d[2]) / 32768.0));
        }
        if (view[2] <= 0) {
            return false;
        }
        Project_Point(view, x, y);
        return true;
    }
    static std::vector<int32_t> Unit(const int32_t *from, const int32_t *to)
    {
        int32_t d[3] = {to[0] - from[0], to[1] - from[1], to[2] - from[2]}, u[3];
        Vec_Normalise(d, u);
        return {u[0], u[1], u[2]};
    }
};

} // namespace

TEST_F(Camera, EachEventStartsItsModeWithItsArguments)
{
    ActorRecord other;
    ACTOR_InitRecord(&other);
    other.node = Clone_Obj(figure);
    const int32_t there[3] = {-500, -100, 300};
    Set_Obj_Pos(other.node, there);
    static CAM_FixedRecord fixed = {{1, 2, 3}, {4, 5, 6}, 30};
    static CAM_ShotRecord shot = {{7, 8, 9}, nullptr, 40};
    static CAM_ObjectRecord on = {nullptr, {10, 11, 12}, 50};
    shot.subject = &other;
    on.object = &other;

    Follow();
    CAM_PostEvent(',', reinterpret_cast<intptr_t>(&fixed), 0);
    CAM_CompCameraPos();
    EXPECT_EQ(CAM_Mode, CAM_FIXED);
    EXPECT_EQ(Root(), (std::vector<int32_t>{1, 2, 3})) << "the fixed camera is set at once";
    EXPECT_EQ(CAM_Fixed.aim[2], 6);
    EXPECT_EQ(CAM_Fixed.timer, 30.0f);

    fixed.camera[0] = 99; // the poster may rewrite its record
    EXPECT_EQ(CAM_Fixed.camera[0], 1);

    CAM_PostEvent('-', reinterpret_cast<intptr_t>(&shot), 0);
    CAM_CompCameraPos();
    EXPECT_EQ(CAM_Mode, CAM_SHOT);
    EXPECT_EQ(CAM_Shot.camera[1], 8);
    EXPECT_EQ(CAM_Shot.first, &other);
    EXPECT_EQ(CAM_Shot.timer, 40.0f);

    CAM_PostEvent('.', reinterpret_cast<intptr_t>(&other), reinterpret_cast<intptr_t>(&actor));
    CAM_CompCameraPos();
    EXPECT_EQ(CAM_Mode, CAM_OBJECT_PAIR);
    EXPECT_EQ(CAM_Pair.first, &other);
    EXPECT_EQ(CAM_Pair.second, &actor);
    EXPECT_EQ(CAM_Pair.timer, 90.0f);

    CAM_PostEvent('/', reinterpret_cast<intptr_t>(&on), 0);
    CAM_CompCameraPos();
    EXPECT_EQ(CAM_Mode, CAM_ON_OBJECT);
    EXPECT_EQ(CAM_OnObject.first, &other);
    EXPECT_EQ(CAM_OnObject.aim[1], 11);
    EXPECT_EQ(CAM_OnObject.timer, 50.0f);

    CAM_PostEvent('0', reinterpret_cast<intptr_t>(&other), 0);
    CAM_CompCameraPos();
    EXPECT_EQ(CAM_Mode, CAM_OVERHEAD);
    EXPECT_EQ(CAM_Overhead.subject, &other);

    CAM_PostEvent('1', reinterpret_cast<intptr_t>(&other), 0);
    CAM_CompCameraPos();
    EXPECT_EQ(CAM_Mode, CAM_FREE_FLY);
    EXPECT_EQ(CAM_FreeFly.position[0], -800);
    EXPECT_EQ(CAM_FreeFly.position[1], -100);
    EXPECT_EQ(CAM_FreeFly.position[2], 300);
    EXPECT_EQ(CAM_FreeFly.speed, 1024);

    CAM_PostEvent('+', reinterpret_cast<intptr_t>(&other), 0);
    CAM_CompCameraPos();
    EXPECT_EQ(CAM_Mode, CAM_FOLLOW);
    EXPECT_EQ(CAM_Follow.subject, &other);
    EXPECT_EQ(CAM_LastSubject, &other);
    Delete_Obj(other.node);
}

TEST_F(Camera, EventsOfOneFrameRunInOrderWithoutAnUpdate)
{
    Follow();
    const std::vector<int32_t> before = Root();
    Put(std::vector<int32_t>{0, 0, 0}.data());
    CAM_EnableLook();
    CAM_EnableCollision();
    CAM_PostEvent('0', 0, 0);
    CAM_PostEvent('1', 0, 0);
    CAM_CompCameraPos();
    EXPECT_EQ(CAM_Mode, CAM_FREE_FLY) << "overhead, then free fly";
    EXPECT_EQ(CAM_ManualLook, 0);
    EXPECT_EQ(CAM_Collision, 0);
    EXPECT_EQ(Root(), before) << "no update in a frame with events";
}

TEST_F(Camera, QueueHoldsTenEventsAndTogglesGoBack)
{
    Follow();
    for (int i = 0; i < 11; i++) {
        CAM_PostEvent('0', reinterpret_cast<intptr_t>(&actor), 0);
    }
    CAM_CompCameraPos();
    EXPECT_EQ(CAM_Mode, CAM_FOLLOW) << "ten toggles ran, the eleventh was dropped";

    for (int code : {'0', '1'}) {
        CAM_PostEvent(code, reinterpret_cast<intptr_t>(&actor), 0);
        CAM_CompCameraPos();
        EXPECT_NE(CAM_Mode, CAM_FOLLOW);
        CAM_PostEvent(code, reinterpret_cast<intptr_t>(&actor), 0);
        CAM_CompCameraPos();
        EXPECT_EQ(CAM_Mode, CAM_FOLLOW) << char(code);
    }
}

TEST_F(Camera, UnknownEventStops)
{
    for (int code : {'2', '*'}) {
        SCOPED_TRACE(char(code));
        CAM_PostEvent(code, 0, 0);
        try {
            CAM_CompCameraPos();
            FAIL() << "no stop";
        } catch (const test::ExitCalled &exit) {
            EXPECT_EQ(exit.code, 999);
        }
        ASSERT_FALSE(test::MessageBoxes().empty());
        EXPECT_EQ(test::MessageBoxes().back().text, "Kalder Internal Error : unknown event in CAM_CompCameraPos");
        ASSERT_EQ(CAM_Init(), 1);
    }
}

TEST_F(Camera, NoActorMeansTheHeroOrWhatItSteers)
{
    ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
    hero.node = actor.node;
    CAM_PostEvent('+', 0, 0);
    CAM_CompCameraPos();
    EXPECT_EQ(CAM_Follow.subject, &hero);

    hero.coupled = &actor;
    CAM_PostEvent('+', 0, 0);
    CAM_CompCameraPos();
    EXPECT_EQ(CAM_Follow.subject, &actor);

    // A timer running out returns to the last subject.
    static CAM_FixedRecord fixed = {{0, 0, 0}, {0, 0, 1}, 0};
    hero.coupled = nullptr;
    CAM_PostEvent(',', reinterpret_cast<intptr_t>(&fixed), 0);
    CAM_CompCameraPos();
    CAM_CompCameraPos();
    CAM_CompCameraPos();
    EXPECT_EQ(CAM_Mode, CAM_FOLLOW);
    EXPECT_EQ(CAM_Follow.subject, &actor);

    // A record of nothing starts nothing.
    CAM_PostEvent(',', 0, 0);
    CAM_PostEvent('-', 0, 0);
    CAM_PostEvent('/', 0, 0);
    CAM_CompCameraPos();
    EXPECT_EQ(CAM_Mode, CAM_FOLLOW);
}

TEST_F(Camera, PresetsAndProjectOverrides)
{
    for (int32_t index = 0; index < CAM_PRESET_COUNT; index++) {
        OPT_CameraPreset = index;
        CAM_LoadPreset();
        const int32_t *row = CAM_Presets[index];
        EXPECT_EQ((std::vector<int32_t>{CAM_A, CAM_B, CAM_C, CAM_D, CAM_E, CAM_F, CAM_AimDivisor}),
                  (std::vector<int32_t>(row, row + 7)))
            << index;
        EXPECT_EQ(CAM_FixedHeading, index == 5 ? 1 : 0) << "only a word of 1 fixes the heading";
    }
    OPT_CameraPreset = 9;
    CAM_LoadPreset();
    EXPECT_EQ(CAM_C, 528) << "an index past the table reads preset 0";
    EXPECT_EQ(CAM_FixedHeading, 0);

    OPT_CameraPreset = 0;
    for (int field = 0; field < 7; field++) {
        SCOPED_TRACE(field);
        PRJ_CurrentRecord = LevelRecord{};
        if (field < 6) {
            PRJ_Current->camera_preset[field] = 7;
        } else {
            PRJ_Current->camera_distance = 7;
        }
        CAM_LoadPreset();
        const int32_t got[7] = {CAM_A, CAM_B, CAM_C, CAM_D, CAM_E, CAM_F, CAM_AimDivisor};
        for (int i = 0; i < 7; i++) {
            EXPECT_EQ(got[i], i == field ? 7 : CAM_Presets[0][i]) << i;
        }
    }
    OPT_CameraPreset = 1;
    CAM_LoadPreset();
    EXPECT_EQ(CAM_AimDivisor, 4) << "only preset 0 takes the project's values";
}

// The subject faces (cos h, sin h) with h = (4096 - heading) in 12-bit units, as its bearings and its
// launches take it: the camera stands |F| above its node and behind it, the aim point ahead of it.
TEST_F(Camera, SnapPlacesAboveAndBehindTheSubjectByHeading)
{
    const struct {
        int32_t heading;
        int32_t camera[2];
        int32_t aim[2];
    } cases[] = {
        {0, {-1024, 0}, {528, 0}},
        {1024, {0, 1024}, {0, -528}},
        {2048, {1024, 0}, {-528, 0}},
        {3072, {0, -1024}, {0, 528}},
        {300, {-917, 455}, {473, -234}},
    };
    for (int32_t preset : {0, 3, 4}) {
        OPT_CameraPreset = preset;
        CAM_LoadPreset();
        const double scale_camera = CAM_A / 1024.0, scale_aim = CAM_C / 528.0;
        for (const auto &c : cases) {
            SCOPED_TRACE(testing::Message() << "preset " << preset << ", heading " << c.heading);
            Follow(c.heading);
            EXPECT_EQ(CAM_Follow.camera[1] - at[1], CAM_F) << "|F| above the node";
            EXPECT_EQ(CAM_Follow.aim[1], at[1]) << "the aim at the node's height";
            EXPECT_NEAR(CAM_Follow.camera[0] - at[0], c.camera[0] * scale_camera, 2.0);
            EXPECT_NEAR(CAM_Follow.camera[2] - at[2], c.camera[1] * scale_camera, 2.0);
            EXPECT_NEAR(CAM_Follow.aim[0] - at[0], c.aim[0] * scale_aim, 2.0);
            EXPECT_NEAR(CAM_Follow.aim[2] - at[2], c.aim[1] * scale_aim, 2.0);
            const double h = (4096 - c.heading) * kAngle, facing[2] = {std::cos(h), std::sin(h)};
            const double behind = (CAM_Follow.camera[0] - at[0]) * facing[0] + (CAM_Follow.camera[2] - at[2]) * facing[1];
            const double ahead = (CAM_Follow.aim[0] - at[0]) * facing[0] + (CAM_Follow.aim[2] - at[2]) * facing[1];
            EXPECT_LT(behind, 0.0) << "the camera behind the subject";
            EXPECT_GT(ahead, 0.0) << "the aim ahead of it";
            EXPECT_EQ(Root(), (std::vector<int32_t>(CAM_Follow.camera, CAM_Follow.camera + 3)));
        }
    }
    OPT_CameraPreset = 0;
}

TEST_F(Camera, SubjectLiesOnTheCentreColumn)
{
    for (int32_t heading : {0, 1024, 2048, 3072, 300}) {
        SCOPED_TRACE(heading);
        Follow(heading);
        CAM_CompCameraPos();
        const double node[3] = {double(at[0]), double(at[1]), double(at[2])};
        int32_t x, y;
        ASSERT_TRUE(Screen(node, &x, &y)) << "in front of the camera";
        EXPECT_NEAR(x, 320, 1);
    }
}

// On a flat floor 160 below the subject's node (the demo hero's pelvis over its floor), every preset
// and every stance keeps the camera above the floor, and shows the floor under the subject's feet and
// before it in the lower part of the screen.
TEST_F(Camera, EveryPresetAndStanceFilmsTheFloorFromAbove)
{
    const double floor = at[1] + 160.0;
    const struct {
        const char *what;
        int32_t anim;
        uint8_t flags4, coll0;
    } stances[] = {
        {"walking", 4, 0, 0},
        {"fight stance (pitch steering)", 0, ACTOR_F4_PITCH_STEERING, 0},
        {"animation 46", 46, 0, 0},
        {"animation 25 with contact A", 25, 0, ACTOR_C0_CONTACT_A},
        {"animation 41 with contact A", 41, 0, ACTOR_C0_CONTACT_A},
        {"animation 42 with contact A", 42, 0, ACTOR_C0_CONTACT_A},
    };
    for (int32_t preset = 0; preset < CAM_PRESET_COUNT; preset++) {
        for (const auto &stance : stances) {
            SCOPED_TRACE(testing::Message() << "preset " << preset << ", " << stance.what);
            OPT_CameraPreset = preset;
            CAM_LoadPreset();
            actor.physics_mode = 1;
            actor.current_anim = stance.anim;
            actor.flags[4] = stance.flags4;
            actor.coll_flags[0] = stance.coll0;
            actor.pitch = 0;
            Follow(300);
            for (int frame = 0; frame < 30; frame++) {
                CAM_CompCameraPos();
            }
            EXPECT_LT(Root()[1], at[1]) << "above the subject's node";
            // The floor a little ahead of the subject lies in the lower half of the screen.
            const double h = (4096 - 300) * kAngle;
            const double spot[3] = {at[0] + std::cos(h) * 300, floor, at[2] + std::sin(h) * 300};
            int32_t x, y;
            ASSERT_TRUE(Screen(spot, &x, &y)) << "the floor ahead lies before the camera";
            EXPECT_GT(y, 240);
            EXPECT_LT(y, 480);
            EXPECT_GE(x, 0);
            EXPECT_LT(x, 640);
            // The middle of the bottom row looks down onto the floor near the subject.
            int32_t m[9];
            Get_Obj_Matrix(0, m);
            const double ray[3] = {0.0, 239.0 / 320.0, 1.0};
            double world[3];
            for (int row = 0; row < 3; row++) {
                world[row] = m[row * 3] * ray[0] + m[row * 3 + 1] * ray[1] + m[row * 3 + 2] * ray[2];
            }
            ASSERT_GT(world[1], 0.0) << "the bottom row looks downward";
            const std::vector<int32_t> c = Root();
            const double t = (floor - c[1]) / world[1];
            EXPECT_LT(std::hypot(c[0] + t * world[0] - at[0], c[2] + t * world[2] - at[2]), 2000.0);
        }
    }
    OPT_CameraPreset = 0;
}

TEST_F(Camera, CameraHalvesItsWayAndHoldsStillAgainstJitter)
{
    Follow();
    const int32_t target = CAM_Follow.camera[0];
    CAM_Follow.camera[0] += 1024;
    std::vector<int32_t> distances;
    for (int i = 0; i < 9; i++) {
        CAM_CompCameraPos();
        distances.push_back(CAM_Follow.camera[0] - target);
    }
    EXPECT_EQ(distances, (std::vector<int32_t>{512, 256, 128, 64, 32, 16, 8, 8, 8}));
}

TEST_F(Camera, CloseQuartersPullsIn)
{
    const struct {
        const char *what;
        int32_t d;
        int32_t a, b, g;
        int32_t height;
    } cases[] = {
        {"d 400: A and B scale", 400, 776, 588, 4, 80 + 154},
        {"d 300: divisor 2", 300, 582, 331, 2, round_i32(80 + 228 * 1.2)},
        {"d 200: divisor 1", 200, 388, 147, 1, round_i32(80 + 328 * 1.2)},
        {"d 100: taken as 105.6 for the height", 100, 194, 37, 1, round_i32(80 + (528 - 105.6) * 1.2)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Follow();
        CAM_Follow.aim[0] = at[0] + c.d;
        CAM_Follow.aim[2] = at[2];
        CAM_NearAdjust();
        EXPECT_EQ(CAM_Close, 1);
        EXPECT_EQ(CAM_A, c.a);
        EXPECT_EQ(CAM_B, c.b);
        EXPECT_EQ(CAM_AimDivisor, c.g);
        EXPECT_EQ(CAM_Follow.aim[1], at[1] + c.height) << "the nearer, the lower the aim below the node";
        actor.flags[4] |= ACTOR_F4_PITCH_STEERING;
        CAM_NearAdjust();
        EXPECT_EQ(CAM_Follow.aim[1], at[1] + c.height + 80) << "a pitch-steering subject: 80 lower still";
        actor.flags[4] = 0;
    }

    const struct {
        const char *what;
        int32_t physics_mode, anim;
        bool look;
    } none[] = {
        {"swimming", 2, 0, false}, {"look control", 1, 0, true}, {"anim 25", 1, 25, false},
        {"anim 41", 1, 41, false}, {"anim 42", 1, 42, false},
    };
    for (const auto &c : none) {
        SCOPED_TRACE(c.what);
        Follow();
        actor.physics_mode = c.physics_mode;
        actor.current_anim = c.anim;
        CAM_Follow.aim[0] = at[0] + 200;
        CAM_Follow.aim[2] = at[2];
        CAM_ManualLook = c.look ? 1 : 0;
        CAM_NearAdjust();
        EXPECT_EQ(CAM_Close, 0);
        EXPECT_EQ(CAM_A, 1024);
        actor.physics_mode = 1;
        actor.current_anim = 0;
    }

    // Look control ends with the placement, so close quarters apply while the player looks around.
    Follow();
    CAM_Follow.aim[0] = at[0] + 200;
    CAM_Follow.aim[2] = at[2];
    CAM_EnableLook();
    CAM_CompCameraPos();
    EXPECT_EQ(CAM_ManualLook, 0);
    EXPECT_EQ(CAM_Close, 1) << "close quarters while looking around";
}

TEST_F(Camera, AimHeightLeadsBySpeedWithinBounds)
{
    // Snap placements: the subject's height is at[1] = 0.
    const struct {
        const char *what;
        int32_t e, f, speed;
        bool look;
        int32_t aim;
    } cases[] = {
        {"E = F, still", -80, -80, 0, false, 0},
        {"E = F, fast", -80, -80, 30, false, 0},
        {"E = F, fast, look on", -80, -80, 30, true, 0},
        {"speed raises the aim, look on", -80, -200, 30, true, -3},
        {"the same, still", -80, -200, 0, true, 0},
        {"look off, within the bounds", -80, -200, 30, false, -3},
        {"look off: held at the bound", -80, -200, 2000, false, -120},
        {"look on: not held", -80, -200, 2000, true, -200},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        PRJ_Current->camera_preset[4] = c.e;
        PRJ_Current->camera_preset[5] = c.f;
        CAM_LoadPreset();
        actor.motion_vector[0] = c.speed;
        CAM_Mode = CAM_FOLLOW;
        CAM_Follow.subject = &actor;
        CAM_ManualLook = c.look ? 1 : 0;
        CAM_FollowSelect(true);
        EXPECT_EQ(CAM_Follow.speed, c.speed);
        EXPECT_EQ(CAM_Follow.aim[1], c.aim);
        EXPECT_EQ(CAM_Follow.camera[1], c.f) << "|F| above the node";
        if (!c.look) {
            EXPECT_GE(CAM_Follow.aim[1], CAM_Follow.camera[1] - c.e) << "at most |E| below the camera";
            EXPECT_LE(CAM_Follow.aim[1], CAM_Follow.camera[1] - c.f) << "at least |F| below it";
        }
    }
}

TEST_F(Camera, KeepCameraHeightHoldsCameraAndNearbyAim)
{
    Follow();
    actor.coll_flags[0] |= ACTOR_C0_KEEP_CAMERA;
    const int32_t camera_y = CAM_Follow.camera[1], aim_y = CAM_Follow.aim[1];
    actor.reference_height = aim_y;
    const int32_t up[3] = {at[0], at[1] - 400, at[2]};
    Put(up);
    CAM_EnableLook(); // no bounds around the held camera height
    CAM_CompCameraPos();
    EXPECT_EQ(CAM_Follow.camera[1], camera_y);
    EXPECT_EQ(CAM_Follow.aim[1], aim_y) << "within 300 of the reference height";

    actor.reference_height = aim_y - 1000;
    CAM_EnableLook();
    CAM_CompCameraPos();
    EXPECT_EQ(CAM_Follow.camera[1], camera_y);
    EXPECT_NE(CAM_Follow.aim[1], aim_y) << "far above the reference height";
}

TEST_F(Camera, LookControlTurnsWithinItsStops)
{
    const double step = 0.01745329251994278 * 3.0;
    const double quarter = 6.2831853071794 / 8;
    const struct {
        int32_t control;
        float *offset;
        double low, high; // where it stops
    } cases[] = {
        {CTRL_DOWN, &CAM_LookOffset, -1.5446163, -1.5446163},
        {CTRL_UP, &CAM_LookOffset, quarter, quarter},
        {CTRL_LEFT, &CAM_TurnOffset, -quarter - step, -quarter},
        {CTRL_RIGHT, &CAM_TurnOffset, quarter, quarter + step},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.control);
        Follow();
        CTRL_Controls[c.control] = CTRL_HELD;
        std::vector<float> offsets;
        for (int frame = 1; frame <= 60; frame++) {
            CAM_EnableLook();
            CAM_CompCameraPos();
            offsets.push_back(*c.offset);
        }
        EXPECT_GE(offsets.back(), c.low - 1e-6);
        EXPECT_LE(offsets.back(), c.high + 1e-6);
        EXPECT_EQ(offsets[29], offsets.back()) << "stopped by the 30th frame";
        EXPECT_NEAR(offsets[0], c.low < 0 ? -step : step, 1e-6);
        CTRL_Controls[c.control] = 0;
        CAM_CompCameraPos();
        EXPECT_EQ(*c.offset, 0.0f) << "a frame without look control";
        if (c.control == CTRL_DOWN) {
            EXPECT_NE(offsets[28], offsets[29]) << "down stops at the 30th frame, not before";
        }
    }

    EDT_Active = 1;
    CTRL_Controls[CTRL_DOWN] = CTRL_HELD;
    CAM_EnableLook();
    CAM_CompCameraPos();
    EXPECT_EQ(CAM_LookOffset, 0.0f) << "the editor keeps them 0";
}

// Down raises the camera on its arc and lowers the point it looks at by the look-down scale, for as long
// as it is held; the offset itself stays where the key left it.
TEST_F(Camera, LookingDownLowersTheViewWhileTheKeyIsHeld)
{
    Follow();
    CTRL_Controls[CTRL_DOWN] = CTRL_HELD;
    for (int frame = 1; frame <= 30; frame++) {
        CAM_EnableLook();
        CAM_CompCameraPos();
    }
    ASSERT_NEAR(CAM_LookOffset, -1.5446163, 1e-6);
    const int32_t lowered = 145; // the look-down scale at the stop
    EXPECT_NEAR(CAM_Follow.camera[1], at[1] - 80 + lowered + round_i32(std::sin(-1.5446163) * 1024), 5);
    EXPECT_LT(CAM_Follow.camera[1], at[1] - 900) << "the camera high above the subject";
    EXPECT_GT(CAM_Follow.aim[1], at[1] + lowered / 2) << "the aim on its way below the node";

    CTRL_Controls[CTRL_DOWN] = 0;
    for (int frame = 1; frame <= 60; frame++) {
        CAM_EnableLook();
        CAM_CompCameraPos();
    }
    EXPECT_NEAR(CAM_LookOffset, -1.5446163, 1e-6) << "released, the offset stays";
    EXPECT_NEAR(CAM_Follow.camera[1], at[1] - 80 + round_i32(std::sin(-1.5446163) * 1024), 5);
    // The aim's height eases by an eighth a frame and stops once a step is within the stillness threshold.
    EXPECT_NEAR(CAM_Follow.aim[1], at[1], 36) << "released, the aim goes back to the node's height";
}

TEST_F(Camera, PhysicsModesWidenTheShot)
{
    const struct {
        const char *what;
        int32_t physics_mode, anim;
        uint8_t flags4, coll0, coll1;
        uint32_t camera, aim;
        int32_t aim_height; // y grows downward: less is higher
    } cases[] = {
        {"ground", 1, 0, 0, 0, 0, 1024, 528, 0},
        {"pitch steering", 1, 0, ACTOR_F4_PITCH_STEERING, 0, 0, 1174, 678, 40},
        {"animation 46", 1, 46, 0, 0, 0, 1324, 828, 50},
        {"swimming", 2, 0, 0, 0, 0, 1124, 628, 30},
        {"airborne", 3, 0, 0, 0, 0, 1124, 628, 30},
        {"hanging: contact A and B in animation 25", 1, 25, 0, ACTOR_C0_CONTACT_A, ACTOR_C1_CONTACT_B, 0, 528, 50},
        {"climbing: contact A in animation 41", 1, 41, 0, ACTOR_C0_CONTACT_A, 0, 1324, 828, 50},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        actor.physics_mode = c.physics_mode;
        actor.current_anim = c.anim;
        actor.flags[4] = c.flags4;
        actor.coll_flags[0] = c.coll0;
        actor.coll_flags[1] = c.coll1;
        actor.pitch = 100;
        CAM_Mode = CAM_FOLLOW;
        CAM_Follow.subject = &actor;
        CAM_ManualLook = 1; // no height clamp
        CAM_FollowSelect(true);
        EXPECT_EQ(CAM_Follow.camera_distance, c.camera);
        EXPECT_EQ(CAM_Follow.aim_distance, c.aim);
        EXPECT_EQ(CAM_Follow.aim[1] - at[1], c.aim_height);
        EXPECT_EQ(actor.pitch, 100) << "the pitch is restored";
    }

    // Pitch steering places from the pitch turned by -128: above the subject.
    actor.physics_mode = 1;
    actor.current_anim = 0;
    actor.flags[4] = ACTOR_F4_PITCH_STEERING;
    actor.coll_flags[0] = actor.coll_flags[1] = 0;
    actor.pitch = 0;
    CAM_FollowSelect(true);
    EXPECT_EQ(CAM_Follow.camera[1] - (at[1] - 80), round_i32(std::sin((4096 - 128) * kAngle) * 1174));
    EXPECT_LT(CAM_Follow.camera[1], at[1] - 80 - 200);
    EXPECT_EQ(actor.pitch, 0);
}

TEST_F(Camera, PitchedPlacementLeavesTheVertical)
{
    const struct {
        int32_t pitch;
        double elevation;
    } cases[] = {
        {920, 1.396263}, {1023, 1.396263}, {1025, 1.745329}, {1130, 1.745329},
        {2970, 4.537856}, {3071, 4.537856}, {3073, 4.886922}, {3180, 4.886922},
    };
    actor.physics_mode = 3;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.pitch);
        actor.pitch = c.pitch;
        CAM_Mode = CAM_FOLLOW;
        CAM_Follow.subject = &actor;
        CAM_FollowSelect(true);
        EXPECT_EQ(CAM_Follow.camera[1] - (at[1] - 80), round_i32(std::sin(c.elevation) * 1124));
        EXPECT_EQ(CAM_Follow.camera[0] - at[0], -round_i32(std::fabs(std::cos(c.elevation)) * 1124)) << "behind";
    }
}

TEST_F(Camera, SwayRollsWithTheSubject)
{
    Follow();
    actor.tilt = 200;
    CAM_CompCameraPos();
    EXPECT_EQ(CAM_Roll, 0) << "a ground subject without pitch steering";

    const struct {
        const char *what;
        int32_t tilt;
        uint8_t flags4;
        double factor;
        std::vector<int32_t> rolls;
        int32_t settles; // the target roll
    } cases[] = {
        {"airborne", 200, 0, 1.0, {45, 79, 104, 123}, 182},
        {"pitch steering halves the target", 200, ACTOR_F4_PITCH_STEERING, 1.0, {22, 39, 52, 61}, 91},
        {"factor 2 halves it too", 200, 0, 2.0, {22, 39, 52, 61}, 91},
        {"leaning the other way", -200, 0, 1.0, {4096 - 46, 4096 - 80, 4096 - 106, 4096 - 125}, -182},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        actor.physics_mode = 3;
        actor.tilt = c.tilt;
        actor.flags[4] = c.flags4;
        GAME_TimeFactor = c.factor;
        Follow();
        CAM_Roll = 0;
        std::vector<int32_t> rolls;
        for (size_t i = 0; i < c.rolls.size(); i++) {
            CAM_CompCameraPos();
            rolls.push_back(CAM_Roll);
        }
        EXPECT_EQ(rolls, c.rolls);
        for (int i = 0; i < 60; i++) {
            CAM_CompCameraPos();
        }
        const int32_t roll = CAM_Roll > 2047 ? CAM_Roll - 4096 : CAM_Roll;
        EXPECT_NEAR(roll, c.settles, 3) << "settles";
    }

    GAME_TimeFactor = 1.0;
    actor.physics_mode = 2;
    actor.flags[4] = 0;
    Follow();
    CAM_SwayPhase[0] = 0;
    CAM_SwayPhase[1] = 3.12f;
    CAM_CompCameraPos();
    EXPECT_NEAR(CAM_SwayPhase[0], 0.02, 1e-6);
    EXPECT_NEAR(CAM_SwayPhase[1], 3.17 - 6.2831853071794, 1e-5) << "wraps past pi";

    // Swimming bobs the aim point; the view takes its direction from before the bob.
    CAM_SwayPhase[0] = 0;
    CAM_SwayPhase[1] = 1.0f;
    const int32_t camera[3] = {0, 0, 0};
    int32_t aim[3] = {0, 0, 1000};
    CAM_SwayFollow(camera, aim);
    const int32_t bob = round_i32(std::sin(1.05f) * 16);
    ASSERT_NE(bob, 0);
    EXPECT_EQ(std::vector<int32_t>(aim, aim + 3), (std::vector<int32_t>{bob, bob, 1000 + bob}));
    const int32_t before[3] = {0, 0, 1000};
    EXPECT_EQ(Looking(), Unit(camera, before));
}

TEST_F(Camera, ScriptedShotsAndTheirReturn)
{
    static CAM_FixedRecord fixed = {{0, -500, 0}, {1000, 0, 2000}, 30};
    for (double factor : {1.0, 2.0}) {
        SCOPED_TRACE(factor);
        GAME_TimeFactor = factor;
        Follow();
        CAM_PostEvent(',', reinterpret_cast<intptr_t>(&fixed), 0);
        CAM_CompCameraPos();
        EXPECT_EQ(Looking(), Unit(fixed.camera, fixed.aim)) << "the fixed shot looks at its aim";
        int updates = 0;
        while (CAM_Mode == CAM_FIXED && updates < 100) {
            CAM_CompCameraPos();
            updates++;
        }
        EXPECT_EQ(updates, factor == 1.0 ? 32 : 17) << "the frame after the last update returns";
        EXPECT_EQ(CAM_Follow.subject, &actor);
    }
    GAME_TimeFactor = 1.0;

    static CAM_ShotRecord shot = {{3000, 0, 2000}, nullptr, 30};
    shot.subject = &actor;
    CAM_PostEvent('-', reinterpret_cast<intptr_t>(&shot), 0);
    CAM_CompCameraPos();
    std::vector<int32_t> xs;
    for (int i = 0; i < 3; i++) {
        CAM_CompCameraPos();
        xs.push_back(Root()[0]);
    }
    EXPECT_EQ(xs, (std::vector<int32_t>{2000, 1500, 1250}));

    ActorRecord other;
    ACTOR_InitRecord(&other);
    other.node = Clone_Obj(figure);
    const int32_t there[3] = {-500, -100, 300};
    Set_Obj_Pos(other.node, there);
    CAM_PostEvent('.', reinterpret_cast<intptr_t>(&other), reinterpret_cast<intptr_t>(&actor));
    CAM_CompCameraPos();
    CAM_CompCameraPos();
    EXPECT_EQ(Root(), (std::vector<int32_t>(there, there + 3)));
    EXPECT_EQ(Looking(), Unit(there, at));

    static CAM_ObjectRecord on = {nullptr, {0, 0, 0}, 30};
    on.object = &other;
    CAM_PostEvent('/', reinterpret_cast<intptr_t>(&on), 0);
    CAM_CompCameraPos();
    CAM_CompCameraPos();
    EXPECT_EQ(Root(), (std::vector<int32_t>(there, there + 3)));
    EXPECT_EQ(Looking(), Unit(there, on.aim));

    CAM_PostEvent('0', reinterpret_cast<intptr_t>(&actor), 0);
    CAM_CompCameraPos();
    CAM_CompCameraPos();
    EXPECT_EQ(Root(), (std::vector<int32_t>{at[0] + 10, at[1] - 1500, at[2] + 10}));
    Delete_Obj(other.node);
}

TEST_F(Camera, FreeFlyTurnsAndMovesHalfAsFastWithPageUp)
{
    Follow();
    CAM_PostEvent('1', reinterpret_cast<intptr_t>(&actor), 0);
    CAM_CompCameraPos();
    CAM_CompCameraPos();
    EXPECT_EQ(Root(), (std::vector<int32_t>{at[0] - 300, at[1], at[2]}));

    for (bool page_up : {false, true}) {
        SCOPED_TRACE(page_up);
        INP_KeyTable[0x21] = page_up ? 0x01 : 0;
        CAM_FreeFly.yaw = 0;
        CAM_FreeFly.pitch = 0;
        GAME_RawInput.axis_x = 40;
        GAME_RawInput.pointer_x = 300; // where the pointer stands does not turn the view
        GAME_RawInput.buttons = 0;
        CAM_CompCameraPos();
        EXPECT_EQ(CAM_FreeFly.yaw, page_up ? 20 : 40);
        GAME_RawInput.axis_x = 0;
        CAM_FreeFly.yaw = 0;
        const int32_t z = CAM_FreeFly.position[2];
        GAME_RawInput.buttons = GAME_BUTTON_1;
        CAM_CompCameraPos();
        const int32_t ahead = (60 * ((Get_Cos(0) * Get_Cos(0)) >> 15)) >> 15;
        EXPECT_EQ(CAM_FreeFly.position[2] - z, page_up ? ahead / 2 : ahead) << "forward with button 1 alone";
        GAME_RawInput.buttons = GAME_BUTTON_1 | GAME_BUTTON_2;
        CAM_CompCameraPos();
        EXPECT_EQ(CAM_FreeFly.position[2] - z, page_up ? ahead / 2 : ahead) << "not with both";
    }
    INP_KeyTable[0x21] = 0;
    GAME_RawInput = {};
}

TEST_F(Camera, PauseTurnsAroundTheSubject)
{
    for (double factor : {1.0, 2.0}) {
        SCOPED_TRACE(factor);
        Follow();
        GAME_TimeFactor = factor;
        GAME_Paused = 1;
        GAME_PauseHeading = 1000;
        for (int frame = 1; frame <= 3; frame++) {
            CAM_CompCameraPos();
            const int32_t spin = 1000 + int32_t(10 * factor) * frame;
            EXPECT_EQ(GAME_PauseHeading, spin);
        }
        CAM_LoadPreset(); // the distance the close quarters may have shortened
        CAM_Close = 0;
        CAM_FollowSelect(true);
        const double h2 = (4096 - GAME_PauseHeading) * kAngle + 6.2831853071794 / 2;
        EXPECT_EQ(CAM_Follow.camera[0] - at[0], round_i32(std::cos(h2) * 1024));
        EXPECT_EQ(CAM_Follow.camera[2] - at[2], round_i32(std::sin(h2) * 1024));
        GAME_Paused = 0;
    }
    GAME_TimeFactor = 1.0;
}
