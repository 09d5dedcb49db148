// The colour-scaling tables, the spans blended through them, and the frame's format check that builds
// them.
#include <random>
#include <vector>

#include "core/dsp.h"
#include "tests/engine3d/span_fixture.h"
#include "tests/support/scenes.h"

namespace kalder_test {
namespace {

// The blend of one pixel, channel by channel from the formats' definitions: each term is the channel
// times its factor, shifted down and rounded down.
uint16_t Expected(uint16_t s, uint16_t d, uint32_t k, bool rgb555)
{
    struct Channel {
        uint32_t at, bits, shift, out; // field position and width; shift of the product; where it goes
    };
    const Channel c565[3] = {{0, 5, 5, 0}, {5, 6, 6, 6}, {11, 5, 5, 11}};
    const Channel c555[3] = {{0, 5, 5, 0}, {5, 5, 5, 5}, {10, 5, 5, 10}};
    uint32_t out = 0;
    for (const Channel &c : rgb555 ? c555 : c565) {
        const uint32_t mask = (1u << c.bits) - 1;
        const uint32_t sv = (s >> c.at) & mask, dv = (d >> c.at) & mask;
        out += (((sv * k) >> c.shift) + ((dv * (32 - k)) >> c.shift)) << c.out;
    }
    return uint16_t(out);
}

class AlphaTablesTest : public ::testing::Test {
protected:
    ~AlphaTablesTest() override { ResetBlendTables(); }
};

TEST_F(AlphaTablesTest, SpotEntriesOfTheSixTables)
{
    struct Case {
        bool rgb555;
        uint32_t k;
        uint32_t entries[SCALE_TABLE_COUNT][4]; // at bytes 0x00, 0x1F, 0xE0, 0xFF
    };
    const Case cases[] = {
        {false, 0, {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0x1F, 0, 0x1F}, {0, 0x3C0, 0x400, 0x7C0}, {0, 0x1800, 0xE000, 0xF800}}},
        {false, 1, {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0x1E, 0, 0x1E}, {0, 0x3C0, 0x3C0, 0x780}, {0, 0x1000, 0xD800, 0xF000}}},
        {false, 16, {{0, 0xF, 0, 0xF}, {0, 0x1C0, 0x200, 0x3C0}, {0, 0x800, 0x7000, 0x7800}, {0, 0xF, 0, 0xF}, {0, 0x1C0, 0x200, 0x3C0}, {0, 0x800, 0x7000, 0x7800}}},
        {false, 31, {{0, 0x1E, 0, 0x1E}, {0, 0x3C0, 0x3C0, 0x780}, {0, 0x1000, 0xD800, 0xF000}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}},
        {true, 0, {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0x1F, 0, 0x1F}, {0, 0x3E0, 0, 0x3E0}, {0, 0x1C00, 0x6000, 0x7C00}}},
        {true, 1, {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0x1E, 0, 0x1E}, {0, 0x3C0, 0, 0x3C0}, {0, 0x1800, 0x5C00, 0x7800}}},
        {true, 16, {{0, 0xF, 0, 0xF}, {0, 0x1E0, 0, 0x1E0}, {0, 0xC00, 0x3000, 0x3C00}, {0, 0xF, 0, 0xF}, {0, 0x1E0, 0, 0x1E0}, {0, 0xC00, 0x3000, 0x3C00}}},
        {true, 31, {{0, 0x1E, 0, 0x1E}, {0, 0x3C0, 0, 0x3C0}, {0, 0x1800, 0x5C00, 0x7800}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}},
    };
    const uint32_t bytes[4] = {0x00, 0x1F, 0xE0, 0xFF};
    for (const Case &c : cases) {
        c.rgb555 ? Build_Shade_Tables() : Build_Shade_Tables_565();
        for (int t = 0; t < SCALE_TABLE_COUNT; t++) {
            for (int b = 0; b < 4; b++) {
                EXPECT_EQ(SPAN_ScaleTables[t][c.k][bytes[b]], c.entries[t][b])
                    << (c.rgb555 ? "555" : "565") << " k " << c.k << " table " << t << " byte " << bytes[b];
            }
        }
    }
}

