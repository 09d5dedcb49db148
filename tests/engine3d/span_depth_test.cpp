// The spans tested against the background depth image: strictly nearer draws, the signed 16-bit
// compare and wrap, the five pixel rules, the halving mask, and spans with no image or off it.
#include <algorithm>
#include <vector>

#include "core/dsp.h"
#include "engine3d/hmap.h"
#include "tests/engine3d/span_fixture.h"
#include "tests/support/hmap_writer.h"
#include "tests/support/scenes.h"

namespace kalder_test {
namespace {

constexpr int32_t kTypes[] = {17, 18, -11, -10, -15};
constexpr uint16_t kColour = 0x1234;
constexpr uint16_t kPixel = 0xA5A5;

class SpanDepthTest : public SpanTest {
protected:
    SpanDepthTest()
    {
        FillHashTexels(texels());
        SetColour(kColour);
        Set8(SURF_SHADE, 3);
        Set32(SURF_X, 0);
        Set32(SURF_U, 0x20000);
        Set32(SURF_V, 0x70000);
        Set32(SURF_U_X, 0x10000);
        Set32(SURF_V_X, 0);
        Depth(1000, 0);
        Current_Scanline = 1;
    }
    ~SpanDepthTest() override
    {
        HMAP_SetCurrent(nullptr);
        Set_Blend_Mask(16);
    }

    void Depth(float edge, float step)
    {
        SetF(SURF_DEPTH, edge);
        SetF(SURF_DEPTH_X, step);
    }

    // A width x 3 image through the file writer, exactly sized: row 1 holds `samples` from column 0
    // (the rest 0), rows 0 and 2 are 0x7FFF so that a wrong row hides everything.
    void Image(int32_t width, const std::vector<uint16_t> &samples, int32_t shift_word = 0)
    {
        HmapWriter w;
        w.width = width;
        w.height = 3;
        w.shift = shift_word;
        std::vector<uint16_t> row1(samples);
        row1.resize(size_t(width), 0);
        w.runs = {RampRun(uint16_t(width), 0x7FFF, 0), LiteralRun(row1), RampRun(uint16_t(width), 0x7FFF, 0)};
        const std::vector<uint8_t> file = w.Bytes();
        image.assign(Hmap_Image_Size(file.data(), uint32_t(file.size())), 0);
        ASSERT_EQ(Hmap_Convert(image.data(), file.data(), uint32_t(file.size())), 1);
        HMAP_SetCurrent(image.data());
    }

    // The colour a type writes at pixel k of a span from x start 0 with the fixture's surface.
    uint16_t Drawn(int32_t type, int32_t k, int32_t dx = 0) const
    {
        const uint8_t t = const_cast<SpanDepthTest *>(this)->texels()[AffineTexel(0x20000, 0x70000, k + dx, 0x10000, 0)];
        const uint16_t shaded = uint16_t(3 << 11 | t);
        const uint16_t half = uint16_t(((shaded >> 1) & Span_Half_Mask) + ((kPixel >> 1) & Span_Half_Mask));
        switch (type) {
        case 17:
            return kColour;
        case 18:
            return shaded;
        case -11:
            return t != 0 ? shaded : kPixel;
        case -10:
            return half;
        default:
            return t != 0 ? half : kPixel;
        }
    }

    void Run(int32_t type, int32_t x_start, int32_t count)
    {
        std::fill(std::begin(line), std::end(line), kPixel);
        Draw(type, x_start, count);
    }

