// Symbol files: the symbol area that holds the symbol data of the current level's characters.
#pragma once
#include <cstdint>

struct ActorRecord;

inline constexpr uint32_t SYM_AREA_SIZE = 16000;

// The area, filled back to back from its start; SYM_AreaFill is the first free byte.
extern uint8_t SYM_Area[SYM_AREA_SIZE];
extern uint32_t SYM_AreaFill;

// Called by the level load once the level's 3D heap is ready: empties the symbol area, forgets any
// open symbol list and loads the word items' model.
void SYM_Reset();
// Called by MDL_LoadCharacter for an element that names a symbol file: reads "data\sym\" + name into
// the area and gives the actor its symbol data and flag. A file that does not open, is empty or does
// not fit in the room left is skipped.
void SYM_Load(ActorRecord *actor, const char *name);
