// The calls of the fight's, projectiles' and moves' effects, seen through link-time wrappers (--wrap of
// FX_Trail, FX_SpawnHitParticles, FX_SpawnEffect and FX_Sparks in world_tests); the wrappers call the
// real routines.
#pragma once
#include <cstdint>

struct ActorRecord;

namespace fx_recorder {

struct Calls {
    int32_t trails = 0;
    int32_t hit_particles = 0;
    int32_t effects = 0;
    int32_t sparks = 0;
    ActorRecord *last_sparks = nullptr;
};

Calls &Seen();
// Empties what was seen, and the effects themselves (FX_Clear): a bench built without the level load
// holds no effect nodes.
void Forget();

} // namespace fx_recorder
