// The hero's fight: stance, weapons and the danger around it.
#pragma once

// Frames the fight stance is still held; the level load clears it.
extern float FGT_StanceHoldTime;

struct ActorRecord;

// Called once per frame by the game tick for the steered actor while no fade runs.
void FGT_HeroFight(ActorRecord *actor);
