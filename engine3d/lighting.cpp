// Object lighting: the attached lights brought into an object's frame, then one shade level per face,
// or one per face corner for the smooth types.
//
// Levels add over lights, fall off linearly between the inner and the outer radius, and count only
// the side of a face that faces the light. Products of fixed-point vectors are exact (Fix_Dot_Trunc,
// 64-bit differences of positions); distances, contributions and falloff are single-precision float
// expressions in the order written, converted by truncation toward zero.
#include "engine3d/lighting.h"

#include <algorithm>
#include <cmath>

#include "core/fconv.h"
#include "engine3d/lights.h"
#include "engine3d/maths.h"
#include "engine3d/pipeline.h"
#include "engine3d/workarea.h"

namespace {

constexpr uint32_t Flat_Light = 52; // the light byte of a 56-byte face
constexpr float Two_Pow_Minus_30 = 1.0f / 1073741824.0f;

enum class Shading { None, Flat56, Flat68, Corners, Gloss };

Shading Shading_Of(int32_t type)
{
    switch (type) {
    case 1:
        return Shading::Flat56;
    case -15: case -14: case -13: case -12: case -11: case -10: case -9: case -8: case -7: case -6: case -5:
    case -4: case -3: case 2: case 3: case 6: case 9: case 11: case 12: case 18: case 20: case 21: case 24:
    case 28: case 29:
        return Shading::Flat68;
    case 22: case 23: case 25: case 26:
        return Shading::Corners;
    case 30: case 31:
        return Shading::Gloss;
    default:
        return Shading::None;
    }
}

// The attached lights that shade, in list order. An index outside the table, a free slot or a type
// that is neither point nor directed contributes nothing and is left out.
int32_t Shading_Lights(Addr o, OBJ_Light **out)
{
    int32_t count = W_Get32(o + offsetof(OBJ_Record, light_count));
    count = count < 0 ? 0 : (count > MAX_OBJ_LIGHTS ? MAX_OBJ_LIGHTS : count);
    const uint8_t *list = W_Ptr(o + offsetof(OBJ_Record, lights));
    int32_t n = 0;
    for (int32_t i = 0; i < count; i++) {
        if (list[i] >= MAX_LIGHTS) {
            continue;
        }
        OBJ_Light &l = Light_Table[list[i]];
        if (l.type == LIGHT_POINT || l.type == LIGHT_DIRECTED) {
            out[n++] = &l;
        }
    }
    return n;
}

void Diff(const int32_t *a, const int32_t *b, int64_t *out)
{
    for (int i = 0; i < 3; i++) {
        out[i] = int64_t(a[i]) - b[i];
    }
}

// The length of a light-to-point vector; never below one unit, so that a light sitting exactly on a
// face centre or a vertex gives a finite contribution rather than an infinite one.
float Distance(const int64_t *d)
{
    const float x = float(d[0]), y = float(d[1]), z = float(d[2]);
    float s = x * x;
    s = s + y * y;
    s = s + z * z;
    const float dist = std::sqrt(s);
    return dist < 1.0f ? 1.0f : dist;
}

int32_t Falloff(int32_t c, float dist, const OBJ_Light &l)
{
    if (dist <= float(l.inner_radius)) {
        return c;
    }
    if (dist >= float(l.outer_radius)) {
        return 0;
    }
    const float ro = float(l.outer_radius);
    float t = float(c) * (ro - dist);
    t = t / ro;
    return trunc_i32(t);
}

// (plane value - light product) x intensity / distance.
int32_t Point_Contribution(int64_t difference, int32_t intensity, float dist)
{
    float t = float(difference) * float(intensity);
    t = t / dist;
    return trunc_i32(t);
}

int32_t Directed_Contribution(int32_t product, int32_t intensity)
{
    return int32_t(int64_t(product) * intensity / 32768);
}

int32_t Vec_Get(const uint8_t *p, int k) { return P_Get32(p + 4 * k); }

// Scales a 64-bit vector to length 0x8000; one that does not fit 32 bits is halved first, which only
// positions near the ends of the coordinate range need.
void Normalise_Wide(const int64_t *a, int32_t *out)
{
    int64_t v[3] = {a[0], a[1], a[2]};
    while (v[0] != int32_t(v[0]) || v[1] != int32_t(v[1]) || v[2] != int32_t(v[2])) {
        for (int64_t &c : v) {
            c /= 2;
        }
    }
    const int32_t n[3] = {int32_t(v[0]), int32_t(v[1]), int32_t(v[2])};
    Vec_Normalise(n, out);
}

// How much of a point light the eye sees reflected at a vertex: the light ray mirrored about the
// normal against the direction to the eye, to the fourth power. A surface lit from behind keeps 1.
float Gloss(const int64_t *d, const int32_t *n, const int32_t *eye, const int32_t *v)
{
    const float s = float(d[0] * n[0] + d[1] * n[1] + d[2] * n[2]) * Two_Pow_Minus_30;
    if (s >= 0.0f) {
        return 1.0f;
    }
    int64_t q[3], e[3];
    for (int i = 0; i < 3; i++) {
        const int64_t r = trunc_i32(float(n[i]) * s);
        q[i] = d[i] - r - r;
        e[i] = int64_t(eye[i]) - v[i];
    }
    int32_t qn[3], en[3];
    Normalise_Wide(q, qn);
    Normalise_Wide(e, en);
    const float a = float(int64_t(qn[0]) * en[0] + int64_t(qn[1]) * en[1] + int64_t(qn[2]) * en[2]) * Two_Pow_Minus_30;
    return a * a * a * a;
}

template <typename Visit> void For_Faces(Addr node, Visit visit)
{
    for (Addr face = W_GetAddr(node + offsetof(OBJ_PrimNode, face_chain)); face != 0;
         face = W_GetAddr(face + offsetof(OBJ_Face, next))) {
        uint8_t *fp = W_Ptr(face);
        if ((uint32_t(P_Get32(fp)) & FACE_CULLED) == 0) {
            visit(fp);
        }
    }
}

const uint8_t *Corner_Vertex(const uint8_t *fp, int k)
{
    return W_Ptr(Addr(P_Get32(fp + offsetof(OBJ_Face, v0) + 12 * k)) + offsetof(OBJ_Vertex, position));
}

// One level for the whole face: one centre and one distance per light.
uint8_t Flat_Level(uint8_t *fp, OBJ_Light *const *lights, int32_t count)
{
    const Addr normal = Addr(P_Get32(fp + offsetof(OBJ_Face, normal)));
    if (normal == 0) {
        return 0;
    }
    uint8_t *np = W_Ptr(normal);
    const int32_t n[3] = {Vec_Get(np, 0), Vec_Get(np, 1), Vec_Get(np, 2)};
    int32_t centre[3];
    for (int i = 0; i < 3; i++) {
        int64_t sum = 0;
        for (int k = 0; k < 3; k++) {
            sum += Vec_Get(Corner_Vertex(fp, k), i);
        }
        centre[i] = int32_t(sum / 3);
    }
    const int64_t plane = P_Get32(fp + offsetof(OBJ_Face, plane));
    int64_t level = 0;
    for (int32_t j = 0; j < count; j++) {
        const OBJ_Light &l = *lights[j];
        int64_t d[3];
        Diff(centre, l.obj_position, d);
        const float dist = Distance(d);
        int32_t c;
        if (l.type == LIGHT_POINT) {
            const int32_t w = Fix_Dot_Trunc(l.obj_position, n);
            P_Set32(np + offsetof(OBJ_Normal, w), w);
            c = Point_Contribution(plane - w, l.intensity, dist);
        } else {
            const int32_t w = Fix_Dot_Trunc(l.obj_direction, n);
            P_Set32(np + offsetof(OBJ_Normal, w), w);
            c = Directed_Contribution(w, l.intensity);
        }
        c = Falloff(c, dist, l);
        if (c < 0) {
            level += c;
        }
    }
    return uint8_t(level < -31 ? 31 : -level);
}

// The light product of every vertex normal of the object with one light: once per normal, however
// many corners share it.
void Vertex_Products(Addr o, const int32_t *light)
{
    const int32_t count = W_Get32(o + offsetof(OBJ_Record, vnormal_count));
    const Addr normals = W_GetAddr(o + offsetof(OBJ_Record, vnormals));
    if (count <= 0 || normals == 0) {
        return;
    }
    uint8_t *np = W_Ptr(normals);
    for (int32_t i = 0; i < count; i++, np += sizeof(OBJ_Normal)) {
        const int32_t n[3] = {Vec_Get(np, 0), Vec_Get(np, 1), Vec_Get(np, 2)};
        P_Set32(np + offsetof(OBJ_Normal, w), Fix_Dot_Trunc(light, n));
    }
}

// One light's share of the three corner levels of a face. A level holds at 31, the brightest the
// shading rows have, where a byte sum would wrap round to dark.
void Light_Corners(uint8_t *fp, const OBJ_Light &l, bool gloss, const int32_t *eye)
{
    for (int k = 0; k < 3; k++) {
        const Addr normal = Addr(P_Get32(fp + offsetof(OBJ_Face, n0) + 12 * k));
        if (normal == 0) {
            continue;
        }
        const uint8_t *np = W_Ptr(normal);
        const int32_t n[3] = {Vec_Get(np, 0), Vec_Get(np, 1), Vec_Get(np, 2)};
        const int32_t w = Vec_Get(np, 3);
        const uint8_t *vp = Corner_Vertex(fp, k);
        const int32_t v[3] = {Vec_Get(vp, 0), Vec_Get(vp, 1), Vec_Get(vp, 2)};
        int64_t d[3];
        Diff(v, l.obj_position, d);
        const float dist = Distance(d);
        int32_t c;
        if (l.type == LIGHT_POINT) {
            const int64_t plane = (int64_t(n[0]) * v[0] + int64_t(n[1]) * v[1] + int64_t(n[2]) * v[2]) >> 15;
            c = Point_Contribution(plane - w, l.intensity, dist);
            if (gloss) {
                c = trunc_i32(float(c) * Gloss(d, n, eye, v));
            }
        } else {
            c = Directed_Contribution(w, l.intensity);
        }
        c = Falloff(c, dist, l);
        if (c < 0) {
            uint8_t &level = fp[offsetof(OBJ_Face, corner_light) + size_t(k)];
            level = uint8_t(std::min<int64_t>(int64_t(level) - c, 31));
        }
    }
}

} // namespace

