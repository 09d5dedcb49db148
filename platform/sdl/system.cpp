// SDL back-end process services.
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include <SDL.h>

#include "plat/system.h"

void PLAT_Exit(int code)
{
    std::fflush(stdout);
    std::fflush(stderr);
    // Give a full-screen desktop back before the process goes.
    SDL_Quit();
    _exit(code);
}

void PLAT_WriteStdout(const char *text)
{
    std::fputs(text, stdout);
    std::fflush(stdout);
}

void PLAT_WriteStderr(const char *text) { std::fputs(text, stderr); }

void *PLAT_HeapAlloc(size_t size) { return std::malloc(size); }
void PLAT_HeapFree(void *block) { std::free(block); }
void *PLAT_HeapRealloc(void *block, size_t size) { return std::realloc(block, size); }
