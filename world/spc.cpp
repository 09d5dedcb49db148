// Special level actors. Not built yet: no level has one.
#include "world/spc.h"

void SPC_UpdateF27() {}
ActorRecord *SPC_ActiveVid() { return nullptr; }
void SPC_MoveF27(ActorRecord *) {}
