// Closest features of two collision boxes. Every product and sum is a single-precision operation of its
// own (the build keeps the compiler from fusing them), so the steps take the same turns on every machine.
#include "engine3d/boxfeat.h"

#include <cstring>

#include "core/rand.h"
#include "engine3d/records.h"

// Corners are numbered 0..3 round one face and 4..7 round the opposite one, i + 4 facing i.
const OBJ_BoxFeature OBJ_Box_Features[FEAT_COUNT] = {
    {3, {0, -1, -1, -1, -1, -1}, {{0, 0, 1, 8}, {0, 0, 3, 17}, {0, 0, 4, 11}}},
    {3, {1, -1, -1, -1, -1, -1}, {{1, 1, 2, 16}, {1, 1, 5, 9}, {1, 1, 0, 8}}},
    {3, {2, -1, -1, -1, -1, -1}, {{2, 2, 3, 12}, {2, 2, 1, 16}, {2, 2, 6, 15}}},
    {3, {3, -1, -1, -1, -1, -1}, {{3, 3, 0, 17}, {3, 3, 7, 13}, {3, 3, 2, 12}}},
    {3, {4, -1, -1, -1, -1, -1}, {{4, 4, 7, 18}, {4, 4, 0, 11}, {4, 4, 5, 10}}},
    {3, {5, -1, -1, -1, -1, -1}, {{5, 5, 6, 19}, {5, 5, 4, 10}, {5, 5, 1, 9}}},
    {3, {6, -1, -1, -1, -1, -1}, {{6, 6, 2, 15}, {6, 6, 5, 19}, {6, 6, 7, 14}}},
    {3, {7, -1, -1, -1, -1, -1}, {{7, 7, 6, 14}, {7, 7, 4, 18}, {7, 7, 3, 13}}},
    {4, {0, 1, -1, -1, -1, -1}, {{0, 1, 0, 0}, {1, 0, 1, 1}, {0, 0, 3, 20}, {1, 1, 5, 24}}},
    {4, {1, 5, -1, -1, -1, -1}, {{1, 5, 1, 1}, {5, 1, 5, 5}, {1, 1, 2, 21}, {5, 5, 4, 24}}},
    {4, {5, 4, -1, -1, -1, -1}, {{5, 4, 5, 5}, {4, 5, 4, 4}, {5, 5, 6, 22}, {4, 4, 0, 24}}},
    {4, {4, 0, -1, -1, -1, -1}, {{4, 0, 4, 4}, {0, 4, 0, 0}, {4, 4, 7, 23}, {0, 0, 1, 24}}},
    {4, {2, 3, -1, -1, -1, -1}, {{2, 3, 2, 2}, {3, 2, 3, 3}, {2, 2, 1, 20}, {3, 3, 7, 25}}},
    {4, {3, 7, -1, -1, -1, -1}, {{3, 7, 3, 3}, {7, 3, 7, 7}, {3, 3, 0, 23}, {7, 7, 6, 25}}},
    {4, {7, 6, -1, -1, -1, -1}, {{7, 6, 7, 7}, {6, 7, 6, 6}, {7, 7, 4, 22}, {6, 6, 2, 25}}},
    {4, {6, 2, -1, -1, -1, -1}, {{6, 2, 6, 6}, {2, 6, 2, 2}, {6, 6, 5, 21}, {2, 2, 3, 25}}},
    {4, {2, 1, -1, -1, -1, -1}, {{1, 2, 1, 1}, {2, 1, 2, 2}, {1, 1, 0, 20}, {2, 2, 6, 21}}},
    {4, {3, 0, -1, -1, -1, -1}, {{3, 0, 3, 3}, {0, 3, 0, 0}, {3, 3, 2, 20}, {0, 0, 4, 23}}},
    {4, {7, 4, -1, -1, -1, -1}, {{4, 7, 4, 4}, {7, 4, 7, 7}, {4, 4, 5, 22}, {7, 7, 3, 23}}},
    {4, {6, 5, -1, -1, -1, -1}, {{5, 6, 5, 5}, {6, 5, 6, 6}, {5, 5, 1, 21}, {6, 6, 7, 22}}},
    {5, {0, 4, 0, 1, 2, 3}, {{0, 3, 0, 8}, {1, 0, 1, 16}, {2, 1, 2, 12}, {3, 2, 3, 17}, {0, 0, 4, 26}}},
    {5, {1, 0, 1, 5, 6, 2}, {{1, 2, 1, 9}, {5, 1, 5, 19}, {6, 5, 6, 15}, {2, 6, 2, 16}, {1, 1, 0, 26}}},
    {5, {5, 1, 5, 4, 7, 6}, {{5, 6, 5, 10}, {4, 5, 4, 18}, {7, 4, 7, 14}, {6, 7, 6, 19}, {5, 5, 1, 26}}},
    {5, {4, 5, 4, 0, 3, 7}, {{4, 7, 4, 11}, {0, 4, 0, 17}, {3, 0, 3, 13}, {7, 3, 7, 18}, {4, 4, 5, 26}}},
    {5, {4, 7, 4, 5, 1, 0}, {{4, 0, 4, 10}, {5, 4, 5, 9}, {1, 5, 1, 8}, {0, 1, 0, 11}, {4, 4, 7, 26}}},
    {5, {3, 0, 3, 2, 6, 7}, {{3, 7, 3, 12}, {2, 3, 2, 15}, {6, 2, 6, 14}, {7, 6, 7, 13}, {3, 3, 0, 26}}},
    {6, {-1, -1, -1, -1, -1, -1},
     {{0, 4, 0, 20}, {1, 0, 1, 21}, {5, 1, 5, 22}, {4, 5, 4, 23}, {4, 7, 4, 24}, {3, 0, 3, 25}}},
};

