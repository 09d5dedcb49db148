// Head and torso aiming: bearings and elevations from an actor, the choice of what to aim at, the
// aiming and relaxing of the angles and the pose laid over the keyframes.
#include <cmath>
#include <vector>

#include "engine3d/maths.h"
#include "tests/world/anim_fixture.h"
#include "world/aim.h"

using namespace anim_test;

namespace {

// The game's own pi.
constexpr double kTwoPi = 6.2831853071794;
constexpr double kPi = kTwoPi / 2;
constexpr double kDegree = kPi / 180.0;

ActorRecord At(double x, double y, double z)
{
    ActorRecord a;
    ACTOR_InitRecord(&a);
    a.position[0] = x;
    a.position[1] = y;
    a.position[2] = z;
    return a;
}

int32_t Signed(int32_t angle)
{
    angle &= 0xFFF;
    return angle > 2047 ? angle - 4096 : angle;
}

} // namespace

TEST(Bearings, HorizontalAngleFromTheTorsosFacing)
{
    const struct {
        const char *what;
        double x, z;
        int32_t heading, torso;
        double bearing;
    } cases[] = {
        {"ahead right", 100, -100, 0, 0, kPi / 4},
        {"behind right", -100, -100, 0, 0, 3 * kPi / 4},
        {"behind left, brought into -pi..pi", -100, 100, 0, 0, -3 * kPi / 4},
        {"ahead left", 100, 100, 0, 0, -kPi / 4},
        {"zero x difference taken as 1", 0, -100, 0, 0, std::atan(100.0)},
        {"zero z difference taken as 1", 100, 0, 0, 0, -std::atan(0.01)},
        {"both zero", 0, 0, 0, 0, -kPi / 4},
        {"heading", 100, -100, 512, 0, kPi / 4 - 512 * 0.001533980787885596},
        {"heading and torso wrap past 4096", 100, -100, 1024, 3072, kPi / 4},
        {"heading and torso past 4096", 100, -100, 3000, 2000, kPi / 4 - 904 * 0.001533980787885596},
        {"behind left, turned: added 2 pi", -100, 100, 2048, 0, -3 * kPi / 4 - 2048 * 0.001533980787885596 + kTwoPi},
        {"behind right, turned the other way", -100, -100, 3500, 0, 3 * kPi / 4 - 3500 * 0.001533980787885596},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ActorRecord a = At(0, 50, 0);
        a.heading = c.heading;
        a.torso_turn = c.torso;
        double out = 99;
        const double b = ACTOR_BearingTo(&a, c.x, c.z, &out);
        EXPECT_EQ(b, out);
        EXPECT_NEAR(b, c.bearing, 1e-12);
        EXPECT_GE(b, -kPi);
        EXPECT_LE(b, kPi);
    }
    // From an actor elsewhere: the differences count.
    ActorRecord a = At(1000, 0, -500);
    double out;
    EXPECT_NEAR(ACTOR_BearingTo(&a, 1100, -600, &out), kPi / 4, 1e-12);
    // The test routine's eight corners, the second four with a torso turn of 3072, which it gives back.
    a = At(0, 0, 0);
    a.torso_turn = 5;
    double corners[8];
    ACTOR_TestBearings(&a, corners);
    EXPECT_EQ(a.torso_turn, 5);
    EXPECT_NEAR(corners[0], -kPi / 4 - 5 * 0.001533980787885596, 1e-12);
    EXPECT_NEAR(corners[4], -kPi / 4 - 3072 * 0.001533980787885596 + kTwoPi, 1e-12);
}

