// Creature AI: squads and top groups per camp, the state tables, the squads' orders, each member's
// senses and the actions that make it walk, turn, run, parry and attack.
#include "world/ai.h"

#include <algorithm>
#include <cmath>

#include "core/fconv.h"
#include "core/game_frame.h"
#include "core/rand.h"
#include "editor/edt.h"
#include "engine3d/colltest.h"
#include "engine3d/object.h"
#include "interface/sym.h"
#include "world/actor.h"
#include "world/aim.h"
#include "world/anim.h"
#include "world/level_record.h"
#include "world/prj.h"

const AI_StateTable AI_StateTables[3] = {
    {1, {{80, 0, 64}}},
    {5, {{0, 0, 1}, {1, 2048, 32}, {32, 64, 1}, {1, 4, 16}, {16, 1024, 0}}},
    {5, {{0, 0, 1}, {1, 2048, 32}, {32, 64, 2}, {2, 4, 16}, {16, 1024, 0}}},
};
ActorRecord *AI_TopList[AI_LIST_SIZE];
int32_t AI_TopCount;
ActorRecord *AI_SquadList[AI_LIST_SIZE];
int32_t AI_SquadCount;
ActorRecord *AI_MemberList[AI_LIST_SIZE];
int32_t AI_MemberCount;
ActorRecord AI_SquadPool[AI_LIST_SIZE];
ActorRecord AI_TopPool[AI_LIST_SIZE];
void (*AI_ActionObserver)(ActorRecord *member, int32_t action);

