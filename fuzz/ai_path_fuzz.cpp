// Fuzzes the creature AI's patrols over zone records from outside data: the input is the 12 zone
// records of a project (3,072 bytes), then two members' states. A leader finds its path zone, takes
// the nearest waypoint and steps its patrol; a follower walks in line behind it. Every waypoint it
// targets must lie on the path.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/game_frame.h"
#include "fuzz/ai_patrol.h"
#include "world/actor.h"
#include "world/ai.h"
#include "world/level_record.h"
#include "world/prj.h"

namespace {

LevelRecord Level;

struct MemberInput {
    int32_t path_zone;
    int32_t position[3];
    int32_t radius;
    uint8_t flags5, flags6;
    uint8_t contact;
    uint8_t steps;
};
static_assert(sizeof(MemberInput) == 24);

constexpr size_t Zones_Size = sizeof Level.zones;

void Check(const ActorRecord *m)
{
    if (m->path == nullptr || m->path->point_count <= 0) {
        return;
    }
    const int32_t count = m->path->point_count > 16 ? 16 : m->path->point_count;
    if (m->waypoint < 0 || m->waypoint >= count) {
        __builtin_trap();
    }
}

void Ready(ActorRecord *m, const MemberInput &in)
{
    ACTOR_InitRecord(m);
    m->flags[0] = ACTOR_F0_IN_USE;
    m->flags[1] = ACTOR_F1_AI;
    m->flags[5] = in.flags5;
    m->flags[6] = in.flags6;
    m->path_zone = in.path_zone;
    for (int k = 0; k < 3; k++) {
        m->position[k] = in.position[k];
    }
    m->radius = in.radius;
    m->contact_measure = in.contact;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < Zones_Size + 2 * sizeof(MemberInput)) {
        return 0;
    }
    std::memset(&Level, 0, sizeof Level);
    std::memcpy(Level.zones, data, Zones_Size);
    MemberInput in[2];
    std::memcpy(in, data + Zones_Size, sizeof in);
    PRJ_Current = &Level;
    GAME_TimeFactor = 1.0;
    for (ActorRecord &a : ACTOR_Slots) {
        ACTOR_InitRecord(&a);
    }
    ActorRecord *leader = &ACTOR_Slots[3], *follower = &ACTOR_Slots[4];
    Ready(leader, in[0]);
    Ready(follower, in[1]);
    AI_ActionObserver = nullptr;
    const int steps = in[0].steps % 40;
    for (int s = 0; s < steps; s++) {
        Patrol_Step(leader, follower, s == 0, (s + in[1].steps) % 3 != 0);
        Check(leader);
        Check(follower);
    }
    PRJ_Current = nullptr;
    return 0;
}
