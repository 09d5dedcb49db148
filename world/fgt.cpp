// The hero's fight step: it senses the enemies around it, takes or keeps its stance by the reach of the
// weapon in hand, hands the controls to the move handler of its physics mode and runs the weapon step;
// and the water's effect on every actor.
#include "world/fgt.h"

#include <cmath>
#include <cstring>

#include "core/fconv.h"
#include "core/game_frame.h"
#include "core/rand.h"
#include "core/scr.h"
#include "core/snd.h"
#include "engine3d/object.h"
#include "engine3d/render.h"
#include "world/actor.h"
#include "world/ai.h"
#include "world/aim.h"
#include "world/cam.h"
#include "world/ctrl.h"
#include "world/fgt_hit.h"
#include "world/fgt_moves.h"
#include "world/fx.h"
#include "world/level_record.h"
#include "world/phy.h"
#include "world/prj.h"
#include "world/prj_load.h"
#include "world/wpn.h"

int32_t FGT_FightOption;
float FGT_StanceHoldTime;
int32_t FGT_Danger;
int32_t FGT_Underwater;
int32_t FGT_FrameParity;
int32_t FGT_LastInReach;
int32_t FGT_LastF92Near;

namespace {

constexpr double Pi_Over_3 = 3.14159265358979 / 3.0;
constexpr float Stance_Hold = 60.0f;
// Squared sort distances: the danger's 800 units and the "F92" enemies' 400.
constexpr float Danger_Range = 640000.0f;
constexpr float F92_Range = 160000.0f;
// Water: below the surface by this much an actor swims, above it by that much it walks again.
constexpr int32_t Water_Deep = 150, Water_Shallow = 50;
constexpr float Gauge_Max = 120.0f, Air_Max = 100.0f;

bool Held(int32_t control) { return (CTRL_Controls[control] & CTRL_HELD) != 0; }

// The hero in the middle of a run or a running blow does not feel what is behind it.
bool Running(int32_t anim) { return anim == 4 || anim == 5 || anim == 44 || anim == 45; }

// Step 2: the all-round scan, and the danger of an enemy with courage close behind the hero. The scan
// consumes the last attacker, as every scan does.
void Sense_Danger(ActorRecord *hero)
{
    const uint8_t all_round = hero->flags[4] & ACTOR_F4_SEES_ALL_ROUND;
    hero->flags[4] |= ACTOR_F4_SEES_ALL_ROUND;
    AI_ScanNeighbours(hero);
    hero->flags[4] = uint8_t((hero->flags[4] & ~ACTOR_F4_SEES_ALL_ROUND) | all_round);
    if (hero->enemy_count <= 0 || Running(hero->current_anim)) {
        return;
    }
    const ActorRecord *enemy = hero->enemies[0];
    if (enemy->life <= 0.0f || !(enemy->sort_distance < Danger_Range) || enemy->range <= 1) {
        return;
    }
    double bearing;
    ACTOR_BearingTo(hero, enemy->position[0], enemy->position[2], &bearing);
    if (bearing > Pi_Over_3 || bearing < -Pi_Over_3) {
        FGT_Danger = 1;
    }
}

double Reach()
{
    if (FGT_FightOption != 0) {
        return 0.0;
    }
    if (WPN_IsGunDrawn() != 0 || WPN_IsBowDrawn() != 0) {
        return FGT_REACH_RANGED;
    }
    if (WPN_IsSwordDrawn() != 0) {
        return FGT_REACH_SWORD;
    }
    return FGT_REACH;
}

void Stance_On(ActorRecord *hero)
{
    hero->flags[4] |= FGT_F4_STANCE;
    if (hero->physics_mode == 1) {
        hero->flags[4] |= FGT_F4_GROUND_STANCE;
    }
}

// A node in a place of its own: the actor's position, y lifted by that much.
void Place_Node(const ActorRecord *actor, double lift)
{
    const int32_t place[3] = {round_i32(actor->position[0]), round_i32(actor->position[1] - lift),
                              round_i32(actor->position[2])};
    Set_Obj_Pos(actor->node, place);
}

// The water's sounds, once a sample is chosen for them.
void Water_Sound(ActorRecord *actor, int32_t sound)
{
    if (sound >= 0) {
        const SND_Request request = {1, sound, 0x11, actor, 0};
        SND_PlayEffect(&request);
    }
}

} // namespace

