// The level load: the 3D library restarted for the current project, its hero, characters and scene
// loaded into the object slots, its colours and settings copied, and every character at its start.
#include "world/prj_load.h"

#include <cstdio>
#include <cstring>

#include "core/dsk.h"
#include "core/fconv.h"
#include "core/mgm.h"
#include "core/opt.h"
#include "core/scr.h"
#include "editor/edt.h"
#include "engine3d/gfx_tint.h"
#include "engine3d/image.h"
#include "engine3d/maths.h"
#include "engine3d/matcache.h"
#include "engine3d/object.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "world/actor.h"
#include "world/ai.h"
#include "world/anim.h"
#include "world/cam.h"
#include "world/col.h"
#include "world/dan.h"
#include "world/dsn.h"
#include "world/fgt.h"
#include "world/fgt_moves.h"
#include "world/flick.h"
#include "world/fx.h"
#include "world/game.h"
#include "world/inv.h"
#include "world/mdl.h"
#include "world/phy.h"
#include "world/plt.h"
#include "world/prj.h"
#include "world/ptc.h"
#include "world/shadow.h"
#include "world/spc.h"
#include "world/sym.h"
#include "world/tex.h"
#include "world/trg.h"
#include "world/wpn.h"
#include "world/zon.h"

int32_t PRJ_LoadCharacters = 1;

namespace {

constexpr int32_t Near_Clip = 140;
constexpr float Field_Of_View = 76.36f;

void Place_Node(const ActorRecord *a)
{
    int32_t position[3];
    for (int i = 0; i < 3; i++) {
        position[i] = trunc_i32(a->position[i]);
    }
    Set_Obj_Pos(a->node, position);
}

// Flags A bit 0 loads an element at the project start, flags B bit 0 keeps it for later.
bool Loaded_At_Start(const ElementRecord &e) { return (e.flags_a & 0x01) && !(e.flags_b & 0x01); }

} // namespace

void PRJ_LoadResources()
{
    // A stream or container still open from the level left would write into the new heap.
    DSN_Reset();
    DAN_Release();
    MGM_SendMessage(31, 0, 0);
    GAME_FadeTimer = 0.0f;
    INV_Record *inventory = ACTOR_Slots[ACTOR_HERO].inventory;

    PLT_Clear();
    COL_FreeSpheres();
    if (GAME_3DHeap == nullptr) {
        GAME_Init3DEngine();
    }
    std::memset(GAME_3DHeap, 0, GAME_3DHeapSize);
    MGM_SendMessage(25, 0, 0);
    Init_3D(GAME_3DHeap, GAME_3DHeapSize);

    const int32_t width = int32_t(SCR_Width), height = int32_t(SCR_Height);
    Set_Screen_Size(width, height);
    if (OPT_Cinemascope != 0) {
        Set_Viewport_Fov(width, height * 3 / 4, 0, height / 8, Field_Of_View);
    } else {
        Set_Viewport_Fov(width, height, 0, 0, Field_Of_View);
    }

    SHADOW_Start();
    TRG_Load();

    const LevelRecord *p = PRJ_Current;
    TEX_Shading.character_shade_step = 8;
    TEX_Shading.scene_shade_step = 2;
    TEX_Shading.flag_a = 0;
    GAME_FarClip = 0xFFFFF;
    TEX_Shading.flag_b = 0;
    Select_Rasteriser(0);
    PHY_WaterHeight = 0;
    CAM_LoadPreset();
    if (p->shading_depth != 0) {
        TEX_Shading.character_shade_step = p->shading_depth;
    }
    if (p->water_height != 0) {
        PHY_WaterHeight = p->water_height;
    }
    if (p->shading_mode != 0) {
        TEX_Shading.scene_shade_step = p->shading_mode;
    }
    if (p->view_distance != 0) {
        GAME_FarClip = p->view_distance;
    }
    Set_Far_Clip(GAME_FarClip);
    Set_Near_Clip(Near_Clip);
    Set_Near_Clip(Near_Clip);

    GFX_BuildSaturateTable();
    MDL_ResetSlots();
    ANIM_InitSlots();
    TEX_Reset();
    FLICK_Reset();

    MDL_LoadModel("", 0x02);
    PART_Init();

    char hero_model[sizeof p->hero_model + 1];
    std::snprintf(hero_model, sizeof hero_model, "%.*s", int(sizeof p->hero_model), p->hero_model);
    const bool built_in = hero_model[0] == '\0';
    if (built_in) {
        std::snprintf(hero_model, sizeof hero_model, "%s", GAME_AltHeroModel != 0 ? "mhe.3dc" : "xh_.3dc");
    }
    ActorRecord *hero = MDL_LoadModel(hero_model, 0xC204);
    DAN_ReadAnimData();
    ANIM_LoadActorAnims(hero, hero_model);
    DAN_Release();
    if (built_in) {
        hero->flags[7] |= ACTOR_F7_EXTENDED_KEYS;
    }

    hero->inventory = inventory;
    if (inventory == nullptr) {
        INV_Init(hero);
    } else {
        INV_MarkKept(inventory);
    }

    ANIM_DoAction(hero, 0);
    ANIM_ChangeAnim(hero);
    ANIM_ResetAnim(hero);
    FX_LoadModels();
    WPN_LoadThrown();
    FX_LoadShotModels();
    FX_InitEmitters();
    FX_LoadThrownModel();
    FX_LoadManaSpheres();
    FX_LoadGroundElements();
    SYM_Reset();

    int32_t identity[9];
    Mat_Identity(identity);
    const int32_t root_position[3] = {-1028, 116, -1237};
    Set_Obj_Matrix(0, identity);
    Set_Obj_Pos(0, root_position);
    CAM_PostEvent('+', reinterpret_cast<intptr_t>(hero), 0);
    CAM_CompCameraPos();
    MDL_LoadingScene = 0;
}

