// The hero's inventory.
#pragma once
#include <cstdint>

struct ActorRecord;
struct INV_Record;

constexpr int32_t INV_ITEMS = 32;
constexpr int32_t INV_NAME_BYTES = 16;

// The inventory record: 32 item places by name (an empty name is a free place), the selected item
// and the items of the three quick slots (-1: none), and per item its charge, level, count and
// whether it is fixed (blocked).
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

// 1 when the item was added, 0 when the actor has no inventory or it is full.
int32_t INV_Add(ActorRecord *actor, const char *name);
// The level load gives a hero without an inventory a new one.
void INV_Init(ActorRecord *actor);
// The level load marks the inventory the hero kept from the level before.
void INV_MarkKept(INV_Record *record);
// 1 when the actor carries an item whose name begins with the given one.
int32_t INV_Has(ActorRecord *actor, const char *name);
// Empties the inventory: at 3D engine start, when the hero dies and when a new game starts.
void INV_Reset();
