// Actor animation. Not built yet: no animation set is loaded, actions change nothing and no actor moves.
#include "world/anim.h"

void ANIM_InitSlots() {}
int32_t ANIM_LoadActorAnims(ActorRecord *, const char *) { return 0; }
int32_t ANIM_SetAnimSet(ActorRecord *, ActorRecord *) { return 0; }
void ANIM_DoAction(ActorRecord *, int32_t) {}
int32_t ANIM_ChangeAnim(ActorRecord *) { return 1; }
void ANIM_ResetAnim(ActorRecord *) {}
void ANIM_UpdateActors() {}