namespace {

const OBJ_BoxFeature &Feat(int32_t f) { return OBJ_Box_Features[f]; }

void Copy(float *out, const float *a) { std::memcpy(out, a, 3 * sizeof(float)); }

void Sub(const float *a, const float *b, float *out)
{
    out[0] = a[0] - b[0];
    out[1] = a[1] - b[1];
    out[2] = a[2] - b[2];
}

float Dot(const float *a, const float *b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

float Dist2(const float *a, const float *b)
{
    float d[3];
    Sub(a, b, d);
    return Dot(d, d);
}

// out = a + d x t
void Along(const float *a, const float *d, float t, float *out)
{
    out[0] = a[0] + d[0] * t;
    out[1] = a[1] + d[1] * t;
    out[2] = a[2] + d[2] * t;
}

float Abs(float x) { return x < 0.0f ? -x : x; }

float Clamp01(float t) { return t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t); }

const float *Corner(const BoxCorners &box, int32_t feature, int k) { return box.v[Feat(feature).corner[k]]; }

// The face's unnormalised outward normal V[a] - V[b].
void Face_Normal(const BoxCorners &box, int32_t face, float *n) { Sub(Corner(box, face, 0), Corner(box, face, 1), n); }

// Edge k of a face runs from its corner k to its corner k + 1; the feature is its k-th plane's neighbour.
const float *Face_Corner(const BoxCorners &box, int32_t face, int k) { return Corner(box, face, 2 + (k & 3)); }

// The pair of nearest points between a segment and the four edges of a face, the first on ties; the
// index of that edge.
int Nearest_Face_Edge(const BoxCorners &box, int32_t face, const float *e0, const float *e1, float *pa, float *pb)
{
    int best = 0;
    float best_d = 0.0f;
    for (int k = 0; k < 4; k++) {
        float p[3], q[3];
        Seg_Seg_Closest(p, q, e0, e1, Face_Corner(box, face, k), Face_Corner(box, face, k + 1));
        const float d = Dist2(p, q);
        if (k == 0 || d < best_d) {
            best = k;
            best_d = d;
            Copy(pa, p);
            Copy(pb, q);
        }
    }
    return best;
}

// The step for a pair of kinds; mirrored pairs run the other order's step with the boxes swapped.
struct Step {
    Feat_Step step;
    bool swap;
};

const Step &Step_For(int32_t kind_a, int32_t kind_b)
{
    static const Step steps[4][4] = {
        {{Feat_Vertex_Vertex, false}, {Feat_Vertex_Edge, false}, {Feat_Vertex_Face, false}, {Feat_Vertex_Box, false}},
        {{Feat_Vertex_Edge, true}, {Feat_Edge_Edge, false}, {Feat_Edge_Face, false}, {Feat_Edge_Box, false}},
        {{Feat_Vertex_Face, true}, {Feat_Edge_Face, true}, {Feat_Face_Face, false}, {Feat_Face_Box, false}},
        {{Feat_Vertex_Box, true}, {Feat_Edge_Box, true}, {Feat_Face_Box, true}, {nullptr, false}},
    };
    return steps[kind_a - FEAT_CORNER][kind_b - FEAT_CORNER];
}

} // namespace

