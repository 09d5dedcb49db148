// Scanline rasteriser: the fixed runs and buckets, and the passes that sweep the viewport row by row,
// starting, advancing, retiring and sorting runs before the resolver turns each row into spans.
#include "engine3d/raster.h"

#include <cassert>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "engine3d/render.h"
#include "engine3d/resolve.h"
#include "engine3d/span.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "plat/system.h"

Addr Retire_Bucket[Bucket_Rows];
Addr Start_Bucket[Bucket_Rows];
Addr Replace_Bucket[Bucket_Rows];

Addr Background_Surface;
Addr Left_Sentinel;
Addr Right_Sentinel;
Addr Tail_Surface;

SPAN_Record *Span_Buffer;
SPAN_Record *Span_Write_Pos;
uint16_t *Row_Buffer;
int16_t Row_Repeat_Table[Row_Repeat_Rows];
float Inv_Pow2[10];
int32_t Current_Scanline;
int32_t Use_Row_Buffer = 1;
int32_t Bottom_Up;
Addr Surface_Free_List;

namespace {

// Sentinel depth: 2^31, nearer than anything in front of the near plane.
constexpr float Sentinel_Depth = 2147483648.0f;
constexpr int32_t Far_Left = -2147483647;
constexpr int32_t Far_Right = 2147483647;

// The six sentinel edges, two per run but the tail.
Addr Sentinel_Edges[6];

// Fixed runs and edges are sized for every background type: a 112-byte edge reads zeros in any field.
constexpr uint32_t Fixed_Edge_Size = sizeof(SPAN_Surface);

bool Fixed_Runs_Ready()
{
    return Work_Area != nullptr && Tail_Surface != 0 && W_Fits(Sentinel_Edges[5], Fixed_Edge_Size);
}

void Set_Fixed_Run(Addr run, int32_t x_left, int32_t x_right, Addr e0, Addr e1, int32_t x0, int32_t x1, float depth)
{
    uint8_t *r = W_Ptr(run);
    RUN_SET(r, x_left, x_left);
    RUN_SET(r, x_right, x_right);
    RUN_SET(r, first_edge, e0);
    RUN_SET(r, current_edge, e0);
    RUN_SET(r, behind, Addr(0));
    if (e0 == 0) {
        return;
    }
    uint8_t *a = W_Ptr(e0);
    uint8_t *b = W_Ptr(e1);
    EDGE_SET(a, x, x0);
    EDGE_SET(b, x, x1);
    EDGE_SET(a, depth, depth);
    EDGE_SET(b, depth, depth);
    EDGE_SET(a, next_right, e1);
    EDGE_SET(b, next_right, Addr(0));
}

void Link(Addr a, Addr b)
{
    if (a != 0) {
        RUN_SET(W_Ptr(a), next, b);
    }
    if (b != 0) {
        RUN_SET(W_Ptr(b), previous, a);
    }
}

void Unlink(uint8_t *r)
{
    Link(RUN_GET(r, previous), RUN_GET(r, next));
}

// Edges of one run: each adds its per-row steps; every edge but the chain's last also advances the
// values of the face it opens. The same walk keeps x from decreasing along the chain, as Fix_Chain
// does after it (the left edge is never moved); the run's right end takes the last edge's x before
// that fix.
struct Chain_Walk {
    uint8_t *run;
    Addr first, at;   // the chain's first edge, the edge to advance next (0 at the end)
    int32_t before;   // x of the edge left of `at`, after the fix
    int32_t right_x;  // x of the last edge advanced, before the fix
};

Chain_Walk Start_Walk(uint8_t *run)
{
    const Addr first = RUN_GET(run, first_edge);
    return {run, first, first, INT32_MIN, 0}; // nothing lies left of the first edge
}

// One edge of a walk. The edges are reached from the work area's base read once by the caller: stores
// through the records could alias the global pointer.
template <Run_Group group> inline void Step_Edge(Chain_Walk &w, uint8_t *const base)
{
    uint8_t *e = base + w.at;
    const Addr next = EDGE_GET(e, next_right);
    int32_t x = int32_t(uint32_t(EDGE_GET(e, x)) + uint32_t(EDGE_GET(e, x_step)));
    w.right_x = x;
    if (w.before > x) {
        x = int32_t(uint32_t(w.before) + 1);
    }
    w.before = x;
    EDGE_SET(e, x, x);
    EDGE_SET(e, depth, EDGE_GET(e, depth) + EDGE_GET(e, depth_step));
    if (next != 0) {
        if constexpr (group == GROUP_AFFINE_SHADED) {
            EDGE_SET(e, word_88, int32_t(uint32_t(EDGE_GET(e, word_88)) + uint32_t(EDGE_GET(e, word_92))));
        }
        if constexpr (group == GROUP_AFFINE || group == GROUP_AFFINE_SHADED) {
            EDGE_SET(e, u, int32_t(uint32_t(EDGE_GET(e, u)) + uint32_t(EDGE_GET(e, u_step))));
            EDGE_SET(e, v, int32_t(uint32_t(EDGE_GET(e, v)) + uint32_t(EDGE_GET(e, v_step))));
        }
        if constexpr (group == GROUP_PERSP_SHADED) {
            EDGE_SET(e, shade_x, int32_t(uint32_t(EDGE_GET(e, shade_x)) + uint32_t(EDGE_GET(e, shade_step))));
        }
        if constexpr (group == GROUP_PERSP || group == GROUP_PERSP_SHADED) {
            EDGE_SETF(e, u, EDGE_GETF(e, u) + EDGE_GETF(e, u_step));
            EDGE_SETF(e, v, EDGE_GETF(e, v) + EDGE_GETF(e, v_step));
        }
    }
    w.at = next;
}

void Finish_Walk(const Chain_Walk &w, uint8_t *const base)
{
    if (w.first != 0) {
        RUN_SET(w.run, x_left, EDGE_GET(base + w.first, x));
        RUN_SET(w.run, x_right, w.right_x);
    }
    RUN_SET(w.run, behind, Addr(0));
    RUN_SET(w.run, current_edge, w.first);
}

// Two runs of one group advanced in one loop, an edge of each in turn: each walk waits on its next
// edge's record, and the two waits overlap (four at a time measured slower than two). The chains share
// no edge, so the result is each run's own walk; once a chain ends, the other goes on alone.
constexpr int Max_Walks = 2;

template <Run_Group group, int count> void Advance_Together(uint8_t *const *runs)
{
    uint8_t *const base = Work_Area;
    Chain_Walk w[count];
    for (int k = 0; k < count; k++) {
        w[k] = Start_Walk(runs[k]);
    }
    for (;;) {
        bool all = true;
        for (int k = 0; k < count; k++) {
            all = all && w[k].at != 0;
        }
        if (!all) {
            break;
        }
        for (int k = 0; k < count; k++) {
            Step_Edge<group>(w[k], base);
        }
    }
    for (int k = 0; k < count; k++) {
        while (w[k].at != 0) {
            Step_Edge<group>(w[k], base);
        }
        Finish_Walk(w[k], base);
    }
}

template <Run_Group group> void Advance_Group(uint8_t *const *runs, int count)
{
    if (count == 1) {
        Advance_Together<group, 1>(runs);
    } else {
        Advance_Together<group, Max_Walks>(runs);
    }
}

// Advances 1 to Max_Walks runs of one group.
void Advance_Runs(uint8_t *const *runs, int count, Run_Group group)
{
    switch (group) {
    case GROUP_FLAT:
        Advance_Group<GROUP_FLAT>(runs, count);
        break;
    case GROUP_AFFINE:
        Advance_Group<GROUP_AFFINE>(runs, count);
        break;
    case GROUP_AFFINE_SHADED:
        Advance_Group<GROUP_AFFINE_SHADED>(runs, count);
        break;
    case GROUP_PERSP:
        Advance_Group<GROUP_PERSP>(runs, count);
        break;
    case GROUP_PERSP_SHADED:
        Advance_Group<GROUP_PERSP_SHADED>(runs, count);
        break;
    default:
        break;
    }
}

// x never decreases along a chain: an edge left behind by its left neighbour is put 1/4096 of a column
// to its right. Gives 1 when anything was moved.
bool Fix_Chain(uint8_t *run)
{
    bool moved = false;
    Addr a = RUN_GET(run, first_edge);
    while (a != 0) {
        uint8_t *e = W_Ptr(a);
        Addr next = EDGE_GET(e, next_right);
        if (next == 0) {
            break;
        }
        uint8_t *n = W_Ptr(next);
        int32_t x = EDGE_GET(e, x);
        if (x > EDGE_GET(n, x)) {
            EDGE_SET(n, x, int32_t(uint32_t(x) + 1));
            moved = true;
        }
        a = next;
    }
    return moved;
}

// Steps 1 to 7 of a row: retire, start, replace, advance and sort. Gives 1 when a run of a
// translucent-line type was advanced.
bool Prepare_Row(int32_t y)
{
    uint8_t *left = W_Ptr(Left_Sentinel);
    RUN_SET(W_Ptr(Right_Sentinel), behind, Addr(0));
    RUN_SET(left, behind, Background_Surface);

    if (y >= 0 && y < Bucket_Rows) {
        for (Addr a = Retire_Bucket[y]; a != 0;) {
            uint8_t *e = W_Ptr(a);
            Addr run = EDGE_GET(e, run);
            if (run != 0) {
                uint8_t *r = W_Ptr(run);
                Unlink(r);
                RUN_SET(r, next, Surface_Free_List);
                Surface_Free_List = run;
            }
            a = EDGE_GET(e, bucket_link);
        }
        Retire_Bucket[y] = 0;

        for (Addr s = Start_Bucket[y]; s != 0;) {
            const uint8_t *entry = W_Ptr(s);
            Addr edge = Rec_Get<Addr>(entry, offsetof(SPAN_Start, first_edge));
            Addr run = Surface_Free_List;
            if (run != 0) {
                Surface_Free_List = RUN_GET(W_Ptr(run), next);
            } else {
                run = Heap_Alloc(sizeof(SPAN_Run));
            }
            uint8_t *r = W_Ptr(run);
            uint8_t *e = W_Ptr(edge);
            // Heap memory is last frame's: every field the resolver reads starts defined.
            RUN_SET(r, x_left, EDGE_GET(e, x));
            RUN_SET(r, x_right, EDGE_GET(e, x));
            RUN_SET(r, first_edge, edge);
            RUN_SET(r, current_edge, edge);
            RUN_SET(r, behind, Addr(0));
            RUN_SET(r, type, Rec_Get<int32_t>(entry, offsetof(SPAN_Start, type)));
            EDGE_SET(e, run, run);
            Addr after = RUN_GET(W_Ptr(Right_Sentinel), next);
            Link(Right_Sentinel, run);
            Link(run, after);
            s = Rec_Get<Addr>(entry, offsetof(SPAN_Start, next));
        }
        Start_Bucket[y] = 0;

        for (Addr a = Replace_Bucket[y]; a != 0;) {
            uint8_t *e = W_Ptr(a);
            Addr pred = EDGE_GET(e, predecessor);
            if (pred != 0) {
                EDGE_SET(W_Ptr(pred), next_right, a);
            }
            a = EDGE_GET(e, bucket_link);
        }
        Replace_Bucket[y] = 0;
    }

    bool translucent = false;
    // Runs wait here for others of their group, to be advanced beside them.
    uint8_t *waiting[Max_Walks];
    int waiting_count = 0;
    Run_Group waiting_group = GROUP_NONE;
    for (Addr a = RUN_GET(left, next); a != Tail_Surface && a != 0;) {
        uint8_t *r = W_Ptr(a);
        // The next run's first edge is fetched from memory while this run's chain advances.
        const Addr following = RUN_GET(r, next);
        if (following != 0) {
            const Addr edge = RUN_GET(W_Ptr(following), first_edge);
            if (edge != 0) {
                __builtin_prefetch(W_Ptr(edge));
                __builtin_prefetch(W_Ptr(edge) + 64);
            }
        }
        int32_t type = RUN_GET(r, type);
        Run_Group group = Run_Group_Of(type);
        if (group == GROUP_NONE) {
            Fix_Chain(r);
        } else {
            if (waiting_count == Max_Walks || (waiting_count > 0 && waiting_group != group)) {
                Advance_Runs(waiting, waiting_count, waiting_group);
                waiting_count = 0;
            }
            waiting[waiting_count++] = r;
            waiting_group = group;
            translucent = translucent || Is_Translucent_Line_Type(type);
        }
        a = RUN_GET(r, next);
    }
    if (waiting_count > 0) {
        Advance_Runs(waiting, waiting_count, waiting_group);
    }

    // Stable insertion sort by x left; nothing moves in front of the left sentinel.
    Addr a = RUN_GET(left, next);
    while (a != Tail_Surface && a != 0) {
        uint8_t *r = W_Ptr(a);
        Addr next = RUN_GET(r, next);
        int32_t x = RUN_GET(r, x_left);
        Addr before = RUN_GET(r, previous);
        if (before != Left_Sentinel && RUN_GET(W_Ptr(before), x_left) > x) {
            Unlink(r);
            while (before != Left_Sentinel && RUN_GET(W_Ptr(before), x_left) > x) {
                before = RUN_GET(W_Ptr(before), previous);
            }
            Addr after = RUN_GET(W_Ptr(before), next);
            Link(before, a);
            Link(a, after);
        }
        a = next;
    }
    return translucent;
}

bool Inside_View(int32_t column)
{
    return column >= OBJ_View.view_x && int64_t(column) < int64_t(OBJ_View.view_x) + OBJ_View.view_width;
}

// Debug overlay of the runs between the sentinels: their left ends, and at level 3 their inner edges.
void Draw_Run_Overlay(uint16_t *line)
{
    for (Addr a = RUN_GET(W_Ptr(Left_Sentinel), next); a != Right_Sentinel && a != Tail_Surface && a != 0;) {
        uint8_t *r = W_Ptr(a);
        if (Debug_Level >= 3) {
            for (Addr e = RUN_GET(r, first_edge); e != 0;) {
                uint8_t *p = W_Ptr(e);
                Addr next = EDGE_GET(p, next_right);
                if (next == 0) {
                    break;
                }
                int32_t column = EDGE_GET(p, x) >> 12;
                if (Inside_View(column)) {
                    line[column] = 0x00FF;
                }
                e = next;
            }
        }
        int32_t column = RUN_GET(r, x_left) >> 12;
        if (Inside_View(column)) {
            line[column] = 0xFF00;
        }
        a = RUN_GET(r, next);
    }
}

// The resolver's row buffer holds column 0 of the screen at its start; only the viewport's columns
// are ever drawn into it, so only they are copied.
void Copy_Row(uint16_t *out)
{
    int64_t from = OBJ_View.view_x < 0 ? 0 : OBJ_View.view_x;
    int64_t to = int64_t(OBJ_View.view_x) + OBJ_View.view_width;
    if (to > Row_Buffer_Pixels) {
        to = Row_Buffer_Pixels;
    }
    if (to > from) {
        std::memcpy(out + from, Row_Buffer + from, size_t(to - from) * 2);
    }
}

bool Buffers_Ready() { return Span_Buffer != nullptr && Row_Buffer != nullptr && Fixed_Runs_Ready(); }

void Start_Pass()
{
    Surface_Free_List = 0;
    Scan_Reset_Active();
    Current_Scanline = OBJ_View.view_y;
}

} // namespace