namespace {

// The AI's own pi, divided as its angle limits are; directions of 4096 units use the game's 2 pi.
constexpr double Pi = 3.14159265358979;
constexpr double Two_Pi = 6.2831853071794;
constexpr double Pi_16 = Pi / 16.0;
constexpr double Pi_8 = Pi / 8.0;
constexpr double Pi_4 = Pi / 4.0;
constexpr double Pi_2 = Pi / 2.0;

// A path with no point serves as no path (the count is held to the sixteen points a zone has).
constexpr int32_t Max_Points = 16;
// Where a member without a path walks.
constexpr float No_Path_Target[3] = {500.0f, 0.0f, 500.0f};
// A list of candidates: every active object, and the target object and last attacker before them.
constexpr int32_t Max_Candidates = ACTOR_SLOT_COUNT + ACTOR_PROJECTILE_COUNT + 2;

// Every action the AI gives goes through here, so that one observer sees them all.
void Give(ActorRecord *member, int32_t action)
{
    if (AI_ActionObserver != nullptr) {
        AI_ActionObserver(member, action);
    }
    ANIM_DoAction(member, action);
}

bool Second_Camp(const ActorRecord *a) { return (ACTOR_FlagWord(a) & ACTOR_WORD_TEAM) != 0; }

// A project's table number outside the three tables steps as table 0.
int32_t Table_Number()
{
    const int32_t n = PRJ_Current != nullptr ? PRJ_Current->ai_table : 0;
    return n >= 0 && n < 3 ? n : 0;
}

// One of 128: the chance scale of every draw.
int32_t Draw_128() { return SYS_Rand() * 128 / 32767; }

// Alive, a valid target and not disabled: what perception and targeting look at.
bool Perceivable(const ActorRecord *a)
{
    return a->life > 0.0f && (a->flags[5] & ACTOR_F5_NOT_TARGET) == 0 && (a->flags[3] & ACTOR_F3_DISABLED) == 0;
}

double Squared_Distance(const ActorRecord *a, const ActorRecord *b)
{
    const double dx = b->position[0] - a->position[0], dy = b->position[1] - a->position[1],
                 dz = b->position[2] - a->position[2];
    return dx * dx + dy * dy + dz * dz;
}

double Horizontal_To_Target(const ActorRecord *m)
{
    const double dx = double(m->ai_target[0]) - m->position[0], dz = double(m->ai_target[2]) - m->position[2];
    return std::sqrt(dx * dx + dz * dz);
}

void Set_Target(ActorRecord *m, double x, double y, double z)
{
    m->ai_target[0] = float(x);
    m->ai_target[1] = float(y);
    m->ai_target[2] = float(z);
}

// The margin at which an object counts as reached: both radii halved, and a step.
void Object_Margin(ActorRecord *m, const ActorRecord *object)
{
    // Radii come from the project: summed wide, so that no sum wraps.
    m->arrival_margin = int32_t(((int64_t(m->radius) + object->radius) >> 1) + 100);
}

int32_t Point_Count(const ZoneRecord *zone) { return std::clamp(zone->point_count, 0, Max_Points); }

// A path to follow: a zone with at least one point.
bool Has_Path(const ActorRecord *m) { return m->path != nullptr && Point_Count(m->path) > 0; }

// The scene object's position truncated, the origin of zone points.
void Scene_Origin(int32_t *origin)
{
    const ActorRecord *scene = &ACTOR_Slots[ACTOR_SCENE];
    for (int i = 0; i < 3; i++) {
        origin[i] = trunc_i32(scene->position[i]);
    }
}

// Keeps a waypoint on the path's points: past either end it rests on the end and turns back.
void Clamp_Waypoint(ActorRecord *m)
{
    const int32_t last = Point_Count(m->path) - 1;
    if (m->waypoint > last) {
        m->waypoint = last;
        m->waypoint_step = -m->waypoint_step;
    } else if (m->waypoint < 0) {
        m->waypoint = 0;
        m->waypoint_step = -m->waypoint_step;
    }
}

void Target_Waypoint(ActorRecord *m)
{
    int32_t origin[3];
    Scene_Origin(origin);
    const int32_t *p = m->path->points[m->waypoint];
    Set_Target(m, double(p[0]) + origin[0], double(p[1]) + origin[1], double(p[2]) + origin[2]);
}

// A point `distance` away from the object in the 4096-unit direction d.
void Target_Direction(ActorRecord *m, const ActorRecord *from, int32_t d, double distance)
{
    const double t = double(4096 - d) * Two_Pi / 4096.0;
    Set_Target(m, from->position[0] + distance * std::cos(t), from->position[1],
               from->position[2] + distance * std::sin(t));
}

double Bearing_To(const ActorRecord *m, double x, double z)
{
    double b;
    return ACTOR_BearingTo(m, x, z, &b);
}

// Gives the turn a bearing asks for; true when the turn is too sharp to walk on.
bool Turn_Toward(ActorRecord *m, double b)
{
    const int32_t turn = AI_TurnAction(b);
    if (turn >= 0) {
        Give(m, turn);
    }
    return b > Pi_8 || b < -Pi_8;
}

void Remove_From(ActorRecord **list, int32_t *count, const ActorRecord *record)
{
    int32_t kept = 0;
    for (int32_t i = 0; i < *count; i++) {
        if (list[i] != record) {
            list[kept++] = list[i];
        }
    }
    *count = kept;
}

// Makes groups of up to three from `records`, filling `pool` from `*used` on and adding each group
// to `list`.
void Make_Groups(ActorRecord *const *records, int32_t n, ActorRecord *pool, int32_t *used, ActorRecord **list,
                 int32_t *count)
{
    for (int32_t first = 0; first < n; first += 3) {
        ActorRecord *group = &pool[(*used)++];
        AI_ResetGroup(group);
        group->group_parent = nullptr;
        for (int32_t i = first; i < n && i < first + 3; i++) {
            AI_AddMember(group, records[i]);
        }
        list[(*count)++] = group;
    }
}

// Turns toward the object; `facing` tells whether no turn was needed.
void Face_Object(ActorRecord *m, const ActorRecord *object, bool *facing)
{
    const double b = Bearing_To(m, object->position[0], object->position[2]);
    const int32_t turn = AI_TurnAction(b);
    *facing = turn < 0;
    if (turn >= 0) {
        Give(m, turn);
    }
}

// The ranged test and shot of an engaged member; true when it shot or cast.
bool Ranged_Attack(ActorRecord *m, const ActorRecord *target)
{
    if ((m->flags[6] & ACTOR_F6_RANGED) == 0) {
        return false;
    }
    const double dx = target->position[0] - m->position[0], dz = target->position[2] - m->position[2];
    if (!(std::sqrt(dx * dx + dz * dz) < double(m->sight_radius))) {
        return false;
    }
    const double b = Bearing_To(m, target->position[0], target->position[2]);
    if (!(b > -Pi_4 && b < Pi_4)) {
        return false;
    }
    if (Draw_128() >= m->attack_chance) {
        return false;
    }
    if (m->second_gauge >= 20.0f) {
        // Enough power to cast: the second spell slot becomes the basic shot and the gauge fills.
        m->spell_slots[1][1] = 0x1;
        m->second_gauge = 400.0f;
        Give(m, 28);
    } else if (AI_LineOfSight(m, target) != 0) {
        m->second_gauge = 10.0f;
        Give(m, 57);
    }
    return true;
}

} // namespace

void AI_ResetGroup(ActorRecord *record)
{
    record->group_count = 0;
    record->leader = nullptr;
    record->target = nullptr;
    record->ai_flags = 0;
    record->ai_state = 0;
    record->ai_previous_state = 0;
    record->path = nullptr;
    record->enemy_count = 0;
    record->ally_count = 0;
}

void AI_AddMember(ActorRecord *group, ActorRecord *member)
{
    // A group holds three; a fourth is refused rather than written past the members.
    if (group->group_count < 0 || group->group_count >= 3) {
        return;
    }
    group->group[group->group_count++] = member;
    member->group_parent = group;
}

