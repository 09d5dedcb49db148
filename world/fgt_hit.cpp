// Hits and damage. Not built yet: no actor is knocked back, and a hit changes nothing but is counted,
// so that what deals damage can be seen.
#include "world/fgt_hit.h"

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
