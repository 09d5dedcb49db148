// Frame composition: the render, the letterbox bars and the message; presenting; the screen copy and
// its darkened blends.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/dsp.h"
#include "core/game_frame.h"
#include "core/mem.h"
#include "core/opt.h"
#include "core/scr.h"
#include "core/sys.h"
#include "core/win.h"
#include "engine3d/proctex.h"
#include "engine3d/raster.h"
#include "engine3d/render.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/engine_area.h"
#include "tests/support/golden.h"
#include "tests/support/neighbours.h"
#include "tests/support/testcard.h"

namespace {

// The scanline pass of these tests: the eight bars in the display's pixel format, so that the
// render's part of the frame shows.
void Draw_Bars(uint16_t *frame) { kalder_test::DrawBars(frame, int(SCR_Width), int(SCR_Height), DSP_Rgb555 != 0); }

struct ScrTest : ::testing::Test {
    // The render runs on a started 3D library with nothing under its camera; the bars stand in for
    // what the rasteriser draws.
    void SetUp() override
    {
        engine = std::make_unique<kalder_test::EngineArea>();
        Render_Settings.scan_pass = Draw_Bars;
        start(1);
    }
    void TearDown() override
    {
        kalder_test::ResetCore();
        Render_Settings.scan_pass = Scan_Pass;
        engine.reset();
    }
    std::unique_ptr<kalder_test::EngineArea> engine;

    static void start(int32_t back_end)
    {
        kalder_test::ResetCoreWithInstallation();
        fake::reset();
        DSP_BackEnd = back_end;
        ASSERT_TRUE(WIN_InitDisplay(nullptr, 1));
        SYS_Init();
        SYS_CreateMessageManager();
        fake::calls().clear();
        fake::texts().clear();
    }

    static void size(int32_t width, int32_t height)
    {
        ASSERT_TRUE(DSP_SetMode(width, height));
        SCR_Width = uint32_t(width);
        SCR_Height = uint32_t(height);
    }

    static uint16_t pixel(uint32_t x, uint32_t y) { return SCR_FrameBuffer[size_t(y) * SCR_Width + x]; }
};

TEST_F(ScrTest, ComposingCollidesThenDrawsTheRenderBarsAndMessageBetweenBeginAndEnd)
{
    start(0); // the full-screen display counts its locks
    int locks_at_collision = -1;
    fake::script().col_collide = [&] { locks_at_collision = test::Counts().locks; };
    SCR_SetMessage("hello", 30.0f);
    const int locks = test::Counts().locks;
    const int unlocks = test::Counts().unlocks;
    SCR_ComposeFrame();
    EXPECT_EQ(locks_at_collision, locks);
    EXPECT_EQ(test::Counts().locks, locks + 1);
    EXPECT_EQ(test::Counts().unlocks, unlocks + 1);
    EXPECT_EQ(fake::calls(), (std::vector<std::string>{"COL_Collide", "TXT_DrawString"}));
    // The render filled the band; the bars cleared above and below it.
    EXPECT_EQ(pixel(0, 59), 0);
    EXPECT_EQ(pixel(0, 60), 0xFFFF);
    EXPECT_EQ(pixel(639, 419), 0);      // the black bar of the render
    EXPECT_EQ(pixel(350, 419), 0xF81F); // magenta
    EXPECT_EQ(pixel(300, 420), 0);
}

TEST_F(ScrTest, LetterboxBars)
{
    struct Case {
        int32_t back_end, width, height, cinemascope;
        const char *golden; // nullptr: checked by rows only
        bool rgb555;
    };
    const Case cases[] = {
        {1, 640, 480, 1, "compose-640x480-cinemascope", false},
        {0, 320, 200, 1, "compose-320x200-cinemascope", false},
        {1, 400, 300, 1, nullptr, false},
        {1, 640, 480, 0, nullptr, false},
        {1, 320, 400, 0, nullptr, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " " << c.cinemascope);
        start(c.back_end);
        size(c.width, c.height);
        OPT_Cinemascope = c.cinemascope;
        SCR_ComposeFrame();
        const uint32_t bar = c.cinemascope ? uint32_t(c.height / 8) : 0;
        const uint32_t white = 0;                     // first column: the render's white bar
        for (uint32_t y = 0; y < uint32_t(c.height); y++) {
            const bool in_bar = y < bar || y >= uint32_t(c.height) - bar;
            ASSERT_EQ(pixel(white, y), in_bar ? 0 : 0xFFFF) << "row " << y;
        }
        if (c.golden != nullptr) {
            EXPECT_TRUE(kalder_test::MatchesGolden(c.golden, SCR_FrameBuffer, c.width, c.height, c.rgb555));
        }
    }
}

TEST_F(ScrTest, TheBarsFollowThePixelFormat)
{
    start(0);
    size(320, 200);
    DSP_Rgb555 = 1;
    OPT_Cinemascope = 0;
    SCR_ComposeFrame();
    EXPECT_EQ(pixel(0, 0), 0x7FFF);
    EXPECT_EQ(pixel(40, 0), 0x7FE0);  // yellow
    EXPECT_EQ(pixel(120, 0), 0x03E0); // green
    EXPECT_EQ(pixel(200, 0), 0x7C00); // red
    EXPECT_TRUE(kalder_test::MatchesGolden("compose-320x200-rgb555", SCR_FrameBuffer, 320, 200, true));
}

TEST_F(ScrTest, TheMessageLastsItsFramesWhateverTheRate)
{
    struct Case {
        int32_t width, height;
        int32_t x, y;
    };
    const Case cases[] = {{640, 480, 320, 48}, {320, 200, 160, 20}, {400, 300, 200, 30}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.width);
        start(1);
        size(c.width, c.height);
        GAME_TimeFactor = 2.0; // a steady 15 frames a second
        SCR_SetMessage("Screen Resolution640*400", 90.0f);
        int drawn = 0;
        for (int frame = 0; frame < 60; frame++) {
            fake::texts().clear();
            SCR_ComposeFrame();
            if (!fake::texts().empty()) {
                drawn++;
                EXPECT_EQ(fake::texts().back(), (fake::Text{"Screen Resolution640*400", c.x, c.y, 0}));
            }
        }
        EXPECT_EQ(drawn, 45);
    }
}

