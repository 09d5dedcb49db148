// The HUD's pyramid gauges: the icons they are drawn from, the shown values that make them flash, the
// fire that burns in them and the balance cursor.
#include "interface/hud.h"

#include "core/dsp.h"
#include "core/fconv.h"
#include "core/scr.h"
#include "engine3d/proctex.h"
#include "interface/ico.h"
#include "interface/menu.h"

HUD_IconSet HUD_Icons = {{-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}};
GFX_GaugeRecord HUD_Gauge;
HUD_GaugeMemory HUD_Memory = {100.0f, 100.0f, 0};

namespace {

// The fire map's rows and the part of them that burns in the pyramids.
constexpr int32_t Fire_Rows = 84;
constexpr int32_t Fire_Row_Bytes = 64;
constexpr int32_t Fire_First_Column = 10;
constexpr int32_t Fire_Columns = 32;
constexpr int32_t Life_Fire_Shift = 15;
// The fills are read as 64 pixels of two bytes a row, whatever their width.
constexpr int32_t Fill_Row_Bytes = 128;

// The entry of an icon that has pixels, else null.
const SPR_Entry *picture(const MENJ_Icon &icon)
{
    const SPR_Entry *entry = ICO_Entry(icon.set, icon.sprite, 0);
    return entry != nullptr && entry->pixels != nullptr ? entry : nullptr;
}

// The blitter would read a missing frame or fill: without all four nothing is drawn or filled.
bool gauges_complete()
{
    return HUD_Gauge.base != nullptr && HUD_Gauge.fill1 != nullptr && HUD_Gauge.fill2 != nullptr &&
           HUD_Gauge.fill3 != nullptr;
}

// The fire into one fill's pixels first..first+31 from map column + shift. A pixel beyond the
// sprite's own pixels is not written.
void fill_alpha(const SPR_Entry *fill, int32_t first, int32_t shift)
{
    auto *pixels = const_cast<uint8_t *>(fill->pixels);
    const int64_t end = int64_t(fill->width) * fill->height * 2;
    for (int32_t row = 0; row < Fire_Rows; row++) {
        for (int32_t c = 0; c < Fire_Columns; c++) {
            const int64_t at = int64_t(row) * Fill_Row_Bytes + int64_t(first + c) * 2;
            if (at >= end) {
                continue;
            }
            pixels[at + 1] = GFX_FireMap[row * Fire_Row_Bytes + Fire_First_Column + c + shift];
        }
    }
}

} // namespace

void HUD_BindIcons()
{
    HUD_Icons.frame = MENJ_FindIcon("pyrambo");
    HUD_Icons.life = MENJ_FindIcon("pyramvi");
    HUD_Icons.mana = MENJ_FindIcon("pyramma");
    HUD_Icons.oxygen = MENJ_FindIcon("pyramox");
    HUD_Icons.life_flash = MENJ_FindIcon("pyrafvi");
    HUD_Icons.mana_flash = MENJ_FindIcon("pyrafma");
    HUD_Icons.cursor = MENJ_FindIcon("pyrcurs");
    HUD_Gauge.base = picture(HUD_Icons.frame);
    HUD_Gauge.fill1 = picture(HUD_Icons.life);
    HUD_Gauge.fill2 = picture(HUD_Icons.mana);
    HUD_Gauge.fill3 = picture(HUD_Icons.oxygen);
}

void HUD_FillGauge()
{
    if (!gauges_complete()) {
        return;
    }
    fill_alpha(HUD_Gauge.fill1, 0, Life_Fire_Shift);
    fill_alpha(HUD_Gauge.fill2, Fire_Columns, 0);
}

void HUD_DrawGauges(float life, float mana, float oxygen, float balance, int32_t x, int32_t y)
{
    if (!gauges_complete()) {
        return;
    }
    HUD_Gauge.x = x;
    HUD_Gauge.y = y;
    const uint8_t halve_w = SCR_Width <= 400 ? 1 : 0;
    const uint8_t halve_h = SCR_Height < 400 ? 1 : 0;
    const SPR_Entry *life_fill = HUD_Gauge.fill1;
    const SPR_Entry *mana_fill = HUD_Gauge.fill2;
    const SPR_Entry *life_flash = picture(HUD_Icons.life_flash);
    const SPR_Entry *mana_flash = picture(HUD_Icons.mana_flash);

    HUD_GaugeMemory &shown = HUD_Memory;
    if (shown.life - life > 1.0f) {
        shown.life = life;
        if (life_flash != nullptr) {
            HUD_Gauge.fill1 = life_flash;
        }
    }
    if (life <= 0.0f) {
        shown.life = 100.0f;
        shown.mana = 100.0f;
    }
    if (mana < shown.mana) {
        shown.mana = mana;
    } else if (mana - shown.mana > 1.0f) {
        shown.mana = mana;
        if (mana_flash != nullptr) {
            HUD_Gauge.fill2 = mana_flash;
        }
    }
    HUD_FillGauge();

    const int32_t life_level = trunc_i32(life / 100.0f * 48.0f);
    const int32_t mana_level = trunc_i32(mana / 100.0f * 48.0f);
    DSP_BeginDraw();
    if (oxygen != 0.0f) {
        GFX_DrawGaugeSprite(&HUD_Gauge, life_level, mana_level, trunc_i32(oxygen / 100.0f * 76.0f), 0,
                            GFX_GaugeOptions(halve_w, halve_h, 0));
        DSP_EndDraw();
    } else {
        const bool at_edge = balance >= 95.0f || balance <= -95.0f;
        shown.blink = at_edge ? uint8_t(shown.blink ^ 1) : 0;
        const int32_t row = trunc_i32((balance + 100.0f) / 200.0f * 76.0f);
        GFX_DrawGaugeSprite(&HUD_Gauge, life_level, mana_level, row, 1,
                            GFX_GaugeOptions(halve_w, halve_h, shown.blink));
        DSP_EndDraw();
        if (HUD_Icons.cursor.set >= 0) {
            ICO_Draw(HUD_Icons.cursor.set, HUD_Icons.cursor.sprite, 0, x + 30 / MENU_Layout.h_divisor,
                     y + (77 - row) / MENU_Layout.v_divisor);
        }
    }
    HUD_Gauge.fill1 = life_fill;
    HUD_Gauge.fill2 = mana_fill;
}
