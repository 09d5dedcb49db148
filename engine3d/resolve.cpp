// Scanline visibility resolver. The runs that cover the cursor column form a depth chain, nearest
// first, linked through their behind field; depth is compared only where a run begins or a piece
// ends, and the row's span list is written as the front of the chain changes.
#include "engine3d/resolve.h"

#include "engine3d/raster.h"
#include "engine3d/render.h"
#include "engine3d/span.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"

namespace {

// Within this many depth units two runs count as touching, and the one whose depth grows faster to
// the right wins, so that coplanar faces break the tie the same way on every row.
constexpr float Depth_Tolerance = 100.0f;

// Steps one row may take in its loops and chain walks. Well-formed runs need a few per run and span;
// the budget only keeps damaged ones from spinning for ever.
constexpr int32_t Row_Step_Budget = 1 << 22;

int32_t Budget;
bool In_Row;
int32_t Right_Column;

// Insertions asked for outside a row get a budget of their own.
void Arm_Outside_Row()
{
    if (!In_Row) {
        Budget = Row_Step_Budget;
    }
}

bool Spend() { return --Budget > 0; }

uint8_t *P(Addr a) { return W_Ptr(a); }

bool Translucent(const uint8_t *run) { return Is_Translucent_Run_Type(RUN_GET(run, type)); }

// Depth of a run at x (20.12), from its current edge, in whole columns.
float Depth_At(const uint8_t *run, int32_t x, float &slope)
{
    Addr c = RUN_GET(run, current_edge);
    if (c == 0) {
        slope = 0.0f;
        return 0.0f;
    }
    const uint8_t *e = P(c);
    int64_t columns = (int64_t(x) - EDGE_GET(e, x)) >> 12;
    slope = EDGE_GET(e, depth_step_x);
    return EDGE_GET(e, depth) + float(columns) * slope;
}

// The newcomer, at its first edge, against a run of the chain at x.
bool Newcomer_Nearer(const uint8_t *run, const uint8_t *newcomer, int32_t x)
{
    float slope_a;
    float depth_a = Depth_At(run, x, slope_a);
    Addr f = RUN_GET(newcomer, first_edge);
    float depth_n = 0.0f;
    float slope_n = 0.0f;
    if (f != 0) {
        const uint8_t *e = P(f);
        depth_n = EDGE_GET(e, depth);
        slope_n = EDGE_GET(e, depth_step_x);
    }
    return depth_a < depth_n || (depth_a < depth_n + Depth_Tolerance && slope_a < slope_n);
}

// Moves a run's current edge to the piece that covers x; the last opening edge is as far as it goes.
void Advance_Current(uint8_t *run, int64_t x)
{
    Addr c = RUN_GET(run, current_edge);
    while (c != 0) {
        Addr next = EDGE_GET(P(c), next_right);
        if (next == 0) {
            break;
        }
        const uint8_t *n = P(next);
        if (EDGE_GET(n, next_right) == 0 || !(x > EDGE_GET(n, x))) {
            break;
        }
        c = next;
    }
    RUN_SET(run, current_edge, c);
}

// The newcomer goes behind the front: it is linked before the first run it is nearer than, and runs
// that have ended at x are unlinked on the way. With `hides`, a run in front that outlasts the
// newcomer hides it wherever it is met.
Addr Insert_Behind(Addr front, Addr newcomer, int32_t x, bool hides)
{
    uint8_t *n = P(newcomer);
    const int32_t n_right = RUN_GET(n, x_right);
    Addr prev = front;
    if (RUN_GET(P(front), behind) == 0) {
        return front;
    }
    while (Spend()) {
        uint8_t *p = P(prev);
        Addr cur = RUN_GET(p, behind);
        uint8_t *c = P(cur);
        if (!hides || n_right > RUN_GET(p, x_right)) {
            if (x >= RUN_GET(c, x_right)) {
                Addr after = RUN_GET(c, behind);
                RUN_SET(p, behind, after);
                if (after == 0) {
                    return front;
                }
                continue;
            }
            Advance_Current(c, x);
            if (Newcomer_Nearer(c, n, x)) {
                RUN_SET(p, behind, newcomer);
                RUN_SET(n, behind, cur);
                return front;
            }
        }
        if (RUN_GET(c, behind) == 0) {
            return front;
        }
        prev = cur;
    }
    return front;
}

// A span for the columns [x start, x end). The list ends at the buffer's last record; nothing is
// drawn past the viewport, nor past the row buffer when the row is drawn there.
bool Emit(int32_t x_end, int32_t x_start, int32_t type, Addr surface)
{
    if (Span_Write_Pos >= Span_Buffer + (Span_Buffer_Records - 1)) {
        return false;
    }
    if (x_end > Right_Column) {
        x_end = Right_Column;
    }
    ++Span_Write_Pos;
    *Span_Write_Pos = SPAN_Record{x_end, x_start, type, surface};
    return true;
}

struct Row_Start {
    int32_t left_x;  // the left sentinel's right end: the viewport's left column in 20.12
    int32_t column;
    Addr first_run;  // the first run after the left sentinel
};

Row_Start Begin_Row(const uint16_t *line)
{
    Budget = Row_Step_Budget;
    In_Row = true;
    Span_Write_Pos = Span_Buffer;
    Span_Buffer[0] = SPAN_Record{1, 0, -1, 0};
    const uint8_t *left = P(Left_Sentinel);
    Row_Start s;
    s.left_x = RUN_GET(left, x_right);
    s.column = s.left_x >> 12;
    s.first_run = RUN_GET(left, next);
    Right_Column = RUN_GET(P(Right_Sentinel), x_left) >> 12;
    if (line == Row_Buffer && Right_Column > Row_Buffer_Pixels) {
        Right_Column = Row_Buffer_Pixels;
    }
    return s;
}

Addr Next_Run(Addr run) { return run != 0 && run != Tail_Surface ? RUN_GET(P(run), next) : run; }

// A newcomer cuts the current piece when it begins at least a whole column before the piece ends.
bool Cuts(Addr right_edge, Addr newcomer)
{
    if (right_edge == 0 || newcomer == 0) {
        return false;
    }
    return ((int64_t(EDGE_GET(P(right_edge), x)) - RUN_GET(P(newcomer), x_left)) >> 12) > 0;
}

// The first run behind that still covers the column, with its current edge moved there.
Addr Next_Visible(Addr run, int32_t column)
{
    const int64_t x = int64_t(column) * 4096;
    Addr b = RUN_GET(P(run), behind);
    while (b != 0 && x > RUN_GET(P(b), x_right) && Spend()) {
        b = RUN_GET(P(b), behind);
    }
    if (b != 0) {
        Advance_Current(P(b), x);
    }
    return b;
}

// The resolvers' counters: runs passed from the left column, spans up to the right edge.
void Draw_Counters(uint16_t *line, int32_t runs, int32_t spans)
{
    const int32_t left = OBJ_View.view_x;
    const int32_t right = Right_Column;
    for (int32_t i = 0; i < runs && left + i < right; i++) {
        int32_t column = left + i;
        line[column] = column % 10 == 0 ? 0x00FF : 0xFFFF;
    }
    for (int32_t i = 1; i <= spans && right - 1 - i >= left; i++) {
        int32_t column = right - 1 - i;
        line[column] = column % 10 == 0 ? 0x00FF : 0xFF00;
    }
}

void Finish_Row(uint16_t *line, int32_t runs)
{
    In_Row = false;
    Draw_Span_List(line, Span_Write_Pos);
    if (Debug_Level > 0) {
        Draw_Counters(line, runs, int32_t(Span_Write_Pos - Span_Buffer));
    }
}

} // namespace

