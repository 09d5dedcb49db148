// The visited-level ring: the state of the last 8 projects left, given back when the hero returns.
#pragma once
#include <cstdint>

// 1: the next PRJ_RecordVisited is skipped (and the mark cleared). The hero's death sets it, so the
// level it died in is not remembered.
extern int32_t PRJ_SkipNextVisited;

// Called when a fade ends, before the next project becomes current: remembers the level left.
void PRJ_RecordVisited();
// Called after each project load: gives a level visited before its remembered state back.
void PRJ_RestoreVisited();
// 1 when a project of that name is in the ring, else 0.
int32_t PRJ_FindVisited(const char *name);
// Empties the ring (a new game, the hero's death).
void PRJ_ClearVisited();
