// The game's objects. Not built yet: no level loads, so every slot stays blank.
#include "world/actor.h"

ActorRecord ACTOR_Slots[ACTOR_SLOT_COUNT];
