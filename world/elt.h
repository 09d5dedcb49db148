// What powers cost: the price of each projectile type from the shooter's second gauge.
#pragma once
#include <cstdint>

struct ActorRecord;

struct ELT_Cost {
    int32_t type;
    int32_t cost;
};
// Every type that costs something (a type not listed is free).
inline constexpr int32_t ELT_COST_COUNT = 20;
extern const ELT_Cost ELT_Costs[ELT_COST_COUNT];

// The cost of a type code; 0 for a type not in the table.
int32_t ELT_CostOf(int32_t type);
// At launch: pays the projectile's type from its shooter's second gauge; 1 when paid.
int32_t ELT_PayPower(ActorRecord *projectile);
// The hero's casting asks first: the gauge (truncated) minus the cost of the selected spell slot, 1
// when no slot is set. Negative: the power cannot be paid.
int32_t ELT_CheckPower(const ActorRecord *shooter);
// The spell slot a cast uses: the last non-zero of the second, first and third; -1 when none is set.
int32_t ELT_SelectedSlot(const ActorRecord *shooter);
