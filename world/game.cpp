// The game world's frame: a pending project loads, a fade runs down to the switch of projects, the
// world steps in its fixed order, the exits and the hero's death are tested and the frame composed.
// Also the 3D engine's heap, from start-up to shutdown.
#include "world/game.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/dsk.h"
#include "core/fconv.h"
#include "core/game_frame.h"
#include "core/mgm.h"
#include "core/opt.h"
#include "core/scr.h"
#include "core/snd.h"
#include "core/sys.h"
#include "editor/edt.h"
#include "engine3d/matcache.h"
#include "engine3d/object.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "interface/menj.h"
#include "interface/menu.h"
#include "interface/sym.h"
#include "plat/system.h"
#include "world/actor.h"
#include "world/ai.h"
#include "world/anim.h"
#include "world/cam.h"
#include "world/ctrl.h"
#include "world/dsn.h"
#include "world/fgt.h"
#include "world/fx.h"
#include "world/inv.h"
#include "world/mdl.h"
#include "world/prj.h"
#include "world/prj_load.h"
#include "world/ptc.h"
#include "world/spc.h"
#include "world/tex.h"
#include "world/trg.h"
#include "world/visited.h"
#include "world/wpn.h"
#include "world/zon.h"

int32_t GAME_FarClip = 0xFFFFF;
int32_t GAME_OpeningFilmFlag = 1;
int32_t GAME_HeroDied;
void *GAME_3DHeap;