// Each attached light's position, and a directed light's direction, in the object's own frame.
void Compute_Face_Illum(Addr o)
{
    OBJ_Light *lights[MAX_OBJ_LIGHTS];
    const int32_t count = Shading_Lights(o, lights);
    if (count == 0) {
        return;
    }
    int32_t m[9], p[3];
    for (int i = 0; i < 9; i++) {
        m[i] = W_Get32(o + offsetof(OBJ_Record, cam_matrix) + 4 * Addr(i));
    }
    for (int i = 0; i < 3; i++) {
        p[i] = W_Get32(o + offsetof(OBJ_Record, cam_position) + 4 * Addr(i));
    }
    for (int32_t j = 0; j < count; j++) {
        OBJ_Light &l = *lights[j];
        int64_t to_light[3];
        Diff(l.cam_position, p, to_light);
        for (int i = 0; i < 3; i++) {
            const int32_t column[3] = {m[i], m[3 + i], m[6 + i]};
            if (l.type == LIGHT_DIRECTED) {
                const int32_t direction[3] = {l.cam_matrix[2], l.cam_matrix[5], l.cam_matrix[8]};
                l.obj_direction[i] = Fix_Dot_Trunc(column, direction);
            }
            l.obj_position[i] = Fix_Dot_Trunc(column, to_light);
        }
    }
}

