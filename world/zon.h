// Zones: the project's boxes and point lists (fields, respawn points, spawners, cameras).
#pragma once
#include <cstdint>

struct ActorRecord;
struct ZoneRecord;

// Zone types: what a zone's points mean.
inline constexpr int32_t ZON_PATROL = 0;          // a creature's patrol path
inline constexpr int32_t ZON_PATH = 1;            // a current along the points
inline constexpr int32_t ZON_MANA_SPHERES = 2;
inline constexpr int32_t ZON_GROUND_ELEMENTS = 3;
inline constexpr int32_t ZON_RESPAWN = 4;         // respawn points
inline constexpr int32_t ZON_ARRIVAL = 5;         // arrival points of a visited project
inline constexpr int32_t ZON_EMITTERS = 6;        // particle emitter points
inline constexpr int32_t ZON_SPAWNER = 7;         // creature spawn points
inline constexpr int32_t ZON_CAMERA = 8;          // a camera at the nearest point
inline constexpr int32_t ZON_DRAIN = 9;           // a box that drains life

inline constexpr int32_t ZON_COUNT = 12;          // zones of a project
inline constexpr int32_t ZON_MAX_POINTS = 16;
inline constexpr int32_t ZON_IN_USE = 0x01;       // bit of the zone's flags
// A spawn point whose creature died holds this in all three coordinates for the rest of the visit.
inline constexpr int32_t ZON_USED_UP = 0x7FFFFF;

// The zone's point count as the routines read it: the stored count held to 0..16.
int32_t ZON_PointCount(const ZoneRecord *zone);

// The level load: empties the field table, adds the global gravity field and builds the current fields
// of the path zones that no trigger builds later.
void ZON_Load();
// The scene triggers switch a path zone on: its segments become current fields.
void ZON_WalkPath(ZoneRecord *zone);
// Called once per frame by the game tick for the steered actor: camera zones and draining zones.
void ZON_Update(ActorRecord *actor);
// Called once per frame by the game tick, after the frame is composed, for the hero: the spawners.
void ZON_UpdateSpawners(ActorRecord *hero);
// Moves the actor to a random respawn point (the level load, for actors that ask for one).
void ZON_RandomPoint(ActorRecord *actor);
// The index of the zone point nearest to the actor, -1 when none is within reach.
int32_t ZON_NearestPoint(const ZoneRecord *zone, const ActorRecord *actor);
// 1 when the spawner would look for a creature for point j of zone z this tick: the hero is within
// reach of it, not strictly inside its inner box, and no active object belongs to it. For the
// spawners and the developers' tools.
int32_t ZON_SpawnCandidate(int32_t zone, int32_t point, const ActorRecord *hero);
// 1 when a camera or draining zone applies to the actor where it stands, else 0.
int32_t ZON_Applies(const ZoneRecord *zone, const ActorRecord *actor);
// One step of an actor along the zone's points, relative to the scene object (nothing calls it in play).
void ZON_FollowPath(ZoneRecord *zone, ActorRecord *actor);
