// Hits and damage: blows and their sounds, the thorns' reply, the push a projectile gives and its decay,
// and the time powers' slowing of everyone else.
#include "world/fgt_hit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/fconv.h"
#include "core/game_frame.h"
#include "core/que.h"
#include "core/snd.h"
#include "interface/menj.h"
#include "world/actor.h"
#include "world/ai.h"
#include "world/aim.h"
#include "world/anim.h"
#include "world/fx.h"

float FGT_LastHitLife;

namespace {

constexpr double Pi = 3.14159265358979;
constexpr int32_t Anim_Parry = 43;
constexpr int32_t Anim_Struck = 40;
constexpr int32_t Anim_Drown = 51;
constexpr int32_t Sound_Hit = 8;
constexpr int32_t Sound_Death = 7;
constexpr int32_t Sound_Scream = 19;

ActorRecord *Hero() { return &ACTOR_Slots[ACTOR_HERO]; }

bool Parrying(const ActorRecord *a) { return a->current_anim == Anim_Parry; }

void Play_On(ActorRecord *owner, int32_t sound)
{
    const SND_Request request = {1, sound, 0x01, owner, 0};
    SND_PlayEffect(&request);
}

void Sparks(ActorRecord *actor, int32_t bursts)
{
    for (int32_t i = 0; i < bursts; i++) {
        FX_Sparks(actor);
    }
}

// Life runs out: the actor stops being slowed and falls, or sinks when it swims.
void Die(ActorRecord *actor, bool may_drown)
{
    actor->slow_time = 0.0f;
    actor->life = 0.0f;
    ANIM_DoAction(actor, may_drown && actor->physics_mode == 2 ? Anim_Drown : ANIM_DEATH);
}

void Damage(ActorRecord *actor, float amount, bool sparks)
{
    if (Parrying(actor)) {
        amount = amount / 8.0f;
    }
    if (actor->life <= 0.0f) {
        return;
    }
    if (sparks) {
        Sparks(actor, 4);
    }
    Play_On(actor, Sound_Hit);
    actor->life -= amount;
    actor->pursuit_range = 50000;
    if (actor->life <= 0.0f) {
        Die(actor, sparks);
    }
}

// The share of a blow taken by one side: 1 when it is still alive after it.
bool Take_Blow(ActorRecord *victim, ActorRecord *attacker, int32_t damage)
{
    victim->flags[2] &= uint8_t(~ACTOR_F2_ACTION_HELD);
    victim->last_attacker = attacker;
    victim->life = float(double(victim->life) - double(damage));
    victim->pursuit_range = 50000;
    victim->sight_radius = 2000;
    if (victim->life > 0.0f) {
        ANIM_DoAction(victim, Anim_Struck);
        return true;
    }
    return false;
}

// The push's turn: an off-centre blow turns the victim away from the shooter.
void Turn_Away(const ActorRecord *shooter, ActorRecord *victim)
{
    double bearing = 0.0;
    ACTOR_BearingTo(shooter, victim->position[0], victim->position[2], &bearing);
    if (victim->radius > 140) {
        bearing *= 0.7;
    }
    if (shooter->radius > 140) {
        bearing *= 0.7;
    }
    const double rate = victim == Hero() ? 40.0 : 200.0;
    const int32_t turn = trunc_i32(rate * GAME_TimeFactor);
    if (bearing > Pi / 32.0) {
        victim->heading = (victim->heading + turn) & 0xFFF;
    } else if (bearing < -Pi / 32.0) {
        victim->heading = (victim->heading - turn) & 0xFFF;
    }
}

void Push(const ActorRecord *projectile, ActorRecord *victim, double k, bool clamp)
{
    for (int i = 0; i < 3; i++) {
        double v = double(victim->knockback[i]) * 0.75 + k * double(projectile->velocity[i]);
        if (clamp) {
            v = std::clamp(v, -135.0, 135.0);
        }
        victim->knockback[i] = float(v);
    }
    victim->knockback[1] = 0.0f;
}

double Strength_Of(const ActorRecord *projectile)
{
    return projectile->leader != nullptr ? double(projectile->leader->strength) : 0.0;
}

} // namespace

void FGT_Damage(ActorRecord *actor, float amount) { Damage(actor, amount, true); }

void FGT_DamageSilent(ActorRecord *actor, float amount) { Damage(actor, amount, false); }

