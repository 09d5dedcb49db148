// The collision pass on the physics scene: standing, falling off ledges, walls, fast movers, ramps,
// bouncing objects, actors pushed apart, the sphere table, platforms and the camera's sphere.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "core/game_frame.h"
#include "editor/edt.h"
#include "engine3d/coll.h"
#include "engine3d/object.h"
#include "engine3d/workarea.h"
#include "plat/test.h"
#include "tests/support/character_writer.h"
#include "tests/support/physics_scene.h"
#include "world/actor.h"
#include "world/anim.h"
#include "world/col.h"
#include "world/mdl.h"
#include "world/phy.h"
#include "world/plt.h"

namespace {

using kalder_test::CollMeshSpec;
using kalder_test::Flipped;
using kalder_test::GameFloor;
using kalder_test::PhysicsScene;

constexpr int32_t kFloorY = 0;
// Where a figure stands on a floor: its foot marker 160 below its node, and 5 more above the floor.
constexpr double kStandY = kFloorY - 160 - 5;

CollMeshSpec Floor() { return GameFloor(-4000, -4000, 8000, kFloorY); }

// The floor with a wall standing on it along x at z, facing -z.
CollMeshSpec WallOnFloor(int32_t x0, int32_t x1, int32_t z)
{
    CollMeshSpec mesh = Floor();
    mesh.Append(kalder_test::Wall(x0, x1, z, -1000, kFloorY));
    return mesh;
}

bool A(const ActorRecord *a) { return (a->coll_flags[0] & ACTOR_C0_CONTACT_A) != 0; }

bool Hidden(int32_t node)
{
    return (W_Get32(kalder_test::SceneArea::Record(node) + offsetof(OBJ_Record, flags)) & OBJ_FLAG_HIDDEN) != 0;
}

// Expects the game to stop with a text and 999.
template <typename F> void ExpectFatal(F &&f, const char *text)
{
    test::SetExitHook(test::ThrowOnExit);
    try {
        f();
        ADD_FAILURE() << "no stop: " << text;
    } catch (const test::ExitCalled &exit) {
        EXPECT_EQ(exit.code, 999);
        ASSERT_FALSE(test::MessageBoxes().empty());
        EXPECT_EQ(test::MessageBoxes().back().text, text);
    }
    test::SetExitHook(nullptr);
}

TEST(Collision, AFigureDroppedOntoAFloorFallsThenStands)
{
    PhysicsScene scene(Floor(), 1);
    ActorRecord *a = scene.Actor(0);
    scene.Place(a, 0, kFloorY - 160 - 300, 0);
    scene.Step(); // at rest the ground is seen out of reach: from now it falls
    EXPECT_TRUE(A(a));
    const int32_t steps[] = {3, 6, 10, 13, 16, 19, 22, 25, 28, 31, 34, 37};
    double y = a->position[1];
    int32_t n = 0;
    while (A(a) && n < 40) {
        scene.Step();
        if (A(a)) {
            ASSERT_LT(n, 12);
            EXPECT_EQ(a->motion_vector[1], steps[n]) << n;
            y += steps[n];
            EXPECT_EQ(a->position[1], y);
        }
        n++;
    }
    ASSERT_FALSE(A(a));
    EXPECT_EQ(a->position[1], kStandY);
    EXPECT_EQ(a->ground_height, kFloorY);
    EXPECT_NE(a->ground_contact, 0);
    for (int32_t f = 0; f < 300; f++) {
        scene.Step();
        ASSERT_EQ(a->position[1], kStandY) << f;
        ASSERT_FALSE(A(a));
    }
    EXPECT_EQ(a->coll_flags[0] & ACTOR_C0_DECOR, 0);
    EXPECT_EQ(a->ground_slope, 0);
    int32_t node[3];
    Get_Obj_Pos(a->node, node);
    EXPECT_EQ(node[1], int32_t(kStandY));
}

TEST(Collision, WalkingOffALedgeFalls)
{
    // The upper floor ends at x = 0; the lower one lies 1000 below; a slab 700 over the walk.
    CollMeshSpec mesh = GameFloor(-4000, -2000, 4000, kFloorY);
    mesh.Append(GameFloor(0, -2000, 4000, kFloorY + 1000));
    mesh.Append(GameFloor(-4000, -2000, 8000, kFloorY - 900));
    PhysicsScene scene(mesh, 1);
    ActorRecord *a = scene.Actor(0);
    scene.Place(a, -100, kStandY, 0);
    a->velocity[0] = 8.0f;
    int32_t frame = 0;
    while (!A(a) && frame < 40) {
        scene.Step();
        EXPECT_EQ(a->position[1], kStandY);
        frame++;
    }
    ASSERT_TRUE(A(a)) << "the figure never left the ledge";
    EXPECT_GT(a->position[0], 0.0);
    // Clear of the ledge's edge, the fall follows gravity from rest.
    const int32_t steps[] = {3, 6, 10, 13};
    for (int32_t step : steps) {
        scene.Step();
        EXPECT_EQ(a->motion_vector[1], step);
    }
    for (int32_t f = 0; f < 100 && A(a); f++) {
        scene.Step();
    }
    EXPECT_FALSE(A(a));
    EXPECT_EQ(a->position[1], kStandY + 1000);
    EXPECT_EQ(a->ground_height, kFloorY + 1000);
}

// Past the edge of the only floor there is nothing under the feet nor over the head: the figure falls
// as off a ledge, and once far below the lowest triangle, where nothing can ever catch it, it dies.
TEST(Collision, WalkingOffTheLastFloorFallsAndAnEndlessFallKills)
{
    PhysicsScene scene(GameFloor(-2000, -2000, 2000, kFloorY), 2);
    ActorRecord *a = scene.Actor(0);
    ActorRecord *other = scene.Actor(1);
    scene.Place(a, -100, kStandY, -1000);
    scene.Place(other, -1000, kStandY, -1000);
    a->flags[0] |= ACTOR_F0_HERO;
    a->life = other->life = 100.0f;
    a->velocity[0] = 8.0f;
    int32_t frame = 0;
    while (frame < 40) {
        scene.Step();
        if (A(a)) {
            break;
        }
        ASSERT_EQ(a->position[1], kStandY) << frame;
        ASSERT_EQ(a->coll_flags[0] & ACTOR_C0_NO_GROUND, 0) << frame;
        frame++;
    }
    ASSERT_TRUE(A(a)) << "the figure stood on air past the edge";
    EXPECT_GT(a->position[0], 0.0);
    EXPECT_TRUE(a->coll_flags[0] & ACTOR_C0_NO_GROUND);
    EXPECT_EQ(a->ground_slope, 0);
    // The fall follows gravity from rest, as off a ledge.
    const int32_t steps[] = {3, 6, 10, 13};
    for (int32_t step : steps) {
        scene.Step();
        EXPECT_EQ(a->motion_vector[1], step);
        EXPECT_TRUE(A(a));
    }
    // Alive while its foot is within the fall's depth under the floor; dead one frame past it.
    EXPECT_EQ(COL_SpaceBottom(), kFloorY);
    double last_foot = 0.0;
    for (frame = 0; frame < 200 && a->life > 0.0f; frame++) {
        last_foot = a->position[1] + 160;
        scene.Step();
    }
    ASSERT_EQ(a->life, 0.0f) << "the fall never ended";
    EXPECT_LE(last_foot, kFloorY + COL_FALL_OUT_DEPTH);
    EXPECT_GT(a->position[1] + 160, kFloorY + COL_FALL_OUT_DEPTH);
    EXPECT_EQ(a->flags[3] & ACTOR_F3_DISABLED, 0) << "the hero's death runs its course";
    // The figure left behind on the floor stands on.
    EXPECT_EQ(other->position[1], kStandY);
    EXPECT_FALSE(A(other));
    EXPECT_EQ(other->life, 100.0f);

    // Another figure goes the same way and is taken out of play with its death.
    other->velocity[0] = 40.0f;
    for (frame = 0; frame < 300 && other->life > 0.0f; frame++) {
        scene.Step();
    }
    ASSERT_EQ(other->life, 0.0f);
    EXPECT_NE(other->flags[3] & ACTOR_F3_DISABLED, 0);
    EXPECT_NE(W_Get32(kalder_test::SceneArea::Record(other->node) + offsetof(OBJ_Record, flags)) & OBJ_FLAG_SKIP_TREE, 0u)
        << "its model is still drawn";
    const double y = other->position[1];
    scene.Step();
    EXPECT_EQ(other->position[1], y) << "a body out of play falls no further";
}

TEST(Collision, AWallStopsAFigureAtItsRadius)
{
    PhysicsScene scene(WallOnFloor(-2000, 2000, 500), 1);
    ActorRecord *a = scene.Actor(0);
    scene.Place(a, 0, kStandY, 0);
    a->velocity[2] = 8.0f;
    int32_t frames = 0;
    while (!(a->coll_flags[0] & ACTOR_C0_DECOR) && frames < 100) {
        scene.Step();
        frames++;
    }
    ASSERT_TRUE(a->coll_flags[0] & ACTOR_C0_DECOR);
    // Pushing on: held at its radius, the measure from the push of each frame.
    for (int32_t f = 0; f < 10; f++) {
        a->phy_velocity[0] = 0.4; // too little to step across: the push stays along z
        a->phy_velocity[2] = 4.0;
        const double z = a->position[2];
        scene.Step();
        EXPECT_NEAR(a->position[2], 500 - 135, 1.0);
        EXPECT_EQ(a->position[1], kStandY);
        EXPECT_TRUE(a->coll_flags[0] & ACTOR_C0_DECOR);
        EXPECT_DOUBLE_EQ(a->phy_velocity[0], 0.4 * 0.9 * 0.5);
        EXPECT_EQ(a->position[0], 0.0);
        EXPECT_DOUBLE_EQ(a->phy_velocity[2], 4.0 * 0.9 * 0.5);
        EXPECT_EQ(a->phy_velocity[1], 0.0);
        const double push = z + a->motion_vector[2] - a->position[2];
        EXPECT_EQ(a->contact_measure, uint32_t(push * 127 / 135)) << push;
    }
    a->velocity[2] = -8.0f;
    scene.Step();
    EXPECT_EQ(a->coll_flags[0] & ACTOR_C0_DECOR, 0);
}

TEST(Collision, AFastMoverIsSweptInRadiusSizedSteps)
{
    // Nothing in the way: the whole step of 400.
    {
        PhysicsScene scene(Floor(), 1);
        ActorRecord *a = scene.Actor(0);
        scene.Place(a, 0, kStandY, 0);
        a->velocity[0] = 400.0f;
        scene.Step();
        EXPECT_EQ(a->position[0], 400.0);
        EXPECT_EQ(a->coll_flags[0] & ACTOR_C0_DECOR, 0);
    }
    // A short wall beside the path, within reach of the first step (x 135) only: the sweep stops
    // there, pushed off it, where a single jump to 400 would have touched nothing.
    {
        PhysicsScene scene(WallOnFloor(100, 170, 60), 1);
        ActorRecord *a = scene.Actor(0);
        scene.Place(a, 0, kStandY, 0);
        a->velocity[0] = 400.0f;
        scene.Step();
        EXPECT_EQ(a->position[0], 135.0);
        EXPECT_EQ(a->position[2], 60.0 - 135.0);
        EXPECT_TRUE(a->coll_flags[0] & ACTOR_C0_DECOR);
    }
    // A thin wall across the path: the figure ends at its radius before it, never through it.
    {
        PhysicsScene scene(WallOnFloor(-2000, 2000, 350), 1);
        ActorRecord *a = scene.Actor(0);
        scene.Place(a, 0, kStandY, 0);
        a->velocity[2] = 400.0f;
        scene.Step();
        EXPECT_EQ(a->position[2], 350.0 - 135.0);
    }
}

TEST(Collision, ANegativeRadiusSweepsInSingleUnits)
{
    PhysicsScene scene(Floor(), 1);
    ActorRecord *a = scene.Actor(0);
    a->radius = -5;
    scene.Place(a, 0, kStandY, 0);
    a->velocity[0] = 40.0f;
    scene.Step();
    scene.Step();
    EXPECT_EQ(a->position[0], 80.0);
    EXPECT_EQ(a->position[1], kStandY);
}

TEST(Collision, TheGroundSlopeAlongTheHeading)
{
    // Flat: no slope.
    {
        PhysicsScene scene(Floor(), 1);
        ActorRecord *a = scene.Actor(0);
        scene.Place(a, 0, kStandY, 0);
        a->heading = 300;
        scene.Step();
        EXPECT_EQ(a->ground_slope, 0);
    }
    // A ramp rising along +x (y falls by 500 over 2000).
    PhysicsScene scene(Flipped(kalder_test::Ramp(-1000, 1000, 0, -500, -1000, 1000)), 1);
    ActorRecord *a = scene.Actor(0);
    scene.Place(a, 0, -250 - 165, 0);
    int32_t slope[4];
    for (int32_t q = 0; q < 4; q++) {
        a->heading = 1024 * q;
        scene.Step();
        EXPECT_FALSE(A(a));
        slope[q] = a->ground_slope;
    }
    EXPECT_GT(std::abs(slope[0]), 100);
    EXPECT_NEAR(slope[0], -slope[2], 1);
    EXPECT_LE(std::abs(slope[1]), 1);
    EXPECT_LE(std::abs(slope[3]), 1);
    // The pitch of a mode-1 actor eases toward minus the slope.
    a->heading = 0;
    scene.Step();
    for (int32_t f = 0; f < 16; f++) {
        ACTOR_RelaxPitch(a);
    }
    const int32_t pitch = a->pitch >= 2048 ? a->pitch - 4096 : a->pitch;
    EXPECT_NEAR(pitch, -slope[0], 1);
}

TEST(Collision, AnObjectBouncesOffTheFloor)
{
    PhysicsScene scene(Floor(), 0, 2);
    struct Case {
        ActorRecord *object;
        float across;
    };
    const Case cases[] = {{scene.Actor(0), 0.0f}, {scene.Actor(1), 12.0f}};
    scene.Place(cases[0].object, 0, -400, 0);
    scene.Place(cases[1].object, 1000, -400, 1000);
    for (const Case &c : cases) {
        EXPECT_EQ(c.object->mass, 10.0);
        int32_t centre[3], radius, mask;
        Coll_Get_Body(c.object->coll_body, centre, &radius, &mask);
        EXPECT_EQ(radius, 50);
        EXPECT_EQ(mask, 7);
        c.object->velocity[0] = c.across;
    }
    for (const Case &c : cases) {
        ActorRecord *o = c.object;
        int32_t f = 0;
        while (!(o->coll_flags[0] & ACTOR_C0_DECOR) && f < 60) {
            scene.Step();
            f++;
        }
        ASSERT_TRUE(o->coll_flags[0] & ACTOR_C0_DECOR);
        // The step went down (y grows); it comes back up as the velocity, across unchanged.
        const double sx = o->phy_velocity[0], sy = o->phy_velocity[1];
        EXPECT_LT(sy, 0.0);
        EXPECT_EQ(sx, double(o->motion_vector[0]));
        EXPECT_EQ(sy, -double(o->motion_vector[1]));
        const double cosine = -sy / std::sqrt(sx * sx + sy * sy);
        EXPECT_NEAR(double(o->contact_measure), std::min(127.0, 128.0 * cosine), 1.0);
        EXPECT_LE(o->contact_measure, 127u);
        EXPECT_GE(o->position[1], -50.0 - 1.0);
        scene.Step();
        EXPECT_LT(o->motion_vector[1], 0) << "it rises after the bounce";
        for (const Case &other : cases) {
            other.object->phy_velocity[0] = other.object->phy_velocity[1] = 0;
            other.object->coll_flags[0] = 0;
            other.object->velocity[0] = 0;
        }
    }
}

TEST(Collision, PushApartByMass)
{
    struct Case {
        double mass_a, mass_b;
        double moved_a, moved_b;
    };
    const Case cases[] = {{80, 80, 17, 17}, {80, 10, 30, 4}, {10, 80, 4, 30}};
    for (const Case &c : cases) {
        PhysicsScene scene(Floor(), 2);
        ActorRecord *a = scene.Actor(0), *b = scene.Actor(1);
        scene.Place(a, 0, kStandY, 0);
        scene.Place(b, 100, kStandY, 0);
        a->mass = c.mass_a;
        b->mass = c.mass_b;
        scene.Step();
        EXPECT_EQ(a->position[0], -c.moved_a) << c.mass_a << "/" << c.mass_b;
        EXPECT_EQ(b->position[0], 100 + c.moved_b);
        EXPECT_EQ(a->position[1], kStandY);
        EXPECT_TRUE(a->coll_flags[0] & ACTOR_C0_SPHERE);
        EXPECT_TRUE(b->coll_flags[0] & ACTOR_C0_SPHERE);
        EXPECT_EQ(a->last_collider, b);
        EXPECT_EQ(b->last_collider, a);
        EXPECT_DOUBLE_EQ(a->speed, c.moved_a);
        // Apart now (134 is the sum of the half radii): touching, they stay.
        scene.Step();
        EXPECT_EQ(a->position[0], -c.moved_a);
        EXPECT_EQ(b->position[0], 100 + c.moved_b);
    }
}

TEST(Collision, PushImpactsAndStepLengths)
{
    PhysicsScene scene(Floor(), 2);
    ActorRecord *a = scene.Actor(0), *b = scene.Actor(1);
    struct Case {
        int32_t step_b;  // b's integer step along x
        int32_t impact_a;
    };
    // round(|step| x mass / 30000 x 127), at most 127; a step longer than the half radius reaches.
    const Case cases[] = {{0, 0}, {300, 102}, {-200, 68}, {1000, 127}};
    for (const Case &c : cases) {
        a->motion_vector[0] = 0;
        b->motion_vector[0] = c.step_b;
        int32_t pa[3] = {0, 0, 0}, pb[3] = {250, 0, 0};
        COL_PushApart(a, b, pa, pb);
        const bool reach = 67 + std::abs(c.step_b) >= 250;
        EXPECT_EQ(a->push_impact, reach ? c.impact_a : 0) << c.step_b;
        EXPECT_EQ(b->push_impact, 0);
        if (reach) {
            EXPECT_EQ(pb[0] - pa[0], 67 + std::abs(c.step_b));
        } else {
            EXPECT_EQ(pa[0], 0);
            EXPECT_EQ(pb[0], 250);
        }
        a->push_impact = b->push_impact = 0;
    }
    // At one spot there is no direction: nothing moves, but both feel it.
    a->coll_flags[0] = b->coll_flags[0] = 0;
    int32_t pa[3] = {5, 6, 7}, pb[3] = {5, 6, 7};
    COL_PushApart(a, b, pa, pb);
    EXPECT_EQ(std::vector<int32_t>(pa, pa + 3), (std::vector<int32_t>{5, 6, 7}));
    EXPECT_EQ(std::vector<int32_t>(pb, pb + 3), (std::vector<int32_t>{5, 6, 7}));
    EXPECT_TRUE(a->coll_flags[0] & ACTOR_C0_SPHERE);
    EXPECT_TRUE(b->coll_flags[0] & ACTOR_C0_SPHERE);
}

TEST(Collision, WhoIsNeverPushed)
{
    PhysicsScene scene(Floor(), 3);
    ActorRecord *a = scene.Actor(0), *b = scene.Actor(1), *c = scene.Actor(2);
    scene.Place(a, 0, kStandY, 0);
    scene.Place(b, 100, kStandY, 0);
    scene.Place(c, 1000, kStandY, 0);
    b->flags[3] |= ACTOR_F3_DISABLED;
    // An entry without a body, its owner standing on a, and the camera's sphere on a.
    ActorRecord *bodiless = &ACTOR_Slots[10];
    ACTOR_InitRecord(bodiless);
    bodiless->flags[0] = ACTOR_F0_IN_USE;
    bodiless->flags[1] = ACTOR_F1_AI;
    bodiless->position[0] = 50;
    COL_AllocSphere(bodiless, nullptr);
    int32_t camera[3] = {30, int32_t(kStandY), 0};
    COL_CollideCamera(camera);
    for (int32_t f = 0; f < 3; f++) {
        scene.Step();
    }
    EXPECT_EQ(a->position[0], 0.0);
    EXPECT_EQ(b->position[0], 100.0);
    EXPECT_EQ(bodiless->position[0], 50.0);
    EXPECT_FALSE(a->coll_flags[0] & ACTOR_C0_SPHERE);
    // c walks into a: both are pushed from then on.
    c->velocity[0] = -300.0f;
    scene.Step();
    scene.Step();
    scene.Step();
    EXPECT_NE(a->position[0], 0.0);
    EXPECT_EQ(a->last_collider, c);
}

TEST(Collision, TheBodyResetByClass)
{
    PhysicsScene scene(Floor(), 1, 1);
    ActorRecord *a = scene.Actor(0), *o = scene.Actor(1);
    COL_FreeSpheres();
    for (ActorRecord *x : {a, o}) {
        x->position[0] = 10.6;
        x->position[1] = -20.5;
        x->position[2] = 3.2;
        for (int i = 0; i < 3; i++) {
            x->previous_position[i] = 99.0;
            x->phy_velocity[i] = 5.0;
            x->motion_vector[i] = 7;
            x->own_force[i] = 1.0;
        }
        x->coupling = 3.0;
        x->damping = 0.25f;
        x->fall_timer = 2.0f;
        PHY_ResetBody(x);
        EXPECT_EQ(std::vector<double>(x->previous_position, x->previous_position + 3),
                  std::vector<double>(x->position, x->position + 3));
        EXPECT_EQ(std::vector<int32_t>(x->prev_int_pos, x->prev_int_pos + 3), (std::vector<int32_t>{11, -20, 3}));
        for (int i = 0; i < 3; i++) {
            EXPECT_EQ(x->phy_velocity[i], 0.0);
            EXPECT_EQ(x->motion_vector[i], 0);
            EXPECT_EQ(x->own_force[i], 0.0);
        }
        EXPECT_EQ(x->coupling, 1.0);
        EXPECT_EQ(x->damping, 1.0f);
        EXPECT_EQ(x->fall_timer, 1000.0f);
        ASSERT_NE(x->coll_body, nullptr);
        EXPECT_EQ(COL_Spheres[COL_SphereCount - 1].owner, x);
        EXPECT_EQ(COL_Spheres[COL_SphereCount - 1].body, x->coll_body);
    }
    int32_t centre[3], radius, mask;
    Coll_Get_Body(a->coll_body, centre, &radius, &mask);
    EXPECT_EQ(radius, 135);
    EXPECT_EQ(mask, 15);
    EXPECT_EQ(a->mass, 80.0);
    Coll_Get_Body(o->coll_body, centre, &radius, &mask);
    EXPECT_EQ(radius, 50);
    EXPECT_EQ(mask, 7);
    EXPECT_EQ(o->mass, 10.0);

    // A platform owner: its records built, no sphere.
    const int32_t spheres = COL_SphereCount;
    ActorRecord *p = scene.AddPlatform({{0, 0, 0}, {900, 0, 0}, {0, 0, 900}}, {100, 20, 100}, {5, 6, 7}, {0, 0, 0});
    EXPECT_EQ(PLT_Count, 3);
    EXPECT_EQ(PLT_Active, 1);
    EXPECT_EQ(p->coll_body, nullptr);
    EXPECT_EQ(COL_SphereCount, spheres);
    EXPECT_EQ(p->position[0], 5.0);
    // Inactive records are left alone.
    ActorRecord idle;
    ACTOR_InitRecord(&idle);
    idle.coupling = 3.0;
    PHY_ResetBody(&idle);
    EXPECT_EQ(idle.coupling, 3.0);
}

TEST(Collision, TheSphereTable)
{
    PhysicsScene scene(Floor(), 1);
    ActorRecord *a = scene.Actor(0);
    // The figure's foot marker is found and hidden.
    EXPECT_EQ(a->marker_node, a->node + 5);
    EXPECT_TRUE(Hidden(a->marker_node));
    EXPECT_FALSE(Hidden(a->node));
    EXPECT_EQ(COL_SphereCount, 1);
    EXPECT_EQ(COL_Spheres[0].owner, a);
    EXPECT_EQ(COL_Spheres[0].body, a->coll_body);

    const int32_t bodies = Coll_Body_Count();
    COL_SnapDistance = 7;
    int32_t camera[3] = {0, -1000, 0};
    COL_CollideCamera(camera);
    EXPECT_EQ(Coll_Body_Count(), bodies + 1);
    COL_FreeSpheres();
    EXPECT_EQ(Coll_Body_Count(), bodies - 1);
    EXPECT_EQ(COL_SphereCount, 0);
    EXPECT_EQ(COL_SnapDistance, 100);
    EXPECT_EQ(COL_CameraBody, nullptr);
    EXPECT_EQ(a->coll_body, nullptr);

    for (int32_t i = 0; i < COL_MAX_SPHERES; i++) {
        COL_AllocSphere(a, nullptr);
    }
    ExpectFatal([&] { COL_AllocSphere(a, nullptr); }, "Kalder Internal Error : too many spheres");
    COL_FreeSpheres();

    // The space gives no more bodies: the body reset stops the game.
    std::vector<OBJ_CollBody *> taken;
    while (OBJ_CollBody *body = Coll_Create_Body(7)) {
        taken.push_back(body);
    }
    ExpectFatal([&] { COL_CreateSceneSpheres(a); }, "Kalder Internal Error : can't create collision sphere");
    ExpectFatal([&] { COL_CreateObjectSpheres(a); }, "Kalder Internal Error : can't create collision sphere");
    for (OBJ_CollBody *body : taken) {
        Coll_Delete_Body(body);
    }
}

TEST(Collision, MarkerAndBasinNodesAreHidden)
{
    kalder_test::SceneArea area(2000000);
    std::vector<kalder_test::ObjectSpec> objects = kalder_test::CharacterObjects();
    kalder_test::ObjectSpec basin;
    basin.name = "bassin01";
    basin.parent = 1;
    objects.push_back(basin);
    kalder_test::ObjectSpec second = basin;
    second.name = "zzzzz";
    objects.push_back(second);
    ActorRecord a;
    ACTOR_InitRecord(&a);
    a.flags[0] = ACTOR_F0_IN_USE;
    a.node = area.Load("basin.3dc", kalder_test::HierarchyImage(objects, kalder_test::CharacterMaterials()));
    COL_FreeSpheres();
    COL_CreateSceneSpheres(&a);
    EXPECT_TRUE(Hidden(a.node + 6));
    ASSERT_NE(a.marker_node, 0);
    EXPECT_TRUE(Hidden(a.marker_node));
    EXPECT_EQ(a.marker_node == a.node + 5 ? 0 : 1, Hidden(a.node + 5) ? 0 : 1);
    COL_FreeSpheres();
}

// A foot counts on a box from 200 above its top to 200 below it.
TEST(Collision, APlatformReachesTwoHundredAboveAndBelowItsTop)
{
    PhysicsScene scene(GameFloor(-8000, -8000, 16000, 3000), 1);
    ActorRecord *a = scene.Actor(0);
    scene.AddPlatform({{0, 0, 0}}, {300, 50, 300}, {0, 0, 0}, {0, 0, 0});
    PLT_Update();
    ASSERT_EQ(PLT_Records[0].centre[1], -50);
    const struct {
        int32_t above; // the foot over the top
        int32_t result;
    } cases[] = {{0, 1}, {150, 2}, {200, 2}, {201, 0}, {-150, 2}, {-200, 2}, {-201, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.above);
        scene.Place(a, 0, -50 - 160 - c.above, 0);
        int32_t out[3] = {7, 7, 7};
        EXPECT_EQ(PLT_Contact(a, out), c.result);
        EXPECT_EQ((a->coll_flags[0] & ACTOR_C0_ON_PLATFORM) != 0, c.result != 0);
        if (c.result != 0) {
            EXPECT_EQ(out[1], -c.above);
        }
    }
}

TEST(Collision, APlatformCarriesAFigure)
{
    const kalder_test::Vec3 half{300, 50, 300};
    PhysicsScene scene(GameFloor(-8000, -8000, 16000, 3000), 1);
    ActorRecord *a = scene.Actor(0);
    ActorRecord *p = scene.AddPlatform({{0, 0, 0}, {1500, 0, 0}}, half, {0, 0, 0}, {10, 0, 0});
    ASSERT_EQ(PLT_Count, 2);
    EXPECT_EQ(PLT_Actor(), p);
    EXPECT_EQ(PLT_GetTop(0), 50);
    EXPECT_EQ(PLT_Records[0].half[0], 300);
    EXPECT_TRUE(Hidden(p->node));
    EXPECT_TRUE(Hidden(PLT_Records[1].box_node));
    // On box A's top (y -50).
    scene.Place(a, 0, -50 - 160, 0);
    double x = 0;
    for (int32_t f = 0; f < 20; f++) {
        scene.Step();
        if (f >= 1) {
            x += 10;
        }
        EXPECT_EQ(a->position[0], x) << f;
        EXPECT_EQ(a->position[1], -210.0) << f;
        EXPECT_TRUE(a->coll_flags[0] & ACTOR_C0_ON_PLATFORM);
        EXPECT_EQ(a->platform_index, 0);
        EXPECT_EQ(a->reference_height, -50);
        if (f >= 1) {
            EXPECT_FALSE(A(a)) << f;
        }
    }
    int32_t d[3];
    PLT_GetDisplacement(0, d);
    EXPECT_EQ(std::vector<int32_t>(d, d + 3), (std::vector<int32_t>{10, 0, 0}));
    // Walking back faster than the platform goes: off the box's edge, it falls.
    a->velocity[0] = -30.0f;
    int32_t f = 0;
    while ((a->coll_flags[0] & ACTOR_C0_ON_PLATFORM) && f < 100) {
        scene.Step();
        f++;
    }
    EXPECT_LT(a->position[0] - PLT_Records[0].centre[0], -300.0 + 30.0);
    a->velocity[0] = 0.0f;
    for (int32_t g = 0; g < 10; g++) {
        scene.Step();
    }
    EXPECT_TRUE(A(a));
    EXPECT_GT(a->position[1], -210.0 + 50);
}

TEST(Collision, SixtyFiveBoxesAreTooMany)
{
    PhysicsScene scene(Floor(), 0);
    std::vector<kalder_test::Vec3> centres;
    for (int32_t i = 0; i < 65; i++) {
        centres.push_back({i * 100, 0, 0});
    }
    ExpectFatal([&] { scene.AddPlatform(centres, {40, 10, 40}, {0, 0, 0}, {0, 0, 0}); },
                "Kalder Internal Error : too many PLT");
    centres.pop_back();
    scene.AddPlatform(centres, {40, 10, 40}, {0, 0, 0}, {0, 0, 0});
    EXPECT_EQ(PLT_Count, 64);
    EXPECT_EQ(PLT_Active, 1);
}

TEST(Collision, TheCameraKeepsOutOfWalls)
{
    PhysicsScene scene(WallOnFloor(-2000, 2000, 500), 0);
    int32_t point[3] = {0, -500, 460};
    COL_CollideCamera(point);
    EXPECT_EQ(std::vector<int32_t>(point, point + 3), (std::vector<int32_t>{0, -500, 400}));
    // Following the aim from there, pushed each time.
    int32_t next[3] = {20, -500, 480};
    COL_CollideCamera(next);
    EXPECT_EQ(next[2], 400);
    EXPECT_NEAR(next[0], 20, 1); // the sweep's fixed-point steps truncate

    for (int32_t off = 0; off < 2; off++) {
        MDL_SceneCollReady = off == 0 ? 0 : 1;
        EDT_Active = off == 0 ? 0 : 1;
        int32_t left[3] = {0, -500, 460};
        COL_CollideCamera(left);
        EXPECT_EQ(left[2], 460);
    }
    EDT_Active = 0;
}

} // namespace