TEST_F(AlphaTablesTest, DestinationTablesUseTheComplementaryFactor)
{
    for (bool rgb555 : {false, true}) {
        rgb555 ? Build_Shade_Tables() : Build_Shade_Tables_565();
        int wrong = 0;
        for (uint32_t k = 1; k < 32; k++) {
            for (uint32_t b = 0; b < 256; b++) {
                for (int t = 0; t < 3; t++) {
                    wrong += SPAN_ScaleTables[SCALE_DST_BLUE + t][k][b] != SPAN_ScaleTables[SCALE_SRC_BLUE + t][32 - k][b];
                }
            }
        }
        EXPECT_EQ(wrong, 0) << (rgb555 ? "555" : "565");
    }
}

TEST_F(AlphaTablesTest, LevelZeroKeepsTheDestinationAndHalfWhiteOverBlackRoundsDown)
{
    Build_Shade_Tables();
    int changed = 0;
    for (uint32_t d = 0; d < 0x8000; d++) {
        changed += Span_Alpha_Blend(0xFFFF - d, d, 0) != d;
    }
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(Span_Alpha_Blend(0x7FFF, 0, 16), 0x3DEF);

    Build_Shade_Tables_565();
    changed = 0;
    for (uint32_t d = 0; d < 0x10000; d++) {
        changed += Span_Alpha_Blend(0xFFFF - d, d, 0) != (d & ~0x20u);
    }
    EXPECT_EQ(changed, 0) << "only the lowest green bit is cleared";
    EXPECT_EQ(Span_Alpha_Blend(0xFFFF, 0, 16), 0x7BCF);
}

TEST_F(AlphaTablesTest, EveryLevelFollowsTheChannelFormula)
{
    std::mt19937 random(26);
    for (bool rgb555 : {false, true}) {
        rgb555 ? Build_Shade_Tables() : Build_Shade_Tables_565();
        const uint32_t top = rgb555 ? 0x7FFF : 0xFFFF;
        int wrong = 0;
        for (uint32_t k = 0; k < 32; k++) {
            for (int n = 0; n < 2000; n++) {
                const uint16_t s = uint16_t(random() & top), d = uint16_t(random() & top);
                if (Span_Alpha_Blend(s, d, k) != Expected(s, d, k, rgb555) && wrong++ < 5) {
                    ADD_FAILURE() << std::hex << s << " over " << d << " at " << std::dec << k;
                }
            }
        }
        // Level 31: 31/32 of the source and 1/32 of the destination, each rounded down, so white over white
        // comes out a step darker.
        EXPECT_EQ(Span_Alpha_Blend(0xFFFF, 0xFFFF, 31), rgb555 ? 0x7BDE : 0xF79E);
        EXPECT_EQ(Span_Alpha_Blend(0, rgb555 ? 0x7FFF : 0xFFFF, 31), 0);
        EXPECT_EQ(wrong, 0);
    }
}

// ---- The spans --------------------------------------------------------------------------------------

class AlphaSpanTest : public SpanTest {
protected:
    AlphaSpanTest() { Build_Shade_Tables_565(); }
    ~AlphaSpanTest() override { ResetBlendTables(); }

    // An affine surface from texel (u, 5) at column `edge`, stepping one texel a column.
    void Affine(int32_t u, int32_t edge = 0)
    {
        Set32(SURF_X, edge << 12);
        Set32(SURF_U, u << 16);
        Set32(SURF_V, 5 << 16);
        Set32(SURF_U_X, 1 << 16);
        Set32(SURF_V_X, 0);
    }
    // A backdrop of distinct colours under the span.
    void Backdrop()
    {
        for (int i = 0; i < 320; i++) {
            line[i] = uint16_t(0x9A5C + i * 0x0841);
        }
    }
    std::vector<uint16_t> Line() const { return {std::begin(line), std::end(line)}; }
};

