// The scan passes: runs started, advanced, replaced, retired and sorted row by row, the row buffer and
// the row table, the fixed runs, the buffers' life, and the order diagnostics.
#include <algorithm>
#include <iterator>

#include "tests/engine3d/raster_fixture.h"

namespace raster_test {
namespace {

using kalder_test::FalseColour;
using kalder_test::RecordedSpan;
using kalder_test::SpanRecorder;

using ScanPass = RasterFixture;

TEST_F(ScanPass, AnEmptyFrameDrawsOneBackgroundSpanPerRow)
{
    View(40, 10, 8, 4);
    SpanRecorder rec;
    Pass();
    ASSERT_EQ(rec.spans().size(), 10u);
    for (int32_t y = 4; y < 14; y++) {
        EXPECT_EQ(rec.row(y), (std::vector<RecordedSpan>{{y, 8, 40, 14, Background_Edge()}})) << y;
    }
    EXPECT_EQ(Current_Scanline, 14);

    // The background type is both the setting and the background run's own type.
    Set_Background_Type(15);
    EXPECT_EQ(Background_Type, 15);
    rec.clear();
    Pass();
    EXPECT_EQ(rec.row(4), (std::vector<RecordedSpan>{{4, 8, 40, 15, Background_Edge()}}));
}

TEST_F(ScanPass, OneFaceBetweenTheBackgroundOnItsRowsOnly)
{
    Addr l = Quad(2, 5, 10, 20, 1, 1000.0f);
    SpanRecorder rec;
    Pass();
    const Addr bg = Background_Edge();
    EXPECT_EQ(rec.row(1), (std::vector<RecordedSpan>{{1, 0, 64, 14, bg}}));
    for (int32_t y = 2; y < 5; y++) {
        // Drawn from the list's last record: right of the face first.
        EXPECT_EQ(rec.row(y), (std::vector<RecordedSpan>{{y, 20, 44, 14, bg}, {y, 10, 10, 1, l}, {y, 0, 10, 14, bg}}))
            << y;
    }
    EXPECT_EQ(rec.row(5), (std::vector<RecordedSpan>{{5, 0, 64, 14, bg}}));
}

// Runs that start on one row are linked after the right sentinel and sorted; equal left ends keep the
// order they had; retired runs leave the list on their row.
TEST_F(ScanPass, TheActiveListRowByRow)
{
    struct Case {
        int32_t rows;
        std::vector<int> expected; // 0 = A, 1 = C, 2 = B, 3 = the right sentinel
    };
    const Case cases[] = {{1, {3}}, {2, {0, 1, 3}}, {3, {0, 1, 2, 3}}, {6, {1, 2, 3}}, {8, {3}}};
    for (const Case &c : cases) {
        View(64, c.rows, 0, 0);
        Addr a = Quad(1, 5, 10, 20, 1, 1000.0f);
        Addr cc = Quad(1, 7, 10, 15, 1, 900.0f);
        Addr b = Quad(2, 7, 30, 40, 1, 1000.0f);
        Pass();
        std::vector<Addr> expected;
        for (int i : c.expected) {
            expected.push_back(i == 3 ? Right_Sentinel : EDGE_GET(W_Ptr(std::vector<Addr>{a, cc, b}[size_t(i)]), run));
        }
        EXPECT_EQ(Active(), expected) << c.rows << " rows";
    }
}

TEST_F(ScanPass, AReplacementEdgeTakesItsPlaceOnItsRow)
{
    Addr l = Edge(10);
    Addr r1 = Edge(15);
    Addr r2 = Edge(18);
    Chain(l, r1);
    EDGE_SET(W_Ptr(r2), predecessor, l);
    Start(0, l, 1);
    Retire(6, l);
    Replace_Bucket[3] = r2;
    SpanRecorder rec;
    Pass();
    EXPECT_EQ(rec.row(2)[1], (RecordedSpan{2, 10, 5, 1, l}));
    EXPECT_EQ(rec.row(3)[1], (RecordedSpan{3, 10, 8, 1, l}));
    EXPECT_EQ(EDGE_GET(W_Ptr(l), next_right), r2);
}

TEST_F(ScanPass, AChainNeverCrossesItself)
{
    View(64, 3, 0, 0);
    Addr l = Edge(20, 2 << 12);
    Addr r = Edge(24);
    Chain(l, r);
    Start(0, l, 1);
    Pass();
    // Row 2: the left edge at 26 passed the right one at 24, which is put 1/4096 to its right. The run's
    // right end was taken before.
    EXPECT_EQ(EDGE_GET(W_Ptr(l), x), 26 << 12);
    EXPECT_EQ(EDGE_GET(W_Ptr(r), x), (26 << 12) + 1);
    EXPECT_EQ(RUN_GET(W_Ptr(EDGE_GET(W_Ptr(l), run)), x_right), 24 << 12);
}

TEST_F(ScanPass, ARunRightOfTheViewportIsAdvancedButNeverDrawn)
{
    View(32, 4, 0, 0);
    Addr l = Quad(0, 10, 40, 50, 1, 5000.0f);
    EDGE_SET(W_Ptr(l), x_step, 1 << 12);
    SpanRecorder rec;
    Pass();
    for (const RecordedSpan &s : rec.spans()) {
        EXPECT_NE(s.surface, l);
        EXPECT_LE(s.x_start + s.count, 32);
    }
    EXPECT_EQ(EDGE_GET(W_Ptr(l), x), 44 << 12);
    EXPECT_EQ(Active(), (std::vector<Addr>{Right_Sentinel, EDGE_GET(W_Ptr(l), run)}));
}

// Each type group advances its own values on the edges that open a face; the last edge moves x and
// depth only; the group that is not advanced keeps everything.
TEST_F(ScanPass, EachTypeGroupAdvancesItsOwnValues)
{
    struct Case {
        int32_t type;
        bool moves, ints, shade88, floats, shade100;
    };
    const Case cases[] = {
        {1, true, false, false, false, false},  {27, true, false, false, false, false},
        {2, true, true, false, false, false},   {-13, true, true, false, false, false},
        {22, true, true, true, false, false},   {30, true, true, true, false, false},
        {3, true, false, false, true, false},   {28, true, false, false, true, false},
        {-12, true, false, false, true, false}, {23, true, false, false, true, true},
        {14, false, false, false, false, false}, {19, false, false, false, false, false},
        {31, false, false, false, false, false},
    };
    for (const Case &c : cases) {
        View(64, 1, 0, 0);
        Addr l = Edge(10, 1 << 12, 100.0f, 0.0f, 2.0f);
        Addr r = Edge(20, 1 << 12, 100.0f, 0.0f, 2.0f);
        Chain(l, r);
        for (Addr a : {l, r}) {
            uint8_t *e = W_Ptr(a);
            if (c.floats) {
                EDGE_SETF(e, u, 1.5f);
                EDGE_SETF(e, u_step, 0.25f);
                EDGE_SETF(e, v, 8.0f);
                EDGE_SETF(e, v_step, -0.5f);
            } else {
                EDGE_SET(e, u, 1000);
                EDGE_SET(e, u_step, 7);
                EDGE_SET(e, v, 2000);
                EDGE_SET(e, v_step, -3);
            }
            EDGE_SET(e, word_88, 500);
            EDGE_SET(e, word_92, 11);
            EDGE_SET(e, shade_x, 600);
            EDGE_SET(e, shade_step, 13);
        }
        Start(0, l, c.type);
        Pass();
        const uint8_t *e = W_Ptr(l);
        const uint8_t *last = W_Ptr(r);
        SCOPED_TRACE(c.type);
        EXPECT_EQ(EDGE_GET(e, x), c.moves ? 11 << 12 : 10 << 12);
        EXPECT_EQ(EDGE_GET(e, depth), c.moves ? 102.0f : 100.0f);
        EXPECT_EQ(EDGE_GET(last, x), c.moves ? 21 << 12 : 20 << 12);
        EXPECT_EQ(EDGE_GET(e, word_88), c.shade88 ? 511 : 500);
        EXPECT_EQ(EDGE_GET(e, shade_x), c.shade100 ? 613 : 600);
        if (c.floats) {
            EXPECT_EQ(EDGE_GETF(e, u), 1.75f);
            EXPECT_EQ(EDGE_GETF(e, v), 7.5f);
            EXPECT_EQ(EDGE_GETF(last, u), 1.5f); // the closing edge carries no face
        } else {
            EXPECT_EQ(EDGE_GET(e, u), c.ints ? 1007 : 1000);
            EXPECT_EQ(EDGE_GET(e, v), c.ints ? 1997 : 2000);
            EXPECT_EQ(EDGE_GET(last, u), 1000);
        }
        const uint8_t *run = W_Ptr(EDGE_GET(e, run));
        EXPECT_EQ(RUN_GET(run, x_left), c.moves ? 11 << 12 : 10 << 12);
    }
}

// The translucent resolver draws the opaque run under a translucent one again; the opaque resolver
// lets the front hide it. -12 alone keeps the opaque resolver.
TEST_F(ScanPass, TranslucentLineTypesSelectTheTranslucentResolver)
{
    struct Case {
        int32_t type;
        bool ext;
    };
    const Case cases[] = {{-15, true}, {-14, true}, {-13, true}, {-11, true}, {-10, true}, {-9, true},
                          {-8, true},  {-7, true},  {-6, true},  {-5, true},  {-4, true},  {-3, true},
                          {-2, true},  {-12, false}, {2, false}, {1, false}};
    for (int32_t mode : {0, 1}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << "type " << c.type << " row buffer " << mode);
            View(64, 1, 0, 0);
            Set_Row_Buffer_Mode(mode);
            std::memset(Row_Buffer, 0, Row_Buffer_Pixels * 2);
            Addr o = Quad(0, 1, 10, 30, 1, 1000.0f);
            Quad(0, 1, 15, 25, c.type, 2000.0f);
            SpanRecorder rec(true);
            Pass();
            bool under = false;
            for (const RecordedSpan &s : rec.spans()) {
                under = under || (s.surface == o && s.x_start == 15);
            }
            EXPECT_EQ(under, c.ext);
            // Through the row buffer when asked: the buffer holds the row, and the frame its copy.
            bool in_buffer = Row_Buffer[20] != 0;
            EXPECT_EQ(in_buffer, c.ext && mode == 1);
            EXPECT_NE(frame[20], 0);
        }
    }
    Set_Row_Buffer_Mode(1);
}

