// Creature AI. Not built yet: the groups stay empty and no creature thinks.
#include "world/ai.h"

#include "world/actor.h"

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

void AI_BuildGroups() {}
void AI_Update() {}
void AI_RemoveObject(ActorRecord *) {}
void AI_ResetGroup(ActorRecord *) {}
void AI_AddMember(ActorRecord *, ActorRecord *) {}
int32_t AI_LeaveParent(ActorRecord *) { return 1; }
void AI_TargetObject(ActorRecord *, const ActorRecord *) {}
int32_t AI_LineOfSight(const ActorRecord *, const ActorRecord *) { return 1; }
int32_t AI_ReachedTarget(const ActorRecord *) { return 0; }
void AI_StepStateTable(ActorRecord *) {}
void AI_GroupOrders(ActorRecord *) {}
ZoneRecord *AI_FindPathZone(ActorRecord *) { return nullptr; }
int32_t AI_PatrolStep(ActorRecord *) { return 0; }
int32_t AI_NearestWaypoint(ActorRecord *) { return 0; }
int32_t AI_FollowInLine(ActorRecord *, const ActorRecord *) { return 0; }
void AI_FormationLeft(ActorRecord *, const ActorRecord *) {}
void AI_FormationRight(ActorRecord *, const ActorRecord *) {}
void AI_ApproachPoint(ActorRecord *, const ActorRecord *) {}
void AI_ScanNeighbours(ActorRecord *member) { member->enemy_count = member->ally_count = 0; }
void AI_SenseMember(ActorRecord *) {}
void AI_SummariseSquad(ActorRecord *) {}
void AI_AssignTargets(ActorRecord *) {}
void AI_IndividualStep(ActorRecord *) {}
void AI_UpdateLeaf(ActorRecord *) {}
int32_t AI_WalkToTarget(ActorRecord *, int32_t) { return 0; }
void AI_MoveStep(ActorRecord *) {}
int32_t AI_MeetStep(ActorRecord *) { return 1; }
void AI_EngageStep(ActorRecord *) {}
int32_t AI_TurnAction(double) { return -1; }