namespace {

// The opening film of the first project, shown once before its first load.
constexpr char Opening_Film[] = "data\\hnm\\tete_e~1.hnm";

// The sound of a level change: sample 13 of the bank.
void play_switch_sound()
{
    SND_Request request{};
    request.kind = 1;
    request.sound = 13;
    request.flags = 0;
    SND_PlayEffect(&request);
}

// Opens a film of data\hnm through the message manager; the record's name field need not end in a
// NUL. Non-zero when it opened.
intptr_t open_film(const char *field, size_t size)
{
    std::string path = "data\\hnm\\";
    path.append(field, strnlen(field, size));
    return MGM_SendMessage(23, reinterpret_cast<intptr_t>(path.c_str()), 5);
}

bool has_film(const LevelRecord *record) { return record->film_name[0] != 0; }

// A switch that lands on the project being played changes nothing. PRJ_SwitchTo always answers with
// its own buffer, so the record is the current one when it carries the current project's name.
bool is_current(const LevelRecord *record)
{
    return std::strncmp(record->name, PRJ_Current->name, sizeof record->name) == 0;
}

// The end of a fade: the screen takes the fade's colour, between the letterbox bars when they show.
void fill_fade_colour(int32_t kind)
{
    if (SCR_FrameBuffer == nullptr) {
        return;
    }
    const uint16_t colour = kind == 1 ? 0x0000 : 0xFFFF;
    const size_t width = SCR_Width;
    const size_t height = SCR_Height;
    size_t first = 0;
    size_t rows = height;
    if (OPT_Cinemascope == 1) {
        first = height / 8;
        rows = height * 3 / 4;
    }
    uint16_t *row = SCR_FrameBuffer + first * width;
    for (size_t i = 0; i < rows * width; i++) {
        row[i] = colour;
    }
}

// The fade's colour step: colours A and C of the shading move apart or together by 28 a frame.
void step_fade_colours(int32_t kind)
{
    const int32_t sign = kind == 1 ? -1 : 1;
    for (int i = 0; i < 3; i++) {
        TEX_Shading.tint[i] += sign * trunc_i32(GAME_TimeFactor * 28.0);
        TEX_Shading.colour_c[i] -= sign * trunc_i32(GAME_TimeFactor * 28.0);
    }
}

// Step B: 1 when the tick goes on with the world, 0 when the fade ended and the switch is made.
int fade_step()
{
    GAME_FadeTimer = float(double(GAME_FadeTimer) - GAME_TimeFactor);
    step_fade_colours(PRJ_Current->fade_kind);
    if (GAME_FadeTimer > 0.0f) {
        return 1;
    }
    fill_fade_colour(PRJ_Current->fade_kind);
    PRJ_RecordVisited();
    if (GAME_FilmFrozen == 1) {
        GAME_FilmHold = 1;
        GAME_FilmFrozen = 0;
    }
    const ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    WPN_BowWasDrawn = (hero->flags[6] & ACTOR_F6_BOW_DRAWN) != 0 ? 1 : 0;
    WPN_SwordWasDrawn = (hero->flags[6] & ACTOR_F6_SWORD_DRAWN) != 0 ? 1 : 0;
    GAME_FadeTimer = 0.0f;
    PRJ_MakeCurrent(PRJ_Next);
    PRJ_Current = &PRJ_CurrentRecord;
    PRJ_PendingFlag = 1;
    return 0;
}

// Step A: 1 when the opening film was started and the load waits for a later tick.
int start_opening_film()
{
    if (GAME_OpeningFilmFlag != 1 || std::strncmp(PRJ_Current->name, "Project0", sizeof PRJ_Current->name) != 0) {
        return 0;
    }
    GAME_OpeningFilmFlag = 0;
    MGM_SendMessage(31);
    if (MGM_SendMessage(23, reinterpret_cast<intptr_t>(Opening_Film), 5) == 0) {
        return 0;
    }
    MGM_SendMessage(24);
    GAME_FilmFrozen = 0;
    GAME_FilmHold = 1;
    return 1;
}

// The actor the player steers this tick (step C5): the special actor, the object the hero is coupled
// to while the coupling lasts, or the hero.
ActorRecord *choose_steered()
{
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    ActorRecord *special = SPC_ActiveVid();
    if (special != nullptr && (special->flags[3] & ACTOR_F3_DISABLED) == 0) {
        return special;
    }
    if (hero->coupled != nullptr) {
        ActorRecord *steered = hero->coupled;
        steered->inventory = hero->inventory;
        TRG_Update(steered);
        hero->coupling_time = trunc_i32(double(hero->coupling_time) - GAME_TimeFactor);
        if (hero->coupling_time > 0) {
            return steered;
        }
        hero->coupled = nullptr;
        const int32_t place[3] = {round_i32(hero->position[0]), round_i32(hero->position[1]),
                                  round_i32(hero->position[2])};
        Set_Obj_Pos(hero->node, place);
        CAM_PostEvent('+', reinterpret_cast<intptr_t>(hero), 0);
        AI_BuildGroups();
        return hero;
    }
    if (GAME_Paused == 0) {
        FX_UpdateEmitters(hero);
    }
    return hero;
}

bool is_fight_stance(int32_t anim)
{
    return anim == 9 || anim == 10 || anim == 11 || anim == 22 || anim == 23;
}

// Steps C4 to C12: the world moves, with the hero or the object it steers.
void world_step()
{
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    if (EDT_Active == 0) {
        SPC_UpdateF27();
    }
    ActorRecord *steered = choose_steered();
    if (GAME_Paused == 0) {
        FX_UpdateManaSpheres(steered);
        SPC_MoveF27(steered);
        if (GAME_FadeTimer <= 0.0f) {
            FGT_HeroFight(steered);
        } else if (is_fight_stance(steered->current_anim)) {
            // No blow is struck while the screen fades: the hero stands.
            steered->flags[2] &= uint8_t(~ACTOR_F2_ACTION_HELD);
            ANIM_DoAction(steered, 0);
        }
    }
    CAM_CompCameraPos();
    if (GAME_Paused == 0) {
        ZON_Update(steered);
        AI_Update();
        ANIM_UpdateActors();
    }
    DSN_UpdateFrame();
    if (EDT_Active != 0) {
        for (int32_t slot = 2; slot < 16; slot++) {
            ActorRecord *actor = &ACTOR_Slots[slot];
            if ((actor->flags[0] & ACTOR_F0_IN_USE) != 0 && (actor->flags[7] & ACTOR_F7_UNSTRUCK) == 0) {
                ACTOR_ResetToStart(actor);
            }
        }
    }
    if (GAME_Paused == 0) {
        FX_UpdateParticles();
        FX_UpdateSparks();
        FX_UpdateGroundElements(hero);
        MDL_RotateSky();
        PART_SetAttractor(hero, 0, 4);
        FX_UpdateBalls();
        TEX_Update();
    } else {
        SCR_SetMessage("Pause", 10.0f);
    }
    TEX_SpriteFrame();
}

// The hero's death (PRJ_UpdateExits): 1 when it is complete this tick.
int death_complete(ActorRecord *hero)
{
    if (hero->life != 0.0f) {
        return 0;
    }
    if (hero->current_anim == 50 || hero->current_anim == 51) {
        const int32_t n = hero->frame_count;
        return float(n - (n >> 3)) < hero->frame_position ? 1 : 0;
    }
    const int32_t anim = hero->current_anim;
    if (anim == 4 || anim == 44 || anim == 45 || anim == 9 || anim == 10 || anim == 11) {
        hero->flags[2] &= uint8_t(~ACTOR_F2_ACTION_HELD);
        ANIM_DoAction(hero, 50);
    }
    return GAME_FadeTimer > 0.0f ? 1 : 0;
}

// After a death the game goes back to the first project with the hero restored, through the system
// menu; the switch itself waits for the next tick.
void handle_death(ActorRecord *hero)
{
    GAME_HeroDied = 1;
    hero->life = 100.0f;
    if (hero->second_gauge <= 40.0f) {
        hero->second_gauge = 40.0f;
    }
    GAME_FadeTimer = 18.0f;
    char name[32] = "Project0";
    PRJ_Next = PRJ_SwitchTo(name, sizeof name);
    INV_Reset();
    PRJ_ClearVisited();
    PRJ_SkipNextVisited = 1;
    for (MENJ_HandSlot &hand : MENJ_Hands) {
        hand.set = -1;
        hand.sprite = -1;
    }
    GAME_OpeningFilmFlag = 1;
    MENU_OpenSystem();
    GAME_FadeTimer = 0.001f;
    GAME_FilmFrozen = 0;
    if (PRJ_Next != nullptr && has_film(PRJ_Next) && GAME_AltHeroModel == 0) {
        MGM_SendMessage(31);
        if (open_film(PRJ_Next->film_name, sizeof PRJ_Next->film_name) != 0) {
            play_switch_sound();
            MGM_SendMessage(24);
            GAME_FilmFrozen = 1;
        }
    }
}

// The condition object: carried (or, with the negation, not carried). An actor without inventory
// passes.
bool carries_condition(ActorRecord *actor, const ExitRecord &exit)
{
    if (exit.condition_object[0] == 0 || actor->inventory == nullptr) {
        return true;
    }
    char name[sizeof exit.condition_object + 1] = {};
    std::memcpy(name, exit.condition_object, sizeof exit.condition_object);
    const bool has = INV_Has(actor, name) != 0;
    return (exit.flags & EXIT_NEGATE_OBJECT) != 0 ? !has : has;
}

bool linked_taken(const ActorRecord *actor)
{
    return actor->coupled != nullptr && (actor->coupled->flags[4] & ACTOR_F4_TAKEN) != 0;
}

bool select_pressed()
{
    return CTRL_FreshlyPressed(CTRL_SEL);
}

// The conditions of an exit, in the order they are tested; box exits also ask for the select control.
bool exit_conditions_pass(ActorRecord *actor, const ExitRecord &exit, bool box)
{
    if ((exit.flags & EXIT_TRIGGER_TEST) != 0 && TRG_ExitsUnlocked() == 0) {
        return false;
    }
    if ((exit.flags & EXIT_IN_ZONE) != 0 && TRG_NoEnemyLeft(actor) == 0) {
        return false;
    }
    if (box && (exit.flags & EXIT_GAME_FLAG_TEST) != 0 && !select_pressed()) {
        return false;
    }
    if (!carries_condition(actor, exit)) {
        return false;
    }
    if ((exit.flags & EXIT_OBJECT_TAKEN) != 0 && !linked_taken(actor)) {
        return false;
    }
    return true;
}

// The project the exit leads to, or null when it leads nowhere new.
LevelRecord *exit_target(ExitRecord &exit)
{
    LevelRecord *target = PRJ_SwitchTo(exit.target, sizeof exit.target);
    if (target == nullptr || is_current(target)) {
        return nullptr;
    }
    return target;
}

void take_boxless_exit(ActorRecord *actor, ExitRecord &exit)
{
    if (!exit_conditions_pass(actor, exit, false)) {
        return;
    }
    LevelRecord *target = exit_target(exit);
    if (target == nullptr) {
        return;
    }
    GAME_FadeTimer = 15.0f;
    PRJ_Next = target;
    GAME_FilmFrozen = 0;
    if (has_film(target) && GAME_AltHeroModel == 0) {
        MGM_SendMessage(31);
        if (open_film(target->film_name, sizeof target->film_name) != 0) {
            play_switch_sound();
            if (PRJ_FindVisited(target->name) == 0) {
                MGM_SendMessage(24);
                GAME_FilmFrozen = 1;
            }
        }
    }
}

bool inside_box(const ActorRecord *actor, const ExitRecord &exit)
{
    const ActorRecord *scene = &ACTOR_Slots[ACTOR_SCENE];
    bool inside = true;
    bool outside = false;
    for (int i = 0; i < 3; i++) {
        const int32_t d = trunc_i32(actor->position[i] - scene->position[i]);
        inside = inside && exit.box_min[i] < d && d < exit.box_max[i];
        outside = outside || d < exit.box_min[i] || d > exit.box_max[i];
    }
    return (exit.flags & EXIT_OUTSIDE_BOX) != 0 ? outside : inside;
}

void take_box_exit(ActorRecord *actor, ExitRecord &exit)
{
    if (!inside_box(actor, exit)) {
        return;
    }
    MENJ_PostName(MENJ_EXIT_INFO, actor->node_name);
    if (!exit_conditions_pass(actor, exit, true)) {
        return;
    }
    LevelRecord *target = exit_target(exit);
    if (target == nullptr) {
        return;
    }
    play_switch_sound();
    GAME_FadeTimer = 15.0f;
    PRJ_Next = target;
    GAME_FilmFrozen = 0;
    if (has_film(target) && GAME_AltHeroModel == 0 && PRJ_FindVisited(target->name) == 0) {
        MGM_SendMessage(31);
        if (open_film(target->film_name, sizeof target->film_name) != 0) {
            MGM_SendMessage(24);
            GAME_FilmFrozen = 1;
        }
    }
}

} // namespace

