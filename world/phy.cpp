// Physics. Not built yet: no body and no field; only the water height is kept, and an actor moves by
// its driven motion rounded to whole units, as it would with no field, no velocity of its own and
// nothing to collide with.
#include "world/phy.h"

#include "core/fconv.h"
#include "engine3d/object.h"
#include "world/actor.h"

int32_t PHY_WaterHeight;

void PHY_ResetBody(ActorRecord *) {}
void PHY_ClearFields() {}

void PHY_MoveObject(ActorRecord *actor)
{
    if (!(actor->flags[0] & ACTOR_F0_IN_USE) || (actor->flags[3] & ACTOR_F3_DISABLED)) {
        return;
    }
    int32_t place[3];
    for (int i = 0; i < 3; i++) {
        actor->motion_vector[i] = round_i32(actor->velocity[i]);
        actor->position[i] += actor->motion_vector[i];
        place[i] = round_i32(actor->position[i]);
    }
    Set_Obj_Pos(actor->node, place);
}