TEST(Bearings, ElevationFoldsIntoAQuarterTurn)
{
    const struct {
        const char *what;
        double a, b;
        int32_t pitch;
        double elevation;
    } cases[] = {
        {"ahead, above", 100, -100, 0, -kPi / 4},
        {"ahead, below", 100, 100, 0, kPi / 4},
        {"behind, above: folded from (-pi, -pi/2)", -100, -100, 0, -kPi / 4},
        {"behind, below: folded from (pi/2, pi)", -100, 100, 0, kPi / 4},
        {"zero differences taken as 1", 0, 0, 0, -kPi / 4},
        {"zero height difference", 100, 0, 0, -std::atan(0.01)},
        {"pitched a quarter turn", 100, -100, 1024, kPi / 4},
        {"pitched half a turn", 100, 100, 2048, -kPi / 4},
        {"pitched three quarters", 100, 100, 3072, -kPi / 4},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ActorRecord a = At(0, 0, 0);
        a.pitch = c.pitch;
        double out = 99;
        const double e = ACTOR_ElevationTo(&a, c.a, c.b, &out);
        EXPECT_EQ(e, out);
        EXPECT_NEAR(e, c.elevation, 1e-9);
    }
}

// ---- Aiming ---------------------------------------------------------------------------------------

struct Aim : Figure {
    void SetUp() override
    {
        Figure::SetUp();
        Start();
        actor.head_node = figure + 2;
        actor.torso_node = figure + 1;
        Playing(0);
    }
    void Playing(int32_t number) { kalder_test::PlayingAt(&actor, number, 3.0f, 0.0f); }
    // An opponent at a distance and a bearing in degrees from the actor at the origin facing +x.
    static ActorRecord Opponent(double distance, double degrees, double height = 0)
    {
        return At(distance * std::cos(degrees * kDegree), height, -distance * std::sin(degrees * kDegree));
    }
    void Angles(int32_t yaw, int32_t pitch, int32_t torso)
    {
        actor.head_yaw = yaw;
        actor.head_pitch = pitch;
        actor.torso_turn = torso;
    }
};

TEST_F(Aim, NobodyToAimAtKeepsTheAnglesAndThePose)
{
    ActorRecord enemy = Opponent(1000, 10);
    actor.aim_target = &enemy;
    Angles(100, 50, 4000);
    ANIM_PlayFrame(&actor);
    const Pose keyframes = PoseOf(actor.node);
    ACTOR_AimHead(&actor);
    EXPECT_EQ(actor.aim_target, nullptr);
    EXPECT_EQ(actor.head_yaw, 100);
    EXPECT_EQ(actor.head_pitch, 50);
    EXPECT_EQ(actor.torso_turn, 4000);
    EXPECT_EQ(PoseOf(actor.node), keyframes);
}

// At 50 degrees and 2,999 units: a third of the bearing to the torso, two thirds to the head, each
// closing half the remaining way each frame, the bearing measured from the turned torso.
TEST_F(Aim, OpponentInReachIsAimedAtFromTheTurnedTorso)
{
    ActorRecord enemy = Opponent(2999, 50);
    actor.enemies[0] = &enemy;
    actor.enemy_count = 1;
    ACTOR_AimHead(&actor);
    EXPECT_EQ(actor.aim_target, &enemy);
    EXPECT_EQ(actor.head_yaw, 189);  // target 378
    EXPECT_EQ(actor.torso_turn, 94); // target 189
    EXPECT_EQ(actor.head_pitch, 0);

    int32_t yaw = 189, torso = 94;
    for (int frame = 2; frame <= 8; frame++) {
        double dx = enemy.position[0], dz = enemy.position[2];
        double b = -std::atan(dz / dx) - double(torso & 0xFFF) * kTwoPi / 4096;
        const int32_t yaw_target = int32_t(b * 4096 * 0.666 / kTwoPi) & 0xFFF;
        const int32_t torso_target = int32_t(b * 4096 * 0.333 / kTwoPi) & 0xFFF;
        yaw = (Signed(yaw) + ((Signed(yaw_target) - Signed(yaw)) >> 1)) & 0xFFF;
        torso = (Signed(torso) + ((Signed(torso_target) - Signed(torso)) >> 1)) & 0xFFF;
        ACTOR_AimHead(&actor);
        EXPECT_EQ(actor.head_yaw, yaw) << "frame " << frame;
        EXPECT_EQ(actor.torso_turn, torso) << "frame " << frame;
    }
}

