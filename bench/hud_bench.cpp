// The HUD: one drawn MENJ_Update of the golden "slots" state (three spells with counts, a glow, a
// block, the fight mark) at 640 x 480 and 320 x 200, and the five icon routines on the demo's 32 x 32
// spell icons, beside SDL's software blit of the same icons (ARGB8888 with per-pixel alpha onto
// RGB565). SDL rounds differently, so only speeds are compared. Also the pyramids with their fire per
// frame, a save's thumbnail through the round window beside SDL's colour-keyed blit of the same
// picture, and the inventory's INV_Add and INV_Has on a full record.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/summary.h"
#include "interface/hud.h"
#include "interface/ico.h"
#include "interface/menj.h"
#include "tests/support/hud_pictures.h"
#include "tests/support/inventory_writer.h"
#include "tests/support/screen_target.h"
#include "world/actor.h"
#include "world/inv.h"

#ifdef KALDER_HAVE_SDL
#include <SDL.h>
#endif

namespace {

constexpr int kWidth = 640, kHeight = 480, kIcons = 200, kSide = 32;

kalder_test::DemoHud &Demo()
{
    static kalder_test::DemoHud *demo = new kalder_test::DemoHud();
    return *demo;
}

struct Place {
    int x, y;
};

// Places spread over the screen, the same for us and the peer; none cut by the edges.
std::vector<Place> Places()
{
    std::vector<Place> places;
    for (int i = 0; i < kIcons; i++) {
        places.push_back({(i * 53) % (kWidth - kSide), (i * 97 + i / 7) % (kHeight - kSide)});
    }
    return places;
}

void BM_HudUpdate(benchmark::State &state, int width, int height)
{
    Demo();
    kalder_test::ScreenTarget screen(width, height);
    kalder_test::SetHudScene(kalder_test::HudScene::Slots);
    for (auto _ : state) {
        MENJ_Update(1);
        benchmark::DoNotOptimize(screen.pixels());
        benchmark::ClobberMemory();
    }
    kalder_test::ClearHudScene();
}

using Routine = std::function<void(int32_t sprite, int32_t x, int32_t y)>;

void BM_Icons(benchmark::State &state, const Routine &draw)
{
    Demo();
    kalder_test::ScreenTarget screen(kWidth, kHeight);
    const std::vector<Place> places = Places();
    for (auto _ : state) {
        for (int i = 0; i < kIcons; i++) {
            draw(i % 14, places[size_t(i)].x, places[size_t(i)].y);
        }
        benchmark::DoNotOptimize(screen.pixels());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kIcons);
}

#ifdef KALDER_HAVE_SDL
void BM_IconsSDL(benchmark::State &state)
{
    Demo();
    std::vector<uint16_t> pixels(size_t(kWidth) * kHeight, 0x4A69);
    SDL_Surface *target =
        SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), kWidth, kHeight, 16, kWidth * 2, SDL_PIXELFORMAT_RGB565);
    std::vector<SDL_Surface *> icons;
    for (int k = 0; k < 14; k++) {
        const SPR_Entry *e = ICO_Entry(0, k, 0);
        SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, kSide, kSide, 32, SDL_PIXELFORMAT_ARGB8888);
        if (s == nullptr || target == nullptr || e == nullptr) {
            std::fprintf(stderr, "hud_bench: %s\n", SDL_GetError());
            std::exit(1);
        }
        for (int y = 0; y < kSide; y++) {
            for (int x = 0; x < kSide; x++) {
                const uint8_t *p = e->pixels + (y * kSide + x) * 2;
                const uint16_t c = e->palette[p[0]];
                const uint32_t r = c >> 11, g = c >> 5 & 63, b = c & 31;
                const uint32_t a = std::min<uint32_t>(p[1], 63) * 255 / 63;
                static_cast<uint32_t *>(s->pixels)[y * s->pitch / 4 + x] =
                    a << 24 | (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
            }
        }
        SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_BLEND);
        icons.push_back(s);
    }
    const std::vector<Place> places = Places();
    for (auto _ : state) {
        for (int i = 0; i < kIcons; i++) {
            SDL_Rect at{places[size_t(i)].x, places[size_t(i)].y, kSide, kSide};
            SDL_BlitSurface(icons[size_t(i % 14)], nullptr, target, &at);
        }
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    for (SDL_Surface *s : icons) {
        SDL_FreeSurface(s);
    }
    SDL_FreeSurface(target);
    state.SetItemsProcessed(int64_t(state.iterations()) * kIcons);
}
#endif

