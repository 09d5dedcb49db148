// The display back-ends on the headless platform: start and stop, mode changes, presents and flips,
// and the full-screen start's failures.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/dsp.h"
#include "core/scr.h"
#include "core/sys.h"
#include "core/win.h"
#include "plat/dialog.h"
#include "plat/display.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/golden.h"
#include "tests/support/neighbours.h"
#include "tests/support/testcard.h"

namespace {

constexpr uint32_t R565 = 0xF800, G565 = 0x07E0, B565 = 0x001F;
constexpr uint32_t R555 = 0x7C00, G555 = 0x03E0, B555 = 0x001F;
constexpr size_t kFrameBytes = 614400;

struct DspTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        fake::reset();
    }
    void TearDown() override { kalder_test::ResetCore(); }

    static int start(int32_t back_end)
    {
        DSP_BackEnd = back_end;
        return WIN_InitDisplay(nullptr, 1);
    }

    // A picture in which every pixel differs from its neighbours and from a cleared buffer.
    static void draw_pattern(uint32_t width, uint32_t height)
    {
        for (uint32_t i = 0; i < width * height; i++) {
            SCR_FrameBuffer[i] = uint16_t(i * 7 + 1);
        }
    }

    static bool all_zero(const uint16_t *pixels, size_t count)
    {
        for (size_t i = 0; i < count; i++) {
            if (pixels[i] != 0) {
                return false;
            }
        }
        return true;
    }
};

TEST_F(DspTest, WindowBackEndStartsWithAClearedBuffer)
{
    ASSERT_EQ(start(1), 1);
    ASSERT_NE(SCR_FrameBuffer, nullptr);
    // The fresh bitmap's fill pattern is gone.
    EXPECT_TRUE(all_zero(SCR_FrameBuffer, 640 * 480));
    EXPECT_EQ(SCR_ShownFrame, SCR_FrameBuffer);
    EXPECT_EQ(HNM_TargetTexture, nullptr); // 8-bit film pictures never reach the screen
    EXPECT_EQ(DSP_Rgb555, 0);
    EXPECT_EQ(test::Counts().dd_made, 0);

    draw_pattern(640, 480);
    DSP_Present();
    ASSERT_EQ(test::PresentCount(), 1);
    const test::Present &p = test::Presents().back();
    EXPECT_EQ(p.width, 640);
    EXPECT_EQ(p.height, 480);
    EXPECT_EQ(p.dest_width, 640);
    EXPECT_EQ(p.dest_height, 480);
    EXPECT_EQ(0, std::memcmp(p.pixels.data(), SCR_FrameBuffer, 640 * 480 * 2));
}

TEST_F(DspTest, FullScreenModeTableFollowsTheEnumeration)
{
    test::SetDisplayModes({
        {640, 480, 60, R565, G565, B565},
        {640, 480, 75, R565, G565, B565}, // the last refresh rate of a size wins
        {640, 480, 72, R555, G555, B555},
        {400, 300, 85, R565, G565, B565},
        {320, 200, 70, R555, G555, B555},
        {800, 600, 60, R565, G565, B565}, // in no entry
        {320, 240, 60, R565, G565, B565},
    });
    ASSERT_EQ(start(0), 1);
    const int valid[10] = {1, 1, 0, 0, 1, 0, 0, 0, 0, 1};
    const int refresh[10] = {75, 72, 0, 0, 85, 0, 0, 0, 0, 70};
    for (int i = 0; i < 10; i++) {
        EXPECT_EQ(DSP_ModeTable[i].valid, valid[i]) << i;
        EXPECT_EQ(DSP_ModeTable[i].refresh, refresh[i]) << i;
    }
    EXPECT_EQ(test::LastModeSet().width, 640);
    EXPECT_EQ(test::LastModeSet().bits, 16);
    EXPECT_EQ(test::LastModeSet().refresh, 75);
    EXPECT_EQ(DSP_Rgb555, 0);
    ASSERT_NE(SCR_FrameBuffer, nullptr);
    EXPECT_EQ(SCR_ShownFrame, SCR_FrameBuffer);
    EXPECT_EQ(HNM_TargetTexture, nullptr); // 8-bit film pictures never reach the screen
}