TEST_F(ScrTest, ANewMessageReplacesTheOldAndLongOnesAreCut)
{
    SCR_SetMessage("Camera 3", 60.0f);
    SCR_DrawMessage();
    SCR_SetMessage("Joypad", 60.0f);
    EXPECT_EQ(SCR_MessageTimer, 60.0f);
    fake::texts().clear();
    SCR_DrawMessage();
    ASSERT_EQ(fake::texts().size(), 1u);
    EXPECT_EQ(fake::texts()[0].text, "Joypad");

    const std::string long_text(100, 'a');
    std::memset(SCR_Message, 'z', sizeof SCR_Message);
    SCR_SetMessage(long_text.c_str(), 90.0f);
    EXPECT_EQ(std::string(SCR_Message), std::string(79, 'a'));
    EXPECT_EQ(SCR_Message[79], '\0');
}

TEST_F(ScrTest, PresentingShowsTheFrameBuffer)
{
    const int presents = test::PresentCount();
    SCR_ShownFrame = nullptr;
    SCR_InitBuffers();
    EXPECT_EQ(test::PresentCount(), presents + 2);
    EXPECT_EQ(SCR_ShownFrame, SCR_FrameBuffer);

    // What is presented is the frame buffer as it stands.
    SCR_FrameBuffer[0] = 0x1234;
    SCR_Flip();
    ASSERT_FALSE(test::Presents().empty());
    EXPECT_EQ(test::Presents().back().pixels[0], 0x1234);
}

// The channel formula of each mode, taken channel by channel from the format's layout.
uint16_t blend_reference(uint16_t p, int mode, bool rgb555)
{
    const int green_bits = rgb555 ? 5 : 6;
    const int red_shift = rgb555 ? 10 : 11;
    uint32_t channels[3] = {uint32_t(p >> red_shift) & 0x1F, uint32_t(p >> 5) & ((1u << green_bits) - 1),
                            uint32_t(p) & 0x1F};
    for (uint32_t &ch : channels) {
        switch (mode) {
        case 0: ch &= ~1u; break;
        case 1: ch >>= 1; break;
        case 2: ch = (ch >> 1) & ~1u; break;
        case 3: ch >>= 2; break;
        }
    }
    return uint16_t(channels[0] << red_shift | channels[1] << 5 | channels[2]);
}