// The gauges as the HUD draws them every frame: the fire copied into the fills and both pyramids
// with the balance cursor.
void BM_Gauges(benchmark::State &state, int width, int height)
{
    Demo();
    kalder_test::ScreenTarget screen(width, height);
    kalder_test::SetHudScene(kalder_test::HudScene::Empty);
    MENJ_Update(1);
    for (auto _ : state) {
        HUD_DrawGauges(80.0f, 60.0f, 0.0f, 0.0f, 20 * width / 640, height - 90 * height / 480);
        benchmark::DoNotOptimize(screen.pixels());
        benchmark::ClobberMemory();
    }
    kalder_test::ClearHudScene();
}

// A 64 x 64 picture with a pattern, and the colour it never holds (the peer's key).
constexpr uint16_t kThumbKey = 0xF81F;
std::vector<uint16_t> ThumbPicture()
{
    std::vector<uint16_t> thumb(64 * 64);
    for (size_t i = 0; i < thumb.size(); i++) {
        thumb[i] = uint16_t((i * 0x9E37) & 0xF7DE);
    }
    return thumb;
}

void BM_Thumbnail(benchmark::State &state)
{
    kalder_test::ScreenTarget screen(kWidth, kHeight);
    const std::vector<uint16_t> thumb = ThumbPicture();
    for (auto _ : state) {
        ICO_DrawThumbnail(thumb.data(), 100, 100);
        benchmark::DoNotOptimize(screen.pixels());
        benchmark::ClobberMemory();
    }
}

#ifdef KALDER_HAVE_SDL
// The same picture with the window's outside in the key colour, as an RGB565 surface.
void BM_ThumbnailSDL(benchmark::State &state)
{
    std::vector<uint16_t> pixels(size_t(kWidth) * kHeight, 0x4A69);
    std::vector<uint16_t> thumb = ThumbPicture();
    for (int y = 0; y < 64; y++) {
        for (int x = 0; x < 64; x++) {
            if ((ICO_ThumbnailMask[size_t(y)][size_t(x / 32)] >> (x % 32) & 1u) == 0) {
                thumb[size_t(y * 64 + x)] = kThumbKey;
            }
        }
    }
    SDL_Surface *target =
        SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), kWidth, kHeight, 16, kWidth * 2, SDL_PIXELFORMAT_RGB565);
    SDL_Surface *source = SDL_CreateRGBSurfaceWithFormatFrom(thumb.data(), 64, 64, 16, 128, SDL_PIXELFORMAT_RGB565);
    if (target == nullptr || source == nullptr) {
        std::fprintf(stderr, "hud_bench: %s\n", SDL_GetError());
        std::exit(1);
    }
    SDL_SetColorKey(source, SDL_TRUE, kThumbKey);
    for (auto _ : state) {
        SDL_Rect at{100, 100, 64, 64};
        SDL_BlitSurface(source, nullptr, target, &at);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(source);
    SDL_FreeSurface(target);
}
#endif

