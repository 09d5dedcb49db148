// Power costs. Not built yet: every power is free.
#include "world/elt.h"

const ELT_Cost ELT_Costs[ELT_COST_COUNT] = {};

int32_t ELT_CostOf(int32_t) { return 0; }
int32_t ELT_PayPower(ActorRecord *) { return 1; }
int32_t ELT_CheckPower(const ActorRecord *) { return 1; }
int32_t ELT_SelectedSlot(const ActorRecord *) { return -1; }
