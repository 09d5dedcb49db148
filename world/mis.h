// Projectiles: blows and shots fired by actors, and the projectiles' own motion.
#pragma once
#include <cstdint>

struct ActorRecord;

// The actor step fires an actor's blow or shot when its attack animation passes the hit frame.
void MIS_Fire(ActorRecord *actor);
// Per frame for each projectile in flight (the flying kind), from the actor update.
void MIS_Move(ActorRecord *projectile);
void MIS_CheckHits(ActorRecord *projectile);
// Per frame for each thrown projectile, from the actor update.
void MIS_MoveThrown(ActorRecord *projectile);
void MIS_AgeThrown(ActorRecord *projectile);

// What the stand-in saw: the calls of MIS_Fire and the last actor fired for, and the projectiles last
// moved.
extern int32_t MIS_FireCount;
extern ActorRecord *MIS_LastFired;
extern int32_t MIS_MoveCount;
extern int32_t MIS_ThrownCount;
