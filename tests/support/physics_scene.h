// The physics scene: a started library with one collision mesh in the space, the gravity field, the
// shadows started on the demo's shadow models, and test figures standing as moving actors in the
// object slots; one Step() is one frame the game's way.
// The physics tests, kdev phys and the physics benchmark use it.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "tests/support/coll_meshes.h"
#include "tests/support/scene_builder.h"
#include "world/actor.h"

namespace kalder_test {

// The same mesh with every triangle turned over. The meshes face +y; the game's y grows downward, so
// a floor the actors stand on faces -y.
CollMeshSpec Flipped(CollMeshSpec mesh);
// A floor for the game: `size` square from (x0, z0), at height y, facing up (-y), two triangles.
CollMeshSpec GameFloor(int32_t x0, int32_t z0, int32_t size, int32_t y);

class PhysicsScene {
public:
    // The mesh goes into the space as given; `actors` test figures take slots 1.. at the origin as
    // moving actors, then `objects` more as objects (class 0x08).
    PhysicsScene(const CollMeshSpec &mesh, int32_t actors, int32_t objects = 0);
    ~PhysicsScene();
    PhysicsScene(const PhysicsScene &) = delete;
    PhysicsScene &operator=(const PhysicsScene &) = delete;

    // Actor i (0-based) in slot i + 1.
    ActorRecord *Actor(int32_t i) { return &ACTOR_Slots[1 + i]; }
    int32_t Count() const { return count_; }
    // Puts an actor at a position, at rest, as a level start would (its body reset).
    void Place(ActorRecord *actor, double x, double y, double z);
    // A platform model of boxes (see PlatformModel) as an actor in the next free slot, at a position;
    // each frame it moves by `motion` before the platform update.
    ActorRecord *AddPlatform(const std::vector<Vec3> &centres, const Vec3 &half, const Vec3 &position, const Vec3 &motion);
    // One frame: the platform and its boxes, every actor's physics with its driven motion, then the
    // collision pass.
    void Step();

private:
    std::unique_ptr<SceneArea> area_;
    int32_t count_;
    ActorRecord *platform_ = nullptr;
    Vec3 platform_motion_{0, 0, 0};
};

} // namespace kalder_test
