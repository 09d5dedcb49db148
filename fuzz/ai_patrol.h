// One step of a two-creature patrol as the creature AI's squad orders make it, for the harnesses that
// walk creatures along zone paths read from outside.
#pragma once
#include <initializer_list>

#include "world/actor.h"
#include "world/ai.h"

// The leader and follower find their path zones (a new one starts at waypoint 0); on the first step
// the leader takes its nearest waypoint. The leader steps its patrol, at a point when `reached`, and
// the follower walks in line behind it.
inline void Patrol_Step(ActorRecord *leader, ActorRecord *follower, bool first, bool reached)
{
    for (ActorRecord *m : {leader, follower}) {
        ZoneRecord *path = AI_FindPathZone(m);
        if (path != nullptr && path != m->path) {
            m->path = path;
            m->waypoint = 0;
            m->waypoint_step = 1;
        }
    }
    if (first) {
        leader->waypoint = AI_NearestWaypoint(leader);
    }
    leader->ai_flags = reached ? AI_FLAG_REACHED : 0;
    AI_PatrolStep(leader);
    AI_FollowInLine(follower, leader);
}