int32_t GAME_TravelTo(char *name, size_t size)
{
    LevelRecord *target = PRJ_SwitchTo(name, size);
    if (target == nullptr || is_current(target)) {
        return 0;
    }
    play_switch_sound();
    GAME_FadeTimer = 15.0f;
    PRJ_Next = target;
    if (has_film(target) && open_film(target->film_name, sizeof target->film_name) != 0) {
        MGM_SendMessage(24);
        GAME_FilmFrozen = 1;
    }
    return 1;
}

void GAME_TickHook() {}
void GAME_SpareHook() {}

void PRJ_UpdateExits(ActorRecord *actor)
{
    if (GAME_FadeTimer > 0.0f) {
        return;
    }
    GAME_HeroDied = 0;
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    if (death_complete(hero)) {
        handle_death(hero);
        return;
    }
    if (EDT_Active != 0) {
        return;
    }
    for (ExitRecord &exit : PRJ_Current->exits) {
        if (GAME_FadeTimer > 0.0f) {
            break;
        }
        if ((exit.flags & EXIT_ON) == 0 || (actor != hero && (exit.flags & EXIT_ANY_OBJECT) == 0)) {
            continue;
        }
        if (exit.box_min[0] == 0 && exit.box_max[0] == 0) {
            take_boxless_exit(actor, exit);
        }
        take_box_exit(actor, exit);
    }
}

