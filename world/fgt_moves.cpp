// The hero's move handlers: the controls of each frame turned into actions on the ground, in water and
// in the air, with the landings, pick-ups, spell slots, gun fire and take-offs they bring.
#include "world/fgt_moves.h"

#include <cstring>

#include "core/fconv.h"
#include "core/game_frame.h"
#include "core/que.h"
#include "core/snd.h"
#include "editor/edt.h"
#include "engine3d/object.h"
#include "interface/menj.h"
#include "interface/sym.h"
#include "world/actor.h"
#include "world/anim.h"
#include "world/ctrl.h"
#include "world/elt.h"
#include "world/fgt.h"
#include "world/fgt_hit.h"
#include "world/fx.h"
#include "world/inv.h"
#include "world/level_record.h"
#include "world/mis.h"
#include "world/prj.h"
#include "world/wpn.h"

float FGT_LandingSpeed;
int32_t FGT_TakeOffTimer;

namespace {

// The sound of an item taken.
constexpr int32_t SOUND_PICK_UP = 17;
// Frames the airborne hero cannot pitch up after a take-off from open ground.
constexpr int32_t TAKE_OFF_FRAMES = 45;

// The actions the moves give (animation numbers of the hero's set).
enum : int32_t {
    A_GUARD = 2,
    A_WALK = 4,
    A_SHOOT = 5,
    A_STROKE = 6,
    A_STROKE_FAST = 7,
    A_STROKE_SLOW = 8,
    A_JUMP = 9,
    A_JUMP_FORWARD = 10,
    A_JUMP_RUNNING = 11,
    A_TAKE_OFF = 12,
    A_AIR_DIVE = 13,
    A_AIR_LANDING = 14,
    A_BLOW = 16,
    A_COMBO_16 = 18,
    A_COMBO_17 = 19,
    A_COMBO_18 = 20,
    A_KICK_COMBO = 21,
    A_KICK = 22,
    A_KICK_FORWARD = 23,
    A_PICK_UP = 24,
    A_LANDING = 25,
    A_CROUCH = 26,
    A_PITCH_UP = 36,
    A_PITCH_DOWN = 38,
    A_HARD_LANDING = 39,
    A_CROUCH_STANCE = 43,
    A_SWORD_WALK = 44,
    A_BOW_WALK = 45,
    A_LOW_KICK = 46,
    A_SWEEP = 48,
    A_SWORD_STROKE = 54,
    A_SWORD_GUARD = 55,
    A_GUN_AIM = 57,
    A_BOW_AIM = 58,
    A_F92_DODGE = 35,
};

bool held(int32_t control) { return (CTRL_Controls[control] & CTRL_HELD) != 0; }
bool released(int32_t control) { return (CTRL_Controls[control] & CTRL_RELEASED) != 0; }
bool freshly_released(int32_t control)
{
    return (CTRL_Controls[control] & (CTRL_RELEASED | CTRL_CHANGED)) == (CTRL_RELEASED | CTRL_CHANGED);
}

bool is_hero(const ActorRecord *actor) { return actor == &ACTOR_Slots[ACTOR_HERO]; }
bool contact_a(const ActorRecord *actor) { return (actor->coll_flags[0] & ACTOR_C0_CONTACT_A) != 0; }
bool in_anims(const ActorRecord *actor, int32_t first, int32_t last)
{
    return actor->current_anim >= first && actor->current_anim <= last;
}
// The current animation has played the given share of its frames.
bool reached(const ActorRecord *actor, double share)
{
    return double(actor->frame_position) >= share * double(actor->frame_count);
}
void release_lock(ActorRecord *actor) { actor->flags[2] &= uint8_t(~ACTOR_F2_ACTION_HELD); }

// The project's value that scales the animation's motion in this mode (0: it does not).
void scale_motion(ActorRecord *actor, int32_t value)
{
    if (value != 0) {
        actor->flags[2] |= ACTOR_F2_MOTION_SCALE;
        actor->motion_scale = float(value);
    }
}

void post(uint8_t code, intptr_t a) { QUE_Post(MENJ_Queue, code, a, 0); }

bool starts_lif(const ActorRecord *object) { return std::strncmp(object->node_name, "LIF", 3) == 0; }

// An object taken: out of the scene, no longer struck.
void take_away(ActorRecord *object)
{
    Hide_Obj_Tree(object->node);
    object->flags[3] |= ACTOR_F3_DISABLED;
}

// The weapon's walk: the sword's, the bow's, or the bare-handed one.
int32_t armed(int32_t sword, int32_t bow, int32_t bare)
{
    return WPN_IsSwordDrawn() != 0 ? sword : WPN_IsBowDrawn() != 0 ? bow : bare;
}

// Fire while a control is held: the effect unless the gun is drawn, the shooting pose, and a shot in the
// beat cycles only.
void hold_fire(ActorRecord *hero)
{
    if (WPN_IsGunDrawn() == 0) {
        FX_SpawnEffect(hero);
    }
    ANIM_DoAction(hero, A_SHOOT);
    if (GAME_SampleTaken != 0) {
        MIS_Fire(hero);
    }
}

// The gun fired while running: drains the gauge every frame, shoots in the beat cycles. false when
// it does not fire.
bool gun_fire(ActorRecord *hero)
{
    if (!held(CTRL_UP) || !(hero->second_gauge > 0.0f) || !in_anims(hero, A_WALK, A_SHOOT)) {
        return false;
    }
    hero->second_gauge -= 0.05f * float(GAME_TimeFactor);
    if (hero->second_gauge < 0.0f) {
        hero->second_gauge = 0.0f;
    }
    ANIM_DoAction(hero, A_SHOOT);
    if (GAME_SampleTaken != 0) {
        MIS_Fire(hero);
    }
    return true;
}

// A fresh k2 while coupled ends the coupling (the game tick lets go). true when it did.
bool uncouple(ActorRecord *hero)
{
    if (hero->coupled == nullptr) {
        return false;
    }
    hero->coupling_time = -1;
    return true;
}

// The hero lands: each threshold of the landing's hardness passed costs life. true when the hard
// landing plays and the step ends.
bool land(ActorRecord *hero)
{
    if (hero->contact_measure > 1) {
        if (!(hero->flags[5] & ACTOR_F5_STRONG_TURN)) {
            const double r = double(FGT_LandingSpeed) / GAME_TimeFactor;
            if (r > 60.0) {
                FGT_DamageSilent(hero, 5.0f);
            }
            if (r > 100.0) {
                FGT_DamageSilent(hero, 10.0f);
            }
            if (r > 120.0) {
                FGT_Damage(hero, 15.0f);
            }
            if (r > 180.0) {
                FGT_Damage(hero, 40.0f);
            }
            if (r > 250.0) {
                FGT_Damage(hero, 100.0f);
            }
            if (r > 90.0 && hero->life > 0.0f) {
                ANIM_DoAction(hero, A_HARD_LANDING);
                return true;
            }
        } else if (FGT_LandingSpeed > 100.0f) {
            FGT_Damage(hero, 2.0f);
        }
    }
    FGT_LandingSpeed = float(hero->phy_velocity[1]);
    return false;
}

// The three spell-slot controls: a press chooses the slot (the other two lose their type codes), a
// release casts from the control's own slot. true when a release ended the step.
bool spell_slots(ActorRecord *hero)
{
    int32_t(*slots)[2] = hero->spell_slots;
    if (CTRL_FreshlyPressed(CTRL_SWI)) {
        slots[0][1] = 0;
        slots[2][1] = 0;
        post(MENJ_SLOT_USED, 0);
    }
    if (CTRL_FreshlyPressed(CTRL_BT0)) {
        slots[1][1] = 0;
        slots[2][1] = 0;
        post(MENJ_SLOT_USED, 1);
    }
    if (CTRL_FreshlyPressed(CTRL_BT1)) {
        slots[0][1] = 0;
        slots[1][1] = 0;
        post(MENJ_SLOT_USED, 2);
    }
    int32_t control = -1, slot = 0;
    if (freshly_released(CTRL_SWI)) {
        control = FGT_CAST_SWI, slot = 1;
    } else if (freshly_released(CTRL_BT0)) {
        control = FGT_CAST_BT0, slot = 0;
    } else if (freshly_released(CTRL_BT1)) {
        control = FGT_CAST_BT1, slot = 2;
    }
    if (control < 0) {
        return false;
    }
    if (ELT_CheckPower(hero) < 0) {
        post(MENJ_SLOT_DONE, 0); // the power cannot be paid: the slot stops glowing
        return true;
    }
    const int32_t action = FGT_CastAction(slots[slot][1], control);
    if (action >= 0) {
        ANIM_DoAction(hero, action);
    }
    return true;
}

// The turns, twice over while an enemy stands behind the hero.
void turns(ActorRecord *hero)
{
    const int32_t times = FGT_Danger != 0 ? 2 : 1;
    for (int32_t i = 0; i < times; i++) {
        if (held(CTRL_LEFT)) {
            ANIM_DoAction(hero, ANIM_TURN_LEFT);
        }
        if (held(CTRL_RIGHT)) {
            ANIM_DoAction(hero, ANIM_TURN_RIGHT);
        }
    }
}

// The take-off into the air. true when the hero took off (the step ends); false lets the rules go on.
bool take_off(ActorRecord *hero)
{
    hero->flags[7] &= uint8_t(~0x10);
    if (!(hero->flags[3] & ACTOR_F3_TAKE_OFF) || !(held(CTRL_UP) || contact_a(hero))) {
        return false;
    }
    const bool from_jump = hero->current_anim == A_JUMP_FORWARD || hero->current_anim == A_JUMP_RUNNING;
    if (from_jump) {
        release_lock(hero);
        hero->flags[7] |= 0x10;
        if (held(CTRL_DOWN)) {
            hero->flags[8] |= 0x40;
        }
    }
    hero->coll_flags[0] |= ACTOR_C0_FALL_MODE3;
    ANIM_DoAction(hero, A_STROKE_SLOW);
    hero->physics_mode = 3;
    if (held(CTRL_UP) && is_hero(hero) && !contact_a(hero)) {
        if (!from_jump) {
            ANIM_DoAction(hero, A_TAKE_OFF);
        }
        FGT_TakeOffTimer = TAKE_OFF_FRAMES;
    }
    return true;
}

void free_moves(ActorRecord *hero, int32_t f92_near)
{
    if (in_anims(hero, A_JUMP, A_JUMP_RUNNING)) {
        if (hero->contact_measure > 4 && reached(hero, 0.8)) {
            release_lock(hero);
        }
        hero->flags[7] |= ACTOR_F7_NO_XZ;
        if (held(CTRL_UP)) {
            hero->flags[7] &= uint8_t(~ACTOR_F7_NO_XZ);
            hero->flags[7] |= ACTOR_F7_LONGER;
        }
    }
    const bool on_ground = !contact_a(hero);
    const bool strong = (hero->flags[5] & ACTOR_F5_STRONG_TURN) != 0;
    const bool k3 = held(CTRL_K3), sel = held(CTRL_SEL);
    if (k3 && sel && held(CTRL_DOWN) && on_ground) {
        ANIM_DoAction(hero, A_SWEEP);
    } else if (sel && on_ground && f92_near != 0) {
        ANIM_DoAction(hero, A_F92_DODGE);
    } else if (sel && on_ground && held(CTRL_DOWN)) {
        ANIM_DoAction(hero, A_LOW_KICK);
    } else if (sel && strong && (hero->flags[8] & ACTOR_F8_GUN_ALLOWED)) {
        hold_fire(hero);
    } else if (is_hero(hero) && CTRL_FreshlyPressed(CTRL_SEL) && on_ground) {
        const bool running = (hero->current_anim == A_WALK || hero->current_anim == A_SWORD_WALK ||
                              hero->current_anim == A_BOW_WALK) &&
                             !(hero->flags[0] & ACTOR_F0_ANIM_RESTART2) && held(CTRL_UP);
        ANIM_DoAction(hero, running ? A_JUMP_RUNNING
                            : (hero->flags[4] & ACTOR_F4_GROUND_PHYSICS2) ? A_JUMP_FORWARD
                                                                          : A_JUMP);
    } else if (k3 && released(CTRL_SEL) && WPN_IsGunDrawn() != 0 && !strong) {
        if (!gun_fire(hero)) {
            ANIM_DoAction(hero, A_GUN_AIM);
        }
    } else if (k3 && released(CTRL_SEL) && hero->second_gauge > 4.0f && take_off(hero)) {
        return;
    } else if (k3 && released(CTRL_SEL) && (on_ground || strong || hero->contact_measure > 16)) {
        ANIM_DoAction(hero, armed(A_SWORD_STROKE, A_BOW_AIM, A_GUARD));
    } else if (held(CTRL_UP) && (on_ground || strong || hero->contact_measure > 1)) {
        ANIM_DoAction(hero, armed(A_SWORD_WALK, A_BOW_WALK, A_WALK));
    } else if (held(CTRL_DOWN) && on_ground) {
        ANIM_DoAction(hero, A_CROUCH);
    }
}

// A combo: a fresh press late in one blow releases the lock and goes on with the next. true when it
// went on (the step ends).
bool combo(ActorRecord *hero, int32_t from, int32_t to)
{
    if (hero->current_anim != from || !reached(hero, 0.85)) {
        return false;
    }
    release_lock(hero);
    ANIM_DoAction(hero, to);
    return true;
}

void stance_moves(ActorRecord *hero, int32_t in_reach, int32_t f92_near)
{
    const bool dodge = f92_near != 0 && in_reach == 0;
    const bool strong = (hero->flags[5] & ACTOR_F5_STRONG_TURN) != 0;
    if (held(CTRL_K3)) {
        if (dodge) {
            ANIM_DoAction(hero, A_F92_DODGE);
            return;
        }
        if (contact_a(hero) && hero->second_gauge > 4.0f && (hero->flags[3] & ACTOR_F3_TAKE_OFF)) {
            hero->coll_flags[0] |= ACTOR_C0_FALL_MODE3;
            ANIM_DoAction(hero, A_STROKE_SLOW);
            hero->physics_mode = 3;
            return;
        }
        if (WPN_IsGunDrawn() != 0) {
            if (!gun_fire(hero) && !strong) {
                ANIM_DoAction(hero, A_GUN_AIM);
            }
            return;
        }
        const bool fresh = CTRL_FreshlyPressed(CTRL_K3);
        bool go_on = WPN_IsSwordDrawn() == 0;
        if (!go_on) {
            if (!fresh || !in_anims(hero, A_SWORD_STROKE, A_GUN_AIM)) {
                ANIM_DoAction(hero, A_SWORD_GUARD);
                return;
            }
            if (reached(hero, 0.85)) {
                release_lock(hero);
                if (combo(hero, A_SWORD_GUARD, A_SWORD_STROKE)) {
                    return;
                }
            }
        }
        if (WPN_IsBowDrawn() != 0) {
            ANIM_DoAction(hero, A_BOW_AIM);
            return;
        }
        if (!fresh || !in_anims(hero, A_BLOW, A_COMBO_17)) {
            ANIM_DoAction(hero, A_BLOW);
            return;
        }
        if (combo(hero, A_BLOW, A_COMBO_16) || combo(hero, 17, A_COMBO_17) || combo(hero, A_COMBO_16, A_COMBO_18)) {
            return;
        }
    }
    if (held(CTRL_SEL)) {
        if (dodge) {
            ANIM_DoAction(hero, A_F92_DODGE);
            return;
        }
        if (strong && (hero->flags[8] & ACTOR_F8_GUN_ALLOWED)) {
            hold_fire(hero);
            return;
        }
        if (held(CTRL_UP)) {
            ANIM_DoAction(hero, A_KICK_FORWARD);
            return;
        }
        if (held(CTRL_DOWN)) {
            ANIM_DoAction(hero, A_LOW_KICK);
            return;
        }
        if (!CTRL_FreshlyPressed(CTRL_SEL) || !in_anims(hero, 20, A_KICK_FORWARD)) {
            ANIM_DoAction(hero, A_KICK);
            return;
        }
        if (combo(hero, A_KICK, A_KICK_COMBO) || combo(hero, A_KICK_COMBO, 17)) {
            return;
        }
    }
    if (held(CTRL_DOWN)) {
        ANIM_DoAction(hero, A_CROUCH_STANCE);
    } else if (held(CTRL_UP)) {
        ANIM_DoAction(hero, armed(A_SWORD_WALK, A_BOW_WALK, A_WALK));
    }
}

} // namespace