int32_t AI_LeaveParent(ActorRecord *record)
{
    ActorRecord *parent = record->group_parent;
    if (parent != nullptr) {
        const int32_t n = std::clamp(parent->group_count, 0, 3);
        for (int32_t i = 0; i < n; i++) {
            if (parent->group[i] == record) {
                for (int32_t j = i; j + 1 < n; j++) {
                    parent->group[j] = parent->group[j + 1];
                }
                parent->group[n - 1] = nullptr;
                parent->group_count = n - 1;
                break;
            }
        }
    }
    record->group_parent = nullptr;
    return 1;
}

void AI_RemoveObject(ActorRecord *record)
{
    Remove_From(AI_TopList, &AI_TopCount, record);
    Remove_From(AI_SquadList, &AI_SquadCount, record);
    Remove_From(AI_MemberList, &AI_MemberCount, record);
    AI_LeaveParent(record);
}

void AI_BuildGroups()
{
    AI_TopCount = AI_SquadCount = AI_MemberCount = 0;
    ActorRecord *camp[2][ACTOR_SLOT_COUNT];
    int32_t in_camp[2] = {0, 0};
    const ActorRecord *coupled = ACTOR_Slots[ACTOR_HERO].coupled;
    for (int32_t slot = 0; slot < ACTOR_SLOT_COUNT; slot++) {
        ActorRecord *a = &ACTOR_Slots[slot];
        if ((a->flags[1] & ACTOR_F1_AI) == 0 || (a->flags[3] & ACTOR_F3_DISABLED) != 0 || a == coupled) {
            continue;
        }
        AI_ResetGroup(a);
        a->group_parent = nullptr;
        if ((a->flags[1] & ACTOR_F1_NO_GROUPING) == 0) {
            const int c = Second_Camp(a) ? 1 : 0;
            camp[c][in_camp[c]++] = a;
        }
    }
    // The lists hold sixteen members: camp 0 takes its places first, and whoever is left over stays
    // ungrouped (still seen by the others, but not stepped).
    in_camp[0] = std::min(in_camp[0], AI_LIST_SIZE);
    in_camp[1] = std::min(in_camp[1], AI_LIST_SIZE - in_camp[0]);
    int32_t squads_used = 0, tops_used = 0;
    for (int c = 0; c < 2; c++) {
        const int32_t first_squad = AI_SquadCount;
        Make_Groups(camp[c], in_camp[c], AI_SquadPool, &squads_used, AI_SquadList, &AI_SquadCount);
        for (int32_t i = 0; i < in_camp[c]; i++) {
            AI_MemberList[AI_MemberCount++] = camp[c][i];
        }
        Make_Groups(&AI_SquadList[first_squad], AI_SquadCount - first_squad, AI_TopPool, &tops_used, AI_TopList,
                    &AI_TopCount);
    }
}

void AI_TargetObject(ActorRecord *member, const ActorRecord *object)
{
    if (object == nullptr) {
        return;
    }
    Object_Margin(member, object);
    Set_Target(member, object->position[0], object->position[1], object->position[2]);
}

int32_t AI_LineOfSight(const ActorRecord *a, const ActorRecord *b)
{
    int32_t p1[3], p2[3], cross[3];
    Get_Obj_World_Pos(a->node, p1);
    Get_Obj_World_Pos(b->node, p2);
    // The query runs to its end whatever it finds, so that the next one starts afresh.
    int32_t clear = 1;
    for (const OBJ_CollTri *tri = Coll_Box_Of_Segment(p1, p2); tri != nullptr; tri = Coll_Box_Of_Segment(p1, p2)) {
        if (Seg_Cross_Plane(p1, p2, tri, cross) != 0) {
            clear = 0;
        }
    }
    return clear;
}

int32_t AI_ReachedTarget(const ActorRecord *member)
{
    const double margin = double(member->arrival_margin) + (member->current_anim == 4 ? 200.0 : 50.0);
    return Horizontal_To_Target(member) <= margin ? 1 : 0;
}

void AI_StepStateTable(ActorRecord *top)
{
    const AI_StateTable &table = AI_StateTables[Table_Number()];
    for (int32_t i = 0; i < top->group_count && i < 3; i++) {
        ActorRecord *squad = top->group[i];
        const int32_t old = squad->ai_state;
        squad->ai_previous_state = old;
        for (int32_t r = 0; r < table.row_count; r++) {
            const AI_StateRow &row = table.rows[r];
            if (row.state == AI_STATE_ANY || (row.state == old && (squad->ai_flags & row.required) == row.required)) {
                squad->ai_state = row.next;
            }
        }
    }
}

