// The sprite blitters at 640 x 480 RGB565: 2,000 plain glyphs a frame (then dimmed), 200 alpha icons of
// 64 x 64 and four gauges, against SDL's software blitter on the same pixels and places (a paletted
// surface with a colour key for the glyphs, ARGB8888 with per-pixel alpha for the icons). SDL rounds
// differently, so only speeds are compared.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/summary.h"
#include "engine3d/gfx_sprite.h"
#include "interface/spr.h"
#include "tests/support/screen_target.h"
#include "tests/support/sprite_frames.h"

#ifdef KALDER_HAVE_SDL
#include <SDL.h>
#endif

namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr int kGlyphs = 2000, kIcons = 200, kGauges = 4;
constexpr int kIconSize = 64;

struct Place {
    int x, y;
};

// Places spread over the screen, the same for us and the peer; some cut by the edges.
std::vector<Place> Places(int count, int w, int h)
{
    std::vector<Place> places;
    for (int i = 0; i < count; i++) {
        places.push_back({(i * 53) % (kWidth - w / 2), (i * 97 + i / 7) % (kHeight - h / 2)});
    }
    return places;
}

const std::string kText = "KALDER 0123456789 ABCDEFGHIJKLMNOPQRSTUVWXYZ!?";

// A 64 x 64 icon of 2-byte pixels: rings of colour, alpha falling from 63 at the centre to 0 at the rim.
kalder_test::SpriteFrame BigIcon()
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < kIconSize; y++) {
        for (int x = 0; x < kIconSize; x++) {
            const double r = std::hypot(x - 31.5, y - 31.5);
            pixels.push_back(uint8_t(1 + int(r / 4) % 9));
            pixels.push_back(uint8_t(std::lround(std::fmax(0.0, 63.0 * (1.0 - r / 34.0)))));
        }
    }
    return kalder_test::SpriteFrame(kIconSize, kIconSize, std::move(pixels));
}

// Sprites a second in the table; the summary gives ns a sprite and Mpixel/s.
void SetRates(benchmark::State &state, int sprites)
{
    state.SetItemsProcessed(int64_t(state.iterations()) * sprites);
}

void BM_Glyphs(benchmark::State &state, uint8_t dim)
{
    BLEND_BuildTables();
    kalder_test::ScreenTarget screen(kWidth, kHeight);
    const std::vector<Place> places = Places(kGlyphs, 8, 12);
    std::vector<GFX_BlitRecord> records;
    for (int i = 0; i < kGlyphs; i++) {
        SPR_Entry *glyph = kalder_test::Glyph(kText[size_t(i) % kText.size()]).get();
        records.push_back({places[size_t(i)].x, places[size_t(i)].y, 0, glyph});
    }
    for (auto _ : state) {
        for (const GFX_BlitRecord &r : records) {
            GFX_DrawSprite(&r, 1, 0, 0, dim);
        }
        benchmark::DoNotOptimize(screen.pixels());
        benchmark::ClobberMemory();
    }
    SetRates(state, kGlyphs);
}

void BM_Icons(benchmark::State &state)
{
    BLEND_BuildTables();
    kalder_test::ScreenTarget screen(kWidth, kHeight);
    kalder_test::SpriteFrame icon = BigIcon();
    const std::vector<Place> places = Places(kIcons, kIconSize, kIconSize);
    for (auto _ : state) {
        for (const Place &p : places) {
            GFX_BlitRecord r{p.x, p.y, GFX_BLIT_ALPHA, icon.get()};
            GFX_DrawSprite(&r, 1, 0, 0, 0);
        }
        benchmark::DoNotOptimize(screen.pixels());
        benchmark::ClobberMemory();
    }
    SetRates(state, kIcons);
}

void BM_Gauges(benchmark::State &state)
{
    BLEND_BuildTables();
    kalder_test::ScreenTarget screen(kWidth, kHeight);
    const kalder_test::GaugeFrames gauge = kalder_test::MakeGauge();
    GFX_GaugeRecord records[kGauges];
    for (int i = 0; i < kGauges; i++) {
        records[i] = gauge.Record(20 + i * 40, 400);
    }
    for (auto _ : state) {
        for (int i = 0; i < kGauges; i++) {
            GFX_DrawGaugeSprite(&records[i], 10 + i * 5, 20, 15, i & 1, 0);
        }
        benchmark::DoNotOptimize(screen.pixels());
        benchmark::ClobberMemory();
    }
    SetRates(state, kGauges);
}

#ifdef KALDER_HAVE_SDL
// RGB565 to 8-bit channels by repeating the top bits, as the pictures do.
SDL_Color ToColour(uint16_t c)
{
    const int r = c >> 11, g = c >> 5 & 63, b = c & 31;
    return {Uint8(r << 3 | r >> 2), Uint8(g << 2 | g >> 4), Uint8(b << 3 | b >> 2), 255};
}

SDL_Surface *Target(std::vector<uint16_t> &pixels)
{
    pixels.assign(size_t(kWidth) * kHeight, 0x4A69);
    return SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), kWidth, kHeight, 16, kWidth * 2, SDL_PIXELFORMAT_RGB565);
}

