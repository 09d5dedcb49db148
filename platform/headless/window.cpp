// Headless window: a record of the window and a scripted focus and quit request.
#include "plat/test.h"
#include "plat/window.h"

#include "internal.h"

struct PLAT_Window {
    int width;
    int height;
    int fullscreen;
};

namespace {
PLAT_Window the_window;
bool window_open;
int windows_created;
bool quit_pending;
bool focused = true;
} // namespace

PLAT_Window *PLAT_CreateWindow(const char *, int width, int height, int fullscreen)
{
    the_window = PLAT_Window{width, height, fullscreen};
    window_open = true;
    windows_created++;
    return &the_window;
}

void PLAT_DestroyWindow(PLAT_Window *window)
{
    if (window == &the_window) {
        window_open = false;
    }
}

int PLAT_PumpMessages()
{
    if (quit_pending) {
        quit_pending = false;
        return 1;
    }
    return 0;
}

int PLAT_HasFocus(PLAT_Window *window) { return window == &the_window && window_open && focused; }

void HL_ResetWindow()
{
    window_open = false;
    windows_created = 0;
    quit_pending = false;
    focused = true;
}

namespace test {

void PostQuit() { quit_pending = true; }
void SetFocus(bool f) { focused = f; }
int WindowsCreated() { return windows_created; }
bool WindowOpen() { return window_open; }

} // namespace test

void PLAT_PostQuit(int) { test::PostQuit(); }
