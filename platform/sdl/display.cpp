// SDL display. The window back-end's bitmap is uploaded to a texture and stretched over the client
// area. The full-screen display is emulated: it offers the game's sizes, "sets" a mode by recording
// it (the desktop mode never changes), and flips by showing its back buffer at 4:3 over the screen.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <SDL.h>

#include "internal.h"
#include "plat/display.h"

struct PLAT_Dib {
    int width;
    int height;
    std::vector<uint16_t> pixels;
    SDL_Texture *texture;
};

struct PLAT_Dc {
    PLAT_Dib *selected;
};

struct PLAT_DirectDraw {
    int unused;
};

struct PLAT_DirectDraw2 {
    int unused;
};

struct PLAT_Surface {
    int width;
    int height;
    int32_t pitch;
    std::vector<uint8_t> bytes; // the back buffer's
    PLAT_Surface *back;         // the primary's back buffer; null for the back buffer itself
    SDL_Texture *texture;       // the primary's
    Uint32 format;
};

namespace {

struct OfferedSize {
    int width;
    int height;
};

// The sizes of the game's resolution table. 800x600 is offered too: the game refuses it itself.
const OfferedSize offered[] = {{640, 480}, {800, 600}, {640, 400}, {400, 300}, {320, 400}, {320, 200}};

struct Masks {
    uint32_t red;
    uint32_t green;
    uint32_t blue;
};

const Masks masks_565 = {0xF800, 0x07E0, 0x001F};
const Masks masks_555 = {0x7C00, 0x03E0, 0x001F};

// The emulated display: its pixel format, chosen when it is created, and the mode last set.
Masks display_masks = masks_565;
int display_refresh = 60;
int mode_width;
int mode_height;

SDL_Texture *make_texture(Uint32 format, int width, int height)
{
    if (SDLB_Renderer() == nullptr) {
        return nullptr;
    }
    SDL_Texture *texture = SDL_CreateTexture(SDLB_Renderer(), format, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (texture == nullptr) {
        std::fprintf(stderr, "SDL_CreateTexture: %s\n", SDL_GetError());
    }
    return texture;
}

} // namespace

PLAT_Dc *PLAT_CreateMemoryDc() { return new PLAT_Dc{nullptr}; }

void PLAT_DeleteDc(PLAT_Dc *dc) { delete dc; }

PLAT_Dib *PLAT_CreateDib(PLAT_Dc *, int width, int height, uint16_t **bits)
{
    if (width <= 0 || height <= 0) {
        return nullptr;
    }
    SDL_Texture *texture = make_texture(SDL_PIXELFORMAT_RGB565, width, height);
    if (texture == nullptr) {
        return nullptr;
    }
    auto *dib = new PLAT_Dib{width, height, std::vector<uint16_t>(size_t(width) * size_t(height)), texture};
    *bits = dib->pixels.data();
    return dib;
}

void PLAT_DeleteDib(PLAT_Dib *dib)
{
    if (dib != nullptr) {
        if (dib->texture != nullptr) {
            SDL_DestroyTexture(dib->texture);
        }
        delete dib;
    }
}

PLAT_Dib *PLAT_SelectDib(PLAT_Dc *dc, PLAT_Dib *dib)
{
    PLAT_Dib *before = dc->selected;
    dc->selected = dib;
    return before;
}

void PLAT_StretchDib(PLAT_Window *, PLAT_Dc *dc, int width, int height, int dest_width, int dest_height)
{
    PLAT_Dib *dib = dc->selected;
    if (dib == nullptr || SDLB_Renderer() == nullptr) {
        return;
    }
    if (SDLB_RenderLost) {
        SDL_DestroyTexture(dib->texture);
        dib->texture = make_texture(SDL_PIXELFORMAT_RGB565, dib->width, dib->height);
        SDLB_RenderLost = false;
    }
    if (dib->texture == nullptr) {
        return;
    }
    SDL_UpdateTexture(dib->texture, nullptr, dib->pixels.data(), dib->width * 2);
    const SDL_Rect source{0, 0, width, height};
    const SDL_Rect dest{0, 0, dest_width, dest_height};
    SDL_RenderCopy(SDLB_Renderer(), dib->texture, &source, &dest);
    SDLB_Present();
}

PLAT_DirectDraw *PLAT_DDCreate()
{
    if (SDLB_Renderer() == nullptr) {
        return nullptr;
    }
    // KALDER_RGB555=1 makes the display offer RGB555 modes only, so that the 15-bit path can be seen.
    const char *rgb555 = std::getenv("KALDER_RGB555");
    display_masks = rgb555 != nullptr && std::strcmp(rgb555, "1") == 0 ? masks_555 : masks_565;
    SDL_DisplayMode desktop;
    display_refresh = SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.refresh_rate > 0 ? desktop.refresh_rate : 60;
    mode_width = mode_height = 0;
    return new PLAT_DirectDraw{};
}

PLAT_DirectDraw2 *PLAT_DDQueryInterface2(PLAT_DirectDraw *) { return new PLAT_DirectDraw2{}; }

int PLAT_DDSetCooperativeLevel(PLAT_DirectDraw2 *, PLAT_Window *) { return 1; }

void PLAT_DDEnumModes(PLAT_DirectDraw2 *, int width, int height, uint32_t red_mask, uint32_t green_mask,
                      uint32_t blue_mask, PLAT_ModeCallback callback, void *context)
{
    if (red_mask != display_masks.red || green_mask != display_masks.green || blue_mask != display_masks.blue) {
        return;
    }
    for (const OfferedSize &size : offered) {
        if (size.width == width && size.height == height) {
            callback(width, height, display_refresh, red_mask, green_mask, blue_mask, context);
        }
    }
}

int PLAT_DDSetDisplayMode(PLAT_DirectDraw2 *, int width, int height, int bits, int)
{
    if (bits != 16) {
        return 0;
    }
    for (const OfferedSize &size : offered) {
        if (size.width == width && size.height == height) {
            mode_width = width;
            mode_height = height;
            return 1;
        }
    }
    return 0;
}

int PLAT_DDGetDisplayMasks(PLAT_DirectDraw2 *, uint32_t *red_mask, uint32_t *green_mask, uint32_t *blue_mask)
{
    if (mode_width == 0) {
        return 0;
    }
    *red_mask = display_masks.red;
    *green_mask = display_masks.green;
    *blue_mask = display_masks.blue;
    return 1;
}

PLAT_Surface *PLAT_DDCreateFlipChain(PLAT_DirectDraw2 *)
{
    if (mode_width == 0) {
        return nullptr;
    }
    const Uint32 format = display_masks.red == masks_555.red ? SDL_PIXELFORMAT_RGB555 : SDL_PIXELFORMAT_RGB565;
    SDL_Texture *texture = make_texture(format, mode_width, mode_height);
    if (texture == nullptr) {
        return nullptr;
    }
    // Rows aligned to 64 bytes, as display memory often was: a row is then wider than the picture's
    // at some sizes (400x300).
    const int32_t pitch = (mode_width * 2 + 63) & ~63;
    auto *back = new PLAT_Surface{mode_width, mode_height, pitch,
                                  std::vector<uint8_t>(size_t(pitch) * size_t(mode_height)), nullptr, nullptr, format};
    return new PLAT_Surface{mode_width, mode_height, pitch, {}, back, texture, format};
}

PLAT_Surface *PLAT_DDGetBackSurface(PLAT_Surface *primary) { return primary->back; }

int PLAT_DDLock(PLAT_Surface *surface, uint8_t **pixels, int32_t *pitch)
{
    *pixels = surface->bytes.data();
    *pitch = surface->pitch;
    return 1;
}

void PLAT_DDUnlock(PLAT_Surface *) {}

int PLAT_DDFlip(PLAT_Surface *primary)
{
    if (SDLB_RenderLost) {
        return PLAT_FLIP_LOST;
    }
    SDL_Renderer *renderer = SDLB_Renderer();
    if (renderer == nullptr || primary->texture == nullptr) {
        return PLAT_FLIP_ERROR;
    }
    const PLAT_Surface *back = primary->back;
    SDL_UpdateTexture(primary->texture, nullptr, back->bytes.data(), back->pitch);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    int out_width = 0;
    int out_height = 0;
    SDL_GetRendererOutputSize(renderer, &out_width, &out_height);
    const SDLB_Rect fit = SDLB_FitFourThree(out_width, out_height);
    const SDL_Rect dest{fit.x, fit.y, fit.w, fit.h};
    SDL_RenderCopy(renderer, primary->texture, nullptr, &dest);
    SDLB_Present();
    return PLAT_FLIP_OK;
}

int PLAT_DDRestore(PLAT_Surface *primary)
{
    if (primary->texture != nullptr) {
        SDL_DestroyTexture(primary->texture);
    }
    primary->texture = make_texture(primary->format, primary->width, primary->height);
    SDLB_RenderLost = false;
    return primary->texture != nullptr ? 1 : 0;
}

void PLAT_DDReleaseSurface(PLAT_Surface *surface)
{
    if (surface != nullptr) {
        if (surface->texture != nullptr) {
            SDL_DestroyTexture(surface->texture);
        }
        delete surface->back;
        delete surface;
    }
}

void PLAT_DDRelease2(PLAT_DirectDraw2 *dd) { delete dd; }

void PLAT_DDRelease(PLAT_DirectDraw *dd)
{
    mode_width = mode_height = 0;
    delete dd;
}
