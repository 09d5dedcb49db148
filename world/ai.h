// Creature AI: the characters of each camp grouped into squads and top groups, a state table per
// squad, the squads' orders, each member's senses, and the actions that walk, turn and fight.
#pragma once
#include <cstdint>

struct ActorRecord;
struct ZoneRecord;

// Bits of a record's AI flags word. On a member they are what it sensed this frame; on a squad, the
// summary of its members.
inline constexpr uint32_t AI_FLAG_REACHED_MOVING = 0x01; // target point reached while moving
inline constexpr uint32_t AI_FLAG_REACHED = 0x02;        // target point reached; also set on entering a patrol
inline constexpr uint32_t AI_FLAG_ENEMIES = 0x04;        // at least one enemy listed
inline constexpr uint32_t AI_FLAG_ALLIES = 0x08;         // at least one ally listed
inline constexpr uint32_t AI_FLAG_OUTNUMBERED = 0x10;    // more enemies than allies
inline constexpr uint32_t AI_FLAG_OUTNUMBERING = 0x20;   // more allies than enemies
inline constexpr uint32_t AI_FLAG_TALK_ENDED = 0x40;     // the conversation is over
inline constexpr uint32_t AI_FLAG_TARGET_DEAD = 0x400;   // the engaged target is dead (squad: no enemy)
inline constexpr uint32_t AI_FLAG_WANTS_TALK = 0x800;    // a conversation partner is near

// Squad states.
inline constexpr int32_t AI_STATE_IDLE = 0;
inline constexpr int32_t AI_STATE_PATROL_BESIDE = 1; // followers beside the leader
inline constexpr int32_t AI_STATE_PATROL_LINE = 2;   // followers in line behind the leader
inline constexpr int32_t AI_STATE_FORMATION = 8;     // followers in formation, no patrol
inline constexpr int32_t AI_STATE_ENGAGE = 16;
inline constexpr int32_t AI_STATE_CONVERSE = 32;     // go to the conversation partner
inline constexpr int32_t AI_STATE_ALONE = 64;        // every member decides alone
inline constexpr int32_t AI_STATE_ANY = 80;          // in a table row: whatever the state and flags
// Member states (bits).
inline constexpr int32_t AI_STATE_MOVE = 2;          // walk to the target point
inline constexpr int32_t AI_STATE_FIGHT = 4;         // engage the target object
inline constexpr int32_t AI_STATE_MEET = 16;         // walk up to the target object and talk

// A row of a state table: from `state`, with every bit of `required` in the squad's flags, to `next`.
struct AI_StateRow {
    int32_t state;
    uint32_t required;
    int32_t next;
};
struct AI_StateTable {
    int32_t row_count;
    AI_StateRow rows[5];
};
// The project's AI table number picks one of these.
extern const AI_StateTable AI_StateTables[3];

// Group lists, rebuilt by AI_BuildGroups: top groups, squads and members of both camps, camp 0 first.
inline constexpr int32_t AI_LIST_SIZE = 16;
extern ActorRecord *AI_TopList[AI_LIST_SIZE];
extern int32_t AI_TopCount;
extern ActorRecord *AI_SquadList[AI_LIST_SIZE];
extern int32_t AI_SquadCount;
extern ActorRecord *AI_MemberList[AI_LIST_SIZE];
extern int32_t AI_MemberCount;
// The records squads and top groups are made of, taken in order at each rebuild.
extern ActorRecord AI_SquadPool[AI_LIST_SIZE];
extern ActorRecord AI_TopPool[AI_LIST_SIZE];

// Sees every action the AI gives, just before it is given; null in the game (tests and tools set it).
extern void (*AI_ActionObserver)(ActorRecord *member, int32_t action);

// Rebuilds all groups from the 32 object slots: at level load and whenever characters appear, vanish
// or change camp (spawners, triggers, hits).
void AI_BuildGroups();
// Called once per frame by the game tick (nothing while the editor is on): the state tables, the
// squads' orders, each member's step and senses, and the squads' summaries.
void AI_Update();
// Removes a record from every list and from its parent group (a character taken out by a hit).
void AI_RemoveObject(ActorRecord *record);
// Clears the member count, leader, target object, AI flags, states, path and neighbour counts.
void AI_ResetGroup(ActorRecord *record);
// Appends the member to the group and makes the group its parent.
void AI_AddMember(ActorRecord *group, ActorRecord *member);
// Takes the record out of its parent's members, keeping their order; returns 1.
int32_t AI_LeaveParent(ActorRecord *record);
// Points the member at the object: its position, and an arrival margin of both radii.
void AI_TargetObject(ActorRecord *member, const ActorRecord *object);
// 1 when nothing of the scene's collision stands between the two actors' nodes.
int32_t AI_LineOfSight(const ActorRecord *a, const ActorRecord *b);
// 1 when the member stands within its arrival margin of its target point (horizontally).
int32_t AI_ReachedTarget(const ActorRecord *member);

// The steps of the per-frame pass, exposed for the tests and tools.
void AI_StepStateTable(ActorRecord *top);
void AI_GroupOrders(ActorRecord *squad);
// The first usable path zone from the member's path zone index on; null when there is none.
ZoneRecord *AI_FindPathZone(ActorRecord *member);
// One step of a patrol (restlessness, roaming, following the hero, the next waypoint); 1 when it set
// a target point.
int32_t AI_PatrolStep(ActorRecord *member);
// The index of the path point nearest to the member; 0 without a path or a nearer point.
int32_t AI_NearestWaypoint(ActorRecord *member);
// Targets the waypoint one step behind the leader's; 0 when the leader has no path.
int32_t AI_FollowInLine(ActorRecord *follower, const ActorRecord *leader);
// Targets the point 196 units to the leader's left or right.
void AI_FormationLeft(ActorRecord *member, const ActorRecord *leader);
void AI_FormationRight(ActorRecord *member, const ActorRecord *leader);
// Targets the enemy, or 350 units ahead of it while it walks or runs.
void AI_ApproachPoint(ActorRecord *member, const ActorRecord *enemy);
// Lists the member's five nearest enemies and allies. The AI calls it for every member each frame;
// the hero's fight calls it for the hero.
void AI_ScanNeighbours(ActorRecord *member);
void AI_SenseMember(ActorRecord *member);
void AI_SummariseSquad(ActorRecord *squad);
void AI_AssignTargets(ActorRecord *squad);
void AI_IndividualStep(ActorRecord *squad);
void AI_UpdateLeaf(ActorRecord *member);
// Walks, runs, swims or flies toward the target point; 1 while still on the way, 0 once there.
int32_t AI_WalkToTarget(ActorRecord *member, int32_t extra);
void AI_MoveStep(ActorRecord *member);
int32_t AI_MeetStep(ActorRecord *member);
void AI_EngageStep(ActorRecord *member);
// The turn a bearing (radians) asks for: 60 left beyond pi/16, 61 right below -pi/16, else -1.
int32_t AI_TurnAction(double bearing);