void GAME_Tick(int32_t)
{
    if (PRJ_PendingFlag == 1) {
        if (start_opening_film()) {
            return;
        }
        PRJ_LoadPending();
        PRJ_RestoreVisited();
        return;
    }
    if (GAME_FadeTimer > 0.0f && !fade_step()) {
        return;
    }
    if (EDT_Active == 0 &&
        std::strncmp(PRJ_Current->elements[0].file, "END.DSN", sizeof PRJ_Current->elements[0].file) == 0) {
        GAME_EndRequest = 1;
    }
    TEX_SceneStart();
    ACTOR_BuildActiveLists();
    GAME_TickHook();
    world_step();

    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    ActorRecord *leaving = hero->coupled != nullptr ? hero->coupled : hero;
    PRJ_UpdateExits(leaving);
    if (GAME_HeroDied != 0) {
        return;
    }
    TRG_Update(leaving);
    SCR_ComposeFrame();
    SYM_MenuDraw();
    ZON_UpdateSpawners(hero);
}

// Start-up: the 3D library's limits, its material folder and its heap, then an empty inventory. The
// heap is taken once; every level load clears it.
int32_t GAME_Init3DEngine()
{
    Max_Handle_Tables = 1024;
    Max_Cache_Entries = 256;
    const char *root = DSK_ModelPath();
    std::snprintf(Material_Dir, sizeof Material_Dir, "%sdata\\3dc\\", root != nullptr ? root : "");
    if (GAME_3DHeap == nullptr) {
        GAME_3DHeap = PLAT_HeapAlloc(GAME_3DHeapSize);
        if (GAME_3DHeap != nullptr) {
            std::memset(GAME_3DHeap, 0, GAME_3DHeapSize);
        }
    }
    // A heap that could not be had stops the game in the library's start-up ("Heap overflow").
    Init_3D(GAME_3DHeap, GAME_3DHeapSize);
    Set_Screen_Size(int32_t(SCR_Width), int32_t(SCR_Height));
    Set_Viewport_Fov(int32_t(SCR_Width), int32_t(SCR_Height), 0, 0, 76.36f);
    INV_Reset();
    return 1;
}

void GAME_Exit3DEngine()
{
    if (GAME_3DHeap != nullptr) {
        PLAT_HeapFree(GAME_3DHeap);
        GAME_3DHeap = nullptr;
        Work_Area = nullptr;
        Work_Size = 0;
    }
    PLAT_WriteStdout("desinit 3Dengine \n");
}
