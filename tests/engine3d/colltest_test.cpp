// The exact collision tests: sphere and point against triangles, segment crossings and the segment query.
#include <cmath>

#include "tests/engine3d/coll_fixture.h"

using namespace coll_test;
using namespace kalder_test;

namespace {

using CollTriTest = CollArea;

const Vec3 Untouched{-12345, -12345, -12345};

// The floor triangle used below: corners (0,0,0), (0,0,1000), (1000,0,0), facing up. Edge 0 runs
// along x = 0, edge 1 is the diagonal x + z = 1000, edge 2 runs along z = 0.
CollMeshSpec Floor_Tri(Vec3 at = {0, 0, 0}) { return FloorGrid(1, 1, 1000, 0, 1, at); }

struct Sphere_Case {
    const char *name;
    Vec3 centre;
    int32_t radius, flags;
    int32_t result;
    Vec3 contact;
};

int32_t Sphere(const OBJ_CollTri *tri, const Sphere_Case &c, Vec3 *contact)
{
    *contact = Untouched;
    return Coll_Sphere_Tri_Contact(tri, c.centre.data(), c.radius, contact->data(), c.flags);
}

TEST_F(CollTriTest, SphereAgainstTheFloor)
{
    OBJ_Handle m = Load(Floor_Tri());
    const Sphere_Case cases[] = {
        {"on the plane", {200, 0, 200}, 100, 3, 2, {200, 0, 200}},
        {"above, deep in the band", {200, 99, 200}, 100, 3, 2, {200, 0, 200}},
        {"below", {200, -60, 300}, 100, 3, -2, {200, 0, 300}},
        {"at the band's end", {200, 100, 200}, 100, 3, 0, Untouched},
        {"outside edge 0, too far from it", {-60, 90, 200}, 100, 3, 0, {0, 0, 200}},
        {"outside edge 0 by r", {-100, 0, 200}, 100, 3, 0, {0, 0, 200}},
        {"outside edge 0 by r, larger sphere", {-100, 0, 200}, 101, 3, 1, {0, 0, 200}},
        {"outside edge 0 by more than r", {-101, 0, 200}, 100, 3, 0, Untouched},
        {"edge 0", {-50, 0, 300}, 100, 3, 1, {0, 0, 300}},
        {"edge 0 from below", {-50, -10, 300}, 100, 3, -1, {0, 0, 300}},
        {"edge 1", {560, 0, 540}, 100, 3, 1, {510, 0, 490}},
        {"edge 2", {300, 0, -50}, 100, 3, 1, {300, 0, 0}},
        {"corner 1 (edges 0, 1)", {-20, 0, 1050}, 100, 3, 1, {0, 0, 1000}},
        {"corner 0 (edges 0, 2)", {-30, 0, -40}, 100, 3, 1, {0, 0, 0}},
        {"corner 2 (edges 1, 2)", {1040, 0, -30}, 100, 3, 1, {1000, 0, 0}},
        {"back only, above", {200, 50, 200}, 100, 1, 0, Untouched},
        {"back only, below", {200, -50, 200}, 100, 1, -2, {200, 0, 200}},
        {"back only, on the plane", {200, 0, 200}, 100, 1, 0, Untouched},
        {"front only, above", {200, 50, 200}, 100, 2, 2, {200, 0, 200}},
        {"front only, below", {200, -50, 200}, 100, 2, 0, Untouched},
        {"front only, on the plane", {200, 0, 200}, 100, 2, 0, Untouched},
        {"front only, just inside r", {200, 99, 200}, 100, 2, 2, {200, 0, 200}},
        {"front only, at r", {200, 100, 200}, 100, 2, 0, Untouched},
        {"back only, just inside -r", {200, -99, 200}, 100, 1, -2, {200, 0, 200}},
        {"back only, at -r", {200, -100, 200}, 100, 1, 0, Untouched},
        {"no side", {200, 0, 200}, 100, 0, 0, Untouched},
        {"no side, above", {200, 50, 200}, 100, 0, 0, Untouched},
    };
    for (const Sphere_Case &c : cases) {
        SCOPED_TRACE(c.name);
        Vec3 contact;
        EXPECT_EQ(Sphere(TriPtr(m, 0), c, &contact), c.result);
        EXPECT_EQ(contact, c.contact);
    }
}

// Far from the origin every product and square leaves 32 bits; the results stay those near 0.
TEST_F(CollTriTest, SphereFarFromTheOrigin)
{
    const Vec3 shift{100000, 70000, 90000}; // positive, so that truncation rounds both scenes the same way
    OBJ_Handle near = Load(Floor_Tri()), far = Load(Floor_Tri(shift));
    FixtureRandom rnd(5);
    int hits = 0;
    for (int i = 0; i < 300; i++) {
        const Sphere_Case c{"", {rnd.Range(-200, 1200), rnd.Range(-150, 150), rnd.Range(-200, 1200)}, rnd.Range(1, 150), 3, 0, {}};
        Sphere_Case moved = c;
        for (int k = 0; k < 3; k++) {
            moved.centre[size_t(k)] += shift[size_t(k)];
        }
        Vec3 a, b;
        const int32_t ra = Sphere(TriPtr(near, 0), c, &a), rb = Sphere(TriPtr(far, 0), moved, &b);
        ASSERT_EQ(ra, rb) << i;
        if (ra != 0) {
            hits++;
            EXPECT_EQ(Vec3({a[0] + shift[0], a[1] + shift[1], a[2] + shift[2]}), b) << i;
        }
    }
    EXPECT_GT(hits, 30);
}

TEST_F(CollTriTest, DegenerateTrianglesAreNeverHit)
{
    OBJ_Handle m = Load(Degenerate({0, 0, 0}, {500, 0, 500}));
    Vec3 contact = Untouched;
    for (Vec3 c : {Vec3{250, 0, 250}, Vec3{250, 10, 250}, Vec3{0, 5, 0}, Vec3{-20, 0, 0}}) {
        EXPECT_EQ(Coll_Sphere_Tri_Contact(TriPtr(m, 0), c.data(), 100, contact.data(), 3), 0);
        EXPECT_EQ(Coll_Point_On_Tri(TriPtr(m, 0), c.data(), contact.data(), 3), 0);
    }
    EXPECT_EQ(contact, Untouched);
}

TEST_F(CollTriTest, PointDroppedOntoTriangles)
{
    OBJ_Handle floor = Load(Floor_Tri()), wall = Load(Wall(0, 1000, 500, -500, 500));
    struct Case {
        const char *name;
        Vec3 point;
        int32_t flags, result;
        Vec3 hit;
    };
    const Case cases[] = {
        {"above, both sides", {200, 80, 300}, 3, 1, {200, 0, 300}},
        {"below, both sides", {200, -80, 300}, 3, -1, {200, 0, 300}},
        {"above, back side only", {200, 80, 300}, 1, 0, Untouched},
        {"below, back side only", {200, -80, 300}, 1, -1, {200, 0, 300}},
        {"below, front side only", {200, -80, 300}, 2, 0, Untouched},
        {"on the plane, front side only", {200, 0, 300}, 2, 1, {200, 0, 300}},
        {"on the plane, back side only", {200, 0, 300}, 1, 1, {200, 0, 300}},
        {"above, no side", {200, 80, 300}, 0, 1, {200, 0, 300}},
        {"below, no side", {200, -80, 300}, 0, -1, {200, 0, 300}},
        {"on edge 0", {0, 30, 300}, 3, 1, {0, 0, 300}},
        {"on the diagonal", {400, 30, 600}, 3, 1, {400, 0, 600}},
        {"on a corner", {1000, 30, 0}, 3, 1, {1000, 0, 0}},
        {"beside the diagonal", {501, 30, 500}, 3, 0, Untouched},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Vec3 hit = Untouched;
        EXPECT_EQ(Coll_Point_On_Tri(TriPtr(floor, 0), c.point.data(), hit.data(), c.flags), c.result);
        EXPECT_EQ(hit, c.hit);
    }
    for (Vec3 p : {Vec3{100, 0, 500}, Vec3{500, 100, 400}, Vec3{500, 100, 600}, Vec3{0, 0, 500}}) {
        for (int32_t k = 0; k < 2; k++) {
            Vec3 hit = Untouched;
            EXPECT_EQ(Coll_Point_On_Tri(TriPtr(wall, k), p.data(), hit.data(), 3), 0);
            EXPECT_EQ(hit, Untouched);
        }
    }
}

TEST_F(CollTriTest, PointOnARampFollowsItsPlane)
{
    OBJ_Handle ramp = Load(Ramp(0, 1000, 0, 300, 0, 1000));
    int32_t normal[3], v[3][3];
    const int32_t handle = Coll_Get_Hit(TriPtr(ramp, 0), v[0], v[1], v[2], normal);
    EXPECT_EQ(handle, ramp);
    EXPECT_EQ(Vec3({v[0][0], v[0][1], v[0][2]}), Vec3({0, 0, 0}));
    EXPECT_EQ(Vec3({v[1][0], v[1][1], v[1][2]}), Vec3({0, 0, 1000}));
    EXPECT_EQ(Vec3({v[2][0], v[2][1], v[2][2]}), Vec3({1000, 300, 0}));
    EXPECT_EQ(W_Get32(W_GetAddr(Tri(ramp, 0) + offsetof(OBJ_CollTri, normal)) + 4), normal[1]);
    EXPECT_GT(normal[1], 30000);
    FixtureRandom rnd(7);
    for (int i = 0; i < 200; i++) {
        const int32_t x = rnd.Range(0, 1000), z = rnd.Range(0, 1000);
        const Vec3 p{x, 1000, z};
        Vec3 hit = Untouched;
        const OBJ_CollTri *t = TriPtr(ramp, x + z <= 1000 ? 0 : 1);
        ASSERT_EQ(Coll_Point_On_Tri(t, p.data(), hit.data(), 3), 1) << x << " " << z;
        Coll_Get_Hit(t, v[0], v[1], v[2], normal);
        const double n0 = normal[0], n1 = normal[1], n2 = normal[2];
        const double reference = std::trunc((n0 * v[0][0] + n1 * v[0][1] + n2 * v[0][2] - n0 * x - n2 * z) / n1);
        EXPECT_EQ(hit[1], int32_t(reference)) << x;
        EXPECT_NEAR(hit[1], 0.3 * x, 2.0) << x;
    }
}

TEST_F(CollTriTest, SegmentCrossings)
{
    OBJ_Handle m = Load(Floor_Tri());
    struct Case {
        const char *name;
        Vec3 p1, p2;
        int32_t result;
        Vec3 out;
    };
    const Case cases[] = {
        {"both above", {200, 100, 200}, {300, 10, 300}, 0, Untouched},
        {"both below", {200, -100, 200}, {300, -10, 300}, 0, Untouched},
        {"one end on the plane, one above", {200, 0, 200}, {300, 10, 300}, 0, Untouched},
        {"down through it", {200, 100, 200}, {200, -100, 300}, 1, {200, 0, 250}},
        {"up through it", {200, -100, 200}, {200, 100, 300}, -1, {200, 0, 250}},
        {"from below to the plane", {200, -100, 200}, {200, 0, 300}, -1, {200, 0, 300}},
        {"beside an edge", {-100, 100, 200}, {-100, -100, 200}, 0, {-100, 0, 200}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Vec3 out = Untouched;
        EXPECT_EQ(Seg_Cross_Plane(c.p1.data(), c.p2.data(), TriPtr(m, 0), out.data()), c.result);
        EXPECT_EQ(out, c.out);
    }
}

TEST(CollPointsTest, ClosestPointsOnSegments)
{
    struct Case {
        Vec3 p, a, b, closest, foot;
    };
    const Case cases[] = {
        {{5, 7, 0}, {0, 0, 0}, {10, 0, 0}, {5, 0, 0}, {5, 0, 0}},
        {{-5, 7, 0}, {0, 0, 0}, {10, 0, 0}, {0, 0, 0}, {-5, 0, 0}},
        {{15, 7, 0}, {0, 0, 0}, {10, 0, 0}, {10, 0, 0}, {15, 0, 0}},
        {{3, 3, 3}, {4, 4, 4}, {4, 4, 4}, {4, 4, 4}, {4, 4, 4}}, // a segment of one point
    };
    for (const Case &c : cases) {
        Vec3 out, foot;
        Seg_Closest_Point(c.p.data(), out.data(), c.a.data(), c.b.data());
        Line_Foot_Int(c.p.data(), c.a.data(), c.b.data(), foot.data());
        EXPECT_EQ(out, c.closest);
        EXPECT_EQ(foot, c.foot);
    }
}

// ---- The segment query --------------------------------------------------------------------------

std::vector<Addr> Query(const Vec3 &p1, const Vec3 &p2)
{
    std::vector<Addr> out;
    while (OBJ_CollTri *t = Coll_Box_Of_Segment(p1.data(), p2.data())) {
        out.push_back(W_Addr(t));
        if (out.size() > 100000) {
            break;
        }
    }
    return out;
}

TEST_F(CollTriTest, AQueryEndsOnceThenStartsAnew)
{
    Add(FloorGrid(6, 6, 100, 40, 3));
    Add(Wall(0, 600, 300, -100, 200));
    const Vec3 a{50, 150, 20}, b{550, -20, 580};
    const std::vector<Addr> first = Query(a, b);
    ASSERT_GT(first.size(), 3u);
    EXPECT_EQ(Query(a, b), first);
    // Broken off after one candidate: other points start their own query.
    const Vec3 c{580, 100, 50}, d{20, 10, 560};
    const std::vector<Addr> other = Query(c, d);
    EXPECT_EQ(W_Addr(Coll_Box_Of_Segment(a.data(), b.data())), first[0]);
    EXPECT_EQ(Query(c, d), other);
    // The same points carry on where they stopped.
    EXPECT_EQ(W_Addr(Coll_Box_Of_Segment(a.data(), b.data())), first[0]);
    const std::vector<Addr> rest = Query(a, b);
    EXPECT_EQ(rest, std::vector<Addr>(first.begin() + 1, first.end()));
}

bool Crosses(const Vec3 &p1, const Vec3 &p2, OBJ_CollTri *t)
{
    Vec3 out;
    return Seg_Cross_Plane(p1.data(), p2.data(), t, out.data()) != 0;
}

TEST_F(CollTriTest, SegmentsAlongAxisPlanesFindTheWall)
{
    OBJ_Handle wall = Add(Wall(-500, 500, 0, -300, 300));
    Add(FloorGrid(4, 4, 250, 0, 2, {-500, -300, -500}));
    struct Case {
        const char *name;
        Vec3 p1, p2;
    };
    const Case cases[] = {
        {"same height", {-40, 50, -200}, {90, 50, 300}},
        {"same x", {100, -60, -200}, {100, 80, 300}},
        {"same x and height", {100, 50, -200}, {100, 50, 300}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Addr> found = Query(c.p1, c.p2);
        bool crossed = false;
        for (Addr t : found) {
            crossed |= Crosses(c.p1, c.p2, reinterpret_cast<OBJ_CollTri *>(W_Ptr(t)));
        }
        const bool wall_found = std::find(found.begin(), found.end(), Tri(wall, 0)) != found.end() ||
                                std::find(found.begin(), found.end(), Tri(wall, 1)) != found.end();
        EXPECT_TRUE(crossed);
        EXPECT_TRUE(wall_found);
    }
}

// Every triangle a segment clearly crosses is among the query's candidates.
TEST_F(CollTriTest, TheQueryHandsOutEveryCrossedTriangle)
{
    OBJ_Handle meshes[] = {Add(FloorGrid(8, 8, 80, 60, 4)), Add(Wall(0, 640, 200, -50, 250)), Add(Wall(100, 500, 450, 0, 200))};
    std::vector<OBJ_CollTri *> all;
    for (OBJ_Handle h : meshes) {
        for (int32_t k = 0; k < W_Get32(Body(h) + 8); k++) {
            all.push_back(TriPtr(h, k));
        }
    }
    FixtureRandom rnd(8);
    int crossings = 0;
    for (int i = 0; i < 400; i++) {
        const Vec3 p1{rnd.Range(-50, 700), rnd.Range(-80, 300), rnd.Range(-50, 700)};
        const Vec3 p2{rnd.Range(-50, 700), rnd.Range(-80, 300), rnd.Range(-50, 700)};
        const std::vector<Addr> found = Query(p1, p2);
        for (OBJ_CollTri *t : all) {
            Vec3 out;
            if (Seg_Cross_Plane(p1.data(), p2.data(), t, out.data()) == 0) {
                continue;
            }
            int32_t n[3], v[3][3];
            Coll_Get_Hit(t, v[0], v[1], v[2], n);
            double dn = 0, dd = 0, nn = 0;
            for (int k = 0; k < 3; k++) {
                const double d = double(p2[size_t(k)]) - p1[size_t(k)];
                dn += d * n[k];
                dd += d * d;
                nn += double(n[k]) * n[k];
            }
            const bool steep = std::fabs(dn) >= std::sin(5.0 * M_PI / 180.0) * std::sqrt(dd * nn);
            const bool inside = Plane_Dist(t, 0, out.data()) >= 2 && Plane_Dist(t, 1, out.data()) >= 2 && Plane_Dist(t, 2, out.data()) >= 2;
            if (!steep || !inside) {
                continue;
            }
            crossings++;
            EXPECT_NE(std::find(found.begin(), found.end(), W_Addr(t)), found.end()) << "segment " << i;
        }
    }
    EXPECT_GT(crossings, 200);
}

} // namespace
