// Scene triggers: the project's trigger sources and what they watch.
#pragma once
#include <cstdint>

struct ActorRecord;

// The level load copies the active trigger sources of the current project.
void TRG_Load();
// The character loader tells the triggers of each new character: one that a trigger shows later
// starts hidden and disabled.
void TRG_HideLaterShown(ActorRecord *actor);
// Called once per frame by the game tick for the actor the player steers.
void TRG_Update(ActorRecord *actor);
// 1 once a trigger unlocked the exits that wait for it, else 0. Read by the exits.
int32_t TRG_ExitsUnlocked();
// The level load asks for each path zone whether it builds the zone's fields now: 1, unless an active
// trigger shows the path later and builds them then.
int32_t TRG_ZoneBuiltAtLoad(int32_t zone);