TEST_F(DspTest, StopReleasesWhatIsHeldOnceAndStartWorksAgain)
{
    for (int32_t back_end : {1, 0}) {
        SCOPED_TRACE(back_end);
        kalder_test::ResetCore();
        ASSERT_EQ(start(back_end), 1);
        DSP_Stop();
        DSP_Stop();
        const test::DisplayCounts &n = test::Counts();
        EXPECT_EQ(n.dc_deleted, back_end == 1 ? 1 : 0);
        EXPECT_EQ(n.dib_deleted, back_end == 1 ? 1 : 0);
        EXPECT_EQ(n.dd_released, back_end == 1 ? 0 : 1);
        EXPECT_EQ(n.dd2_released, back_end == 1 ? 0 : 1);
        EXPECT_EQ(n.chain_released, back_end == 1 ? 0 : 1);
        // Nothing is shown while stopped.
        DSP_Present();
        EXPECT_EQ(test::PresentCount() + test::FlipCount(), 0);

        ASSERT_EQ(DSP_Start(), 1);
        EXPECT_TRUE(all_zero(SCR_FrameBuffer, 640 * 480));
        DSP_Present();
        EXPECT_EQ(test::PresentCount() + test::FlipCount(), 1);
    }
    // A full-screen start that fails half-way releases only what it made.
    kalder_test::ResetCore();
    test::FailCall(test::Call::DDCooperativeLevel);
    ASSERT_EQ(start(0), 0);
    EXPECT_EQ(test::Counts().dd_released, 1);
    EXPECT_EQ(test::Counts().dd2_released, 1);
    EXPECT_EQ(test::Counts().chain_released, 0);
}

TEST_F(DspTest, ModeSizesOverBothBackEnds)
{
    struct Case {
        int32_t width;
        int32_t height;
        int accepted;
    };
    // The display offers 800x600 too: the refusal is the program's own.
    const Case cases[] = {
        {800, 600, 0}, {641, 480, 0}, {640, 481, 0}, {0, 480, 0},   {320, -200, 0},
        {320, 200, 1}, {640, 400, 1}, {400, 300, 1}, {320, 400, 1}, {640, 480, 1},
    };
    for (int32_t back_end : {1, 0}) {
        kalder_test::ResetCore();
        ASSERT_EQ(start(back_end), 1);
        for (const Case &c : cases) {
            SCOPED_TRACE(std::to_string(back_end) + ": " + std::to_string(c.width) + "x" + std::to_string(c.height));
            const int32_t width_before = WIN_Width;
            EXPECT_EQ(DSP_SetMode(c.width, c.height), c.accepted);
            EXPECT_EQ(WIN_Width, c.accepted ? c.width : width_before);
            if (c.accepted && back_end == 0) {
                EXPECT_EQ(test::LastModeSet().width, c.width);
                EXPECT_EQ(test::LastModeSet().height, c.height);
            }
        }
    }
}

TEST_F(DspTest, WindowBackEndStretchesSmallModesToTheClientArea)
{
    ASSERT_EQ(start(1), 1);
    ASSERT_EQ(DSP_SetMode(320, 200), 1);
    EXPECT_EQ(test::Counts().dib_deleted, 1);
    EXPECT_TRUE(all_zero(SCR_FrameBuffer, 320 * 200));
    EXPECT_EQ(SCR_ShownFrame, SCR_FrameBuffer);
    draw_pattern(320, 200);
    DSP_Present();
    {
        const test::Present &p = test::Presents().back();
        EXPECT_EQ(p.width, 320);
        EXPECT_EQ(p.height, 200);
        EXPECT_EQ(p.dest_width, 640);
        EXPECT_EQ(p.dest_height, 480);
        EXPECT_EQ(0, std::memcmp(p.pixels.data(), SCR_FrameBuffer, 320 * 200 * 2));
    }
    // The user made the window larger: the picture follows.
    test::SetClientSize(1000, 700);
    DSP_Present();
    EXPECT_EQ(test::Presents().back().dest_width, 1000);
    EXPECT_EQ(test::Presents().back().dest_height, 700);
}

