// Text at 640 x 480 RGB565 in the demo fonts: 40 lines of 60 characters printed in the large and the
// small font with and without their darkened bands, the same text on the virtual screen with wrapping,
// measuring a line, 200 cursor sprites a frame and loading the large font from a warm file. Peers on
// the same glyph pixels and pen positions: SDL's blitter with one colour-keyed 8-bit surface per glyph,
// and, when installed, SDL_ttf rendering each line of DejaVu Sans (another kind of work: outlines
// through a glyph cache, a surface a line).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/summary.h"
#include "interface/spr.h"
#include "interface/txt.h"
#include "tests/support/screen_target.h"
#include "tests/support/text_pictures.h"

#ifdef KALDER_HAVE_SDL
#include <SDL.h>
#endif
#ifdef KALDER_HAVE_TTF
#include <SDL_ttf.h>
#endif

namespace {

constexpr int kWidth = 640, kHeight = 480, kLines = 40, kColumns = 60;
constexpr int kGlyphs = kLines * kColumns;
// Font 4 is the large face loaded once more: the same glyphs as font 0 without its band.
constexpr int32_t kLargeNoBand = 4;

std::vector<std::string> Lines()
{
    std::vector<std::string> lines;
    for (int l = 0; l < kLines; l++) {
        std::string line;
        for (int c = 0; c < kColumns; c++) {
            const int k = (l * 7 + c * 13) % 40;
            line.push_back(k < 6 ? ' ' : char('A' + k % 26 + (k & 1) * 32));
        }
        lines.push_back(line);
    }
    return lines;
}

int LineY(int l) { return 14 + l * 11; }

void Rates(benchmark::State &state, int glyphs) { state.SetItemsProcessed(int64_t(state.iterations()) * glyphs); }

void BM_Print(benchmark::State &state, int32_t font)
{
    kalder_test::ScreenTarget screen(kWidth, kHeight);
    const std::vector<std::string> lines = Lines();
    for (auto _ : state) {
        for (int l = 0; l < kLines; l++) {
            TXT_Print(4, LineY(l), font, "%s", lines[size_t(l)].c_str());
        }
        benchmark::DoNotOptimize(screen.pixels());
        benchmark::ClobberMemory();
    }
    Rates(state, kGlyphs);
}

void BM_PrintScaled(benchmark::State &state)
{
    kalder_test::ScreenTarget screen(kWidth, kHeight);
    std::string text;
    for (const std::string &line : Lines()) {
        text += line + " ";
    }
    for (auto _ : state) {
        TXT_PrintScaled(4, 12, 0, "%s", text.c_str());
        benchmark::DoNotOptimize(screen.pixels());
        benchmark::ClobberMemory();
    }
    Rates(state, int(text.size()));
}

void BM_Measure(benchmark::State &state)
{
    const std::string line = Lines()[0];
    for (auto _ : state) {
        benchmark::DoNotOptimize(TXT_MeasureWidth(0, "%s", line.c_str()));
    }
    Rates(state, kColumns);
}

void BM_CursorSprites(benchmark::State &state)
{
    kalder_test::ScreenTarget screen(kWidth, kHeight);
    const int32_t sprites[] = {1, 2, 3, 5};
    for (auto _ : state) {
        for (int i = 0; i < 200; i++) {
            SPR_DrawSprite(10, sprites[i % 4], (i * 53) % kWidth, (i * 97) % kHeight);
        }
        benchmark::DoNotOptimize(screen.pixels());
        benchmark::ClobberMemory();
    }
    Rates(state, 200);
}

void BM_LoadLargeFont(benchmark::State &state)
{
    for (auto _ : state) {
        SPR_LoadSet("data\\font\\hi640.spr", 20);
    }
    SPR_FreeSet(20);
    Rates(state, 1);
}

#ifdef KALDER_HAVE_SDL
SDL_Color ToColour(uint16_t c)
{
    const int r = c >> 11, g = c >> 5 & 63, b = c & 31;
    return {Uint8(r << 3 | r >> 2), Uint8(g << 2 | g >> 4), Uint8(b << 3 | b >> 2), 255};
}

void Fail(const char *what)
{
    std::fprintf(stderr, "text_bench: %s: %s\n", what, SDL_GetError());
    std::exit(1);
}

// Font 0's glyphs as paletted surfaces with colour key 0, blitted at the pens TXT_Print uses.
void BM_PrintSDL(benchmark::State &state)
{
    std::vector<uint16_t> pixels(size_t(kWidth) * kHeight, 0x4A69);
    SDL_Surface *target =
        SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), kWidth, kHeight, 16, kWidth * 2, SDL_PIXELFORMAT_RGB565);
    if (target == nullptr) {
        Fail("target");
    }
    std::vector<SDL_Surface *> surfaces(256, nullptr);
    SDL_Color colours[256];
    for (int i = 0; i < 256; i++) {
        colours[i] = ToColour(SPR_Sets[0].palette[i]);
    }
    for (int c = 0; c < 256; c++) {
        const SPR_Entry *e = SPR_GetSprite(0, c);
        if (e->pixels == nullptr || c == ' ') {
            continue;
        }
        SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, e->width, e->height, 8, SDL_PIXELFORMAT_INDEX8);
        if (s == nullptr) {
            Fail("glyph");
        }
        SDL_SetPaletteColors(s->format->palette, colours, 0, 256);
        for (int y = 0; y < e->height; y++) {
            std::memcpy(static_cast<uint8_t *>(s->pixels) + y * s->pitch, e->pixels + y * e->width, size_t(e->width));
        }
        SDL_SetColorKey(s, SDL_TRUE, 0);
        surfaces[size_t(c)] = s;
    }
    const std::vector<std::string> lines = Lines();
    for (auto _ : state) {
        for (int l = 0; l < kLines; l++) {
            int x = 4;
            for (char ch : lines[size_t(l)]) {
                const uint8_t c = uint8_t(ch);
                if (SDL_Surface *s = surfaces[c]) {
                    const SPR_Entry *e = SPR_GetSprite(0, c);
                    SDL_Rect at{x - e->hot_x, LineY(l) - e->hot_y, e->width, e->height};
                    SDL_BlitSurface(s, nullptr, target, &at);
                }
                x += TXT_Font[0].advance[c];
            }
        }
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    for (SDL_Surface *s : surfaces) {
        SDL_FreeSurface(s);
    }
    SDL_FreeSurface(target);
    Rates(state, kGlyphs);
}
#endif