TEST_F(ScanPass, EveryViewportBucketIsEmptyAfterAPass)
{
    View(64, 20, 0, 4);
    Quad(2, 8, 10, 20, 1, 1000.0f);  // starts above the view: never visited, never cleared
    Quad(6, 12, 30, 40, 1, 1000.0f);
    Quad(10, 30, 5, 50, 2, 500.0f);  // retires below it
    Addr r = Edge(35);
    Replace_Bucket[9] = r;
    Pass();
    for (int32_t y = 4; y < 24; y++) {
        EXPECT_EQ(Retire_Bucket[y], 0u) << y;
        EXPECT_EQ(Start_Bucket[y], 0u) << y;
        EXPECT_EQ(Replace_Bucket[y], 0u) << y;
    }
    EXPECT_NE(Retire_Bucket[30], 0u);
}

TEST_F(ScanPass, RunsComeFromTheFrameHeapUntilItEnds)
{
    test::SetExitHook(test::ThrowOnExit);
    Quad(0, 1, 10, 20, 1, 1000.0f);
    Heap_Init(Work_Size - 16);
    try {
        Scan_Pass(frame.data());
        FAIL() << "no stop";
    } catch (const test::ExitCalled &e) {
        EXPECT_EQ(e.code, -1);
    }
    EXPECT_EQ(test::Stdout(), "Heap overflow\n");
    test::SetExitHook(nullptr);
}

