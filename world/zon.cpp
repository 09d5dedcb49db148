// Zones: the project's boxes and point lists read in place in the current project record, which is
// also the level's zone state (used-up spawn points, field handles) for the rest of the visit.
#include "world/zon.h"

#include <cmath>

#include "core/fconv.h"
#include "core/rand.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "world/actor.h"
#include "world/ai.h"
#include "world/anim.h"
#include "world/cam.h"
#include "world/fgt_hit.h"
#include "world/level_record.h"
#include "world/phy.h"
#include "world/prj.h"
#include "world/trg.h"

namespace {

constexpr int32_t Shot_Frames = 20;
constexpr float Life_Cap = 120.0f;

// One shot record a zone: the camera copies it when its step runs, so two zones posting in one tick
// must not share one.
CAM_ShotRecord Zone_Shots[ZON_COUNT];
// The zone and point of the last shot posted. The camera's step does nothing else in a frame that
// drained an event, so a shot posted again every tick would never move the camera: a zone posts only
// when its shot from that point is not already running.
int32_t Shot_Zone = -1, Shot_Point = -1;

bool In_Use(const ZoneRecord &zone) { return (zone.flags & ZON_IN_USE) != 0; }

// Within half on all three axes; the strict form leaves out the faces.
template <typename T>
bool Within(const double *position, const T *point, double half, bool strict)
{
    for (int i = 0; i < 3; i++) {
        const double d = std::fabs(position[i] - point[i]);
        if (strict ? !(d < half) : !(d <= half)) {
            return false;
        }
    }
    return true;
}

// The spawners' outer half-size; the inner one is half of it. The hero's wide-spawn flag doubles both.
double Reach(const ActorRecord *hero) { return (hero->flags[0] & ACTOR_F0_WIDE_SPAWN) ? 8000.0 : 4000.0; }

bool Is_Spawned(const ActorRecord *actor, int32_t zone, int32_t point)
{
    return actor->zone == zone && actor->point == point;
}

// A creature brought to a spawn point: a larger one stands higher above the same ground (y grows
// downward), and the node goes where the record says.
void Place_At(ActorRecord *actor, const int32_t *point, int32_t zone, int32_t index)
{
    for (int i = 0; i < 3; i++) {
        actor->position[i] = point[i];
    }
    if (actor->radius > 130) {
        actor->position[1] -= actor->radius - 130;
    }
    int32_t node_position[3];
    for (int i = 0; i < 3; i++) {
        node_position[i] = trunc_i32(actor->position[i]);
    }
    Set_Obj_Pos(actor->node, node_position);
    actor->zone = zone;
    actor->point = index;
}

// The life a creature comes back with; a record the level did not load from an element has none.
float Start_Life(const ActorRecord *actor)
{
    const ElementRecord *e = actor->definition;
    return e != nullptr && e->life != 0 ? float(e->life) : 100.0f;
}

// The camera zone applies everywhere without a box; with one, strictly inside on every axis.
bool Camera_Applies(const ZoneRecord &zone, const ActorRecord *actor)
{
    if (zone.box_min[0] == 0 && zone.box_max[0] == 0 && zone.box_min[2] == 0) {
        return true;
    }
    for (int i = 0; i < 3; i++) {
        const int32_t p = trunc_i32(actor->position[i]);
        if (!(p > zone.box_min[i] && p < zone.box_max[i])) {
            return false;
        }
    }
    return true;
}

// A draining zone without a box drains everywhere. An actor that carries the strong-turn flag counts
// as inside on x (or z) when both limits of that axis are 0.
bool Drain_Applies(const ZoneRecord &zone, const ActorRecord *actor)
{
    if (zone.box_min[0] == 0 && zone.box_max[0] == 0 && zone.box_min[2] == 0 && zone.box_min[1] == 0) {
        return true;
    }
    const bool open = (actor->flags[5] & ACTOR_F5_STRONG_TURN) != 0;
    for (int i = 0; i < 3; i++) {
        if (open && i != 1 && zone.box_min[i] == 0 && zone.box_max[i] == 0) {
            continue;
        }
        if (!(actor->position[i] > zone.box_min[i] && actor->position[i] < zone.box_max[i])) {
            return false;
        }
    }
    return true;
}

void Drain(const ZoneRecord &zone, ActorRecord *actor)
{
    const double amount = zone.rate / 50.0;
    if (actor->life - amount <= 1.0) {
        FGT_Damage(actor, 10.0f);
    } else {
        actor->life = float(actor->life - amount);
    }
    if (actor->life > Life_Cap) {
        actor->life = Life_Cap;
    }
}

// The spawner's walk for one candidate point: the first AI creature it may take is brought there.
void Spawn_At(ActorRecord *hero, ZoneRecord &zone, int32_t z, int32_t j, double reach)
{
    const int32_t *point = zone.points[j];
    for (int32_t k = 0; k < ACTOR_ActiveCount2; k++) {
        ActorRecord *a = ACTOR_ActiveList2[k];
        // The hero, the video actor and the special actors are kept out of grouping: never taken.
        if (a == hero || !(a->flags[1] & ACTOR_F1_AI) || (a->flags[1] & ACTOR_F1_NO_GROUPING)) {
            continue;
        }
        if (a->flags[3] & ACTOR_F3_DISABLED) {
            Show_Obj_Tree(a->node);
            a->flags[3] &= uint8_t(~ACTOR_F3_DISABLED);
            a->life = Start_Life(a);
            Place_At(a, point, z, j);
            AI_BuildGroups();
            a->last_attacker = hero;
            return;
        }
        if (a->current_anim == ANIM_DEATH) {
            if (!(double(a->frame_position) > 0.8 * a->frame_count)) {
                continue;
            }
            a->flags[0] |= ACTOR_F0_ANIM_ENDED;
            a->flags[2] &= uint8_t(~ACTOR_F2_ACTION_HELD);
            a->requested_anim = 0;
            ANIM_ChangeAnim(a);
        } else if (Within(a->position, hero->position, reach, false)) {
            continue;
        }
        a->life = Start_Life(a);
        if (a->flags[4] & ACTOR_F4_PURSUIT_ON_SIGHT) {
            a->last_attacker = hero;
        }
        Place_At(a, point, z, j);
        return;
    }
}

// The current fields of a path zone: one box field a segment, pushing along it at the zone's rate,
// its box around the segment's first point. Returns the index the last segment got (-1 when the table
// was full by then), or the zone's handle as it was when it has no segment.
int32_t Add_Path_Fields(const ZoneRecord &zone)
{
    int32_t handle = zone.field_handle;
    const int32_t count = ZON_PointCount(&zone);
    for (int32_t j = 0; j + 1 < count; j++) {
        const int32_t *p = zone.points[j], *q = zone.points[j + 1];
        int64_t d[3];
        for (int i = 0; i < 3; i++) {
            d[i] = int64_t(q[i]) - p[i];
        }
        // The length's square is exact in double for every coordinate a level holds, and cannot
        // overflow for any 32-bit ones; the direction is taken in float as the game takes it.
        const auto length2 = float(double(d[0]) * double(d[0]) + double(d[1]) * double(d[1]) + double(d[2]) * double(d[2]));
        const float inverse = length2 > 0.0f ? 1.0f / std::sqrt(length2) : 0.0f;
        PHY_Field field{};
        field.kind = PHY_FIELD_BOX;
        for (int i = 0; i < 3; i++) {
            field.vector[i] = double(float(d[i]) * inverse) * double(zone.rate);
            field.min[i] = p[i] - std::fabs(field.vector[i]) - 1000.0;
            field.max[i] = p[i] + std::fabs(field.vector[i]) + 1000.0;
        }
        handle = PHY_AddField(&field);
    }
    return handle;
}

} // namespace

