// Actor animation: the actions actors are asked for and the per-frame step of every actor.
#pragma once
#include <cstdint>

struct ActorRecord;

// Called once per frame per wanted action (hero control, AI, fight, scripts, triggers, the tick).
void ANIM_DoAction(ActorRecord *actor, int32_t action);
// Called once per frame by the game tick: animation and motion of every actor and projectile.
void ANIM_UpdateActors();
