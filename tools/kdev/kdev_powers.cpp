// kdev powers: every power cast once by the hero at a creature, with what it did.
#include "tools/kdev/kdev_powers.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/support/fight_scene.h"
#include "world/actor.h"
#include "world/anim.h"
#include "world/elt.h"
#include "world/mis.h"
#include "world/prj.h"
#include "world/tex.h"

using kalder_test::Fighter;

namespace {

// The types a cast can carry: the cost table and the free ones.
std::vector<int32_t> All_Types()
{
    std::vector<int32_t> types;
    for (const ELT_Cost &c : ELT_Costs) {
        types.push_back(c.type);
    }
    for (int32_t t : {MIS_TYPE_BOW, MIS_TYPE_FLIGHT, MIS_TYPE_SACRIFICE}) {
        types.push_back(t);
    }
    return types;
}

struct State {
    float life, gauge, slow, factor;
    int32_t tint[3], team, anim;
    const ActorRecord *coupled;
    int32_t screen[3];
    const LevelRecord *next;
    bool operator==(const State &o) const { return std::memcmp(this, &o, sizeof *this) == 0; }
};

State Read(const ActorRecord *v, const ActorRecord *hero)
{
    State s{};
    s.life = v->life;
    s.gauge = v->second_gauge;
    s.slow = v->slow_time;
    s.factor = v->slow_factor;
    std::memcpy(s.tint, v->hit_tint, sizeof s.tint);
    s.team = (v->flags[1] & ACTOR_F1_TEAM) != 0;
    s.anim = v->requested_anim != -1 ? v->requested_anim : v->current_anim;
    s.coupled = hero->coupled;
    std::memcpy(s.screen, TEX_Shading.tint, sizeof s.screen);
    s.next = PRJ_Next;
    return s;
}

void Cast(int32_t type)
{
    kalder_test::FightScene scene(3);
    ACTOR_Slots[ACTOR_SCENE].flags[0] = 0;
    std::memset(TEX_Shading.tint, 0, sizeof TEX_Shading.tint);
    PRJ_Next = nullptr;
    const bool helps = type >= 0x10000 && type <= 0xFFFFF;
    const bool raises = type == MIS_TYPE_RAISE || type == MIS_TYPE_RAISE_ALLY;
    Fighter h;
    h.anim = 28;
    h.gauge = 100.0f;
    h.spells[1] = {2, type};
    ActorRecord *hero = scene.Set(0, h);
    Fighter v;
    v.x = 600.0;
    v.team = !helps;
    v.gauge = 40.0f;
    v.life = raises ? 0.0f : 100.0f;
    v.anim = raises ? ANIM_DEATH : 0;
    ActorRecord *creature = scene.Set(2, v);
    creature->slow_factor = 1.0f;
    hero->slow_factor = 1.0f;
    // The flame sweeps the shooter's own list of enemies.
    hero->enemies[0] = creature;
    hero->enemy_count = 1;
    // The powers above 0xFFFFFF act on their caster.
    const ActorRecord *victim = type > 0xFFFFFF ? hero : creature;

    const float gauge = hero->second_gauge;
    const int32_t slot = MIS_Fire(hero);
    hero->current_anim = 0;
    const State before = Read(victim, hero);
    if (slot < 0) {
        std::printf("%08" PRIx32 " no slot\n", uint32_t(type));
        return;
    }
    ActorRecord &p = ACTOR_Projectiles[slot];
    const int32_t launched = p.physics_mode;
    const float life = p.life;
    int32_t hit = -1;
    for (int32_t frame = 1; frame <= 600 && (p.flags[0] & ACTOR_F0_IN_USE) != 0; frame++) {
        kalder_test::FightScene::StepProjectiles();
        if (hit < 0 && !(Read(victim, hero) == before)) {
            hit = frame;
        }
    }
    const State after = Read(victim, hero);
    std::printf("%08" PRIx32 " cost %2" PRId32 " gauge %5.1f -> %5.1f", uint32_t(type), ELT_CostOf(type), double(gauge),
                double(hero->second_gauge));
    if (launched != type) {
        std::printf(" as %08" PRIx32, uint32_t(launched));
    }
    std::printf(" life %5.1f", double(life));
    if (hit < 0) {
        std::printf(" no hit   ");
    } else {
        std::printf(" hit at %3" PRId32, hit);
    }
    std::printf(" | %s life %5.1f gauge %5.1f slow %6.1f x %4.2f tint %4" PRId32 " %4" PRId32 " %4" PRId32
                " team %" PRId32 " anim %2" PRId32,
                victim == hero ? "caster" : "victim", double(after.life), double(after.gauge), double(after.slow), double(after.factor), after.tint[0],
                after.tint[1], after.tint[2], after.team, after.anim);
    if (after.coupled != nullptr) {
        std::printf(" coupled");
    }
    if (std::memcmp(after.screen, before.screen, sizeof after.screen) != 0) {
        std::printf(" scene tint %" PRId32 " %" PRId32 " %" PRId32, after.screen[0], after.screen[1], after.screen[2]);
    }
    if (after.next != nullptr) {
        std::printf(" next %.32s", after.next->name);
    }
    std::printf("\n");
}

} // namespace

int KdevPowers(const char *type)
{
    PRJ_Current = &PRJ_CurrentRecord;
    if (type == nullptr) {
        for (int32_t t : All_Types()) {
            Cast(t);
        }
        return 0;
    }
    char *end = nullptr;
    const unsigned long value = std::strtoul(type, &end, 16);
    if (end == type || *end != '\0' || value > 0xFFFFFFFFul) {
        std::fprintf(stderr, "kdev powers: not a hex type: %s\n", type);
        return 1;
    }
    Cast(int32_t(uint32_t(value)));
    return 0;
}
