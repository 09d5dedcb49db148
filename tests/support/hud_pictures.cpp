// The HUD's golden pictures over the demo icon pack and fonts.
#include "tests/support/hud_pictures.h"

#include "core/mem.h"
#include "core/sys.h"
#include "interface/hud.h"
#include "interface/ico.h"
#include "interface/menj.h"
#include "interface/menu.h"
#include "tests/support/icon_pack_writer.h"
#include "tests/support/screen_target.h"
#include "tests/support/testcard.h"

namespace kalder_test {

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