Run_Group Run_Group_Of(int32_t type)
{
    switch (type) {
    case -2: case 1: case 4: case 5: case 7: case 8: case 10: case 17: case 27:
        return GROUP_FLAT;
    case -15: case -14: case -13: case -11: case -10: case -8: case -5: case -3: case 2: case 6: case 11:
    case 18: case 21: case 24:
        return GROUP_AFFINE;
    case 22: case 25: case 30:
        return GROUP_AFFINE_SHADED;
    case -12: case -9: case -7: case -6: case -4: case 3: case 9: case 12: case 20: case 28: case 29:
        return GROUP_PERSP;
    case 23: case 26:
        return GROUP_PERSP_SHADED;
    default:
        return GROUP_NONE;
    }
}

// -12 is drawn blended too, yet by itself keeps the row on the opaque resolver.
bool Is_Translucent_Line_Type(int32_t type) { return type >= -15 && type <= -2 && type != -12; }

// One pair of buffers serves the whole run: they are taken when missing, and the row buffer starts
// black at every initialisation. The fixed runs come from the freshly cleared work area.
void Init_Rasteriser()
{
    if (Span_Buffer == nullptr) {
        Span_Buffer = static_cast<SPAN_Record *>(PLAT_HeapAlloc(sizeof(SPAN_Record) * Span_Buffer_Records));
    }
    if (Row_Buffer == nullptr) {
        Row_Buffer = static_cast<uint16_t *>(PLAT_HeapAlloc(sizeof(uint16_t) * Row_Buffer_Pixels));
    }
    if (Row_Buffer != nullptr) {
        std::memset(Row_Buffer, 0, sizeof(uint16_t) * Row_Buffer_Pixels);
    }

    Background_Surface = Mem_Alloc(sizeof(SPAN_Run));
    Left_Sentinel = Mem_Alloc(sizeof(SPAN_Run));
    Right_Sentinel = Mem_Alloc(sizeof(SPAN_Run));
    Tail_Surface = Mem_Alloc(sizeof(SPAN_Run));
    for (Addr &e : Sentinel_Edges) {
        e = Mem_Alloc(Fixed_Edge_Size);
        std::memset(W_Ptr(e), 0, Fixed_Edge_Size);
    }
    for (Addr run : {Background_Surface, Left_Sentinel, Right_Sentinel, Tail_Surface}) {
        std::memset(W_Ptr(run), 0, sizeof(SPAN_Run));
    }
    RUN_SET(W_Ptr(Background_Surface), type, Background_Type);
    RUN_SET(W_Ptr(Left_Sentinel), type, int32_t(4));
    RUN_SET(W_Ptr(Right_Sentinel), type, int32_t(4));
    RUN_SET(W_Ptr(Tail_Surface), type, int32_t(16));
    // The view outlives Init_3D: the sentinels follow it at once, so a pass never meets zeroed ones.
    Init_Edge_Lists();
}

