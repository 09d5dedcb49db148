// The visibility resolver: the nearer-than rule, the two insertions into the depth chain, and the span
// lists of rows with opaque and translucent runs, read from the span buffer.
#include "tests/engine3d/raster_fixture.h"

namespace raster_test {
namespace {

using kalder_test::RecordedSpan;
using kalder_test::SpanRecorder;

struct Resolver : RasterFixture {
    // A run by hand, as the advance leaves it: one face from column l to column r.
    static Addr Run(double l, double r, float depth, float slope = 0.0f, int32_t type = 1)
    {
        Addr a = Edge(l, 0, depth, slope);
        Addr b = Edge(r, 0, depth + float(r - l) * slope, slope);
        Chain(a, b);
        Addr run = Mem_Alloc(sizeof(SPAN_Run));
        uint8_t *p = W_Ptr(run);
        std::memset(p, 0, sizeof(SPAN_Run));
        RUN_SET(p, type, type);
        RUN_SET(p, x_left, EDGE_GET(W_Ptr(a), x));
        RUN_SET(p, x_right, EDGE_GET(W_Ptr(b), x));
        RUN_SET(p, first_edge, a);
        RUN_SET(p, current_edge, a);
        return run;
    }
    static Addr Behind(Addr run) { return RUN_GET(W_Ptr(run), behind); }
    static void Set_Behind(Addr run, Addr b) { RUN_SET(W_Ptr(run), behind, b); }
    static int32_t X_Left(Addr run) { return RUN_GET(W_Ptr(run), x_left); }
};

// Within 100 depth units the run whose depth grows faster to the right is in front; the column
// difference counts whole columns.
TEST_F(Resolver, TheNearerThanRule)
{
    struct Case {
        float da, ga, dn, gn;
        int32_t stays; // Span_Is_Nearer: 1 when the run in the chain stays in front
    };
    const Case cases[] = {
        {1000, 0, 1001, 0, 0},   // plainly nearer
        {1050, 0, 1000, 0.5f, 0}, // within the tolerance, growing faster
        {1050, 0.5f, 1000, 0, 1}, // within the tolerance, growing slower
        {1200, 0, 1000, 5, 1},   // beyond the tolerance
        {1000, 1, 1000, 1, 1},   // the same plane: the run already there stays
    };
    for (const Case &c : cases) {
        // The chain's run has its current edge 9.75 columns left of x: 9 whole columns of slope.
        Addr a = Run(10.5, 40, c.da - 9 * c.ga, c.ga);
        Addr n = Run(20.25, 30, c.dn, c.gn);
        EXPECT_EQ(Span_Is_Nearer(a, n, X_Left(n)), c.stays) << c.da << " " << c.ga << " " << c.dn << " " << c.gn;
    }
}

TEST_F(Resolver, TheOpaqueInsertion)
{
    // A newcomer behind the front that ends first is never inserted.
    Addr front = Run(10, 40, 2000);
    Set_Behind(front, Background_Surface);
    Addr hidden = Run(20, 30, 1000);
    EXPECT_EQ(Span_Insert_Opaque(front, hidden, X_Left(hidden)), front);
    EXPECT_EQ(Behind(front), Background_Surface);
    EXPECT_EQ(Behind(hidden), 0u);

    // One that outlasts the front goes behind it.
    Addr longer = Run(20, 50, 1000);
    EXPECT_EQ(Span_Insert_Opaque(front, longer, X_Left(longer)), front);
    EXPECT_EQ(Behind(front), longer);
    EXPECT_EQ(Behind(longer), Background_Surface);

    // A nearer newcomer drops the runs that end under it.
    Addr a = Run(10, 20, 1000);
    Addr c = Run(5, 25, 900);
    Addr d = Run(0, 60, 800);
    Set_Behind(a, c);
    Set_Behind(c, d);
    Set_Behind(d, Background_Surface);
    Addr n = Run(8, 30, 3000);
    EXPECT_EQ(Span_Insert_Opaque(a, n, X_Left(n)), n);
    EXPECT_EQ(Behind(n), d);
}

TEST_F(Resolver, TheTranslucentInsertionDropsNothing)
{
    Addr glass = Run(10, 20, 1000, 0.0f, -3);
    Addr wall = Run(0, 60, 800);
    Set_Behind(glass, wall);
    Set_Behind(wall, Background_Surface);
    Addr n = Run(12, 30, 3000);
    EXPECT_EQ(Span_Insert_By_Depth(glass, n, X_Left(n)), n);
    EXPECT_EQ(Behind(n), glass);
    EXPECT_EQ(Behind(glass), wall);

    // Behind a translucent head that has ended, the head moves to the run behind it first.
    Addr late = Run(25, 40, 900);
    EXPECT_EQ(Span_Insert_By_Depth(glass, late, X_Left(late)), late);
    EXPECT_EQ(Behind(late), wall);
}

// Two faces on the same plane, started in either order: the one whose depth grows faster is in front
// on every row.
TEST_F(Resolver, CoplanarFacesBreakTheTieTheSameWayOnEveryRow)
{
    for (bool steep_first : {false, true}) {
        View(64, 4, 0, 0);
        Addr flat = Edge(10, 0, 1000.0f, 0.0f);
        Addr flat_r = Edge(40, 0, 1000.0f, 0.0f);
        Addr steep = Edge(10, 0, 1000.0f, 0.5f);
        Addr steep_r = Edge(40, 0, 1015.0f, 0.5f);
        Chain(flat, flat_r);
        Chain(steep, steep_r);
        if (steep_first) {
            Start(0, flat, 1);
            Start(0, steep, 1);
        } else {
            Start(0, steep, 1);
            Start(0, flat, 1);
        }
        SpanRecorder rec;
        Pass();
        for (int32_t y = 0; y < 4; y++) {
            EXPECT_EQ(rec.row(y)[1], (RecordedSpan{y, 10, 30, 1, steep})) << steep_first << " row " << y;
        }
    }
}

TEST_F(Resolver, RunsLeftOfTheViewport)
{
    View(40, 1, 10, 0);
    Quad(0, 1, 0, 5, 1, 5000.0f);           // wholly left: skipped
    Addr crossing = Quad(0, 1, 2, 20, 1, 1000.0f);
    Quad(0, 1, 3, 10, 1, 6000.0f);          // ends on the left column: skipped
    Pass();
    const Addr bg = Background_Edge();
    EXPECT_EQ(Drawn_List(), (std::vector<SPAN_Record>{{20, 10, 1, crossing}, {50, 20, 14, bg}}));
}

TEST_F(Resolver, ABackgroundOnlyRow)
{
    View(40, 1, 10, 0);
    Pass();
    EXPECT_EQ(Drawn_List(), (std::vector<SPAN_Record>{{50, 10, 14, Background_Edge()}}));
}

// The translucent span comes first in the list and the opaque spans under it later, so that the walk,
// which draws from the last record, draws them first.
TEST_F(Resolver, ATranslucentRunOverAnOpaqueOne)
{
    View(64, 1, 0, 0);
    Addr wall = Quad(0, 1, 10, 30, 1, 1000.0f);
    Addr glass = Quad(0, 1, 15, 25, -3, 2000.0f);
    Pass();
    const Addr bg = Background_Edge();
    EXPECT_EQ(Drawn_List(), (std::vector<SPAN_Record>{{10, 0, 14, bg},
                                                       {15, 10, 1, wall},
                                                       {25, 15, -3, glass},
                                                       {30, 15, 1, wall},
                                                       {64, 30, 14, bg}}));
}

// A nearer opaque run cuts the translucent one: the walk goes back to the column where the translucent
// run became visible and draws what lies behind it up to the cut; after the cut run the translucent
// run shows again over the wall.
TEST_F(Resolver, ATranslucentRunCutByANearerOpaqueRun)
{
    View(64, 1, 0, 0);
    Addr wall = Quad(0, 1, 10, 40, 1, 1000.0f);
    Addr glass = Quad(0, 1, 15, 35, -3, 2000.0f);
    Addr post = Quad(0, 1, 25, 30, 1, 3000.0f);
    Pass();
    const Addr bg = Background_Edge();
    EXPECT_EQ(Drawn_List(), (std::vector<SPAN_Record>{{10, 0, 14, bg},
                                                       {15, 10, 1, wall},
                                                       {25, 15, -3, glass},
                                                       {25, 15, 1, wall},
                                                       {30, 25, 1, post},
                                                       {35, 30, -3, glass},
                                                       {40, 30, 1, wall},
                                                       {64, 40, 14, bg}}));
}

// A translucent run that is visible from the viewport's left column on: the walk goes back to that
// column for what lies behind it.
TEST_F(Resolver, ATranslucentRunFromTheLeftEdge)
{
    View(50, 1, 10, 0);
    Addr wall = Quad(0, 1, 0, 40, 1, 1000.0f);
    Addr glass = Quad(0, 1, 5, 30, -3, 2000.0f);
    Pass();
    EXPECT_EQ(Drawn_List(), (std::vector<SPAN_Record>{{30, 10, -3, glass}, {40, 10, 1, wall},
                                                       {60, 40, 14, Background_Edge()}}));
}

// A row of more spans than the buffer holds: the list stops at its last record, and what was emitted
// is drawn.
TEST_F(Resolver, TheSpanBufferBoundsARow)
{
    Screen(4400, 1);
    View(4400, 1, 0, 0);
    for (int i = 0; i < 1100; i++) {
        Quad(0, 1, 4 * i + 1, 4 * i + 3, 1, 1000.0f);
    }
    for (bool translucent : {false, true}) {
        if (translucent) {
            // Straight into the frame: the row buffer is narrower than this row.
            Set_Row_Buffer_Mode(0);
            View(4400, 1, 0, 0);
            for (int i = 0; i < 1100; i++) {
                Quad(0, 1, 4 * i + 1, 4 * i + 3, -2, 1000.0f);
            }
        }
        SpanRecorder rec;
        Pass();
        EXPECT_EQ(Span_Write_Pos, Span_Buffer + (Span_Buffer_Records - 1));
        EXPECT_GE(rec.spans().size(), 2000u);
        EXPECT_LE(rec.spans().size(), 2047u);
    }
    Set_Row_Buffer_Mode(1);
}

// A viewport wider than the row buffer: rows drawn there stop at its end (the painter writes every
// span, and the sanitizer watches the buffer).
TEST_F(Resolver, ARowInTheRowBufferStaysInsideIt)
{
    Screen(2100, 2);
    View(2100, 2, 0, 0);
    Quad(0, 2, 100, 2090, -3, 1000.0f);
    SpanRecorder rec(true);
    Pass();
    for (const RecordedSpan &s : rec.spans()) {
        EXPECT_LE(s.x_start + s.count, Row_Buffer_Pixels);
    }
    EXPECT_EQ(frame[2047], Row_Buffer[2047]);
    EXPECT_NE(frame[2047], 0);
}

TEST_F(Resolver, TheCountersAndTheOverlayAtDebugLevels)
{
    View(40, 1, 10, 0);
    Quad(0, 1, 20, 30, 1, 1000.0f);
    Debug_Level = 3;
    Pass();
    // Runs passed: the face and the right sentinel, from the left column.
    EXPECT_EQ(frame[10], 0x00FF);
    EXPECT_EQ(frame[11], 0xFFFF);
    EXPECT_EQ(frame[12], 0);
    // Spans: the left sentinel's empty one, background, face, background, ending before the right edge.
    EXPECT_EQ(frame[48], 0xFF00);
    EXPECT_EQ(frame[45], 0xFF00);
    EXPECT_EQ(frame[44], 0);
    // The overlay marks the run's left end.
    EXPECT_EQ(frame[20], 0xFF00);
    Debug_Level = 0;
}

} // namespace
} // namespace raster_test