void Load_Box_Corners(const uint8_t *box, BoxCorners *out) { std::memcpy(out->v, box + offsetof(OBJ_CollBox, world), sizeof out->v); }

// The first of the feature's first n planes that the point lies outside, or -1.
static int32_t First_Plane_Outside(const float *p, int32_t n, const BoxCorners &box, const OBJ_BoxFeature &f)
{
    for (int32_t k = 0; k < n && k < 6; k++) {
        float d[3], r[3];
        Sub(box.v[f.plane[k][1]], box.v[f.plane[k][2]], d);
        Sub(p, box.v[f.plane[k][0]], r);
        if (!(Dot(d, r) >= 0.0f)) {
            return k;
        }
    }
    return -1;
}

int32_t Point_Inside_Faces(const float *p, int32_t n, const BoxCorners &box, int32_t feature)
{
    return First_Plane_Outside(p, n, box, Feat(feature)) < 0 ? 1 : 0;
}

int32_t Point_Inside_Faces_Id(const float *p, int32_t n, const BoxCorners &box, int32_t *feature)
{
    const OBJ_BoxFeature &f = Feat(*feature);
    const int32_t k = First_Plane_Outside(p, n, box, f);
    if (k < 0) {
        return 1;
    }
    *feature = f.plane[k][3];
    return 0;
}

// The whole region of a feature: its kind is also the number of its planes.
static int32_t Check(const float *p, const BoxCorners &box, int32_t *feature)
{
    return Point_Inside_Faces_Id(p, Feat(*feature).kind, box, feature);
}

void Line_Foot_2P(const float *p, float *out, const float *a, const float *b)
{
    float d[3], r[3];
    Sub(b, a, d);
    Sub(p, a, r);
    const float dd = Dot(d, d);
    if (dd == 0.0f) {
        Copy(out, a);
        return;
    }
    Along(a, d, Dot(r, d) / dd, out);
}

void Line_Closest_Point(const float *a, float *out, const float *q, const float *d)
{
    const float dd = Dot(d, d);
    if (dd == 0.0f) {
        Copy(out, a);
        return;
    }
    float r[3];
    Sub(q, a, r);
    Along(a, d, Dot(d, r) / dd, out);
}

void Line_Plane_Intersect(const float *p1, const float *n, const float *p2, const float *q, float *out)
{
    float d[3], r[3];
    Sub(p2, p1, d);
    const float denominator = Dot(n, d);
    if (denominator == 0.0f) {
        Copy(out, p1);
        return;
    }
    Sub(q, p1, r);
    Along(p1, d, Dot(n, r) / denominator, out);
}

void Seg_Seg_Closest(float *out_p, float *out_q, const float *p1, const float *p2, const float *q1, const float *q2)
{
    float d1[3], d2[3], r[3];
    Sub(p2, p1, d1);
    Sub(q2, q1, d2);
    Sub(p1, q1, r);
    const float a = Dot(d1, d1), e = Dot(d2, d2), b = Dot(d1, d2), c = Dot(d1, r), f = Dot(d2, r);
    const float denominator = a * e - b * b;
    float s, t;
    if (denominator == 0.0f) {
        s = 0.0f;
        t = e == 0.0f ? 0.0f : f / e;
    } else {
        s = (b * f - c * e) / denominator;
        t = (a * f - b * c) / denominator;
    }
    // Computed into locals first: the outputs may be the inputs.
    float p[3], q[3];
    Along(p1, d1, Clamp01(s), p);
    Along(q1, d2, Clamp01(t), q);
    Copy(out_p, p);
    Copy(out_q, q);
}

