// Creature AI. Not built yet: there are no groups and no creature thinks.
#include "world/ai.h"

void AI_BuildGroups() {}
void AI_Update() {}
