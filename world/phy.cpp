// Physics. Not built yet: no body and no field; only the water height is kept, and an actor moves by
// its driven motion rounded to whole units, as it would with no field, no velocity of its own and
// nothing to collide with.
#include "world/phy.h"

#include "core/fconv.h"
#include "engine3d/object.h"
#include "world/actor.h"

PHY_Field PHY_Fields[PHY_MAX_FIELDS];
int32_t PHY_FieldCount;
int32_t PHY_WaterHeight;

void PHY_ClearFields() { PHY_FieldCount = 0; }
void PHY_Reset() { PHY_FieldCount = 0; }
int32_t PHY_AddField(const PHY_Field *) { return -1; }
void PHY_EnableField(int32_t) {}
void PHY_DisableField(int32_t) {}

void PHY_SumFields(const double *, double, double, double *force)
{
    force[0] = force[1] = force[2] = 0.0;
}

void PHY_SumDirect(double, double *out) { out[0] = out[1] = out[2] = 0.0; }

void PHY_ResetBody(ActorRecord *) {}
void PHY_FadeStart(ActorRecord *, uint8_t, double) {}
void PHY_Integrate(ActorRecord *) {}
void PHY_SavePosition(ActorRecord *) {}
void PHY_RestorePosition(ActorRecord *) {}

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

int32_t PHY_FootOffset(const ActorRecord *actor) { return actor->second_radius; }
