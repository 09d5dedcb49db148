// Projectiles. Not built yet: firing and moving only count their calls, so that the hit frames and
// the projectile update can be seen.
#include "world/mis.h"

int32_t MIS_FireCount;
ActorRecord *MIS_LastFired;
int32_t MIS_MoveCount;
int32_t MIS_ThrownCount;

void MIS_Fire(ActorRecord *actor)
{
    MIS_FireCount++;
    MIS_LastFired = actor;
}

void MIS_Move(ActorRecord *) { MIS_MoveCount++; }

void MIS_CheckHits(ActorRecord *) {}

void MIS_MoveThrown(ActorRecord *) { MIS_ThrownCount++; }

void MIS_AgeThrown(ActorRecord *) {}
