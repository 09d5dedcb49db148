// The SDL back-end's window and displays, on SDL's dummy video driver with the software renderer:
// what reaches the renderer is read back and checked at known points of the test card.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <SDL.h>

#include "core/dsp.h"
#include "core/scr.h"
#include "core/win.h"
#include "platform/sdl/internal.h"
#include "plat/window.h"
#include "tests/support/testcard.h"

namespace {

// The 8-bit colour a 16-bit pixel stands for, as 0xRRGGBB with the top bits repeated.
uint32_t rgb8(uint16_t p, bool rgb555)
{
    auto widen = [](uint32_t v, int bits) { return (v << (8 - bits)) | (v >> (2 * bits - 8)); };
    const uint32_t r = widen(rgb555 ? (p >> 10) & 0x1F : (p >> 11) & 0x1F, 5);
    const uint32_t g = rgb555 ? widen((p >> 5) & 0x1F, 5) : widen((p >> 5) & 0x3F, 6);
    const uint32_t b = widen(p & 0x1F, 5);
    return r << 16 | g << 8 | b;
}

struct SdlDisplayTest : ::testing::Test {
    static void SetUpTestSuite()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_RENDER_DRIVER", "software", 1);
    }
    void TearDown() override
    {
        WIN_ShutdownDisplay();
        PLAT_DestroyWindow(WIN_MainWindow);
        WIN_MainWindow = nullptr;
        unsetenv("KALDER_RGB555");
    }

    // Starts a back-end at a mode and draws the card at that size.
    static void show_card(int32_t back_end, int32_t width, int32_t height)
    {
        DSP_BackEnd = back_end;
        ASSERT_EQ(WIN_InitDisplay(nullptr, 1), 1);
        ASSERT_EQ(DSP_SetMode(width, height), 1);
        SCR_Width = uint32_t(width);
        SCR_Height = uint32_t(height);
        kalder_test::DrawTestCard(SCR_FrameBuffer, width, height, DSP_Rgb555 == 1);
        DSP_Present();
    }

    struct Picture {
        int width = 0;
        int height = 0;
        std::vector<uint32_t> pixels;
        uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)] & 0xFFFFFF; }
    };

    static Picture read_back()
    {
        Picture p;
        SDL_GetRendererOutputSize(SDLB_Renderer(), &p.width, &p.height);
        p.pixels.resize(size_t(p.width) * size_t(p.height));
        EXPECT_EQ(SDL_RenderReadPixels(SDLB_Renderer(), nullptr, SDL_PIXELFORMAT_ARGB8888, p.pixels.data(),
                                       p.width * 4),
                  0)
            << SDL_GetError();
        return p;
    }
};

