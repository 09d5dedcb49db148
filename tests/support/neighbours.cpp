// Scriptable stand-ins for the modules above the system core (see neighbours.h).
#include "tests/support/neighbours.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "films/hnm.h"
#include "interface/drd.h"
#include "interface/menj.h"
#include "interface/menu.h"
#include "interface/spr.h"
#include "interface/title.h"
#include "interface/txt.h"
#include "world/actor.h"
#include "world/cam.h"
#include "world/col.h"
#include "world/ctrl.h"
#include "world/dsn.h"
#include "world/game.h"
#include "world/mdl.h"
#include "world/prj.h"
#include "world/inv.h"
#include "world/ptc.h"
#include "world/replay.h"
#include "world/tex.h"

namespace fake {

namespace {
Script the_script;
std::vector<std::string> the_calls;
std::vector<Text> the_texts;

void log(const char *name) { the_calls.emplace_back(name); }
} // namespace

Script &script() { return the_script; }
std::vector<std::string> &calls() { return the_calls; }

void reset()
{
    the_script = Script{};
    the_calls.clear();
    the_texts.clear();
    REPLAY_State = 2;
    GAME_FarClip = 0xFFFFF;
    MENJ_SkipPresent = 0;
    MENJ_HudOn = 1;
    for (ActorRecord &actor : ACTOR_Slots) {
        actor = ActorRecord{};
    }
}

std::vector<Text> &texts() { return the_texts; }

int position(const std::string &name)
{
    auto it = std::find(the_calls.begin(), the_calls.end(), name);
    return it == the_calls.end() ? -1 : int(it - the_calls.begin());
}

int count(const std::string &name) { return int(std::count(the_calls.begin(), the_calls.end(), name)); }

} // namespace fake

using fake::log;

LevelRecord PRJ_CurrentRecord;
LevelRecord *PRJ_Current = &PRJ_CurrentRecord;
int32_t PRJ_PendingFlag;

void PRJ_LoadDatabase()
{
    log("PRJ_LoadDatabase");
    std::memset(&PRJ_CurrentRecord, 0, sizeof(PRJ_CurrentRecord));
    const std::string &film = fake::script().opening_film;
    std::memcpy(PRJ_CurrentRecord.film_name, film.data(),
                std::min(film.size(), sizeof(PRJ_CurrentRecord.film_name)));
    PRJ_Current = &PRJ_CurrentRecord;
    PRJ_PendingFlag = 1;
}

void PRJ_FreeDatabase() { log("PRJ_FreeDatabase"); }
int32_t PRJ_GetDataPart() { return PRJ_Current->data_part; }

int32_t GAME_Init3DEngine()
{
    log("GAME_Init3DEngine");
    return 1;
}

void GAME_Exit3DEngine() { log("GAME_Exit3DEngine"); }

int32_t GAME_FarClip = 0xFFFFF;

void GAME_Tick(int32_t)
{
    log("GAME_Tick");
    if (fake::script().game_tick) {
        fake::script().game_tick();
    }
}

void PTC_LoadSprites() { log("PTC_LoadSprites"); }

int32_t PART_Create(int32_t, int32_t, int32_t)
{
    log("PART_Create");
    return 1;
}

int32_t DSN_Create()
{
    log("DSN_Create");
    return fake::script().dsn_create;
}

void DSN_Destroy() { log("DSN_Destroy"); }

int32_t CAM_Init()
{
    log("CAM_Init");
    return 1;
}

void CAM_Exit() { log("CAM_Exit"); }

int32_t HNM_Open(const char *path)
{
    fake::calls().push_back(std::string("HNM_Open ") + path);
    return fake::script().hnm_open;
}

void HNM_NextFrame() { log("HNM_NextFrame"); }
void HNM_Close() { log("HNM_Close"); }
int32_t HNM_FrameDue() { return fake::script().hnm_frame_due; }
void HNM_FillStream() { log("HNM_FillStream"); }

void TITLE_Run()
{
    log("TITLE_Run");
    if (fake::script().title_run) {
        fake::script().title_run();
    }
}

void TXT_ClearAll() { log("TXT_ClearAll"); }

void TXT_LoadFont(const char *path, int32_t slot, int32_t)
{
    fake::calls().push_back("TXT_LoadFont " + std::string(path) + " " + std::to_string(slot));
}

void SPR_LoadSet(const char *path, int32_t slot)
{
    fake::calls().push_back("SPR_LoadSet " + std::string(path) + " " + std::to_string(slot));
}

void MENJ_Init() { log("MENJ_Init"); }
void MENJ_Shutdown() { log("MENJ_Shutdown"); }

int32_t DRD_Open(const char *)
{
    log("DRD_Open");
    return fake::script().drd_open;
}

void DRD_Close() { log("DRD_Close"); }

// Logged as "TXT_PrintCentred <x> <y> <font> <formatted text>".
void TXT_PrintCentred(int32_t x, int32_t y, int32_t font, const char *format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    fake::calls().push_back("TXT_PrintCentred " + std::to_string(x) + " " + std::to_string(y) + " " +
                            std::to_string(font) + " " + text);
    if (fake::script().print_centred) {
        fake::script().print_centred();
    }
}

// The world's per-frame calls and words.
ActorRecord ACTOR_Slots[ACTOR_SLOT_COUNT];
int32_t REPLAY_State = 2;

void CTRL_MapInput() { log("CTRL_MapInput"); }
void CTRL_SetDevice(int32_t device) { fake::calls().push_back("CTRL_SetDevice " + std::to_string(device)); }
void REPLAY_RecordFrame() { log("REPLAY_RecordFrame"); }
void REPLAY_PlayFrame() { log("REPLAY_PlayFrame"); }

void COL_Collide()
{
    log("COL_Collide");
    if (fake::script().col_collide) {
        fake::script().col_collide();
    }
}

int32_t TEX_HasAnimated() { return fake::script().tex_has_animated; }

int32_t INV_Add(ActorRecord *, const char *name)
{
    fake::calls().push_back(std::string("INV_Add ") + name);
    return 1;
}

void CAM_LoadPreset() { log("CAM_LoadPreset"); }

// The interface's per-frame calls and words.
int32_t MENJ_SkipPresent;
int32_t MENJ_HudOn = 1;

void MENJ_Update(int32_t hud) { fake::calls().push_back("MENJ_Update " + std::to_string(hud)); }

static void open_menu(const char *name)
{
    log(name);
    if (fake::script().menu_open) {
        fake::script().menu_open();
    }
}

void MENU_OpenSystem() { open_menu("MENU_OpenSystem"); }
void MENU_OpenSpells() { open_menu("MENU_OpenSpells"); }
void MENU_OpenObjects() { open_menu("MENU_OpenObjects"); }

void TXT_DrawString(const char *text, int32_t x, int32_t y, int32_t, int32_t style)
{
    log("TXT_DrawString");
    fake::texts().push_back(fake::Text{text, x, y, style});
}

// The 3D library's file source: the core's tests load no model.
int32_t MDL_FileHook(const char *name, void *, int32_t)
{
    fake::calls().push_back(std::string("MDL_FileHook ") + name);
    return name[0] == '\0' ? 0 : -1;
}
