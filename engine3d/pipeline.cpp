// The per-object pipeline: an object's camera frame from its parent's, its bounding sphere against
// the view, its vertices to camera space and the screen, its faces culled and clipped, and the object
// handed to the primitive set-up.
//
// Matrices, normals and positions are fixed point (1.0 = 0x8000); camera-space vertices and the
// projection are single-precision floats, each operation rounded in the order written. Sums of
// products that the frame's positions can push past 32 bits are formed exactly (Fix_Dot_Trunc) or in
// 64 bits; sums that only absurd data overflows wrap, as the 32-bit original did.
#include "engine3d/pipeline.h"

#include "core/fconv.h"
#include "core/wrap.h"
#include "engine3d/clip.h"
#include "engine3d/lighting.h"
#include "engine3d/mapping.h"
#include "engine3d/maths.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"

namespace {

constexpr uint32_t Flags = offsetof(OBJ_Record, flags);

void Read_Words(Addr a, int32_t *out, int n)
{
    for (int i = 0; i < n; i++) {
        out[i] = W_Get32(a + Addr(i) * 4);
    }
}

void Write_Words(Addr a, const int32_t *in, int n)
{
    for (int i = 0; i < n; i++) {
        W_Set32(a + Addr(i) * 4, in[i]);
    }
}

uint32_t Get_Flags(Addr record) { return uint32_t(W_Get32(record + Flags)); }
void Set_Flags(Addr record, uint32_t flags) { W_Set32(record + Flags, int32_t(flags)); }

// The left/right and top/bottom bits of a camera-space vertex: sx and sy are the left edge's x and the
// top edge's y at the vertex's depth. The products are 64-bit: vertices of far objects lie beyond the
// depth where a 32-bit product would wrap.
uint32_t Side_Bits(int32_t z, float x, float y)
{
    const int32_t sx = int32_t((int64_t(z) * OBJ_View.x_slope) >> 15);
    const int32_t sy = int32_t((int64_t(z) * OBJ_View.y_slope) >> 15);
    uint32_t bits = 0;
    if (double(sx) > double(x)) {
        bits |= VTX_LEFT;
    } else if (double(x) > -double(sx)) {
        bits |= VTX_RIGHT;
    }
    if (double(sy) >= double(y)) {
        bits |= VTX_ABOVE;
    } else if (double(y) > -double(sy)) {
        bits |= VTX_BELOW;
    }
    return bits;
}

} // namespace

uint32_t Screen_Bits(int32_t x, int32_t y)
{
    uint32_t bits = 0;
    if (x < OBJ_View.view_x) {
        bits |= VTX_LEFT;
    } else if (int64_t(x) > int64_t(OBJ_View.view_x) + OBJ_View.view_width) {
        bits |= VTX_RIGHT;
    }
    if (y <= OBJ_View.view_y) {
        bits |= VTX_ABOVE;
    } else if (int64_t(y) > int64_t(OBJ_View.view_y) + OBJ_View.view_height) {
        bits |= VTX_BELOW;
    }
    return bits;
}

void Project_Vertex(uint8_t *v)
{
    const float x = P_GetF(v + offsetof(OBJ_Vertex, camera));
    const float y = P_GetF(v + offsetof(OBJ_Vertex, camera) + 4);
    const float z = P_GetF(v + offsetof(OBJ_Vertex, camera) + 8);
    P_SetF(v + offsetof(OBJ_Vertex, inverse_depth), 1073741824.0f / z);
    float sx = x * OBJ_View.focal_x;
    sx = sx / z;
    sx = sx + float(OBJ_View.centre_x);
    float sy = y * OBJ_View.focal_y;
    sy = sy / z;
    sy = sy + float(OBJ_View.centre_y);
    P_Set32(v + offsetof(OBJ_Vertex, screen_x), trunc_i32(sx));
    P_Set32(v + offsetof(OBJ_Vertex, screen_y), trunc_i32(sy));
}

