// Flickering lights. Not built yet: there are no slots, no actor gets a light, and both flags stay 0.
#include "world/flick.h"

int32_t FLICK_LightsPresent;
int32_t FLICK_LightsCreated;

void FLICK_Reset() { FLICK_LightsPresent = 0; }
void TEX_FindLightActors() { FLICK_LightsCreated = 0; }
void TEX_MoveLights() {}
int32_t FLICK_CreateCalls;
FLICK_Request FLICK_LastCreate;
int32_t FLICK_RemoveCalls;
ActorRecord *FLICK_LastRemoved;
int32_t FLICK_Create(ActorRecord *actor, int32_t type, int32_t range)
{
    FLICK_CreateCalls++;
    FLICK_LastCreate = {actor, type, range};
    return -1;
}
void FLICK_Move(ActorRecord *) {}
void FLICK_Remove(ActorRecord *actor)
{
    FLICK_RemoveCalls++;
    FLICK_LastRemoved = actor;
}
