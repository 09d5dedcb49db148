// Exact tests on collision triangles in integers, with floating point only to build a point, and the
// segment query that hands out the triangles a line of sight may cross.
#include "engine3d/colltest.h"

#include <cstddef>
#include <cstring>

#include "core/fconv.h"
#include "core/prof.h"
#include "engine3d/workarea.h"

namespace {

// A triangle record read out of the work area, with its corners and face normal.
struct Tri {
    int32_t v[3][3];
    int32_t n[3];
    int32_t d;
    int32_t en[3][3];
    int32_t ed[3];
    Addr mesh;
    int32_t box_min[3], box_max[3];
};

const uint8_t *Bytes(const OBJ_CollTri *tri) { return reinterpret_cast<const uint8_t *>(tri); }

void Read_Vec(Addr a, int32_t *out) { std::memcpy(out, W_Ptr(a), 12); }

Tri Read_Tri(const OBJ_CollTri *tri)
{
    const uint8_t *p = Bytes(tri);
    Tri t;
    for (int k = 0; k < 3; k++) {
        Read_Vec(Addr(P_Get32(p + 4 * k)), t.v[k]);
    }
    Read_Vec(Addr(P_Get32(p + offsetof(OBJ_CollTri, normal))), t.n);
    t.d = P_Get32(p + offsetof(OBJ_CollTri, d));
    std::memcpy(t.en, p + offsetof(OBJ_CollTri, edge_normal), sizeof t.en);
    std::memcpy(t.ed, p + offsetof(OBJ_CollTri, edge_d), sizeof t.ed);
    t.mesh = Addr(P_Get32(p + offsetof(OBJ_CollTri, mesh)));
    std::memcpy(t.box_min, p + offsetof(OBJ_CollTri, box_min), sizeof t.box_min);
    std::memcpy(t.box_max, p + offsetof(OBJ_CollTri, box_max), sizeof t.box_max);
    return t;
}

// Each product divided by 32768 toward zero, then summed; in 64 bits, so that no coordinate overflows.
int64_t Plane_Eval(const int32_t *n, int32_t d, const int32_t *p)
{
    int64_t sum = 0;
    for (int k = 0; k < 3; k++) {
        sum += int64_t(n[k]) * p[k] / 32768;
    }
    return sum - d;
}

int64_t Edge_Dist(const Tri &t, int32_t e, const int32_t *p) { return Plane_Eval(t.en[e], t.ed[e], p); }

bool Is_Zero(const int32_t *v) { return v[0] == 0 && v[1] == 0 && v[2] == 0; }

void Set(int32_t *out, const int32_t *v) { std::memcpy(out, v, 12); }

void Foot(const int32_t *p, const int32_t *a, const int32_t *b, int32_t *out)
{
    double ab[3], ap[3], len2 = 0, dot = 0;
    for (int k = 0; k < 3; k++) {
        ab[k] = double(b[k]) - a[k];
        ap[k] = double(p[k]) - a[k];
        len2 += ab[k] * ab[k];
        dot += ab[k] * ap[k];
    }
    if (len2 == 0) {
        Set(out, a);
        return;
    }
    const double s = dot / len2;
    for (int k = 0; k < 3; k++) {
        out[k] = trunc_i32(double(a[k]) + ab[k] * s);
    }
}

void Closest(const int32_t *p, int32_t *out, const int32_t *a, const int32_t *b)
{
    Foot(p, a, b, out);
    // Differences of 32-bit values need 33 bits, their products 66: exact in 128 bits.
    __int128 beyond_a = 0, beyond_b = 0;
    for (int k = 0; k < 3; k++) {
        const __int128 d = int64_t(a[k]) - b[k];
        beyond_a += (int64_t(out[k]) - a[k]) * d;
        beyond_b += (int64_t(out[k]) - b[k]) * d;
    }
    if (beyond_a > 0) {
        Set(out, a);
    } else if (beyond_b < 0) {
        Set(out, b);
    }
}

void Foot_On_Plane(const Tri &t, const int32_t *p, int32_t *out)
{
    double nn = 0, np = 0;
    for (int k = 0; k < 3; k++) {
        nn += double(t.n[k]) * t.n[k];
        np += double(t.n[k]) * (double(p[k]) - t.v[0][k]);
    }
    if (nn == 0) {
        Set(out, t.v[0]);
        return;
    }
    const double s = np / nn;
    for (int k = 0; k < 3; k++) {
        out[k] = trunc_i32(double(p[k]) - t.n[k] * s);
    }
}

int32_t Sphere_Contact(const Tri &t, const int32_t *c, int32_t r, int32_t *contact, int32_t flags)
{
    if (Is_Zero(t.n)) {
        return 0; // a sliver with no face would stand as a wall wherever a sphere came near it
    }
    const int64_t d = Plane_Eval(t.n, t.d, c);
    const int64_t low = (flags & COLL_BACK_SIDE) ? -int64_t(r) : 0;
    const int64_t high = (flags & COLL_FRONT_SIDE) ? int64_t(r) : 0;
    if (!(low < d && d < high)) {
        return 0;
    }
    const int32_t s = d < 0 ? -1 : 1;
    int bits = 0;
    for (int32_t e = 0; e < 3; e++) {
        const int64_t ed = Edge_Dist(t, e, c);
        if (ed < -int64_t(r)) {
            return 0;
        }
        if (ed < 0) {
            bits |= 1 << e;
        }
    }
    switch (bits) {
    case 0:
        Foot_On_Plane(t, c, contact);
        return 2 * s;
    case 1: Closest(c, contact, t.v[0], t.v[1]); break;
    case 2: Closest(c, contact, t.v[1], t.v[2]); break;
    case 4: Closest(c, contact, t.v[2], t.v[0]); break;
    case 3: Set(contact, t.v[1]); break;
    case 5: Set(contact, t.v[0]); break;
    case 6: Set(contact, t.v[2]); break;
    default:
        return 0; // outside all three edges: no well-formed triangle has such a point
    }
    __int128 dist2 = 0;
    for (int k = 0; k < 3; k++) {
        const __int128 dk = int64_t(contact[k]) - c[k];
        dist2 += dk * dk;
    }
    return dist2 < __int128(r) * r ? s : 0;
}

int32_t Point_On(const Tri &t, const int32_t *p, int32_t *contact, int32_t flags)
{
    const int64_t d = Plane_Eval(t.n, t.d, p);
    if ((flags & 3) != 3) {
        if ((flags & COLL_BACK_SIDE) && d > 0) {
            return 0;
        }
        if ((flags & COLL_FRONT_SIDE) && d < 0) {
            return 0;
        }
    }
    double side[3];
    for (int e = 0; e < 3; e++) {
        const int32_t *a = t.v[e], *b = t.v[(e + 1) % 3];
        side[e] = (double(b[2]) - a[2]) * (double(p[0]) - a[0]) - (double(b[0]) - a[0]) * (double(p[2]) - a[2]);
    }
    const bool all_up = side[0] >= 0 && side[1] >= 0 && side[2] >= 0;
    const bool all_down = side[0] <= 0 && side[1] <= 0 && side[2] <= 0;
    if (!all_up && !all_down) {
        return 0;
    }
    if (t.n[1] == 0) {
        return 0;
    }
    const double nx = t.n[0], ny = t.n[1], nz = t.n[2];
    const double y = (nx * t.v[0][0] + ny * t.v[0][1] + nz * t.v[0][2] - nx * p[0] - nz * p[2]) / ny;
    contact[0] = p[0];
    contact[1] = trunc_i32(y);
    contact[2] = p[2];
    return d < 0 ? -1 : 1;
}

bool Line_Meets_Plane(const Tri &t, const int32_t *p1, const int32_t *p2, int32_t *out)
{
    double along = 0, to_plane = 0;
    for (int k = 0; k < 3; k++) {
        const double nk = t.n[k] / 32768.0;
        along += nk * (double(p2[k]) - p1[k]);
        to_plane += nk * (double(t.v[0][k]) - p1[k]);
    }
    if (along == 0) {
        return false;
    }
    const double s = to_plane / along;
    for (int k = 0; k < 3; k++) {
        out[k] = trunc_i32(double(p1[k]) + (double(p2[k]) - p1[k]) * s);
    }
    return true;
}

// The segment query under way: its two points, its box and the six slopes of the segment.
struct Query {
    bool open = false;
    int32_t index = 0;
    int32_t p1[3], p2[3];
    int32_t box_min[3], box_max[3];
    float slope[3][3]; // slope[u][w] = d[u] / d[w], d = p1 - p2
    bool has_slope[3];  // the denominator axis w is not 0
};

Query Seg;

void Start_Query(const int32_t *p1, const int32_t *p2)
{
    Seg.open = true;
    Seg.index = 0;
    Set(Seg.p1, p1);
    Set(Seg.p2, p2);
    float d[3];
    for (int k = 0; k < 3; k++) {
        Seg.box_min[k] = p1[k] < p2[k] ? p1[k] : p2[k];
        Seg.box_max[k] = p1[k] < p2[k] ? p2[k] : p1[k];
        d[k] = float(int64_t(p1[k]) - p2[k]);
    }
    for (int w = 0; w < 3; w++) {
        Seg.has_slope[w] = d[w] != 0;
        const float inverse = Seg.has_slope[w] ? 1.0f / d[w] : 0.0f;
        for (int u = 0; u < 3; u++) {
            Seg.slope[u][w] = d[u] * inverse;
        }
    }
}

// Axis u of the line where axis w equals the two bounds of the triangle's box lies wholly outside the
// box on u. A segment that keeps w constant has no such slab, and gives nothing away here.
bool Slab_Rejects(const int32_t *bmin, const int32_t *bmax, int u, int w)
{
    if (!Seg.has_slope[w]) {
        return false;
    }
    const double slope = Seg.slope[u][w];
    const double at_min = double(Seg.p1[u]) - (double(Seg.p1[w]) - bmin[w]) * slope;
    const double at_max = double(Seg.p1[u]) - (double(Seg.p1[w]) - bmax[w]) * slope;
    if (at_min != at_min || at_max != at_max) {
        return false;
    }
    const int32_t a = trunc_sat_i32(at_min), b = trunc_sat_i32(at_max);
    return (a < bmin[u] && b < bmin[u]) || (a > bmax[u] && b > bmax[u]);
}

bool Segment_Candidate(const OBJ_CollEndpoint &e)
{
    const uint8_t *p = W_Ptr(e.tri);
    int32_t bmin[3], bmax[3];
    std::memcpy(bmin, p + offsetof(OBJ_CollTri, box_min), sizeof bmin);
    std::memcpy(bmax, p + offsetof(OBJ_CollTri, box_max), sizeof bmax);
    for (int k = 0; k < 3; k++) {
        if (bmin[k] > Seg.box_max[k] || bmax[k] < Seg.box_min[k]) {
            return false;
        }
    }
    // x by z, x by y, z by y, z by x, y by z, y by x.
    static const int slabs[6][2] = {{0, 2}, {0, 1}, {2, 1}, {2, 0}, {1, 2}, {1, 0}};
    for (const auto &s : slabs) {
        if (Slab_Rejects(bmin, bmax, s[0], s[1])) {
            return false;
        }
    }
    return true;
}

} // namespace

