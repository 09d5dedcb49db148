// Shadows under the actors.
#pragma once
#include <cstdint>

struct ActorRecord;

// The level load loads the shadow models and frees the 16 shadow slots.
void SHADOW_Start();
// A moving actor's body reset gives it a shadow of a kind (1 flat, 2 the hero's true shadow).
void SHADOW_Attach(ActorRecord *actor, int32_t kind);
// Per frame after the actor's physics step: the shadow follows it.
void SHADOW_Place(ActorRecord *actor);
