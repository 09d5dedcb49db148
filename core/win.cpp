// The main window, titled "Kalder": 640x480 in a frame, or over the whole screen. It is only a
// surface and a focus holder; keys and joysticks are polled, not taken from window events.
#include "core/win.h"

#include "core/dsp.h"
#include "core/inp.h"
#include "core/scr.h"
#include "plat/window.h"

PLAT_Window *WIN_MainWindow;
int32_t WIN_Width;
int32_t WIN_Height;

static constexpr int kVirtualKeyAlt = 0x12;

int WIN_InitDisplay(void *instance, int show_command)
{
    SCR_Width = 640;
    SCR_Height = 480;
    WIN_Width = 640;
    WIN_Height = 480;
    WIN_CreateMapping();
    if (!WIN_CreateWindow(instance, show_command)) {
        return 0;
    }
    return DSP_Start();
}

void WIN_ShutdownDisplay() { DSP_Stop(); }

// A named 32-byte mapping once told other programs that the game was running. Nothing here or
// elsewhere reads it, so nothing is made.
void WIN_CreateMapping() {}

int WIN_CreateWindow(void *, int)
{
    if (!PLAT_RegisterWindowClass("Kalder", WIN_WindowProc)) {
        return 0;
    }
    PLAT_Window *window;
    if (DSP_BackEnd == 1) {
        window = PLAT_CreateWindow("Kalder", WIN_Width, WIN_Height, 0);
    } else {
        int width = 0;
        int height = 0;
        PLAT_ScreenSize(&width, &height);
        window = PLAT_CreateWindow("Kalder", width, height, 1);
    }
    if (window == nullptr) {
        return 0;
    }
    WIN_MainWindow = window;
    PLAT_ShowWindow(window);
    PLAT_HideCursor();
    return 1;
}

int WIN_WindowProc(PLAT_Window *window, int event, int param)
{
    switch (event) {
    case PLAT_WINDOW_CREATED:
        WIN_OnCreate(window);
        return 1;
    case PLAT_WINDOW_CLOSE:
        WIN_OnDestroy(window);
        return 1;
    case PLAT_WINDOW_SYSKEY:
        // Alt alone must never reach the system menu.
        return param == kVirtualKeyAlt ? 1 : 0;
    case PLAT_WINDOW_SYSCOMMAND:
        // Neither the keyboard's system menu nor the screen saver may take over the game.
        return param == PLAT_SC_KEYMENU || param == PLAT_SC_SCREENSAVE ? 1 : 0;
    default:
        return 0;
    }
}

int WIN_OnCreate(PLAT_Window *)
{
    INP_ResetKeys();
    return 1;
}

// Closing the window ends the game rounds: the next pump reports the quit.
void WIN_OnDestroy(PLAT_Window *) { PLAT_PostQuit(0); }
