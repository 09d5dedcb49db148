// The option hot keys of the running game, the screen size table and the help and debug overlays.
#pragma once
#include <cstdint>

struct OPT_Resolution {
    int32_t width;
    int32_t height;
};

extern int32_t OPT_RealShadow;        // 1 true shadows, 0 flat ones
extern int32_t OPT_Cinemascope;       // 1 letterboxed 3D view, 0 the full screen
extern int32_t GAME_AltHeroModel;     // which of the hero's two models loads next
extern int32_t OPT_CameraPreset;      // 0..5, read by CAM_LoadPreset
extern int32_t OPT_ControlHelp;       // 1: the next game frame draws the key help
extern float GAME_FadeTimer;          // counted down by the world; the Ctrl toggles wait for 0
extern OPT_Resolution OPT_ResolutionTable[6];
extern int32_t OPT_ResolutionIndex;
// Overlays that nothing in the game switches on.
extern int32_t OPT_DebugCounters;
extern int32_t OPT_DebugPanel;
extern int32_t OPT_AllPowers;
extern int32_t OPT_AllPowersCount;

void OPT_HandleHotkeys();
void OPT_SetResolution(int32_t index);
// The 3D view of a screen of that size under the letterbox in force, with the project's far clip:
// set by a resolution change, and given back after the save thumbnail's render.
void OPT_SetView(int32_t width, int32_t height);
void OPT_DrawControlHelp();
void OPT_DrawDebugPanel();
// Formats a value printf-style and draws it in font 1 at (x, y): the debug overlays' one printer.
__attribute__((format(printf, 3, 4))) void OPT_DrawValue(int32_t x, int32_t y, const char *format, ...);
// One step of the all-powers sequence: gives the hero the next power while its switch is on.
void OPT_GiveAllPowers();
