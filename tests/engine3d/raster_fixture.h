// Hand-built rasteriser input for the tests: a started library with a small screen, edges, runs and
// bucket entries written straight into the work area, and projected faces of one object.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine3d/raster.h"
#include "engine3d/render.h"
#include "engine3d/resolve.h"
#include "engine3d/setup.h"
#include "engine3d/span.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "plat/test.h"
#include "tests/support/engine_area.h"
#include "tests/support/span_recorder.h"

namespace raster_test {

struct RasterFixture : ::testing::Test {
    kalder_test::EngineArea area{1 << 20};
    // The hand-made edges carry no textures: the rows are read back as span lists, never drawn.
    kalder_test::SpanRecorder quiet_spans;
    OBJ_ViewParams saved_view = OBJ_View;
    std::vector<uint16_t> frame;

    void SetUp() override
    {
        test::Reset();
        Use_Row_Buffer = 1;
        Debug_Level = 0;
        Set_Background_Type(14);
        std::memset(Row_Repeat_Table, 0, sizeof Row_Repeat_Table);
        Screen(64, 32);
        View(64, 32, 0, 0);
    }
    void TearDown() override
    {
        OBJ_View = saved_view;
        Clear_Edge_Buckets();
    }

    void Screen(int32_t w, int32_t h)
    {
        Set_Screen_Size(w, h);
        frame.assign(size_t(w) * size_t(h), 0);
    }
    void View(int32_t w, int32_t h, int32_t x, int32_t y)
    {
        Set_Viewport(w, h, x, y, 640);
        Heap_Init(Mem_libre);
    }

    // An edge at column x (whole columns) with a step per row in 20.12.
    static Addr Edge(double x, int32_t x_step = 0, float depth = 1000.0f, float depth_x = 0.0f, float depth_step = 0.0f)
    {
        Addr a = Mem_Alloc(sizeof(SPAN_Surface));
        uint8_t *e = W_Ptr(a);
        std::memset(e, 0, sizeof(SPAN_Surface));
        EDGE_SET(e, x, int32_t(x * 4096));
        EDGE_SET(e, x_step, x_step);
        EDGE_SET(e, depth, depth);
        EDGE_SET(e, depth_step, depth_step);
        EDGE_SET(e, depth_step_x, depth_x);
        return a;
    }
    static void Chain(Addr a, Addr b) { EDGE_SET(W_Ptr(a), next_right, b); }
    static void Start(int32_t row, Addr edge, int32_t type)
    {
        Addr s = Mem_Alloc(sizeof(SPAN_Start));
        uint8_t *p = W_Ptr(s);
        Rec_Set<Addr>(p, offsetof(SPAN_Start, next), Start_Bucket[row]);
        Rec_Set<Addr>(p, offsetof(SPAN_Start, first_edge), edge);
        Rec_Set<int32_t>(p, offsetof(SPAN_Start, type), type);
        Start_Bucket[row] = s;
    }
    static void Retire(int32_t row, Addr edge)
    {
        EDGE_SET(W_Ptr(edge), bucket_link, Retire_Bucket[row]);
        Retire_Bucket[row] = edge;
    }
    // A run of one face between two vertical edges, on rows [top, bottom).
    static Addr Quad(int32_t top, int32_t bottom, double left, double right, int32_t type, float depth,
                     float depth_x = 0.0f)
    {
        Addr l = Edge(left, 0, depth, depth_x);
        Addr r = Edge(right, 0, depth + float(right - left) * depth_x, depth_x);
        Chain(l, r);
        Start(top, l, type);
        Retire(bottom, l);
        return l;
    }

    // The frame heap starts past everything the test built, as the scene pass starts it past the images.
    void Pass()
    {
        Heap_Init(Mem_libre);
        Scan_Pass(frame.data());
    }
    void Pass_Line()
    {
        Heap_Init(Mem_libre);
        Scan_Pass_Line(frame.data());
    }

    static std::vector<Addr> Active()
    {
        std::vector<Addr> runs;
        for (Addr a = RUN_GET(W_Ptr(Left_Sentinel), next); a != Tail_Surface && a != 0;
             a = RUN_GET(W_Ptr(a), next)) {
            runs.push_back(a);
        }
        return runs;
    }
    static Addr First_Edge(Addr run) { return RUN_GET(W_Ptr(run), first_edge); }
    static Addr Background_Edge() { return RUN_GET(W_Ptr(Background_Surface), first_edge); }

    // The span list of the last row resolved, in record order (the last record is drawn first).
    static std::vector<SPAN_Record> Last_List()
    {
        std::vector<SPAN_Record> out;
        for (SPAN_Record *r = Span_Buffer + 1; r <= Span_Write_Pos; r++) {
            out.push_back(*r);
        }
        return out;
    }
    // The same without the records of no width, which the walk passes over.
    static std::vector<SPAN_Record> Drawn_List()
    {
        std::vector<SPAN_Record> out;
        for (const SPAN_Record &r : Last_List()) {
            if (r.x_end > r.x_start) {
                out.push_back(r);
            }
        }
        return out;
    }
};

} // namespace raster_test

inline std::ostream &operator<<(std::ostream &os, const SPAN_Record &r)
{
    return os << "{" << r.x_start << ".." << r.x_end << " type " << r.type << " @" << r.surface << "}";
}

namespace kalder_test {
inline std::ostream &operator<<(std::ostream &os, const RecordedSpan &s)
{
    return os << "{row " << s.row << " " << s.x_start << "+" << s.count << " type " << s.type << " @" << s.surface
              << "}";
}
} // namespace kalder_test
