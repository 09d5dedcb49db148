// Scene triggers: conditions on the player's actor and the characters, and what they set off.
#pragma once
#include <cstdint>

struct ActorRecord;

// Called once per frame by the game tick for the actor the player steers.
void TRG_Update(ActorRecord *actor);
// 1 once a trigger unlocked the exits that wait for it, else 0. Read by the exits.
int32_t TRG_ExitsUnlocked();
