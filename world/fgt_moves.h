// The hero's move handlers on the ground, in water and in the air.
#pragma once
#include <cstdint>

struct ActorRecord;

// The hero's vertical speed of the previous frame, written by the ground and the airborne handler:
// the next landing's hardness.
extern float FGT_LandingSpeed;
// Frames left after a take-off from open ground, during which the airborne hero cannot pitch up; the
// level load clears it.
extern int32_t FGT_TakeOffTimer;

// Called once per frame by the hero's fight step for its physics mode (1 ground, 2 water, 3 air): the
// controls turned into the hero's actions. inReach: the target is within the fight reach; f92Near: an
// "F92" enemy is within 400 units.
void FGT_FightMoves(ActorRecord *hero, int32_t inReach, int32_t f92Near);
void FGT_SwimMoves(ActorRecord *hero, int32_t inReach);
void FGT_AirMoves(ActorRecord *hero, int32_t inReach);

// The spell-slot controls that cast on their release, each from its own slot.
enum : int32_t {
    FGT_CAST_SWI = 0, // casts from the second slot
    FGT_CAST_BT0 = 1, // from the first
    FGT_CAST_BT1 = 2, // from the third
};
// The casting action for a slot's type code released on one of those controls; -1: the code has none.
int32_t FGT_CastAction(int32_t typeCode, int32_t control);