int32_t FGT_CastAction(int32_t typeCode, int32_t control)
{
    struct Cast {
        int32_t code;
        int32_t action[3]; // swi, bt0, bt1
    };
    static constexpr Cast casts[] = {
        {0x11, {28, 32, 28}},      {0x12, {28, 28, 28}},      {0x13, {28, 28, 28}},
        {0x1000004, {28, 28, 28}}, {0x1000010, {28, 28, 28}}, {0x100001, {30, 28, 30}},
        {0x100002, {30, 30, 30}},  {0x1000002, {31, 31, 31}}, {0x1000009, {31, 31, 31}},
        {0x1, {32, 32, 32}},       {0x10004, {32, 32, 32}},   {0x100003, {33, 33, 33}},
    };
    if (control < FGT_CAST_SWI || control > FGT_CAST_BT1) {
        return -1;
    }
    for (const Cast &cast : casts) {
        if (cast.code == typeCode) {
            return cast.action[control];
        }
    }
    return -1;
}

void FGT_FightMoves(ActorRecord *hero, int32_t inReach, int32_t f92Near)
{
    const LevelRecord *project = PRJ_Current;
    hero->flags[8] &= uint8_t(~0x40);
    if (hero->contact_measure > 8) {
        hero->knockback[0] = hero->knockback[1] = hero->knockback[2] = 0.0f;
    }
    if (is_hero(hero)) {
        if (project != nullptr) {
            scale_motion(hero, project->model_value_a);
        }
        if (land(hero)) {
            return;
        }
    }
    if (hero->contact_measure > 64) {
        if (hero->flags[5] & ACTOR_F5_STRONG_TURN) {
            FGT_Damage(hero, 1.0f);
        }
        if (hero->contact_measure != 127) {
            return;
        }
    }
    if (const ActorRecord *struck = FGT_FindStruckObject(hero)) {
        MENJ_PostName(MENJ_EXIT_INFO, struck->node_name);
    } else {
        post(MENJ_INFO_OFF, 0);
    }
    if (SYM_MenuInput(hero) == 1) {
        return;
    }
    hero->air = 100.0f;
    hero->flags[2] &= uint8_t(~ACTOR_F2_DOUBLE_STRIDE);
    if (EDT_Active == 0 && CTRL_FreshlyPressed(CTRL_K2) && !uncouple(hero) && WPN_IsSwordDrawn() == 0 &&
        WPN_IsBowDrawn() == 0) {
        ANIM_MenuRequest = 1;
        ANIM_DoAction(hero, A_PICK_UP);
        return;
    }
    if (spell_slots(hero)) {
        return;
    }
    turns(hero);

    if (ActorRecord *struck = FGT_FindStruckObject(hero)) {
        if (hero->current_anim != A_PICK_UP && CTRL_FreshlyPressed(CTRL_SEL)) {
            ANIM_MenuRequest = 0;
            ANIM_DoAction(hero, A_PICK_UP);
            return;
        }
        if (hero->current_anim == A_PICK_UP && reached(hero, 0.5)) {
            if (starts_lif(struck)) {
                hero->life = 100.0f;
            } else {
                INV_Add(hero, struck->node_name);
            }
            ANIM_DoAction(hero, A_PICK_UP);
            struck->life = 0.0f;
            take_away(struck);
            const SND_Request sound = {1, SOUND_PICK_UP, 0, nullptr, 0};
            SND_PlayEffect(&sound);
            return;
        }
    }
    if (hero->flags[4] & FGT_F4_GROUND_STANCE) {
        stance_moves(hero, inReach, f92Near);
    } else {
        free_moves(hero, f92Near);
    }
}