ZoneRecord *AI_FindPathZone(ActorRecord *member)
{
    if (PRJ_Current == nullptr || member->path_zone < 0) {
        return nullptr;
    }
    const ActorRecord *scene = &ACTOR_Slots[ACTOR_SCENE];
    const int32_t x = trunc_i32(member->position[0] - scene->position[0]);
    const int32_t z = trunc_i32(member->position[2] - scene->position[2]);
    for (int32_t i = member->path_zone; i < 12; i++) {
        ZoneRecord *zone = &PRJ_Current->zones[i];
        if ((zone->flags & 1) == 0 || zone->type != 0) {
            continue;
        }
        if (zone->box_min[0] == 0 && zone->box_max[0] == 0) {
            return zone;
        }
        if (x > zone->box_min[0] && x < zone->box_max[0] && z > zone->box_min[2] && z < zone->box_max[2]) {
            return zone;
        }
    }
    return nullptr;
}

int32_t AI_NearestWaypoint(ActorRecord *member)
{
    if (!Has_Path(member)) {
        Set_Target(member, No_Path_Target[0], No_Path_Target[1], No_Path_Target[2]);
        return 0;
    }
    int32_t origin[3];
    Scene_Origin(origin);
    double best = 1e8;
    int32_t nearest = 0;
    for (int32_t j = 0; j < Point_Count(member->path); j++) {
        const int32_t *p = member->path->points[j];
        double d2 = 0.0;
        for (int k = 0; k < 3; k++) {
            const double d = double(p[k]) + origin[k] - member->position[k];
            d2 += d * d;
        }
        if (d2 < best) {
            best = d2;
            nearest = j;
        }
    }
    return nearest;
}

int32_t AI_PatrolStep(ActorRecord *member)
{
    const double tf = GAME_TimeFactor;
    member->restlessness = float(double(member->restlessness) - tf);
    if ((member->flags[6] & ACTOR_F6_ROAMING) != 0) {
        member->restlessness *= 0.5f;
    }
    if (member->restlessness <= 0.0f) {
        member->restlessness = 0.0f;
        member->flags[6] &= uint8_t(~ACTOR_F6_ROAMING);
    }
    // A member held up by the scenery grows restless, and at the end of its patience roams to a
    // random point near it.
    if (double(member->contact_measure) > 2.0 * tf && (member->flags[6] & ACTOR_F6_ROAMING) == 0) {
        member->restlessness = float(double(member->restlessness) + double(member->contact_measure) * 0.1 * tf);
        if (member->restlessness > 512.0f) {
            member->restlessness = 512.0f;
            member->flags[6] |= ACTOR_F6_ROAMING;
            member->flags[5] |= ACTOR_F5_ROAM_POINT;
            const int32_t r1 = SYS_Rand() * 1000 / 32767;
            const int32_t r2 = SYS_Rand() * 200 / 32767;
            const int32_t r3 = SYS_Rand() * 1000 / 32767;
            Set_Target(member, member->position[0] + r1 - 500, member->position[1] - r2,
                       member->position[2] + r3 - 500);
        }
    }
    member->arrival_margin = member->radius / 2 + 100;
    const ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    if ((member->flags[5] & ACTOR_F5_FOLLOWS_HERO) != 0 && std::sqrt(Squared_Distance(member, hero)) <= 1000.0) {
        member->arrival_margin = member->radius / 2 + 250;
        const double a = double(4096 - hero->heading) * Two_Pi / 4096.0;
        const double b = double(hero->pitch) * Two_Pi / 4096.0;
        Set_Target(member, hero->position[0] + 500.0 * std::cos(b) * std::cos(a),
                   hero->position[1] + 500.0 * std::sin(b), hero->position[2] + 500.0 * std::cos(b) * std::sin(a));
        return 1;
    }
    if ((member->ai_flags & AI_FLAG_REACHED) != 0) {
        if (Has_Path(member)) {
            if ((member->flags[5] & ACTOR_F5_ROAM_POINT) != 0) {
                // The point reached was the roaming point: back to the waypoint it left.
                member->flags[5] &= uint8_t(~ACTOR_F5_ROAM_POINT);
            } else {
                member->waypoint += member->waypoint_step;
            }
            Clamp_Waypoint(member);
            Target_Waypoint(member);
            return 1;
        }
        Set_Target(member, No_Path_Target[0], No_Path_Target[1], No_Path_Target[2]);
    }
    return 0;
}

int32_t AI_FollowInLine(ActorRecord *follower, const ActorRecord *leader)
{
    follower->arrival_margin = follower->radius / 2 + 100;
    if (!Has_Path(leader)) {
        return 0;
    }
    follower->path = leader->path;
    follower->waypoint_step = leader->waypoint_step;
    follower->waypoint = leader->waypoint - leader->waypoint_step;
    Clamp_Waypoint(follower);
    Target_Waypoint(follower);
    return 1;
}

