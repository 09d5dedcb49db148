// Sprite sets. Not built yet: every slot stays empty.
#include "interface/spr.h"

void SPR_LoadSet(const char *, int32_t) {}
