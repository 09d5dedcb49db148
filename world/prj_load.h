// The level load.
#pragma once

struct ActorRecord;

void PRJ_LoadPending();
void ACTOR_ResetToStart(ActorRecord *actor);
