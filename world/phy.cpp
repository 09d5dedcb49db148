// Physics. Not built yet: no body and no field; only the water height is kept.
#include "world/phy.h"

int32_t PHY_WaterHeight;

void PHY_ResetBody(ActorRecord *) {}
void PHY_ClearFields() {}