void AI_FormationLeft(ActorRecord *member, const ActorRecord *leader)
{
    Object_Margin(member, leader);
    Target_Direction(member, leader, (leader->heading + 2560) & 0xFFF, 196.0);
}

void AI_FormationRight(ActorRecord *member, const ActorRecord *leader)
{
    Object_Margin(member, leader);
    Target_Direction(member, leader, (leader->heading + 1536) & 0xFFF, 196.0);
}

void AI_ApproachPoint(ActorRecord *member, const ActorRecord *enemy)
{
    Object_Margin(member, enemy);
    const int32_t anim = enemy->current_anim;
    if (anim == 4 || anim == 44 || anim == 45) {
        // Meet a moving enemy where it is going.
        const double t = double((4096 - enemy->heading) & 0xFFF) * Two_Pi / 4096.0;
        Set_Target(member, enemy->position[0] + 350.0 * std::cos(t), enemy->position[1],
                   enemy->position[2] + 350.0 * std::sin(t));
        return;
    }
    Set_Target(member, enemy->position[0], enemy->position[1], enemy->position[2]);
}

void AI_ScanNeighbours(ActorRecord *member)
{
    ActorRecord *enemies[Max_Candidates], *allies[Max_Candidates];
    int32_t ne = 0, na = 0;
    const bool camp = Second_Camp(member);
    ActorRecord *target = member->target;
    if (target != nullptr && Perceivable(target) && (Second_Camp(target) != camp || Table_Number() == 0)) {
        enemies[ne++] = target;
    }
    ActorRecord *attacker = member->last_attacker;
    if (attacker != nullptr && attacker->life > 0.0f && (attacker->flags[5] & ACTOR_F5_NOT_TARGET) == 0) {
        enemies[ne++] = attacker;
        member->last_attacker = nullptr;
    }
    const double sight2 = double(member->sight_radius) * double(member->sight_radius);
    const int32_t active = std::clamp(ACTOR_ActiveCount1, 0, ACTOR_SLOT_COUNT + ACTOR_PROJECTILE_COUNT);
    for (int32_t i = 0; i < active; i++) {
        ActorRecord *o = ACTOR_ActiveList1[i];
        if (o == member || (o->flags[1] & ACTOR_F1_AI) == 0 || !Perceivable(o)) {
            continue;
        }
        const double d2 = Squared_Distance(member, o);
        if (Second_Camp(o) == camp) {
            o->sort_distance = float(d2);
            allies[na++] = o;
            continue;
        }
        const double b = (member->flags[4] & ACTOR_F4_SEES_ALL_ROUND) != 0
                             ? 0.0
                             : Bearing_To(member, o->position[0], o->position[2]);
        if (b > -Pi_2 && b < Pi_2 && d2 < sight2) {
            o->sort_distance = float(d2);
            enemies[ne++] = o;
            if ((member->flags[4] & ACTOR_F4_PURSUIT_ON_SIGHT) != 0) {
                member->pursuit_range = 50000;
            }
        }
    }
    const auto nearer = [](const ActorRecord *a, const ActorRecord *b) { return a->sort_distance < b->sort_distance; };
    std::stable_sort(enemies, enemies + ne, nearer);
    std::stable_sort(allies, allies + na, nearer);
    member->enemy_count = std::min(ne, 5);
    member->ally_count = std::min(na, 5);
    for (int32_t i = 0; i < 5; i++) {
        member->enemies[i] = i < member->enemy_count ? enemies[i] : nullptr;
        member->allies[i] = i < member->ally_count ? allies[i] : nullptr;
    }
}

void AI_SenseMember(ActorRecord *member)
{
    member->ai_flags = 0;
    AI_ScanNeighbours(member);
    if (SYM_HasMenu(member) != 0) {
        for (int32_t i = 0; i < member->ally_count; i++) {
            ActorRecord *ally = member->allies[i];
            if ((ally->flags[1] & ACTOR_F1_CONVERSATION) != 0 && SYM_MenuIsOpen(ally) == 0 &&
                ACTOR_Distance(member, ally) < 600) {
                member->target = ally;
                member->ai_flags |= AI_FLAG_WANTS_TALK;
            }
        }
    }
    if ((member->ai_state & AI_STATE_MOVE) != 0 && AI_ReachedTarget(member) != 0) {
        member->ai_flags |= AI_FLAG_REACHED_MOVING | AI_FLAG_REACHED;
    }
    if ((member->ai_state & AI_STATE_FIGHT) != 0 && member->target != nullptr && member->target->life <= 0.0f) {
        member->ai_flags |= AI_FLAG_TARGET_DEAD;
    }
    if ((member->ai_state & AI_STATE_MEET) != 0 && AI_ReachedTarget(member) == 0 && SYM_MenuIsOpen(member) != 0) {
        SYM_MenuClose(member);
        member->ai_flags |= AI_FLAG_TALK_ENDED;
        member->target = nullptr;
    }
    // A list whose owner said "End" is closed whatever the member is doing now: once the list is open
    // its squad leaves the meeting for a patrol, and an open list holds the partner's controls.
    if (SYM_MenuIsOpen(member) != 0 && SYM_HasMenu(member) == 0) {
        SYM_MenuClose(member);
        member->ai_flags |= AI_FLAG_TALK_ENDED;
        member->target = nullptr;
    }
    if (member->enemy_count > 0) {
        member->ai_flags |= AI_FLAG_ENEMIES;
    }
    if (member->ally_count > 0) {
        member->ai_flags |= AI_FLAG_ALLIES;
    }
    if (member->ally_count < member->enemy_count) {
        member->ai_flags |= AI_FLAG_OUTNUMBERED;
    }
    if (member->enemy_count < member->ally_count) {
        member->ai_flags |= AI_FLAG_OUTNUMBERING;
    }
}

