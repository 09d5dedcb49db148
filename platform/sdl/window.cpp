// SDL main window, event pump and focus.
#include <cstdio>
#include <cstdlib>

#include <SDL.h>

#include "plat/window.h"
#include "sdl_input.h"

struct PLAT_Window {
    SDL_Window *sdl;
};

namespace {
PLAT_Window the_window;
bool video_started;
} // namespace

PLAT_Window *PLAT_CreateWindow(const char *title, int width, int height, int fullscreen)
{
    if (!video_started) {
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
            std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
            return nullptr;
        }
        video_started = true;
        // The window lives until the process ends; SDL gives the display back then.
        std::atexit(SDL_Quit);
    }
    Uint32 flags = fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_RESIZABLE;
    SDL_Window *sdl = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width,
                                       height, flags);
    if (sdl == nullptr) {
        std::fprintf(stderr, "SDL_CreateWindow: %s\n", SDL_GetError());
        return nullptr;
    }
    SDL_ShowCursor(SDL_DISABLE);
    // Without a window manager (Xvfb) nobody gives the new window the focus, and the game stands
    // still while it lacks it.
    SDL_RaiseWindow(sdl);
    SDL_SetWindowInputFocus(sdl);
    the_window.sdl = sdl;
    SDLP_StartInput();
    return &the_window;
}

void PLAT_DestroyWindow(PLAT_Window *window)
{
    if (window != nullptr && window->sdl != nullptr) {
        SDL_DestroyWindow(window->sdl);
        window->sdl = nullptr;
    }
}

int PLAT_PumpMessages()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        SDLP_InputEvent(event);
        if (event.type == SDL_QUIT) {
            return 1;
        }
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) {
            return 1;
        }
    }
    return 0;
}

int PLAT_HasFocus(PLAT_Window *window)
{
    return window != nullptr && window->sdl != nullptr && SDL_GetKeyboardFocus() == window->sdl;
}

void PLAT_PostQuit(int)
{
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
}
