// Flickering lights. Not built yet: there are no slots, no actor gets a light, and both flags stay 0.
#include "world/flick.h"

int32_t FLICK_LightsPresent;
int32_t FLICK_LightsCreated;

void FLICK_Reset() { FLICK_LightsPresent = 0; }
void TEX_FindLightActors() { FLICK_LightsCreated = 0; }
void TEX_MoveLights() {}
int32_t FLICK_CreateCalls;
int32_t FLICK_Create(ActorRecord *, int32_t, int32_t)
{
    FLICK_CreateCalls++;
    return -1;
}
void FLICK_Move(ActorRecord *) {}
void FLICK_Remove(ActorRecord *) {}
