// Display services: a memory bitmap stretched into the window, and an exclusive full-screen display
// with a mode list, a flipping chain of two surfaces and surface locks.
#pragma once
#include <cstdint>

struct PLAT_Window;
struct PLAT_Dc;
struct PLAT_Dib;
struct PLAT_DirectDraw;
struct PLAT_DirectDraw2;
struct PLAT_Surface;

// Memory bitmap of the window back-end. A DIB is width x height 16-bit RGB565 pixels, rows top-down,
// stride = width; *bits receives its pixels.
PLAT_Dc *PLAT_CreateMemoryDc();
void PLAT_DeleteDc(PLAT_Dc *dc);
PLAT_Dib *PLAT_CreateDib(PLAT_Dc *dc, int width, int height, uint16_t **bits);
void PLAT_DeleteDib(PLAT_Dib *dib);
// Selects the DIB into the context and returns the one selected before (null: none).
PLAT_Dib *PLAT_SelectDib(PLAT_Dc *dc, PLAT_Dib *dib);
// Stretches the top-left width x height pixels of the context's DIB onto the window's client area
// at (0, 0, dest_width, dest_height).
void PLAT_StretchDib(PLAT_Window *window, PLAT_Dc *dc, int width, int height, int dest_width,
                     int dest_height);

// Full-screen display.
enum PLAT_FlipResult {
    PLAT_FLIP_OK = 0,
    PLAT_FLIP_LOST = 1,     // the surface memory was lost and must be restored
    PLAT_FLIP_STILL = 2,    // the display is still busy with the last flip
    PLAT_FLIP_ERROR = 3,
};

// Called once per display mode (and per refresh rate of a mode) that matches the enumeration's size
// and masks. Returns 1 to go on.
using PLAT_ModeCallback = int (*)(int width, int height, int refresh, uint32_t red_mask,
                                  uint32_t green_mask, uint32_t blue_mask, void *context);

PLAT_DirectDraw *PLAT_DDCreate();
PLAT_DirectDraw2 *PLAT_DDQueryInterface2(PLAT_DirectDraw *dd);
// Exclusive use of the whole screen for the window.
int PLAT_DDSetCooperativeLevel(PLAT_DirectDraw2 *dd, PLAT_Window *window);
void PLAT_DDEnumModes(PLAT_DirectDraw2 *dd, int width, int height, uint32_t red_mask, uint32_t green_mask,
                      uint32_t blue_mask, PLAT_ModeCallback callback, void *context);
int PLAT_DDSetDisplayMode(PLAT_DirectDraw2 *dd, int width, int height, int bits, int refresh);
// The pixel masks of the display mode in use.
int PLAT_DDGetDisplayMasks(PLAT_DirectDraw2 *dd, uint32_t *red_mask, uint32_t *green_mask,
                           uint32_t *blue_mask);
// The primary surface of a flipping chain with one back buffer, at the display mode's size.
PLAT_Surface *PLAT_DDCreateFlipChain(PLAT_DirectDraw2 *dd);
PLAT_Surface *PLAT_DDGetBackSurface(PLAT_Surface *primary);
int PLAT_DDLock(PLAT_Surface *surface, uint8_t **pixels, int32_t *pitch);
void PLAT_DDUnlock(PLAT_Surface *surface);
int PLAT_DDFlip(PLAT_Surface *primary);
int PLAT_DDRestore(PLAT_Surface *primary);
void PLAT_DDReleaseSurface(PLAT_Surface *surface);
void PLAT_DDRelease2(PLAT_DirectDraw2 *dd);
void PLAT_DDRelease(PLAT_DirectDraw *dd);

// On (the default): presents and flips come at least 10 ms apart, so that the game's time factor
// keeps following real time. Only benchmarks switch it off, to measure the present alone. The
// headless display has no pacing and ignores it.
void PLAT_SetPresentPacing(int on);
