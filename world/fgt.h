// The hero's fight step and an actor's contact with water.
#pragma once

struct ActorRecord;

// Per animated actor per frame, from the actor step: the water surface's effect on it.
void FGT_WaterStep(ActorRecord *actor);