void Init_Edge_Lists()
{
    if (Fixed_Runs_Ready()) {
        int32_t left = int32_t(uint32_t(OBJ_View.view_x) << 12);
        int32_t right = int32_t((uint32_t(OBJ_View.view_x) + uint32_t(OBJ_View.view_width)) << 12);
        Set_Fixed_Run(Background_Surface, Far_Left, Far_Right, Sentinel_Edges[0], Sentinel_Edges[1], Far_Left,
                      Far_Right, 0.0f);
        Set_Fixed_Run(Left_Sentinel, Far_Left, left, Sentinel_Edges[2], Sentinel_Edges[3], Far_Left, left,
                      Sentinel_Depth);
        Set_Fixed_Run(Right_Sentinel, right, Far_Right - 1, Sentinel_Edges[4], Sentinel_Edges[5], right,
                      Far_Right - 1, Sentinel_Depth);
        Set_Fixed_Run(Tail_Surface, Far_Right - 1, Far_Right, 0, 0, 0, 0, 0.0f);
    }
    Clear_Edge_Buckets();
}

void Clear_Edge_Buckets()
{
    std::memset(Retire_Bucket, 0, sizeof Retire_Bucket);
    std::memset(Start_Bucket, 0, sizeof Start_Bucket);
    std::memset(Replace_Bucket, 0, sizeof Replace_Bucket);
    Span_Write_Pos = Span_Buffer;
    if (Span_Buffer != nullptr) {
        Span_Buffer[0] = SPAN_Record{1, 0, -1, 0};
    }
    Init_Inv_Pow2();
}

