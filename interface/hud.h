// The HUD's pyramid gauges: life, mana, and air or the balance cursor.
#pragma once
#include <cstdint>

#include "engine3d/gfx_sprite.h"
#include "interface/menj.h"

// The gauges' icons, found by name at start-up ((-1, -1) when the table has no such icon).
struct HUD_IconSet {
    MENJ_Icon frame;      // "pyrambo"
    MENJ_Icon life;       // "pyramvi"
    MENJ_Icon mana;       // "pyramma"
    MENJ_Icon oxygen;     // "pyramox"
    MENJ_Icon life_flash; // "pyrafvi"
    MENJ_Icon mana_flash; // "pyrafma"
    MENJ_Icon cursor;     // "pyrcurs"
};
extern HUD_IconSet HUD_Icons;
// What the gauge blitter reads: the place, the frame and the life, mana and air fills.
extern GFX_GaugeRecord HUD_Gauge;

// What the pyramids show, kept from frame to frame: life and mana as shown (100.0 at start) and the
// cursor's blink.
struct HUD_GaugeMemory {
    float life;
    float mana;
    uint8_t blink;
};
extern HUD_GaugeMemory HUD_Memory;

// Start-up (MENJ_Init, after the icon sets): finds the gauge icons by name.
void HUD_BindIcons();
// Draws the two pyramids at screen pixel (x, y); the HUD calls it every frame. Life, mana and oxygen
// 0..100, balance -100..100; oxygen 0 shows the balance instead.
void HUD_DrawGauges(float life, float mana, float oxygen, float balance, int32_t x, int32_t y);
// Copies the fire into the alpha of the life and mana fills; HUD_DrawGauges, every frame.
void HUD_FillGauge();
