// kdev phys: the physics scenarios frame by frame.
#include "tools/kdev/kdev_phys.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/physics_scene.h"
#include "world/actor.h"
#include "world/plt.h"

using kalder_test::CollMeshSpec;
using kalder_test::GameFloor;
using kalder_test::PhysicsScene;

namespace {

void Header() { std::printf("frame actor      x      y      z | step x y z | phy velocity x y z | c0 c1 | measure\n"); }

void Print(int32_t frame, int32_t index, const ActorRecord *a)
{
    std::printf("%5" PRId32 " %5" PRId32 " %6.0f %6.0f %6.0f | %4" PRId32 " %4" PRId32 " %4" PRId32
                " | %8.3f %8.3f %8.3f | %02x %02x | %3u\n",
                frame, index, a->position[0], a->position[1], a->position[2], a->motion_vector[0], a->motion_vector[1],
                a->motion_vector[2], a->phy_velocity[0], a->phy_velocity[1], a->phy_velocity[2], a->coll_flags[0],
                a->coll_flags[1], a->contact_measure);
}

// Runs a scene for a number of frames, printing every actor each frame; `each` runs before a frame.
void Run(PhysicsScene &scene, int32_t frames, const std::function<void(int32_t)> &each = nullptr)
{
    Header();
    for (int32_t f = 1; f <= frames; f++) {
        if (each) {
            each(f);
        }
        scene.Step();
        for (int32_t i = 0; i < scene.Count(); i++) {
            Print(f, i, scene.Actor(i));
        }
    }
}

CollMeshSpec Floor() { return GameFloor(-4000, -4000, 8000, 0); }

// A figure standing on the floor before a wall along x at z, facing -z.
struct WallScene {
    PhysicsScene scene;
    ActorRecord *a;
    WallScene(int32_t z, double start_z) : scene(With_Wall(z), 1), a(scene.Actor(0)) { scene.Place(a, 0, -165, start_z); }
    static CollMeshSpec With_Wall(int32_t z)
    {
        CollMeshSpec mesh = Floor();
        mesh.Append(kalder_test::Wall(-2000, 2000, z, -1000, 0));
        return mesh;
    }
};

struct Scenario {
    const char *name;
    const char *what;
    std::function<void()> run;
};

const std::vector<Scenario> &Scenarios()
{
    static const std::vector<Scenario> list = {
        {"fall", "a figure dropped 300 above a floor falls, then stands 5 above it",
         [] {
             PhysicsScene scene(Floor(), 1);
             scene.Place(scene.Actor(0), 0, -460, 0);
             Run(scene, 20);
         }},
        {"ledge", "walking off a ledge at 8 a frame onto a floor 1000 below",
         [] {
             CollMeshSpec mesh = GameFloor(-4000, -2000, 4000, 0);
             mesh.Append(GameFloor(0, -2000, 4000, 1000));
             PhysicsScene scene(mesh, 1);
             scene.Place(scene.Actor(0), -40, -165, 0);
             scene.Actor(0)->velocity[0] = 8.0f;
             Run(scene, 45);
         }},
        {"wall", "walking into a wall at z 500, then away from it",
         [] {
             WallScene w(500, 300);
             ActorRecord *a = w.a;
             Run(w.scene, 16, [a](int32_t f) { a->velocity[2] = f <= 12 ? 8.0f : -8.0f; });
         }},
        {"fast", "a step of 400 toward a thin wall at z 350: it stops at its radius before it",
         [] {
             WallScene w(350, 0);
             ActorRecord *a = w.a;
             Run(w.scene, 2, [a](int32_t f) { a->velocity[2] = f == 1 ? 400.0f : 0.0f; });
         }},
        {"ramp", "standing on a ramp rising along x, turned a quarter each frame: the ground slope",
         [] {
             PhysicsScene scene(kalder_test::Flipped(kalder_test::Ramp(-1000, 1000, 0, -500, -1000, 1000)), 1);
             ActorRecord *a = scene.Actor(0);
             scene.Place(a, 0, -415, 0);
             Header();
             for (int32_t f = 1; f <= 8; f++) {
                 a->heading = 1024 * (f % 4);
                 scene.Step();
                 Print(f, 0, a);
                 std::printf("      heading %4" PRId32 " slope %" PRId32 "\n", a->heading, a->ground_slope);
             }
         }},
        {"push", "two figures 100 apart, masses 80 and 10: pushed apart by mass",
         [] {
             PhysicsScene scene(Floor(), 2);
             scene.Place(scene.Actor(0), 0, -165, 0);
             scene.Place(scene.Actor(1), 100, -165, 0);
             scene.Actor(1)->mass = 10.0;
             Run(scene, 3);
         }},
        {"object", "an object dropped onto the floor bounces",
         [] {
             PhysicsScene scene(Floor(), 0, 1);
             scene.Place(scene.Actor(0), 0, -400, 0);
             scene.Actor(0)->velocity[0] = 6.0f;
             Run(scene, 24);
         }},
        {"platform", "a figure on a platform moving 10 a frame, walking back off its edge after 10 frames",
         [] {
             PhysicsScene scene(GameFloor(-8000, -8000, 16000, 3000), 1);
             scene.AddPlatform({{0, 0, 0}, {1500, 0, 0}}, {300, 50, 300}, {0, 0, 0}, {10, 0, 0});
             ActorRecord *a = scene.Actor(0);
             scene.Place(a, 0, -210, 0);
             Run(scene, 40, [a](int32_t f) { a->velocity[0] = f > 10 ? -30.0f : 0.0f; });
         }},
    };
    return list;
}

} // namespace

int KdevPhys(const char *scenario)
{
    bool any = false;
    for (const Scenario &s : Scenarios()) {
        if (scenario != nullptr && std::strcmp(scenario, s.name) != 0) {
            continue;
        }
        any = true;
        std::printf("== %s: %s\n", s.name, s.what);
        s.run();
    }
    if (!any) {
        std::fprintf(stderr, "kdev phys: no scenario \"%s\"\n", scenario);
        return 1;
    }
    return 0;
}
