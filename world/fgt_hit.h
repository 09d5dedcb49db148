// Hits and damage: what a blow does to the actor it lands on.
#pragma once

struct ActorRecord;

// Per actor per frame from the animation players, before the physics: the knockback's share of the
// motion.
void FGT_StepKnockback(ActorRecord *actor);
