// The display back-ends that bring the frame buffer to the screen.
#pragma once
#include <cstdint>

extern int32_t DSP_BackEnd; // 1 window back-end (kalder), 0 full-screen back-end (kalderdx)
extern int32_t DSP_Rgb555;  // 1 when the display's pixels are RGB555, 0 for RGB565
extern uint8_t *HNM_TargetTexture;

int DSP_Start();
void DSP_Stop();
int DSP_SetMode(int32_t width, int32_t height);
void DSP_Present();
void DSP_BeginDraw();
void DSP_EndDraw();
