// Creature AI.
#pragma once

// Rebuilds the AI groups from the active list (level load and every change of the cast).
void AI_BuildGroups();
// Called once per frame by the game tick: every squad's orders and each member's senses.
void AI_Update();