TEST_F(DspTest, RefusedModesLeaveEverythingAsItWas)
{
    struct Case {
        const char *what;
        int32_t back_end;
        void (*arrange)(); // after the start
        int32_t width;
        int32_t height;
    };
    const Case cases[] = {
        {"window: too large", 1, [] {}, 800, 600},
        {"window: no new bitmap", 1, [] { test::FailCall(test::Call::CreateDib); }, 320, 200},
        {"full screen: too large", 0, [] {}, 800, 600},
        {"full screen: size not offered", 0, [] {}, 400, 300},
        {"full screen: mode set fails", 0, [] { test::FailCall(test::Call::DDSetDisplayMode); }, 320, 200},
        {"full screen: wrong masks and no twin", 0, [] { test::SetMasksAfterSet(R555, G555, B555); }, 320, 200},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        kalder_test::ResetCore();
        test::SetDisplayModes({{640, 480, 60, R565, G565, B565}, {320, 200, 60, R565, G565, B565},
                               {800, 600, 60, R565, G565, B565}});
        ASSERT_EQ(start(c.back_end), 1);
        draw_pattern(640, 480);
        const std::vector<uint16_t> before(SCR_FrameBuffer, SCR_FrameBuffer + 640 * 480);
        uint16_t *const buffer = SCR_FrameBuffer;
        c.arrange();
        EXPECT_EQ(DSP_SetMode(c.width, c.height), 0);
        EXPECT_EQ(SCR_FrameBuffer, buffer);
        EXPECT_EQ(SCR_ShownFrame, buffer);
        EXPECT_EQ(WIN_Width, 640);
        EXPECT_EQ(WIN_Height, 480);
        EXPECT_EQ(DSP_Rgb555, 0);
        EXPECT_EQ(0, std::memcmp(before.data(), SCR_FrameBuffer, before.size() * 2));
        EXPECT_TRUE(test::MessageBoxes().empty());
        // The kept mode is still shown whole.
        DSP_Present();
        if (c.back_end == 1) {
            EXPECT_EQ(test::Presents().back().width, 640);
        } else {
            EXPECT_EQ(test::Flips().back().width, 640);
            EXPECT_EQ(0, std::memcmp(test::Flips().back().bytes.data(), before.data(), kFrameBytes));
        }
    }
}