// The same scene through both passes: with an all-zero row table the lists and the frame are the same.
TEST_F(ScanPass, TheLinePassWithAZeroTableMatchesTheDefaultPass)
{
    auto scene = [&] {
        View(64, 32, 0, 0);
        Quad(0, 20, 5, 40, 1, 1000.0f, 3.0f);
        Quad(4, 30, 20, 60, 2, 1100.0f, -2.0f);
        Quad(8, 12, 25, 35, -3, 4000.0f);
    };
    scene();
    std::vector<RecordedSpan> spans;
    std::vector<uint16_t> picture;
    {
        SpanRecorder rec(true);
        Pass();
        spans = rec.spans();
        picture = frame;
    }
    std::fill(frame.begin(), frame.end(), 0);
    scene();
    SpanRecorder rec(true);
    Pass_Line();
    // Surfaces are new edges in the second scene: compare by position of the drawing only.
    ASSERT_EQ(rec.spans().size(), spans.size());
    for (size_t i = 0; i < spans.size(); i++) {
        EXPECT_EQ(rec.spans()[i].row, spans[i].row);
        EXPECT_EQ(rec.spans()[i].x_start, spans[i].x_start);
        EXPECT_EQ(rec.spans()[i].count, spans[i].count);
        EXPECT_EQ(rec.spans()[i].type, spans[i].type);
    }
    for (size_t i = 0; i < frame.size(); i++) {
        ASSERT_EQ(frame[i] != 0, picture[i] != 0) << i;
    }
}

