// Scene triggers: the table of the current project's triggers, their conditions and their actions.
#include "world/trg.h"

#include <cstdio>
#include <cstring>

#include "core/fconv.h"
#include "core/game_frame.h"
#include "core/mgm.h"
#include "core/opt.h"
#include "core/que.h"
#include "core/sys.h"
#include "engine3d/object.h"
#include "interface/menj.h"
#include "world/actor.h"
#include "world/ai.h"
#include "world/anim.h"
#include "world/cam.h"
#include "world/fgt.h"
#include "world/fgt_hit.h"
#include "world/fx.h"
#include "world/inv.h"
#include "world/level_record.h"
#include "world/mis.h"
#include "world/phy.h"
#include "world/prj.h"
#include "world/prj_load.h"
#include "world/tex.h"
#include "world/zon.h"

TRG_Record TRG_Records[TRG_COUNT];
uint32_t TRG_LastFired;

namespace {

int32_t Exits_Unlocked;
// The camera's copy is taken when it handles the event, so one record serves every shot.
CAM_ShotRecord Shot;

constexpr int32_t ELEMENT_COUNT = 16;
constexpr uint8_t ON_SIGHT_KEPT = ACTOR_F4_PURSUIT_ON_SIGHT; // touched or met, the actor stays in place
constexpr float DISTANCE_TOUCH = 160000.0f;
constexpr float DISTANCE_MEET_WIDE = 302500.0f;

// An index read from the project that does not name a record of its table means none.
int32_t checked_index(int32_t index, int32_t count) { return index >= -1 && index < count ? index : -1; }

bool disabled(const ActorRecord *actor) { return (actor->flags[3] & ACTOR_F3_DISABLED) != 0; }

// The live actor of element n of the current project; none for -1.
ActorRecord *element_actor(int32_t n)
{
    if (n < 0 || PRJ_Current == nullptr) {
        return nullptr;
    }
    return TRG_FindActor(&PRJ_Current->elements[n]);
}

// Items carry their model's node name (the file name up to its first "."), so an element's item is
// asked for under that name, not under the whole file name.
void item_name(int32_t element, char (&name)[INV_NAME_BYTES + 1])
{
    const char *file = PRJ_Current->elements[element].file;
    size_t n = 0;
    while (n < INV_NAME_BYTES && n < sizeof PRJ_Current->elements[element].file && file[n] != 0 && file[n] != '.') {
        name[n] = file[n];
        n++;
    }
    name[n] = 0;
}

bool carries(ActorRecord *player, int32_t element)
{
    char name[INV_NAME_BYTES + 1];
    item_name(element, name);
    return INV_Has(player, name) != 0;
}

void hide(ActorRecord *actor)
{
    Hide_Obj_Tree(actor->node);
    actor->flags[3] |= ACTOR_F3_DISABLED;
}

// A dead actor stands up again in its idle.
void revive(ActorRecord *actor, bool full_life)
{
    if (full_life) {
        actor->life = 100.0f;
    }
    actor->flags[0] |= ACTOR_F0_ANIM_ENDED;
    actor->flags[2] &= uint8_t(~ACTOR_F2_ACTION_HELD);
    actor->current_anim = 0;
    ANIM_ChangeAnim(actor);
}

float squared_distance(const ActorRecord *a, const ActorRecord *b)
{
    double sum = 0.0;
    for (int k = 0; k < 3; k++) {
        const double d = double(float(a->position[k])) - b->position[k];
        sum += d * d;
    }
    return float(sum);
}

// The conditions of one record for the player's actor P. Taking A happens here, as soon as the
// conditions before it hold.
bool conditions_hold(TRG_Record &r, ActorRecord *p)
{
    bool ok = true;
    if (r.countdown != 0.0f) {
        r.countdown = float(double(r.countdown) - GAME_TimeFactor);
        if ((r.conditions & TRG_IF_ONCE_TIMER) != 0) {
            if (r.countdown <= 0.0f) {
                ok = true;
                r.countdown = 0.0f;
                r.flags &= ~TRG_ACTIVE;
            } else {
                ok = false;
            }
        }
        if ((r.conditions & TRG_IF_REPEAT_TIMER) != 0) {
            if (r.countdown <= 0.0f) {
                ok = true;
                r.countdown = float(double(r.period) * 30.0);
            } else {
                ok = false;
            }
        }
    }
    ActorRecord *a = element_actor(r.element_a);
    ActorRecord *b = element_actor(r.element_b);
    if ((r.conditions & TRG_IF_TOUCH_A) != 0 && a != nullptr) {
        if (disabled(a)) {
            ok = false;
        } else {
            ok = ok && TRG_Touching(p, a) != 0;
            if (ok && (a->flags[4] & ON_SIGHT_KEPT) == 0) {
                hide(a);
                a->life = 0.0f;
            }
        }
    }
    if ((r.conditions & TRG_IF_NEAR_B) != 0 && b != nullptr) {
        if ((b->flags[4] & ON_SIGHT_KEPT) == 0 && disabled(b)) {
            ok = false;
        } else {
            ok = ok && TRG_Meeting(p, b) != 0;
        }
    }
    if ((r.conditions & TRG_IF_A_NEAR_B) != 0 && a != nullptr && b != nullptr) {
        ok = ok && TRG_Meeting(a, b) != 0;
    }
    if ((r.conditions & TRG_IF_HAS_A) != 0 && r.element_a != -1 && !carries(p, r.element_a)) {
        ok = false;
    }
    if ((r.conditions & TRG_IF_LACKS_A) != 0 && r.element_a != -1 && carries(p, r.element_a)) {
        ok = false;
    }
    if ((r.conditions & TRG_IF_LACKS_B) != 0 && r.element_b != -1 && carries(p, r.element_b)) {
        ok = false;
    }
    if ((r.conditions & TRG_IF_A_DEAD) != 0 && a != nullptr && (disabled(a) || a->life > 0.0f)) {
        ok = false;
    }
    if ((r.conditions & TRG_IF_NO_ENEMY) != 0 && TRG_NoEnemyLeft(p) == 0) {
        ok = false;
    }
    if ((r.conditions & TRG_IF_FEW_DISABLED_2) != 0) {
        ok = ok && TRG_FewDisabled2() != 0;
    }
    if ((r.conditions & TRG_IF_FEW_DISABLED_1) != 0) {
        ok = ok && TRG_FewDisabled1() != 0;
    }
    if ((r.conditions & TRG_IF_A_UNHURT) != 0 && a != nullptr && !disabled(a) &&
        a->life != float(PRJ_Current->elements[r.element_a].life)) {
        ok = false;
    }
    return ok;
}

void play_film(const TRG_Record &r)
{
    MGM_SendMessage(31);
    char path[260];
    std::snprintf(path, sizeof path, "data\\hnm\\%.*s", int(strnlen(r.film, sizeof r.film)), r.film);
    if (MGM_SendMessage(23, reinterpret_cast<intptr_t>(path), 5) != 0) {
        MGM_SendMessage(24);
        GAME_FilmFrozen = 0;
        GAME_FilmHold = 1;
    }
}

// The dialogue event goes out at once for the records that were meant to interrupt; the others wait
// for the hero to stand idle. True when it went out.
bool post_event(const TRG_Record &r)
{
    const ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    const bool at_once = hero->physics_mode != 1 || (r.conditions & (TRG_IF_ONCE_TIMER | TRG_IF_TOUCH_A)) != 0 ||
                         (r.actions & (TRG_DO_TIMER1_B | TRG_DO_UNLOCK_EXITS | TRG_DO_SHOW_B)) != 0;
    const int32_t anim = hero->current_anim & 0xFFFF;
    const bool idle = (anim == 0 || anim == 1) && (hero->flags[0] & ACTOR_F0_ANIM_RESTART2) == 0;
    if (!at_once && !idle) {
        return false;
    }
    // The entry number wraps in 32 bits as the processor's subtraction does.
    QUE_Post(MENJ_Queue, MENJ_DIALOGUE, int32_t(uint32_t(r.event_argument) - 1u), 0);
    return true;
}

// B's facing: heading and pitch, as long as its radius.
void facing(ActorRecord *b, float (&v)[3])
{
    ActorRecord scratch = *b;
    MIS_CompLaunchPos(b, &scratch);
    for (int k = 0; k < 3; k++) {
        v[k] = scratch.velocity[k];
    }
}

void post_shot(ActorRecord *b, const double (&offset)[3])
{
    for (int k = 0; k < 3; k++) {
        Shot.camera[k] = trunc_i32(b->position[k] + offset[k]);
    }
    Shot.subject = b;
    Shot.duration = 90;
    CAM_PostEvent('-', reinterpret_cast<intptr_t>(&Shot), 0);
}

void camera_near(ActorRecord *b)
{
    float v[3];
    facing(b, v);
    const bool idle = b->current_anim == 0;
    const double scale = idle ? 3.0 : 8.0;
    const double rise = idle ? -150.0 : -250.0;
    post_shot(b, {scale * v[0], scale * v[1] + rise, scale * v[2]});
}

void camera_far(ActorRecord *b)
{
    float v[3];
    facing(b, v);
    post_shot(b, {8.0 * v[0] - 200.0, 4.0 * v[1] - 600.0, 8.0 * v[2] - 200.0});
}

// The actions of a record whose conditions held, in their fixed order. "Ends" clears the active bit.
void run_actions(TRG_Record &r, ActorRecord *p)
{
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    ActorRecord *a = element_actor(r.element_a);
    ActorRecord *b = element_actor(r.element_b);
    const uint32_t act = r.actions;
    auto end = [&r] { r.flags &= ~TRG_ACTIVE; };

    if ((act & TRG_DO_HURT) != 0) {
        FGT_Damage(p, 120.0f);
        end();
    }
    if ((act & TRG_DO_SLOW_ALL) != 0) {
        FGT_SetOthers(nullptr, 2000.0f, 0.3f);
        end();
    }
    if ((act & TRG_DO_UNSLOW_ALL) != 0) {
        FGT_ClearOthers(nullptr);
        end();
    }
    if ((act & TRG_DO_RALLY_B) != 0) {
        if (b != nullptr) {
            if (b->current_anim == ANIM_DEATH) {
                revive(b, true);
            }
            b->flags[1] = uint8_t((b->flags[1] & ~ACTOR_F1_TEAM) | (p->flags[1] & ACTOR_F1_TEAM));
            AI_BuildGroups();
        }
        end();
    }
    if ((act & TRG_DO_SLOW_B) != 0 && b != nullptr) {
        b->slow_time = 450.0f;
        b->slow_factor = 0.2f;
        b->life += 10.0f;
    }
    if ((act & TRG_DO_SHOW_B) != 0) {
        if (b != nullptr) {
            if (disabled(b)) {
                Show_Obj_Tree(b->node);
                b->flags[3] &= uint8_t(~ACTOR_F3_DISABLED);
                ACTOR_ResetToStart(b);
                AI_BuildGroups();
                FX_AttachBall(2, b, 0, 10);
            } else {
                if (b->current_anim == ANIM_DEATH) {
                    revive(b, false);
                }
                ACTOR_ResetToStart(b);
            }
        }
        // A repeating timer keeps putting B back at its start.
        if ((r.conditions & TRG_IF_REPEAT_TIMER) == 0) {
            end();
        }
        if (r.zone != -1) {
            ZON_WalkPath(&PRJ_Current->zones[r.zone]);
            end();
        }
    }
    if ((act & TRG_DO_HIDE_B) != 0) {
        if (r.zone != -1) {
            ZoneRecord &zone = PRJ_Current->zones[r.zone];
            if ((zone.flags & ZON_IN_USE) != 0 && zone.type == ZON_PATH) {
                for (int32_t i = 0; i < ZON_PointCount(&zone) - 1; i++) {
                    PHY_DisableField(zone.field_handle - i);
                }
            }
            end();
        }
        if (b != nullptr && !disabled(b)) {
            FX_AttachBall(2, b, 0, 10);
            hide(b);
            AI_BuildGroups();
            end();
        }
    }
    if (r.film[0] != 0) {
        play_film(r);
        end();
    }
    if ((act & TRG_DO_TIMER1_B) != 0) {
        if (b != nullptr) {
            b->pursuit_range = 50000;
        }
        end();
    }
    if ((act & TRG_DO_TIMER2_B) != 0) {
        if (b != nullptr) {
            b->sight_radius = 40000;
            b->flags[4] |= ACTOR_F4_SEES_ALL_ROUND;
        }
        end();
    }
    if ((act & TRG_DO_MARK_B) != 0) {
        if (b != nullptr) {
            b->flags[5] |= ACTOR_F5_FOLLOWS_HERO;
        }
        end();
    }
    if ((act & TRG_DO_GIVE_B) != 0) {
        if (b != nullptr) {
            INV_Add(hero, b->node_name);
        }
        end();
    }
    if ((act & TRG_DO_MOVE_B_TO_A) != 0 && a != nullptr && b != nullptr) {
        TRG_PlaceNear(b, a);
        end();
    }
    if ((act & TRG_DO_SHOW_ALL) != 0) {
        TRG_ShowAll();
        end();
    }
    if ((act & TRG_DO_UNLOCK_EXITS) != 0) {
        Exits_Unlocked = 1;
        end();
    }
    if ((act & TRG_DO_BRIGHTEN) != 0) {
        for (int32_t &component : TEX_Shading.tint) {
            component += 64;
        }
        end();
    }
    if (GAME_FadeTimer == 0.0f && r.event_argument != 0 && (act & (TRG_DO_CAMERA_FAR | TRG_DO_CAMERA_NEAR)) == 0 &&
        post_event(r)) {
        end();
    }
    if ((act & TRG_DO_CAMERA_NEAR) != 0) {
        if (b != nullptr) {
            camera_near(b);
        }
        end();
    }
    if ((act & TRG_DO_CAMERA_FAR) != 0) {
        if ((hero->flags[4] & ACTOR_F4_PITCH_STEERING) != 0) {
            // Not while the hero holds its fight stance: the shot is tried again later.
            r.countdown = 60.0f;
            r.flags |= TRG_ACTIVE;
        } else {
            if (b != nullptr) {
                camera_far(b);
            }
            end();
        }
    }
}

} // namespace

