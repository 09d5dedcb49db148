// The hero's fight: the enemies it senses, its stance and reach, the weapon step that follows its
// moves, objects it may pick up, and an actor's passage into and out of the water.
#pragma once
#include <cstdint>

struct ActorRecord;

// 0: the hero takes its fight stance by itself when an enemy comes within reach; 1: it never does.
// 0 at start and kept from level to level; Space with Alt and Ctrl switches it.
extern int32_t FGT_FightOption;
// Frames the fight stance is still held after the last enemy left the reach; the level load clears it.
extern float FGT_StanceHoldTime;
// 1 while an enemy with courage stands near the hero out of its sight (behind it).
extern int32_t FGT_Danger;
// 1 while the hero is under water (the weapon step keeps it); the scene's tint shifts then.
extern int32_t FGT_Underwater;
// Flips every weapon step; a weapon about to go away blinks with it.
extern int32_t FGT_FrameParity;
// The two flags the last fight step handed to the move handler: the target within reach, and an "F92"
// enemy within 400 units. Kept for inspection; nothing in the game reads them.
extern int32_t FGT_LastInReach;
extern int32_t FGT_LastF92Near;

// The stance bits of the hero's flag bytes: byte 4 0x40 while the stance is on; byte 4 0x20 (the
// ground stance, ACTOR_F4_PITCH_STEERING) with it on the ground; byte 5 0x40 the hero's own toggle,
// which 0x20 follows when no enemy holds the stance.
inline constexpr uint8_t FGT_F4_STANCE = 0x40;
inline constexpr uint8_t FGT_F4_GROUND_STANCE = 0x20;
inline constexpr uint8_t FGT_F5_STANCE_TOGGLE = 0x40;

// The reaches, in units: bare-handed, with the sword, with the bow or the gun.
inline constexpr double FGT_REACH = 800.0, FGT_REACH_SWORD = 1500.0, FGT_REACH_RANGED = 2500.0;

// Called once per frame by the game tick for the steered actor while no fade runs; acts for the hero.
void FGT_HeroFight(ActorRecord *hero);
// The end of the hero's fight step: weapons, height limit, air under water, the fight option key and
// the gauge's regeneration.
void FGT_WeaponStep(ActorRecord *hero);
// Called by the ground moves when the hero stoops: the first object within 200 units, lifted off the
// ground toward the hero with a sound; null when there is none.
ActorRecord *FGT_FindStruckObject(ActorRecord *hero);
// Called as an actor goes into or out of the water: the camera holds still and watches the hero.
void FGT_CameraOnHero(ActorRecord *actor);
// Per animated actor per frame, from the actor step: the water surface's effect on it.
void FGT_WaterStep(ActorRecord *actor);

// The sounds of the water: going in and coming out, and the bubbles now and then. No sample is
// chosen for them yet (-1: none plays).
inline constexpr int32_t FGT_SOUND_WATER = -1;
inline constexpr int32_t FGT_SOUND_BUBBLES = -1;
// The sound of an object lifted to be picked up.
inline constexpr int32_t FGT_SOUND_LIFT = 12;