// One face per row, each its own colour, so that every output row shows which source row it holds.
struct RowScene {
    std::vector<uint16_t> colours;
};

RowScene Stripes(int32_t rows, int32_t width)
{
    RowScene s;
    for (int32_t y = 0; y < rows; y++) {
        Addr l = RasterFixture::Quad(y, y + 1, 0, width, 1, 1000.0f);
        s.colours.push_back(FalseColour(l));
    }
    return s;
}

TEST_F(ScanPass, TheRowTableRepeatsAndDropsRows)
{
    Screen(16, 8);
    View(16, 8, 0, 0);
    RowScene s = Stripes(8, 16);
    Row_Repeat_Table[2] = 1;
    Row_Repeat_Table[3] = 1;
    Row_Repeat_Table[5] = -1;
    SpanRecorder rec(true);
    Pass_Line();
    const int src[8] = {0, 1, 1, 1, 2, 4, 5, 6};
    for (int y = 0; y < 8; y++) {
        EXPECT_EQ(frame[size_t(y) * 16 + 3], s.colours[size_t(src[y])]) << y;
    }
}

TEST_F(ScanPass, RowTableCountersFrom600ReadAsZero)
{
    Screen(4, 700);
    View(4, 700, 0, 0);
    RowScene s = Stripes(700, 4);
    for (int r = 1; r < Row_Repeat_Rows; r++) {
        Row_Repeat_Table[r] = -1;
    }
    SpanRecorder rec(true);
    Pass_Line();
    EXPECT_EQ(frame[0], s.colours[0]);
    EXPECT_EQ(frame[4 * 1], s.colours[600]);
    EXPECT_EQ(frame[4 * 100], s.colours[699]);
    EXPECT_EQ(frame[4 * 101], 0);
}

TEST_F(ScanPass, NoRowCopyReachesTheEndOfTheFrame)
{
    Screen(16, 8);
    View(16, 8, 0, 0);
    RowScene s = Stripes(8, 16);
    for (int r = 1; r < Row_Repeat_Rows; r++) {
        Row_Repeat_Table[r] = 1;
    }
    SpanRecorder rec(true);
    Pass_Line(); // the sanitizer watches the frame's end
    for (int y = 0; y < 8; y++) {
        EXPECT_EQ(frame[size_t(y) * 16], s.colours[0]) << y;
    }
}

TEST_F(ScanPass, RowCopiesKeepToTheViewport)
{
    Screen(32, 8);
    View(16, 4, 8, 2);
    for (int32_t mode : {0, 1}) {
        std::fill(frame.begin(), frame.end(), 0x1234);
        for (int32_t y = 0; y < 8; y++) {
            Start_Bucket[y] = 0;
            Retire_Bucket[y] = 0;
        }
        Stripes(8, 32);
        SpanRecorder rec(true);
        if (mode == 0) {
            Pass_Line();
        } else {
            // The default pass copies from the row buffer too when a row holds a translucent run.
            Quad(2, 6, 0, 32, -3, 5000.0f);
            Pass();
        }
        for (int32_t y = 0; y < 8; y++) {
            for (int32_t x = 0; x < 32; x++) {
                bool inside = y >= 2 && y < 6 && x >= 8 && x < 24;
                EXPECT_EQ(frame[size_t(y) * 32 + size_t(x)] != 0x1234, inside) << mode << " " << x << "," << y;
            }
        }
    }
}

TEST_F(ScanPass, ReleasedBuffersStopThePassAndInitTakesNewOnes)
{
    Quad(0, 4, 10, 20, 1, 1000.0f);
    Free_Rasteriser_Buffers();
    EXPECT_EQ(Span_Buffer, nullptr);
    EXPECT_EQ(Row_Buffer, nullptr);
    {
        SpanRecorder rec;
        Pass();
        EXPECT_TRUE(rec.spans().empty());
    }
    Free_Rasteriser_Buffers(); // twice is harmless
    Init_3D(area.data(), area.size());
    ASSERT_NE(Span_Buffer, nullptr);
    ASSERT_NE(Row_Buffer, nullptr);
    for (int i = 0; i < Row_Buffer_Pixels; i++) {
        ASSERT_EQ(Row_Buffer[i], 0);
    }
    EXPECT_EQ(Span_Buffer[0], (SPAN_Record{1, 0, -1, 0}));
    // The view outlived Init_3D: the sentinels follow it at once.
    EXPECT_EQ(RUN_GET(W_Ptr(Right_Sentinel), x_left), 64 << 12);
    SpanRecorder rec;
    Pass();
    EXPECT_EQ(rec.spans().size(), 32u);
}