void TRG_Load()
{
    Exits_Unlocked = 0;
    std::memset(TRG_Records, 0, sizeof TRG_Records);
    if (PRJ_Current == nullptr) {
        return;
    }
    for (int32_t i = 0; i < TRG_COUNT; i++) {
        const TRG_SourceRecord &s = PRJ_Current->triggers[i];
        if ((s.flags & TRG_ACTIVE) == 0) {
            continue;
        }
        TRG_Record &r = TRG_Records[i];
        r.element_a = checked_index(s.element_a, ELEMENT_COUNT);
        r.element_a2 = checked_index(s.element_a2, ELEMENT_COUNT);
        r.element_b = checked_index(s.element_b, ELEMENT_COUNT);
        r.zone = checked_index(s.zone, ZON_COUNT);
        r.event_argument = s.event_argument;
        r.conditions = s.conditions;
        r.actions = s.actions;
        r.flags = s.flags;
        if (s.film[0] != 0) {
            std::memcpy(r.film, s.film, sizeof r.film);
        }
        r.period = float(s.period);
        // In 64 bits: a period of years neither wraps nor turns negative.
        r.countdown = float(int64_t(s.period) * 30);
    }
}

void TRG_HideLaterShown(ActorRecord *actor)
{
    for (const TRG_Record &r : TRG_Records) {
        if ((r.flags & TRG_ACTIVE) == 0) {
            continue;
        }
        if ((r.actions & TRG_DO_SHOW_B) != 0 && r.element_b != -1 && PRJ_Current != nullptr &&
            actor->definition == &PRJ_Current->elements[r.element_b] && !disabled(actor)) {
            hide(actor);
        }
        if ((r.actions & TRG_DO_SHOW_ALL) != 0 && !disabled(actor)) {
            hide(actor);
        }
    }
}

