// The span list walk, the fills, the 50% flat colour and the affine textured spans.
#include <algorithm>
#include <array>
#include <vector>

#include "tests/engine3d/span_fixture.h"

namespace kalder_test {
namespace {

// ---- The walk -----------------------------------------------------------------------------------

struct Call {
    int32_t offset, count, x_start;
    uint32_t surface;
    bool operator==(const Call &) const = default;
};
std::vector<Call> calls;
uint16_t *record_line = nullptr;

void Record(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    calls.push_back({int32_t(dst - record_line), count, x_start, surface});
}

// Puts a recording routine in every entry and the table back afterwards.
class SpanListTest : public SpanTest {
protected:
    SpanListTest()
    {
        std::copy(std::begin(Span_Routines), std::end(Span_Routines), saved.begin());
        calls.clear();
        record_line = line;
    }
    ~SpanListTest() override { std::copy(saved.begin(), saved.end(), std::begin(Span_Routines)); }

    void RecordAll() { std::fill(std::begin(Span_Routines), std::end(Span_Routines), Record); }

    // Writes the list after the terminator and returns its last record.
    const SPAN_Record *List(std::initializer_list<SPAN_Record> spans)
    {
        Span_Buffer[0] = {1, 0, -1, 0};
        int32_t i = 0;
        for (const SPAN_Record &s : spans) {
            Span_Buffer[++i] = s;
        }
        return &Span_Buffer[i];
    }

