// SDL display. The window back-end's bitmap is uploaded to a texture and stretched over the client
// area. The full-screen display is emulated: it offers the game's sizes, "sets" a mode by recording
// it (the desktop mode never changes), and flips by showing its back buffer at 4:3 over the screen.
#include <algorithm>
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

// On SDL's software renderer a scaled copy between two formats goes through SDL's generic blit, one
// pixel at a time through its channel unpacking. There the picture is scaled and converted here: each
// 16-bit pixel through a table (built once per pair of formats from SDL's own channel widening, so
// the colours are those of SDL's scaled copy), each output column and row taken by SDL's own nearest-neighbour stepping, into a
// streaming texture of the output's size in the window's format, which the renderer then copies
// unscaled. An accelerated renderer scales on the GPU and keeps SDL's path.
struct OwnScaler {
    bool enabled = true;
    SDL_Texture *texture = nullptr; // belongs to the window's renderer
    Uint32 format = 0;              // the texture's, the window's
    int width = 0;
    int height = 0;
    int bytes = 0; // per output pixel: 2 or 4
    Uint32 table_source = 0;
    Uint32 table_format = 0;
    std::vector<uint32_t> table; // a 16-bit pixel of the source format -> the output's pixel
    std::vector<int> columns;    // output column -> source column
    int columns_source = -1;
    int columns_output = -1;
};

OwnScaler scaler;

void drop_scaler_texture()
{
    if (scaler.texture != nullptr) {
        SDL_DestroyTexture(scaler.texture);
        scaler.texture = nullptr;
    }
}

// The window's format when the renderer is a software one that takes textures in it without a
// conversion of its own, and has 2 or 4 bytes a pixel; 0 otherwise.
Uint32 own_scaling_format()
{
    SDL_RendererInfo info{};
    if (!scaler.enabled || SDL_GetRendererInfo(SDLB_Renderer(), &info) != 0 ||
        (info.flags & SDL_RENDERER_SOFTWARE) == 0) {
        return 0;
    }
    const Uint32 format = SDL_GetWindowPixelFormat(SDLB_Window());
    if (SDL_ISPIXELFORMAT_FOURCC(format) || SDL_ISPIXELFORMAT_INDEXED(format) ||
        (SDL_BYTESPERPIXEL(format) != 2 && SDL_BYTESPERPIXEL(format) != 4)) {
        return 0;
    }
    for (Uint32 i = 0; i < info.num_texture_formats; i++) {
        if (info.texture_formats[i] == format) {
            return format;
        }
    }
    return 0;
}

bool prepare_scaler(Uint32 source_format, int source_width, int width, int height)
{
    const Uint32 format = own_scaling_format();
    if (format == 0) {
        return false;
    }
    if (scaler.texture == nullptr || scaler.format != format || scaler.width != width || scaler.height != height) {
        drop_scaler_texture();
        scaler.texture = make_texture(format, width, height);
        if (scaler.texture == nullptr) {
            return false;
        }
        // A format with an alpha channel would otherwise blend over the bands.
        SDL_SetTextureBlendMode(scaler.texture, SDL_BLENDMODE_NONE);
        scaler.format = format;
        scaler.width = width;
        scaler.height = height;
        scaler.bytes = SDL_BYTESPERPIXEL(format);
    }
    if (scaler.table_source != source_format || scaler.table_format != format) {
        SDL_PixelFormat *in = SDL_AllocFormat(source_format);
        SDL_PixelFormat *out = SDL_AllocFormat(format);
        if (in == nullptr || out == nullptr) {
            SDL_FreeFormat(in);
            SDL_FreeFormat(out);
            return false;
        }
        // SDL's scaled copy widens each channel by repeating its top bits, and narrows by dropping
        // the low ones, as SDL_GetRGB and SDL_MapRGB do.
        scaler.table.resize(65536);
        for (uint32_t p = 0; p < 65536; p++) {
            Uint8 r, g, b;
            SDL_GetRGB(p, in, &r, &g, &b);
            scaler.table[p] = SDL_MapRGB(out, r, g, b);
        }
        SDL_FreeFormat(in);
        SDL_FreeFormat(out);
        scaler.table_source = source_format;
        scaler.table_format = format;
    }
    if (scaler.columns_source != source_width || scaler.columns_output != width) {
        // SDL's nearest-neighbour stepping: 16.16 fixed point from the middle of the first pixel.
        scaler.columns.resize(size_t(width));
        const uint32_t step = (uint32_t(source_width) << 16) / uint32_t(width);
        uint32_t position = step / 2;
        for (int x = 0; x < width; x++, position += step) {
            scaler.columns[size_t(x)] = int(position >> 16);
        }
        scaler.columns_source = source_width;
        scaler.columns_output = width;
    }
    return true;
}