TEST_F(ScrTest, BlendDarkensEachChannel)
{
    struct Known {
        bool rgb555;
        uint16_t white;
        uint16_t results[4];
    };
    const Known known[] = {{false, 0xFFFF, {0xF7DE, 0x7BEF, 0x73CE, 0x39E7}},
                           {true, 0x7FFF, {0x7BDE, 0x3DEF, 0x39CE, 0x1CE7}}};
    for (const Known &k : known) {
        for (int mode = 0; mode < 4; mode++) {
            EXPECT_EQ(blend_reference(k.white, mode, k.rgb555), k.results[mode]);
        }
    }

    for (bool rgb555 : {false, true}) {
        SCOPED_TRACE(rgb555);
        start(1);
        DSP_Rgb555 = rgb555;
        size(320, 200);
        // An odd address: the arena hands out blocks at any byte.
        ASSERT_NE(MEM_StackAlloc(MEM_Arena, 1), nullptr);
        ASSERT_TRUE(SCR_AllocCopy());
        ASSERT_EQ(reinterpret_cast<uintptr_t>(SCR_CopyBuffer) & 1, 1u);
        const uint16_t red = rgb555 ? 0x7C00 : 0xF800, green = rgb555 ? 0x03E0 : 0x07E0, blue = 0x001F;
        const uint16_t samples[] = {uint16_t(rgb555 ? 0x7FFF : 0xFFFF), red, green, blue, 0, 0x1234, 0x4321, 0x0421};
        std::vector<uint16_t> picture(320 * 200);
        for (size_t i = 0; i < picture.size(); i++) {
            picture[i] = uint16_t(samples[i % 8] ^ (i * 0x9E37 & (rgb555 ? 0x7FFF : 0xFFFF)) * (i >= 8));
        }
        std::memcpy(SCR_FrameBuffer, picture.data(), picture.size() * 2);
        SCR_SaveScreen();
        for (int mode = 0; mode < 4; mode++) {
            SCOPED_TRACE(mode);
            std::memset(SCR_FrameBuffer, 0xAA, picture.size() * 2);
            SCR_BlendScreen(mode);
            for (size_t i = 0; i < picture.size(); i++) {
                ASSERT_EQ(SCR_FrameBuffer[i], blend_reference(picture[i], mode, rgb555)) << "pixel " << i;
            }
        }
        for (int mode : {4, -1, 100}) {
            std::memset(SCR_FrameBuffer, 0x55, picture.size() * 2);
            SCR_BlendScreen(mode);
            EXPECT_EQ(SCR_FrameBuffer[0], 0x5555);
            EXPECT_EQ(SCR_FrameBuffer[picture.size() - 1], 0x5555);
        }
        // The last blend's restore gives the picture back.
        SCR_RestoreScreen();
        EXPECT_EQ(std::memcmp(SCR_FrameBuffer, picture.data(), picture.size() * 2), 0);
    }
}

TEST_F(ScrTest, TheCopyNeedsItsRoomAndItsLinkWord)
{
    size(320, 200);
    const uint32_t bytes = 320 * 200 * 2;
    const uint32_t free_space = MEM_StackFreeSpace(MEM_Arena);
    ASSERT_NE(MEM_StackAlloc(MEM_Arena, free_space - (bytes + 3) - 4), nullptr);
    ASSERT_EQ(MEM_StackFreeSpace(MEM_Arena), bytes + 3);
    EXPECT_EQ(SCR_AllocCopy(), 0);
    EXPECT_EQ(SCR_CopyBuffer, nullptr);

    MEM_ResetStack(MEM_Arena);
    ASSERT_NE(MEM_StackAlloc(MEM_Arena, free_space - (bytes + 4) - 4), nullptr);
    EXPECT_EQ(SCR_AllocCopy(), 1);
    EXPECT_EQ(MEM_StackFreeSpace(MEM_Arena), 0u);
}

