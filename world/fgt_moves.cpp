// The hero's move handlers. Not built yet: only the take-off timer is kept.
#include "world/fgt_moves.h"

int32_t FGT_TakeOffTimer;
