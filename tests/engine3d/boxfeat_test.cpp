// Closest features of two boxes: the feature table against the regions of an axis-aligned box, the
// steps on boxes whose nearest points are known, the random restart, and the float routines on
// degenerate input.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "core/rand.h"
#include "engine3d/boxfeat.h"
#include "tests/support/image_builder.h"

using namespace kalder_test;

namespace {

// An axis-aligned box from lo to hi, numbered as every box is.
BoxCorners Box(float x0, float y0, float z0, float x1, float y1, float z1)
{
    const BoxSpec corners = BoxAround({(x0 + x1) / 2, (y0 + y1) / 2, (z0 + z1) / 2}, {(x1 - x0) / 2, (y1 - y0) / 2, (z1 - z0) / 2});
    BoxCorners b;
    for (int c = 0; c < 8; c++) {
        for (int k = 0; k < 3; k++) {
            b.v[c][k] = corners[size_t(c)][size_t(k)];
        }
    }
    return b;
}

using P3 = std::vector<float>;
P3 Of(const float *p) { return P3(p, p + 3); }

// Every point of a grid around the box, off the boundaries of the regions, lies in the region of
// exactly one feature: the corner, edge or face its clamped point lies on, or the box for points inside.
TEST(BoxFeatures, TheTableGivesEveryPointTheFeatureItsClampedPointLiesOn)
{
    const float lo[3] = {0, 0, 0}, hi[3] = {10, 20, 30};
    const BoxCorners box = Box(lo[0], lo[1], lo[2], hi[0], hi[1], hi[2]);
    const float grid[3][5] = {{-7, -1, 4, 13, 40}, {-3, 2, 17, 21, 29}, {-50, 1, 29, 31, 33}};
    for (float x : grid[0]) {
        for (float y : grid[1]) {
            for (float z : grid[2]) {
                const float p[3] = {x, y, z};
                // The corners that share the clamped point's place on every axis where it lies outside.
                std::set<int> on;
                int outside = 0;
                for (int k = 0; k < 3; k++) {
                    outside += (p[k] < lo[k] || p[k] > hi[k]) ? 1 : 0;
                }
                for (int c = 0; c < 8; c++) {
                    bool shares = true;
                    for (int k = 0; k < 3; k++) {
                        if (p[k] < lo[k]) {
                            shares = shares && box.v[c][k] == lo[k];
                        } else if (p[k] > hi[k]) {
                            shares = shares && box.v[c][k] == hi[k];
                        }
                    }
                    if (shares) {
                        on.insert(c);
                    }
                }
                int expected = FEAT_WHOLE_BOX;
                if (outside > 0) {
                    expected = -1;
                    for (int f = 0; f < 26; f++) {
                        const OBJ_BoxFeature &feature = OBJ_Box_Features[f];
                        const int n = feature.kind == FEAT_CORNER ? 1 : (feature.kind == FEAT_EDGE ? 2 : 4);
                        std::set<int> corners;
                        for (int i = 0; i < n; i++) {
                            corners.insert(feature.corner[feature.kind == FEAT_FACE ? 2 + i : i]);
                        }
                        if (corners == on) {
                            expected = f;
                        }
                    }
                    ASSERT_GE(expected, 0) << x << " " << y << " " << z;
                    ASSERT_EQ(OBJ_Box_Features[expected].kind, 6 - outside);
                }
                for (int f = 0; f < FEAT_COUNT; f++) {
                    EXPECT_EQ(Point_Inside_Faces(p, OBJ_Box_Features[f].kind, box, f), f == expected ? 1 : 0)
                        << "point " << x << " " << y << " " << z << " feature " << f << " expected " << expected;
                }
            }
        }
    }
}

// Each plane's neighbour is the feature a point reaches when it leaves the region through that plane:
// the region of the neighbour holds a point just beyond the plane's middle.
TEST(BoxFeatures, AFailedPlaneNamesTheFeatureBeyondIt)
{
    const BoxCorners box = Box(0, 0, 0, 10, 20, 30);
    const float p[3] = {-5, -5, -5}; // in corner 0's region
    int32_t f = FEAT_WHOLE_BOX;
    EXPECT_EQ(Point_Inside_Faces_Id(p, 6, box, &f), 0);
    EXPECT_EQ(f, 20); // the first failing plane of the box: the face at z = 0
    EXPECT_EQ(Point_Inside_Faces_Id(p, 5, box, &f), 0);
    EXPECT_EQ(f, 8);
    EXPECT_EQ(Point_Inside_Faces_Id(p, 4, box, &f), 0);
    EXPECT_EQ(f, 0);
    EXPECT_EQ(Point_Inside_Faces_Id(p, 3, box, &f), 1);
    EXPECT_EQ(f, 0);
    EXPECT_EQ(Point_Inside_Faces(p, 0, box, 26), 1);
    EXPECT_EQ(Point_Inside_Faces(p, -3, box, 26), 1);
}

struct Walk {
    const char *what;
    BoxCorners b;
    int32_t start_a, start_b;
    int32_t result, end_a, end_b;
    P3 point_a, point_b;
};

// Box A is [0, 10]^3 throughout; its corner 6 is (10, 10, 10).
TEST(BoxFeatures, PairsSettleOnTheirNearestFeatures)
{
    const BoxCorners a = Box(0, 0, 0, 10, 10, 10);
    const Walk walks[] = {
        {"corner-corner, settled", Box(20, 20, 20, 30, 30, 30), 6, 0, 0, 6, 0, {10, 10, 10}, {20, 20, 20}},
        {"corner-corner from the origin", Box(20, 20, 20, 30, 30, 30), 0, 0, -1, 6, 0, {10, 10, 10}, {20, 20, 20}},
        {"corner-corner, two steps", Box(20, 20, 20, 30, 30, 30), 6, 8, 1, 6, 0, {10, 10, 10}, {20, 20, 20}},
        // B's edge from corner 4 to corner 0 runs along z at x = y = 20, past A's corner.
        {"corner-edge", Box(20, 20, -10, 30, 30, 30), 6, 11, 0, 6, 11, {10, 10, 10}, {20, 20, 10}},
        // A's edge from corner 0 to corner 1 runs along x at y = z = 0, past B's corner 6.
        {"edge-corner, mirrored", Box(-5, -13, -14, 5, -3, -4), 8, 6, 0, 8, 6, {5, 0, 0}, {5, -3, -4}},
        // B's face at x = 20 spans A's corner: the corner's foot is on the face.
        {"corner-face", Box(20, -10, -10, 30, 30, 30), 6, 23, 0, 6, 23, {10, 10, 10}, {20, 10, 10}},
        // A's face at y = 10 under B's corner 0.
        {"face-corner, mirrored", Box(3, 15, 3, 7, 20, 7), 25, 0, 0, 25, 0, {3, 10, 3}, {3, 15, 3}},
        // Contacts.
        {"corner inside B", Box(8, 8, 8, 30, 30, 30), 6, 26, 0, 6, 26, {10, 10, 10}, {10, 10, 10}},
        {"B's corner inside A", Box(8, 8, 8, 30, 30, 30), 26, 0, 0, 26, 0, {8, 8, 8}, {8, 8, 8}},
        // A's edge 1-5 along z at x = 10, y = 0; B's edge 0-3 along y at x = 9, z = 4: one unit apart.
        {"crossing edges", Box(9, -5, 4, 11, 15, 6), 9, 17, 0, 9, 17, {10, 0, 4}, {9, 0, 4}},
    };
    for (const Walk &w : walks) {
        int32_t fa = w.start_a, fb = w.start_b;
        float pa[3] = {0, 0, 0}, pb[3] = {0, 0, 0};
        const int32_t r = Pair_Test_Corners(a, pa, &fa, w.b, pb, &fb);
        if (w.result >= 0) {
            EXPECT_EQ(r, w.result) << w.what;
        } else {
            EXPECT_LT(r, 16) << w.what;
        }
        EXPECT_EQ(fa, w.end_a) << w.what;
        EXPECT_EQ(fb, w.end_b) << w.what;
        EXPECT_EQ(Of(pa), w.point_a) << w.what;
        EXPECT_EQ(Of(pb), w.point_b) << w.what;
    }
}

// The steps of edges and faces on their own. Box A is [0, 10]^3 throughout.
TEST(BoxFeatures, EdgeAndFaceStepsFindContactsOrMoveToTheNearerFeature)
{
    const BoxCorners a = Box(0, 0, 0, 10, 10, 10);
    const struct {
        const char *what;
        Feat_Step step;
        int32_t fa;
        BoxCorners b;
        int32_t fb;
        int32_t result, end_a, end_b;
        P3 point_a, point_b;
    } steps[] = {
        // A's edge 9 runs along z at x = 10, y = 0 from z = 0 to 10.
        {"edge through the face", Feat_Edge_Face, 9, Box(5, -5, 3, 20, 5, 20), 20, 1, 9, 20, {10, 0, 3}, {10, 0, 3}},
        {"edge past the face: its nearest edge", Feat_Edge_Face, 9, Box(12, -5, 3, 20, 5, 20), 20, 0, 9, 17,
         {10, 0, 3}, {10, 0, 3}},
        // A's edge 8 runs along x at y = z = 0, parallel to B's face at y = 3.
        {"parallel edge, an end over the face", Feat_Edge_Face, 8, Box(-2, 3, -4, 8, 9, 4), 24, 0, 20, 24, {0, 0, 0},
         {0, 3, 0}},
        {"parallel edge beside the face", Feat_Edge_Face, 8, Box(2, 3, -4, 8, 9, 4), 24, 0, 20, 24, {8, 0, 0}, {8, 3, 0}},
        {"edge pointing at the face", Feat_Edge_Face, 8, Box(15, -5, -5, 25, 5, 5), 23, 0, 1, 23, {10, 0, 0}, {15, 0, 0}},
        {"edge with an end inside the box", Feat_Edge_Box, 9, Box(5, -5, 5, 20, 5, 20), 26, 1, 5, 26, {10, 0, 10},
         {10, 0, 10}},
        {"edge through the box", Feat_Edge_Box, 9, Box(5, -5, 3, 20, 5, 6), 26, 1, 9, 26, {10, 0, 3}, {10, 0, 3}},
        {"edge past the box: the last face it faces", Feat_Edge_Box, 9, Box(15, -5, 3, 20, 5, 6), 26, 0, 9, 23,
         {-1, -1, -1}, {-1, -1, -1}},
        {"perpendicular faces", Feat_Face_Face, 20, Box(20, 20, 20, 30, 30, 30), 21, 1, 20, 21, {-1, -1, -1},
         {-1, -1, -1}},
        // A's top face under B's bottom face, apart by a corner: the nearest edges, the first of a tie.
        {"facing faces", Feat_Face_Face, 22, Box(20, 20, 12, 30, 30, 20), 20, 0, 14, 17, {10, 10, 10}, {20, 20, 12}},
        {"face with a corner inside the box", Feat_Face_Box, 22, Box(-5, -5, 5, 5, 5, 20), 26, 1, 22, 26, {0, 0, 10},
         {0, 0, 10}},
        {"face away from the box", Feat_Face_Box, 22, Box(20, 20, 20, 30, 30, 30), 26, 0, 22, 26, {-1, -1, -1},
         {-1, -1, -1}},
    };
    for (const auto &c : steps) {
        int32_t fa = c.fa, fb = c.fb;
        float pa[3] = {-1, -1, -1}, pb[3] = {-1, -1, -1};
        EXPECT_EQ(c.step(a, c.b, pa, pb, &fa, &fb), c.result) << c.what;
        EXPECT_EQ(fa, c.end_a) << c.what;
        EXPECT_EQ(fb, c.end_b) << c.what;
        EXPECT_EQ(Of(pa), c.point_a) << c.what;
        EXPECT_EQ(Of(pb), c.point_b) << c.what;
    }
}

// Box against box runs no step: 16 unsettled, then both features drawn from the game's generator.
TEST(BoxFeatures, BoxAgainstBoxNeverSettlesAndDrawsNewFeatures)
{
    const BoxCorners a = Box(0, 0, 0, 10, 10, 10), b = Box(5, 5, 5, 15, 15, 15);
    SYS_SRand(1);
    int32_t fa = FEAT_WHOLE_BOX, fb = FEAT_WHOLE_BOX;
    float pa[3] = {1, 2, 3}, pb[3] = {4, 5, 6};
    EXPECT_EQ(Pair_Test_Corners(a, pa, &fa, b, pb, &fb), 16);
    EXPECT_EQ(fa, 0);
    EXPECT_EQ(fb, 14);
    EXPECT_EQ(Of(pa), (P3{1, 2, 3}));
    EXPECT_EQ(Of(pb), (P3{4, 5, 6}));
    // Draws stay in 0..26 whatever the generator gives.
    for (int i = 0; i < 2000; i++) {
        fa = fb = FEAT_WHOLE_BOX;
        Pair_Test_Corners(a, pa, &fa, b, pb, &fb);
        ASSERT_GE(fa, 0);
        ASSERT_LE(fa, 26);
        ASSERT_GE(fb, 0);
        ASSERT_LE(fb, 26);
    }
}

TEST(BoxFeatures, FloatRoutinesOnOrdinaryInput)
{
    const float a[3] = {0, 0, 0}, b[3] = {10, 0, 0}, p[3] = {4, 7, -2};
    float out[3], other[3];
    Line_Foot_2P(p, out, a, b);
    EXPECT_EQ(Of(out), (P3{4, 0, 0}));
    const float d[3] = {0, 0, 2}, q[3] = {5, 5, 6};
    Line_Closest_Point(p, out, q, d);
    EXPECT_EQ(Of(out), (P3{4, 7, 6}));
    const float n[3] = {0, 3, 0}, p2[3] = {4, -1, -2};
    Line_Plane_Intersect(p, n, p2, q, out);
    EXPECT_EQ(Of(out), (P3{4, 5, -2}));
    // Crossing segments, and one whose nearest point lies beyond its end.
    const float q1[3] = {5, -5, 1}, q2[3] = {5, 5, 1}, r1[3] = {20, 3, 0}, r2[3] = {20, 9, 0};
    Seg_Seg_Closest(out, other, a, b, q1, q2);
    EXPECT_EQ(Of(out), (P3{5, 0, 0}));
    EXPECT_EQ(Of(other), (P3{5, 0, 1}));
    Seg_Seg_Closest(out, other, a, b, r1, r2);
    EXPECT_EQ(Of(out), (P3{10, 0, 0}));
    EXPECT_EQ(Of(other), (P3{20, 3, 0}));
}

// Degenerate geometry gives finite points: the line's start, or the first segment's start and its
// nearest point on the second.
TEST(BoxFeatures, DegenerateInputGivesFinitePoints)
{
    const float a[3] = {1, 2, 3}, zero[3] = {0, 0, 0}, q[3] = {7, 8, 9};
    float out[3], other[3];
    Line_Closest_Point(a, out, q, zero);
    EXPECT_EQ(Of(out), (P3{1, 2, 3}));
    Line_Foot_2P(q, out, a, a);
    EXPECT_EQ(Of(out), (P3{1, 2, 3}));
    const float n[3] = {0, 0, 1}, along[3] = {5, 2, 3};
    Line_Plane_Intersect(a, n, along, q, out);
    EXPECT_EQ(Of(out), (P3{1, 2, 3}));
    const struct {
        const char *what;
        P3 p1, p2, q1, q2, on_p, on_q;
    } segs[] = {
        {"parallel, overlapping", {0, 0, 0}, {10, 0, 0}, {4, 3, 0}, {14, 3, 0}, {0, 0, 0}, {4, 3, 0}},
        {"parallel, the nearest point inside", {6, 0, 0}, {10, 0, 0}, {0, 3, 0}, {20, 3, 0}, {6, 0, 0}, {6, 3, 0}},
        {"antiparallel", {0, 0, 0}, {10, 0, 0}, {8, 0, 4}, {-2, 0, 4}, {0, 0, 0}, {0, 0, 4}},
        {"first of no length", {3, 3, 3}, {3, 3, 3}, {0, 0, 0}, {0, 10, 0}, {3, 3, 3}, {0, 3, 0}},
        {"both of no length", {3, 3, 3}, {3, 3, 3}, {1, 1, 1}, {1, 1, 1}, {3, 3, 3}, {1, 1, 1}},
    };
    for (const auto &s : segs) {
        Seg_Seg_Closest(out, other, s.p1.data(), s.p2.data(), s.q1.data(), s.q2.data());
        EXPECT_EQ(Of(out), s.on_p) << s.what;
        EXPECT_EQ(Of(other), s.on_q) << s.what;
    }
    // A face flat against another along the normal: the walk still ends on finite points.
    const BoxCorners flat = Box(0, 0, 0, 10, 10, 0), b = Box(0, 0, 5, 10, 10, 15);
    for (int32_t fa = 0; fa < FEAT_COUNT; fa++) {
        for (int32_t fb = 0; fb < FEAT_COUNT; fb++) {
            int32_t x = fa, y = fb;
            float pa[3] = {0, 0, 0}, pb[3] = {0, 0, 0};
            Pair_Test_Corners(flat, pa, &x, b, pb, &y);
            for (int k = 0; k < 3; k++) {
                ASSERT_TRUE(std::isfinite(pa[k]) && std::isfinite(pb[k])) << fa << " " << fb;
            }
        }
    }
}

} // namespace