void AI_SummariseSquad(ActorRecord *squad)
{
    squad->ai_flags = 0;
    uint32_t seen = 0;
    int32_t outnumbered = 0, outnumbering = 0;
    for (int32_t i = 0; i < squad->group_count && i < 3; i++) {
        const ActorRecord *m = squad->group[i];
        const uint32_t f = m->ai_flags;
        seen |= f;
        outnumbered += (f & AI_FLAG_OUTNUMBERED) != 0 ? 1 : 0;
        outnumbering += (f & AI_FLAG_OUTNUMBERING) != 0 ? 1 : 0;
        if (i == 0 && (m->ai_state & AI_STATE_MOVE) != 0 && (f & AI_FLAG_REACHED_MOVING) != 0) {
            squad->ai_flags |= AI_FLAG_REACHED_MOVING;
        }
        if ((m->ai_state & AI_STATE_MEET) != 0 && (f & AI_FLAG_TALK_ENDED) != 0) {
            squad->ai_flags |= AI_FLAG_TALK_ENDED;
        }
        squad->ai_flags |= (seen & AI_FLAG_ENEMIES) != 0 ? AI_FLAG_ENEMIES : AI_FLAG_TARGET_DEAD;
        squad->ai_flags |= seen & (AI_FLAG_ALLIES | AI_FLAG_WANTS_TALK);
        if (outnumbered > outnumbering) {
            squad->ai_flags |= AI_FLAG_OUTNUMBERED;
        } else if (outnumbering > outnumbered) {
            squad->ai_flags |= AI_FLAG_OUTNUMBERING;
        }
    }
}

void AI_AssignTargets(ActorRecord *squad)
{
    ActorRecord *enemies[15];
    int32_t assigned[15] = {};
    int32_t n = 0;
    const int32_t members = std::clamp(squad->group_count, 0, 3);
    for (int32_t i = 0; i < members; i++) {
        const ActorRecord *m = squad->group[i];
        for (int32_t k = 0; k < m->enemy_count && k < 5; k++) {
            if (std::find(enemies, enemies + n, m->enemies[k]) == enemies + n) {
                enemies[n++] = m->enemies[k];
            }
        }
    }
    if (n == 0) {
        return;
    }
    std::stable_sort(enemies, enemies + n,
                     [](const ActorRecord *a, const ActorRecord *b) { return a->sort_distance < b->sort_distance; });
    for (int32_t i = 0; i < members; i++) {
        ActorRecord *m = squad->group[i];
        int32_t chosen = 0;
        if (n >= 2) {
            // Spread the members over the enemies: the least taken first, near ones first.
            chosen = -1;
            for (int32_t r = 0; r <= 3 && chosen < 0; r++) {
                int32_t best = 0;
                for (int32_t k = 0; k < n; k++) {
                    if (assigned[k] > r) {
                        continue;
                    }
                    const int32_t d = ACTOR_Distance(m, enemies[k]);
                    if ((r == 0 && d >= 1500) || (chosen >= 0 && d >= best)) {
                        continue;
                    }
                    chosen = k;
                    best = d;
                }
            }
            if (chosen < 0) {
                continue;
            }
        }
        assigned[chosen]++;
        m->target = enemies[chosen];
        m->ai_state = AI_STATE_FIGHT;
        AI_TargetObject(m, enemies[chosen]);
    }
}

