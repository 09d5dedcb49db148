// Hits and damage. Not built yet: no actor is knocked back, and a hit changes nothing but is counted,
// so that what deals damage can be seen.
#include "world/fgt_hit.h"

float FGT_LastHitLife;
int32_t FGT_DamageCount;
ActorRecord *FGT_LastDamaged;
float FGT_LastDamage;

void FGT_StepKnockback(ActorRecord *) {}

void FGT_Damage(ActorRecord *actor, float amount)
{
    FGT_DamageCount++;
    FGT_LastDamaged = actor;
    FGT_LastDamage = amount;
}

void FGT_DamageSilent(ActorRecord *actor, float amount) { FGT_Damage(actor, amount); }
void FGT_MeleeHit(ActorRecord *, ActorRecord *, int32_t) {}
void FGT_Knockback(const ActorRecord *, ActorRecord *) {}
void FGT_KnockbackLight(const ActorRecord *, ActorRecord *) {}
void FGT_SetOthers(const ActorRecord *, float, float) {}
void FGT_ClearOthers(const ActorRecord *) {}
int32_t FGT_LineOfSight(const ActorRecord *, const ActorRecord *) { return 0; }
