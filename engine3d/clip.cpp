// Near-plane clipping. A face that crosses the near plane is replaced, for this frame only, by one or
// two faces over new vertices on the plane; everything new comes from the frame heap at the record
// sizes of the face's primitive type.
#include "engine3d/clip.h"

#include <cstring>

#include "core/fconv.h"
#include "engine3d/pipeline.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"

namespace {

struct ClipSizes {
    uint32_t face;
    uint32_t edge;
    bool textured;
    bool corner_normals; // always take the clipped face's corner normals
};

// The record sizes by primitive type; false for the types that no set-up draws clipped (no faces,
// or lit per corner without a clipped form), whose crossing faces are dropped.
bool Clip_Sizes(int32_t type, ClipSizes *s)
{
    switch (type) {
    case -2: case 1: case 4: case 5: case 7: case 8: case 10: case 17: case 27:
        *s = {56, 60, false, false};
        return true;
    case -15: case -14: case -13: case -11: case -10: case -8: case -5: case -3: case 2: case 6: case 11:
    case 18: case 21: case 24:
        *s = {68, 88, true, false};
        return true;
    case -12: case -9: case -7: case -6: case -4: case 3: case 9: case 12: case 20: case 28: case 29:
        *s = {68, 100, true, false};
        return true;
    case 22: case 25: case 30:
        *s = {68, 100, true, true};
        return true;
    case 23: case 26:
        *s = {68, 112, true, true};
        return true;
    default:
        return false;
    }
}

float Camera(const uint8_t *v, int k) { return P_GetF(v + offsetof(OBJ_Vertex, camera) + 4 * k); }

// A corner of a new face: its vertex and texture coordinates.
struct Corner {
    Addr vertex;
    int32_t uv[2];
};

void Read_UV(Addr item, int32_t *uv)
{
    uv[0] = item == 0 ? 0 : W_Get32(item);
    uv[1] = item == 0 ? 0 : W_Get32(item + 4);
}

// The texture coordinates of a new vertex, at the same parameter along its edge.
Corner Clipped(Addr a, Addr b, const int32_t *uv_a, const int32_t *uv_b)
{
    float t;
    Corner c;
    c.vertex = Clip_Vertex_Near(a, b, &t);
    for (int k = 0; k < 2; k++) {
        c.uv[k] = trunc_i32(double(uv_a[k]) + double(t) * (double(uv_b[k]) - double(uv_a[k])));
    }
    return c;
}

} // namespace

Addr Clip_Vertex_Near(Addr a, Addr b, float *t_out)
{
    const Addr c = Heap_Alloc(sizeof(OBJ_Vertex));
    const uint8_t *pa = W_Ptr(a);
    const uint8_t *pb = W_Ptr(b);
    uint8_t *pc = W_Ptr(c);
    std::memset(pc, 0, sizeof(OBJ_Vertex));
    const float n = float(OBJ_View.near_clip);
    // b lies nearer than the plane and a at or beyond it, so the two depths differ.
    const float t = (n - Camera(pa, 2)) / (Camera(pb, 2) - Camera(pa, 2));
    for (int k = 0; k < 2; k++) {
        float d = Camera(pb, k) - Camera(pa, k);
        d = t * d;
        P_SetF(pc + offsetof(OBJ_Vertex, camera) + 4 * k, Camera(pa, k) + d);
    }
    P_SetF(pc + offsetof(OBJ_Vertex, camera) + 8, n);
    for (int k = 0; k < 3; k++) {
        const double la = P_Get32(pa + offsetof(OBJ_Vertex, position) + 4 * k);
        const double lb = P_Get32(pb + offsetof(OBJ_Vertex, position) + 4 * k);
        P_Set32(pc + offsetof(OBJ_Vertex, position) + 4 * k, trunc_i32(la + double(t) * (lb - la)));
    }
    Project_Vertex(pc);
    const uint32_t bits =
        Screen_Bits(P_Get32(pc + offsetof(OBJ_Vertex, screen_x)), P_Get32(pc + offsetof(OBJ_Vertex, screen_y)));
    P_Set32(pc, int32_t(VTX_PROJECT | bits));
    if (t_out != nullptr) {
        *t_out = t;
    }
    return c;
}

