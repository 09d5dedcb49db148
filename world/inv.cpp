// The inventory. Not built yet: no actor has one, so nothing is added and nothing is given.
#include "world/inv.h"

int32_t INV_Add(ActorRecord *, const char *) { return 0; }
void INV_Init(ActorRecord *) {}
void INV_MarkKept(INV_Record *) {}
int32_t INV_Has(ActorRecord *, const char *) { return 0; }
void INV_Reset() {}