void PRJ_LoadPending()
{
    if (PRJ_PendingFlag != 1) {
        return;
    }
    DSK_PrepareProject();
    MDL_SceneCollReady = 0;

    // The hero carries its gauges from level to level. A slot that never held a hero has none to
    // carry: the new hero keeps its defaults.
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    const bool carried = (hero->flags[0] & ACTOR_F0_IN_USE) != 0;
    const float life = hero->life == 0.0f ? 5.0f : hero->life;
    const float gauge = hero->second_gauge;
    FGT_TakeOffTimer = 0;
    PRJ_LoadResources();
    if (carried) {
        hero->life = life;
        hero->second_gauge = gauge;
    }
    FGT_StanceHoldTime = 0.0f;

    LevelRecord *p = PRJ_Current;
    TEX_Shading.fade_seconds = p->shade_value;
    for (int i = 0; i < 3; i++) {
        TEX_Shading.fade_target[i] = p->colour_d[i];
        TEX_Shading.colour_c[2 - i] = p->colour_c[i];
        TEX_Shading.tint[i] = p->colour_a[i];
        TEX_Shading.water_offset[i] = p->shade_table_values[i];
        TEX_Shading.flicker[i] = p->colour_b[i];
    }
    TEX_Shading.water_extra = p->shade_table_values[3];

    if (PRJ_LoadCharacters != 0) {
        for (int32_t e = 1; e < 16; e++) {
            if (Loaded_At_Start(p->elements[e])) {
                MDL_LoadCharacter(&p->elements[e]);
            }
        }
        if (Loaded_At_Start(p->elements[0])) {
            MDL_LoadingScene = 1;
            MDL_LoadCharacter(&p->elements[0]);
            MDL_LoadingScene = 0;
        }
    }

    MDL_FindSky(&ACTOR_Slots[ACTOR_SCENE]);
    ZON_Load();
    DSN_UpdateFrame();

    if (p->fade_kind == 0 || p->fade_kind == 1) {
        const int32_t sign = p->fade_kind == 0 ? 1 : -1;
        for (int i = 0; i < 3; i++) {
            TEX_Shading.shade_steps[i] = 64 * sign;
            TEX_Shading.smoothed[i] = 128 * sign;
        }
    }
    TEX_SceneStarted = 0;

    // One past the last entry, as the game always did: that entry is empty and registers nothing.
    for (int32_t i = 0; i <= Get_Cache_Count(); i++) {
        TEX_Register(Get_Cache_Name_Field(i));
    }

    SPC_MakeVid(hero);
    SPC_FindF27();
    WPN_LoadGun();
    WPN_LoadSword();
    WPN_LoadBow();

    for (ActorRecord &a : ACTOR_Slots) {
        if (!(a.flags[1] & ACTOR_F1_AI) && !(a.flags[5] & 0x08)) {
            continue;
        }
        PHY_ResetBody(&a);
        TEX_BindShaded(&a);
        if (!(a.flags[8] & ACTOR_F8_MODEL_FLAG3) && a.physics_mode == 3) {
            a.coll_flags[0] |= 0x05;
        }
        if (a.physics_mode == 2) {
            a.coll_flags[0] |= 0x08;
            a.flags[2] &= uint8_t(~ACTOR_F2_ACTION_HELD);
            ANIM_DoAction(&a, 1);
        }
        if (a.flags[8] & ACTOR_F8_MODEL_FLAG3) {
            a.physics_mode = 1;
        }
    }

    for (int32_t s = ACTOR_SCENE; s < 16; s++) {
        if (ACTOR_Slots[s].flags[0] & ACTOR_F0_IN_USE) {
            ACTOR_ResetToStart(&ACTOR_Slots[s]);
        }
    }

    ACTOR_BuildActiveLists();
    TEX_Prepare();
    AI_BuildGroups();
    PRJ_EmptyHook();
    PRJ_PendingFlag = 0;
}