template <typename Out> void convert_row(const uint16_t *in, Out *out, int width)
{
    const uint32_t *table = scaler.table.data();
    const int *columns = scaler.columns.data();
    for (int x = 0; x < width; x++) {
        out[x] = Out(table[in[columns[x]]]);
    }
}

// Copies a source_width x source_height picture of 16-bit pixels (rows pitch bytes apart) to dest
// on the renderer, scaled; false, with nothing drawn, where SDL's own path is to do it.
bool own_scaled_copy(const uint8_t *pixels, int32_t pitch, int source_width, int source_height,
                     Uint32 source_format, const SDL_Rect &dest)
{
    // Unscaled, SDL's converting copy is as quick.
    if (dest.w <= 0 || dest.h <= 0 || source_width <= 0 || source_height <= 0 ||
        (dest.w == source_width && dest.h == source_height) || !prepare_scaler(source_format, source_width, dest.w, dest.h)) {
        return false;
    }
    void *locked = nullptr;
    int locked_pitch = 0;
    if (SDL_LockTexture(scaler.texture, nullptr, &locked, &locked_pitch) != 0) {
        return false;
    }
    auto *out = static_cast<uint8_t *>(locked);
    const size_t row_bytes = size_t(dest.w) * size_t(scaler.bytes);
    const uint32_t step = (uint32_t(source_height) << 16) / uint32_t(dest.h);
    uint32_t position = step / 2;
    int last_source = -1;
    const uint8_t *last_row = nullptr;
    for (int y = 0; y < dest.h; y++, position += step, out += locked_pitch) {
        const int source_y = int(position >> 16);
        if (source_y == last_source) {
            std::memcpy(out, last_row, row_bytes);
            continue;
        }
        const auto *in = reinterpret_cast<const uint16_t *>(pixels + ptrdiff_t(source_y) * pitch);
        if (scaler.bytes == 4) {
            convert_row(in, reinterpret_cast<uint32_t *>(out), dest.w);
        } else {
            convert_row(in, reinterpret_cast<uint16_t *>(out), dest.w);
        }
        last_source = source_y;
        last_row = out;
    }
    SDL_UnlockTexture(scaler.texture);
    return SDL_RenderCopy(SDLB_Renderer(), scaler.texture, nullptr, &dest) == 0;
}

} // namespace

void SDLB_DropScaler() { drop_scaler_texture(); }

void SDLB_SetOwnScaling(bool on)
{
    scaler.enabled = on;
    drop_scaler_texture();
}

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
    const SDL_Rect source{0, 0, std::min(width, dib->width), std::min(height, dib->height)};
    const SDL_Rect dest{0, 0, dest_width, dest_height};
    if (!own_scaled_copy(reinterpret_cast<const uint8_t *>(dib->pixels.data()), dib->width * 2, source.w, source.h,
                         SDL_PIXELFORMAT_RGB565, dest)) {
        SDL_UpdateTexture(dib->texture, nullptr, dib->pixels.data(), dib->width * 2);
        SDL_RenderCopy(SDLB_Renderer(), dib->texture, &source, &dest);
    }
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
    int out_width = 0;
    int out_height = 0;
    SDL_GetRendererOutputSize(renderer, &out_width, &out_height);
    const SDLB_Rect fit = SDLB_FitFourThree(out_width, out_height);
    const SDL_Rect dest{fit.x, fit.y, fit.w, fit.h};
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    if (own_scaled_copy(back->bytes.data(), back->pitch, back->width, back->height, primary->format, dest)) {
        // The picture covers the fit: only the bands beside it are cleared. The renderer would fill
        // an empty rectangle's row, so those are left out.
        const SDL_Rect bands[4] = {{0, 0, fit.x, out_height},
                                   {fit.x + fit.w, 0, out_width - fit.x - fit.w, out_height},
                                   {0, 0, out_width, fit.y},
                                   {0, fit.y + fit.h, out_width, out_height - fit.y - fit.h}};
        for (const SDL_Rect &band : bands) {
            if (band.w > 0 && band.h > 0) {
                SDL_RenderFillRect(renderer, &band);
            }
        }
    } else {
        SDL_UpdateTexture(primary->texture, nullptr, back->bytes.data(), back->pitch);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, primary->texture, nullptr, &dest);
    }
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