// The shade levels of the faces drawn this frame. An object without attached lights keeps the levels
// it has: those of its file, or of the last frame it was lit.
void Build_Obj_Lights(Addr o)
{
    if (W_Get32(o + offsetof(OBJ_Record, light_count)) <= 0) {
        return;
    }
    OBJ_Light *lights[MAX_OBJ_LIGHTS];
    const int32_t count = Shading_Lights(o, lights);
    bool corners = false;
    for (Addr node = W_GetAddr(o + offsetof(OBJ_Record, prims_a)); node != 0;
         node = W_GetAddr(node + offsetof(OBJ_PrimNode, next))) {
        switch (Shading_Of(W_Get32(node + offsetof(OBJ_PrimNode, type)))) {
        case Shading::Flat56:
            For_Faces(node, [&](uint8_t *fp) { fp[Flat_Light] = Flat_Level(fp, lights, count); });
            break;
        case Shading::Flat68:
            For_Faces(node, [&](uint8_t *fp) { fp[offsetof(OBJ_Face, light)] = Flat_Level(fp, lights, count); });
            break;
        case Shading::Corners:
        case Shading::Gloss:
            corners = true;
            For_Faces(node, [](uint8_t *fp) {
                for (int k = 0; k < 3; k++) {
                    fp[offsetof(OBJ_Face, corner_light) + size_t(k)] = 0;
                }
            });
            break;
        case Shading::None:
            break;
        }
    }
    if (!corners) {
        return;
    }
    int32_t eye[3];
    Obj_Eye(o, eye);
    for (int32_t j = 0; j < count; j++) {
        const OBJ_Light &l = *lights[j];
        Vertex_Products(o, l.type == LIGHT_POINT ? l.obj_position : l.obj_direction);
        for (Addr node = W_GetAddr(o + offsetof(OBJ_Record, prims_a)); node != 0;
             node = W_GetAddr(node + offsetof(OBJ_PrimNode, next))) {
            const Shading shading = Shading_Of(W_Get32(node + offsetof(OBJ_PrimNode, type)));
            if (shading == Shading::Corners || shading == Shading::Gloss) {
                const bool gloss = shading == Shading::Gloss && l.type == LIGHT_POINT;
                For_Faces(node, [&](uint8_t *fp) { Light_Corners(fp, l, gloss, eye); });
            }
        }
    }
}
