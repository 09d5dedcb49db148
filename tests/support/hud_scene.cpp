// The HUD's scenes: the demo fonts and icon pack with MENJ started over them, and the states the
// pictures show.
#include "tests/support/hud_pictures.h"

#include <algorithm>
#include <cstring>

#include "engine3d/proctex.h"
#include "interface/hud.h"
#include "interface/ico.h"
#include "interface/menj.h"
#include "interface/txt.h"
#include "tests/support/font_writer.h"
#include "tests/support/icon_pack_writer.h"
#include "world/actor.h"
#include "world/ctrl.h"
#include "world/inv.h"
#include "world/replay.h"

namespace kalder_test {

namespace {

MENJ_Icon icon(const char *name)
{
    MENJ_Icon i;
    ICO_Find(name, &i.set, &i.sprite);
    return i;
}

// Item place i of the hero's inventory holds count of the item; quick slot k shows it.
void hold(int k, int i, const char *name, int count)
{
    std::strncpy(INV_Data.names[i], name, sizeof INV_Data.names[i]);
    INV_Data.count[i] = count;
    INV_Data.level[i] = 1;
    INV_Data.quick[k] = i;
    const MENJ_Icon shown = icon(name);
    MENJ_Hands[k] = {shown.set, shown.sprite, 0};
}

} // namespace

DemoHud::DemoHud() : drives_(std::make_unique<TempDrives>("C"))
{
    WriteDemoSpriteFiles(drives_->Host('C'));
    WriteDemoIconPack(drives_->Host('C'));
    LoadStartUpSprites();
    MENJ_Init();
}

DemoHud::~DemoHud()
{
    ClearHudScene();
    MENJ_Shutdown();
    TXT_FreeAll();
    TXT_ClearAll();
}

void ClearHudScene()
{
    INV_Data = {nullptr, {}, -1, {-1, -1, -1}, {}, {}, {}, {}, 0};
    ACTOR_InitRecord(&ACTOR_Slots[ACTOR_HERO]);
    REPLAY_State = 2;
    REPLAY_Active = 0;
    REPLAY_Index = 0;
    CTRL_ResetButtons();
    MENJ_ClearHands();
    MENJ_ResetDisplay();
    // The fire and the gauges' memory as at start-up, so that every picture burns the same.
    std::fill(std::begin(GFX_FireMap), std::end(GFX_FireMap), 0);
    GFX_FireSeed = GFX_FIRE_SEED_START;
    HUD_Memory = {100.0f, 100.0f, 0};
}

void SetHudScene(HudScene scene)
{
    ClearHudScene();
    INV_Data.owner = &ACTOR_Slots[ACTOR_HERO];
    switch (scene) {
    case HudScene::Empty:
        break;
    case HudScene::Slots:
        hold(0, 0, "feu", 1);
        hold(1, 1, "guerison", 12);
        hold(2, 2, "vitesse", 99);
        MENJ_Hands[1].glow = 3;
        INV_Data.fixed[2] = 1;
        ACTOR_Slots[ACTOR_HERO].flags[4] |= ACTOR_F4_PITCH_STEERING;
        break;
    case HudScene::Pickup:
        hold(0, 0, "feu", 1);
        hold(1, 1, "bouclier", 1);
        MENJ_Info.icon = icon("bouclier");
        MENJ_Info.pending = MENJ_Info.icon;
        MENJ_Info.pending_slot = 1;
        MENJ_Info.pickup_info = 1;
        MENJ_Info.pickup_step = 7;
        MENJ_Info.info_fade = 7;
        MENJ_Info.arrival_fade = 8;
        MENJ_Info.blink_period = 0;
        MENJ_Info.exit_info = 1;
        MENJ_Info.visited = 1;
        break;
    case HudScene::Overlay:
        REPLAY_Active = 1;
        REPLAY_State = 1;
        MENJ_Indicator.phase = 1;
        CTRL_Controls[CTRL_UP] = CTRL_HELD;
        CTRL_Controls[CTRL_K2] = CTRL_HELD | CTRL_CHANGED;
        CTRL_Controls[CTRL_SEL] = CTRL_HELD;
        break;
    }
}

} // namespace kalder_test