void FGT_SwimMoves(ActorRecord *hero, int32_t)
{
    hero->flags[2] &= uint8_t(~ACTOR_F2_DOUBLE_STRIDE);
    if (is_hero(hero) && hero->contact_measure > 64) {
        hero->contact_measure = 0;
        hero->air -= 2.0f;
    }
    if (EDT_Active == 0 && CTRL_FreshlyPressed(CTRL_K2) && !uncouple(hero)) {
        ANIM_MenuRequest = 1;
        ANIM_DoAction(hero, A_PICK_UP);
        return;
    }
    if (is_hero(hero) && PRJ_Current != nullptr) {
        scale_motion(hero, PRJ_Current->fight_value_c);
    }
    if (held(CTRL_LEFT)) {
        ANIM_DoAction(hero, ANIM_TURN_LEFT);
    }
    if (held(CTRL_RIGHT)) {
        ANIM_DoAction(hero, ANIM_TURN_RIGHT);
    }
    if (held(CTRL_UP)) {
        ANIM_DoAction(hero, A_PITCH_UP);
    }
    if (held(CTRL_DOWN)) {
        ANIM_DoAction(hero, A_PITCH_DOWN);
    }
    if ((hero->flags[5] & ACTOR_F5_STRONG_TURN) && held(CTRL_SEL)) {
        FX_SpawnEffect(hero);
        if (GAME_SampleTaken != 0) {
            MIS_Fire(hero);
        }
    }
    if (!held(CTRL_K3)) {
        return;
    }
    if (ActorRecord *struck = FGT_FindStruckObject(hero)) {
        if (starts_lif(struck)) {
            hero->life = 100.0f;
        } else {
            INV_Add(hero, struck->node_name);
        }
        take_away(struck);
    }
    ANIM_DoAction(hero, (hero->flags[4] & ACTOR_F4_GROUND_PHYSICS2) ? A_STROKE_FAST : A_STROKE);
}

