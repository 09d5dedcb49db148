// Physics: the level's force fields and each moving actor's body, integrated once a frame into a
// working position that the collision pass then corrects.
#include "world/phy.h"

#include <cmath>

#include "core/fconv.h"
#include "core/game_frame.h"
#include "core/opt.h"
#include "core/sys.h"
#include "editor/edt.h"
#include "engine3d/coll.h"
#include "engine3d/object.h"
#include "world/actor.h"
#include "world/col.h"
#include "world/plt.h"
#include "world/shadow.h"

PHY_Field PHY_Fields[PHY_MAX_FIELDS];
int32_t PHY_FieldCount;
int32_t PHY_WaterHeight;

void PHY_ClearFields() { PHY_FieldCount = 0; }

void PHY_Reset() { PHY_FieldCount = 0; }

int32_t PHY_AddField(const PHY_Field *field)
{
    if (PHY_FieldCount >= PHY_MAX_FIELDS) {
        return -1;
    }
    PHY_Fields[PHY_FieldCount] = *field;
    PHY_Fields[PHY_FieldCount].active = 1;
    return PHY_FieldCount++;
}

// The triggers pass a zone's last field handle minus an offset, which can fall below 0.
void PHY_EnableField(int32_t i)
{
    if (i >= 0 && i < PHY_FieldCount) {
        PHY_Fields[i].active = 1;
    }
}

void PHY_DisableField(int32_t i)
{
    if (i >= 0 && i < PHY_FieldCount) {
        PHY_Fields[i].active = 0;
    }
}

void PHY_SumFields(const double *position, double mass, double coupling, double *force)
{
    force[0] = force[1] = force[2] = 0.0;
    for (int32_t f = 0; f < PHY_FieldCount; f++) {
        const PHY_Field &field = PHY_Fields[f];
        if (!field.active) {
            continue;
        }
        switch (field.kind) {
        case PHY_FIELD_UNIFORM:
            for (int i = 0; i < 3; i++) {
                force[i] += mass * field.vector[i];
            }
            break;
        case PHY_FIELD_BOX: {
            if (!(std::fabs(coupling) > 1.0e-6)) {
                break;
            }
            bool inside = true;
            for (int i = 0; i < 3; i++) {
                inside = inside && position[i] >= field.min[i] && position[i] <= field.max[i];
            }
            if (inside) {
                for (int i = 0; i < 3; i++) {
                    force[i] += coupling * field.vector[i];
                }
            }
            break;
        }
        case PHY_FIELD_POINT: {
            double r[3], r2 = 0.0;
            for (int i = 0; i < 3; i++) {
                r[i] = position[i] - field.min[i];
                r2 += r[i] * r[i];
            }
            // At the centre itself the field has no direction: it adds nothing rather than a NaN.
            if (r2 == 0.0) {
                break;
            }
            const double cube = r2 * std::sqrt(r2);
            for (int i = 0; i < 3; i++) {
                force[i] += r[i] * coupling * field.strength / cube;
            }
            break;
        }
        default: break;
        }
    }
}

void PHY_SumDirect(double factor, double *out)
{
    out[0] = out[1] = out[2] = 0.0;
    for (int32_t f = 0; f < PHY_FieldCount; f++) {
        const PHY_Field &field = PHY_Fields[f];
        if (field.active && field.kind == PHY_FIELD_DIRECT) {
            for (int i = 0; i < 3; i++) {
                out[i] += field.vector[i] * factor;
            }
        }
    }
}

void PHY_SavePosition(ActorRecord *actor)
{
    for (int i = 0; i < 3; i++) {
        actor->previous_position[i] = actor->position[i];
    }
}

void PHY_RestorePosition(ActorRecord *actor)
{
    for (int i = 0; i < 3; i++) {
        actor->position[i] = actor->previous_position[i];
    }
}

void PHY_ResetBody(ActorRecord *actor)
{
    if (!(actor->flags[0] & ACTOR_F0_IN_USE)) {
        return;
    }
    for (int i = 0; i < 3; i++) {
        actor->previous_position[i] = actor->position[i];
        actor->phy_velocity[i] = 0.0;
        actor->motion_vector[i] = 0;
        actor->prev_int_pos[i] = round_i32(actor->position[i]);
        actor->own_force[i] = 0.0;
    }
    actor->coupling = 1.0;
    actor->damping = 1.0f;
    actor->fall_timer = 1000.0f;
    if (actor->flags[1] & ACTOR_F1_AI) {
        COL_CreateSceneSpheres(actor);
        const bool true_shadow = (actor->flags[0] & ACTOR_F0_HERO) && OPT_RealShadow == 1;
        SHADOW_Attach(actor, true_shadow ? 2 : 1);
    } else if (actor->flags[1] & ACTOR_F1_OBJECT) {
        actor->mass = 10.0;
        COL_CreateObjectSpheres(actor);
    }
    if (actor->flags[5] & ACTOR_F5_PLATFORM_OWNER) {
        PLT_Build(actor);
        PHY_RestorePosition(actor);
    }
}

void PHY_FadeStart(ActorRecord *actor, uint8_t flag, double span)
{
    if (actor->coll_flags[0] & flag) {
        actor->coll_flags[0] &= uint8_t(~(ACTOR_C0_CONTACT_A | flag));
        actor->fall_timer = 0.0f;
        actor->fall_start = float(actor->phy_velocity[1]);
        actor->own_force[1] = -actor->mass * PHY_GRAVITY;
    }
    if (double(actor->fall_timer) < span) {
        const double start = actor->fall_start;
        actor->phy_velocity[1] = start - start * double(actor->fall_timer) / span;
        actor->fall_timer = float(double(actor->fall_timer) + GAME_TimeFactor);
    }
}

