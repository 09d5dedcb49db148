// Creature AI. Not built yet: there are no squads and no creature thinks.
#include "world/ai.h"

void AI_Update() {}
void AI_BuildGroups() {}
