// The object slots and projectiles, their defaults, and the lists of those in use.
#include "world/actor.h"

#include <cstring>

ActorRecord ACTOR_Slots[ACTOR_SLOT_COUNT];
ActorRecord ACTOR_Projectiles[ACTOR_PROJECTILE_COUNT];
ActorRecord *ACTOR_ActiveList1[ACTOR_SLOT_COUNT + ACTOR_PROJECTILE_COUNT];
int32_t ACTOR_ActiveCount1;
ActorRecord *ACTOR_ActiveList2[ACTOR_SLOT_COUNT];
int32_t ACTOR_ActiveCount2;

void ACTOR_InitRecord(ActorRecord *actor)
{
    // All bytes, padding included, so that a record compares and copies the same wherever it was.
    std::memset(actor, 0, sizeof *actor);
    actor->physics_mode = 1;
    actor->life = 100.0f;
    actor->second_gauge = 10.0f;
    actor->air = 100.0f;
    actor->strength = 20.0f;
    actor->zone = -1;
    actor->point = -1;
    actor->spell_slots[1][1] = 1;
    actor->radius = 135;
    actor->second_radius = 160;
    actor->pursuit_range = 50000;
    actor->sight_radius = 2000;
    actor->anim_speed = 1.5f;
    actor->speed_factor = 1.0f;
    actor->range = 1000;
    actor->parry_chance = 16;
    actor->attack_chance = 20;
    actor->mass = 80.0;
    // Shadow slot 0 is a real shadow: a new actor owns none until the shadows give it one.
    actor->shadow_slot = ACTOR_NO_SHADOW;
    actor->symbol_menu = -1;
}

void ACTOR_BuildActiveLists()
{
    ACTOR_ActiveCount1 = 0;
    ACTOR_ActiveCount2 = 0;
    for (ActorRecord &slot : ACTOR_Slots) {
        if (slot.flags[0] & ACTOR_F0_IN_USE) {
            ACTOR_ActiveList1[ACTOR_ActiveCount1++] = &slot;
            ACTOR_ActiveList2[ACTOR_ActiveCount2++] = &slot;
        }
    }
    for (ActorRecord &projectile : ACTOR_Projectiles) {
        if (projectile.flags[0] & ACTOR_F0_IN_USE) {
            ACTOR_ActiveList1[ACTOR_ActiveCount1++] = &projectile;
        }
    }
}