TEST_F(DspTest, PixelFormatChosenFromTheMasks)
{
    struct Case {
        const char *what;
        std::vector<test::DisplayMode> modes;
        bool masks_555_after_set;
        int32_t rgb555;
        int mode_sets;
    };
    const Case cases[] = {
        {"RGB565 offered", {{640, 480, 60, R565, G565, B565}}, false, 0, 1},
        {"only RGB555 offered", {{640, 480, 60, R555, G555, B555}}, false, 1, 1},
        {"RGB565 offered but RGB555 set", {{640, 480, 60, R565, G565, B565}, {640, 480, 60, R555, G555, B555}},
         true, 1, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        kalder_test::ResetCore();
        test::SetDisplayModes(c.modes);
        if (c.masks_555_after_set) {
            test::SetMasksAfterSet(R555, G555, B555);
        }
        ASSERT_EQ(start(0), 1);
        EXPECT_EQ(DSP_Rgb555, c.rgb555);
        EXPECT_EQ(test::Counts().mode_sets, c.mode_sets);
        EXPECT_EQ(test::LastModeSet().bits, 16);
    }
}

TEST_F(DspTest, FullScreenModeChangeClearsTheWholeBuffer)
{
    ASSERT_EQ(start(0), 1);
    draw_pattern(640, 480);
    const int locks = test::Counts().locks;
    ASSERT_EQ(DSP_SetMode(320, 200), 1);
    EXPECT_TRUE(all_zero(SCR_FrameBuffer, 640 * 480));
    EXPECT_EQ(test::Counts().locks, locks + 1);
    EXPECT_EQ(test::Counts().unlocks, test::Counts().locks);
    EXPECT_EQ(test::Counts().chain_released, 1); // the old chain
    DSP_Present();
    EXPECT_EQ(test::Flips().back().width, 320);
    EXPECT_EQ(test::Flips().back().height, 200);
}

TEST_F(DspTest, PresentCopiesIntoTheBackSurfaceByItsPitch)
{
    struct Case {
        int32_t width;
        int32_t height;
        int32_t pitch; // 0: width x 2
    };
    for (const Case &c : {Case{640, 480, 0}, Case{320, 200, 0}, Case{400, 300, 832}, Case{640, 480, 1408},
                          Case{320, 200, 641}}) {
        SCOPED_TRACE(std::to_string(c.width) + " pitch " + std::to_string(c.pitch));
        kalder_test::ResetCore();
        test::SetBackPitch(c.pitch);
        ASSERT_EQ(start(0), 1);
        ASSERT_EQ(DSP_SetMode(c.width, c.height), 1);
        draw_pattern(uint32_t(c.width), uint32_t(c.height));
        DSP_Present();
        ASSERT_EQ(test::FlipCount(), 1);
        const test::Flip &f = test::Flips().back();
        const int32_t pitch = c.pitch != 0 ? c.pitch : c.width * 2;
        ASSERT_EQ(f.pitch, pitch);
        ASSERT_EQ(f.bytes.size(), size_t(pitch) * size_t(c.height));
        const auto *frame = reinterpret_cast<const uint8_t *>(SCR_FrameBuffer);
        bool rows_match = true;
        bool padding_untouched = true;
        for (int32_t y = 0; y < c.height; y++) {
            const uint8_t *row = f.bytes.data() + size_t(y) * size_t(pitch);
            rows_match = rows_match && std::memcmp(row, frame + size_t(y) * size_t(c.width) * 2, size_t(c.width) * 2) == 0;
            for (int32_t x = c.width * 2; x < pitch; x++) {
                padding_untouched = padding_untouched && row[x] == 0xCD;
            }
        }
        EXPECT_TRUE(rows_match);
        EXPECT_TRUE(padding_untouched);
        EXPECT_EQ(test::Counts().unlocks, test::Counts().locks);
    }
}

TEST_F(DspTest, FlipResults)
{
    struct Case {
        const char *what;
        std::vector<int> script;
        int lock_fails;
        int flips;
        int restores;
        bool copied;
    };
    const Case cases[] = {
        {"accepted", {PLAT_FLIP_OK}, 0, 1, 0, true},
        {"busy twice", {PLAT_FLIP_STILL, PLAT_FLIP_STILL, PLAT_FLIP_OK}, 0, 3, 0, true},
        {"lost", {PLAT_FLIP_LOST}, 0, 1, 1, true},
        {"other error", {PLAT_FLIP_ERROR, PLAT_FLIP_STILL}, 0, 1, 0, true},
        {"lock fails", {PLAT_FLIP_OK}, 1, 1, 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        kalder_test::ResetCore();
        ASSERT_EQ(start(0), 1);
        draw_pattern(640, 480);
        test::ScriptFlips(c.script);
        if (c.lock_fails) {
            test::FailCall(test::Call::DDLock);
        }
        DSP_Present();
        EXPECT_EQ(test::FlipCount(), c.flips);
        EXPECT_EQ(test::Counts().restores, c.restores);
        EXPECT_TRUE(test::MessageBoxes().empty());
        const test::Flip &f = test::Flips().back();
        const bool copied = std::memcmp(f.bytes.data(), SCR_FrameBuffer, kFrameBytes) == 0;
        EXPECT_EQ(copied, c.copied);
        if (!c.copied) {
            EXPECT_EQ(f.bytes[0], 0xCD);
        }
        EXPECT_EQ(test::Counts().unlocks, test::Counts().locks);
    }
    // After a lost frame the next present flips again, with the next picture.
    kalder_test::ResetCore();
    ASSERT_EQ(start(0), 1);
    test::ScriptFlips({PLAT_FLIP_LOST});
    DSP_Present();
    draw_pattern(640, 480);
    DSP_Present();
    ASSERT_EQ(test::FlipCount(), 2);
    EXPECT_EQ(test::Flips().back().result, PLAT_FLIP_OK);
    EXPECT_EQ(0, std::memcmp(test::Flips().back().bytes.data(), SCR_FrameBuffer, kFrameBytes));
}

TEST_F(DspTest, DirectDrawingLocksAndUnlocksInPairs)
{
    ASSERT_EQ(start(0), 1);
    const test::DisplayCounts n = test::Counts();
    DSP_BeginDraw();
    EXPECT_EQ(test::Counts().locks, n.locks + 1);
    EXPECT_EQ(test::Counts().unlocks, n.unlocks);
    DSP_EndDraw();
    EXPECT_EQ(test::Counts().unlocks, n.unlocks + 1);

    // The window back-end has nothing to lock.
    kalder_test::ResetCore();
    ASSERT_EQ(start(1), 1);
    DSP_BeginDraw();
    DSP_EndDraw();
    EXPECT_EQ(test::Counts().locks, 0);
    EXPECT_EQ(test::Counts().unlocks, 0);
}

TEST_F(DspTest, DisplayLostToALaterSurfaceFailureShowsNothingMore)
{
    struct Case {
        test::Call call;
        std::vector<std::string> boxes;
    };
    const Case cases[] = {
        {test::Call::DDCreateFlipChain, {"Can't create primary surface under DirectDraw"}},
        {test::Call::DDGetBackSurface, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.call));
        kalder_test::ResetCore();
        ASSERT_EQ(start(0), 1);
        uint16_t *const buffer = SCR_FrameBuffer;
        test::FailCall(c.call);
        EXPECT_EQ(DSP_SetMode(320, 200), 0);
        std::vector<std::string> boxes;
        for (const test::MessageBox &box : test::MessageBoxes()) {
            boxes.push_back(box.text);
        }
        EXPECT_EQ(boxes, c.boxes);

        const test::DisplayCounts n = test::Counts();
        DSP_Present();
        DSP_BeginDraw();
        DSP_EndDraw();
        EXPECT_EQ(test::FlipCount(), 0);
        EXPECT_EQ(test::Counts().locks, n.locks);
        EXPECT_EQ(test::Counts().unlocks, n.unlocks);
        EXPECT_EQ(DSP_SetMode(640, 480), 0);
        EXPECT_EQ(DSP_SetMode(320, 200), 0);
        // The game may go on drawing into its buffer.
        EXPECT_EQ(SCR_FrameBuffer, buffer);
        std::memset(SCR_FrameBuffer, 0x55, kFrameBytes);
    }
    // Calls after a stop are as harmless.
    kalder_test::ResetCore();
    ASSERT_EQ(start(0), 1);
    WIN_ShutdownDisplay();
    DSP_Present();
    DSP_BeginDraw();
    DSP_EndDraw();
    EXPECT_EQ(DSP_SetMode(640, 480), 0);
    EXPECT_EQ(test::FlipCount(), 0);
}

TEST_F(DspTest, PresentedCardsMatchTheirGoldens)
{
    // The window back-end shows its bitmap as drawn.
    ASSERT_EQ(start(1), 1);
    ASSERT_EQ(DSP_SetMode(320, 200), 1);
    kalder_test::DrawTestCard(SCR_FrameBuffer, 320, 200, false);
    DSP_Present();
    EXPECT_TRUE(kalder_test::MatchesGolden("testcard-320x200-rgb565", test::Presents().back().pixels.data(), 320,
                                           200, false));

    // The full-screen back-end, on a 15-bit display whose rows are wider than the picture's.
    kalder_test::ResetCore();
    test::SetDisplayModes({{640, 480, 60, R555, G555, B555}, {400, 300, 60, R555, G555, B555}});
    test::SetBackPitch(832);
    ASSERT_EQ(start(0), 1);
    ASSERT_EQ(DSP_SetMode(400, 300), 1);
    ASSERT_EQ(DSP_Rgb555, 1);
    kalder_test::DrawTestCard(SCR_FrameBuffer, 400, 300, true);
    DSP_Present();
    const test::Flip &f = test::Flips().back();
    std::vector<uint16_t> shown(400 * 300);
    for (int y = 0; y < 300; y++) {
        std::memcpy(&shown[size_t(y) * 400], f.bytes.data() + size_t(y) * 832, 800);
    }
    EXPECT_TRUE(kalder_test::MatchesGolden("testcard-400x300-rgb555", shown.data(), 400, 300, true));
}

struct StartFailure {
    test::Call call;
    std::vector<std::string> boxes;
};

const StartFailure start_failures[] = {
    {test::Call::DDCreate, {"Can't start Direct Draw"}},
    {test::Call::DDQueryInterface2, {"Can't go to Direct Draw 2"}},
    {test::Call::DDCooperativeLevel, {"Can't do SetCooperative Level"}},
    {test::Call::DDSetDisplayMode, {"Can't set DirectDraw mode"}},
    {test::Call::DDCreateFlipChain, {"Can't create primary surface under DirectDraw", "Can't set DirectDraw mode"}},
    {test::Call::DDGetBackSurface, {"Can't set DirectDraw mode"}},
};

TEST_F(DspTest, FullScreenStartFailures)
{
    for (const StartFailure &c : start_failures) {
        SCOPED_TRACE(int(c.call));
        kalder_test::ResetCore();
        test::FailCall(c.call);
        EXPECT_EQ(start(0), 0);
        std::vector<std::string> boxes;
        for (const test::MessageBox &box : test::MessageBoxes()) {
            boxes.push_back(box.text);
            EXPECT_EQ(box.title, "DIRECT DRAW ERROR");
            EXPECT_EQ(box.icon, PLAT_ICON_WARNING);
            EXPECT_FALSE(box.owned);
        }
        EXPECT_EQ(boxes, c.boxes);
        const test::DisplayCounts &n = test::Counts();
        EXPECT_EQ(n.dd_released, n.dd_made);
        EXPECT_EQ(n.dd2_released, n.dd2_made);
        EXPECT_EQ(n.chain_released, n.chain_made);
    }
}

TEST_F(DspTest, FullScreenStartFailureEndsTheProgramBeforeAnythingElse)
{
    for (const StartFailure &c : start_failures) {
        SCOPED_TRACE(int(c.call));
        kalder_test::ResetCore();
        fake::reset();
        DSP_BackEnd = 0;
        test::FailCall(c.call);
        EXPECT_EQ(WinMain(nullptr, nullptr, "", 1), 0);
        EXPECT_TRUE(fake::calls().empty());
        EXPECT_EQ(MEM_Arena, nullptr);
        EXPECT_EQ(test::Stdout(), "");
    }
}

} // namespace
