// Scene tint sampling: characters take on the colour of the scene around them.
#pragma once

struct ActorRecord;

// Once per tick from the texture step, for each AI-driven actor of the active list.
void TEX_SampleObjectTint(ActorRecord *actor);