void ACTOR_ResetToStart(ActorRecord *actor)
{
    const ElementRecord *e = actor->definition;
    if (e == nullptr) {
        return;
    }
    if (actor == &ACTOR_Slots[ACTOR_SCENE]) {
        for (double &p : actor->position) {
            p = 0.0;
        }
        return;
    }
    for (int i = 0; i < 3; i++) {
        actor->position[i] = e->start_position[i];
    }
    if (EDT_Active == 0 && (actor->flags[5] & ACTOR_F5_RANDOM_RESPAWN)) {
        ZON_RandomPoint(actor);
    }
    for (int i = 0; i < 3; i++) {
        actor->previous_position[i] = actor->position[i];
    }
    actor->heading = e->start_heading;
    int32_t m[9];
    Mat_Rotate(0, actor->heading, 0, m);
    Set_Obj_Matrix(actor->node, m);
    if (EDT_Active == 0 && !(actor->flags[3] & ACTOR_F3_DISABLED) && !(actor->flags[7] & ACTOR_F7_UNSTRUCK)) {
        actor->life = e->life != 0 ? float(e->life) : 100.0f;
        actor->range = e->range != 0 ? trunc_i32(e->range * 0.2) : 1000;
    }
    Place_Node(actor);
}

void PRJ_EmptyHook() {}

ActorRecord *ACTOR_CloneActor(ActorRecord *source)
{
    ActorRecord *a = nullptr;
    for (int32_t s = ACTOR_SCENE; s < ACTOR_SLOT_COUNT && a == nullptr; s++) {
        if (!(ACTOR_Slots[s].flags[0] & ACTOR_F0_IN_USE)) {
            a = &ACTOR_Slots[s];
        }
    }
    if (a == nullptr) {
        return nullptr;
    }
    ACTOR_InitRecord(a);
    a->flags[0] |= ACTOR_F0_IN_USE;
    a->flags[1] |= ACTOR_F1_AI;
    a->position[0] = source->position[0] + 100.0;
    a->position[1] = source->position[1];
    a->position[2] = source->position[2] + 100.0;
    a->node = Clone_Obj(source->node);
    Link_Obj(a->node, 0);
    Show_Obj_Tree(a->node);
    ANIM_SetAnimSet(a, source);
    a->current_anim = source->current_anim;
    a->requested_anim = source->requested_anim;
    a->anim_handles[0] = source->anim_handles[0];
    a->anim_handles[1] = source->anim_handles[1];
    a->frame_count = source->frame_count;
    a->saved_frame_count = source->saved_frame_count;
    a->frame_position = source->frame_position;
    a->anim_blend = source->anim_blend;
    a->anim_speed = source->anim_speed;
    Place_Node(a);
    return a;
}

void ACTOR_SetAnimation(int32_t node, ActorRecord *actor)
{
    actor->anim_handles[0] = node;
    actor->frame_position = 0.0f;
    actor->frame_count = Get_Obj_Name_Unchecked(node) + 1;
    actor->anim_speed = 1.5f;
}