void Process_Obj(Addr o)
{
    nb_objects2++;
    const Addr p = W_GetAddr(o + offsetof(OBJ_Record, parent));
    if (p == 0) {
        return;
    }
    XForm_Obj(o);

    // The stored edges only: the edges that last frame's clipping put in front of them are dropped.
    if (Render_Settings.list_b != nullptr) {
        for (Addr node = W_GetAddr(o + offsetof(OBJ_Record, prims_b)); node != 0;
             node = W_GetAddr(node + offsetof(OBJ_EdgeNode, next))) {
            W_SetAddr(node + offsetof(OBJ_EdgeNode, edge_list), W_GetAddr(node + offsetof(OBJ_EdgeNode, edges)));
        }
    }

    if ((Get_Flags(o) & OBJ_FLAG_HIDDEN) != 0) {
        return;
    }
    Cull_Obj(o);
    const uint32_t flags = Get_Flags(o);
    if ((flags & OBJ_FLAG_CULLED) != 0) {
        // A child drawn over its parent's free vertices is drawn while the parent is visible.
        if ((Get_Flags(p) & OBJ_FLAG_CULLED) != 0 || (flags & OBJ_FLAG_SHARED_VERTS) == 0) {
            return;
        }
    }
    nb_objects3++;
    if ((flags & OBJ_FLAG_SHARED_VERTS) != 0 && (Get_Flags(p) & OBJ_FLAG_TRANSFORMED) == 0) {
        Set_Flags(p, Get_Flags(p) | OBJ_FLAG_TRANSFORMED);
        nb_objects4++;
        XForm_Free_Verts(p);
    }
    Set_Flags(o, Get_Flags(o) | OBJ_FLAG_TRANSFORMED);
    XForm_Verts(o);
    XForm_Norms(o);
    Cull_Faces(o);
    Compute_Face_Illum(o);
    Project_Verts(o);
    Build_Obj_Lights(o);
    if ((Get_Flags(o) & OBJ_FLAG_NO_BUILD) == 0 && Render_Settings.build_obj != nullptr) {
        Render_Settings.build_obj(o);
    }
    // After the set-up, as the game has it: the rasteriser reads the coordinates later in the frame.
    if ((Get_Flags(o) & OBJ_FLAG_ENV_MAP) != 0) {
        Build_Obj_Env_Mapping(o);
    }
}

// The camera frame: the parent's camera matrix times the local one, and the local position turned
// by the parent's camera matrix, truncated toward zero, plus the parent's camera position.
void XForm_Obj(Addr o)
{
    const Addr p = W_GetAddr(o + offsetof(OBJ_Record, parent));
    if (p == 0) {
        return;
    }
    int32_t pm[9], m[9], out[9], position[3], pp[3], cp[3];
    Read_Words(p + offsetof(OBJ_Record, cam_matrix), pm, 9);
    Read_Words(o + offsetof(OBJ_Record, matrix), m, 9);
    Read_Words(o + offsetof(OBJ_Record, position), position, 3);
    Read_Words(p + offsetof(OBJ_Record, cam_position), pp, 3);
    Mat_Mul(pm, m, out);
    for (int i = 0; i < 3; i++) {
        cp[i] = Wrap_Add(Fix_Dot_Trunc(pm + 3 * i, position), pp[i]);
    }
    Write_Words(o + offsetof(OBJ_Record, cam_matrix), out, 9);
    Write_Words(o + offsetof(OBJ_Record, cam_position), cp, 3);
}