    std::array<Span_Routine, Span_Routine_Count> saved;
};

TEST_F(SpanListTest, OnlyTheEndMarkerDrawsNothing)
{
    RecordAll();
    Draw_Span_List(line, List({}));
    EXPECT_TRUE(calls.empty());
}

TEST_F(SpanListTest, DrawsFromTheLastRecordToTheFirstAndSkipsEmptyWidths)
{
    RecordAll();
    Draw_Span_List(line, List({{10, 0, 1, 100},
                               {20, 20, 2, 200},   // zero width
                               {30, 31, 3, 300},   // negative width
                               {15, 15, -1, 0},    // an empty end marker does not end the list
                               {40, 30, 9, 400}}));
    EXPECT_EQ(calls, (std::vector<Call>{{30, 10, 30, 400}, {0, 10, 0, 100}}));
}

TEST_F(SpanListTest, AnEndMarkerAboveEntryZeroEndsTheList)
{
    RecordAll();
    Draw_Span_List(line, List({{10, 0, 1, 100}, {5, 4, -1, 0}, {40, 30, 2, 400}}));
    EXPECT_EQ(calls, (std::vector<Call>{{30, 10, 30, 400}}));
}

TEST_F(SpanListTest, TypesOutsideTheTableAreSkippedAndSpansCutToTheViewport)
{
    RecordAll();
    Set_Viewport(100, 240, 20, 0, 640);
    Draw_Span_List(line, List({{60, 40, -16, 1}, {60, 40, 32, 2}, {60, 40, int32_t(0x80000000), 3},
                               {400000, -7000000, 1, 4},  // far-off edges: cut to 20..120
                               {20, 0, 1, 5},             // wholly left of the viewport
                               {300, 120, 1, 6}}));       // wholly right of it
    EXPECT_EQ(calls, (std::vector<Call>{{20, 100, 20, 4}}));
}

TEST_F(SpanListTest, TheWalkEndsAtEntryZeroWhateverItHolds)
{
    RecordAll();
    // A zero-width end marker at entry 0 would otherwise let the walk run below the buffer.
    Span_Buffer[0] = {0, 0, -1, 0};
    Span_Buffer[1] = {8, 0, 1, 7};
    Draw_Span_List(line, &Span_Buffer[1]);
    EXPECT_EQ(calls, (std::vector<Call>{{0, 8, 0, 7}}));

    calls.clear();
    Span_Buffer[0] = {6, 2, 5, 9}; // a span at entry 0 is drawn, and nothing after it
    Draw_Span_List(line, &Span_Buffer[0]);
    EXPECT_EQ(calls, (std::vector<Call>{{2, 4, 2, 9}}));
    Span_Buffer[0] = {1, 0, -1, 0};
}

TEST_F(SpanListTest, TypesWithoutDrawingLeaveTheLine)
{
    std::fill(std::begin(line), std::end(line), 0x1234);
    SetColour(0xFFFF);
    for (int32_t type : {0, 4, 8, 16, 19, 31}) {
        Draw_Span_List(line, List({{300, 0, type, surface}}));
    }
    EXPECT_TRUE(std::all_of(std::begin(line), std::end(line), [](uint16_t p) { return p == 0x1234; }));
}

TEST(SpanBlendMask, FifteenBitsHalveWithTheirOwnMask)
{
    EXPECT_EQ(Span_Half_Mask, 0x7BEF);
    Set_Blend_Mask(15);
    EXPECT_EQ(Span_Half_Mask, 0x3DEF);
    Set_Blend_Mask(16);
    EXPECT_EQ(Span_Half_Mask, 0x7BEF);
    Set_Blend_Mask(15);
    Set_Blend_Mask(0);
    EXPECT_EQ(Span_Half_Mask, 0x7BEF);
}

// ---- Fills --------------------------------------------------------------------------------------

TEST_F(SpanTest, FlatTypesWriteTheSurfaceColourOverTheSpanOnly)
{
    for (int32_t type : {1, 5, 7, 28}) {
        for (int32_t start : {4, 5}) {
            for (int32_t count : {1, 2, 3, 8, 9}) {
                std::fill(std::begin(line), std::end(line), 0x1111);
                SetColour(uint16_t(0xA000 + type));
                Draw(type, start, count);
                for (int32_t x = 0; x < 32; x++) {
                    const bool inside = x >= start && x < start + count;
                    ASSERT_EQ(line[x], inside ? 0xA000 + type : 0x1111)
                        << "type " << type << " start " << start << " count " << count << " x " << x;
                }
            }
        }
    }
}

TEST_F(SpanTest, ClearColourIsZeroUntilSetAndFillMarkerIsFixed)
{
    std::fill(std::begin(line), std::end(line), 0x1111);
    Draw(14, 3, 5);
    EXPECT_EQ(line[2], 0x1111);
    EXPECT_EQ(line[3], 0);
    EXPECT_EQ(line[7], 0);
    EXPECT_EQ(line[8], 0x1111);
    Set_Clear_Colour(0xF800);
    EXPECT_EQ(Render_Settings.clear_colour, 0xF800F800u);
    Draw(14, 3, 5);
    EXPECT_EQ(line[3], 0xF800);
    EXPECT_EQ(line[7], 0xF800);
    Draw(27, 10, 3);
    EXPECT_EQ(line[9], 0x1111);
    EXPECT_EQ(line[10], 0x0101);
    EXPECT_EQ(line[12], 0x0101);
    EXPECT_EQ(line[13], 0x1111);
}

TEST_F(SpanTest, BackgroundCopiesTheCurrentRowOrFillsWithTheClearColour)
{
    std::vector<uint16_t> picture(320 * 240);
    for (size_t i = 0; i < picture.size(); i++) {
        picture[i] = uint16_t(i * 7);
    }
    Set_Background_Picture(picture.data());
    Current_Scanline = 100;
    Draw(15, 11, 30);
    for (int32_t x = 11; x < 41; x++) {
        ASSERT_EQ(line[x], uint16_t((100 * 320 + x) * 7));
    }
    EXPECT_EQ(line[10], 0);
    EXPECT_EQ(line[41], 0);

    Set_Background_Picture(nullptr);
    Set_Clear_Colour(0x07E0);
    Draw(15, 11, 30);
    EXPECT_EQ(line[11], 0x07E0);
    EXPECT_EQ(line[40], 0x07E0);
    EXPECT_EQ(line[41], 0);
}

TEST_F(SpanTest, ByteTypesWriteCountBytesFromTheSpanAddress)
{
    for (int32_t x = 0; x < 256; x++) {
        texels()[x] = uint8_t(0x40 + x);
    }
    Set32(SURF_U, 0);
    Set32(SURF_V, 0);
    Set32(SURF_U_X, 0x10000);
    Set32(SURF_V_X, 0);
    Set32(SURF_X, 5 * 4096);
    SetColour(0x12AB);
    Set_Clear_Colour(0x34CD);
    struct Case {
        int32_t type;
        uint8_t first, step;
    } cases[] = {{10, 0xAB, 0}, {13, 0xCD, 0}, {11, 0x40, 1}};
    for (const Case &c : cases) {
        std::fill(std::begin(line), std::end(line), 0xEEEE);
        Draw(c.type, 5, 7);
        const uint8_t *bytes = reinterpret_cast<const uint8_t *>(line);
        for (int32_t b = 0; b < 40; b++) {
            const bool inside = b >= 10 && b < 17;
            ASSERT_EQ(bytes[b], inside ? uint8_t(c.first + (b - 10) * c.step) : 0xEE) << "type " << c.type << " byte " << b;
        }
    }
}

// ---- 50% flat colour -----------------------------------------------------------------------------

TEST_F(SpanTest, BlendFlatPairsPixelsByAddress)
{
    // The pixel at the higher address of a pair drops blue's lowest bit; a lower or lone pixel keeps it.
    for (int32_t start : {6, 7}) {
        for (int32_t count = 1; count <= 4; count++) {
            std::fill(std::begin(line), std::end(line), 0x5555);
            SetColour(0xFFFF);
            Draw(-2, start, count);
            for (int32_t x = start; x < start + count; x++) {
                const uint32_t mask = (x % 2 == 1 && x > start) ? 0xF7DE : 0xF7DF;
                ASSERT_EQ(line[x], ((0x5555 & mask) + (0xFFFF & mask)) >> 1)
                    << "start " << start << " count " << count << " x " << x;
            }
            EXPECT_EQ(line[start - 1], 0x5555);
            EXPECT_EQ(line[start + count], 0x5555);
        }
    }
    // A colour over itself: every channel loses its lowest bit, except blue of a lower or single pixel.
    std::fill(std::begin(line), std::end(line), 0xFFFF);
    Draw(-2, 7, 3);
    EXPECT_EQ(line[7], 0xF7DF);
    EXPECT_EQ(line[8], 0xF7DF);
    EXPECT_EQ(line[9], 0xF7DE);
}

// ---- Affine -------------------------------------------------------------------------------------

TEST_F(SpanTest, AffinePixelsReadTheTexelOfTheirStep)
{
    FillHashTexels(texels());
    struct Case {
        int32_t u, v, du, dv, edge_column;
        const char *what;
    } cases[] = {
        {0x100000, 0x200000, 0x18000, 0x08000, 40, "start left of the edge: dx <= 0"},
        {0x100000, 0x200000, 0x18000, 0x08000, 3, "start right of the edge"},
        {0x800000, 0x400000, -0x13000, -0x07000, 5, "negative steps"},
        {0xFB0000, 0x100000, 0x08000, 0x01000, 2, "u past 255 runs into the next row"},
        {0x100000, 0xFE8000, 0x02000, 0x04000, 2, "v past 255 wraps to row 0"},
        {int32_t(0xFFF80000), 0x10000, 0x10000, 0, 2, "negative u reads the row before"},
    };
    for (const Case &c : cases) {
        Set32(SURF_X, c.edge_column * 4096 + 1000);
        Set32(SURF_U, c.u);
        Set32(SURF_V, c.v);
        Set32(SURF_U_X, c.du);
        Set32(SURF_V_X, c.dv);
        Set8(SURF_SHADE, 9);
        for (int32_t start : {10, 11}) {
            for (int32_t count = 1; count <= 17; count++) {
                std::fill(std::begin(line), std::end(line), 0xEEEE);
                Draw(2, start, count);
                const int32_t dx = std::max(0, start - c.edge_column);
                const uint32_t u = uint32_t(c.u) + uint32_t(dx) * uint32_t(c.du);
                const uint32_t v = uint32_t(c.v) + uint32_t(dx) * uint32_t(c.dv);
                for (int32_t k = 0; k < count; k++) {
                    const uint16_t expected = uint16_t(9 << 11 | texels()[AffineTexel(u, v, k, c.du, c.dv)]);
                    ASSERT_EQ(line[start + k], expected) << c.what << ", start " << start << " count " << count << " k " << k;
                }
                ASSERT_EQ(line[start - 1], 0xEEEE);
                ASSERT_EQ(line[start + count], 0xEEEE);
            }
        }
    }
}

TEST_F(SpanTest, AffineBlendsMixTexelAndPixel)
{
    FillHashTexels(texels());
    texels()[0x1005] = 0; // a transparent texel for the keyed blend
    Set32(SURF_X, 0);
    Set32(SURF_U, 0x10000 * 4);
    Set32(SURF_V, 0x10000 * 16);
    Set32(SURF_U_X, 0x10000);
    Set32(SURF_V_X, 0);
    Set8(SURF_SHADE, 3);
    // Pixel x reads texel (16, x + 4) when the span starts at 0 on the edge.
    for (int32_t start : {0, 1}) {
        std::fill(std::begin(line), std::end(line), 0xFFFF);
        Draw(-3, start, 6);
        for (int32_t x = start; x < start + 6; x++) {
            const uint32_t colour = 3 << 11 | texels()[0x1000 + x + 4];
            const uint32_t mask = (x % 2 == 1 && x > start) ? 0xF7DE : 0xF7DF;
            ASSERT_EQ(line[x], ((colour & mask) + (0xFFFF & mask)) >> 1) << "start " << start << " x " << x;
        }
    }
    std::fill(std::begin(line), std::end(line), 0xFFFF);
    Draw(-14, 0, 4);
    EXPECT_EQ(line[0], (((3u << 11 | texels()[0x1004]) & 0xF7DF) + (0xFFFF & 0xF7DF)) >> 1);
    EXPECT_EQ(line[1], 0xFFFF); // texel 0 leaves the pixel
    EXPECT_EQ(line[3], (((3u << 11 | texels()[0x1007]) & 0xF7DF) + (0xFFFF & 0xF7DF)) >> 1); // 0xF7DF on both
}

TEST_F(SpanTest, GouraudShadesEveryPixelAndHoldsTheRowToTheTable)
{
    FillHashTexels(texels());
    Set32(SURF_X, 2 * 4096);
    Set32(SURF_U, 0);
    Set32(SURF_V, 0x10000 * 7);
    Set32(SURF_U_X, 0x10000);
    Set32(SURF_V_X, 0);
    struct Case {
        int32_t shade, step;
    } cases[] = {{0x48000, 0x8000}, {0x1E0000, 0x6000}, {0x10000, -0xC000}, {int32_t(0xFFFF8000), 0x100}};
    for (int32_t type : {22, 30, 25}) {
        for (const Case &c : cases) {
            Set32(SURF_GOURAUD_SHADE, c.shade);
            Set32(SURF_GOURAUD_SHADE_X, c.step);
            Draw(type, 6, 12);
            for (int32_t k = 0; k < 12; k++) {
                const int32_t whole = int32_t(uint32_t(c.shade) + uint32_t(4 + k) * uint32_t(c.step)) >> 16;
                const uint32_t row = uint32_t(std::clamp(whole, 0, 31));
                ASSERT_EQ(line[6 + k], uint16_t(row << 11 | texels()[7 * 256 + 4 + k]))
                    << "type " << type << " shade " << c.shade << " k " << k;
            }
        }
    }
}

TEST_F(SpanTest, LevelledAffineTypesDrawAsThePlainOnes)
{
    FillHashTexels(texels());
    Set32(SURF_X, 0);
    Set32(SURF_U, 0x123456);
    Set32(SURF_V, 0x345678);
    Set32(SURF_U_X, 0x17000);
    Set32(SURF_V_X, -0x5000);
    Set8(SURF_SHADE, 5);
    Set8(SURF_LEVEL, 3);
    Set32(SURF_GOURAUD_SHADE, 0x30000);
    Set32(SURF_GOURAUD_SHADE_X, 0x2000);
    for (auto [plain, levelled] : {std::pair{2, 21}, std::pair{22, 25}}) {
        Draw(plain, 3, 40);
        std::vector<uint16_t> expected(line + 3, line + 43);
        std::fill(std::begin(line), std::end(line), 0);
        Draw(levelled, 3, 40);
        EXPECT_EQ(std::vector<uint16_t>(line + 3, line + 43), expected) << "type " << levelled;
    }
}

// ---- Coordinates from outside the map -------------------------------------------------------------

TEST_F(SpanEdgeOfAreaTest, FarCoordinatesStayInsideTheMap)
{
    const uint8_t *map = Work_Area + Work_Size - 65536;
    FarAffine();
    Set32(SURF_GOURAUD_SHADE, 0x7FFFFFFF); // far past the 32 rows
    Set32(SURF_GOURAUD_SHADE_X, 0x10000000);
    for (int32_t type : {2, -3, -14, 22, 11}) {
        Draw(type, 0, 300);
    }
    Draw(2, 0, 300);
    for (int32_t k = 0; k < 300; k++) {
        ASSERT_EQ(line[k], map[AffineTexel(kFarU, kFarV, k, kFarDu, kFarDv)]);
    }
}

} // namespace
} // namespace kalder_test
