// The hero's fight. Not built yet: only the stance hold time is kept.
#include "world/fgt.h"

float FGT_StanceHoldTime;
