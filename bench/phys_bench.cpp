// The physics and the collision pass per frame: 1, 8 and 30 figures walking over a 20,000-triangle
// floor with height noise inside four walls, beside Bullet's kinematic character controller on the
// same triangles; and the physics step alone under 128 active fields.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/summary.h"
#include "tests/support/coll_meshes.h"
#include "tests/support/physics_scene.h"
#include "world/actor.h"
#include "world/phy.h"

#ifdef KALDER_HAVE_BULLET
#include <BulletCollision/BroadphaseCollision/btDbvtBroadphase.h>
#include <BulletCollision/CollisionDispatch/btDefaultCollisionConfiguration.h>
#include <BulletCollision/CollisionDispatch/btGhostObject.h>
#include <BulletCollision/CollisionShapes/btBvhTriangleMeshShape.h>
#include <BulletCollision/CollisionShapes/btSphereShape.h>
#include <BulletCollision/CollisionShapes/btTriangleMesh.h>
#include <BulletDynamics/Character/btKinematicCharacterController.h>
#include <BulletDynamics/ConstraintSolver/btSequentialImpulseConstraintSolver.h>
#include <BulletDynamics/Dynamics/btDiscreteDynamicsWorld.h>
#endif

namespace {

using kalder_test::CollMeshSpec;

constexpr int32_t Frames = 600;
constexpr int32_t Cell = 80, Cells = 100, Extent = Cell * Cells;
constexpr int32_t Noise = 24;
constexpr double Walk = 8.0;

// The floor faces up (-y, the game's y grows downward), the walls inward.
CollMeshSpec Scene()
{
    CollMeshSpec mesh = kalder_test::Flipped(kalder_test::FloorGrid(Cells, Cells, Cell, Noise, 7));
    mesh.Append(kalder_test::Wall(0, Extent, Extent, -1000, Noise));
    mesh.Append(kalder_test::Flipped(kalder_test::Wall(0, Extent, 0, -1000, Noise)));
    CollMeshSpec side = kalder_test::Wall(0, Extent, 0, -1000, Noise);
    for (kalder_test::Vec3 &v : side.vertices) {
        std::swap(v[0], v[2]);
    }
    mesh.Append(side);
    for (kalder_test::Vec3 &v : side.vertices) {
        v[0] = Extent;
    }
    mesh.Append(kalder_test::Flipped(side));
    return mesh;
}

// Seeded starting points and walking directions, the same for both engines.
struct Walker {
    double x, z, dx, dz;
};

std::vector<Walker> Walkers(int32_t n)
{
    kalder_test::FixtureRandom rnd(11);
    std::vector<Walker> w;
    for (int32_t i = 0; i < n; i++) {
        const double angle = rnd.Range(0, 4095) * (2.0 * M_PI / 4096.0);
        w.push_back({double(rnd.Range(600, Extent - 600)), double(rnd.Range(600, Extent - 600)), Walk * std::cos(angle),
                     Walk * std::sin(angle)});
    }
    return w;
}

// Near a wall the walker turns back on that axis.
void Turn(Walker &w, double x, double z)
{
    if ((x < 400 && w.dx < 0) || (x > Extent - 400 && w.dx > 0)) {
        w.dx = -w.dx;
    }
    if ((z < 400 && w.dz < 0) || (z > Extent - 400 && w.dz > 0)) {
        w.dz = -w.dz;
    }
}

struct KalderRun {
    std::unique_ptr<kalder_test::PhysicsScene> scene;
    std::vector<Walker> walkers;