void FGT_Kill(ActorRecord *actor)
{
    if (actor->life > 0.0f) {
        Die(actor, false);
    }
}

void FGT_MeleeHit(ActorRecord *victim, ActorRecord *attacker, int32_t damage)
{
    int32_t sound = Sound_Hit;
    if (attacker != nullptr) {
        if (attacker == Hero()) {
            QUE_Post(MENJ_Queue, MENJ_SLOT_DONE, 0, 0);
        } else if (attacker->slow_time > 0.0f) {
            attacker->slow_time = 0.0f;
        }
    }
    if (Parrying(victim)) {
        damage /= 8;
    }
    if (victim->life > 0.0f) {
        const bool alive = Take_Blow(victim, attacker, damage);
        FGT_LastHitLife = victim->life;
        if (!alive) {
            Die(victim, true);
            sound = std::strncmp(victim->node_name, "F92", 3) == 0 ? Sound_Death : Sound_Scream;
        }
    }
    // The thorns answer a blow with the same blow, once: the reply does not bounce back.
    if ((victim->flags[4] & ACTOR_F4_THORNS) != 0 && attacker != nullptr && attacker->life > 0.0f) {
        if (!Take_Blow(attacker, victim, damage)) {
            Die(attacker, false);
            sound = Sound_Death;
        }
    }
    Play_On(victim, sound);
}

void FGT_Knockback(const ActorRecord *projectile, ActorRecord *victim)
{
    if ((victim->flags[7] & ACTOR_F7_UNSTRUCK) != 0) {
        return;
    }
    Sparks(victim, 8);
    double k = 0.125 * std::min(Strength_Of(projectile), 25.0);
    k = 80.0 / victim->mass * k;
    if (Parrying(victim)) {
        k *= 0.5;
    }
    Push(projectile, victim, k, true);
    if (projectile->leader != nullptr) {
        Turn_Away(projectile->leader, victim);
    }
}

void FGT_KnockbackLight(const ActorRecord *projectile, ActorRecord *victim)
{
    if ((victim->flags[7] & ACTOR_F7_UNSTRUCK) != 0) {
        return;
    }
    Sparks(victim, 8);
    double k = 80.0 / victim->mass * Strength_Of(projectile) * 0.125;
    if (Parrying(victim)) {
        k *= 0.5;
    }
    Push(projectile, victim, std::min(k, 0.5), false);
}

void FGT_StepKnockback(ActorRecord *actor)
{
    for (int i = 0; i < 3; i++) {
        actor->velocity[i] = float(double(actor->velocity[i]) + double(actor->knockback[i]));
        actor->knockback[i] =
            float(double(actor->knockback[i]) - double(actor->knockback[i]) * 0.3 * GAME_TimeFactor);
    }
    actor->knockback[1] = 0.0f;
    actor->flags[9] &= uint8_t(~ACTOR_F9_KNOCKBACK);
    if (actor == Hero()) {
        return;
    }
    const int32_t speed = std::abs(trunc_i32(actor->knockback[0])) + std::abs(trunc_i32(actor->knockback[2]));
    if (double(speed) > 0.2) {
        if (actor->current_anim == ANIM_DEATH) {
            actor->heading = (actor->heading + trunc_i32(100.0 * GAME_TimeFactor)) & 0xFFF;
        }
        actor->flags[9] |= ACTOR_F9_KNOCKBACK;
    }
}

void FGT_SetOthers(const ActorRecord *except, float time, float factor)
{
    const int32_t count = std::clamp(ACTOR_ActiveCount2, 0, ACTOR_SLOT_COUNT);
    for (int32_t i = 0; i < count; i++) {
        ActorRecord *o = ACTOR_ActiveList2[i];
        if (o != except) {
            o->slow_time = time;
            o->slow_factor = factor;
        }
    }
}

void FGT_ClearOthers(const ActorRecord *except)
{
    const int32_t count = std::clamp(ACTOR_ActiveCount2, 0, ACTOR_SLOT_COUNT);
    for (int32_t i = 0; i < count; i++) {
        ActorRecord *o = ACTOR_ActiveList2[i];
        if (o != except) {
            o->slow_time = 0.0f;
        }
    }
}

int32_t FGT_LineOfSight(const ActorRecord *a, const ActorRecord *b) { return AI_LineOfSight(a, b); }
