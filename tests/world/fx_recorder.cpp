// The wrappers of the effects that the fight, the projectiles and the moves ask for (see fx_recorder.h).
#include "tests/world/fx_recorder.h"

#include "world/fx.h"

namespace fx_recorder {

Calls &Seen()
{
    static Calls calls;
    return calls;
}

void Forget()
{
    Seen() = Calls{};
    FX_Clear();
}

} // namespace fx_recorder

// The link names of the wrapped routines (their C++ names, mangled) with the linker's prefixes.
extern "C" {
void __real__Z8FX_TrailP11ActorRecord(ActorRecord *actor);
void __real__Z20FX_SpawnHitParticlesP11ActorRecord(ActorRecord *actor);
void __real__Z14FX_SpawnEffectP11ActorRecord(ActorRecord *actor);
void __real__Z9FX_SparksP11ActorRecord(ActorRecord *actor);

void __wrap__Z8FX_TrailP11ActorRecord(ActorRecord *actor)
{
    fx_recorder::Seen().trails++;
    __real__Z8FX_TrailP11ActorRecord(actor);
}

void __wrap__Z20FX_SpawnHitParticlesP11ActorRecord(ActorRecord *actor)
{
    fx_recorder::Seen().hit_particles++;
    __real__Z20FX_SpawnHitParticlesP11ActorRecord(actor);
}

void __wrap__Z14FX_SpawnEffectP11ActorRecord(ActorRecord *actor)
{
    fx_recorder::Seen().effects++;
    __real__Z14FX_SpawnEffectP11ActorRecord(actor);
}

void __wrap__Z9FX_SparksP11ActorRecord(ActorRecord *actor)
{
    fx_recorder::Seen().sparks++;
    fx_recorder::Seen().last_sparks = actor;
    __real__Z9FX_SparksP11ActorRecord(actor);
}

} // extern "C"
