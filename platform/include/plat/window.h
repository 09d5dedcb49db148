// The main window: creation, the message pump and the focus test.
#pragma once

struct PLAT_Window;

// What the platform tells the window procedure. The answer is 1 when the procedure handled the event,
// 0 to leave it to the platform's default handling.
enum PLAT_WindowEvent {
    PLAT_WINDOW_CREATED = 1,   // during PLAT_CreateWindow; param 0
    PLAT_WINDOW_CLOSE = 2,     // the user closed the window; param 0
    PLAT_WINDOW_SYSKEY = 3,    // a system key (a key with Alt held); param = its virtual-key code
    PLAT_WINDOW_SYSCOMMAND = 4 // a system command; param = one of PLAT_SysCommand
};

enum PLAT_SysCommand {
    PLAT_SC_KEYMENU = 1,    // the keyboard would open the system menu
    PLAT_SC_SCREENSAVE = 2, // the screen saver would start
    PLAT_SC_OTHER = 3,
};

using PLAT_WindowProc = int (*)(PLAT_Window *window, int event, int param);

// Registers the procedure that every later window event goes to. Returns 1, or 0 on failure.
int PLAT_RegisterWindowClass(const char *name, PLAT_WindowProc proc);

// The size of the whole screen, for a window that covers it.
void PLAT_ScreenSize(int *width, int *height);

// Creates the one window of the program, hidden. Windowed: a client area of width x height in a frame
// the user can resize. Full-screen: a borderless top-most window of width x height at (0, 0).
// Returns null on failure.
PLAT_Window *PLAT_CreateWindow(const char *title, int width, int height, int fullscreen);
void PLAT_DestroyWindow(PLAT_Window *window);
void PLAT_ShowWindow(PLAT_Window *window);
// Hides the mouse cursor over the window for the rest of the program.
void PLAT_HideCursor();

// The size of the area the picture is shown in; follows the user's resizing.
void PLAT_ClientSize(PLAT_Window *window, int *width, int *height);

// Asks the pump to report a quit request with that code (the window was closed).
void PLAT_PostQuit(int code);

// Empties the platform's event queue, handing window events to the window procedure. Returns 1 when
// a quit request (the window was closed, or the session asked the program to end) was taken from it;
// each request is reported once.
int PLAT_PumpMessages();

// 1 while the window holds the input focus.
int PLAT_HasFocus(PLAT_Window *window);