// INV_Add of an item held in the last place of a full record (which refuses it after its search), and
// INV_Has of a name that no place begins with, so that every place is looked at.
void BM_Inventory(benchmark::State &state, bool add)
{
    static ActorRecord hero{};
    hero.inventory = &INV_Data;
    const std::vector<uint8_t> image = kalder_test::FullInventory().Image();
    INV_FromImage(&INV_Data, image.data());
    for (auto _ : state) {
        benchmark::DoNotOptimize(add ? INV_Add(&hero, "item31") : INV_Has(&hero, "itemZZ"));
    }
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("BM_HudUpdate/640x480", BM_HudUpdate, 640, 480);
    benchmark::RegisterBenchmark("BM_HudUpdate/320x200", BM_HudUpdate, 320, 200);
    const struct {
        const char *name;
        Routine draw;
    } routines[] = {
        {"BM_Icons/ICO_Draw", [](int32_t s, int32_t x, int32_t y) { ICO_Draw(0, s, 0, x, y); }},
        {"BM_Icons/ICO_DrawDark", [](int32_t s, int32_t x, int32_t y) { ICO_DrawDark(0, s, 0, x, y); }},
        {"BM_Icons/ICO_DrawPlain", [](int32_t s, int32_t x, int32_t y) { ICO_DrawPlain(3, s % 11, 0, x, y); }},
        {"BM_Icons/ICO_DrawPlainDark", [](int32_t s, int32_t x, int32_t y) { ICO_DrawPlainDark(3, s % 11, 0, x, y); }},
        {"BM_Icons/ICO_DrawFaded", [](int32_t s, int32_t x, int32_t y) { ICO_DrawFaded(0, s, 0, x, y, 3); }},
    };
    for (const auto &r : routines) {
        benchmark::RegisterBenchmark(r.name, BM_Icons, r.draw);
    }
#ifdef KALDER_HAVE_SDL
    benchmark::RegisterBenchmark("BM_IconsSDL", BM_IconsSDL);
#endif
    benchmark::RegisterBenchmark("BM_Gauges/640x480", BM_Gauges, 640, 480);
    benchmark::RegisterBenchmark("BM_Gauges/320x200", BM_Gauges, 320, 200);
    benchmark::RegisterBenchmark("BM_Thumbnail", BM_Thumbnail);
#ifdef KALDER_HAVE_SDL
    benchmark::RegisterBenchmark("BM_ThumbnailSDL", BM_ThumbnailSDL);
#endif
    benchmark::RegisterBenchmark("BM_Inventory/INV_Add", BM_Inventory, true);
    benchmark::RegisterBenchmark("BM_Inventory/INV_Has", BM_Inventory, false);
    SummaryReporter reporter(PickSecondsPerIteration);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nHUD summary (ratio = ours over SDL, above 1 is slower)\n");
    for (const char *name : {"BM_HudUpdate/640x480", "BM_HudUpdate/320x200"}) {
        auto it = reporter.figures.find(name);
        if (it != reporter.figures.end()) {
            std::printf("%-28s %8.2f us a frame\n", name, it->second * 1e6);
        }
    }
    for (const auto &r : routines) {
        auto it = reporter.figures.find(r.name);
        if (it != reporter.figures.end()) {
            std::printf("%-28s %8.1f ns an icon (32 x 32; the plain ones 24 x 24)%s%s\n", r.name,
                        it->second * 1e9 / kIcons, std::string(r.name) == "BM_Icons/ICO_Draw" ? " | ours/SDL " : "",
                        std::string(r.name) == "BM_Icons/ICO_Draw" ? Ratio(reporter, r.name, "BM_IconsSDL").c_str() : "");
        }
    }
    auto sdl = reporter.figures.find("BM_IconsSDL");
    if (sdl != reporter.figures.end()) {
        std::printf("%-28s %8.1f ns an icon\n", "BM_IconsSDL", sdl->second * 1e9 / kIcons);
    }
    for (const char *name : {"BM_Gauges/640x480", "BM_Gauges/320x200"}) {
        auto it = reporter.figures.find(name);
        if (it != reporter.figures.end()) {
            std::printf("%-28s %8.2f us a frame (fill and both pyramids)\n", name, it->second * 1e6);
        }
    }
    for (const char *name : {"BM_Thumbnail", "BM_ThumbnailSDL"}) {
        auto it = reporter.figures.find(name);
        if (it != reporter.figures.end()) {
            std::printf("%-28s %8.1f ns a thumbnail%s%s\n", name, it->second * 1e9,
                        std::string(name) == "BM_Thumbnail" ? " | ours/SDL " : "",
                        std::string(name) == "BM_Thumbnail" ? Ratio(reporter, "BM_Thumbnail", "BM_ThumbnailSDL").c_str() : "");
        }
    }
    for (const char *name : {"BM_Inventory/INV_Add", "BM_Inventory/INV_Has"}) {
        auto it = reporter.figures.find(name);
        if (it != reporter.figures.end()) {
            std::printf("%-28s %8.1f ns on a full record\n", name, it->second * 1e9);
        }
    }
    benchmark::Shutdown();
    return 0;
}