TEST_F(Aim, OutOfReachTheAnglesRelax)
{
    const struct {
        const char *what;
        double distance, degrees;
        int32_t yaw, pitch, torso;
        int32_t yaw_after, pitch_after, torso_after;
    } cases[] = {
        {"61 degrees", 2000, 61, 189, 4096 - 100, 0, 141, 4096 - 50, 0},
        {"61 degrees the other way", 2000, -61, 4096 - 189, 100, 0, 4096 - 142, 50, 0},
        {"3,001 units", 3001, 50, 189, 0, 94, 141, 0, 70},
        {"3,001 units, turned away", 3001, 50, 4096 - 189, 0, 4096 - 94, 4096 - 142, 0, 4096 - 71},
        {"small negative angles stay at -1", 3001, 0, 4096 - 1, 4096 - 1, 4096 - 1, 4096 - 1, 4096 - 1, 4096 - 1},
        {"small positive angles reach 0", 3001, 0, 1, 1, 1, 0, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ActorRecord enemy = Opponent(c.distance, c.degrees);
        actor.enemies[0] = &enemy;
        actor.enemy_count = 1;
        actor.aim_target = nullptr;
        Angles(c.yaw, c.pitch, c.torso);
        ACTOR_AimHead(&actor);
        EXPECT_EQ(actor.head_yaw, c.yaw_after);
        EXPECT_EQ(actor.head_pitch, c.pitch_after);
        EXPECT_EQ(actor.torso_turn, c.torso_after);
        EXPECT_EQ(actor.aim_target, &enemy) << "still the aim target";
    }
}

TEST_F(Aim, AimTargetChangesOnlyForADistanceDifferenceOf1000)
{
    const struct {
        double first, second;
        bool switches;
    } cases[] = {{1500, 600, false}, {1500, 500.5, false}, {1500, 500, true}, {500, 1499, false}, {500, 1500, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << " then " << c.second);
        // At (0.6 d, -0.8 d) and (0.6 d, 0.8 d): distances exact, left and right of the actor.
        ActorRecord first = At(0.6 * c.first, 0, -0.8 * c.first), second = At(0.6 * c.second, 0, 0.8 * c.second);
        actor.aim_target = nullptr;
        actor.enemies[0] = &first;
        actor.enemy_count = 1;
        Angles(0, 0, 0);
        ACTOR_AimHead(&actor);
        ASSERT_EQ(actor.aim_target, &first);
        actor.enemies[0] = &second;
        actor.enemies[1] = &first;
        actor.enemy_count = 2;
        Angles(0, 0, 0);
        ACTOR_AimHead(&actor);
        EXPECT_EQ(actor.aim_target, c.switches ? &second : &first);
        // The head turns toward the one aimed at: left of the first, right of the second.
        EXPECT_EQ(Signed(actor.head_yaw) > 0, !c.switches);
    }
    // Without opponents the nearest ally is aimed at.
    ActorRecord ally = Opponent(800, 30);
    actor.aim_target = nullptr;
    actor.enemy_count = 0;
    actor.allies[0] = &ally;
    actor.ally_count = 1;
    ACTOR_AimHead(&actor);
    EXPECT_EQ(actor.aim_target, &ally);
}

TEST_F(Aim, SharesOfTheBearingByAnimationAndTorso)
{
    const double b = 40 * kDegree;
    const struct {
        const char *what;
        int32_t number;
        bool torso;
        double head, body;
    } cases[] = {
        {"plain", 0, true, 0.666, 0.333},
        {"run", 5, true, 0.4, 0.6},
        {"57", 57, true, 0.2, 0.8},
        {"57 without a torso", 57, false, 0.2, 0.0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Playing(c.number);
        actor.torso_node = c.torso ? figure + 1 : 0;
        ActorRecord enemy = Opponent(1000, 40);
        actor.enemies[0] = &enemy;
        actor.enemy_count = 1;
        Angles(0, 0, 0);
        ACTOR_AimHead(&actor);
        EXPECT_EQ(actor.head_yaw, (int32_t(b * 4096 * c.head / kTwoPi) & 0xFFF) >> 1);
        EXPECT_EQ(actor.torso_turn, (int32_t(b * 4096 * c.body / kTwoPi) & 0xFFF) >> 1);
    }
}

TEST_F(Aim, HeadPitchTiltsAtMostAnEighthOfATurn)
{
    const struct {
        double height; // of the opponent 1000 ahead; y grows downward
        int32_t pitch;
    } cases[] = {
        {-1000.0 * std::tan(1.2), 4096 - 256}, // 1.2 radians up: held at 512 units
        {1000.0 * std::tan(1.2), 256},
        {1000.0 * std::tan(0.3), int32_t(0.3 * 4096 / kTwoPi) >> 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.height);
        ActorRecord enemy = Opponent(1000, 0, c.height);
        enemy.position[0] = 1000;
        enemy.position[2] = -1e-9;
        actor.enemies[0] = &enemy;
        actor.enemy_count = 1;
        Angles(0, 0, 0);
        // In range: the farthest, 2,572 above at 1,000 ahead, is 2,760 away.
        ACTOR_AimHead(&actor);
        double e;
        ACTOR_ElevationTo(&actor, enemy.position[0], enemy.position[1], &e);
        EXPECT_EQ(actor.head_pitch, c.pitch) << "elevation " << e;
    }
}

TEST_F(Aim, StrongTurnActorIsLeftAlone)
{
    ActorRecord enemy = Opponent(1000, 30);
    actor.enemies[0] = &enemy;
    actor.enemy_count = 1;
    actor.flags[5] |= ACTOR_F5_STRONG_TURN;
    Angles(7, 8, 9);
    ANIM_PlayFrame(&actor);
    const Pose keyframes = PoseOf(actor.node);
    ACTOR_AimHead(&actor);
    EXPECT_EQ(actor.aim_target, nullptr);
    EXPECT_EQ(actor.head_yaw, 7);
    EXPECT_EQ(actor.head_pitch, 8);
    EXPECT_EQ(actor.torso_turn, 9);
    EXPECT_EQ(PoseOf(actor.node), keyframes);
}

TEST_F(Aim, TurnsAreLaidOverTheKeyframePose)
{
    ActorRecord enemy = Opponent(1500, 30, -400);
    actor.enemies[0] = &enemy;
    actor.enemy_count = 1;
    actor.pitch_speed = 10;
    for (int frame = 0; frame < 3; frame++) {
        ANIM_PlayFrame(&actor);
        const Pose keyframes = PoseOf(actor.node);
        ACTOR_AimHead(&actor);
        const Pose aimed = PoseOf(actor.node);
        int32_t r[9], expected[9];
        Mat_Rotate(0, actor.head_yaw, actor.head_pitch, r);
        Mat_Mul(r, keyframes.m[2].data(), expected);
        EXPECT_EQ(std::vector<int32_t>(aimed.m[2].begin(), aimed.m[2].end()), std::vector<int32_t>(expected, expected + 9));
        Mat_Rotate(0, actor.torso_turn, 60, r);
        Mat_Mul(r, keyframes.m[1].data(), expected);
        EXPECT_EQ(std::vector<int32_t>(aimed.m[1].begin(), aimed.m[1].end()), std::vector<int32_t>(expected, expected + 9));
        for (int record : {0, 3, 4, 5}) {
            EXPECT_EQ(aimed.m[size_t(record)], keyframes.m[size_t(record)]) << "record " << record;
        }
        EXPECT_EQ(aimed.p, keyframes.p);
    }
    EXPECT_NE(actor.head_yaw, 0);
    EXPECT_NE(actor.head_pitch, 0);
}

// The actor step aims after the players, for actors with a head node only.
TEST_F(Aim, StepAimsActorsWithAHead)
{
    ActorRecord enemy = Opponent(1000, 30);
    actor.enemies[0] = &enemy;
    actor.enemy_count = 1;
    ACTOR_Step(&actor);
    EXPECT_EQ(actor.aim_target, &enemy);
    EXPECT_NE(actor.head_yaw, 0);
    actor.head_node = 0;
    actor.aim_target = nullptr;
    Angles(0, 0, 0);
    ACTOR_Step(&actor);
    EXPECT_EQ(actor.aim_target, nullptr);
    EXPECT_EQ(actor.head_yaw, 0);
}