int64_t Plane_Dist(const OBJ_CollTri *tri, int32_t edge, const int32_t *p) { return Edge_Dist(Read_Tri(tri), edge, p); }

int64_t Face_Dist(const OBJ_CollTri *tri, const int32_t *p)
{
    const Tri t = Read_Tri(tri);
    return Plane_Eval(t.n, t.d, p);
}

int32_t Coll_Sphere_Tri_Contact(const OBJ_CollTri *tri, const int32_t *c, int32_t r, int32_t *contact, int32_t flags)
{
    return Sphere_Contact(Read_Tri(tri), c, r, contact, flags);
}

int32_t Coll_Point_On_Tri(const OBJ_CollTri *tri, const int32_t *p, int32_t *contact, int32_t flags)
{
    return Point_On(Read_Tri(tri), p, contact, flags);
}

void Plane_Foot(const OBJ_CollTri *tri, const int32_t *p, int32_t *out) { Foot_On_Plane(Read_Tri(tri), p, out); }

void Seg_Closest_Point(const int32_t *p, int32_t *out, const int32_t *a, const int32_t *b) { Closest(p, out, a, b); }

void Line_Foot_Int(const int32_t *p, const int32_t *a, const int32_t *b, int32_t *out) { Foot(p, a, b, out); }

bool Line_Plane_Point(const OBJ_CollTri *tri, const int32_t *p1, const int32_t *p2, int32_t *out)
{
    return Line_Meets_Plane(Read_Tri(tri), p1, p2, out);
}

