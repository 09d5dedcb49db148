// Save games: the slot table of game.dat, each slot's game file and its 64 x 64 thumbnail, all in
// "data\game\" of the installation.
#pragma once
#include <cstddef>
#include <cstdint>

#include "world/level_record.h"

inline constexpr int32_t SAVE_SLOT_COUNT = 10;
inline constexpr int32_t SAVE_NAME_BYTES = 22;
inline constexpr int32_t SAVE_TABLE_BYTES = 340;
inline constexpr int32_t SAVE_GAME_BYTES = 11388;
inline constexpr int32_t SAVE_THUMB_SIDE = 64;
inline constexpr int32_t SAVE_THUMB_BYTES = SAVE_THUMB_SIDE * SAVE_THUMB_SIDE * 2;

// Where each block lies in the slot table and in a game file.
enum : int32_t {
    SAVE_AT_NAMES = 0,
    SAVE_AT_LOCKED = 220,
    SAVE_AT_STAMPS = 260,
    SAVE_AT_NUMBERS = 300,
};
enum : int32_t {
    SAVE_AT_RING = 0,
    SAVE_AT_CURSOR = 10368,
    SAVE_AT_PROJECT = 10372,
    SAVE_AT_LIFE = 10404,
    SAVE_AT_GAUGE = 10408,
    SAVE_AT_INVENTORY = 10412,
    SAVE_AT_HAND_SETS = 11364,
    SAVE_AT_HAND_SPRITES = 11376,
};
inline constexpr int32_t SAVE_PROJECT_BYTES = 32;

// A slot: its name ("" = empty), whether the automatic save leaves it alone, its stamp (0 = empty,
// larger = more recent) and the number of its game file (-1 = none yet).
struct SAVE_Slot {
    char name[SAVE_NAME_BYTES];
    int32_t locked;
    int32_t stamp;
    int32_t file_number;
};

extern SAVE_Slot SAVE_Slots[SAVE_SLOT_COUNT];
// The last thumbnail rendered or read, in the frame buffer's pixel format.
extern uint16_t SAVE_Thumbnail[SAVE_THUMB_SIDE * SAVE_THUMB_SIDE];
// A loaded game's own copy of its project's record: PRJ_Current and PRJ_Next point at it.
extern LevelRecord SAVE_GameRecord;

// Orders the stamped slots oldest first and numbers their stamps 1..n; the empty ones go behind.
void SAVE_SortSlots();
// Sorts, then writes game.dat. 0; -1 when it cannot be created or written; -2 on a short write.
int32_t SAVE_WriteSlots();
// Start-up (MENJ_Init) and the save screens: reads game.dat. 0, or -1 with an empty table.
int32_t SAVE_ReadSlots();
// Writes the game file of the slot of that name, giving the slot a file number when it has none.
// 0; -1 when there is no such slot or no free number, or the file cannot be written; -2 on a short
// write. A failure leaves the slot's previous file as it was.
int32_t SAVE_WriteGame(const char *name);
// Reads the game file of the slot of that name and switches to its project (loaded at the next
// tick). 0, or -1 with nothing changed when the file is missing or damaged.
int32_t SAVE_ReadGame(const char *name);
// Why the running game cannot take a game file of these bytes (a size other than 11,388, a cursor
// outside the ring, a project name without NUL or of no project, a number that is not finite), or null.
const char *SAVE_GameFault(const uint8_t *bytes, size_t size);
// Renders the scene at 64 x 64 into SAVE_Thumbnail and writes it as the slot's thumbnail; the view is
// given back as it was. 0, or -1 (the buffer cleared) when the slot has no file or it cannot be written.
int32_t SAVE_WriteThumbnail(const char *name);
// Reads the slot's thumbnail into SAVE_Thumbnail. 0, or -1 with the buffer cleared.
int32_t SAVE_ReadThumbnail(const char *name);
