// Hits and damage: what a blow does to the actor it lands on.
#pragma once
#include <cstdint>

struct ActorRecord;

// Per actor per frame from the animation players, before the physics: the knockback's share of the
// motion.
void FGT_StepKnockback(ActorRecord *actor);
// A hit of the given amount on the actor's life (draining zones, blows); ends in death when life runs
// out.
void FGT_Damage(ActorRecord *actor, float amount);

// What the stand-in saw: the calls of FGT_Damage, the last actor hit and the last amount.
extern int32_t FGT_DamageCount;
extern ActorRecord *FGT_LastDamaged;
extern float FGT_LastDamage;
