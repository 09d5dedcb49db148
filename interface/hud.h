// The HUD's pyramid gauges: life, mana, and air or the balance cursor.
#pragma once
#include <cstdint>

// Start-up (MENJ_Init, after the icon sets): finds the gauge icons by name.
void HUD_BindIcons();
// Draws the two pyramids at screen pixel (x, y); the HUD calls it every frame. Life, mana and oxygen
// 0..100, balance -100..100; oxygen 0 shows the balance instead.
void HUD_DrawGauges(float life, float mana, float oxygen, float balance, int32_t x, int32_t y);