void Cull_Obj(Addr o)
{
    uint32_t flags = Get_Flags(o) & 0x1891;
    int32_t m[9], position[3], centre[3], c[3];
    Read_Words(o + offsetof(OBJ_Record, cam_matrix), m, 9);
    Read_Words(o + offsetof(OBJ_Record, cam_position), position, 3);
    Read_Words(o + offsetof(OBJ_Record, centre), centre, 3);
    const int64_t r = W_Get32(o + offsetof(OBJ_Record, radius));
    for (int i = 0; i < 3; i++) {
        c[i] = Fix_Dot_Trunc(m + 3 * i, centre, position[i]);
    }
    // Side planes, left, right, top, bottom. The distance is a 64-bit sum: sky objects lie far
    // beyond where a 32-bit one wraps.
    for (int i = 0; i < 4; i++) {
        const int32_t *n = OBJ_View.normals[i];
        const int64_t d = (int64_t(c[0]) * n[0] + int64_t(c[1]) * n[1] + int64_t(c[2]) * n[2]) >> 15;
        if (d > 0) {
            flags |= d > r ? OBJ_FLAG_CULLED : OBJ_FLAG_CROSS_SIDE;
        } else if (d < r) {
            flags |= OBJ_FLAG_CROSS_SIDE;
        }
    }
    const int64_t z = c[2];
    const int64_t n = OBJ_View.near_clip;
    const int64_t f = OBJ_View.far_clip;
    if (z <= n) {
        flags |= z + r > n ? OBJ_FLAG_CROSS_NEAR : OBJ_FLAG_CULLED;
    } else if (z - r <= n) {
        flags |= OBJ_FLAG_CROSS_NEAR;
    }
    if (z >= f) {
        if (z - r < f) {
            flags |= OBJ_FLAG_CROSS_NEAR;
        } else if ((flags & OBJ_FLAG_NO_FAR_CULL) == 0) {
            flags |= OBJ_FLAG_CULLED;
        }
    } else if (z + r > f) {
        flags |= OBJ_FLAG_CROSS_NEAR;
    }
    Set_Flags(o, flags);
}

void XForm_Verts(Addr o)
{
    const int32_t count = W_Get32(o + offsetof(OBJ_Record, vertex_count));
    const Addr vertices = W_GetAddr(o + offsetof(OBJ_Record, vertices));
    if (count <= 0 || vertices == 0) {
        return;
    }
    int32_t m[9], position[3];
    Read_Words(o + offsetof(OBJ_Record, cam_matrix), m, 9);
    Read_Words(o + offsetof(OBJ_Record, cam_position), position, 3);
    float mf[9], pf[3];
    for (int i = 0; i < 9; i++) {
        mf[i] = float(m[i]) / 32768.0f;
    }
    for (int i = 0; i < 3; i++) {
        pf[i] = float(position[i]);
    }
    const bool far_cull = (Get_Flags(o) & OBJ_FLAG_NO_FAR_CULL) == 0;
    const int32_t n = OBJ_View.near_clip;
    const int32_t f = OBJ_View.far_clip;
    uint8_t *v = W_Ptr(vertices);
    for (int32_t i = 0; i < count; i++, v += sizeof(OBJ_Vertex)) {
        uint32_t flags = uint32_t(P_Get32(v)) & VTX_FREE;
        float local[3], cam[3];
        for (int k = 0; k < 3; k++) {
            local[k] = float(P_Get32(v + offsetof(OBJ_Vertex, position) + 4 * k));
        }
        for (int k = 0; k < 3; k++) {
            float s = mf[3 * k] * local[0];
            s = s + mf[3 * k + 1] * local[1];
            s = s + mf[3 * k + 2] * local[2];
            cam[k] = s + pf[k];
            P_SetF(v + offsetof(OBJ_Vertex, camera) + 4 * k, cam[k]);
        }
        nb_verts_xformed++;
        const int32_t z = trunc_i32(cam[2]);
        if (z < n) {
            flags |= VTX_NEAR;
        } else {
            if ((flags & VTX_FREE) != 0) {
                flags |= VTX_PROJECT;
            }
            if (z >= f && far_cull) {
                flags |= VTX_FAR;
            }
        }
        flags |= Side_Bits(z, cam[0], cam[1]);
        P_Set32(v, int32_t(flags));
    }
}

