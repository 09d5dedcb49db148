// Edge registration: after an object's subtree, each edge its set-up touched is entered in the row
// buckets by its flags, brought down to the viewport's top row when it starts above it, and made
// ready for the next frame's set-up.
#include "engine3d/raster.h"
#include "engine3d/setup.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"

namespace {

// Advances an edge by k rows: one multiply-add per value, in the value's own arithmetic.
void Advance_Edge(uint8_t *e, Run_Group group, int32_t k)
{
    const uint32_t uk = uint32_t(k);
    const float fk = float(k);
    EDGE_SET(e, x, int32_t(uint32_t(EDGE_GET(e, x)) + uk * uint32_t(EDGE_GET(e, x_step))));
    EDGE_SET(e, depth, EDGE_GET(e, depth) + fk * EDGE_GET(e, depth_step));
    switch (group) {
    case GROUP_AFFINE_SHADED:
        EDGE_SET(e, word_88, int32_t(uint32_t(EDGE_GET(e, word_88)) + uk * uint32_t(EDGE_GET(e, word_92))));
        [[fallthrough]];
    case GROUP_AFFINE:
        EDGE_SET(e, u, int32_t(uint32_t(EDGE_GET(e, u)) + uk * uint32_t(EDGE_GET(e, u_step))));
        EDGE_SET(e, v, int32_t(uint32_t(EDGE_GET(e, v)) + uk * uint32_t(EDGE_GET(e, v_step))));
        break;
    case GROUP_PERSP_SHADED:
        EDGE_SET(e, shade_x, int32_t(uint32_t(EDGE_GET(e, shade_x)) + uk * uint32_t(EDGE_GET(e, shade_step))));
        [[fallthrough]];
    case GROUP_PERSP:
        EDGE_SETF(e, u, EDGE_GETF(e, u) + fk * EDGE_GETF(e, u_step));
        EDGE_SETF(e, v, EDGE_GETF(e, v) + fk * EDGE_GETF(e, v_step));
        break;
    default:
        break;
    }
}

// The buckets cover rows 0..1023 only; a push to any other row is not made.
bool Row_Ok(int32_t row) { return row >= 0 && row < Bucket_Rows; }

void Push_Start(int32_t row, Addr edge, int32_t type)
{
    if (!Row_Ok(row)) {
        return;
    }
    Addr entry = Heap_Alloc(sizeof(SPAN_Start));
    uint8_t *p = W_Ptr(entry);
    Rec_Set<Addr>(p, offsetof(SPAN_Start, next), Start_Bucket[row]);
    Rec_Set<Addr>(p, offsetof(SPAN_Start, first_edge), edge);
    Rec_Set<int32_t>(p, offsetof(SPAN_Start, type), type);
    Start_Bucket[row] = entry;
}

void Push(Addr *bucket, int32_t row, uint8_t *e, Addr edge)
{
    if (!Row_Ok(row)) {
        return;
    }
    EDGE_SET(e, bucket_link, bucket[row]);
    bucket[row] = edge;
}

void Register_Edges(Addr node, Run_Group group)
{
    const int32_t type = W_Get32(node + Addr(offsetof(OBJ_EdgeNode, type)));
    const int32_t vt = OBJ_View.view_y;
    for (Addr a = W_GetAddr(node + Addr(offsetof(OBJ_EdgeNode, edge_list))); a != 0;) {
        uint8_t *e = W_Ptr(a);
        const uint32_t flags = EDGE_GET(e, flags);
        if (flags != 0) {
            const int32_t y0 = W_Get32(EDGE_GET(e, v0) + Addr(offsetof(OBJ_Vertex, screen_y)));
            const int32_t y1 = W_Get32(EDGE_GET(e, v1) + Addr(offsetof(OBJ_Vertex, screen_y)));
            const int32_t top = y0 < y1 ? y0 : y1;
            const int32_t bottom = y0 < y1 ? y1 : y0;
            const int32_t k = int32_t(uint32_t(vt) - uint32_t(top));
            switch (flags) {
            case 1: case 9: case 33:
                EDGE_SET(e, next_right, Addr(0));
                break;
            case 2:
                EDGE_SET(e, predecessor, Addr(0));
                Push_Start(top, a, type);
                Push(Retire_Bucket, bottom, e, a);
                break;
            case 5: case 17: case 25: case 37:
                Advance_Edge(e, group, k);
                EDGE_SET(e, next_right, Addr(0));
                break;
            case 6: case 18:
                EDGE_SET(e, predecessor, Addr(0));
                if (bottom != vt) {
                    Advance_Edge(e, group, k);
                    Push_Start(vt, a, type);
                    Push(Retire_Bucket, bottom, e, a);
                }
                break;
            case 7: case 19: case 27: case 39:
                Advance_Edge(e, group, k);
                break;
            case 10: case 34:
                EDGE_SET(e, predecessor, Addr(0));
                Push_Start(top, a, type);
                break;
            case 26: case 38:
                EDGE_SET(e, predecessor, Addr(0));
                if (bottom != vt) {
                    Advance_Edge(e, group, k);
                    Push_Start(vt, a, type);
                }
                break;
            case 65: case 73: case 97:
                Push(Replace_Bucket, top, e, a);
                EDGE_SET(e, next_right, Addr(0));
                break;
            case 67: case 75: case 99:
                Push(Replace_Bucket, top, e, a);
                break;
            case 69: case 81: case 89: case 101:
                Advance_Edge(e, group, k);
                Push(Replace_Bucket, vt, e, a);
                EDGE_SET(e, next_right, Addr(0));
                break;
            case 71: case 83: case 91: case 103:
                Advance_Edge(e, group, k);
                Push(Replace_Bucket, vt, e, a);
                break;
            default:
                break;
            }
            EDGE_SET(e, flags, uint32_t(0));
        }
        a = EDGE_GET(e, next);
    }
}

} // namespace

void Register_Flat(Addr node) { Register_Edges(node, GROUP_FLAT); }
void Register_Affine(Addr node) { Register_Edges(node, GROUP_AFFINE); }
void Register_Persp(Addr node) { Register_Edges(node, GROUP_PERSP); }
void Register_Gouraud(Addr node) { Register_Edges(node, GROUP_AFFINE_SHADED); }
void Register_Persp_Gouraud(Addr node) { Register_Edges(node, GROUP_PERSP_SHADED); }

void Build_Prims_B(Addr record)
{
    if (W_Get32(record + Addr(offsetof(OBJ_Record, flags))) & OBJ_FLAG_SKIP_TREE) {
        return;
    }
    for (Addr node = W_GetAddr(record + Addr(offsetof(OBJ_Record, prims_b))); node != 0;) {
        switch (W_Get32(node + Addr(offsetof(OBJ_EdgeNode, type)))) {
        case -2: case 1: case 4: case 5: case 7: case 8: case 10: case 17: case 27:
            Register_Flat(node);
            break;
        case -15: case -14: case -13: case -11: case -10: case -8: case -5: case -3: case 2: case 6: case 11:
        case 18: case 21: case 24:
            Register_Affine(node);
            break;
        case -12: case -9: case -7: case -6: case -4: case 3: case 9: case 12: case 20: case 28: case 29:
            Register_Persp(node);
            break;
        case 22: case 25: case 30:
            Register_Gouraud(node);
            break;
        case 23: case 26:
            Register_Persp_Gouraud(node);
            break;
        default:
            break;
        }
        node = W_GetAddr(node + Addr(offsetof(OBJ_EdgeNode, next)));
    }
}