TEST_F(ScanPass, TheFixedRunsFollowTheViewport)
{
    View(100, 20, 12, 3);
    const uint8_t *left = W_Ptr(Left_Sentinel);
    const uint8_t *right = W_Ptr(Right_Sentinel);
    const uint8_t *bg = W_Ptr(Background_Surface);
    EXPECT_EQ(RUN_GET(left, type), 4);
    EXPECT_EQ(RUN_GET(right, type), 4);
    EXPECT_EQ(RUN_GET(W_Ptr(Tail_Surface), type), 16);
    EXPECT_EQ(RUN_GET(left, x_right), 12 << 12);
    EXPECT_EQ(RUN_GET(right, x_left), 112 << 12);
    EXPECT_EQ(RUN_GET(right, x_right), 2147483646);
    EXPECT_EQ(RUN_GET(bg, x_left), -2147483647);
    EXPECT_EQ(RUN_GET(bg, x_right), 2147483647);
    const uint8_t *le = W_Ptr(RUN_GET(left, first_edge));
    EXPECT_EQ(EDGE_GET(le, depth), 2147483648.0f);
    EXPECT_EQ(EDGE_GET(W_Ptr(EDGE_GET(le, next_right)), x), 12 << 12);
    EXPECT_EQ(EDGE_GET(W_Ptr(RUN_GET(bg, first_edge)), depth), 0.0f);
    for (int i = 0; i < 10; i++) {
        EXPECT_EQ(Inv_Pow2[i], 1.0f / float(1 << i));
    }
}

TEST_F(ScanPass, TheOrderDiagnosticsPrintTheirTexts)
{
    View(64, 1, 0, 0);
    Addr a = Quad(0, 4, 10, 20, 1, 1000.0f);
    Quad(0, 4, 30, 40, 1, 1000.0f);
    Pass();
    // Break the list by hand: the first run's left end past the second's, and an edge past its neighbour.
    uint8_t *run = W_Ptr(EDGE_GET(W_Ptr(a), run));
    RUN_SET(run, x_left, 35 << 12);
    Addr r = EDGE_GET(W_Ptr(a), next_right);
    EDGE_SET(W_Ptr(a), x, 25 << 12);
    EDGE_SET(W_Ptr(a), x_step, 3);
    EDGE_SET(W_Ptr(r), x_step, -4);
    Scan_Check_Order();
    EXPECT_EQ(test::Stdout(), "Pb de scanline qui recule !!! \n"
                              "Pb de scanline qui recule (edge) !!! 102400 81920 3 -4\n");
    test::Reset();
    Scan_Fix_Order();
    EXPECT_EQ(test::Stdout(), "Pb de scanline qui recule place 1!!! \n");
    EXPECT_EQ(EDGE_GET(W_Ptr(r), x), (25 << 12) + 1);
}

TEST_F(ScanPass, TheSpanWalkAndTheGenericDrawer)
{
    Addr e = Edge(0);
    EDGE_SET(W_Ptr(e), colour, uint16_t(0xABCD));
    // The walk reads lists in the span buffer only.
    SPAN_Record *list = Span_Buffer;
    const SPAN_Record records[] = {
        {1, 0, -1, 0}, {9, 6, 2, e}, {6, 4, 10, e}, {4, 4, 1, e}, {4, 2, 1, e}, {3, 5, -1, 0}, {2, 0, 99, e},
    };
    std::copy(std::begin(records), std::end(records), list);
    {
        SpanRecorder rec;
        uint16_t line[16] = {};
        Draw_Span_List(line, &list[6]);
        // Type 99 lies outside the table, the -1 of no width and the empty span are passed over.
        EXPECT_EQ(rec.spans(), (std::vector<RecordedSpan>{{Current_Scanline, 2, 2, 1, e},
                                                           {Current_Scanline, 4, 2, 10, e},
                                                           {Current_Scanline, 6, 3, 2, e}}));
    }
    uint16_t line[16] = {};
    Draw_Span_Generic(line, &list[4]);
    const uint16_t expected[16] = {0, 0, 0xABCD, 0xABCD, 0x00CD, 0x00CD, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 16; i++) {
        EXPECT_EQ(line[i], expected[i]) << i;
    }
}

} // namespace
} // namespace raster_test
