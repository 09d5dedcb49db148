// The fight scene: the physics scene with the thrown model loaded into the 16 projectile records, and
// fighters set up in the object slots in one call each. The projectile tests, kdev powers and the
// projectile benchmark use it.
#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "tests/support/physics_scene.h"
#include "world/actor.h"

namespace kalder_test {

struct Fighter {
    double x = 0.0, y = 0.0, z = 0.0;
    int32_t heading = 0;
    int32_t radius = 135;
    bool team = false;      // the second camp
    float life = 100.0f;
    float gauge = 100.0f;   // the second gauge
    float strength = 20.0f;
    int32_t anim = 0;       // the current animation
    uint8_t weapons = 0;    // flag byte 6: sword and bow carried and drawn
    std::array<std::array<int32_t, 2>, 3> spells{}; // level, type code
    double mass = 80.0;
};

class FightScene {
public:
    // `fighters` characters in slots 1.. (slot 1 the hero), none placed yet.
    explicit FightScene(int32_t fighters);
    ~FightScene();
    FightScene(const FightScene &) = delete;
    FightScene &operator=(const FightScene &) = delete;

    // Slot i + 1, set up as the fighter says; the active lists are rebuilt.
    ActorRecord *Set(int32_t i, const Fighter &f);
    ActorRecord *Actor(int32_t i) { return scene_.Actor(i); }
    // Ends every projectile in flight as its life running out would.
    static void EndAll();
    // The projectiles in use.
    static int32_t InFlight();
    // Runs the projectiles' frame as the actor update does: each flying one moves and tests its hits.
    static void StepProjectiles();

private:
    PhysicsScene scene_;
};

} // namespace kalder_test
