// The visited-level ring: the state of the last 8 projects left, given back when the hero returns.
#pragma once
#include <cstddef>
#include <cstdint>

// One object of a remembered project, as it lies in a saved game.
struct VisitedEntry {
    double position[3];
    float life;
    float second_gauge;
    int32_t heading;
    uint8_t unused36[4]; // written as zeros, never read
};
static_assert(sizeof(VisitedEntry) == 40);
static_assert(offsetof(VisitedEntry, position) == 0);
static_assert(offsetof(VisitedEntry, life) == 24);
static_assert(offsetof(VisitedEntry, second_gauge) == 28);
static_assert(offsetof(VisitedEntry, heading) == 32);

inline constexpr int32_t VIS_RING_SIZE = 8;
inline constexpr int32_t VIS_ENTRIES = 32;
inline constexpr int32_t VIS_NAME_BYTES = 16;

// The 32 object slots of a project, in slot order, and its name ("" = a free record; 16 characters
// without a NUL are a whole name).
struct VisitedRecord {
    VisitedEntry entries[VIS_ENTRIES];
    char name[VIS_NAME_BYTES];
};
static_assert(sizeof(VisitedRecord) == 1296);
static_assert(offsetof(VisitedRecord, name) == 1280);

extern VisitedRecord VIS_Ring[VIS_RING_SIZE];
// The record the next new project takes: after it come the oldest.
extern int32_t VIS_Cursor;

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
// Steps the cursor back by one and gives that record's objects back, the hero at the project's start.
// The game never calls it; the developer tools do.
void PRJ_StepBackVisited();
