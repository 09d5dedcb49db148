// The hero's fight: stance, weapons and the danger around it, and an actor's contact with water.
#pragma once

struct ActorRecord;

// Frames the fight stance is still held; the level load clears it.
extern float FGT_StanceHoldTime;

// Per animated actor per frame, from the actor step: the water surface's effect on it.
void FGT_WaterStep(ActorRecord *actor);