void FGT_HeroFight(ActorRecord *hero)
{
    hero->flags[7] &= uint8_t(~(ACTOR_F7_SLOWER | ACTOR_F7_FASTER | ACTOR_F7_NO_XZ | ACTOR_F7_LONGER));
    FX_Trail(hero);
    FGT_Danger = 0;
    Sense_Danger(hero);
    AI_ScanNeighbours(hero);

    const double reach = Reach();
    int32_t in_reach = 0, f92_near = 0;
    for (int32_t i = 0; i < hero->enemy_count && i < 5; i++) {
        ActorRecord *enemy = hero->enemies[i];
        if (std::strncmp(enemy->node_name, "F92", 3) == 0 && enemy->sort_distance < F92_Range) {
            f92_near = 1;
        }
        if (enemy->range <= 0) {
            continue;
        }
        hero->target = enemy;
        const double dx = enemy->position[0] - hero->position[0];
        const double dy = enemy->position[1] - hero->position[1];
        const double dz = enemy->position[2] - hero->position[2];
        const double d = std::sqrt(dx * dx + 4.0 * dy * dy + dz * dz);
        in_reach = d < reach ? 1 : 0;
        break;
    }

    // The ground stance follows the hero's own toggle, unless an enemy holds the stance below.
    if (hero->flags[5] & FGT_F5_STANCE_TOGGLE) {
        hero->flags[4] |= FGT_F4_GROUND_STANCE;
    } else {
        hero->flags[4] &= uint8_t(~FGT_F4_GROUND_STANCE);
    }
    if (in_reach != 0) {
        Stance_On(hero);
        FGT_StanceHoldTime = Stance_Hold;
    } else if (FGT_StanceHoldTime > 0.0f) {
        Stance_On(hero);
        FGT_StanceHoldTime -= float(GAME_TimeFactor);
        if (FGT_StanceHoldTime < 0.0f) {
            FGT_StanceHoldTime = 0.0f;
        }
    } else {
        hero->flags[4] &= uint8_t(~FGT_F4_STANCE);
    }

    FGT_LastInReach = in_reach;
    FGT_LastF92Near = f92_near;
    switch (hero->physics_mode) {
    case 1: FGT_FightMoves(hero, in_reach, f92_near); break;
    case 3: FGT_AirMoves(hero, in_reach); break;
    case 2: FGT_SwimMoves(hero, in_reach); break;
    default: break;
    }
    FGT_WeaponStep(hero);
}

void FGT_WeaponStep(ActorRecord *hero)
{
    FGT_FrameParity ^= 1;
    WPN_GunUpdate();
    WPN_SwordUpdate();
    WPN_BowUpdate();

    const LevelRecord *p = PRJ_Current;
    const float factor = float(GAME_TimeFactor);
    if (p != nullptr && p->height_limit != 0 && hero->position[1] > double(p->height_limit)) {
        FGT_Damage(hero, 40.0f);
    }

    const int32_t water = PHY_WaterHeight;
    if (water != 0) {
        const double y = hero->position[1];
        const bool deep = y > double(water + Water_Deep);
        if (deep && (hero->physics_mode == 1 || hero->physics_mode == 3)) {
            CAM_PostEvent('+', reinterpret_cast<intptr_t>(hero), 0);
            FGT_Underwater = 1;
        } else if (y < double(water - Water_Shallow) && hero->physics_mode == 2) {
            CAM_PostEvent('+', reinterpret_cast<intptr_t>(hero), 0);
            Select_Rasteriser(0);
            FGT_Underwater = 0;
        }
        if (deep) {
            const float drain = p != nullptr ? float(p->air_drain) : 0.0f;
            hero->air -= drain * factor * 0.01f;
            if (hero->air <= 0.0f) {
                hero->air = 40.0f;
                FGT_Damage(hero, 30.0f);
                return;
            }
        }
    }

    if (CTRL_FreshlyPressed(CTRL_K1)) {
        if (Held(CTRL_K3) && Held(CTRL_SEL)) {
            FGT_FightOption ^= 1;
            SCR_SetMessage(FGT_FightOption != 0 ? "Manual Fight" : "Automatic Fight", 90.0f);
            CTRL_Controls[CTRL_K3] = 0;
        }
        hero->flags[5] ^= FGT_F5_STANCE_TOGGLE;
        hero->flags[4] ^= FGT_F4_GROUND_STANCE;
    }

    // The project's gauge_drain word is the second gauge's regeneration, in hundredths a frame.
    const float regeneration = p != nullptr ? float(p->gauge_drain) : 0.0f;
    hero->second_gauge += regeneration * factor * 0.01f;
    if (hero->second_gauge > Gauge_Max) {
        hero->second_gauge = Gauge_Max;
    } else if (hero->second_gauge < 0.0f) {
        hero->second_gauge = 0.0f;
    }
    if (hero->air > Air_Max) {
        hero->air = Air_Max;
    }
}

