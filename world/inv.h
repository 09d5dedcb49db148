// The hero's inventory: one record of 32 named items, with its 952-byte image in a saved game.
#pragma once
#include <cstdint>

struct ActorRecord;
struct INV_Record;

constexpr int32_t INV_ITEMS = 32;
constexpr int32_t INV_NAME_BYTES = 16;
// The record's image in a saved game, its fields back to back, little-endian.
constexpr int32_t INV_IMAGE_BYTES = 952;

// Where each field lies in the image.
enum : int32_t {
    INV_AT_OWNER = 0,
    INV_AT_NAMES = 4,
    INV_AT_SELECTED = 516,
    INV_AT_QUICK = 520,
    INV_AT_CHARGE = 532,
    INV_AT_LEVEL = 660,
    INV_AT_COUNT = 788,
    INV_AT_FIXED = 916,
    INV_AT_IN_USE = 948,
};

// The inventory record: 32 item places by name (an empty name is a free place), the selected item
// and the items of the three quick slots (-1: none), and per item its charge, level, count and
// whether it is fixed (its level does not grow).
struct INV_Record {
    ActorRecord *owner;
    char names[INV_ITEMS][INV_NAME_BYTES];
    int32_t selected;
    int32_t quick[3];
    float charge[INV_ITEMS];
    int32_t level[INV_ITEMS];
    int32_t count[INV_ITEMS];
    uint8_t fixed[INV_ITEMS];
    uint32_t inUse;
};

// The hero's inventory, the one record of the game.
extern INV_Record INV_Data;

// A pick-up, a scene trigger or the all-powers sequence gives the actor an item: 1 when it was added,
// 0 when the actor has no inventory or all 32 places hold names. Tells the HUD ('A') either way.
int32_t INV_Add(ActorRecord *actor, const char *name);
// The level load gives the hero the record; one already in use is handed over as it is.
void INV_Init(ActorRecord *actor);
// The level load marks the inventory the hero kept from the level before.
void INV_MarkKept(INV_Record *record);
// 1 when the actor carries an item whose name begins with the given one.
int32_t INV_Has(ActorRecord *actor, const char *name);
// Empties the first place holding exactly this name (its count and level stay); 1, or 0 when none.
int32_t INV_RemoveName(ActorRecord *actor, const char *name);
// Empties the inventory: at 3D engine start, when the hero dies and when a new game starts.
void INV_Reset();

// The saved game's image of the record. The owner is written as 0 and not read back; reading makes
// every name end within its 16 bytes and every selected or quick index -1..31.
void INV_ToImage(const INV_Record &record, uint8_t out[INV_IMAGE_BYTES]);
void INV_FromImage(INV_Record *record, const uint8_t in[INV_IMAGE_BYTES]);