void Init_Inv_Pow2()
{
    float f = 1.0f;
    for (float &v : Inv_Pow2) {
        v = f;
        f *= 0.5f;
    }
}

void Free_Rasteriser_Buffers()
{
    if (Row_Buffer != nullptr) {
        PLAT_HeapFree(Row_Buffer);
        Row_Buffer = nullptr;
    }
    if (Span_Buffer != nullptr) {
        PLAT_HeapFree(Span_Buffer);
        Span_Buffer = nullptr;
        Span_Write_Pos = nullptr;
    }
}

void Set_Background_Type(int32_t type)
{
    Background_Type = type;
    if (Fixed_Runs_Ready()) {
        RUN_SET(W_Ptr(Background_Surface), type, type);
    }
}

void Set_Row_Buffer_Mode(int32_t value) { Use_Row_Buffer = value == 1 ? 1 : 0; }

void Set_Bottom_Up(int32_t value) { Bottom_Up = value; }

void Scan_Reset_Active()
{
    RUN_SET(W_Ptr(Background_Surface), previous, Addr(0));
    Link(Background_Surface, Left_Sentinel);
    Link(Left_Sentinel, Right_Sentinel);
    Link(Right_Sentinel, Tail_Surface);
    RUN_SET(W_Ptr(Tail_Surface), next, Addr(0));
}

