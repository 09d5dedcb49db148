// The game world's frame, the level exits and the 3D engine's heap.
#pragma once
#include <cstddef>
#include <cstdint>

inline constexpr size_t GAME_3DHeapSize = 7850000;

struct ActorRecord;

extern int32_t GAME_FarClip;          // the current project's far clipping distance
extern int32_t GAME_OpeningFilmFlag;  // 1: the opening film shows before the next load of Project0
extern int32_t GAME_HeroDied;         // 1 for the tick in which the hero's death was handled
// The 3D library's work area, allocated zeroed once at start-up; every level load clears it and
// starts the library on it again.
extern void *GAME_3DHeap;

// System start-up: starts the 3D library on its heap and empties the inventory. Returns 1.
int32_t GAME_Init3DEngine();
// System shutdown: gives the heap back.
void GAME_Exit3DEngine();
// Called once a frame by the game's frame handler unless a film holds the game. The argument is not
// read.
void GAME_Tick(int32_t mode);
// Called by the tick for the hero, or for the object the hero is coupled to: the hero's death and the
// 8 exits of the current project.
void PRJ_UpdateExits(ActorRecord *actor);
// The knowledge power sends the hero to the named project (a writable buffer of size bytes): the
// level-change sound, the fade toward it, and its film held while it plays. 0 when the project is
// not found or is the current one.
int32_t GAME_TravelTo(char *name, size_t size);
// The tick's empty per-frame hook, and a routine with no work that nothing calls.
void GAME_TickHook();
void GAME_SpareHook();
