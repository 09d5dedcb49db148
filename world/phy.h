// Physics: the field table, the bodies of moving actors and the project's water surface.
#pragma once
#include <cstdint>

struct ActorRecord;

// The y of the current project's water surface; 0: none.
extern int32_t PHY_WaterHeight;

// The level load sets up the body (and collision spheres) of an actor that moves.
void PHY_ResetBody(ActorRecord *actor);
// Empties the field table.
void PHY_ClearFields();
