// The fight scene (see fight_scene.h).
#include "tests/support/fight_scene.h"

#include "core/game_frame.h"
#include "tests/support/mem_file_source.h"
#include "tests/support/weapon_models.h"
#include "world/ai.h"
#include "world/fx.h"
#include "world/mis.h"
#include "world/wpn.h"

namespace kalder_test {

namespace {

void Clear_Projectiles()
{
    for (ActorRecord &p : ACTOR_Projectiles) {
        ACTOR_InitRecord(&p);
    }
}

} // namespace

FightScene::FightScene(int32_t fighters) : scene_(GameFloor(-8000, -8000, 16000, 0), fighters)
{
    Clear_Projectiles();
    FX_Clear();
    const NamedFile thrown = ThrownModel();
    MemFiles_Add(thrown.name, thrown.bytes);
    WPN_LoadThrown();
    MIS_SwordLevel = MIS_BowLevel = 0;
    ACTOR_Slots[ACTOR_HERO].flags[0] |= ACTOR_F0_HERO;
    ACTOR_BuildActiveLists();
}

FightScene::~FightScene() { Clear_Projectiles(); }

ActorRecord *FightScene::Set(int32_t i, const Fighter &f)
{
    ActorRecord *a = scene_.Actor(i);
    scene_.Place(a, f.x, f.y, f.z);
    // What earlier hits may have left on it.
    a->slow_time = 0.0f;
    a->slow_factor = 1.0f;
    a->coupled = nullptr;
    a->coupling_time = 0;
    a->last_attacker = nullptr;
    for (int i = 0; i < 3; i++) {
        a->hit_tint[i] = 0;
        a->knockback[i] = 0.0f;
        a->velocity[i] = 0.0f;
    }
    a->flags[1] &= uint8_t(~ACTOR_F1_SYMBOLS);
    a->flags[3] = 0;
    for (int byte = 4; byte < 10; byte++) {
        a->flags[byte] = 0;
    }
    a->physics_mode = 1;
    a->heading = f.heading;
    a->radius = f.radius;
    a->flags[1] = uint8_t((a->flags[1] & ~ACTOR_F1_TEAM) | (f.team ? ACTOR_F1_TEAM : 0));
    a->life = f.life;
    a->second_gauge = f.gauge;
    a->strength = f.strength;
    a->current_anim = f.anim;
    a->requested_anim = -1;
    a->flags[6] = f.weapons;
    for (int s = 0; s < 3; s++) {
        a->spell_slots[s][0] = f.spells[size_t(s)][0];
        a->spell_slots[s][1] = f.spells[size_t(s)][1];
    }
    a->mass = f.mass;
    ACTOR_BuildActiveLists();
    return a;
}

void FightScene::EndAll()
{
    for (ActorRecord &p : ACTOR_Projectiles) {
        if ((p.flags[0] & ACTOR_F0_IN_USE) != 0) {
            p.life = 0.0f;
            MIS_CheckHits(&p);
        }
    }
}

int32_t FightScene::InFlight()
{
    int32_t n = 0;
    for (const ActorRecord &p : ACTOR_Projectiles) {
        n += (p.flags[0] & ACTOR_F0_IN_USE) != 0;
    }
    return n;
}

void FightScene::StepProjectiles()
{
    for (ActorRecord &p : ACTOR_Projectiles) {
        if ((p.flags[0] & ACTOR_F0_IN_USE) != 0 && (p.flags[2] & ACTOR_F2_FLYING) != 0) {
            MIS_Move(&p);
            MIS_CheckHits(&p);
        }
    }
}

} // namespace kalder_test
