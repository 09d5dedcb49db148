// Projectiles: launching a blow, shot or power from the shooter's animation and spell slots, homing and
// moving it each frame, looking for what it hits and turning the hit into damage, push or the power's
// effect; and the free-thrown models.
#include "world/mis.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "core/fconv.h"
#include "core/game_frame.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "world/actor.h"
#include "world/ai.h"
#include "world/aim.h"
#include "world/anim.h"
#include "world/cam.h"
#include "world/ctrl.h"
#include "world/elt.h"
#include "world/fgt_hit.h"
#include "world/flick.h"
#include "world/fx.h"
#include "world/game.h"
#include "world/phy.h"
#include "world/spc.h"
#include "world/tex.h"
#include "world/wpn.h"

int32_t MIS_SwordLevel;
int32_t MIS_BowLevel;

namespace {

constexpr double Pi = 3.14159265358979;
constexpr double Two_Pi = 6.2831853071794;
// The face type a projectile keeps when it did not make its shooter invisible.
constexpr int32_t No_Prim_Type = INT32_MIN;
constexpr int32_t Transparent_Prim_Type = 2;

ActorRecord *Hero() { return &ACTOR_Slots[ACTOR_HERO]; }

bool In_Use(const ActorRecord *p) { return (p->flags[0] & ACTOR_F0_IN_USE) != 0; }

void Set_Word(ActorRecord *a, uint32_t word)
{
    for (int i = 0; i < 4; i++) {
        a->flags[i] = uint8_t(word >> (8 * i));
    }
}

bool Sword_Drawn(const ActorRecord *a)
{
    constexpr uint8_t both = ACTOR_F6_SWORD_CARRIED | ACTOR_F6_SWORD_DRAWN;
    return a != nullptr && (a->flags[6] & both) == both;
}

bool Bow_Drawn(const ActorRecord *a)
{
    constexpr uint8_t both = ACTOR_F6_BOW_CARRIED | ACTOR_F6_BOW_DRAWN;
    return a != nullptr && (a->flags[6] & both) == both;
}

bool Second_Camp(const ActorRecord *a) { return (a->flags[1] & ACTOR_F1_TEAM) != 0; }

// A projectile's model: a clone of the thrown model, 0 (the root camera) when none was loaded.
bool Has_Model(const ActorRecord *p) { return p->node > 0; }

void Show_Model(ActorRecord *p)
{
    if ((p->flags[4] & ACTOR_F4_MODEL_HIDDEN) != 0) {
        if (Has_Model(p)) {
            Show_Obj_Tree(p->node);
        }
        p->flags[4] &= uint8_t(~ACTOR_F4_MODEL_HIDDEN);
    }
}

void Hide_Model(ActorRecord *p)
{
    if ((p->flags[4] & ACTOR_F4_MODEL_HIDDEN) == 0) {
        if (Has_Model(p)) {
            Hide_Obj_Tree(p->node);
        }
        p->flags[4] |= ACTOR_F4_MODEL_HIDDEN;
    }
}

ActorRecord *First_Free()
{
    for (ActorRecord &p : ACTOR_Projectiles) {
        if (!In_Use(&p)) {
            return &p;
        }
    }
    return nullptr;
}

void Set_Tint(ActorRecord *victim, int32_t r, int32_t g, int32_t b)
{
    victim->hit_tint[0] = r;
    victim->hit_tint[1] = g;
    victim->hit_tint[2] = b;
}

// The tint of the victim's camp as it stands now: camp 0 first.
void Camp_Tint(ActorRecord *victim, const int32_t camp0[3], const int32_t camp1[3])
{
    const int32_t *t = Second_Camp(victim) ? camp1 : camp0;
    Set_Tint(victim, t[0], t[1], t[2]);
}

void Hit_Tint(ActorRecord *victim)
{
    static constexpr int32_t camp0[3] = {0, 16, 64}, camp1[3] = {64, 0, 0};
    Camp_Tint(victim, camp0, camp1);
}

void Life_Tint(ActorRecord *victim)
{
    static constexpr int32_t camp0[3] = {92, 92, 112}, camp1[3] = {112, 92, 92};
    Camp_Tint(victim, camp0, camp1);
}

void Screen_Tint(int32_t r, int32_t g, int32_t b)
{
    TEX_Shading.tint[0] = r;
    TEX_Shading.tint[1] = g;
    TEX_Shading.tint[2] = b;
}

double Distance(const ActorRecord *a, const ActorRecord *b)
{
    const double dx = b->position[0] - a->position[0], dy = b->position[1] - a->position[1],
                 dz = b->position[2] - a->position[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

double Bearing(const ActorRecord *from, const ActorRecord *to)
{
    double b = 0.0;
    ACTOR_BearingTo(from, to->position[0], to->position[2], &b);
    return b;
}

// The five nearest characters around the projectile, of the other team or of its own.
void Find(ActorRecord *p, bool opponents)
{
    ActorRecord *found[ACTOR_SLOT_COUNT + ACTOR_PROJECTILE_COUNT];
    int32_t n = 0;
    const bool camp = (ACTOR_FlagWord(p) & ACTOR_WORD_TEAM) != 0;
    const int32_t active = std::clamp(ACTOR_ActiveCount1, 0, ACTOR_SLOT_COUNT + ACTOR_PROJECTILE_COUNT);
    for (int32_t i = 0; i < active; i++) {
        ActorRecord *o = ACTOR_ActiveList1[i];
        if ((o->flags[1] & ACTOR_F1_AI) == 0 || (o->flags[5] & ACTOR_F5_NOT_TARGET) != 0 || o == p->leader) {
            continue;
        }
        if (opponents && (o->flags[3] & ACTOR_F3_DISABLED) != 0) {
            continue;
        }
        if (Second_Camp(o) == camp ? opponents : !opponents) {
            continue;
        }
        o->sort_distance = float(Distance(p, o));
        found[n++] = o;
    }
    std::stable_sort(found, found + n,
                     [](const ActorRecord *a, const ActorRecord *b) { return a->sort_distance < b->sort_distance; });
    ActorRecord **list = opponents ? p->enemies : p->allies;
    const int32_t count = std::min(n, 5);
    for (int32_t i = 0; i < 5; i++) {
        list[i] = i < count ? found[i] : nullptr;
    }
    (opponents ? p->enemy_count : p->ally_count) = count;
}

// What the projectile does once its life is spent: everything it showed or lent goes back.
void End(ActorRecord *p)
{
    ActorRecord *shooter = p->leader;
    if (shooter == Hero()) {
        WPN_HideGun();
    }
    FLICK_Remove(p);
    const int32_t type = p->physics_mode;
    if (type == MIS_TYPE_SPIRIT || type == MIS_TYPE_SHOW_VID) {
        SPC_HideVid();
    }
    // Only the cast that made the shooter invisible gives it back, with the face type it kept.
    if (type == MIS_TYPE_INVISIBLE && shooter != nullptr && p->saved_prim_type != No_Prim_Type &&
        (shooter->flags[9] & ACTOR_F9_INVISIBLE) != 0) {
        shooter->flags[9] &= uint8_t(~ACTOR_F9_INVISIBLE);
        Replace_Prim_Type(shooter->node, Transparent_Prim_Type, p->saved_prim_type);
        shooter->flags[5] &= uint8_t(~ACTOR_F5_NOT_TARGET);
    }
    Hide_Model(p);
    Set_Word(p, 0);
}

// The spell cast from the shooter's slots; the projectile starts at life 128.
void Cast(ActorRecord *p, ActorRecord *shooter)
{
    p->life = 128.0f;
    const int32_t slot = ELT_SelectedSlot(shooter);
    if (slot >= 0) {
        p->spell_level = float(shooter->spell_slots[slot][0]);
        p->physics_mode = shooter->spell_slots[slot][1];
    }
    const int32_t type = p->physics_mode;
    if (type == MIS_TYPE_SPIRIT || type == MIS_TYPE_SHOW_VID) {
        p->life = 512.0f;
        p->coupled = SPC_ShowVid(shooter, shooter);
        return;
    }
    if (type == MIS_TYPE_INVISIBLE) {
        if ((shooter->flags[9] & ACTOR_F9_INVISIBLE) == 0) {
            p->life = 512.0f;
            shooter->flags[9] |= ACTOR_F9_INVISIBLE;
            int32_t kept = 0;
            if (Get_First_Prim_Type(shooter->node, &kept) == 0) {
                p->saved_prim_type = kept;
                Replace_Prim_Type(shooter->node, kept, Transparent_Prim_Type);
            }
            shooter->flags[5] |= ACTOR_F5_NOT_TARGET;
        }
        return;
    }
    Show_Model(p);
    if (type == MIS_TYPE_SWORD) {
        p->life = 1.0f;
        if (shooter == Hero()) {
            WPN_DrawSword();
        }
        MIS_SwordLevel = trunc_i32(p->spell_level);
    } else if (type == MIS_TYPE_BOW) {
        p->life = 1.0f;
        if (shooter == Hero()) {
            WPN_DrawBow();
        }
        MIS_BowLevel = trunc_i32(p->spell_level);
    }
}

void Arrow(ActorRecord *p)
{
    for (float &v : p->velocity) {
        v *= 4.0f;
    }
    p->physics_mode = MIS_TYPE_ARROW;
    p->life = 32.0f;
    Show_Model(p);
}

void Blow(ActorRecord *p, ActorRecord *victim)
{
    ActorRecord *shooter = p->leader;
    if (Sword_Drawn(shooter)) {
        for (int32_t i = 0; i < MIS_SwordLevel; i++) {
            if (shooter->current_anim >= 54 && shooter->current_anim <= 56) {
                FGT_MeleeHit(victim, shooter, 10);
            }
            FGT_Knockback(p, victim);
        }
    }
    FGT_Knockback(p, victim);
    int32_t damage = 0;
    if (shooter == Hero()) {
        switch (shooter->current_anim) {
        case 16: case 17: case 20: case 56: damage = 30; break;
        case 18: case 21: damage = 25; break;
        case 54: damage = 40; break;
        case 19: FGT_MeleeHit(victim, shooter, 50); damage = 20; break;
        default: damage = 20; break;
        }
    } else if (shooter != nullptr) {
        damage = trunc_i32(shooter->strength);
    }
    FGT_MeleeHit(victim, shooter, damage);
    p->life = 0.0f;
    Hit_Tint(victim);
}

void Raise(ActorRecord *p, ActorRecord *victim)
{
    if (victim->current_anim != ANIM_DEATH) {
        return;
    }
    victim->life = 100.0f;
    victim->flags[0] |= ACTOR_F0_ANIM_ENDED;
    victim->flags[2] &= uint8_t(~ACTOR_F2_ACTION_HELD);
    victim->requested_anim = ANIM_IDLE;
    ANIM_ChangeAnim(victim);
    Life_Tint(victim);
    p->life = 0.0f;
}

void Couple(ActorRecord *p, ActorRecord *victim)
{
    FX_AttachBall(2, victim, 0, 50);
    ActorRecord *shooter = p->leader;
    if (shooter == nullptr) {
        return;
    }
    if (shooter->coupled == victim) {
        shooter->coupled = nullptr;
        p->life = 0.0f;
        CAM_PostEvent('+', 0, 0);
        AI_BuildGroups();
        return;
    }
    if (victim->second_gauge <= shooter->second_gauge && (victim->flags[1] & ACTOR_F1_SYMBOLS) == 0 &&
        (victim->flags[7] & ACTOR_F7_UNSTRUCK) == 0 && shooter->coupled == nullptr) {
        shooter->coupled = victim;
        shooter->coupling_time = 2000;
        CAM_PostEvent('+', 0, 0);
        AI_RemoveObject(victim);
        p->life = 0.0f;
    }
}

// The blow's reach test against the nearest opponent, then against the nearest ally: what it hits.
ActorRecord *Blow_Target(ActorRecord *p, const ActorRecord *shooter, bool *ally)
{
    *ally = false;
    const int32_t type = p->physics_mode;
    const bool sword = Sword_Drawn(shooter);
    double reach = sword ? 300.0 : 30.0;
    MIS_FindOpponents(p);
    if (p->enemy_count > 0) {
        ActorRecord *e = p->enemies[0];
        double bearing = Bearing(shooter, e);
        if (e->radius > 120) {
            bearing *= 0.7;
        }
        if (shooter->radius > 120) {
            bearing *= 0.7;
        }
        reach += std::min(std::fabs(e->position[1] - shooter->position[1]), 80.0);
        if (e->radius < 120) {
            reach += double(120 - e->radius);
        }
        if (shooter->radius < 120) {
            reach += double(120 - shooter->radius);
        }
        if (type != MIS_TYPE_BOLT && type != MIS_TYPE_BLOW) {
            bearing = 0.0;
        }
        // A close opponent fills more of the view: its bearing shrinks, so that it is never harder to hit
        // than one farther off.
        if (e->sort_distance < 140.0f) {
            bearing *= 0.8;
        }
        if (e->sort_distance < 100.0f) {
            bearing *= 0.8;
        }
        if (double(e->sort_distance) < double(e->radius) + reach && bearing > -Pi / 6.0 && bearing < Pi / 6.0) {
            return e;
        }
    } else {
        reach = sword ? 300.0 : 100.0;
    }
    MIS_FindAllies(p);
    if (p->ally_count == 0) {
        return nullptr;
    }
    ActorRecord *a = p->allies[0];
    if (a->radius < 140) {
        reach += double(140 - a->radius);
    }
    if (shooter->radius < 140) {
        reach += double(140 - shooter->radius);
    }
    if (double(a->sort_distance) < double((shooter->radius + a->radius) / 2) + reach) {
        *ally = true;
        return a;
    }
    return nullptr;
}

// The gun's flame sweeps the shooter's listed enemies ahead of it until one survives.
void Flame(ActorRecord *p, ActorRecord *shooter)
{
    if (shooter == Hero()) {
        WPN_ShowGun();
    }
    const int32_t count = std::clamp(shooter->enemy_count, 0, 5);
    for (int32_t i = 0; i < count; i++) {
        ActorRecord *e = shooter->enemies[i];
        if (e == nullptr) {
            continue;
        }
        const double b = Bearing(shooter, e);
        if (b <= -Pi / 8.0 || b >= Pi / 8.0) {
            continue;
        }
        if (shooter == Hero() && FGT_LineOfSight(shooter, e) == 0) {
            continue;
        }
        MIS_ApplyHit(p, e);
        if (e->life > 0.0f) {
            break;
        }
    }
}

} // namespace

void MIS_CompLaunchPos(const ActorRecord *shooter, ActorRecord *projectile)
{
    const double a = double(4096 - shooter->heading) * Two_Pi / 4096.0;
    const double b = double(shooter->pitch) * Two_Pi / 4096.0;
    const double r = double(shooter->radius);
    const double v[3] = {r * std::cos(b) * std::cos(a), r * std::sin(b), r * std::cos(b) * std::sin(a)};
    for (int i = 0; i < 3; i++) {
        projectile->velocity[i] = float(v[i]);
        projectile->position[i] = shooter->position[i] + v[i];
    }
    projectile->position[1] -= 60.0;
}

int32_t MIS_Fire(ActorRecord *shooter)
{
    ActorRecord *p = First_Free();
    if (p == nullptr || shooter == nullptr) {
        return -1;
    }
    // A reused record starts with no targets and no spell of its previous flight.
    p->enemy_count = p->ally_count = 0;
    for (int i = 0; i < 5; i++) {
        p->enemies[i] = p->allies[i] = nullptr;
    }
    p->spell_level = 0.0f;
    p->saved_prim_type = No_Prim_Type;

    Set_Word(p, ACTOR_FlagWord(p) | MIS_WORD_IN_USE | MIS_WORD_FLYING | (ACTOR_FlagWord(shooter) & ACTOR_WORD_TEAM));
    p->life = 1.0f;
    p->coupled = nullptr;
    p->physics_mode = MIS_TYPE_FLAME;
    MIS_CompLaunchPos(shooter, p);

    const int32_t anim = shooter->current_anim;
    if ((anim >= 16 && anim <= 23) || anim == 35) {
        p->physics_mode = MIS_TYPE_BLOW;
        p->life = 1.0f;
        if (anim == 23) {
            for (int i = 0; i < 3; i++) {
                p->position[i] += double(p->velocity[i]);
            }
        }
        // The same bit of a creature that turns strongly makes its blows fly as arrows.
        if ((shooter->flags[5] & ACTOR_F5_STRONG_TURN) != 0) {
            Arrow(p);
        }
    } else if (anim >= 54 && anim <= 56) {
        p->physics_mode = MIS_TYPE_BLOW;
        p->life = 1.0f;
    } else if (anim == 58 && Bow_Drawn(shooter)) {
        Arrow(p);
    } else if (anim >= 28 && anim <= 33) {
        Cast(p, shooter);
    }
    // The shooter keeps no word of its cast: nothing reads one.
    p->leader = shooter;
    if (p->physics_mode == MIS_TYPE_ARROW || p->physics_mode == MIS_TYPE_FLAME) {
        FLICK_Create(p, 1, 1000);
    }
    if (ELT_PayPower(p) == 0) {
        p->life = 1.0f;
        if (p->physics_mode > 0xFFFFFF) {
            p->physics_mode = MIS_TYPE_FAILED;
        }
    }
    MIS_Move(p);
    return int32_t(p - ACTOR_Projectiles);
}

int32_t MIS_SpendGauge(ActorRecord *projectile, float cost)
{
    ActorRecord *shooter = projectile->leader;
    if (shooter == nullptr) {
        return 1;
    }
    shooter->second_gauge -= cost;
    if (shooter->second_gauge < 0.0f) {
        shooter->second_gauge = 0.0f;
        return 0;
    }
    return 1;
}

void MIS_Move(ActorRecord *p)
{
    const int32_t type = p->physics_mode;
    const ActorRecord *target = nullptr;
    if (type < 0x10000 && p->enemy_count > 0) {
        target = p->enemies[0];
    } else if (type >= 0x10000 && type <= 0xFFFFFF && p->ally_count > 0) {
        target = p->allies[0];
    }
    if (target != nullptr) {
        double limit = 20.0 * GAME_TimeFactor;
        if (Bow_Drawn(p->leader)) {
            limit = double(10 * MIS_BowLevel) * GAME_TimeFactor;
        }
        limit = std::fabs(limit);
        for (int i = 0; i < 3; i++) {
            const double desired = std::clamp(target->position[i] - p->position[i], -limit, limit);
            p->velocity[i] = float(double(p->velocity[i]) + (desired - double(p->velocity[i])) * 0.0625);
        }
    }
    if (type == MIS_TYPE_PUSH) {
        p->velocity[0] = p->velocity[1] = p->velocity[2] = 0.0f;
    }
    if (type != MIS_TYPE_BLOW) {
        for (int i = 0; i < 3; i++) {
            p->position[i] += double(p->velocity[i]);
        }
    }
    if (p->coupled != nullptr) {
        for (int i = 0; i < 3; i++) {
            p->position[i] = p->coupled->position[i];
        }
        if ((type == MIS_TYPE_SPIRIT || type == MIS_TYPE_SHOW_VID) && CTRL_FreshlyPressed(CTRL_K2)) {
            p->life = 0.0f;
        }
    }
    FLICK_Move(p);
    if (Has_Model(p)) {
        const int32_t at[3] = {trunc_i32(p->position[0]), trunc_i32(p->position[1]), trunc_i32(p->position[2])};
        Set_Obj_Pos(p->node, at);
        int32_t m[9];
        Mat_Rotate(0, p->heading, p->pitch, m);
        Set_Obj_Matrix(p->node, m);
    }
}

void MIS_FindOpponents(ActorRecord *projectile) { Find(projectile, true); }

void MIS_FindAllies(ActorRecord *projectile) { Find(projectile, false); }

void MIS_CheckHits(ActorRecord *p)
{
    if (p->life <= 0.0f) {
        End(p);
        return;
    }
    ActorRecord *shooter = p->leader;
    const int32_t type = p->physics_mode;
    if (type >= 0 && type <= 0xFFFF) {
        if (shooter != nullptr && type == MIS_TYPE_FLAME) {
            Flame(p, shooter);
        } else if (shooter != nullptr) {
            bool ally = false;
            ActorRecord *victim = Blow_Target(p, shooter, &ally);
            if (victim != nullptr) {
                MIS_ApplyHit(p, victim);
                // The bit that keeps a creature from speeding up also keeps it from holding a
                // teammate's blow against it.
                if (ally && (victim->flags[6] & ACTOR_F6_NO_SPEED_UP) != 0) {
                    victim->last_attacker = nullptr;
                }
                if (type != MIS_TYPE_ARROW) {
                    FLICK_Create(p, 1, 1000);
                }
            }
        }
    } else if (type >= 0x10000 && type <= 0xFFFFF) {
        MIS_FindAllies(p);
        if (p->ally_count > 0 && double(p->allies[0]->sort_distance) < double(p->allies[0]->radius / 2 + 100)) {
            MIS_ApplyHit(p, p->allies[0]);
        }
    } else if (type >= 0x100000 && type <= 0xFFFFFF) {
        MIS_FindAllies(p);
        if (p->ally_count > 0 && double(p->allies[0]->sort_distance) < double(p->allies[0]->radius / 2 + 300)) {
            MIS_ApplyHit(p, p->allies[0]);
        }
        MIS_FindOpponents(p);
        if (shooter != nullptr && p->enemy_count > 0) {
            ActorRecord *e = p->enemies[0];
            if (double(e->sort_distance) < double((shooter->radius + e->radius) / 2 + 300)) {
                MIS_ApplyHit(p, e);
            }
        }
    } else if (type > 0x1000000) {
        // These powers act on their caster.
        if (shooter != nullptr) {
            MIS_ApplyHit(p, shooter);
        }
        p->life = 0.0f;
    }
    p->life -= 1.0f;
}

void MIS_ApplyHit(ActorRecord *p, ActorRecord *victim)
{
    ActorRecord *shooter = p->leader;
    switch (p->physics_mode) {
    case MIS_TYPE_BOLT:
    case MIS_TYPE_BLOW:
        Blow(p, victim);
        return;
    case MIS_TYPE_FREEZE:
        victim->slow_time = 2000.0f;
        victim->slow_factor = 0.01f;
        Hit_Tint(victim);
        break;
    case MIS_TYPE_GAUGE:
    case MIS_TYPE_GAUGE_ALLY:
        victim->second_gauge += 20.0f;
        break;
    case MIS_TYPE_CAMP:
        victim->flags[1] = uint8_t((victim->flags[1] & ~ACTOR_F1_TEAM) | (p->flags[1] & ACTOR_F1_TEAM));
        AI_BuildGroups();
        Life_Tint(victim);
        break;
    case MIS_TYPE_RAISE:
    case MIS_TYPE_RAISE_ALLY:
        Raise(p, victim);
        return;
    case MIS_TYPE_PUSH:
        FGT_Knockback(p, victim);
        FGT_MeleeHit(victim, shooter, 100);
        Hit_Tint(victim);
        break;
    case MIS_TYPE_ARROW:
        if (Bow_Drawn(shooter)) {
            for (int32_t i = 0; i < MIS_BowLevel; i++) {
                FGT_MeleeHit(victim, shooter, MIS_BowLevel);
                FGT_KnockbackLight(p, victim);
            }
        }
        FGT_KnockbackLight(p, victim);
        FGT_MeleeHit(victim, shooter, 10);
        Hit_Tint(victim);
        break;
    case MIS_TYPE_FLAME: {
        static constexpr int32_t camp0[3] = {-64, -64, -8}, camp1[3] = {-8, -64, -64};
        FGT_Knockback(p, victim);
        FGT_MeleeHit(victim, shooter, shooter != nullptr ? trunc_i32(shooter->strength) : 0);
        FX_Sparks(victim);
        Camp_Tint(victim, camp0, camp1);
        break;
    }
    case MIS_TYPE_HEAL:
        victim->life += 20.0f;
        Hit_Tint(victim);
        break;
    case MIS_TYPE_SPIRIT:
        Couple(p, victim);
        return;
    case MIS_TYPE_FLIGHT:
        victim->flags[3] |= ACTOR_F3_TAKE_OFF;
        Screen_Tint(21, 127, 127);
        break;
    case MIS_TYPE_HEAL_SELF:
        victim->life = float(double(victim->life) + 50.0 - (3.0 - double(p->spell_level)) * 6.0);
        break;
    case MIS_TYPE_SLOW:
        FGT_SetOthers(victim, 2000.0f, 0.3f);
        Screen_Tint(8, 8, 8);
        break;
    case MIS_TYPE_FREEZE_ALL:
        FGT_SetOthers(victim, 2000.0f, 0.01f);
        Screen_Tint(16, 16, 16);
        break;
    case MIS_TYPE_SACRIFICE:
        FGT_Damage(victim, 20.0f);
        victim->second_gauge += 30.0f;
        break;
    case MIS_TYPE_KNOWLEDGE: {
        char name[32] = "Project10";
        GAME_TravelTo(name, sizeof name);
        break;
    }
    case MIS_TYPE_SPEED:
        victim->slow_time = 1000.0f;
        victim->slow_factor = 2.0f;
        break;
    case MIS_TYPE_FAILED:
        break;
    default:
        // The sword, the bow, the special object, invisibility: they fly on.
        return;
    }
    p->life = 0.0f;
}

int32_t MIS_Throw(const double position[3])
{
    ActorRecord *p = First_Free();
    if (p == nullptr) {
        return -1;
    }
    Show_Model(p);
    for (int i = 0; i < 3; i++) {
        p->position[i] = position[i];
        p->velocity[i] = 0.0f;
    }
    p->position[1] -= 100.0;
    Set_Word(p, MIS_WORD_THROWN | MIS_WORD_IN_USE);
    p->life = 100.0f;
    PHY_ResetBody(p);
    return int32_t(p - ACTOR_Projectiles);
}

void MIS_MoveThrown(ActorRecord *projectile) { PHY_MoveObject(projectile); }

void MIS_AgeThrown(ActorRecord *p)
{
    p->life -= 1.0f;
    if (p->life < 0.0f) {
        Set_Word(p, 0);
        Hide_Model(p);
    }
}
