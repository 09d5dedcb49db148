// Creature AI. Not built yet: there are no groups.
#include "world/ai.h"

void AI_BuildGroups() {}
