// Closest features of two collision boxes: a corner, edge, face or the whole box of each, walked toward
// the nearest pair and kept from frame to frame by the box pairs.
#pragma once
#include <cstdint>

// A feature of a box: its kind, its corners and the planes of its region, each naming the neighbour
// feature that lies beyond it.
struct OBJ_BoxFeature {
    int32_t kind;       // 3 corner, 4 edge, 5 face, 6 the box
    int32_t corner[6];  // corner: its index; edge: its two ends; face: a, b (normal V[a] - V[b]), its
                        // four corners in order; -1 where unused
    int32_t plane[6][4]; // i0, i1, i2, neighbour: inside when (V[i1] - V[i2]) . (P - V[i0]) >= 0
};
static_assert(sizeof(OBJ_BoxFeature) == 31 * 4);

enum : int32_t { FEAT_CORNER = 3, FEAT_EDGE = 4, FEAT_FACE = 5, FEAT_BOX = 6 };
constexpr int32_t FEAT_COUNT = 27;
constexpr int32_t FEAT_WHOLE_BOX = 26;

// The 27 features of every box: corners 0..7, edges 8..19, faces 20..25, the box 26.
extern const OBJ_BoxFeature OBJ_Box_Features[FEAT_COUNT];

// A box's eight world corners, taken once from its record for a run of steps.
struct BoxCorners {
    float v[8][3];
};
void Load_Box_Corners(const uint8_t *box, BoxCorners *out);

// Walks the features (each 0..26, updated in place) of boxes A and B toward their nearest pair, at most
// 16 steps, and gives the nearest points. The steps taken before one settled, or 16 when none did; then
// both features are drawn afresh from the game's generator. Run by the box pairs for each contact.
int32_t Pair_Test_Shapes(const uint8_t *box_a, float *point_a, int32_t *feature_a, const uint8_t *box_b,
                         float *point_b, int32_t *feature_b);
int32_t Pair_Test_Corners(const BoxCorners &a, float *point_a, int32_t *feature_a, const BoxCorners &b,
                          float *point_b, int32_t *feature_b);

// One step for a pair of feature kinds: 1 when settled (or in contact), 0 when a feature moved.
using Feat_Step = int32_t (*)(const BoxCorners &a, const BoxCorners &b, float *point_a, float *point_b,
                              int32_t *feature_a, int32_t *feature_b);
int32_t Feat_Vertex_Vertex(const BoxCorners &a, const BoxCorners &b, float *pa, float *pb, int32_t *fa, int32_t *fb);
int32_t Feat_Vertex_Edge(const BoxCorners &a, const BoxCorners &b, float *pa, float *pb, int32_t *fa, int32_t *fb);
int32_t Feat_Vertex_Face(const BoxCorners &a, const BoxCorners &b, float *pa, float *pb, int32_t *fa, int32_t *fb);
int32_t Feat_Vertex_Box(const BoxCorners &a, const BoxCorners &b, float *pa, float *pb, int32_t *fa, int32_t *fb);
int32_t Feat_Edge_Edge(const BoxCorners &a, const BoxCorners &b, float *pa, float *pb, int32_t *fa, int32_t *fb);
int32_t Feat_Edge_Face(const BoxCorners &a, const BoxCorners &b, float *pa, float *pb, int32_t *fa, int32_t *fb);
int32_t Feat_Edge_Box(const BoxCorners &a, const BoxCorners &b, float *pa, float *pb, int32_t *fa, int32_t *fb);
int32_t Feat_Face_Face(const BoxCorners &a, const BoxCorners &b, float *pa, float *pb, int32_t *fa, int32_t *fb);
int32_t Feat_Face_Box(const BoxCorners &a, const BoxCorners &b, float *pa, float *pb, int32_t *fa, int32_t *fb);
// Box against box has no step of its own: nothing calls it, and it never settles.
int32_t Feat_Box_Box(const BoxCorners &a, const BoxCorners &b, float *pa, float *pb, int32_t *fa, int32_t *fb);

// 1 when the point lies on the inner side of the feature's first n planes (1 for n <= 0).
int32_t Point_Inside_Faces(const float *p, int32_t n, const BoxCorners &box, int32_t feature);
// The same; on the first plane that fails, the feature becomes that plane's neighbour and the result 0.
int32_t Point_Inside_Faces_Id(const float *p, int32_t n, const BoxCorners &box, int32_t *feature);

// The foot of the perpendicular from p to the line AB; A when A and B coincide.
void Line_Foot_2P(const float *p, float *out, const float *a, const float *b);
// A + D (D.(Q - A)) / (D.D): the point of the line through A along D nearest to Q, which is also A's
// foot on the plane through Q with normal D. A when D is nothing.
void Line_Closest_Point(const float *a, float *out, const float *q, const float *d);
// Where the line through P1 and P2 meets the plane through Q with normal N; P1 when they are parallel.
void Line_Plane_Intersect(const float *p1, const float *n, const float *p2, const float *q, float *out);
// The nearest points of the segments P1P2 and Q1Q2 on their lines, each clamped to its segment. For
// parallel or empty segments: P1, and its nearest point on Q1Q2.
void Seg_Seg_Closest(float *out_p, float *out_q, const float *p1, const float *p2, const float *q1, const float *q2);