int32_t Span_Is_Nearer(Addr run, Addr newcomer, int32_t x) { return Newcomer_Nearer(P(run), P(newcomer), x) ? 0 : 1; }

Addr Span_Insert_Opaque(Addr front, Addr newcomer, int32_t x)
{
    Arm_Outside_Row();
    uint8_t *n = P(newcomer);
    if (Newcomer_Nearer(P(front), n, x)) {
        // Runs that end under the newcomer are hidden for the rest of their extent: dropped.
        const int32_t n_right = RUN_GET(n, x_right);
        Addr r = front;
        while (Spend()) {
            const uint8_t *p = P(r);
            Addr b = RUN_GET(p, behind);
            if (b == 0 || n_right < RUN_GET(p, x_right)) {
                break;
            }
            r = b;
        }
        RUN_SET(n, behind, r);
        return newcomer;
    }
    return Insert_Behind(front, newcomer, x, true);
}

Addr Span_Insert_By_Depth(Addr head, Addr newcomer, int32_t x)
{
    Arm_Outside_Row();
    uint8_t *h = P(head);
    if (Translucent(h)) {
        while (x >= RUN_GET(h, x_right) && RUN_GET(h, behind) != 0 && Spend()) {
            head = RUN_GET(h, behind);
            h = P(head);
        }
        Advance_Current(h, x);
    }
    uint8_t *n = P(newcomer);
    if (Newcomer_Nearer(h, n, x)) {
        // Nothing is dropped: what lies behind a translucent newcomer still shows.
        RUN_SET(n, behind, head);
        return newcomer;
    }
    return Insert_Behind(head, newcomer, x, false);
}

