// The hero's move handlers. Not built yet: only the take-off timer is kept, and the controls give the
// hero no action.
#include "world/fgt_moves.h"

float FGT_LandingSpeed;
int32_t FGT_TakeOffTimer;

void FGT_FightMoves(ActorRecord *, int32_t, int32_t) {}
void FGT_SwimMoves(ActorRecord *, int32_t) {}
void FGT_AirMoves(ActorRecord *, int32_t) {}

int32_t FGT_CastAction(int32_t, int32_t) { return -1; }
