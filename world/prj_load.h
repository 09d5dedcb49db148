// The level load: the current project record turned into a running level (3D library, view, hero,
// characters, scene, colours), and a character put back at its start.
#pragma once
#include <cstdint>

struct ActorRecord;

// Off switches the characters' load (on by default; the editor's switch).
extern int32_t PRJ_LoadCharacters;

// The game tick, while PRJ_PendingFlag is 1: loads the current project completely and clears the flag.
void PRJ_LoadPending();
// The first half of the load: the 3D library restarted on its heap, the view, the hero and the effect
// models.
void PRJ_LoadResources();
// Puts a character back at its definition's start (the load, respawns, triggers, the editor).
void ACTOR_ResetToStart(ActorRecord *actor);
// Empty; called at the end of a load and by a hit on a flagged actor.
void PRJ_EmptyHook();
// Kept without a caller: a new AI-driven actor beside the source, sharing its model and animation
// state. Null when all 32 slots are taken.
ActorRecord *ACTOR_CloneActor(ActorRecord *source);
// Kept without a caller: gives the actor the animation node from its first frame at speed 1.5.
void ACTOR_SetAnimation(int32_t node, ActorRecord *actor);
