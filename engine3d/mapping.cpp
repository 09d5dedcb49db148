// Texture coordinates made from the geometry: environment mapping from the corner normals, screen
// mapping from the projected vertices; and face planes recomputed from the vertices of meshes whose
// vertices move.
#include "engine3d/mapping.h"

#include "core/fconv.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "engine3d/pipeline.h"
#include "engine3d/workarea.h"

namespace {

const Addr Vertex_At[3] = {offsetof(OBJ_Face, v0), offsetof(OBJ_Face, v1), offsetof(OBJ_Face, v2)};
const Addr Normal_At[3] = {offsetof(OBJ_Face, n0), offsetof(OBJ_Face, n1), offsetof(OBJ_Face, n2)};

// The textured types whose coordinates the mapping routines write.
bool Mapped_Type(int32_t type)
{
    return (type >= -15 && type <= -3) || type == 2 || type == 3 || type == 6 || type == 9 || type == 11 ||
           type == 12 || type == 18 || (type >= 20 && type <= 26) || type == 28 || type == 29 || type == 30;
}

// The types whose faces carry a plane, and the size of their stored faces; 0 for the others.
uint32_t Plane_Face_Size(int32_t type)
{
    if (type == -2 || type == 1 || type == 4) {
        return OBJ_FLAT_FACE_SIZE;
    }
    if ((type >= -15 && type <= -3) || type == 2 || type == 3 || type == 9 || (type >= 20 && type <= 23) ||
        type == 25 || type == 26 || (type >= 28 && type <= 30)) {
        return sizeof(OBJ_Face);
    }
    return 0;
}

// Calls visit(face) for every face of the chains of the mapped nodes that is drawn this frame.
template <typename Visit> void For_Each_Mapped_Face(Addr o, Visit visit)
{
    for (Addr node = W_GetAddr(o + offsetof(OBJ_Record, prims_a)); node != 0;
         node = W_GetAddr(node + offsetof(OBJ_PrimNode, next))) {
        if (!Mapped_Type(W_Get32(node + offsetof(OBJ_PrimNode, type)))) {
            continue;
        }
        for (Addr face = W_GetAddr(node + offsetof(OBJ_PrimNode, face_chain)); face != 0;
             face = W_GetAddr(face + offsetof(OBJ_Face, next))) {
            if ((uint32_t(W_Get32(face)) & FACE_CULLED) == 0) {
                visit(face);
            }
        }
    }
}

// Calls visit(face) for every stored face of the nodes that carry planes.
template <typename Visit> void For_Each_Plane_Face(Addr o, Visit visit)
{
    for (Addr node = W_GetAddr(o + offsetof(OBJ_Record, prims_a)); node != 0;
         node = W_GetAddr(node + offsetof(OBJ_PrimNode, next))) {
        const uint32_t size = Plane_Face_Size(W_Get32(node + offsetof(OBJ_PrimNode, type)));
        const int32_t count = W_Get32(node + offsetof(OBJ_PrimNode, face_count));
        const Addr faces = W_GetAddr(node + offsetof(OBJ_PrimNode, faces));
        if (size == 0 || faces == 0) {
            continue;
        }
        for (int32_t i = 0; i < count; i++) {
            visit(faces + Addr(i) * size);
        }
    }
}

} // namespace

// Each corner's coordinates from its normal turned by the parent's camera matrix: the centre of the
// map plus 128 texels per unit, in 16.16.
void Build_Obj_Env_Mapping(Addr o)
{
    const Addr p = W_GetAddr(o + offsetof(OBJ_Record, parent));
    if (p == 0) {
        return;
    }
    int32_t m[9];
    for (int i = 0; i < 9; i++) {
        m[i] = W_Get32(p + offsetof(OBJ_Record, cam_matrix) + Addr(i) * 4);
    }
    For_Each_Mapped_Face(o, [&](Addr face) {
        for (int k = 0; k < 3; k++) {
            const Addr normal = W_GetAddr(face + Normal_At[k]);
            const Addr item = W_GetAddr(face + offsetof(OBJ_Face, uv) + 4 * Addr(k));
            if (normal == 0 || item == 0) {
                continue;
            }
            const int32_t n[3] = {W_Get32(normal), W_Get32(normal + 4), W_Get32(normal + 8)};
            const int32_t ex = Fix_Dot_Trunc(m, n);
            const int32_t ey = Fix_Dot_Trunc(m + 3, n);
            W_Set32(item, int32_t(uint32_t(ex) * 256u + 0x800000u));
            W_Set32(item + 4, int32_t(uint32_t(ey) * 256u + 0x800000u));
        }
    });
}

