// Special actors. Not built yet: no video actor is made and no flying actor is found.
#include "world/spc.h"

void SPC_MakeVid(ActorRecord *) {}
void SPC_FindF27() {}
void SPC_UpdateF27() {}
ActorRecord *SPC_ActiveVid() { return nullptr; }
void SPC_MoveF27(ActorRecord *) {}
ActorRecord *SPC_ShowVid(ActorRecord *, ActorRecord *) { return nullptr; }
void SPC_HideVid() {}