    explicit KalderRun(int32_t n) : scene(std::make_unique<kalder_test::PhysicsScene>(Scene(), n)), walkers(Walkers(n))
    {
        Reset();
    }
    void Reset()
    {
        walkers = Walkers(int32_t(walkers.size()));
        for (size_t i = 0; i < walkers.size(); i++) {
            scene->Place(scene->Actor(int32_t(i)), walkers[i].x, -200, walkers[i].z);
        }
    }
    void Frame()
    {
        for (size_t i = 0; i < walkers.size(); i++) {
            ActorRecord *a = scene->Actor(int32_t(i));
            Turn(walkers[i], a->position[0], a->position[2]);
            a->velocity[0] = float(walkers[i].dx);
            a->velocity[2] = float(walkers[i].dz);
        }
        scene->Step();
    }
    bool AllAboveTheFloor() const
    {
        for (size_t i = 0; i < walkers.size(); i++) {
            if (!(scene->Actor(int32_t(i))->position[1] < 0.0)) {
                return false;
            }
        }
        return true;
    }
};

std::unique_ptr<KalderRun> Kalder;

#ifdef KALDER_HAVE_BULLET
// Bullet's y points up: every y is negated.
struct BulletRun {
    btDefaultCollisionConfiguration config;
    btCollisionDispatcher dispatcher{&config};
    btDbvtBroadphase broadphase;
    btGhostPairCallback ghosts;
    btSequentialImpulseConstraintSolver solver;
    btDiscreteDynamicsWorld world{&dispatcher, &broadphase, &solver, &config};
    btTriangleMesh triangles;
    std::unique_ptr<btBvhTriangleMeshShape> shape;
    btCollisionObject floor;
    btSphereShape sphere{135};
    std::vector<std::unique_ptr<btPairCachingGhostObject>> bodies;
    std::vector<std::unique_ptr<btKinematicCharacterController>> controllers;
    std::vector<Walker> walkers;