int32_t Coll_Test_Sphere_Tri(const OBJ_CollBody *body, const OBJ_CollTri *tri, int32_t *contact)
{
    PROF_StartTimer(3);
    const int32_t result = Coll_Sphere_Tri_Contact(tri, body->centre, body->radius, contact, body->mask);
    PROF_StopTimer(3);
    return result;
}

int32_t Coll_Test_Point_Tri(const OBJ_CollBody *body, const OBJ_CollTri *tri, int32_t *point)
{
    PROF_StartTimer(3);
    const int32_t result = Coll_Point_On_Tri(tri, body->centre, point, body->mask);
    PROF_StopTimer(3);
    return result;
}

int32_t Coll_Get_Hit(const OBJ_CollTri *tri, int32_t *v0, int32_t *v1, int32_t *v2, int32_t *normal)
{
    PROF_StartTimer(3);
    const Tri t = Read_Tri(tri);
    Set(v0, t.v[0]);
    Set(v1, t.v[1]);
    Set(v2, t.v[2]);
    Set(normal, t.n);
    const int32_t handle = W_Get32(t.mesh + offsetof(OBJ_CollMesh, handle));
    PROF_StopTimer(3);
    return handle;
}

OBJ_CollTri *Coll_Box_Of_Segment(const int32_t *p1, const int32_t *p2)
{
    // A query left unfinished belongs to its own two points: other points start a new one.
    if (!Seg.open || std::memcmp(Seg.p1, p1, 12) != 0 || std::memcmp(Seg.p2, p2, 12) != 0) {
        Start_Query(p1, p2);
    }
    const OBJ_CollEndpoint *E = Coll_Axis_List(0);
    const int32_t n2 = 2 * Coll_Tri_Count();
    for (int32_t i = Seg.index; i < n2; i++) {
        if (!E[i].is_max && Segment_Candidate(E[i])) {
            Seg.index = i + 1;
            return reinterpret_cast<OBJ_CollTri *>(W_Ptr(E[i].tri));
        }
    }
    Seg.open = false;
    Seg.index = 0;
    return nullptr;
}

int32_t Seg_Cross_Plane(const int32_t *p1, const int32_t *p2, const OBJ_CollTri *tri, int32_t *out)
{
    const Tri t = Read_Tri(tri);
    const int32_t s1 = Plane_Eval(t.n, t.d, p1) >= 0 ? 1 : -1;
    const int32_t s2 = Plane_Eval(t.n, t.d, p2) >= 0 ? 1 : -1;
    if (s1 * s2 >= 0) {
        return 0;
    }
    if (!Line_Meets_Plane(t, p1, p2, out)) {
        return 0;
    }
    for (int32_t e = 0; e < 3; e++) {
        if (Edge_Dist(t, e, out) < 0) {
            return 0;
        }
    }
    return s1;
}
