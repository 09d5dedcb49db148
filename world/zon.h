// Zones: the boxes of a project that act on the actors inside them, and the spawners.
#pragma once

struct ActorRecord;

// Called once per frame by the game tick for the steered actor.
void ZON_Update(ActorRecord *actor);
// Called once per frame by the game tick, after the frame is composed, for the hero.
void ZON_UpdateSpawners(ActorRecord *hero);
