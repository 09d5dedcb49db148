// Shadows. Not built yet: no shadow model is loaded, no actor gets a shadow and none is placed.
#include "world/shadow.h"

void SHADOW_Start() {}
void SHADOW_Attach(ActorRecord *, int32_t) {}
void SHADOW_Place(ActorRecord *) {}