TEST_F(ScrTest, CopyLifecycle)
{
    size(320, 200);
    const size_t bytes = 320 * 200 * 2;
    for (size_t i = 0; i < 320 * 200; i++) {
        SCR_FrameBuffer[i] = uint16_t(i * 7);
    }
    std::vector<uint16_t> picture(SCR_FrameBuffer, SCR_FrameBuffer + 320 * 200);
    const uint32_t free_before = MEM_StackFreeSpace(MEM_Arena);
    ASSERT_TRUE(SCR_AllocCopy());
    SCR_Flip();
    SCR_SaveShownFrame();
    SCR_BlendScreen(3);
    EXPECT_NE(std::memcmp(SCR_FrameBuffer, picture.data(), bytes), 0);
    SCR_RestoreScreen();
    EXPECT_EQ(std::memcmp(SCR_FrameBuffer, picture.data(), bytes), 0);

    // Drawing can be sent into the copy and back.
    uint16_t *screen = SCR_FrameBuffer;
    SCR_DrawToCopy();
    EXPECT_EQ(reinterpret_cast<uint8_t *>(SCR_FrameBuffer), SCR_CopyBuffer);
    SCR_DrawToScreen();
    EXPECT_EQ(SCR_FrameBuffer, screen);

    // Another block on top: the free is refused, said on the console, and the copy kept.
    void *other = MEM_StackAlloc(MEM_Arena, 16);
    ASSERT_NE(other, nullptr);
    SCR_FreeCopy();
    EXPECT_EQ(test::Stdout().substr(test::Stdout().size() - 18), "Erreur liberation\n");
    EXPECT_NE(SCR_CopyBuffer, nullptr);
    SCR_RestoreScreen(); // still usable
    ASSERT_EQ(MEM_StackFree(MEM_Arena, other), 1);
    SCR_FreeCopy();
    EXPECT_EQ(SCR_CopyBuffer, nullptr);
    EXPECT_EQ(MEM_StackFreeSpace(MEM_Arena), free_before);
}

TEST_F(ScrTest, CopiesStopWhenTheCopyNoLongerFits)
{
    struct Case {
        const char *name;
        std::function<void()> change;
    };
    const Case cases[] = {
        {"no copy held", [] { SCR_FreeCopy(); }},
        {"another screen size", [] { size(640, 400); }},
        {"the arena was reset by a film", [] { MEM_ResetStack(MEM_Arena); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        start(1);
        size(320, 200);
        ASSERT_TRUE(SCR_AllocCopy());
        c.change();
        // A block that now lies where the copy was must not be touched.
        uint8_t *film = static_cast<uint8_t *>(MEM_StackAlloc(MEM_Arena, 640 * 480 * 2));
        ASSERT_NE(film, nullptr);
        std::memset(film, 0x5A, 640 * 480 * 2);
        std::memset(SCR_FrameBuffer, 0x11, size_t(SCR_Width) * SCR_Height * 2);
        SCR_SaveScreen();
        SCR_SaveShownFrame();
        SCR_BlendScreen(1);
        SCR_RestoreScreen();
        for (size_t i = 0; i < 640 * 480 * 2; i++) {
            ASSERT_EQ(film[i], 0x5A) << i;
        }
        EXPECT_EQ(SCR_FrameBuffer[0], 0x1111);
        // The free gives back nothing that is not the copy's.
        const uint32_t free_space = MEM_StackFreeSpace(MEM_Arena);
        SCR_FreeCopy();
        if (std::string(c.name) != "another screen size") {
            EXPECT_EQ(MEM_StackFreeSpace(MEM_Arena), free_space);
            EXPECT_EQ(SCR_CopyBuffer, nullptr);
        }
    }
}

} // namespace

// The title menu's fire is primed with eight steps of input 0 on the one fire map.
TEST(ScrFire, PrimingStepsTheFireEightTimes)
{
    const uint32_t saved = GFX_FireSeed;
    GFX_FireSeed = 0xFE9A735C;
    std::memset(GFX_FireMap, 0, sizeof GFX_FireMap);
    GFX_PrimeFireTexture();
    EXPECT_EQ(GFX_FireSeed, 0x1DA6335Cu);
    // The map burns: a seed row below, heat risen into the rows above it, row 0 never touched.
    int seed = 0, risen = 0, top = 0;
    for (int c = 0; c < 64; c++) {
        seed += GFX_FireMap[83 * 64 + c];
        risen += GFX_FireMap[80 * 64 + c];
        top += GFX_FireMap[c];
    }
    EXPECT_GT(seed, 0);
    EXPECT_GT(risen, 0);
    EXPECT_EQ(top, 0);
    GFX_FireSeed = saved;
}