int32_t Feat_Vertex_Vertex(const BoxCorners &a, const BoxCorners &b, float *pa, float *pb, int32_t *fa, int32_t *fb)
{
    Copy(pa, Corner(a, *fa, 0));
    Copy(pb, Corner(b, *fb, 0));
    return Check(pb, a, fa) && Check(pa, b, fb);
}

int32_t Feat_Vertex_Edge(const BoxCorners &a, const BoxCorners &b, float *pa, float *pb, int32_t *fa, int32_t *fb)
{
    Copy(pa, Corner(a, *fa, 0));
    Line_Foot_2P(pa, pb, Corner(b, *fb, 0), Corner(b, *fb, 1));
    return Check(pa, b, fb) && Check(pb, a, fa);
}

int32_t Feat_Vertex_Face(const BoxCorners &a, const BoxCorners &b, float *pa, float *pb, int32_t *fa, int32_t *fb)
{
    float n[3];
    Face_Normal(b, *fb, n);
    Copy(pa, Corner(a, *fa, 0));
    Line_Closest_Point(pa, pb, Corner(b, *fb, 0), n);
    return Check(pa, b, fb) && Check(pb, a, fa);
}

int32_t Feat_Vertex_Box(const BoxCorners &a, const BoxCorners &b, float *pa, float *pb, int32_t *fa, int32_t *fb)
{
    Copy(pa, Corner(a, *fa, 0));
    Copy(pb, pa);
    return Check(pa, b, fb);
}

int32_t Feat_Edge_Edge(const BoxCorners &a, const BoxCorners &b, float *pa, float *pb, int32_t *fa, int32_t *fb)
{
    Seg_Seg_Closest(pa, pb, Corner(a, *fa, 0), Corner(a, *fa, 1), Corner(b, *fb, 0), Corner(b, *fb, 1));
    if (Dist2(pa, pb) < 10.0f) {
        return 1;
    }
    return Check(pb, a, fa) && Check(pa, b, fb);
}

int32_t Feat_Edge_Face(const BoxCorners &a, const BoxCorners &b, float *pa, float *pb, int32_t *fa, int32_t *fb)
{
    const float *e0 = Corner(a, *fa, 0), *e1 = Corner(a, *fa, 1);
    const float *on = Corner(b, *fb, 0);
    float n[3];
    Face_Normal(b, *fb, n);
    const float g = Dot(n, e0) - Dot(n, on);
    const float i = Dot(n, e1) - Dot(n, on);
    if (!(g < 0.0f && i < 0.0f) && !(g > 0.0f && i > 0.0f)) {
        // The edge meets the face's plane: inside the face it is a contact, else the face's nearest edge.
        Line_Plane_Intersect(e0, n, e1, on, pa);
        Copy(pb, pa);
        if (Point_Inside_Faces(pa, 4, b, *fb)) {
            return 1;
        }
        float p[3], q[3];
        *fb = Feat(*fb).plane[Nearest_Face_Edge(b, *fb, e0, e1, p, q)][3];
        return 0;
    }
    if (Abs(g - i) < 10.0f) {
        // Nearly parallel to the face.
        if (Point_Inside_Faces(e0, 4, b, *fb)) {
            Copy(pa, e0);
            Line_Closest_Point(pa, pb, on, n);
        } else if (Point_Inside_Faces(e1, 4, b, *fb)) {
            Copy(pa, e1);
            Line_Closest_Point(pa, pb, on, n);
        } else {
            Nearest_Face_Edge(b, *fb, e0, e1, pa, pb);
        }
        return Check(pb, a, fa);
    }
    Copy(pa, Abs(g) < Abs(i) ? e0 : e1);
    Line_Closest_Point(pa, pb, on, n);
    return Check(pa, b, fb) && Check(pb, a, fa);
}