TEST_F(AlphaSpanTest, AffineAlphaComesFromTheColoursUpperByteAndIsHeldTo31)
{
    for (uint32_t i = 0; i < 65536; i++) {
        texels()[i] = uint8_t(i * 7);
    }
    Set8(SURF_SHADE, 3);
    Affine(10);
    struct Case {
        uint16_t colour;
        uint32_t level;
    };
    for (const Case &c : {Case{0x0000, 0}, Case{0x0800, 8}, Case{0x1F00, 31}, Case{0x2000, 31}, Case{0xFF00, 31},
                          Case{0x10FF, 16}}) {
        SCOPED_TRACE(c.colour);
        SetColour(c.colour);
        Backdrop();
        const std::vector<uint16_t> before = Line();
        Draw(-13, 20, 37);
        for (int32_t x = 0; x < 320; x++) {
            const uint16_t texel = uint16_t(3 << 11 | uint8_t((5 * 256 + 10 + x) * 7));
            const uint16_t want = x >= 20 && x < 57 ? Expected(texel, before[size_t(x)], c.level, false) : before[size_t(x)];
            ASSERT_EQ(line[x], want) << "column " << x;
        }
    }
}

TEST_F(AlphaSpanTest, PerspectiveAlphaIsTheLevelByteOverEverySegmentLength)
{
    // The source is what Span_Persp draws on the same surface.
    for (uint32_t i = 0; i < 65536; i++) {
        texels()[i] = uint8_t(i ^ (i >> 8));
    }
    Set32(SURF_X, 3 << 12);
    SetF(SURF_DEPTH, 0.01f);
    SetF(SURF_DEPTH_X, 0.0001f);
    SetF(SURF_DEPTH_16, 0.0016f);
    SetF(SURF_U, 0.01f * 20 * 65536);
    SetF(SURF_V, 0.01f * 9 * 65536);
    SetF(SURF_U_X, 2.5f * 65536 * 0.01f);
    SetF(SURF_V_X, 0.7f * 65536 * 0.01f);
    SetF(SURF_U_16, 16 * 2.5f * 65536 * 0.01f);
    SetF(SURF_V_16, 16 * 0.7f * 65536 * 0.01f);
    Set8(SURF_SHADE, 1);
    for (int32_t count : {1, 2, 16, 17, 33}) {
        std::fill(std::begin(line), std::end(line), 0);
        Draw(3, 5, count);
        const std::vector<uint16_t> source = Line();
        for (uint8_t level : {uint8_t(0), uint8_t(1), uint8_t(16), uint8_t(31), uint8_t(40)}) {
            SCOPED_TRACE(testing::Message() << "count " << count << " level " << int(level));
            Set8(SURF_LEVEL, level);
            Backdrop();
            const std::vector<uint16_t> before = Line();
            Draw(-12, 5, count);
            for (int32_t x = 0; x < 320; x++) {
                const bool in = x >= 5 && x < 5 + count;
                const uint16_t want = in ? Expected(source[size_t(x)], before[size_t(x)], level > 31 ? 31 : level, false)
                                         : before[size_t(x)];
                ASSERT_EQ(line[x], want) << "column " << x;
            }
        }
    }
}