int32_t TRG_ZoneBuiltAtLoad(int32_t zone)
{
    for (const TRG_Record &r : TRG_Records) {
        if ((r.flags & TRG_ACTIVE) != 0 && (r.actions & TRG_DO_SHOW_B) != 0 && r.zone == zone) {
            return 0;
        }
    }
    return 1;
}

int32_t TRG_ExitsUnlocked() { return Exits_Unlocked; }

ActorRecord *TRG_FindActor(const ElementRecord *element)
{
    if (element == nullptr) {
        return nullptr;
    }
    for (int32_t i = 0; i < ACTOR_ActiveCount2; i++) {
        if (ACTOR_ActiveList2[i]->definition == element) {
            return ACTOR_ActiveList2[i];
        }
    }
    return nullptr;
}

int32_t TRG_Touching(const ActorRecord *a, const ActorRecord *b)
{
    return squared_distance(a, b) < DISTANCE_TOUCH ? 1 : 0;
}

int32_t TRG_Meeting(const ActorRecord *a, const ActorRecord *b)
{
    const float bound = a->radius > 200 || b->radius > 200 ? DISTANCE_MEET_WIDE : DISTANCE_TOUCH;
    return squared_distance(a, b) < bound ? 1 : 0;
}

int32_t TRG_NoEnemyLeft(const ActorRecord *actor)
{
    for (int32_t i = 0; i < ACTOR_ActiveCount2; i++) {
        const ActorRecord *other = ACTOR_ActiveList2[i];
        if (disabled(other) || (other->flags[1] & ACTOR_F1_AI) == 0) {
            continue;
        }
        if (((ACTOR_FlagWord(other) ^ ACTOR_FlagWord(actor)) & ACTOR_WORD_TEAM) != 0 && other->life > 0.0f) {
            return 0;
        }
    }
    return 1;
}

