// The inventory. Not built yet: no actor has one, so nothing is added and nothing is given. The
// record starts empty.
#include "world/inv.h"

INV_Record INV_Data = {nullptr, {}, -1, {-1, -1, -1}, {}, {}, {}, {}, 0};

int32_t INV_Add(ActorRecord *, const char *) { return 0; }
void INV_Init(ActorRecord *) {}
void INV_MarkKept(INV_Record *) {}
int32_t INV_Has(ActorRecord *, const char *) { return 0; }
void INV_Reset() {}