// Free vertices are transformed once per parent and frame, for the children drawn over them, and
// projected at once unless they lie nearer than the near plane.
void XForm_Free_Verts(Addr o)
{
    const int32_t count = W_Get32(o + offsetof(OBJ_Record, vertex_count));
    const Addr vertices = W_GetAddr(o + offsetof(OBJ_Record, vertices));
    if (count <= 0 || vertices == 0) {
        return;
    }
    int32_t m[9], position[3];
    Read_Words(o + offsetof(OBJ_Record, cam_matrix), m, 9);
    Read_Words(o + offsetof(OBJ_Record, cam_position), position, 3);
    const int32_t n = OBJ_View.near_clip;
    const int32_t f = OBJ_View.far_clip;
    uint8_t *v = W_Ptr(vertices);
    for (int32_t i = 0; i < count; i++, v += sizeof(OBJ_Vertex)) {
        if ((uint32_t(P_Get32(v)) & VTX_FREE) == 0) {
            continue;
        }
        uint32_t flags = VTX_FREE;
        int32_t local[3];
        float cam[3];
        for (int k = 0; k < 3; k++) {
            local[k] = P_Get32(v + offsetof(OBJ_Vertex, position) + 4 * k);
        }
        for (int k = 0; k < 3; k++) {
            cam[k] = float(double(Fix_Dot_Exact(m + 3 * k, local)) / 32768.0 + double(position[k]));
            P_SetF(v + offsetof(OBJ_Vertex, camera) + 4 * k, cam[k]);
        }
        nb_verts_xformed++;
        const int32_t z = trunc_i32(cam[2]);
        if (z < n) {
            flags |= VTX_NEAR;
        } else if (z > f) {
            flags |= VTX_FAR;
        }
        flags |= Side_Bits(z, cam[0], cam[1]);
        P_Set32(v, int32_t(flags));
        if ((flags & VTX_NEAR) == 0) {
            Project_Vertex(v);
            nb_verts_projected++;
        }
    }
}

void Obj_Eye(Addr o, int32_t *e)
{
    int32_t m[9], position[3];
    Read_Words(o + offsetof(OBJ_Record, cam_matrix), m, 9);
    Read_Words(o + offsetof(OBJ_Record, cam_position), position, 3);
    for (int j = 0; j < 3; j++) {
        const int32_t column[3] = {m[j], m[3 + j], m[6 + j]};
        const int32_t t = Fix_Dot_Trunc(column, position);
        e[j] = t == INT32_MIN ? INT32_MIN : -t;
    }
}

// The eye product of each face normal: the normal dotted with the camera's origin in the object's
// frame, each term truncated toward zero.
void XForm_Norms(Addr o)
{
    const int32_t count = W_Get32(o + offsetof(OBJ_Record, fnormal_count));
    const Addr normals = W_GetAddr(o + offsetof(OBJ_Record, fnormals));
    if (count <= 0 || normals == 0) {
        return;
    }
    int32_t e[3];
    Obj_Eye(o, e);
    uint8_t *nrm = W_Ptr(normals);
    for (int32_t i = 0; i < count; i++, nrm += sizeof(OBJ_Normal)) {
        uint32_t w = 0;
        for (int k = 0; k < 3; k++) {
            w += uint32_t(int64_t(P_Get32(nrm + 4 * k)) * e[k] / 32768);
        }
        P_Set32(nrm + offsetof(OBJ_Normal, w), int32_t(w));
        nb_normals++;
    }
}

