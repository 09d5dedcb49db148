// Actor animation: the animation-slot table, an actor type's animations, actions and the switch from
// one animation to the next.
#pragma once
#include <cstdint>

struct ActorRecord;

// The level load empties the animation-slot table.
void ANIM_InitSlots();
// Loads the animations of the actor's model (the open container's, else the files beside the model)
// into a free set: 1, or 0 with no set.
int32_t ANIM_LoadActorAnims(ActorRecord *actor, const char *model);
// The actor takes the other's animation set: 1, or 0 when the other has none.
int32_t ANIM_SetAnimSet(ActorRecord *actor, ActorRecord *other);
// Once a frame for each action wanted of the actor (control, AI, scripts, the load's action 0).
void ANIM_DoAction(ActorRecord *actor, int32_t action);
// Applies the requested animation: 0 while the actor is locked, else 1.
int32_t ANIM_ChangeAnim(ActorRecord *actor);
void ANIM_ResetAnim(ActorRecord *actor);
// Called once per frame by the game tick: animation and motion of every actor and projectile.
void ANIM_UpdateActors();
