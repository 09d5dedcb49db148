// The main window: creation, the message pump and the focus test.
#pragma once

struct PLAT_Window;

// Creates the one window of the program. Windowed: a client area of width x height.
// Full-screen: a borderless window over the whole screen. Returns null on failure.
PLAT_Window *PLAT_CreateWindow(const char *title, int width, int height, int fullscreen);
void PLAT_DestroyWindow(PLAT_Window *window);

// Empties the platform's event queue. Returns 1 when a quit request (the window was closed, or the
// session asked the program to end) was taken from it; each request is reported once.
int PLAT_PumpMessages();

// 1 while the window holds the input focus.
int PLAT_HasFocus(PLAT_Window *window);

// Asks the pump to report a quit request with that code (the window was closed).
void PLAT_PostQuit(int code);