#ifdef KALDER_HAVE_TTF
const char *const kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

void BM_PrintTTF(benchmark::State &state)
{
    TTF_Font *font = TTF_OpenFont(kDejaVu, 13);
    std::vector<uint16_t> pixels(size_t(kWidth) * kHeight, 0x4A69);
    SDL_Surface *target =
        SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), kWidth, kHeight, 16, kWidth * 2, SDL_PIXELFORMAT_RGB565);
    if (font == nullptr || target == nullptr) {
        state.SkipWithError("DejaVu Sans does not open");
        return;
    }
    const std::vector<std::string> lines = Lines();
    const SDL_Color white{255, 255, 255, 255};
    for (auto _ : state) {
        for (int l = 0; l < kLines; l++) {
            SDL_Surface *line = TTF_RenderUTF8_Solid(font, lines[size_t(l)].c_str(), white);
            SDL_Rect at{4, LineY(l) - 13, 0, 0};
            SDL_BlitSurface(line, nullptr, target, &at);
            SDL_FreeSurface(line);
        }
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(target);
    TTF_CloseFont(font);
    Rates(state, kGlyphs);
}
#endif

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    // The demo fonts on a scratch drive, fonts 0..3 and the cursor set as start-up loads them.
    auto fonts = std::make_unique<kalder_test::DemoFonts>();
    TXT_LoadFont("data\\font\\hi640.spr", kLargeNoBand, 0);
#ifdef KALDER_HAVE_TTF
    const bool ttf = TTF_Init() == 0;
#endif
    benchmark::RegisterBenchmark("BM_Print/large/band", BM_Print, 0);
    benchmark::RegisterBenchmark("BM_Print/large/no-band", BM_Print, kLargeNoBand);
    benchmark::RegisterBenchmark("BM_Print/small/band", BM_Print, 2);
    benchmark::RegisterBenchmark("BM_Print/small/no-band", BM_Print, 3);
    benchmark::RegisterBenchmark("BM_PrintScaled/large", BM_PrintScaled);
    benchmark::RegisterBenchmark("BM_Measure", BM_Measure);
    benchmark::RegisterBenchmark("BM_CursorSprites", BM_CursorSprites);
    benchmark::RegisterBenchmark("BM_LoadLargeFont", BM_LoadLargeFont);
#ifdef KALDER_HAVE_SDL
    benchmark::RegisterBenchmark("BM_PrintSDL/large", BM_PrintSDL);
#endif
#ifdef KALDER_HAVE_TTF
    if (ttf) {
        benchmark::RegisterBenchmark("BM_PrintTTF/dejavu", BM_PrintTTF);
    }
#endif
    SummaryReporter reporter(PickSecondsPerIteration);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nText summary (640x480 RGB565; ratio = ours over the peer, above 1 is slower)\n");
    const struct {
        const char *name;
        int glyphs;
        const char *peer;
    } rows[] = {{"BM_Print/large/band", kGlyphs, "BM_PrintSDL/large"},
                {"BM_Print/large/no-band", kGlyphs, "BM_PrintSDL/large"},
                {"BM_Print/small/band", kGlyphs, ""},
                {"BM_Print/small/no-band", kGlyphs, ""},
                {"BM_PrintScaled/large", kGlyphs + kLines, ""},
                {"BM_Measure", kColumns, ""},
                {"BM_CursorSprites", 200, ""},
                {"BM_LoadLargeFont", 1, ""},
                {"BM_PrintSDL/large", kGlyphs, ""},
                {"BM_PrintTTF/dejavu", kGlyphs, ""}};
    for (const auto &row : rows) {
        auto it = reporter.figures.find(row.name);
        if (it == reporter.figures.end()) {
            continue;
        }
        const double seconds = it->second;
        std::printf("%-24s %10.1f us, %8.1f ns a glyph (item), %8.2f M glyphs/s", row.name, seconds * 1e6,
                    seconds * 1e9 / row.glyphs, row.glyphs / seconds / 1e6);
        if (row.peer[0] != '\0') {
            std::printf(" | ours/SDL blit %s", Ratio(reporter, row.name, row.peer).c_str());
        }
        std::printf("\n");
    }
    std::printf("SDL_ttf (other work: outlines through its glyph cache, a surface a line): ours/TTF %s\n",
                Ratio(reporter, "BM_Print/large/no-band", "BM_PrintTTF/dejavu").c_str());
    benchmark::Shutdown();
#ifdef KALDER_HAVE_TTF
    if (ttf) {
        TTF_Quit();
    }
#endif
    fonts.reset();
    return 0;
}