void Scan_Resolve_Line(uint16_t *line)
{
    const Row_Start row = Begin_Row(line);
    Addr f = Left_Sentinel;
    Addr e = RUN_GET(P(f), current_edge);
    int32_t column = row.column;
    Addr n = row.first_run;
    int32_t runs = 0;

    // Runs that begin left of the viewport join the chain if they reach into it.
    while (n != 0 && n != Tail_Surface && RUN_GET(P(n), x_left) < row.left_x && Spend()) {
        const uint8_t *p = P(n);
        if (RUN_GET(p, x_right) > row.left_x) {
            f = Span_Insert_Opaque(f, n, RUN_GET(p, x_left));
        }
        n = Next_Run(n);
        runs++;
    }

    while (f != Right_Sentinel && e != 0 && Spend()) {
        uint8_t *fp = P(f);
        Addr r = EDGE_GET(P(e), next_right);
        if (Cuts(r, n)) {
            RUN_SET(fp, current_edge, e);
            const int32_t x = RUN_GET(P(n), x_left);
            Addr g = Span_Insert_Opaque(f, n, x);
            if (g != f) {
                if (!Emit(x >> 12, column, RUN_GET(fp, type), e)) {
                    break;
                }
                column = x >> 12;
                f = g;
            }
            e = RUN_GET(P(f), current_edge);
            n = Next_Run(n);
            runs++;
            continue;
        }
        // The current piece ends first.
        RUN_SET(fp, current_edge, e);
        const int32_t end = r != 0 ? EDGE_GET(P(r), x) : RUN_GET(fp, x_right);
        if (!Emit(end >> 12, column, RUN_GET(fp, type), e)) {
            break;
        }
        column = end >> 12;
        if (r != 0 && EDGE_GET(P(r), next_right) != 0) {
            e = r;
            continue;
        }
        f = Next_Visible(f, column);
        if (f == 0) {
            break;
        }
        e = RUN_GET(P(f), current_edge);
    }
    Finish_Row(line, runs);
}

// Rows with translucent runs: a translucent run's span is written before the spans of what lies behind
// it over the same columns, and the list is drawn from its last record, so the runs behind are drawn
// first and the translucent one over them. Once a translucent run becomes visible, the column where it
// did (s) and the run after it (q) are kept: when it ends or is cut, the walk goes back there.
void Scan_Resolve_Line_Ext(uint16_t *line)
{
    const Row_Start row = Begin_Row(line);
    Addr v = Left_Sentinel;
    int32_t column = row.column;
    Addr n = row.first_run;
    int32_t runs = 0;

    while (n != 0 && n != Tail_Surface && RUN_GET(P(n), x_left) < row.left_x && Spend()) {
        const uint8_t *p = P(n);
        if (RUN_GET(p, x_right) > row.left_x) {
            v = Span_Insert_By_Depth(v, n, RUN_GET(p, x_left));
        }
        n = Next_Run(n);
        runs++;
    }
    Addr e = RUN_GET(P(v), current_edge);
    Addr h = v;
    int32_t saved_column = row.column;
    Addr resume = row.first_run;

    while (v != Right_Sentinel && e != 0 && Spend()) {
        uint8_t *vp = P(v);
        Addr r = EDGE_GET(P(e), next_right);
        if (Cuts(r, n)) {
            RUN_SET(vp, current_edge, e);
            const int32_t x = RUN_GET(P(n), x_left);
            if (!Translucent(vp)) {
                Addr w = v;
                Addr t = Span_Is_Nearer(v, n, x) ? v : n;
                Addr h2 = Span_Insert_By_Depth(h, n, x);
                if (h2 != h && RUN_GET(P(h2), behind) == h && Translucent(P(h))) {
                    t = n;
                }
                h = h2;
                v = t;
                if (t == n) {
                    if (Translucent(P(n))) {
                        RUN_SET(P(w), current_edge, e);
                        resume = Next_Run(n);
                        saved_column = x >> 12;
                    }
                    if (!Emit(x >> 12, column, RUN_GET(P(w), type), e)) {
                        break;
                    }
                    column = x >> 12;
                }
                n = Next_Run(n);
                runs++;
                e = RUN_GET(P(v), current_edge);
            } else if (Span_Is_Nearer(v, n, x)) {
                // Behind the translucent run: met again after the walk goes back.
                n = Next_Run(n);
                runs++;
            } else {
                if (!Emit(x >> 12, column, RUN_GET(vp, type), e)) {
                    break;
                }
                column = saved_column;
                RUN_SET(vp, current_edge, RUN_GET(vp, first_edge));
                n = resume;
                v = Next_Visible(v, column);
                if (v == 0) {
                    break;
                }
                e = RUN_GET(P(v), current_edge);
            }
            continue;
        }
        RUN_SET(vp, current_edge, e);
        const int32_t end = r != 0 ? EDGE_GET(P(r), x) : RUN_GET(vp, x_right);
        if (!Emit(end >> 12, column, RUN_GET(vp, type), e)) {
            break;
        }
        column = end >> 12;
        if (r != 0 && EDGE_GET(P(r), next_right) != 0) {
            e = r;
            continue;
        }
        if (Translucent(vp)) {
            column = saved_column;
            n = resume;
        }
        Addr b = Next_Visible(v, column);
        if (v == h) {
            h = b;
        }
        if (b == 0) {
            break;
        }
        if (Translucent(P(b))) {
            resume = n;
            saved_column = column;
        }
        v = b;
        e = RUN_GET(P(v), current_edge);
    }
    Finish_Row(line, runs);
}
