// The hero's inventory.
#pragma once
#include <cstdint>

struct ActorRecord;
struct INV_Record;

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
