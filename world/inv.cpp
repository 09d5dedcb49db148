// The inventory. Not built yet: no actor has one, so nothing is added.
#include "world/inv.h"

int32_t INV_Add(ActorRecord *, const char *) { return 0; }
