// Projectiles. Not built yet: firing and moving only count their calls, so that the hit frames and
// the projectile update can be seen.
#include "world/mis.h"

int32_t MIS_SwordLevel;
int32_t MIS_BowLevel;
int32_t MIS_FireCount;
ActorRecord *MIS_LastFired;
int32_t MIS_MoveCount;
int32_t MIS_ThrownCount;

int32_t MIS_Fire(ActorRecord *actor)
{
    MIS_FireCount++;
    MIS_LastFired = actor;
    return -1;
}

void MIS_Move(ActorRecord *) { MIS_MoveCount++; }
void MIS_CheckHits(ActorRecord *) {}
void MIS_ApplyHit(ActorRecord *, ActorRecord *) {}
int32_t MIS_SpendGauge(ActorRecord *, float) { return 1; }
void MIS_CompLaunchPos(const ActorRecord *, ActorRecord *) {}
void MIS_FindOpponents(ActorRecord *) {}
void MIS_FindAllies(ActorRecord *) {}
int32_t MIS_Throw(const double *) { return -1; }
void MIS_MoveThrown(ActorRecord *) { MIS_ThrownCount++; }
void MIS_AgeThrown(ActorRecord *) {}
