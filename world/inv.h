// The hero's inventory.
#pragma once
#include <cstdint>

struct ActorRecord;

// 1 when the item was added, 0 when the actor has no inventory or it is full.
int32_t INV_Add(ActorRecord *actor, const char *name);
