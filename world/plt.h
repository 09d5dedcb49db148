// Platforms: the collision records of actors that others stand on, and the one actor that carries
// others.
#pragma once

struct ActorRecord;

// The level load empties the 64 records.
void PLT_Clear();
// The platform actor, null when the level has none.
ActorRecord *PLT_Actor();
// Per frame, right after the platform actor's step: moves the platform's boxes with it.
void PLT_Update();
