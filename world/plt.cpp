// Platforms. Not built yet: there are no records to clear, and no level has a platform actor.
#include "world/plt.h"

PLT_Record PLT_Records[PLT_MAX_RECORDS];
int32_t PLT_Count;
int32_t PLT_Active;
ActorRecord *PLT_Platform;
int32_t PLT_Root;

void PLT_Clear() {}
void PLT_Build(ActorRecord *) {}
void PLT_Update() {}
ActorRecord *PLT_Actor() { return nullptr; }

void PLT_GetDisplacement(int32_t, int32_t *out) { out[0] = out[1] = out[2] = 0; }
int32_t PLT_GetTop(int32_t) { return 0; }
int32_t PLT_Contact(ActorRecord *, int32_t *) { return 0; }
