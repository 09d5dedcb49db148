// Headless window: a record of the window, its procedure, and a scripted screen, client size, focus
// and quit request.
#include <functional>

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
PLAT_WindowProc window_proc;
test::WindowRecord record;
int screen_width = 1024;
int screen_height = 768;
int client_width;
int client_height;
std::function<void()> pump_hook;
} // namespace

int PLAT_RegisterWindowClass(const char *, PLAT_WindowProc proc)
{
    if (HL_ShouldFail(int(test::Call::RegisterClass))) {
        return 0;
    }
    window_proc = proc;
    return 1;
}

void PLAT_ScreenSize(int *width, int *height)
{
    *width = screen_width;
    *height = screen_height;
}

PLAT_Window *PLAT_CreateWindow(const char *title, int width, int height, int fullscreen)
{
    if (HL_ShouldFail(int(test::Call::CreateWindow))) {
        return nullptr;
    }
    the_window = PLAT_Window{width, height, fullscreen};
    window_open = true;
    windows_created++;
    record = test::WindowRecord{fullscreen != 0, title, width, height, false, false};
    client_width = width;
    client_height = height;
    if (window_proc != nullptr) {
        window_proc(&the_window, PLAT_WINDOW_CREATED, 0);
    }
    return &the_window;
}

void PLAT_DestroyWindow(PLAT_Window *window)
{
    if (window == &the_window) {
        window_open = false;
    }
}

void PLAT_ShowWindow(PLAT_Window *window)
{
    if (window == &the_window) {
        record.shown = true;
    }
}

void PLAT_HideCursor() { record.cursor_hidden = true; }

void PLAT_ClientSize(PLAT_Window *, int *width, int *height)
{
    *width = client_width;
    *height = client_height;
}

void PLAT_PostQuit(int) { quit_pending = true; }

int PLAT_PumpMessages()
{
    if (pump_hook) {
        pump_hook();
    }
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
    window_proc = nullptr;
    record = test::WindowRecord{};
    screen_width = 1024;
    screen_height = 768;
    client_width = client_height = 0;
    pump_hook = nullptr;
}

namespace test {

void PostQuit() { quit_pending = true; }

void SetPumpHook(std::function<void()> hook) { pump_hook = std::move(hook); }
void SetFocus(bool f) { focused = f; }
int WindowsCreated() { return windows_created; }
bool WindowOpen() { return window_open; }
const WindowRecord &Window() { return record; }

void SetScreenSize(int width, int height)
{
    screen_width = width;
    screen_height = height;
}

void SetClientSize(int width, int height)
{
    client_width = width;
    client_height = height;
}

int SendWindowEvent(int event, int param)
{
    if (window_proc == nullptr) {
        return 0;
    }
    return window_proc(&the_window, event, param);
}

} // namespace test