ActorRecord *FGT_FindStruckObject(ActorRecord *hero)
{
    ActorRecord *struck = nullptr;
    for (int32_t i = 3; i < ACTOR_ActiveCount2; i++) {
        ActorRecord *object = ACTOR_ActiveList2[i];
        if ((object->flags[7] & ACTOR_F7_UNSTRUCK) || (object->flags[1] & ACTOR_F1_AI) ||
            (object->flags[3] & ACTOR_F3_DISABLED)) {
            continue;
        }
        const double dx = object->position[0] - hero->position[0];
        const double dy = object->position[1] - hero->position[1];
        const double dz = object->position[2] - hero->position[2];
        const double squared = dx * dx + dy * dy + dz * dz;
        if (struck != nullptr || !(squared < 40000.0)) {
            // Lifted in an earlier frame perhaps: back on the ground.
            Place_Node(object, 0.0);
            continue;
        }
        double d = std::sqrt(squared);
        if (d < 100.0) {
            d = 100.0;
        }
        Place_Node(object, (200.0 - d) * 3.0);
        const SND_Request sound = {1, FGT_SOUND_LIFT, 0x11, object, 0};
        SND_PlayEffect(&sound);
        struck = object;
    }
    return struck;
}

void FGT_CameraOnHero(ActorRecord *actor)
{
    if (actor != &ACTOR_Slots[ACTOR_HERO]) {
        return;
    }
    // The poster keeps the record: the camera copies it when it runs the event.
    static CAM_ShotRecord shot;
    int32_t camera[3];
    Get_Obj_Pos(0, camera);
    std::memcpy(shot.camera, camera, sizeof shot.camera);
    shot.subject = actor;
    shot.duration = 60;
    CAM_PostEvent('-', reinterpret_cast<intptr_t>(&shot), 0);
}

void FGT_WaterStep(ActorRecord *actor)
{
    if (actor->flags[7] & ACTOR_F7_UNSTRUCK) {
        ACTOR_ResetToStart(actor);
    }
    const int32_t water = PHY_WaterHeight;
    if (water == 0) {
        return;
    }
    const double y = actor->position[1];
    if ((actor->physics_mode == 1 || actor->physics_mode == 3) && y > double(water + Water_Deep)) {
        actor->physics_mode = 2;
        actor->coll_flags[0] |= ACTOR_C0_FALL_MODE2;
        Water_Sound(actor, FGT_SOUND_WATER);
        FGT_CameraOnHero(actor);
    } else if (actor->physics_mode == 2 && y < double(water - Water_Shallow)) {
        actor->physics_mode = 1;
        Water_Sound(actor, FGT_SOUND_WATER);
        FGT_CameraOnHero(actor);
    }
    if (y >= double(water - Water_Shallow) && y <= double(water + Water_Deep)) {
        actor->air = Air_Max;
    }
    if (y > double(water + Water_Deep) && actor->physics_mode == 2 && !(actor->flags[5] & ACTOR_F5_STRONG_TURN)) {
        // One draw a frame: one frame in 4 breathes out, one in 32 of those with a sound.
        const int32_t r = SYS_Rand();
        if ((r & 3) == 0) {
            FX_SpawnHitParticles(actor);
        }
        if ((r & 31) == 0) {
            Water_Sound(actor, FGT_SOUND_BUBBLES);
        }
    }
}