void FGT_AirMoves(ActorRecord *hero, int32_t)
{
    const bool hero_itself = is_hero(hero);
    const int32_t value_d = PRJ_Current != nullptr ? PRJ_Current->fight_value_d : 0;
    if (hero_itself) {
        FGT_LandingSpeed = float(hero->phy_velocity[1]);
    }
    // The levels carry no wind: the particles of a dive follow the hero whenever it dives.
    if (hero->flags[8] & 0x40) {
        FX_SpawnHitParticles(hero);
    }
    if (EDT_Active == 0 && CTRL_FreshlyPressed(CTRL_K2)) {
        uncouple(hero);
    }
    if (hero->contact_measure > 64 && hero->current_anim != A_AIR_LANDING) {
        ANIM_DoAction(hero, A_AIR_LANDING);
        return;
    }
    if (hero_itself) {
        scale_motion(hero, value_d);
    }
    if (hero->current_anim == A_AIR_LANDING) {
        if (!hero_itself || reached(hero, 0.8)) {
            release_lock(hero);
            hero->physics_mode = 1;
            hero->coll_flags[0] |= ACTOR_C0_CONTACT_A;
            ANIM_DoAction(hero, A_LANDING);
            hero->phy_velocity[1] = 20.0 / GAME_TimeFactor;
            return;
        }
        hero->flags[7] |= ACTOR_F7_NO_XZ;
        hero->motion_scale = 32.0f;
        if (released(CTRL_UP)) {
            hero->flags[7] &= uint8_t(~ACTOR_F7_NO_XZ);
            hero->flags[7] |= ACTOR_F7_FASTER;
            scale_motion(hero, value_d);
        }
    }
    if ((hero->flags[7] & 0x10) && hero->current_anim == A_STROKE_FAST && reached(hero, 0.9)) {
        hero->flags[7] &= uint8_t(~0x10);
    }
    if (FGT_TakeOffTimer >= 0) {
        FGT_TakeOffTimer = trunc_i32(double(FGT_TakeOffTimer) - GAME_TimeFactor);
        if (FGT_TakeOffTimer < 0) {
            FGT_TakeOffTimer = 0;
        }
    }
    if (hero_itself) {
        hero->second_gauge -= 0.04f * float(GAME_TimeFactor);
        if (hero->flags[5] & ACTOR_F5_STRONG_TURN) {
            hero->second_gauge -= float(GAME_TimeFactor);
        }
    }
    if (hero->second_gauge <= 0.0f) {
        hero->second_gauge = 0.0f;
        ANIM_DoAction(hero, A_AIR_LANDING);
        return;
    }
    if (held(CTRL_LEFT)) {
        ANIM_DoAction(hero, ANIM_TURN_LEFT);
    }
    if (held(CTRL_RIGHT)) {
        ANIM_DoAction(hero, ANIM_TURN_RIGHT);
    }
    if (held(CTRL_UP) && FGT_TakeOffTimer <= 0) {
        ANIM_DoAction(hero, A_PITCH_UP);
    }
    if (held(CTRL_DOWN)) {
        ANIM_DoAction(hero, A_PITCH_DOWN);
    }
    hero->flags[2] &= uint8_t(~ACTOR_F2_DOUBLE_STRIDE);
    if (held(CTRL_K3)) {
        if (ActorRecord *struck = FGT_FindStruckObject(hero)) {
            INV_Add(hero, struck->node_name);
            take_away(struck);
        }
        if (held(CTRL_DOWN) && held(CTRL_SEL)) {
            ANIM_DoAction(hero, A_AIR_DIVE);
            return;
        }
        if (hero->flags[4] & ACTOR_F4_GROUND_PHYSICS2) {
            hero->flags[2] |= ACTOR_F2_DOUBLE_STRIDE;
            ANIM_DoAction(hero, A_STROKE);
        } else if (hero->flags[7] & 0x10) {
            hero->flags[2] |= ACTOR_F2_DOUBLE_STRIDE;
            ANIM_DoAction(hero, A_STROKE_FAST);
        } else {
            ANIM_DoAction(hero, A_STROKE_SLOW);
        }
    }
    if (released(CTRL_K3)) {
        ANIM_DoAction(hero, A_AIR_LANDING);
    }
}
