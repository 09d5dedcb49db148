// Creature AI.
#pragma once

// Rebuilds the AI groups from the active list (level load and every change of the cast).
void AI_BuildGroups();
