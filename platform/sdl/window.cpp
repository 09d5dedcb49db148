// SDL main window, event pump and focus. One window, with one renderer that both display back-ends
// draw through.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <SDL.h>

#include "internal.h"
#include "plat/display.h"
#include "plat/window.h"
#include "sdl_input.h"

struct PLAT_Window {
    SDL_Window *sdl;
};

bool SDLB_RenderLost;

namespace {
PLAT_Window the_window;
SDL_Renderer *renderer;
bool video_started;
PLAT_WindowProc window_proc;
bool quit_posted;
Uint64 last_present;
bool pacing = true;

bool start_video()
{
    if (!video_started) {
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
            std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
            return false;
        }
        video_started = true;
        // The window lives until the process ends; SDL gives the display back then.
        std::atexit(SDL_Quit);
    }
    return true;
}

// The window's icon: a gold K on deep blue, drawn here rather than loaded.
void set_icon(SDL_Window *window)
{
    static Uint32 pixels[32 * 32];
    for (int y = 0; y < 32; y++) {
        for (int x = 0; x < 32; x++) {
            Uint32 colour = 0xFF182050;
            const bool border = x == 0 || y == 0 || x == 31 || y == 31;
            const bool stem = x >= 7 && x <= 10 && y >= 5 && y <= 26;
            // The two arms leave the stem's middle at 45 degrees.
            const int dx = x - 10;
            const int dy = y - 16;
            const bool upper_arm = dx + dy >= -2 && dx + dy <= 1;
            const bool lower_arm = dx - dy >= -2 && dx - dy <= 1;
            const bool arm = dx >= 0 && x <= 25 && y >= 5 && y <= 26 && (upper_arm || lower_arm);
            if (border) {
                colour = 0xFF3850A0;
            } else if (stem || arm) {
                colour = 0xFFE8B830;
            }
            pixels[y * 32 + x] = colour;
        }
    }
    SDL_Surface *icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels, 32, 32, 32, 32 * 4, SDL_PIXELFORMAT_ARGB8888);
    if (icon != nullptr) {
        SDL_SetWindowIcon(window, icon);
        SDL_FreeSurface(icon);
    }
}

int send(int event, int param) { return window_proc != nullptr ? window_proc(&the_window, event, param) : 0; }

// Returns 1 when the event asks the program to end.
int handle(const SDL_Event &event)
{
    SDLP_InputEvent(event);
    SDLS_SoundEvent(event);
    if (event.type == SDL_QUIT) {
        return 1;
    }
    if (event.type == SDL_RENDER_TARGETS_RESET || event.type == SDL_RENDER_DEVICE_RESET) {
        SDLB_RenderLost = true;
    }
    if (event.type == SDL_WINDOWEVENT && the_window.sdl != nullptr &&
        event.window.windowID == SDL_GetWindowID(the_window.sdl)) {
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            // Without a procedure that takes it, closing still ends the program.
            if (!send(PLAT_WINDOW_CLOSE, 0)) {
                return 1;
            }
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            if (send(PLAT_WINDOW_SYSCOMMAND, PLAT_SC_SCREENSAVE)) {
                SDL_DisableScreenSaver();
            }
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            SDL_EnableScreenSaver();
            break;
        default:
            break;
        }
    }
    if (quit_posted) {
        quit_posted = false;
        return 1;
    }
    return 0;
}
} // namespace

SDL_Window *SDLB_Window() { return the_window.sdl; }
SDL_Renderer *SDLB_Renderer() { return renderer; }

void SDLB_Present()
{
    const Uint64 now = SDL_GetTicks64();
    if (pacing && last_present != 0 && now - last_present < 10) {
        SDL_Delay(Uint32(10 - (now - last_present)));
    }
    SDL_RenderPresent(renderer);
    last_present = SDL_GetTicks64();
}

void PLAT_SetPresentPacing(int on) { pacing = on != 0; }

SDLB_Rect SDLB_FitFourThree(int width, int height)
{
    if (int64_t(width) * 3 > int64_t(height) * 4) {
        const int w = int(int64_t(height) * 4 / 3);
        return SDLB_Rect{(width - w) / 2, 0, w, height};
    }
    const int h = int(int64_t(width) * 3 / 4);
    return SDLB_Rect{0, (height - h) / 2, width, h};
}

