// The HUD's golden scenes over the demo icon pack and fonts.
#include "tests/support/hud_pictures.h"

#include <algorithm>
#include <cstring>

#include "core/mem.h"
#include "core/sys.h"
#include "engine3d/proctex.h"
#include "interface/hud.h"
#include "interface/ico.h"
#include "interface/menu.h"
#include "interface/menj.h"
#include "interface/txt.h"
#include "tests/support/font_writer.h"
#include "tests/support/icon_pack_writer.h"
#include "tests/support/screen_target.h"
#include "tests/support/testcard.h"
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

Picture16 HudPicture(HudScene scene, int width, int height)
{
    SetHudScene(scene);
    ScreenTarget target(width, height);
    DrawTestCard(target.pixels(), width, height, false);
    MENJ_Update(1);
    Picture16 picture{width, height, false, target.Frame()};
    ClearHudScene();
    return picture;
}

Picture16 GaugePicture(const GaugeScene &scene, int width, int height)
{
    SetHudScene(HudScene::Empty);
    ScreenTarget target(width, height);
    for (int f = 0; f < kGaugeFireFrames; f++) {
        MENJ_Update(1);
    }
    DrawTestCard(target.pixels(), width, height, false);
    HUD_Memory = {scene.shown_life, scene.shown_mana, 0};
    HUD_DrawGauges(scene.life, scene.mana, scene.oxygen, scene.balance, 20 / MENU_Layout.h_divisor,
                   (MENU_Layout.virtual_height - 90) / MENU_Layout.v_divisor);
    Picture16 picture{width, height, false, target.Frame()};
    ClearHudScene();
    return picture;
}

Picture16 ThumbnailPicture(int width, int height)
{
    std::vector<uint16_t> card(640 * 480);
    DrawTestCard(card.data(), 640, 480, false);
    std::vector<uint16_t> thumb(ICO_THUMB_SIDE * ICO_THUMB_SIDE);
    for (int y = 0; y < ICO_THUMB_SIDE; y++) {
        for (int x = 0; x < ICO_THUMB_SIDE; x++) {
            thumb[size_t(y * ICO_THUMB_SIDE + x)] = card[size_t(y * 480 / ICO_THUMB_SIDE * 640 + x * 640 / ICO_THUMB_SIDE)];
        }
    }
    ScreenTarget target(width, height);
    target.Fill(0x2104);
    ICO_DrawThumbnail(thumb.data(), 100, 100);
    return {width, height, false, target.Frame()};
}

Picture16 PortraitPicture(int width, int height)
{
    MEM_Stack *scratch = MEM_Arena == nullptr ? MEM_CreateStack(1 << 16) : nullptr;
    if (scratch != nullptr) {
        MEM_Arena = scratch;
    }
    const std::vector<uint8_t> image = DemoPortrait().Image();
    ScreenTarget target(width, height);
    DrawTestCard(target.pixels(), width, height, false);
    if (ICO_MakePicture(image.data(), uint32_t(image.size())) == 0) {
        ICO_DrawPicture(16, 64);
    }
    ICO_FreePicture();
    if (scratch != nullptr) {
        MEM_Arena = nullptr;
        MEM_DestroyStack(scratch);
    }
    return {width, height, false, target.Frame()};
}

const std::vector<IconGolden> &IconGoldens()
{
    const auto gauges = [](GaugeScene scene, int width, int height) {
        return [=] { return GaugePicture(scene, width, height); };
    };
    static const std::vector<IconGolden> goldens = {
        {"hud-gauges-full-640x480", gauges({100, 100, 100, 100, 0, 0}, 640, 480)},
        {"hud-gauges-flash-640x480", gauges({100, 100, 40, 75, 0, 0}, 640, 480)},
        {"hud-gauges-oxygen-640x480", gauges({100, 100, 100, 100, 60, 0}, 640, 480)},
        {"hud-gauges-balance-640x480", gauges({100, 100, 100, 100, 0, -100}, 640, 480)},
        {"hud-gauges-320x200", gauges({100, 100, 100, 100, 0, 0}, 320, 200)},
        {"ico-thumbnail-640x480", [] { return ThumbnailPicture(640, 480); }},
        {"ico-thumbnail-320x200", [] { return ThumbnailPicture(320, 200); }},
        {"ico-picture-640x480", [] { return PortraitPicture(640, 480); }},
    };
    return goldens;
}

const std::vector<HudGolden> &HudGoldens()
{
    static const std::vector<HudGolden> goldens = {
        {"hud-empty-640x480", HudScene::Empty, 640, 480},     {"hud-slots-640x480", HudScene::Slots, 640, 480},
        {"hud-pickup-640x480", HudScene::Pickup, 640, 480},   {"hud-overlay-640x480", HudScene::Overlay, 640, 480},
        {"hud-slots-320x200", HudScene::Slots, 320, 200},     {"hud-slots-400x300", HudScene::Slots, 400, 300},
    };
    return goldens;
}

} // namespace kalder_test
