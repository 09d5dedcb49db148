// The physics: the field table and its sums, the level's gravity field, and the integration of one
// body per frame (modes, fades, damping, the editor, objects), without collision.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/game_frame.h"
#include "editor/edt.h"
#include "plat/test.h"
#include "tests/support/engine_area.h"
#include "world/actor.h"
#include "world/col.h"
#include "world/level_record.h"
#include "world/phy.h"
#include "world/prj.h"
#include "world/zon.h"

namespace {

PHY_Field Field(uint8_t kind, double vx, double vy, double vz)
{
    PHY_Field f{};
    f.kind = kind;
    f.vector[0] = vx;
    f.vector[1] = vy;
    f.vector[2] = vz;
    return f;
}

PHY_Field Box(double vx, double vy, double vz)
{
    PHY_Field f = Field(PHY_FIELD_BOX, vx, vy, vz);
    for (int i = 0; i < 3; i++) {
        f.min[i] = -100.0;
        f.max[i] = 100.0;
    }
    return f;
}

PHY_Field Point(double cx, double cy, double cz, double strength)
{
    PHY_Field f = Field(PHY_FIELD_POINT, 0, 0, 0);
    f.min[0] = cx;
    f.min[1] = cy;
    f.min[2] = cz;
    f.strength = strength;
    return f;
}

// The sum at a position, as a vector.
std::vector<double> Sum(double x, double y, double z, double mass, double coupling)
{
    const double p[3] = {x, y, z};
    double f[3];
    PHY_SumFields(p, mass, coupling, f);
    return {f[0], f[1], f[2]};
}

// No value of a table case may lie next to a half-integer, where a last-bit difference would round
// the other way.
void ExpectClearOfTies(double v)
{
    const double frac = std::fabs(v - std::floor(v));
    ASSERT_GT(std::fabs(frac - 0.5), 1e-6) << v;
}

int32_t Round(double v) { return int32_t(std::nearbyint(v)); }

class PhysicsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PHY_ClearFields();
        GAME_TimeFactor = 1.0;
        EDT_Active = 0;
        ACTOR_InitRecord(&actor);
        actor.flags[0] = ACTOR_F0_IN_USE;
        actor.flags[1] = ACTOR_F1_AI;
        actor.node = -1; // no node: the step is read from the record
        actor.damping = 1.0f;
        actor.coupling = 1.0;
        actor.fall_timer = 1000.0f;
    }
    void TearDown() override
    {
        PHY_ClearFields();
        GAME_TimeFactor = 1.0;
        EDT_Active = 0;
        test::SetExitHook(nullptr);
    }
    void Gravity()
    {
        const PHY_Field g = Field(PHY_FIELD_UNIFORM, 0, PHY_GRAVITY, 0);
        ASSERT_EQ(PHY_AddField(&g), 0);
    }

    kalder_test::EngineArea area{200000};
    ActorRecord actor;
};

TEST_F(PhysicsTest, FieldSumsByKind)
{
    const PHY_Field uniform = Field(PHY_FIELD_UNIFORM, 1.0, 9.81, -2.0);
    PHY_AddField(&uniform);
    EXPECT_EQ(Sum(0, 0, 0, 80.0, 1.0), (std::vector<double>{80.0 * 1.0, 80.0 * 9.81, 80.0 * -2.0}));
    PHY_ClearFields();

    // Box: coupling x vector inside [min, max], faces included; nothing outside or uncoupled.
    const PHY_Field box = Box(3.0, -4.0, 5.0);
    PHY_AddField(&box);
    struct BoxCase {
        double x, y, z, coupling;
        bool inside;
    };
    const BoxCase cases[] = {
        {0, 0, 0, 2.0, true},     {100, 0, 0, 2.0, true},   {-100, 0, 0, 2.0, true},  {0, 100, 0, 2.0, true},
        {0, -100, 0, 2.0, true},  {0, 0, 100, 2.0, true},   {0, 0, -100, 2.0, true},  {100.001, 0, 0, 2.0, false},
        {0, -100.001, 0, 2.0, false}, {0, 0, 100.5, 2.0, false}, {0, 0, 0, 0.0, false}, {0, 0, 0, 1.0e-7, false},
        {0, 0, 0, -0.5, true},
    };
    for (const BoxCase &c : cases) {
        const std::vector<double> expected =
            c.inside ? std::vector<double>{c.coupling * 3.0, c.coupling * -4.0, c.coupling * 5.0}
                     : std::vector<double>{0, 0, 0};
        EXPECT_EQ(Sum(c.x, c.y, c.z, 80.0, c.coupling), expected) << c.x << " " << c.y << " " << c.z << " " << c.coupling;
    }
    PHY_ClearFields();

    // Point: r x coupling x strength / |r|^3, and nothing at the centre itself.
    const PHY_Field point = Point(10, 20, 30, 5000.0);
    PHY_AddField(&point);
    const double offsets[][3] = {{100, 0, 0}, {0, -50, 0}, {30, 40, 0}, {-3, 4, 12}};
    for (const auto &r : offsets) {
        const double len = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
        const std::vector<double> f = Sum(10 + r[0], 20 + r[1], 30 + r[2], 80.0, 1.5);
        for (int i = 0; i < 3; i++) {
            EXPECT_NEAR(f[i], r[i] * 1.5 * 5000.0 / (len * len * len), 1e-12);
        }
    }
    const std::vector<double> centre = Sum(10, 20, 30, 80.0, 1.5);
    EXPECT_EQ(centre, (std::vector<double>{0, 0, 0}));
}