void Fail(const char *what)
{
    std::fprintf(stderr, "sprite_bench: %s: %s\n", what, SDL_GetError());
    std::exit(1);
}

void BM_GlyphsSDL(benchmark::State &state)
{
    std::vector<uint16_t> pixels;
    SDL_Surface *target = Target(pixels);
    // One paletted surface per distinct character, colour key 0.
    std::vector<SDL_Surface *> surfaces(256, nullptr);
    SDL_Color colours[256];
    for (int i = 0; i < 256; i++) {
        colours[i] = ToColour(kalder_test::TestPalette()[i]);
    }
    for (char c : kText) {
        if (surfaces[uint8_t(c)] != nullptr) {
            continue;
        }
        const kalder_test::SpriteFrame &g = kalder_test::Glyph(c);
        SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, 8, 12, 8, SDL_PIXELFORMAT_INDEX8);
        if (s == nullptr || target == nullptr) {
            Fail("surface");
        }
        SDL_SetPaletteColors(s->format->palette, colours, 0, 256);
        for (int y = 0; y < 12; y++) {
            std::memcpy(static_cast<uint8_t *>(s->pixels) + y * s->pitch, g.pixels.data() + y * 8, 8);
        }
        SDL_SetColorKey(s, SDL_TRUE, 0);
        surfaces[uint8_t(c)] = s;
    }
    const std::vector<Place> places = Places(kGlyphs, 8, 12);
    for (auto _ : state) {
        for (int i = 0; i < kGlyphs; i++) {
            SDL_Rect at{places[size_t(i)].x, places[size_t(i)].y, 8, 12};
            SDL_BlitSurface(surfaces[uint8_t(kText[size_t(i) % kText.size()])], nullptr, target, &at);
        }
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    for (SDL_Surface *s : surfaces) {
        SDL_FreeSurface(s);
    }
    SDL_FreeSurface(target);
    SetRates(state, kGlyphs);
}

void BM_IconsSDL(benchmark::State &state)
{
    std::vector<uint16_t> pixels;
    SDL_Surface *target = Target(pixels);
    SDL_Surface *icon = SDL_CreateRGBSurfaceWithFormat(0, kIconSize, kIconSize, 32, SDL_PIXELFORMAT_ARGB8888);
    if (icon == nullptr || target == nullptr) {
        Fail("surface");
    }
    const kalder_test::SpriteFrame frame = BigIcon();
    for (int y = 0; y < kIconSize; y++) {
        for (int x = 0; x < kIconSize; x++) {
            const uint8_t *p = frame.pixels.data() + (y * kIconSize + x) * 2;
            const SDL_Color c = ToColour(kalder_test::TestPalette()[p[0]]);
            const uint32_t a = std::min<uint32_t>(p[1], 63) * 255 / 63;
            uint32_t *row = static_cast<uint32_t *>(icon->pixels) + y * icon->pitch / 4;
            row[x] = a << 24 | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
        }
    }
    SDL_SetSurfaceBlendMode(icon, SDL_BLENDMODE_BLEND);
    const std::vector<Place> places = Places(kIcons, kIconSize, kIconSize);
    for (auto _ : state) {
        for (const Place &p : places) {
            SDL_Rect at{p.x, p.y, kIconSize, kIconSize};
            SDL_BlitSurface(icon, nullptr, target, &at);
        }
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(icon);
    SDL_FreeSurface(target);
    SetRates(state, kIcons);
}
#endif

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("BM_Glyphs/plain", BM_Glyphs, uint8_t(0));
    benchmark::RegisterBenchmark("BM_Glyphs/dim", BM_Glyphs, uint8_t(1));
    benchmark::RegisterBenchmark("BM_Icons", BM_Icons);
    benchmark::RegisterBenchmark("BM_Gauges", BM_Gauges);
#ifdef KALDER_HAVE_SDL
    benchmark::RegisterBenchmark("BM_GlyphsSDL", BM_GlyphsSDL);
    benchmark::RegisterBenchmark("BM_IconsSDL", BM_IconsSDL);
#endif
    SummaryReporter reporter(PickSecondsPerIteration);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nSprite summary (time per frame at 640x480 RGB565; ratio = ours over SDL, above 1 is slower)\n");
    const struct {
        const char *ours, *peer;
        int sprites, pixels;
    } rows[] = {{"BM_Glyphs/plain", "BM_GlyphsSDL", kGlyphs, 96},
                {"BM_Glyphs/dim", "BM_GlyphsSDL", kGlyphs, 96},
                {"BM_Icons", "BM_IconsSDL", kIcons, kIconSize * kIconSize},
                {"BM_Gauges", "", kGauges, 24 * 40}};
    for (const auto &row : rows) {
        auto it = reporter.figures.find(row.ours);
        if (it == reporter.figures.end()) {
            continue;
        }
        const double seconds = it->second;
        std::printf("%-16s %9.1f us a frame, %7.1f ns a sprite, %8.1f Mpixel/s | ours/SDL %s\n", row.ours,
                    seconds * 1e6, seconds * 1e9 / row.sprites, double(row.sprites) * row.pixels / seconds / 1e6,
                    row.peer[0] ? Ratio(reporter, row.ours, row.peer).c_str() : "no peer");
    }
    benchmark::Shutdown();
    return 0;
}