// 16-bit texels at (u, 5): the colour index through the surface's shading row, the alpha from the high
// byte, held to 31.
TEST_F(AlphaSpanTest, TexelAlphaTypesBlendEachTexelAtItsOwnLevel)
{
    const std::vector<uint8_t> map =
        HicolourTexels([](int x, int y) { return uint16_t((x + y) & 0xFF) | uint16_t(((x * 3) % 48) << 8); });
    std::copy(map.begin(), map.end(), texels());
    Set8(SURF_SHADE, 2);
    auto texel = [&](uint32_t u) { return uint16_t(map[(5 * 256 + u) * 2] | map[(5 * 256 + u) * 2 + 1] << 8); };
    auto check = [&](int32_t type, const std::vector<uint16_t> &before, const std::vector<uint32_t> &us) {
        for (int32_t x = 0; x < 320; x++) {
            uint16_t want = before[size_t(x)];
            if (x >= 30 && x < 30 + int32_t(us.size())) {
                const uint16_t t = texel(us[size_t(x - 30)]);
                const uint32_t level = (t >> 8) > 31 ? 31 : t >> 8;
                want = Expected(uint16_t(2 << 11 | (t & 0xFF)), before[size_t(x)], level, false);
            }
            ASSERT_EQ(line[x], want) << "type " << type << " column " << x;
        }
    };
    std::vector<uint32_t> us;
    for (uint32_t u = 40; u < 40 + 50; u++) {
        us.push_back(u);
    }
    Affine(40, 30);
    Backdrop();
    std::vector<uint16_t> before = Line();
    Draw(-8, 30, 50);
    check(-8, before, us);

    // Perspective at constant depth: u and v step exactly one texel a column.
    Set32(SURF_X, 31 << 12); // sampled at x start + 1 less the edge: no columns on
    SetF(SURF_DEPTH, 1.0f);
    SetF(SURF_DEPTH_X, 0);
    SetF(SURF_DEPTH_16, 0);
    SetF(SURF_U, 40.5f * 65536);
    SetF(SURF_V, 5.5f * 65536);
    SetF(SURF_U_X, 65536);
    SetF(SURF_V_X, 0);
    SetF(SURF_U_16, 16 * 65536);
    SetF(SURF_V_16, 0);
    Backdrop();
    before = Line();
    Draw(-9, 30, 50);
    check(-9, before, us);
}

TEST_F(AlphaSpanTest, AnAffineTexelIndexPast65535WrapsToTheStart)
{
    // Texel (254, 255) steps by 1: index 65534, 65535, then 0 and 1, which the 16-bit map reads at bytes
    // 0 and 2 as it reads the index 32768 rows later.
    const std::vector<uint8_t> map = HicolourTexels([](int x, int y) { return uint16_t(31 << 8 | ((x + 3 * y) & 0xFF)); });
    std::copy(map.begin(), map.end(), texels());
    Set8(SURF_SHADE, 0);
    Set32(SURF_X, 0);
    Set32(SURF_U, 254 << 16);
    Set32(SURF_V, 255 << 16);
    Set32(SURF_U_X, 1 << 16);
    Set32(SURF_V_X, 0);
    std::fill(std::begin(line), std::end(line), 0);
    Draw(-8, 0, 4);
    const uint16_t want[4] = {uint16_t(((254 + 3 * 127) & 0xFF)), uint16_t(((255 + 3 * 127) & 0xFF)), 0, 1};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(line[i], Expected(want[i], 0, 31, false)) << i;
    }
}

TEST_F(AlphaSpanTest, FlatAlphaBlendsTheSurfaceColourAtTheLevelByte)
{
    SetColour(0xFFFF);
    Set8(SURF_LEVEL, 16);
    std::fill(std::begin(line), std::end(line), 0);
    Span_Alpha_Flat(line + 7, 3, 7, surface);
    EXPECT_EQ(line[6], 0);
    EXPECT_EQ(line[7], 0x7BCF);
    EXPECT_EQ(line[9], 0x7BCF);
    EXPECT_EQ(line[10], 0);
    Set8(SURF_LEVEL, 200);
    Backdrop();
    const std::vector<uint16_t> before = Line();
    Span_Alpha_Flat(line, 320, 0, surface);
    EXPECT_EQ(line[100], Expected(0xFFFF, before[100], 31, false));
}