void AI_IndividualStep(ActorRecord *squad)
{
    for (int32_t i = 0; i < squad->group_count && i < 3; i++) {
        ActorRecord *m = squad->group[i];
        if ((m->ai_flags & AI_FLAG_WANTS_TALK) != 0 || (m->ai_state & AI_STATE_MEET) != 0) {
            m->ai_state = AI_STATE_MEET;
            AI_TargetObject(m, m->target);
            if ((m->ai_flags & AI_FLAG_TALK_ENDED) != 0) {
                m->ai_state = 0;
            }
            continue;
        }
        if (m->enemy_count > 0) {
            ActorRecord *enemy = m->enemies[0];
            // Courage weighs the member's strength and life against the nearest enemy's.
            const float score = m->range == 1000 ? 1.0f
                                                 : float(m->range) * m->strength * m->life - enemy->life * enemy->strength;
            if (score >= 0.0f) {
                m->target = enemy;
                m->ai_state = AI_STATE_FIGHT;
                AI_ApproachPoint(m, enemy);
                continue;
            }
        }
        const bool was_moving = (m->ai_state & AI_STATE_MOVE) != 0;
        m->ai_state = AI_STATE_MOVE;
        if ((m->ai_flags & AI_FLAG_REACHED_MOVING) != 0 || was_moving) {
            m->target = nullptr;
        } else {
            m->target = squad->target;
            m->waypoint = AI_NearestWaypoint(m);
            m->ai_flags |= AI_FLAG_REACHED;
        }
        AI_PatrolStep(m);
    }
}

void AI_GroupOrders(ActorRecord *squad)
{
    const int32_t n = std::clamp(squad->group_count, 0, 3);
    ActorRecord **m = squad->group;
    for (int32_t i = 0; i < n; i++) {
        ZoneRecord *zone = AI_FindPathZone(m[i]);
        if (zone != nullptr && zone != m[i]->path) {
            m[i]->path = zone;
            m[i]->waypoint = 0;
            m[i]->waypoint_step = 1;
        }
    }
    const int32_t state = squad->ai_state;
    const bool unchanged = state == squad->ai_previous_state;
    switch (state) {
    case AI_STATE_PATROL_BESIDE:
    case AI_STATE_PATROL_LINE:
        if (unchanged) {
            for (int32_t i = 0; i < n; i++) {
                m[i]->ai_state = AI_STATE_MOVE;
                m[i]->target = nullptr;
            }
            if (n > 0) {
                AI_PatrolStep(m[0]);
            }
            if (state == AI_STATE_PATROL_LINE) {
                if (n > 1) {
                    AI_FollowInLine(m[1], m[0]);
                }
                if (n > 2) {
                    AI_FollowInLine(m[2], m[1]);
                }
            } else {
                if (n > 1) {
                    AI_FormationLeft(m[1], m[0]);
                }
                if (n > 2) {
                    AI_FormationRight(m[2], m[0]);
                }
            }
        } else {
            for (int32_t i = 0; i < n; i++) {
                m[i]->ai_state = AI_STATE_MOVE;
                m[i]->target = squad->target;
                m[i]->waypoint = AI_NearestWaypoint(m[i]);
                m[i]->ai_flags |= AI_FLAG_REACHED;
                AI_PatrolStep(m[i]);
            }
        }
        break;
    case AI_STATE_FORMATION:
        for (int32_t i = 0; i < n; i++) {
            m[i]->ai_state = AI_STATE_MOVE;
            m[i]->target = nullptr;
        }
        if (n > 1) {
            AI_FormationLeft(m[1], m[0]);
        }
        if (n > 2) {
            AI_FormationRight(m[2], m[1]);
        }
        break;
    case AI_STATE_ENGAGE:
        AI_AssignTargets(squad);
        break;
    case AI_STATE_ALONE:
        AI_IndividualStep(squad);
        break;
    case AI_STATE_CONVERSE:
        if (unchanged) {
            for (int32_t i = 0; i < n; i++) {
                m[i]->ai_state = AI_STATE_MEET;
                AI_TargetObject(m[i], m[i]->target);
            }
        }
        break;
    default:
        break;
    }
}

int32_t AI_TurnAction(double bearing)
{
    if (bearing > Pi_16) {
        return ANIM_TURN_RIGHT;
    }
    if (bearing < -Pi_16) {
        return ANIM_TURN_LEFT;
    }
    return -1;
}

