// Physics: the motion of actors through the scene.
#pragma once

struct ActorRecord;

// Per actor per frame, from the animation players once the frame's motion is known: moves the actor
// by it and places its node.
void PHY_MoveObject(ActorRecord *actor);
