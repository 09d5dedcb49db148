// Physics: the field table, the bodies of moving actors, the project's water surface and the motion of
// actors through the scene.
#pragma once
#include <cstdint>

struct ActorRecord;

// The y of the current project's water surface; 0: none.
extern int32_t PHY_WaterHeight;

// The level load sets up the body (and collision spheres) of an actor that moves.
void PHY_ResetBody(ActorRecord *actor);
// Empties the field table.
void PHY_ClearFields();
// Per actor per frame, from the animation players once the frame's motion is known: moves the actor
// by it and places its node.
void PHY_MoveObject(ActorRecord *actor);