void Cull_Faces(Addr o)
{
    for (Addr node = W_GetAddr(o + offsetof(OBJ_Record, prims_a)); node != 0;
         node = W_GetAddr(node + offsetof(OBJ_PrimNode, next))) {
        W_SetAddr(node + offsetof(OBJ_PrimNode, face_chain), W_GetAddr(node + offsetof(OBJ_PrimNode, faces)));
        for (Addr face = W_GetAddr(node + offsetof(OBJ_PrimNode, face_chain)); face != 0;
             face = W_GetAddr(face + offsetof(OBJ_Face, next))) {
            nb_faces_tested++;
            uint8_t *fp = W_Ptr(face);
            uint32_t flags = uint32_t(P_Get32(fp));
            uint8_t *vx[3] = {W_Ptr(W_GetAddr(face + offsetof(OBJ_Face, v0))),
                              W_Ptr(W_GetAddr(face + offsetof(OBJ_Face, v1))),
                              W_Ptr(W_GetAddr(face + offsetof(OBJ_Face, v2)))};
            bool back;
            if ((flags & FACE_WINDING) != 0) {
                float a[3], b[3], c[3];
                for (int k = 0; k < 3; k++) {
                    a[k] = P_GetF(vx[0] + offsetof(OBJ_Vertex, camera) + 4 * k);
                    b[k] = P_GetF(vx[1] + offsetof(OBJ_Vertex, camera) + 4 * k);
                    c[k] = P_GetF(vx[2] + offsetof(OBJ_Vertex, camera) + 4 * k);
                }
                const float d1[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
                const float d2[3] = {b[0] - c[0], b[1] - c[1], b[2] - c[2]};
                const float mx = d1[1] * d2[2] - d1[2] * d2[1];
                const float my = d1[2] * d2[0] - d1[0] * d2[2];
                const float mz = d1[0] * d2[1] - d1[1] * d2[0];
                float s = (a[0] / 16.0f) * (mx / 16.0f);
                s = s + (a[1] / 16.0f) * (my / 16.0f);
                s = s + (a[2] / 16.0f) * (mz / 16.0f);
                back = s >= 0.0f;
            } else {
                const Addr normal = W_GetAddr(face + offsetof(OBJ_Face, normal));
                const int64_t eye = normal == 0 ? 0 : W_Get32(normal + offsetof(OBJ_Normal, w));
                back = eye - P_Get32(fp + offsetof(OBJ_Face, plane)) < 0;
            }
            if (back) {
                P_Set32(fp, int32_t(flags | FACE_CULLED));
                continue;
            }
            flags &= FACE_WINDING;
            nb_faces_front++;
            const uint32_t f0 = uint32_t(P_Get32(vx[0])), f1 = uint32_t(P_Get32(vx[1])), f2 = uint32_t(P_Get32(vx[2]));
            const uint32_t all = f0 & f1 & f2, any = f0 | f1 | f2;
            if ((all & 0x3F) != 0 || (any & VTX_FAR) != 0) {
                P_Set32(fp, int32_t(flags | FACE_CULLED));
                continue;
            }
            P_Set32(fp, int32_t(flags));
            nb_faces_drawn++;
            if ((any & VTX_NEAR) != 0) {
                nb_faces_clipped++;
                Clip_Face_Near(node, o, face);
            } else {
                for (int k = 0; k < 3; k++) {
                    P_Set32(vx[k], P_Get32(vx[k]) | int32_t(VTX_PROJECT));
                }
            }
        }
    }
}

void Project_Verts(Addr o)
{
    const int32_t count = W_Get32(o + offsetof(OBJ_Record, vertex_count));
    const Addr vertices = W_GetAddr(o + offsetof(OBJ_Record, vertices));
    if (count <= 0 || vertices == 0) {
        return;
    }
    uint8_t *v = W_Ptr(vertices);
    for (int32_t i = 0; i < count; i++, v += sizeof(OBJ_Vertex)) {
        const uint32_t flags = uint32_t(P_Get32(v));
        if ((flags & VTX_PROJECT) == 0) {
            continue;
        }
        Project_Vertex(v);
        const uint32_t bits = Screen_Bits(P_Get32(v + offsetof(OBJ_Vertex, screen_x)),
                                          P_Get32(v + offsetof(OBJ_Vertex, screen_y)));
        P_Set32(v, int32_t((flags & 0xF0) | bits));
        nb_verts_projected++;
    }
}
