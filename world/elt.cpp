// Power costs: what each projectile type takes from the shooter's second gauge, and the check the
// hero's casting makes before it casts.
#include "world/elt.h"

#include <initializer_list>

#include "core/fconv.h"
#include "world/actor.h"
#include "world/mis.h"

const ELT_Cost ELT_Costs[ELT_COST_COUNT] = {
    {MIS_TYPE_BOLT, 20},       {MIS_TYPE_FREEZE, 20},     {MIS_TYPE_GAUGE, 10},       {MIS_TYPE_CAMP, 40},
    {MIS_TYPE_RAISE, 60},      {MIS_TYPE_PUSH, 20},       {MIS_TYPE_SWORD, 1},        {MIS_TYPE_ARROW, 2},
    {MIS_TYPE_FLAME, 1},       {MIS_TYPE_HEAL, 10},       {MIS_TYPE_GAUGE_ALLY, 10},  {MIS_TYPE_RAISE_ALLY, 60},
    {MIS_TYPE_SPIRIT, 50},     {MIS_TYPE_SHOW_VID, 40},   {MIS_TYPE_INVISIBLE, 30},   {MIS_TYPE_HEAL_SELF, 50},
    {MIS_TYPE_SLOW, 30},       {MIS_TYPE_FREEZE_ALL, 50}, {MIS_TYPE_KNOWLEDGE, 15},   {MIS_TYPE_SPEED, 50},
};

int32_t ELT_CostOf(int32_t type)
{
    for (const ELT_Cost &c : ELT_Costs) {
        if (c.type == type) {
            return c.cost;
        }
    }
    return 0;
}

int32_t ELT_PayPower(ActorRecord *projectile)
{
    const int32_t cost = ELT_CostOf(projectile->physics_mode);
    if (cost == 0) {
        return 1;
    }
    return MIS_SpendGauge(projectile, float(cost));
}

int32_t ELT_SelectedSlot(const ActorRecord *shooter)
{
    int32_t slot = -1;
    for (int32_t i : {1, 0, 2}) {
        if (shooter->spell_slots[i][1] != 0) {
            slot = i;
        }
    }
    return slot;
}

int32_t ELT_CheckPower(const ActorRecord *shooter)
{
    const int32_t slot = ELT_SelectedSlot(shooter);
    if (slot < 0) {
        return 1;
    }
    return trunc_i32(shooter->second_gauge) - ELT_CostOf(shooter->spell_slots[slot][1]);
}