    std::vector<uint8_t> image;
};

TEST_F(SpanDepthTest, OnlyStrictlyNearerPixelsAreDrawn)
{
    // Surface depth 1000 all along: 1000 hides, 999 draws, 0x8000 (negative) draws, 1001 hides.
    Image(16, {1000, 999, 0x8000, 1001, 0, 1000, 999});
    for (int32_t type : kTypes) {
        Run(type, 0, 7);
        const bool drawn[] = {false, true, true, false, true, false, true};
        for (int32_t k = 0; k < 7; k++) {
            ASSERT_EQ(line[k], drawn[k] ? Drawn(type, k) : kPixel) << "type " << type << " k " << k;
        }
        EXPECT_EQ(line[7], kPixel);
    }
}

TEST_F(SpanDepthTest, ANegativeSampleLetsEverySurfaceDraw)
{
    Image(8, std::vector<uint16_t>(8, 0x8000));
    for (float depth : {0.0f, 5.0f, 32767.0f, 32769.0f, 65535.0f}) {
        Depth(depth, 0);
        for (int32_t type : kTypes) {
            Run(type, 0, 8);
            for (int32_t k = 0; k < 8; k++) {
                ASSERT_EQ(line[k], Drawn(type, k)) << "type " << type << " depth " << depth;
            }
        }
    }
}

TEST_F(SpanDepthTest, TheDepthStepsInWrappingSixteenBitSumsComparedSigned)
{
    Image(8, std::vector<uint16_t>(8, 0));
    // 0x7FF0 + 0x10 wraps to -32768 at the second pixel; a step of 0x10010 keeps its low 16 bits.
    for (float step : {16.0f, 65552.0f}) {
        Depth(32752.0f, step);
        for (int32_t type : kTypes) {
            Run(type, 0, 3);
            EXPECT_EQ(line[0], Drawn(type, 0)) << "type " << type;
            EXPECT_EQ(line[1], kPixel) << "type " << type << " step " << step;
            EXPECT_EQ(line[2], kPixel) << "type " << type;
        }
    }
    // Rounded to nearest before the shift: 999.5 is 1000 (ties to even), the step 1.7 is 2.
    Image(8, {1000, 1000});
    Depth(999.5f, 1.7f);
    Run(17, 0, 2);
    EXPECT_EQ(line[0], kPixel);
    EXPECT_EQ(line[1], kColour);
}

TEST_F(SpanDepthTest, AKeyedHoleStillMovesToTheNextColumnsSample)
{
    // Pixel k reads texel (2 + k, 7): the first is made a hole.
    texels()[7 * 256 + 2] = 0;
    texels()[7 * 256 + 3] = 0x42;
    texels()[7 * 256 + 4] = 0x43;
    Image(8, {0, 2000, 0});
    for (int32_t type : {-11, -15}) {
        Run(type, 0, 3);
        EXPECT_EQ(line[0], kPixel) << "the hole";
        EXPECT_EQ(line[1], kPixel) << "column 1's own sample hides it";
        EXPECT_EQ(line[2], Drawn(type, 2)) << "column 2's own sample lets it draw";
        EXPECT_NE(line[2], kPixel);
    }
}

TEST_F(SpanDepthTest, ASpanRightOfItsEdgeKeepsTheEdgeDepthButMovesItsTexels)
{
    // The edge at column 2; the span from column 6 meets depth 1000 (not 1000 + 4 steps) at its first
    // pixel, while its texels are those of column 6.
    Set32(SURF_X, 2 * 4096);
    Depth(1000, 100);
    Image(16, {0, 0, 0, 0, 0, 0, 1000, 1099, 1200, 1301});
    for (int32_t type : kTypes) {
        Run(type, 6, 4);
        EXPECT_EQ(line[6], kPixel) << "type " << type;
        EXPECT_EQ(line[7], Drawn(type, 1, 4)) << "type " << type;
        EXPECT_EQ(line[8], kPixel) << "type " << type;
        EXPECT_EQ(line[9], kPixel) << "type " << type;
    }
}

TEST_F(SpanDepthTest, TheBlendsHalveThroughTheDisplaysMask)
{
    Image(8, std::vector<uint16_t>(8, 0));
    texels()[7 * 256 + 2] = 0xFF;
    for (int32_t bits : {16, 15}) {
        Set_Blend_Mask(bits);
        const uint16_t mask = bits == 15 ? 0x3DEF : 0x7BEF;
        const uint16_t shaded = uint16_t(3 << 11 | 0xFF);
        for (int32_t type : {-10, -15}) {
            Run(type, 0, 1);
            EXPECT_EQ(line[0], uint16_t(((shaded >> 1) & mask) + ((kPixel >> 1) & mask))) << "type " << type << " bits " << bits;
        }
    }
}

TEST_F(SpanDepthTest, NoImageARowOffItOrANegativeCountDrawNothing)
{
    Image(8, std::vector<uint16_t>(8, 0));
    for (int32_t type : kTypes) {
        std::fill(std::begin(line), std::end(line), kPixel);
        Span_Routines[type - Span_Type_First](line, -3, 0, surface);
        EXPECT_EQ(line[0], kPixel);
        for (int32_t row : {-1, 3, 100000}) {
            Current_Scanline = row;
            Run(type, 0, 8);
            EXPECT_EQ(std::count(std::begin(line), std::end(line), kPixel), 320) << "type " << type << " row " << row;
        }
        Current_Scanline = 1;
        HMAP_SetCurrent(nullptr);
        Run(type, 0, 8);
        EXPECT_EQ(std::count(std::begin(line), std::end(line), kPixel), 320) << "type " << type << " without an image";
        HMAP_SetCurrent(image.data());
    }
}

TEST_F(SpanDepthTest, ColumnsPastANarrowImageAreNotDrawnButStillStep)
{
    // An exactly sized image of 6 columns: a read past it is AddressSanitizer's to report.
    Image(6, std::vector<uint16_t>(6, 0));
    Depth(400, -200); // 400 at column 3, 200 at 4, 0 at 5
    for (int32_t type : kTypes) {
        Run(type, 3, 10);
        EXPECT_EQ(line[3], Drawn(type, 3)) << "type " << type;
        EXPECT_EQ(line[4], Drawn(type, 4)) << "type " << type;
        EXPECT_EQ(line[5], kPixel) << "type " << type << ": depth 0 is not nearer than 0";
        for (int32_t x = 6; x < 13; x++) {
            ASSERT_EQ(line[x], kPixel) << "type " << type << " column " << x;
        }
    }
}

TEST_F(SpanDepthTest, TheShiftIsTakenModuloThirtyTwo)
{
    // A shift word of 40 shifts by 8: 0x20000 becomes 0x200.
    Image(4, {0x1FF, 0x200}, 40);
    Depth(131072.0f, 0);
    for (int32_t type : kTypes) {
        Run(type, 0, 2);
        EXPECT_EQ(line[0], Drawn(type, 0)) << "type " << type;
        EXPECT_EQ(line[1], kPixel) << "type " << type;
    }
}

TEST(SpanFormat, EachFrameHalvesWithTheDisplaysFormat)
{
    SceneArea area;
    ASSERT_GE(LoadScene(area, "empty"), 0);
    std::vector<uint16_t> frame(size_t(OBJ_View.screen_width) * size_t(OBJ_View.screen_height));
    DSP_Rgb555 = 1;
    Render_Frame(frame.data());
    EXPECT_EQ(Span_Half_Mask, 0x3DEF);
    DSP_Rgb555 = 0;
    Render_Frame(frame.data());
    EXPECT_EQ(Span_Half_Mask, 0x7BEF);
}

} // namespace
} // namespace kalder_test
