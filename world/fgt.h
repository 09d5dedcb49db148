// The hero's fight: stance, weapons and the danger around it, and an actor's contact with water.
#pragma once
#include <cstdint>

struct ActorRecord;

// Frames the fight stance is still held; the level load clears it.
extern float FGT_StanceHoldTime;
// 1 while the hero is under water (the weapon and environment step keeps it); the scene's tint
// shifts then.
extern int32_t FGT_HeroUnderWater;

// Per animated actor per frame, from the actor step: the water surface's effect on it.
void FGT_WaterStep(ActorRecord *actor);

// Called once per frame by the game tick for the steered actor while no fade runs.
void FGT_HeroFight(ActorRecord *actor);
