// Creature AI: squads, their orders and each member's senses.
#pragma once

// Called once per frame by the game tick.
void AI_Update();
// Rebuilds every squad from the object slots: at level load and whenever the cast changes.
void AI_BuildGroups();
