// Actor animation. Not built yet: no action is taken up and nothing moves.
#include "world/anim.h"

void ANIM_DoAction(ActorRecord *, int32_t) {}
void ANIM_UpdateActors() {}
