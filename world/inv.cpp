// The inventory. Not built yet: no actor has one, so nothing is added or carried.
#include "world/inv.h"

int32_t INV_Add(ActorRecord *, const char *) { return 0; }
int32_t INV_Has(ActorRecord *, const char *) { return 0; }
void INV_Reset() {}