int32_t ZON_PointCount(const ZoneRecord *zone)
{
    if (zone == nullptr || zone->point_count < 0) {
        return 0;
    }
    return zone->point_count > ZON_MAX_POINTS ? ZON_MAX_POINTS : zone->point_count;
}

void ZON_Load()
{
    Shot_Zone = Shot_Point = -1;
    PHY_ClearFields();
    // Gravity pulls toward +y (down); a project may set its own, y given upward.
    PHY_Field gravity{};
    gravity.kind = PHY_FIELD_UNIFORM;
    gravity.vector[1] = PHY_GRAVITY;
    const int32_t *force = PRJ_Current != nullptr ? PRJ_Current->field_force : nullptr;
    if (force != nullptr) {
        if (force[0] != 0) {
            gravity.vector[0] = force[0];
        }
        if (force[1] != 0) {
            gravity.vector[1] = -force[1];
        }
        if (force[2] != 0) {
            gravity.vector[2] = force[2];
        }
    }
    PHY_AddField(&gravity);
    if (PRJ_Current == nullptr) {
        return;
    }

    for (ZoneRecord &zone : PRJ_Current->zones) {
        zone.field_handle = -1;
    }
    // A path that a trigger shows later gets its fields from the trigger.
    for (int32_t z = 0; z < ZON_COUNT; z++) {
        ZoneRecord &zone = PRJ_Current->zones[z];
        if (In_Use(zone) && zone.type == ZON_PATH && TRG_ZoneBuiltAtLoad(z) == 1) {
            zone.field_handle = Add_Path_Fields(zone);
        }
    }
}
void ZON_WalkPath(ZoneRecord *zone)
{
    if (zone == nullptr || !In_Use(*zone) || zone->type != ZON_PATH) {
        return;
    }
    zone->field_handle = Add_Path_Fields(*zone);
}

void ZON_Update(ActorRecord *actor)
{
    for (int32_t z = 0; z < ZON_COUNT; z++) {
        const ZoneRecord &zone = PRJ_Current->zones[z];
        if (!In_Use(zone)) {
            continue;
        }
        if (zone.type == ZON_CAMERA && Camera_Applies(zone, actor)) {
            const int32_t j = ZON_NearestPoint(&zone, actor);
            const bool running = CAM_Mode == CAM_SHOT && CAM_Shot.first == actor && Shot_Zone == z && Shot_Point == j;
            if (j >= 0 && !running) {
                Shot_Zone = z;
                Shot_Point = j;
                CAM_ShotRecord &shot = Zone_Shots[z];
                for (int i = 0; i < 3; i++) {
                    shot.camera[i] = zone.points[j][i];
                }
                shot.subject = actor;
                shot.duration = Shot_Frames;
                CAM_PostEvent('-', reinterpret_cast<intptr_t>(&shot), 0);
            }
        } else if (zone.type == ZON_DRAIN && Drain_Applies(zone, actor)) {
            Drain(zone, actor);
        }
    }
}