// The 50% spans pair pixels by address, which holds only on 4-aligned rows of the frame and of the
// row buffer.
static void Assert_Aligned(const uint16_t *frame)
{
    assert((reinterpret_cast<uintptr_t>(frame) & 3) == 0);
    assert((reinterpret_cast<uintptr_t>(Row_Buffer) & 3) == 0);
    (void)frame;
}

void Scan_Pass(uint16_t *frame)
{
    if (!Buffers_Ready()) {
        return;
    }
    Assert_Aligned(frame);
    Start_Pass();
    uint16_t *line = frame + OBJ_View.view_start;
    const int32_t top = OBJ_View.view_y;
    const int64_t end = int64_t(top) + OBJ_View.view_height;
    for (int32_t y = top; y < end; y++) {
        bool translucent = Prepare_Row(y);
        if (!translucent) {
            Scan_Resolve_Line(line);
        } else if (Use_Row_Buffer == 0) {
            Scan_Resolve_Line_Ext(line);
        } else {
            Scan_Resolve_Line_Ext(Row_Buffer);
            Copy_Row(line);
        }
        if (Debug_Level > 1) {
            Draw_Run_Overlay(line);
        }
        line += OBJ_View.row_pitch;
        Current_Scanline = y + 1;
    }
}

// Every row goes through the row buffer, and the row table repeats or drops output rows: a wave of
// the picture. No copy reaches the end of the frame.
void Scan_Pass_Line(uint16_t *frame)
{
    if (!Buffers_Ready()) {
        return;
    }
    Assert_Aligned(frame);
    Start_Pass();
    const int64_t screen = int64_t(OBJ_View.screen_width);
    const int64_t frame_end = screen * OBJ_View.screen_height;
    const int64_t copy_end = int64_t(OBJ_View.view_x) + OBJ_View.view_width;
    int64_t out = OBJ_View.view_start;
    auto row_entry = [](int32_t r) { return r < Row_Repeat_Rows ? Row_Repeat_Table[r] : int16_t(0); };
    auto copy_to = [&](int64_t at) {
        if (at >= 0 && at + copy_end <= frame_end) {
            Copy_Row(frame + at);
        }
    };
    int32_t r = 0;
    const int32_t top = OBJ_View.view_y;
    const int64_t end = int64_t(top) + OBJ_View.view_height;
    for (int32_t y = top; y < end; y++) {
        while (row_entry(r) > 0) {
            copy_to(out);
            r++;
            out += screen;
        }
        bool translucent = Prepare_Row(y);
        bool dropped = row_entry(r) < 0;
        if (!dropped) {
            if (translucent) {
                Scan_Resolve_Line_Ext(Row_Buffer);
            } else {
                Scan_Resolve_Line(Row_Buffer);
            }
            copy_to(out);
        }
        r++;
        if (!dropped) {
            out += OBJ_View.row_pitch;
        }
        Current_Scanline = y + 1;
    }
}

