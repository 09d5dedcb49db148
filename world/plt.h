// Platforms: the one actor that carries others, and its collision boxes.
#pragma once

struct ActorRecord;

// The platform actor, null when the level has none.
ActorRecord *PLT_Actor();
// Per frame, right after the platform actor's step: moves the platform's boxes with it.
void PLT_Update();