TEST_F(SdlDisplayTest, WindowIsKalderWithA640x480ClientArea)
{
    DSP_BackEnd = 1;
    ASSERT_EQ(WIN_InitDisplay(nullptr, 1), 1);
    EXPECT_STREQ(SDL_GetWindowTitle(SDLB_Window()), "Kalder");
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(SDLB_Window(), &width, &height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    PLAT_ClientSize(WIN_MainWindow, &width, &height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    EXPECT_EQ(SDL_GetWindowFlags(SDLB_Window()) & SDL_WINDOW_RESIZABLE, Uint32(SDL_WINDOW_RESIZABLE));
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(DSP_SetMode(800, 600), 0);
}

TEST_F(SdlDisplayTest, SmallModeIsStretchedOverTheWindowWithWholePixels)
{
    show_card(1, 320, 200);
    const Picture p = read_back();
    ASSERT_EQ(p.width, 640);
    ASSERT_EQ(p.height, 480);
    // Each source row covers 2.4 window rows: sample the middle of the rows it covers.
    auto row = [](int source_y) { return int(source_y * 2.4 + 1.2); };
    for (int bar = 0; bar < 8; bar++) {
        EXPECT_EQ(p.at((bar * 40 + 20) * 2, row(60)), rgb8(kalder_test::TestCardBar(bar, false), false)) << bar;
    }
    // The checkerboard keeps single pixels apart: no smoothing.
    for (int y = 150; y < 156; y++) {
        for (int x = 200; x < 206; x++) {
            const uint32_t expected = ((x + y) & 1) != 0 ? 0xFFFFFF : 0;
            EXPECT_EQ(p.at(x * 2, row(y)), expected) << x << "," << y;
            EXPECT_EQ(p.at(x * 2 + 1, row(y)), expected) << x << "," << y;
        }
    }
}

TEST_F(SdlDisplayTest, FullScreenCoversTheDesktopAndBothFormatsShowTheSameColours)
{
    std::vector<uint32_t> bars[2];
    for (int rgb555 = 0; rgb555 < 2; rgb555++) {
        SCOPED_TRACE(rgb555);
        if (rgb555) {
            setenv("KALDER_RGB555", "1", 1);
        }
        show_card(0, 640, 480);
        EXPECT_EQ(DSP_Rgb555, rgb555);
        SDL_DisplayMode desktop;
        ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
        int width = 0;
        int height = 0;
        SDL_GetWindowSize(SDLB_Window(), &width, &height);
        EXPECT_EQ(width, desktop.w);
        EXPECT_EQ(height, desktop.h);
        EXPECT_EQ(DSP_SetMode(800, 600), 0); // offered by the display, refused by the game

        const Picture p = read_back();
        const SDLB_Rect fit = SDLB_FitFourThree(p.width, p.height);
        for (int bar = 0; bar < 8; bar++) {
            const int x = fit.x + (bar * 80 + 40) * fit.w / 640;
            const int y = fit.y + 150 * fit.h / 480;
            bars[rgb555].push_back(p.at(x, y));
            EXPECT_EQ(p.at(x, y), rgb8(kalder_test::TestCardBar(bar, rgb555 == 1), rgb555 == 1)) << bar;
        }
        TearDown();
    }
    EXPECT_EQ(bars[0], bars[1]);
}

// On the software renderer both displays scale and convert the picture themselves; what reaches the
// output must be SDL's own scaled copy, pixel for pixel, bands included.
TEST_F(SdlDisplayTest, OwnScalingShowsWhatSdlsScaledCopyShows)
{
    struct Case {
        int32_t back_end;
        int32_t width, height;
        bool rgb555;
        int out_width, out_height; // 0: as the window opens
    };
    const Case cases[] = {
        {1, 320, 200, false, 0, 0},      {1, 640, 480, false, 1000, 700}, {1, 640, 480, false, 500, 333},
        {1, 320, 400, false, 1280, 960}, {0, 640, 480, false, 0, 0},      {0, 640, 480, true, 0, 0},
        {0, 320, 200, false, 0, 0},      {0, 400, 300, true, 0, 0},       {0, 640, 480, false, 1000, 600},
        {0, 640, 400, true, 700, 900},   {0, 320, 200, false, 333, 777},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.back_end << " " << c.width << "x" << c.height << " 555=" << c.rgb555
                                          << " out " << c.out_width << "x" << c.out_height);
        if (c.rgb555) {
            setenv("KALDER_RGB555", "1", 1);
        }
        show_card(c.back_end, c.width, c.height);
        if (c.out_width != 0) {
            SDL_SetWindowFullscreen(SDLB_Window(), 0);
            SDL_SetWindowSize(SDLB_Window(), c.out_width, c.out_height);
        }
        // Whatever was on the output before must not show through the bands.
        auto present_over_magenta = [] {
            SDL_SetRenderDrawColor(SDLB_Renderer(), 255, 0, 255, 255);
            SDL_RenderClear(SDLB_Renderer());
            DSP_Present();
        };
        SDLB_SetOwnScaling(true);
        present_over_magenta();
        const Picture ours = read_back();
        if (c.out_width != 0) {
            EXPECT_EQ(ours.width, c.out_width);
            EXPECT_EQ(ours.height, c.out_height);
        }
        SDLB_SetOwnScaling(false);
        present_over_magenta();
        const Picture sdl = read_back();
        SDLB_SetOwnScaling(true);
        ASSERT_EQ(ours.width, sdl.width);
        ASSERT_EQ(ours.height, sdl.height);
        size_t differ = 0;
        for (size_t i = 0; i < ours.pixels.size(); i++) {
            differ += (ours.pixels[i] & 0xFFFFFF) != (sdl.pixels[i] & 0xFFFFFF) ? 1 : 0;
        }
        EXPECT_EQ(differ, 0u);
        TearDown();
    }
}

TEST(SdlFit, LargestCentredFourThreeRectangle)
{
    struct Case {
        int width, height;
        SDLB_Rect fit;
    };
    const Case cases[] = {
        {1920, 1080, {240, 0, 1440, 1080}},
        {1280, 1024, {0, 32, 1280, 960}},
        {1024, 768, {0, 0, 1024, 768}},
        {1280, 720, {160, 0, 960, 720}},
        {640, 480, {0, 0, 640, 480}},
    };
    for (const Case &c : cases) {
        const SDLB_Rect r = SDLB_FitFourThree(c.width, c.height);
        EXPECT_EQ(r.x, c.fit.x) << c.width << "x" << c.height;
        EXPECT_EQ(r.y, c.fit.y) << c.width << "x" << c.height;
        EXPECT_EQ(r.w, c.fit.w) << c.width << "x" << c.height;
        EXPECT_EQ(r.h, c.fit.h) << c.width << "x" << c.height;
    }
}

} // namespace