void Scan_Check_Order()
{
    for (Addr a = Left_Sentinel; a != Right_Sentinel && a != 0;) {
        uint8_t *r = W_Ptr(a);
        Addr next = RUN_GET(r, next);
        if (next == 0) {
            break;
        }
        if (RUN_GET(r, x_left) > RUN_GET(W_Ptr(next), x_left)) {
            PLAT_WriteStdout("Pb de scanline qui recule !!! \n");
        }
        for (Addr e = RUN_GET(r, first_edge); e != 0;) {
            uint8_t *p = W_Ptr(e);
            Addr n = EDGE_GET(p, next_right);
            if (n == 0) {
                break;
            }
            uint8_t *q = W_Ptr(n);
            if (EDGE_GET(p, x) > EDGE_GET(q, x)) {
                char text[96];
                std::snprintf(text, sizeof text, "Pb de scanline qui recule (edge) !!! %d %d %d %d\n", EDGE_GET(p, x),
                              EDGE_GET(q, x), EDGE_GET(p, x_step), EDGE_GET(q, x_step));
                PLAT_WriteStdout(text);
            }
            e = n;
        }
        a = next;
    }
}

void Scan_Fix_Order()
{
    for (Addr a = Left_Sentinel; a != Right_Sentinel && a != 0;) {
        uint8_t *r = W_Ptr(a);
        Addr next = RUN_GET(r, next);
        if (next == 0) {
            break;
        }
        if (RUN_GET(r, x_left) > RUN_GET(W_Ptr(next), x_left)) {
            PLAT_WriteStdout("Pb de scanline qui recule place 1!!! \n");
        }
        Fix_Chain(r);
        a = next;
    }
}

// A plain drawer of a span list, kept beside the table-driven one: fills of the flat types only.
void Draw_Span_Generic(uint16_t *line, const SPAN_Record *last)
{
    for (const SPAN_Record *rec = last;; rec--) {
        if (rec->type == -1) {
            return;
        }
        uint16_t colour;
        switch (rec->type) {
        case 1: case 5: case 7: case 8: case 27:
            colour = rec->surface != 0 ? EDGE_GET(W_Ptr(rec->surface), colour) : 0;
            break;
        case 10:
            colour = rec->surface != 0 ? uint16_t(EDGE_GET(W_Ptr(rec->surface), colour) & 0xFF) : 0;
            break;
        default:
            continue;
        }
        for (int32_t x = rec->x_start; x < rec->x_end; x++) {
            line[x] = colour;
        }
    }
}
