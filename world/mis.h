// Projectiles: every blow, shot and power of a character is one of the 16 projectile records, launched
// from the shooter's animation and spell slots, moved and tested against targets each frame.
#pragma once
#include <cstdint>

struct ActorRecord;

// Projectile type codes, kept in the projectile's physics-mode field.
inline constexpr int32_t MIS_TYPE_BOLT = 0x1;           // a cast blow
inline constexpr int32_t MIS_TYPE_FREEZE = 0x2;
inline constexpr int32_t MIS_TYPE_GAUGE = 0x4;
inline constexpr int32_t MIS_TYPE_CAMP = 0x5;
inline constexpr int32_t MIS_TYPE_RAISE = 0x7;
inline constexpr int32_t MIS_TYPE_BLOW = 0x10;
inline constexpr int32_t MIS_TYPE_PUSH = 0x11;
inline constexpr int32_t MIS_TYPE_SWORD = 0x12;
inline constexpr int32_t MIS_TYPE_BOW = 0x13;
inline constexpr int32_t MIS_TYPE_ARROW = 0x14;
inline constexpr int32_t MIS_TYPE_FLAME = 0x100;        // the gun's shot, also what a launch starts as
inline constexpr int32_t MIS_TYPE_HEAL = 0x10001;
inline constexpr int32_t MIS_TYPE_GAUGE_ALLY = 0x10003;
inline constexpr int32_t MIS_TYPE_RAISE_ALLY = 0x10004;
inline constexpr int32_t MIS_TYPE_SPIRIT = 0x100001;    // couples the hero's spirit to a creature
inline constexpr int32_t MIS_TYPE_SHOW_VID = 0x100002;
inline constexpr int32_t MIS_TYPE_INVISIBLE = 0x100003;
inline constexpr int32_t MIS_TYPE_FLIGHT = 0x1000001;
inline constexpr int32_t MIS_TYPE_HEAL_SELF = 0x1000002;
inline constexpr int32_t MIS_TYPE_SLOW = 0x1000004;
inline constexpr int32_t MIS_TYPE_FREEZE_ALL = 0x1000005;
inline constexpr int32_t MIS_TYPE_SACRIFICE = 0x1000008;
inline constexpr int32_t MIS_TYPE_KNOWLEDGE = 0x1000009;
inline constexpr int32_t MIS_TYPE_SPEED = 0x1000010;
inline constexpr int32_t MIS_TYPE_FAILED = 0x10000000;  // a cast the gauge could not pay

// The flag word of a projectile (flag bytes 0..3).
inline constexpr uint32_t MIS_WORD_IN_USE = 0x0001;
inline constexpr uint32_t MIS_WORD_THROWN = 0x0800;
inline constexpr uint32_t MIS_WORD_FLYING = 0x10000;

// The sword and bow levels, set when the sword or bow power is cast.
extern int32_t MIS_SwordLevel;
extern int32_t MIS_BowLevel;

// The actor step launches an actor's blow, shot or power when its animation passes the hit frame, and
// the hero's moves when it casts or shoots. Returns the projectile's slot, -1 when all 16 are in use.
int32_t MIS_Fire(ActorRecord *shooter);
// Per frame for each flying projectile, from the actor update: homing, motion and the hit test.
void MIS_Move(ActorRecord *projectile);
void MIS_CheckHits(ActorRecord *projectile);
// What a projectile does to the object it hit.
void MIS_ApplyHit(ActorRecord *projectile, ActorRecord *victim);
// Takes the cost from the shooter's second gauge: 1 when paid, 0 (gauge left at 0) when it was short.
int32_t MIS_SpendGauge(ActorRecord *projectile, float cost);
// Places the projectile in front of the shooter (radius along its heading and pitch) and gives it that
// offset as its velocity. Also used by the scene triggers to place what they launch.
void MIS_CompLaunchPos(const ActorRecord *shooter, ActorRecord *projectile);
// The five nearest characters of the other team (opponents) or of the projectile's own (allies),
// into the projectile's enemy or ally list, nearest first.
void MIS_FindOpponents(ActorRecord *projectile);
void MIS_FindAllies(ActorRecord *projectile);
// A free-thrown model at the position (lifted by 100); returns its slot, -1 when none is free.
int32_t MIS_Throw(const double position[3]);
// Per frame for each thrown projectile, from the actor update.
void MIS_MoveThrown(ActorRecord *projectile);
void MIS_AgeThrown(ActorRecord *projectile);

