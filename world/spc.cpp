// Special actors. Not built yet: no video actor is made and no flying actor is found, so showing the
// special object shows nothing; both calls are counted.
#include "world/spc.h"

void SPC_MakeVid(ActorRecord *) {}
void SPC_FindF27() {}
void SPC_UpdateF27() {}
ActorRecord *SPC_ActiveVid() { return nullptr; }
void SPC_MoveF27(ActorRecord *) {}
int32_t SPC_ShowVidCalls;
ActorRecord *SPC_LastShowVid;
int32_t SPC_HideVidCalls;
ActorRecord *SPC_ShowVid(ActorRecord *shooter, ActorRecord *)
{
    SPC_ShowVidCalls++;
    SPC_LastShowVid = shooter;
    return nullptr;
}
void SPC_HideVid() { SPC_HideVidCalls++; }