int32_t Feat_Edge_Box(const BoxCorners &a, const BoxCorners &b, float *pa, float *pb, int32_t *fa, int32_t *fb)
{
    for (int k = 0; k < 2; k++) {
        const int32_t end = Feat(*fa).corner[k];
        if (Point_Inside_Faces(a.v[end], 6, b, FEAT_WHOLE_BOX)) {
            Copy(pa, a.v[end]);
            Copy(pb, pa);
            *fa = end; // corner i is feature i
            return 1;
        }
    }
    const float *e0 = Corner(a, *fa, 0), *e1 = Corner(a, *fa, 1);
    int32_t remembered = -1;
    for (int32_t face = 20; face < 26; face++) {
        const float *on = Corner(b, face, 0);
        float n[3];
        Face_Normal(b, face, n);
        const float g = Dot(n, e0) - Dot(n, on);
        const float i = Dot(n, e1) - Dot(n, on);
        const bool across = (g < 0.0f && i > 0.0f) || (g > 0.0f && i < 0.0f);
        if (!across && !(g > 0.0f && i > 0.0f)) {
            continue;
        }
        remembered = face;
        if (across) {
            float x[3];
            Line_Plane_Intersect(e0, n, e1, on, x);
            if (Point_Inside_Faces(x, 4, b, face)) {
                Copy(pa, x);
                Copy(pb, x);
                return 1;
            }
        }
    }
    if (remembered >= 0) {
        *fb = remembered;
    }
    return 0;
}

int32_t Feat_Face_Face(const BoxCorners &a, const BoxCorners &b, float *pa, float *pb, int32_t *fa, int32_t *fb)
{
    float na[3], nb[3];
    Face_Normal(a, *fa, na);
    Face_Normal(b, *fb, nb);
    if (Dot(na, nb) == 0.0f) {
        Copy(pb, pa);
        return 1;
    }
    int best_a = 0, best_b = 0;
    float best_d = 0.0f;
    for (int i = 0; i < 4; i++) {
        for (int j = 0; j < 4; j++) {
            Seg_Seg_Closest(pa, pb, Face_Corner(a, *fa, i), Face_Corner(a, *fa, i + 1), Face_Corner(b, *fb, j),
                            Face_Corner(b, *fb, j + 1));
            const float d = Dist2(pa, pb);
            if ((i == 0 && j == 0) || d < best_d) {
                best_a = i;
                best_b = j;
                best_d = d;
            }
        }
    }
    *fa = Feat(*fa).plane[best_a][3];
    *fb = Feat(*fb).plane[best_b][3];
    return 0;
}

int32_t Feat_Face_Box(const BoxCorners &a, const BoxCorners &b, float *pa, float *pb, int32_t *fa, int32_t *)
{
    for (int k = 0; k < 4; k++) {
        const float *c = Face_Corner(a, *fa, k);
        if (Point_Inside_Faces(c, 6, b, FEAT_WHOLE_BOX)) {
            Copy(pa, c);
            Copy(pb, c);
            return 1;
        }
    }
    return 0;
}

int32_t Feat_Box_Box(const BoxCorners &, const BoxCorners &, float *, float *, int32_t *, int32_t *) { return 0; }

int32_t Pair_Test_Corners(const BoxCorners &a, float *point_a, int32_t *feature_a, const BoxCorners &b,
                          float *point_b, int32_t *feature_b)
{
    for (int32_t n = 0; n < 16; n++) {
        const Step &s = Step_For(Feat(*feature_a).kind, Feat(*feature_b).kind);
        if (s.step == nullptr) {
            continue; // box against box: nothing to walk
        }
        const int32_t settled = s.swap ? s.step(b, a, point_b, point_a, feature_b, feature_a)
                                       : s.step(a, b, point_a, point_b, feature_a, feature_b);
        if (settled != 0) {
            return n;
        }
    }
    // Going round in circles: start again from anywhere.
    *feature_a = SYS_Rand() * 26 / 32767;
    *feature_b = SYS_Rand() * 26 / 32767;
    return 16;
}

int32_t Pair_Test_Shapes(const uint8_t *box_a, float *point_a, int32_t *feature_a, const uint8_t *box_b,
                         float *point_b, int32_t *feature_b)
{
    BoxCorners a, b;
    Load_Box_Corners(box_a, &a);
    Load_Box_Corners(box_b, &b);
    return Pair_Test_Corners(a, point_a, feature_a, b, point_b, feature_b);
}
