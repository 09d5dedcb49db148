// The display back-ends that bring the frame buffer to the screen: a bitmap stretched into the
// window (kalder), or an exclusive full-screen display with a flipping chain (kalderdx).
#pragma once
#include <cstdint>

struct DSP_Mode {
    int32_t valid;   // the display offers this mode
    int32_t width;
    int32_t height;
    int32_t bits;    // 16 = RGB565, 15 = RGB555
    int32_t refresh; // the last refresh rate the display offered for it
};

extern int32_t DSP_BackEnd; // 1 window back-end (kalder), 0 full-screen back-end (kalderdx)
extern int32_t DSP_Rgb555;  // 1 when the display's pixels are RGB555, 0 for RGB565
extern DSP_Mode DSP_ModeTable[10];
extern uint8_t *HNM_TargetTexture; // the film-fed scene texture's texels; null while no scene binds one

int DSP_Start();
void DSP_Stop();
int DSP_SetMode(int32_t width, int32_t height);
void DSP_Present();
void DSP_BeginDraw();
void DSP_EndDraw();
void DSP_DirectDrawError(const char *text);

int DSP_StartGdi();
int DSP_CreateDib(int32_t width, int32_t height);
int DSP_SetModeGdi(int32_t width, int32_t height);
void DSP_PresentGdi();

int DSP_StartDirectDraw();
void DSP_EnumModes();
int DSP_EnumModeCallback(int width, int height, int refresh, uint32_t red_mask, uint32_t green_mask,
                         uint32_t blue_mask, void *entry);
int DSP_SetModeDirectDraw(int32_t width, int32_t height);
void DSP_PresentDirectDraw();
