// Hits and damage: what blows, shots and powers do to the actor they land on, the push they give, and
// the slowing of everyone else.
#pragma once
#include <cstdint>

struct ActorRecord;

// The life the last blow left its victim (for the HUD).
extern float FGT_LastHitLife;

// A hit of the given amount on the actor's life (blows, draining zones, falls, drowning): sparks, the
// hit sound, and death when life runs out.
void FGT_Damage(ActorRecord *actor, float amount);
// The same without sparks; a death is always the ground death.
void FGT_DamageSilent(ActorRecord *actor, float amount);
// A death with no blow (a fall with no end): life 0 and the ground death, no sound.
void FGT_Kill(ActorRecord *actor);
// A blow of an attacker on a victim: sound, parry, death, the thorns' reply.
void FGT_MeleeHit(ActorRecord *victim, ActorRecord *attacker, int32_t damage);
// The push of a projectile on its victim, and the turn it gives.
void FGT_Knockback(const ActorRecord *projectile, ActorRecord *victim);
// The arrow's lighter push: no clamp, no turn.
void FGT_KnockbackLight(const ActorRecord *projectile, ActorRecord *victim);
// Per actor per frame from the animation players, before the physics: the knockback's share of the
// motion, and its decay.
void FGT_StepKnockback(ActorRecord *actor);
// The time powers and the scene triggers: every object in use but one is slowed (or freed again).
void FGT_SetOthers(const ActorRecord *except, float time, float factor);
void FGT_ClearOthers(const ActorRecord *except);
// 1 when nothing of the scene stands between the two actors (the hero's gun shots).
int32_t FGT_LineOfSight(const ActorRecord *a, const ActorRecord *b);