static int32_t disabled_count()
{
    int32_t n = 0;
    for (int32_t i = 0; i < ACTOR_ActiveCount2; i++) {
        n += disabled(ACTOR_ActiveList2[i]) ? 1 : 0;
    }
    return n;
}

int32_t TRG_FewDisabled2() { return disabled_count() <= 2 ? 1 : 0; }
int32_t TRG_FewDisabled1() { return disabled_count() <= 1 ? 1 : 0; }

void TRG_ShowAll()
{
    for (int32_t i = 0; i < ACTOR_ActiveCount2; i++) {
        ActorRecord *actor = ACTOR_ActiveList2[i];
        if (disabled(actor)) {
            Show_Obj_Tree(actor->node);
            actor->flags[3] &= uint8_t(~ACTOR_F3_DISABLED);
            ACTOR_ResetToStart(actor);
        }
    }
}

void TRG_PlaceNear(ActorRecord *b, const ActorRecord *a)
{
    b->position[0] = a->position[0] + 100.0;
    b->position[1] = a->position[1];
    b->position[2] = a->position[2] + 100.0;
    // The node goes to A's own place; the actor's step moves it to B's position on its next frame.
    const int32_t at[3] = {trunc_i32(a->position[0]), trunc_i32(a->position[1]), trunc_i32(a->position[2])};
    Set_Obj_Pos(b->node, at);
}

void TRG_Evaluate(ActorRecord *player)
{
    TRG_LastFired = 0;
    for (int32_t i = 0; i < TRG_COUNT; i++) {
        TRG_Record &r = TRG_Records[i];
        if ((r.flags & TRG_ACTIVE) == 0 || !conditions_hold(r, player)) {
            continue;
        }
        TRG_LastFired |= 1u << i;
        run_actions(r, player);
    }
}

void TRG_Update(ActorRecord *actor)
{
    TRG_LastFired = 0;
    if (GAME_FadeTimer == 0.0f) {
        TRG_Evaluate(actor);
    }
}