TEST_F(PhysicsTest, InactiveFieldsAndTheDirectSum)
{
    const PHY_Field a = Field(PHY_FIELD_UNIFORM, 0, 1.0, 0);
    const PHY_Field d1 = Field(PHY_FIELD_DIRECT, 2.0, 0, 0);
    const PHY_Field d2 = Field(PHY_FIELD_DIRECT, 0.5, 0, -1.0);
    EXPECT_EQ(PHY_AddField(&a), 0);
    EXPECT_EQ(PHY_AddField(&d1), 1);
    EXPECT_EQ(PHY_AddField(&d2), 2);
    double out[3];
    PHY_SumDirect(10.0, out);
    EXPECT_EQ(std::vector<double>(out, out + 3), (std::vector<double>{25.0, 0.0, -10.0}));
    // Direct fields add no force.
    EXPECT_EQ(Sum(0, 0, 0, 2.0, 1.0), (std::vector<double>{0, 2.0, 0}));

    // Indices below 0 or past the count are ignored: a zone's handle minus an offset can be -1.
    PHY_DisableField(-1);
    PHY_DisableField(3);
    EXPECT_EQ(Sum(0, 0, 0, 2.0, 1.0), (std::vector<double>{0, 2.0, 0}));
    PHY_DisableField(0);
    PHY_DisableField(2);
    EXPECT_EQ(Sum(0, 0, 0, 2.0, 1.0), (std::vector<double>{0, 0, 0}));
    PHY_SumDirect(10.0, out);
    EXPECT_EQ(std::vector<double>(out, out + 3), (std::vector<double>{20.0, 0.0, 0.0}));
    PHY_EnableField(-1);
    PHY_EnableField(3);
    PHY_EnableField(0);
    EXPECT_EQ(Sum(0, 0, 0, 2.0, 1.0), (std::vector<double>{0, 2.0, 0}));
    EXPECT_EQ(PHY_Fields[2].active, 0);

    // The direct field's vector x h goes into the step.
    PHY_ClearFields();
    const PHY_Field push = Field(PHY_FIELD_DIRECT, 9.0, 0, -12.0);
    PHY_AddField(&push);
    actor.flags[1] = ACTOR_F1_OBJECT;
    PHY_MoveObject(&actor);
    EXPECT_EQ(actor.motion_vector[0], 3);
    EXPECT_EQ(actor.motion_vector[2], -4);
    EXPECT_EQ(actor.position[0], 3.0);
}

TEST_F(PhysicsTest, TheTableHoldsOneHundredAndTwentyEight)
{
    const PHY_Field f = Field(PHY_FIELD_UNIFORM, 0, 0, 0);
    for (int32_t i = 0; i < PHY_MAX_FIELDS; i++) {
        ASSERT_EQ(PHY_AddField(&f), i);
    }
    EXPECT_EQ(PHY_AddField(&f), -1);
    EXPECT_EQ(PHY_FieldCount, PHY_MAX_FIELDS);
    PHY_Reset();
    EXPECT_EQ(PHY_FieldCount, 0);
}

TEST_F(PhysicsTest, TheLevelsGlobalField)
{
    LevelRecord *saved = PRJ_Current;
    static LevelRecord record;
    struct Case {
        int32_t force[3];
        double expected[3];
    };
    const Case cases[] = {
        {{0, 0, 0}, {0, 9.81, 0}},
        {{0, 20, 0}, {0, -20, 0}},
        {{3, 0, -4}, {3, 9.81, -4}},
        {{-1, -5, 7}, {-1, 5, 7}},
    };
    for (const Case &c : cases) {
        std::memset(&record, 0, sizeof record);
        std::memcpy(record.field_force, c.force, sizeof c.force);
        PRJ_Current = &record;
        const PHY_Field extra = Field(PHY_FIELD_DIRECT, 1, 1, 1);
        PHY_AddField(&extra);
        ZON_Load();
        ASSERT_EQ(PHY_FieldCount, 1);
        EXPECT_EQ(PHY_Fields[0].kind, PHY_FIELD_UNIFORM);
        EXPECT_EQ(PHY_Fields[0].active, 1);
        EXPECT_EQ(std::vector<double>(PHY_Fields[0].vector, PHY_Fields[0].vector + 3),
                  std::vector<double>(c.expected, c.expected + 3));
    }
    PRJ_Current = saved;
}

