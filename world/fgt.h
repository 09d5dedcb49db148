// The hero's fight: stance, weapons and blows.
#pragma once

struct ActorRecord;

// Called once per frame by the game tick for the steered actor while no fade runs.
void FGT_HeroFight(ActorRecord *actor);