int32_t AI_WalkToTarget(ActorRecord *member, int32_t extra)
{
    const double tx = member->ai_target[0], ty = member->ai_target[1], tz = member->ai_target[2];
    const double dx = tx - member->position[0], dy = ty - member->position[1], dz = tz - member->position[2];
    const double margin = member->arrival_margin;
    const double reach = margin + double(extra);
    if (member->physics_mode == 1) {
        if ((member->coll_flags[0] & ACTOR_C0_CONTACT_A) != 0 && (member->flags[3] & ACTOR_F3_TAKE_OFF) != 0) {
            member->coll_flags[0] |= ACTOR_C0_FALL_MODE3;
            Give(member, 8);
            member->physics_mode = 3;
        }
        const double h = std::sqrt(dx * dx + dz * dz);
        if (h > double(member->pursuit_range)) {
            return 1;
        }
        if (!(h >= reach)) {
            return 0;
        }
        if (Turn_Toward(member, Bearing_To(member, tx, tz))) {
            return 1;
        }
        if (member->contact_measure > 64) {
            return 1;
        }
        const bool run = (member->flags[3] & ACTOR_F3_MAY_RUN) != 0 && h >= 2.0 * reach;
        Give(member, run ? 4 : 2);
        return 1;
    }
    if (member->physics_mode != 2 && member->physics_mode != 3) {
        return 0;
    }
    if (member->physics_mode == 3 && member->contact_measure != 0) {
        member->physics_mode = 1;
    }
    // Swimming or flying, the pitch settles by a quarter each frame.
    int32_t p = member->pitch & 0xFFF;
    p = p > 2047 ? p - 4096 : p;
    p -= p >> 2;
    member->pitch = p & 0xFFF;
    const double e = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (e > double(member->pursuit_range) + double(extra)) {
        return 1;
    }
    if (!(e >= margin)) {
        return 0;
    }
    if (Turn_Toward(member, Bearing_To(member, tx, tz))) {
        return 1;
    }
    double el;
    ACTOR_ElevationTo(member, tx, ty, &el);
    if (el > Pi_8 && p < 512) {
        Give(member, ANIM_PITCH_UP);
    } else if (el < -Pi_8 && p > -512) {
        Give(member, ANIM_PITCH_DOWN);
    }
    if (member->contact_measure > 64) {
        return 1;
    }
    if (member->physics_mode == 2) {
        Give(member, 6);
    } else if (member->physics_mode == 3) {
        Give(member, 8);
    }
    return 1;
}

void AI_MoveStep(ActorRecord *member)
{
    if (AI_WalkToTarget(member, 0) == 0) {
        Give(member, ANIM_IDLE);
    }
}

int32_t AI_MeetStep(ActorRecord *member)
{
    if (AI_WalkToTarget(member, 0) == 0 && member->target != nullptr) {
        bool facing;
        Face_Object(member, member->target, &facing);
        if (facing) {
            Give(member, ANIM_IDLE);
            if (SYM_MenuIsOpen(member) == 0) {
                SYM_MenuOpen(member, member->target);
            }
        }
    }
    return 1;
}

void AI_EngageStep(ActorRecord *member)
{
    ActorRecord *target = member->target;
    if (target == nullptr) {
        return;
    }
    if (AI_WalkToTarget(member, 80) != 0) {
        Ranged_Attack(member, target);
        return;
    }
    if (Ranged_Attack(member, target)) {
        return;
    }
    bool facing;
    Face_Object(member, target, &facing);
    const int32_t anim = target->current_anim;
    if (anim >= 16 && anim <= 22 && Draw_128() < member->parry_chance) {
        Give(member, 43);
        return;
    }
    int32_t v = member->slow_factor == 4.0f ? 0 : SYS_Rand();
    if ((anim == 9 || anim == 10 || anim == 11) && (member->flags[6] & ACTOR_F6_NO_SPEED_UP) == 0) {
        const double dx = target->position[0] - member->position[0], dz = target->position[2] - member->position[2];
        if (dx * dx + dz * dz < 360000.0) {
            // A charging enemy close by: the member speeds up, ready to strike back.
            member->slow_time = 90.0f;
            member->slow_factor = 4.0f;
        }
        // The blow is held while the target is in its leap; with the slow factor at 4.0 it falls
        // on the first tick after the landing.
        v = 32767;
    }
    if (v * 128 / 32767 < member->attack_chance) {
        const int32_t r = SYS_Rand();
        Give(member, r < 8191 ? 16 : r < 16383 ? 20 : r < 24575 ? 18 : 22);
    }
}

void AI_UpdateLeaf(ActorRecord *member)
{
    if ((member->ai_state & AI_STATE_MEET) != 0) {
        AI_MeetStep(member);
    }
    if ((member->ai_state & AI_STATE_MOVE) != 0) {
        AI_MoveStep(member);
    }
    if ((member->ai_state & AI_STATE_FIGHT) != 0) {
        AI_EngageStep(member);
    }
}

void AI_Update()
{
    if (EDT_Active != 0) {
        return;
    }
    for (int32_t i = 0; i < AI_TopCount; i++) {
        AI_StepStateTable(AI_TopList[i]);
    }
    for (int32_t i = 0; i < AI_SquadCount; i++) {
        AI_GroupOrders(AI_SquadList[i]);
    }
    for (int32_t i = 0; i < AI_MemberCount; i++) {
        AI_UpdateLeaf(AI_MemberList[i]);
    }
    for (int32_t i = 0; i < AI_MemberCount; i++) {
        AI_SenseMember(AI_MemberList[i]);
    }
    for (int32_t i = 0; i < AI_SquadCount; i++) {
        AI_SummariseSquad(AI_SquadList[i]);
    }
}