// Mode 1 in the air (contact A), from rest, under gravity: v(n) = h a k (1 - k^n) / (1 - k).
TEST_F(PhysicsTest, FallingFromRestFollowsTheClosedForm)
{
    Gravity();
    struct Case {
        double factor;
        float damping;
        bool editor;
        std::vector<int32_t> steps; // the first steps, when known by hand
    };
    const Case cases[] = {
        {1.0, 1.0f, false, {3, 6, 10, 13, 16, 19, 22, 25, 28, 31, 34, 37}},
        {2.0, 1.0f, false, {}},
        {0.5, 1.0f, false, {}},
        {1.0, 0.5f, false, {}},
        {1.0, 1.0f, true, {}},
    };
    for (const Case &c : cases) {
        SetUp();
        Gravity();
        GAME_TimeFactor = c.factor;
        EDT_Active = c.editor ? 1 : 0;
        actor.damping = c.damping;
        actor.coll_flags[0] = ACTOR_C0_CONTACT_A;
        actor.position[1] = 1000.0;
        const double h = c.factor / 3.0;
        const double k = c.editor ? 0.0 : 0.99 * c.damping;
        double y = 1000.0;
        for (int32_t n = 1; n <= 12; n++) {
            const double v = k == 0.0 ? 0.0 : h * PHY_GRAVITY * k * (1.0 - std::pow(k, n)) / (1.0 - k);
            ExpectClearOfTies(v);
            PHY_MoveObject(&actor);
            EXPECT_NEAR(actor.phy_velocity[1], v, 1e-9) << c.factor << " frame " << n;
            ASSERT_EQ(actor.motion_vector[1], Round(v)) << c.factor << " frame " << n;
            if (!c.steps.empty()) {
                EXPECT_EQ(actor.motion_vector[1], c.steps[size_t(n - 1)]);
            }
            y += Round(v);
            EXPECT_EQ(actor.position[1], y);
            EXPECT_EQ(actor.coll_flags[1] & ACTOR_C1_CONTACT_B, ACTOR_C1_CONTACT_B);
        }
        if (c.factor == 1.0 && c.damping == 1.0f && !c.editor) {
            EXPECT_EQ(y - 1000.0, 244.0);
        }
    }
}

// On the ground (A clear) the own force holds gravity off: only the driven motion moves the actor.
TEST_F(PhysicsTest, OnTheGroundOnlyTheDrivenMotionMoves)
{
    for (double factor : {1.0, 2.0, 0.5}) {
        SetUp();
        Gravity();
        GAME_TimeFactor = factor;
        actor.position[1] = -300.0;
        actor.velocity[0] = 8.4f;
        actor.velocity[2] = -2.7f;
        for (int32_t n = 1; n <= 20; n++) {
            PHY_MoveObject(&actor);
            EXPECT_EQ(actor.position[1], -300.0);
            EXPECT_EQ(actor.phy_velocity[1], 0.0);
            EXPECT_EQ(actor.position[0], 8.0 * n);
            EXPECT_EQ(actor.position[2], -3.0 * n);
            EXPECT_EQ(actor.own_force[1], -80.0 * PHY_GRAVITY);
            EXPECT_EQ(actor.prev_int_pos[0], 8 * (n - 1));
        }
        EXPECT_DOUBLE_EQ(actor.speed, std::sqrt(64.0 + 9.0));
    }
}