int PLAT_RegisterWindowClass(const char *, PLAT_WindowProc proc)
{
    window_proc = proc;
    return 1;
}

void PLAT_ScreenSize(int *width, int *height)
{
    SDL_DisplayMode mode;
    if (start_video() && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        *width = mode.w;
        *height = mode.h;
    } else {
        *width = 640;
        *height = 480;
    }
}

PLAT_Window *PLAT_CreateWindow(const char *title, int width, int height, int fullscreen)
{
    if (!start_video()) {
        return nullptr;
    }
    PLAT_DestroyWindow(&the_window);
    const Uint32 flags = SDL_WINDOW_HIDDEN | (fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_RESIZABLE);
    SDL_Window *sdl = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height, flags);
    if (sdl == nullptr) {
        std::fprintf(stderr, "SDL_CreateWindow: %s\n", SDL_GetError());
        return nullptr;
    }
    set_icon(sdl);
    // A stretched bitmap and a display mode both showed whole pixels.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    // The full-screen display flipped on the vertical retrace; the window did not wait for it.
    const Uint32 vsync = fullscreen ? SDL_RENDERER_PRESENTVSYNC : 0;
    renderer = SDL_CreateRenderer(sdl, -1, SDL_RENDERER_ACCELERATED | vsync);
    if (renderer == nullptr) {
        std::fprintf(stderr, "SDL_CreateRenderer (accelerated): %s\n", SDL_GetError());
        renderer = SDL_CreateRenderer(sdl, -1, SDL_RENDERER_SOFTWARE);
    }
    if (renderer == nullptr) {
        std::fprintf(stderr, "SDL_CreateRenderer (software): %s\n", SDL_GetError());
        SDL_DestroyWindow(sdl);
        return nullptr;
    }
    the_window.sdl = sdl;
    SDLB_RenderLost = false;
    SDLP_StartInput();
    send(PLAT_WINDOW_CREATED, 0);
    return &the_window;
}

void PLAT_DestroyWindow(PLAT_Window *window)
{
    if (window != nullptr && window->sdl != nullptr) {
        if (renderer != nullptr) {
            SDL_DestroyRenderer(renderer);
            renderer = nullptr;
        }
        SDL_DestroyWindow(window->sdl);
        window->sdl = nullptr;
    }
}

void PLAT_ShowWindow(PLAT_Window *window)
{
    if (window == nullptr || window->sdl == nullptr) {
        return;
    }
    SDL_ShowWindow(window->sdl);
    // Without a window manager (Xvfb) nobody gives the new window the focus, and the game stands
    // still while it lacks it.
    SDL_RaiseWindow(window->sdl);
    SDL_SetWindowInputFocus(window->sdl);
}

void PLAT_HideCursor() { SDL_ShowCursor(SDL_DISABLE); }

void PLAT_ClientSize(PLAT_Window *, int *width, int *height)
{
    if (renderer == nullptr || SDL_GetRendererOutputSize(renderer, width, height) != 0) {
        *width = 640;
        *height = 480;
    }
}

void PLAT_PostQuit(int) { quit_posted = true; }

// A video driver that shows nothing on a screen (dummy, offscreen) gives no window the focus; there
// the game's window counts as focused, or it would stand still for ever.
static bool window_focused(SDL_Window *sdl)
{
    if (sdl == nullptr) {
        return false;
    }
    const char *driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0)) {
        return true;
    }
    return SDL_GetKeyboardFocus() == sdl;
}

int PLAT_PumpMessages()
{
    SDLC_Pump();
    SDL_Event event;
    // In the background the game stands still; waiting here keeps it from spinning a core.
    if (the_window.sdl != nullptr && !window_focused(the_window.sdl) && SDL_WaitEventTimeout(&event, 10)) {
        if (handle(event)) {
            return 1;
        }
    }
    while (SDL_PollEvent(&event)) {
        if (handle(event)) {
            return 1;
        }
    }
    if (quit_posted) {
        quit_posted = false;
        return 1;
    }
    return 0;
}

int PLAT_HasFocus(PLAT_Window *window)
{
    return window != nullptr && window_focused(window->sdl) ? 1 : 0;
}