    explicit BulletRun(int32_t n)
    {
        broadphase.getOverlappingPairCache()->setInternalGhostPairCallback(&ghosts);
        const CollMeshSpec mesh = Scene();
        auto v = [&](int32_t i) {
            const kalder_test::Vec3 &p = mesh.vertices[size_t(i)];
            return btVector3(btScalar(p[0]), btScalar(-p[1]), btScalar(p[2]));
        };
        for (const kalder_test::Vec3 &t : mesh.triangles) {
            triangles.addTriangle(v(t[0]), v(t[1]), v(t[2]));
        }
        shape = std::make_unique<btBvhTriangleMeshShape>(&triangles, true);
        floor.setCollisionShape(shape.get());
        world.addCollisionObject(&floor, btBroadphaseProxy::StaticFilter,
                                 btBroadphaseProxy::AllFilter ^ btBroadphaseProxy::StaticFilter);
        world.setGravity(btVector3(0, -2943, 0));
        walkers = Walkers(n);
        for (int32_t i = 0; i < n; i++) {
            auto ghost = std::make_unique<btPairCachingGhostObject>();
            ghost->setCollisionShape(&sphere);
            ghost->setCollisionFlags(btCollisionObject::CF_CHARACTER_OBJECT);
            auto controller = std::make_unique<btKinematicCharacterController>(ghost.get(), &sphere, btScalar(20));
            controller->setGravity(btVector3(0, -2943, 0));
            world.addCollisionObject(ghost.get(), btBroadphaseProxy::CharacterFilter,
                                     btBroadphaseProxy::StaticFilter | btBroadphaseProxy::DefaultFilter |
                                         btBroadphaseProxy::CharacterFilter);
            world.addAction(controller.get());
            bodies.push_back(std::move(ghost));
            controllers.push_back(std::move(controller));
        }
        Reset();
    }
    ~BulletRun()
    {
        for (size_t i = 0; i < bodies.size(); i++) {
            world.removeAction(controllers[i].get());
            world.removeCollisionObject(bodies[i].get());
        }
        world.removeCollisionObject(&floor);
    }
    void Reset()
    {
        walkers = Walkers(int32_t(walkers.size()));
        for (size_t i = 0; i < bodies.size(); i++) {
            btTransform t;
            t.setIdentity();
            t.setOrigin(btVector3(btScalar(walkers[i].x), 200, btScalar(walkers[i].z)));
            controllers[i]->warp(t.getOrigin());
            controllers[i]->reset(&world);
        }
    }
    void Frame()
    {
        for (size_t i = 0; i < bodies.size(); i++) {
            const btVector3 p = bodies[i]->getWorldTransform().getOrigin();
            Turn(walkers[i], p.x(), p.z());
            controllers[i]->setWalkDirection(btVector3(btScalar(walkers[i].dx), 0, btScalar(walkers[i].dz)));
        }
        world.stepSimulation(btScalar(1.0 / 30.0), 1, btScalar(1.0 / 30.0));
    }
    bool AllAboveTheFloor() const
    {
        for (const auto &b : bodies) {
            if (!(b->getWorldTransform().getOrigin().y() > 0)) {
                return false;
            }
        }
        return true;
    }
};

std::unique_ptr<BulletRun> Bullet;
#endif

template <typename Run> void Frames_Run(benchmark::State &state, Run &run)
{
    for (auto _ : state) {
        state.PauseTiming();
        run.Reset();
        state.ResumeTiming();
        for (int32_t f = 0; f < Frames; f++) {
            run.Frame();
        }
    }
}

// 48 bodies under 128 active fields: the longest field sum a frame can ask for.
void MoveObject_Run(benchmark::State &state)
{
    PHY_ClearFields();
    for (int32_t i = 0; i < PHY_MAX_FIELDS; i++) {
        PHY_Field f{};
        f.kind = uint8_t(i == 0 ? PHY_FIELD_UNIFORM : 1 + i % 3);
        f.vector[1] = i == 0 ? PHY_GRAVITY : 0.5;
        f.vector[0] = 0.25;
        for (int k = 0; k < 3; k++) {
            f.min[k] = -100000.0;
            f.max[k] = 100000.0;
        }
        f.strength = 10.0;
        PHY_AddField(&f);
    }
    std::vector<ActorRecord> actors(48);
    for (size_t i = 0; i < actors.size(); i++) {
        ACTOR_InitRecord(&actors[i]);
        actors[i].flags[0] = ACTOR_F0_IN_USE;
        actors[i].flags[1] = ACTOR_F1_AI;
        actors[i].node = -1;
        actors[i].coupling = 1.0;
        actors[i].damping = 1.0f;
        actors[i].position[0] = double(i) * 50.0;
        actors[i].coll_flags[0] = ACTOR_C0_CONTACT_A;
    }
    for (auto _ : state) {
        for (ActorRecord &a : actors) {
            PHY_MoveObject(&a);
        }
        benchmark::DoNotOptimize(actors[0].position[1]);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(actors.size()));
    PHY_ClearFields();
}

// Registers the frames of a run with n walkers, and says whether every walker is still above the
// floor after them (outside the timing).
template <typename Run> void Register(const std::string &prefix, int32_t n, std::unique_ptr<Run> &slot)
{
    benchmark::RegisterBenchmark((prefix + std::to_string(n)).c_str(), [n, &slot](benchmark::State &s) {
        slot = std::make_unique<Run>(n);
        Frames_Run(s, *slot);
        slot.reset();
    })->Unit(benchmark::kMillisecond);
    Run check(n);
    for (int32_t f = 0; f < Frames; f++) {
        check.Frame();
    }
    std::printf(" %s%d %s", prefix.c_str() + 6, n, check.AllAboveTheFloor() ? "yes" : "NO");
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    const int32_t counts[] = {1, 8, 30};
    std::printf("Actors above the floor after %d frames:", Frames);
    for (int32_t n : counts) {
        Register<KalderRun>("Frame/Kalder/", n, Kalder);
#ifdef KALDER_HAVE_BULLET
        Register<BulletRun>("Frame/Bullet/", n, Bullet);
#endif
    }
    std::printf("\n\n");
    benchmark::RegisterBenchmark("MoveObject/48x128fields", MoveObject_Run);

    SummaryReporter reporter(PickSecondsPerIteration);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto per_frame = [&](const std::string &name, double *us) {
        auto it = reporter.figures.find(name);
        if (it == reporter.figures.end()) {
            return false;
        }
        *us = it->second * 1e6 / Frames;
        return true;
    };
    std::printf("\nPhysics and collision per frame (%d frames; the frame budget is 33.3 ms at 30 a second)\n", Frames);
    for (int32_t n : counts) {
        const std::string k = "Frame/Kalder/" + std::to_string(n), b = "Frame/Bullet/" + std::to_string(n);
        double uk = 0, ub = 0;
        const bool hk = per_frame(k, &uk), hb = per_frame(b, &ub);
        std::printf("%2d actors: Kalder %s", n, hk ? (std::to_string(uk).substr(0, 7) + " us").c_str() : "not available");
        if (hk) {
            std::printf(" (%.2f%% of the budget)", uk / 33333.3 * 100.0);
        }
        std::printf("   Bullet %s   ratio %s\n", hb ? (std::to_string(ub).substr(0, 7) + " us").c_str() : "not available",
                    Ratio(reporter, b, k).c_str());
    }
    auto m = reporter.figures.find("MoveObject/48x128fields");
    if (m != reporter.figures.end()) {
        std::printf("PHY_MoveObject under 128 fields: %.1f ns a record\n", m->second * 1e9 / 48);
    }
    benchmark::Shutdown();
    return 0;
}
