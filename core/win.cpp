// The main window, titled "Kalder": 640x480 in a frame, or over the whole screen.
#include "core/win.h"

#include "core/dsp.h"
#include "core/scr.h"
#include "plat/window.h"

PLAT_Window *WIN_MainWindow;
int32_t WIN_Width;
int32_t WIN_Height;

int WIN_InitDisplay(void *, int)
{
    SCR_Width = 640;
    SCR_Height = 480;
    WIN_Width = 640;
    WIN_Height = 480;
    WIN_MainWindow = PLAT_CreateWindow("Kalder", WIN_Width, WIN_Height, DSP_BackEnd == 0);
    if (WIN_MainWindow == nullptr) {
        return 0;
    }
    return DSP_Start();
}

void WIN_ShutdownDisplay() { DSP_Stop(); }