int32_t ZON_SpawnCandidate(int32_t zone, int32_t point, const ActorRecord *hero)
{
    const int32_t *p = PRJ_Current->zones[zone].points[point];
    if (!Within(hero->position, p, Reach(hero), false) || Within(hero->position, p, Reach(hero) / 2.0, true)) {
        return 0;
    }
    for (int32_t k = 0; k < ACTOR_ActiveCount2; k++) {
        if (Is_Spawned(ACTOR_ActiveList2[k], zone, point)) {
            return 0;
        }
    }
    return 1;
}

void ZON_UpdateSpawners(ActorRecord *hero)
{
    for (int32_t z = 0; z < ZON_COUNT; z++) {
        ZoneRecord &zone = PRJ_Current->zones[z];
        if (!In_Use(zone) || zone.type != ZON_SPAWNER) {
            continue;
        }
        const int32_t count = ZON_PointCount(&zone);
        for (int32_t j = 0; j < count; j++) {
            // A creature that died at its point uses the point up.
            for (int32_t k = 0; k < ACTOR_ActiveCount2; k++) {
                const ActorRecord *a = ACTOR_ActiveList2[k];
                if (Is_Spawned(a, z, j) && a->current_anim == ANIM_DEATH) {
                    zone.points[j][0] = zone.points[j][1] = zone.points[j][2] = ZON_USED_UP;
                }
            }
            if (ZON_SpawnCandidate(z, j, hero)) {
                Spawn_At(hero, zone, z, j, Reach(hero));
            }
        }
    }
}

int32_t ZON_Applies(const ZoneRecord *zone, const ActorRecord *actor)
{
    if (zone->type == ZON_CAMERA) {
        return Camera_Applies(*zone, actor) ? 1 : 0;
    }
    return zone->type == ZON_DRAIN && Drain_Applies(*zone, actor) ? 1 : 0;
}

void ZON_RandomPoint(ActorRecord *actor)
{
    const int32_t *chosen = nullptr;
    for (const ZoneRecord &zone : PRJ_Current->zones) {
        const int32_t count = ZON_PointCount(&zone);
        if (!In_Use(zone) || zone.type != ZON_RESPAWN || count == 0) {
            continue;
        }
        uint32_t i = uint32_t(SYS_Rand()) * uint32_t(count) / 32767u;
        if (i >= uint32_t(count)) {
            i = 0;
        }
        chosen = zone.points[i];
    }
    if (chosen != nullptr) {
        for (int i = 0; i < 3; i++) {
            actor->position[i] = chosen[i];
        }
    }
}

int32_t ZON_NearestPoint(const ZoneRecord *zone, const ActorRecord *actor)
{
    int32_t nearest = -1;
    double best = 1e8;
    const int32_t count = ZON_PointCount(zone);
    for (int32_t j = 0; j < count; j++) {
        double d = 0.0;
        for (int i = 0; i < 3; i++) {
            const double delta = actor->position[i] - zone->points[j][i];
            d += delta * delta;
        }
        if (d < best) {
            best = d;
            nearest = j;
        }
    }
    return nearest;
}

void ZON_FollowPath(ZoneRecord *zone, ActorRecord *actor)
{
    const int32_t count = ZON_PointCount(zone);
    if (count == 0) {
        return;
    }
    // The index is data: one outside the points starts the path over.
    if (zone->current_point < 0 || zone->current_point >= count) {
        zone->current_point = 0;
    }
    const ActorRecord *scene = &ACTOR_Slots[ACTOR_SCENE];
    double target[3], step[3];
    bool arrived = true;
    for (int i = 0; i < 3; i++) {
        target[i] = zone->points[zone->current_point][i] + scene->position[i];
        step[i] = std::fmin(std::fmax(target[i] - actor->position[i], -4.0), 4.0);
        actor->position[i] += step[i];
        arrived = arrived && actor->position[i] == target[i];
    }
    if (step[0] != 0.0 || step[2] != 0.0) {
        const double turn = 2.0 * 3.14159265358979323846;
        actor->heading = round_i32(4096.0 - std::atan2(step[2], step[0]) * 4096.0 / turn) & 0xFFF;
    }
    int32_t m[9], node_position[3];
    Mat_Rotate(0, actor->heading, 0, m);
    Set_Obj_Matrix(actor->node, m);
    for (int i = 0; i < 3; i++) {
        node_position[i] = trunc_i32(actor->position[i]);
    }
    Set_Obj_Pos(actor->node, node_position);
    if (arrived) {
        zone->current_point = (zone->current_point + 1) % count;
    }
}
