// The main window and the start and release of the display around it.
#pragma once
#include <cstdint>

struct PLAT_Window;

extern PLAT_Window *WIN_MainWindow;
extern int32_t WIN_Width;  // size of the picture the display presents
extern int32_t WIN_Height;

int WIN_InitDisplay(void *instance, int show_command);
void WIN_ShutdownDisplay();
void WIN_CreateMapping();
int WIN_CreateWindow(void *instance, int show_command);
int WIN_WindowProc(PLAT_Window *window, int event, int param);
int WIN_OnCreate(PLAT_Window *window);
void WIN_OnDestroy(PLAT_Window *window);
