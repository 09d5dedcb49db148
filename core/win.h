// The main window and the start and release of the display around it.
#pragma once
#include <cstdint>

struct PLAT_Window;

extern PLAT_Window *WIN_MainWindow;
extern int32_t WIN_Width;
extern int32_t WIN_Height;

int WIN_InitDisplay(void *instance, int show_command);
void WIN_ShutdownDisplay();
