// Zones: the project's boxes and point lists (fields, respawn points, spawners, cameras).
#pragma once

struct ActorRecord;

// The level load builds the physics fields of the project's zones.
void ZON_Load();
// Moves the actor to a random respawn point.
void ZON_RandomPoint(ActorRecord *actor);
// Called once per frame by the game tick for the steered actor.
void ZON_Update(ActorRecord *actor);
// Called once per frame by the game tick, after the frame is composed, for the hero.
void ZON_UpdateSpawners(ActorRecord *hero);
