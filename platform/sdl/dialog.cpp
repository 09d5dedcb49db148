// SDL message boxes; the text also goes to standard error, where it survives a missing display.
#include <cstdio>

#include <SDL.h>

#include "plat/dialog.h"

void PLAT_MessageBox(PLAT_Window *, const char *text, const char *title, int icon)
{
    std::fprintf(stderr, "[%s] %s\n", title, text);
    std::fflush(stderr);
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    if (icon == PLAT_ICON_ERROR) {
        flags = SDL_MESSAGEBOX_ERROR;
    } else if (icon == PLAT_ICON_WARNING || icon == PLAT_ICON_EXCLAMATION) {
        flags = SDL_MESSAGEBOX_WARNING;
    }
    // Without an owner the box stays on its own, as it would over a released full-screen display.
    SDL_ShowSimpleMessageBox(flags, title, text, nullptr);
}

// There is no system beep to stand in for: the box itself tells the player.
void PLAT_Beep(int) {}