// Modes 2 and 3 start with a vertical speed that fades to 0 over 15 and 30 frames' time, then decays.
TEST_F(PhysicsTest, FadingStarts)
{
    struct Case {
        int32_t mode;
        uint8_t flag;
        double start, span, k, factor;
    };
    const Case cases[] = {
        {2, ACTOR_C0_FALL_MODE2, 15.0, 15.0, 0.7, 1.0},  {3, ACTOR_C0_FALL_MODE3, -30.0, 30.0, 0.99, 1.0},
        {2, ACTOR_C0_FALL_MODE2, 15.0, 15.0, 0.7, 2.0},  {3, ACTOR_C0_FALL_MODE3, -30.0, 30.0, 0.99, 2.0},
        {2, ACTOR_C0_FALL_MODE2, 15.0, 15.0, 0.7, 0.5},  {3, ACTOR_C0_FALL_MODE3, -30.0, 30.0, 0.99, 0.5},
    };
    for (const Case &c : cases) {
        SetUp();
        Gravity();
        GAME_TimeFactor = c.factor;
        actor.physics_mode = c.mode;
        actor.phy_velocity[1] = c.start;
        actor.coll_flags[0] = uint8_t(c.flag | ACTOR_C0_CONTACT_A);
        double v = 0.0;
        for (int32_t n = 1; n <= 80; n++) {
            const double t = (n - 1) * c.factor;
            PHY_MoveObject(&actor);
            v = t < c.span ? (c.start - c.start * t / c.span) * c.k : v * c.k;
            EXPECT_NEAR(actor.phy_velocity[1], v, 1e-9) << c.mode << " x" << c.factor << " frame " << n;
            if (c.mode == 3 && c.factor == 1.0 && n == 16) {
                EXPECT_NEAR(actor.phy_velocity[1], -15.0 * 0.99, 1e-12); // -15 when the timer reads 15
            }
        }
        EXPECT_EQ(actor.coll_flags[0], 0) << "the start clears A and its flag";
        EXPECT_EQ(actor.own_force[1], -80.0 * PHY_GRAVITY);
    }
}

TEST_F(PhysicsTest, ObjectsFallWithoutModesAndIdleActorsStay)
{
    Gravity();
    actor.flags[1] = ACTOR_F1_OBJECT;
    actor.physics_mode = 4; // no mode handling for objects
    actor.mass = 10.0;
    double y = 0.0;
    for (int32_t n = 1; n <= 10; n++) {
        const double v = PHY_GRAVITY / 3.0 * 0.9 * (1.0 - std::pow(0.9, n)) / 0.1;
        ExpectClearOfTies(v);
        PHY_MoveObject(&actor);
        EXPECT_NEAR(actor.phy_velocity[1], v, 1e-9);
        y += Round(v);
        EXPECT_EQ(actor.position[1], y);
    }

    ActorRecord idle[2];
    for (ActorRecord &a : idle) {
        ACTOR_InitRecord(&a);
        a.flags[1] = ACTOR_F1_AI;
        a.node = -1;
        a.velocity[0] = 10.0f;
        a.phy_velocity[1] = 5.0;
    }
    idle[0].flags[0] = 0;
    idle[1].flags[0] = ACTOR_F0_IN_USE;
    idle[1].flags[3] = ACTOR_F3_DISABLED;
    for (ActorRecord &a : idle) {
        PHY_MoveObject(&a);
        EXPECT_EQ(a.position[0], 0.0);
        EXPECT_EQ(a.phy_velocity[1], 5.0);
        EXPECT_EQ(a.motion_vector[0], 0);
    }
}

TEST_F(PhysicsTest, AnUnknownModeStopsTheGameOnlyUnderGravity)
{
    actor.physics_mode = 4;
    PHY_MoveObject(&actor); // no field: no mode handling
    EXPECT_EQ(actor.position[1], 0.0);

    Gravity();
    test::SetExitHook(test::ThrowOnExit);
    try {
        PHY_MoveObject(&actor);
        FAIL() << "no stop";
    } catch (const test::ExitCalled &exit) {
        EXPECT_EQ(exit.code, 999);
    }
    ASSERT_FALSE(test::MessageBoxes().empty());
    EXPECT_EQ(test::MessageBoxes().back().text, "Kalder Internal Error : physics mode unknown");
}

// In mode 1 the high-jump animations toggle the keep-camera-height flag and the second-byte flag.
TEST_F(PhysicsTest, JumpAnimationsToggleTheCameraFlags)
{
    Gravity();
    actor.current_anim = 10;
    PHY_MoveObject(&actor);
    EXPECT_EQ(actor.coll_flags[0] & ACTOR_C0_KEEP_CAMERA, ACTOR_C0_KEEP_CAMERA);
    EXPECT_EQ(actor.coll_flags[1] & ACTOR_C1_SECOND, ACTOR_C1_SECOND);
    PHY_MoveObject(&actor);
    EXPECT_EQ(actor.coll_flags[0] & ACTOR_C0_KEEP_CAMERA, ACTOR_C0_KEEP_CAMERA);
    EXPECT_EQ(actor.coll_flags[1] & ACTOR_C1_SECOND, 0);
    actor.current_anim = 4;
    actor.coll_flags[1] |= ACTOR_C1_SECOND;
    PHY_MoveObject(&actor);
    EXPECT_EQ(actor.coll_flags[0] & ACTOR_C0_KEEP_CAMERA, 0);
    EXPECT_EQ(actor.coll_flags[1] & ACTOR_C1_SECOND, 0);
}

} // namespace