void Clip_Face_Near(Addr node, Addr o, Addr face)
{
    ClipSizes sizes;
    if (!Clip_Sizes(W_Get32(node + offsetof(OBJ_PrimNode, type)), &sizes)) {
        W_Set32(face, W_Get32(face) | int32_t(FACE_CULLED));
        return;
    }
    static const uint32_t vertex_at[3] = {offsetof(OBJ_Face, v0), offsetof(OBJ_Face, v1), offsetof(OBJ_Face, v2)};
    Addr v[3];
    int32_t uv[3][2] = {};
    bool near_side[3];
    int near_count = 0;
    for (int k = 0; k < 3; k++) {
        v[k] = W_GetAddr(face + vertex_at[k]);
        near_side[k] = (uint32_t(W_Get32(v[k])) & VTX_NEAR) != 0;
        near_count += near_side[k] ? 1 : 0;
        if (sizes.textured) {
            Read_UV(W_GetAddr(face + offsetof(OBJ_Face, uv) + 4 * Addr(k)), uv[k]);
        }
    }
    if (near_count == 0 || near_count == 3) {
        return;
    }

    // The new faces, in the clipped face's winding.
    Corner tri[2][3];
    int tri_count;
    if (near_count == 2) {
        int i = near_side[0] ? (near_side[1] ? 2 : 1) : 0;
        const int p = (i + 1) % 3, q = (i + 2) % 3;
        const Corner V = {v[i], {uv[i][0], uv[i][1]}};
        const Corner C1 = Clipped(v[i], v[p], uv[i], uv[p]);
        const Corner C2 = Clipped(v[i], v[q], uv[i], uv[q]);
        tri[0][0] = C1;
        tri[0][1] = C2;
        tri[0][2] = V;
        tri_count = 1;
    } else {
        int i = near_side[0] ? 0 : (near_side[1] ? 1 : 2);
        const int k1 = (i + 1) % 3, k2 = (i + 2) % 3;
        const Corner K1 = {v[k1], {uv[k1][0], uv[k1][1]}};
        const Corner K2 = {v[k2], {uv[k2][0], uv[k2][1]}};
        const Corner C1 = Clipped(v[k1], v[i], uv[k1], uv[i]);
        const Corner C2 = Clipped(v[k2], v[i], uv[k2], uv[i]);
        tri[0][0] = C1;
        tri[0][1] = K1;
        tri[0][2] = K2;
        tri[1][0] = C1;
        tri[1][1] = K2;
        tri[1][2] = C2;
        tri_count = 2;
    }

    for (int k = 0; k < 3; k++) {
        if (!near_side[k]) {
            W_Set32(v[k], W_Get32(v[k]) | int32_t(VTX_PROJECT));
        }
    }
    W_Set32(face, W_Get32(face) | int32_t(FACE_CULLED | FACE_CLIPPED));

    Addr faces[2], items[2] = {0, 0};
    for (int f = 0; f < tri_count; f++) {
        faces[f] = Heap_Alloc(sizes.face);
        std::memset(W_Ptr(faces[f]), 0, sizes.face);
    }
    if (sizes.textured) {
        for (int f = 0; f < tri_count; f++) {
            items[f] = Heap_Alloc(3 * sizeof(OBJ_Item));
        }
    }
    // One edge per distinct side: three for one face, five for two (the diagonal shared).
    const int edge_count = tri_count == 1 ? 3 : 5;
    Addr edges[5];
    for (int e = 0; e < edge_count; e++) {
        edges[e] = Heap_Alloc(sizes.edge);
        std::memset(W_Ptr(edges[e]), 0, sizes.edge);
    }
    // Corner k's edge runs to corner k + 1: face 0 uses edges 0, 1, 2; face 1 the diagonal (2), 3, 4.
    static const int corner_edge[2][3] = {{0, 1, 2}, {2, 3, 4}};
    static const Addr edge_at[3] = {offsetof(OBJ_Face, e0), offsetof(OBJ_Face, e1), offsetof(OBJ_Face, e2)};
    static const Addr normal_at[3] = {offsetof(OBJ_Face, n0), offsetof(OBJ_Face, n1), offsetof(OBJ_Face, n2)};
    bool named[5] = {};
    const bool copy_normals =
        sizes.corner_normals ||
        (sizes.textured && (uint32_t(W_Get32(o + offsetof(OBJ_Record, flags))) & OBJ_FLAG_ENV_MAP) != 0);
    for (int f = 0; f < tri_count; f++) {
        const Addr nf = faces[f];
        for (int k = 0; k < 3; k++) {
            const Addr edge = edges[corner_edge[f][k]];
            W_SetAddr(nf + vertex_at[k], tri[f][k].vertex);
            W_SetAddr(nf + edge_at[k], edge);
            if (!named[corner_edge[f][k]]) {
                named[corner_edge[f][k]] = true;
                W_SetAddr(edge + offsetof(SPAN_Surface, v0), tri[f][k].vertex);
                W_SetAddr(edge + offsetof(SPAN_Surface, v1), tri[f][(k + 1) % 3].vertex);
            }
            if (copy_normals) {
                W_SetAddr(nf + normal_at[k], W_GetAddr(face + normal_at[k]));
            }
            if (sizes.textured) {
                const Addr item = items[f] + Addr(k) * sizeof(OBJ_Item);
                W_Set32(item, tri[f][k].uv[0]);
                W_Set32(item + 4, tri[f][k].uv[1]);
                W_SetAddr(nf + offsetof(OBJ_Face, uv) + 4 * Addr(k), item);
            }
        }
        // The new face lies in the clipped face's plane.
        W_SetAddr(nf + offsetof(OBJ_Face, normal), W_GetAddr(face + offsetof(OBJ_Face, normal)));
        W_Set32(nf + offsetof(OBJ_Face, plane), W_Get32(face + offsetof(OBJ_Face, plane)));
        W_SetAddr(nf + offsetof(OBJ_Face, next), W_GetAddr(node + offsetof(OBJ_PrimNode, face_chain)));
        W_SetAddr(node + offsetof(OBJ_PrimNode, face_chain), nf);
    }
    const Addr edge_node = W_GetAddr(node + offsetof(OBJ_PrimNode, edge_node));
    if (edge_node != 0) {
        for (int e = 0; e < edge_count; e++) {
            W_SetAddr(edges[e] + offsetof(SPAN_Surface, next), W_GetAddr(edge_node + offsetof(OBJ_EdgeNode, edge_list)));
            W_SetAddr(edge_node + offsetof(OBJ_EdgeNode, edge_list), edges[e]);
        }
    }
}