TEST_F(AlphaSpanTest, BeforeAnyBuildTheAlphaTypesWriteBlack)
{
    ResetBlendTables();
    for (uint32_t i = 0; i < 65536; i++) {
        texels()[i] = uint8_t(i | 1);
    }
    SetColour(0x1000);
    Set8(SURF_LEVEL, 16);
    Affine(0);
    SetF(SURF_DEPTH, 1.0f);
    for (int32_t type : {-13, -12, -9, -8}) {
        Backdrop();
        Draw(type, 10, 20);
        EXPECT_EQ(std::count(line + 10, line + 30, 0), 20) << "type " << type;
        EXPECT_NE(line[9], 0);
        EXPECT_NE(line[30], 0);
    }
}

// ---- The format check ---------------------------------------------------------------------------------

std::vector<uint16_t> RenderFrame()
{
    std::vector<uint16_t> frame(size_t(OBJ_View.screen_width) * size_t(OBJ_View.screen_height), 0);
    Render_Frame(frame.data());
    return frame;
}

TEST(AlphaFormatCheck, EachFrameBlendsByTheTablesOfTheDisplaysFormat)
{
    ResetBlendTables();
    SceneArea area;
    ASSERT_GE(LoadScene(area, "alpha-layers"), 0);
    // The -13 quad at alpha 8 over the black background, left of the cube: its source colours are what
    // Span_Affine draws in its place.
    const size_t at = size_t(60) * size_t(OBJ_View.screen_width) + 15;
    Span_Routine saved = Span_Routines[-13 - Span_Type_First];
    Span_Routines[-13 - Span_Type_First] = Span_Affine;
    const uint16_t source = RenderFrame()[at];
    Span_Routines[-13 - Span_Type_First] = saved;
    ASSERT_NE(source, 0);

    DSP_Rgb555 = 1;
    const uint16_t p555 = RenderFrame()[at];
    EXPECT_EQ(SPAN_ScaleFormat, 1);
    DSP_Rgb555 = 0;
    const uint16_t p565 = RenderFrame()[at];
    EXPECT_EQ(SPAN_ScaleFormat, 0);
    EXPECT_EQ(p555, Expected(source, 0, 8, true));
    EXPECT_EQ(p565, Expected(source, 0, 8, false));
    EXPECT_NE(p555, p565);
    ResetBlendTables();
}

// The set-up gives -12 faces level 0, and a -12 run keeps its row on the opaque resolver, so nothing
// behind it is drawn: its pixels keep what the frame held, less the lowest green bit.
TEST(AlphaFormatCheck, LevelZeroPerspectiveFacesLeaveTheFrameLessItsLowestGreenBit)
{
    SceneArea area;
    ASSERT_GE(LoadScene(area, "empty"), 0);
    ObjectSpec quad = MeshObject("LevelZero", 0, {0, 0, 0}, WallMesh(-100, 100, -50, 50, 640, 1, 1), -12, "FIXT");
    quad.shade = 0x001F;
    ObjectSpec root;
    root.name = "level-zero";
    ASSERT_GE(area.Load("level0.3dc", HierarchyImage({root, quad}, {{"FIXT", "FIXT", 0}})), 0);
    std::vector<uint16_t> frame(size_t(OBJ_View.screen_width) * size_t(OBJ_View.screen_height));
    for (size_t i = 0; i < frame.size(); i++) {
        frame[i] = uint16_t(i * 40503u);
    }
    const std::vector<uint16_t> before = frame;
    Render_Frame(frame.data());
    // The quad covers columns 110..209 of rows 95..144; the clear colour is all around it.
    for (int32_t y : {95, 120, 144}) {
        for (int32_t x : {110, 160, 209}) {
            const size_t at = size_t(y) * size_t(OBJ_View.screen_width) + size_t(x);
            EXPECT_EQ(frame[at], before[at] & ~0x20u) << x << ", " << y;
        }
    }
    EXPECT_EQ(frame[size_t(50) * size_t(OBJ_View.screen_width) + 50], 0);
    ResetBlendTables();
}

} // namespace
} // namespace kalder_test