// Each corner's coordinates from its screen position, the 640 x 480 screen spread over the map.
void Build_Obj_Screen_Mapping(Addr o)
{
    For_Each_Mapped_Face(o, [](Addr face) {
        for (int k = 0; k < 3; k++) {
            const Addr vertex = W_GetAddr(face + Vertex_At[k]);
            const Addr item = W_GetAddr(face + offsetof(OBJ_Face, uv) + 4 * Addr(k));
            if (vertex == 0 || item == 0) {
                continue;
            }
            const double x = W_Get32(vertex + offsetof(OBJ_Vertex, screen_x));
            const double y = W_Get32(vertex + offsetof(OBJ_Vertex, screen_y));
            W_Set32(item, trunc_i32(x * 255.0 * 65536.0 / 640.0));
            W_Set32(item + 4, trunc_i32(y * 255.0 * 65536.0 / 480.0));
        }
    });
}

// The screen positions of the source's first four vertices, in 16.16, as the target's first six items:
// two triangles over the quad. A source of fewer than four vertices or a target of fewer than six
// items is refused.
int32_t Map_Quad_Screen_UV(OBJ_Handle source, OBJ_Handle target)
{
    const Addr s = Get_Hierarchy_Record(source);
    const Addr t = Get_Hierarchy_Record(target);
    if (s == 0 || t == 0) {
        return -1;
    }
    const Addr vertices = W_GetAddr(s + offsetof(OBJ_Record, vertices));
    const Addr items = W_GetAddr(t + offsetof(OBJ_Record, items));
    if (W_Get32(s + offsetof(OBJ_Record, vertex_count)) < 4 || vertices == 0 ||
        W_Get32(t + offsetof(OBJ_Record, item_count)) < 6 || items == 0) {
        return -1;
    }
    int32_t point[4][2];
    for (int i = 0; i < 4; i++) {
        const Addr v = vertices + Addr(i) * sizeof(OBJ_Vertex);
        point[i][0] = int32_t(uint32_t(W_Get32(v + offsetof(OBJ_Vertex, screen_x))) << 16);
        point[i][1] = int32_t(uint32_t(W_Get32(v + offsetof(OBJ_Vertex, screen_y))) << 16);
    }
    static const int order[6] = {0, 2, 3, 0, 3, 1};
    for (int i = 0; i < 6; i++) {
        W_Set32(items + Addr(i) * 8, point[order[i]][0]);
        W_Set32(items + Addr(i) * 8 + 4, point[order[i]][1]);
    }
    return 0;
}

// Newell's normal of each face over its local vertices, scaled to 0x8000, and its plane distance.
// The sums are exact; sums beyond 32 bits are brought into range by a common shift before scaling,
// which keeps their direction.
int32_t Compute_Face_Planes(OBJ_Handle h)
{
    const Addr o = Get_Hierarchy_Record(h);
    if (o == 0) {
        return -1;
    }
    For_Each_Plane_Face(o, [](Addr face) {
        int64_t p[3][3];
        for (int k = 0; k < 3; k++) {
            const Addr v = W_GetAddr(face + Vertex_At[k]);
            for (int c = 0; c < 3; c++) {
                p[k][c] = v == 0 ? 0 : W_Get32(v + offsetof(OBJ_Vertex, position) + 4 * Addr(c));
            }
        }
        __int128 sum[3] = {0, 0, 0};
        for (int i = 0; i < 3; i++) {
            const int j = (i + 1) % 3;
            sum[0] += __int128(p[i][1] - p[j][1]) * (p[i][2] + p[j][2]);
            sum[1] += __int128(p[i][2] - p[j][2]) * (p[i][0] + p[j][0]);
            sum[2] += __int128(p[i][0] - p[j][0]) * (p[i][1] + p[j][1]);
        }
        while (sum[0] > INT32_MAX || sum[0] < -INT32_MAX || sum[1] > INT32_MAX || sum[1] < -INT32_MAX ||
               sum[2] > INT32_MAX || sum[2] < -INT32_MAX) {
            for (__int128 &s : sum) {
                s >>= 1;
            }
        }
        const int32_t raw[3] = {int32_t(sum[0]), int32_t(sum[1]), int32_t(sum[2])};
        int32_t n[3];
        Vec_Normalise(raw, n);
        const int64_t d = (int64_t(n[0]) * p[0][0] + int64_t(n[1]) * p[0][1] + int64_t(n[2]) * p[0][2]) >> 15;
        W_Set32(face + offsetof(OBJ_Face, plane), int32_t(d));
        const Addr normal = W_GetAddr(face + offsetof(OBJ_Face, normal));
        if (normal != 0) {
            for (int c = 0; c < 3; c++) {
                W_Set32(normal + 4 * Addr(c), n[c]);
            }
        }
    });
    return 0;
}

// Faces of such an object are judged by their winding each frame, not by their stored planes.
int32_t Hide_Obj_Faces(OBJ_Handle h)
{
    const Addr o = Get_Hierarchy_Record(h);
    if (o == 0) {
        return -1;
    }
    For_Each_Plane_Face(o, [](Addr face) { W_Set32(face, W_Get32(face) | int32_t(FACE_WINDING)); });
    return 0;
}
