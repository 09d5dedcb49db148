// Flickering lights carried by actors.
#pragma once
#include <cstdint>

// 1 while any light slot is in use: the scene textures then keep all their shade tables current.
extern int32_t FLICK_LightsPresent;
// Set by TEX_FindLightActors when it created a light: the texture step then moves the lights.
extern int32_t FLICK_LightsCreated;

// The level load frees the 4 light slots.
void FLICK_Reset();
// At the end of the texture preparation of a level load: a light for every light-carrying actor.
void TEX_FindLightActors();
// Once per tick from the texture step while lights were created: the lights follow their actors.
void TEX_MoveLights();

struct ActorRecord;

// A flickering light carried by an actor (projectiles of shots and hits); the light slot, -1 for none.
int32_t FLICK_Create(ActorRecord *actor, int32_t type, int32_t range);
// What the stand-in saw: its calls of FLICK_Create and FLICK_Remove, and the last light asked for and
// the actor of the last removal.
struct FLICK_Request {
    ActorRecord *actor;
    int32_t type, range;
};
extern int32_t FLICK_CreateCalls;
extern FLICK_Request FLICK_LastCreate;
extern int32_t FLICK_RemoveCalls;
extern ActorRecord *FLICK_LastRemoved;
// Per frame for the actor's light: it follows the actor.
void FLICK_Move(ActorRecord *actor);
// When the actor's light is no longer wanted (a projectile ends).
void FLICK_Remove(ActorRecord *actor);