void PHY_Integrate(ActorRecord *actor)
{
    const double h = (GAME_TimeFactor * (1.0 / 30.0)) * 10.0;
    double force[3];
    PHY_SumFields(actor->previous_position, actor->mass, actor->coupling, force);

    double k;
    if (actor->physics_mode == 3 || (actor->coll_flags[0] & ACTOR_C0_CONTACT_A)) {
        k = 0.99;
    } else if (actor->physics_mode == 2) {
        k = 0.7;
    } else {
        k = 0.9;
    }
    k *= double(actor->damping);
    if (EDT_Active != 0) {
        k = 0.0;
    }

    double direct[3];
    PHY_SumDirect(actor->mass, direct);
    for (int i = 0; i < 3; i++) {
        const double a = (force[i] + actor->own_force[i]) / actor->mass;
        actor->phy_velocity[i] = (actor->phy_velocity[i] + h * a) * k;
        const double d = direct[i] / actor->mass * h;
        actor->motion_vector[i] = round_i32(double(actor->velocity[i]) + actor->phy_velocity[i] + d);
        actor->previous_position[i] += actor->motion_vector[i];
    }
}

namespace {

double Step_Length(const ActorRecord *actor)
{
    double sum = 0.0;
    for (int32_t m : actor->motion_vector) {
        sum += double(m) * double(m);
    }
    return std::sqrt(sum);
}

// The mode's own forces: on the ground the own force holds gravity off and nothing falls; in the air
// gravity acts; modes 2 and 3 start with a vertical speed that fades.
void Mode_Forces(ActorRecord *actor)
{
    uint8_t *c = actor->coll_flags;
    c[1] = uint8_t((c[1] & ~ACTOR_C1_CONTACT_B) | ((c[0] & ACTOR_C0_CONTACT_A) ? ACTOR_C1_CONTACT_B : 0));
    switch (actor->physics_mode) {
    case 1:
        if (c[0] & ACTOR_C0_CONTACT_A) {
            actor->own_force[1] = 0.0;
        } else {
            actor->own_force[1] = -actor->mass * PHY_GRAVITY;
            actor->phy_velocity[1] = 0.0;
        }
        if (actor->current_anim >= 9 && actor->current_anim <= 11) {
            if (c[0] & ACTOR_C0_KEEP_CAMERA) {
                c[1] &= uint8_t(~ACTOR_C1_SECOND);
            } else {
                c[0] |= ACTOR_C0_KEEP_CAMERA;
                c[1] |= ACTOR_C1_SECOND;
            }
        } else {
            c[0] &= uint8_t(~ACTOR_C0_KEEP_CAMERA);
            c[1] &= uint8_t(~ACTOR_C1_SECOND);
        }
        break;
    case 2: PHY_FadeStart(actor, ACTOR_C0_FALL_MODE2, 15.0); break;
    case 3: PHY_FadeStart(actor, ACTOR_C0_FALL_MODE3, 30.0); break;
    default: SYS_FatalError("Kalder Internal Error : physics mode unknown", 999, 1);
    }
}

// The node, and the body with it, stand at the rounded position.
void Place(ActorRecord *actor)
{
    int32_t place[3];
    for (int i = 0; i < 3; i++) {
        place[i] = round_i32(actor->position[i]);
    }
    Set_Obj_Pos(actor->node, place);
    if (actor->coll_body != nullptr) {
        Copy_Vec(actor->coll_body->centre, place);
    }
    actor->speed = Step_Length(actor);
}

// The offset of the actor's foot below its node: its marker's, or the second radius.
int32_t Foot_Offset(const ActorRecord *actor)
{
    if (actor->marker_node != 0) {
        int32_t p[3];
        Get_Obj_Pos(actor->marker_node, p);
        return p[1];
    }
    return actor->second_radius;
}

} // namespace

int32_t PHY_FootOffset(const ActorRecord *actor) { return Foot_Offset(actor); }

void PHY_MoveObject(ActorRecord *actor)
{
    if (!(actor->flags[0] & ACTOR_F0_IN_USE) || (actor->flags[3] & ACTOR_F3_DISABLED)) {
        return;
    }
    for (int i = 0; i < 3; i++) {
        actor->prev_int_pos[i] = round_i32(actor->position[i]);
    }
    PHY_SavePosition(actor);
    if (actor->flags[1] & ACTOR_F1_AI) {
        if (PHY_FieldCount > 0 && PHY_Fields[0].kind == PHY_FIELD_UNIFORM) {
            Mode_Forces(actor);
        }
        PHY_Integrate(actor);
        if (actor->coll_flags[0] & ACTOR_C0_ON_PLATFORM) {
            int32_t d[3];
            PLT_GetDisplacement(actor->platform_index, d);
            const int32_t k = actor->platform_index;
            const int32_t surface = k >= 0 && k < PLT_Count ? PLT_Records[k].centre[1] : 0;
            actor->previous_position[0] += d[0];
            actor->previous_position[2] += d[2];
            actor->previous_position[1] = double(surface - Foot_Offset(actor));
            actor->coll_flags[0] &= uint8_t(~ACTOR_C0_CONTACT_A);
            actor->ground_contact = 0;
            actor->reference_height = surface;
        }
        PHY_RestorePosition(actor);
        Place(actor);
        SHADOW_Place(actor);
    } else if (actor->flags[1] & ACTOR_F1_OBJECT) {
        PHY_Integrate(actor);
        PHY_RestorePosition(actor);
        Place(actor);
    }
}
