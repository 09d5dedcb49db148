// The collision space: meshes in and out, bodies, sweeps against brute force, contact walks, sorting.
#include <functional>
#include <map>
#include <set>

#include "engine3d/object.h"
#include "engine3d/view.h"
#include "tests/engine3d/coll_fixture.h"

using namespace coll_test;
using namespace kalder_test;

namespace {

using CollSpaceTest = CollArea;

// Two floors over the same square: the first at y = 0 (box y = [0, 0]), the second far below.
CollMeshSpec Two_Floors()
{
    CollMeshSpec m;
    m.vertices = {{0, 0, 0}, {0, 0, 100}, {100, 0, 0}, {0, -500, 0}, {0, -400, 100}, {100, -450, 0}};
    m.triangles = {{0, 1, 2}, {3, 4, 5}};
    return m;
}

TEST_F(CollSpaceTest, WithNoMeshASweepTouchesNothing)
{
    OBJ_CollBody *b = NewBody(15, {10, 20, 30}, 50);
    for (int32_t &c : b->cursor) {
        c = 3; // nothing may move them
    }
    Coll_Sweep_Body(b);
    for (int32_t c : b->cursor) {
        EXPECT_EQ(c, 3);
    }
    EXPECT_EQ(b->records, 0u);
    EXPECT_EQ(Coll_Next_Contact(b), nullptr);
    EXPECT_EQ(Coll_Next_Contact2(b), nullptr);
}

// After each change that resets the bodies, the first sweep starts from cursor 0 and finds everything.
TEST_F(CollSpaceTest, FirstSweepAfterAResetFindsEveryOverlap)
{
    const CollMeshSpec floor = FloorGrid(8, 8, 64, 30, 1);
    const CollMeshSpec wall = Wall(0, 512, 200, -50, 300);
    struct Case {
        const char *name;
        std::function<void(CollSpaceTest &, OBJ_CollBody *&, OBJ_Handle, OBJ_Handle)> change;
    };
    const Case cases[] = {
        {"create", [](CollSpaceTest &, OBJ_CollBody *&b, OBJ_Handle, OBJ_Handle) {
             Coll_Delete_Body(b);
             b = NewBody(15, {250, 40, 220}, 70);
         }},
        {"mask", [](CollSpaceTest &, OBJ_CollBody *&b, OBJ_Handle, OBJ_Handle) { Coll_Set_Body_Mask(b, 15); }},
        {"add", [](CollSpaceTest &, OBJ_CollBody *&, OBJ_Handle, OBJ_Handle w) { Coll_Add_Mesh(w); }},
        {"remove", [](CollSpaceTest &, OBJ_CollBody *&, OBJ_Handle, OBJ_Handle w) { Coll_Remove_Mesh(w); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Coll_Init();
        OBJ_Handle f = Load(floor), w = Load(wall);
        Coll_Add_Mesh(f);
        if (std::string(c.name) == "remove") {
            Coll_Add_Mesh(w);
        }
        OBJ_CollBody *b = NewBody(15, {250, 40, 220}, 70);
        MoveTo(b, {100, 40, 100});
        c.change(*this, b, f, w);
        for (int32_t cur : b->cursor) {
            EXPECT_EQ(cur, 0);
        }
        MoveTo(b, {250, 40, 220});
        std::vector<RefBox> boxes = Boxes(f);
        if (std::string(c.name) == "add") {
            std::vector<RefBox> more = Boxes(w);
            boxes.insert(boxes.end(), more.begin(), more.end());
        }
        EXPECT_EQ(Sorted(Walk3D(b)), RefOverlaps3D(boxes, b->centre, b->radius));
        EXPECT_EQ(Sorted(Walk2D(b)), RefOverlaps2D(boxes, b->centre, b->radius));
        EXPECT_FALSE(Walk3D(b).empty());
    }
}

TEST_F(CollSpaceTest, SweepWithoutMovementChangesNothing)
{
    Add(FloorGrid(6, 6, 64, 20, 2));
    OBJ_CollBody *b = NewBody(15, {150, 10, 150}, 80);
    Coll_Sweep_Body(b);
    const std::vector<Addr> first3 = Walk3D(b), first2 = Walk2D(b);
    ASSERT_FALSE(first3.empty());
    Coll_Sweep_Body(b);
    EXPECT_EQ(Walk3D(b), first3);
    EXPECT_EQ(Walk2D(b), first2);
}

// A box that only touches the cube is out; one unit further in, it is met, even when the first sweep
// ran from cursor 0 with the cube's lower bound on the box's maximum.
TEST_F(CollSpaceTest, TouchingIsNotOverlappingAndTheNextUnitIs)
{
    OBJ_Handle m = Add(Two_Floors());
    OBJ_CollBody *b = NewBody(7, {50, 60, 50}, 60);
    Coll_Sweep_Body(b);
    EXPECT_TRUE(Walk3D(b).empty());
    MoveTo(b, {50, 59, 50});
    EXPECT_EQ(Walk3D(b), std::vector<Addr>{Tri(m, 0)});
    MoveTo(b, {50, -60, 50}); // the upper bound on the floor
    EXPECT_TRUE(Walk3D(b).empty());
    MoveTo(b, {50, -59, 50});
    EXPECT_EQ(Walk3D(b), std::vector<Addr>{Tri(m, 0)});
    MoveTo(b, {50, -340, 50}); // the lower floor's maximum is -400: touching
    EXPECT_TRUE(Walk3D(b).empty());
    MoveTo(b, {50, -341, 50});
    EXPECT_EQ(Walk3D(b), std::vector<Addr>{Tri(m, 1)});
}

// The same two floors listed the other way round: the flat floor's minimum sorts last on y, where the
// upper cursor stands once the cube has met it. A cube that then only touches it lets it go.
TEST_F(CollSpaceTest, ATopMostFlatTriangleLeavesFromTheLastEndpoint)
{
    CollMeshSpec floors = Two_Floors();
    std::swap(floors.triangles[0], floors.triangles[1]);
    OBJ_Handle m = Add(floors);
    const OBJ_CollEndpoint *y = Coll_Axis_List(1);
    ASSERT_EQ(y[3].tri, Tri(m, 1));
    ASSERT_FALSE(y[3].is_max);
    OBJ_CollBody *b = NewBody(7, {50, 59, 50}, 60);
    Coll_Sweep_Body(b);
    EXPECT_EQ(Walk3D(b), std::vector<Addr>{Tri(m, 1)});
    EXPECT_EQ(b->cursor[3], 3);
    MoveTo(b, {50, -60, 50}); // the upper bound on the flat floor
    EXPECT_TRUE(Walk3D(b).empty());
    MoveTo(b, {50, -59, 50});
    EXPECT_EQ(Walk3D(b), std::vector<Addr>{Tri(m, 1)});
}

TEST_F(CollSpaceTest, BeyondEveryBoxTheCursorsStayAtTheLastEndpoint)
{
    OBJ_Handle m = Add(FloorGrid(4, 1, 100, 0, 3));
    const int32_t last = 2 * Coll_Tri_Count() - 1;
    OBJ_CollBody *b = NewBody(7, {5000, 0, 50}, 30);
    Coll_Sweep_Body(b);
    EXPECT_EQ(b->cursor[0], last);
    EXPECT_EQ(b->cursor[1], last);
    EXPECT_TRUE(Walk3D(b).empty());
    MoveTo(b, {9000, 0, 50});
    EXPECT_EQ(b->cursor[0], last);
    EXPECT_EQ(b->cursor[1], last);
    // Back onto the far end of the floor: the triangle of the last x endpoint.
    const Addr last_tri = Coll_Axis_List(0)[last].tri;
    MoveTo(b, {390, 0, 50});
    const std::vector<Addr> found = Walk3D(b);
    EXPECT_NE(std::find(found.begin(), found.end(), last_tri), found.end());
    EXPECT_EQ(Sorted(found), RefOverlaps3D(Boxes(m), b->centre, b->radius));
}

TEST_F(CollSpaceTest, TheTwoListsByMask)
{
    OBJ_Handle m = Add(Two_Floors());
    OBJ_CollBody *b7 = NewBody(7, {50, 0, 50}, 30);
    OBJ_CollBody *b15 = NewBody(15, {50, 0, 50}, 30);
    Coll_Sweep_Body(b7);
    Coll_Sweep_Body(b15);
    EXPECT_EQ(Walk3D(b7), std::vector<Addr>{Tri(m, 0)});
    EXPECT_TRUE(Walk2D(b7).empty());
    EXPECT_EQ(Walk3D(b15), std::vector<Addr>{Tri(m, 0)});
    EXPECT_EQ(Sorted(Walk2D(b15)), Sorted({Tri(m, 0), Tri(m, 1)})); // the lower floor only in 2D
}

TEST_F(CollSpaceTest, TheNewestContactComesFirst)
{
    OBJ_Handle m = Add(FloorGrid(3, 1, 100, 0, 4)); // square i: triangles 2i and 2i + 1, x in [100i, 100i + 100]
    OBJ_CollBody *b = NewBody(7, {150, 0, 50}, 10);
    Coll_Sweep_Body(b);
    const std::vector<Addr> middle = Walk3D(b);
    EXPECT_EQ(Sorted(middle), Sorted({Tri(m, 2), Tri(m, 3)}));
    MoveTo(b, {105, 0, 50}); // the first square joins, at the head
    const std::vector<Addr> joined = Walk3D(b);
    ASSERT_EQ(joined.size(), 4u);
    EXPECT_EQ(Sorted({joined[0], joined[1]}), Sorted({Tri(m, 0), Tri(m, 1)}));
    EXPECT_EQ(std::vector<Addr>(joined.begin() + 2, joined.end()), middle);
}

TEST_F(CollSpaceTest, AtMost255Bodies)
{
    std::vector<OBJ_CollBody *> bodies;
    for (int i = 0; i < 255; i++) {
        bodies.push_back(Coll_Create_Body(7));
        ASSERT_NE(bodies.back(), nullptr);
    }
    EXPECT_EQ(Coll_Create_Body(7), nullptr);
    EXPECT_EQ(Coll_Body_Count(), 255);
    Coll_Delete_Body(bodies[100]);
    EXPECT_EQ(Coll_Body(100), bodies[254]); // the last pointer fills the gap
    EXPECT_NE(Coll_Create_Body(15), nullptr);
    EXPECT_EQ(Coll_Create_Body(15), nullptr);
}

TEST_F(CollSpaceTest, DeletingUnknownAndMiddleBodies)
{
    OBJ_Handle m = Add(FloorGrid(4, 4, 64, 10, 5));
    OBJ_CollBody *a = NewBody(7, {40, 5, 40}, 40);
    OBJ_CollBody *mid = NewBody(7, {100, 5, 100}, 40);
    OBJ_CollBody *c = NewBody(15, {200, 5, 200}, 40);
    OBJ_CollBody stranger{};
    Coll_Delete_Body(&stranger);
    EXPECT_EQ(Coll_Body_Count(), 3);
    Coll_Delete_Body(mid);
    EXPECT_EQ(Coll_Body_Count(), 2);
    for (OBJ_CollBody *b : {a, c}) {
        Coll_Sweep_Body(b);
        EXPECT_EQ(Sorted(Walk3D(b)), RefOverlaps3D(Boxes(m), b->centre, b->radius));
    }
}

TEST_F(CollSpaceTest, BodyValues)
{
    OBJ_CollBody *b = NewBody(0x10F, {-7, 8, 9}, 33);
    Coll_Set_Body_Radius(b, 0);
    Coll_Set_Body_Radius(b, -4);
    int32_t centre[3], radius, mask;
    Coll_Get_Body(b, centre, &radius, &mask);
    EXPECT_EQ(Vec3({centre[0], centre[1], centre[2]}), Vec3({-7, 8, 9}));
    EXPECT_EQ(radius, 33);
    EXPECT_EQ(mask, 0x0F);
}

TEST_F(CollSpaceTest, RemovingAMeshKeepsTheOthersInOrder)
{
    OBJ_Handle soup = Add(Soup(40, 16, 256, 6));
    OBJ_Handle floor = Add(FloorGrid(3, 3, 64, 30, 7));
    EXPECT_EQ(Coll_Tri_Count(), 58);
    std::vector<Addr> kept[3];
    for (int a = 0; a < 3; a++) {
        for (int32_t i = 0; i < 116; i++) {
            const Addr t = Coll_Axis_List(a)[i].tri;
            if (W_GetAddr(t + offsetof(OBJ_CollTri, mesh)) == Body(soup)) {
                kept[a].push_back(t + Coll_Axis_List(a)[i].is_max);
            }
        }
    }
    OBJ_CollBody *b = NewBody(15, {100, 20, 100}, 50);
    Coll_Sweep_Body(b);
    Coll_Remove_Mesh(floor);
    EXPECT_EQ(Coll_Tri_Count(), 40);
    EXPECT_EQ(b->records, 0u);
    for (int a = 0; a < 3; a++) {
        std::vector<Addr> got;
        for (int32_t i = 0; i < 80; i++) {
            got.push_back(Coll_Axis_List(a)[i].tri + Coll_Axis_List(a)[i].is_max);
        }
        EXPECT_EQ(got, kept[a]) << "axis " << a;
    }
}

TEST_F(CollSpaceTest, DeleteObjTakesTheMeshOut)
{
    OBJ_Handle a = Add(Wall(0, 100, 0, 0, 100));
    OBJ_Handle f = Add(FloorGrid(2, 2, 50, 0, 8));
    EXPECT_EQ(Coll_Tri_Count(), 10);
    EXPECT_EQ(Delete_Obj(f), 0);
    EXPECT_EQ(Coll_Tri_Count(), 2);
    for (int32_t i = 0; i < 4; i++) {
        EXPECT_EQ(W_GetAddr(Coll_Axis_List(1)[i].tri + offsetof(OBJ_CollTri, mesh)), Body(a));
    }
}

// A walk under way must not read entries that a change freed: the next call starts a new walk from the
// head of the body it is given. The pools poison freed entries, so a stale read stops the test.
TEST_F(CollSpaceTest, ChangesThatFreeContactsEndTheWalks)
{
    OBJ_Handle m = Load(FloorGrid(4, 4, 64, 0, 9)), w = Load(Wall(0, 200, 100, -50, 50));
    struct Case {
        const char *name;
        std::function<void(OBJ_CollBody *)> change;
        bool resets_all;
    };
    const Case cases[] = {
        {"delete", [](OBJ_CollBody *b) { Coll_Delete_Body(b); }, false},
        {"mask", [](OBJ_CollBody *b) { Coll_Set_Body_Mask(b, 15); }, false},
        {"remove", [m](OBJ_CollBody *) { Coll_Remove_Mesh(m); }, true},
        {"add", [w](OBJ_CollBody *) { Coll_Add_Mesh(w); }, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Coll_Init();
        Coll_Add_Mesh(m);
        OBJ_CollBody *other = NewBody(15, {60, 0, 60}, 20);
        OBJ_CollBody *walked = NewBody(15, {128, 0, 128}, 100);
        Coll_Sweep_Body(other);
        const std::vector<Addr> others3 = Walk3D(other), others2 = Walk2D(other);
        ASSERT_FALSE(others3.empty());
        Coll_Sweep_Body(walked);
        ASSERT_NE(Coll_Next_Contact(walked), nullptr);
        ASSERT_NE(Coll_Next_Contact2(walked), nullptr);
        c.change(walked);
        EXPECT_EQ(Walk3D(other), c.resets_all ? std::vector<Addr>{} : others3);
        EXPECT_EQ(Walk2D(other), c.resets_all ? std::vector<Addr>{} : others2);
    }
}

// A new level clears the work area: the meshes leave the space, the bodies stay and start over.
TEST_F(CollSpaceTest, Init3DEmptiesTheSpaceAndKeepsTheBodies)
{
    Add(FloorGrid(4, 4, 64, 0, 10));
    OBJ_CollBody *b = NewBody(15, {100, 0, 100}, 50);
    Coll_Sweep_Body(b);
    ASSERT_FALSE(Walk3D(b).empty());
    Init_3D(area_.data(), area_.size());
    Cache_Count = 0;
    EXPECT_EQ(Coll_Tri_Count(), 0);
    EXPECT_EQ(Coll_Body_Count(), 1);
    EXPECT_EQ(b->records, 0u);
    EXPECT_EQ(b->radius, 50);
    EXPECT_EQ(b->mask, 15);
    OBJ_Handle wall = Add(Wall(0, 200, 120, -100, 100));
    MoveTo(b, {100, 0, 100});
    EXPECT_EQ(Sorted(Walk3D(b)), Sorted({Tri(wall, 0), Tri(wall, 1)}));
}

TEST_F(CollSpaceTest, AMeshEntersOnceAndOnlyAMeshEnters)
{
    OBJ_Handle f = Add(FloorGrid(3, 3, 64, 20, 11));
    const std::vector<OBJ_CollEndpoint> x(Coll_Axis_List(0), Coll_Axis_List(0) + 2 * Coll_Tri_Count());
    OBJ_CollBody *b = NewBody(7, {100, 10, 100}, 40);
    Coll_Sweep_Body(b);
    const std::vector<Addr> contacts = Walk3D(b);
    kalder_test::MemFiles_Add("cube.3dc", HierarchyImage(CubeObjects(), CubeMaterials()).Finish().bytes);
    kalder_test::MemFiles_SetAnyMaterial(MaterialImage([](int r, int i) { return uint16_t(r + i); }).Finish().bytes);
    OBJ_Handle cube = Load_Obj("cube.3dc");
    ASSERT_NE(cube, -1);
    for (OBJ_Handle h : {f, cube, OBJ_Handle(-1), OBJ_Handle(0x7FFF0000)}) {
        Coll_Add_Mesh(h);
        Coll_Remove_Mesh(h == f ? -1 : h);
        EXPECT_EQ(Coll_Tri_Count(), 18);
        for (int32_t i = 0; i < 36; i++) {
            EXPECT_EQ(Coll_Axis_List(0)[i].tri, x[size_t(i)].tri);
        }
        EXPECT_EQ(Walk3D(b), contacts); // nothing reset the body
    }
}

// ---- Sweeps against brute force ------------------------------------------------------------------

// Every overlap record of the body: its axis bits are those of its box, it has its list entries
// exactly when its bits and the body's mask call for them, and there is one per triangle that overlaps
// the cube on at least one axis.
void Check_Records(const OBJ_CollBody *b, const std::vector<RefBox> &boxes)
{
    std::map<Addr, uint8_t> expected;
    for (const RefBox &r : boxes) {
        uint8_t bits = 0;
        for (int a = 0; a < 3; a++) {
            const int64_t lo = int64_t(b->centre[a]) - b->radius, hi = int64_t(b->centre[a]) + b->radius;
            if (r.min[a] < hi && r.max[a] > lo) {
                bits |= uint8_t(1 << a);
            }
        }
        if (bits != 0) {
            expected[r.tri] = bits;
        }
    }
    std::map<Addr, uint8_t> found;
    for (uint32_t i = 0; i < b->capacity; i++) {
        const OBJ_CollNode *n = &b->slots[i];
        if (n->tri == 0) {
            continue;
        }
        EXPECT_TRUE(found.emplace(n->tri, n->bits).second);
        EXPECT_EQ(n->entry_3d != nullptr, (b->mask & 4) && n->bits == 7);
        EXPECT_EQ(n->entry_2d != nullptr, (b->mask & 8) && (n->bits & 5) == 5);
        if (n->entry_3d != nullptr) {
            EXPECT_EQ(n->entry_3d->tri, n->tri);
        }
        if (n->entry_2d != nullptr) {
            EXPECT_EQ(n->entry_2d->tri, n->tri);
        }
    }
    EXPECT_EQ(found.size(), b->records);
    EXPECT_EQ(found, expected);
}

void Random_Sweeps(CollSpaceTest &t, bool tie_free, uint32_t seed)
{
    FixtureRandom rnd(seed);
    CollMeshSpec floor = FloorGrid(10, 10, 64, 48, seed), soup = Soup(150, tie_free ? 16 : 32, 640, seed + 1);
    CollMeshSpec walls = Wall(0, 640, 320, -40, 200);
    walls.Append(Wall(100, 300, 500, 0, 96));
    walls.Append(Ramp(400, 600, 0, 160, 40, 240));
    walls.Append(Degenerate({64, 64, 64}, {128, 64, 256}));
    if (tie_free) {
        SnapTo4(&floor);
        SnapTo4(&soup);
        SnapTo4(&walls);
    }
    OBJ_Handle meshes[3] = {t.Load(floor), t.Load(soup), t.Load(walls)};
    bool in[3] = {true, true, true};
    for (OBJ_Handle h : meshes) {
        Coll_Add_Mesh(h);
    }
    auto coordinate = [&](int32_t lo, int32_t hi) { return tie_free ? rnd.Range(lo / 4, hi / 4) * 4 : rnd.Range(lo / 8, hi / 8) * 8; };
    auto radius = [&] { return tie_free ? rnd.Range(4, 30) * 4 + 2 : rnd.Range(1, 16) * 8; };
    std::vector<OBJ_CollBody *> bodies;
    auto create = [&] {
        OBJ_CollBody *b = Coll_Create_Body(rnd.Range(0, 1) ? 7 : 15);
        Coll_Set_Body_Radius(b, radius());
        const Vec3 c{coordinate(-100, 740), coordinate(-100, 300), coordinate(-100, 740)};
        Copy_Vec(b->centre, c.data());
        bodies.push_back(b);
    };
    for (int i = 0; i < 30; i++) {
        create();
    }
    for (int step = 0; step < 2000; step++) {
        const int32_t kind = rnd.Range(0, 99);
        OBJ_CollBody *b = bodies[size_t(rnd.Range(0, int32_t(bodies.size()) - 1))];
        if (kind < 60) {
            const int32_t unit = tie_free ? 4 : 1;
            for (int32_t &c : b->centre) {
                c += rnd.Range(-16 / unit, 16 / unit) * unit;
            }
        } else if (kind < 75) {
            const Vec3 c{coordinate(-100, 740), coordinate(-100, 300), coordinate(-100, 740)};
            Copy_Vec(b->centre, c.data());
        } else if (kind < 85) {
            Coll_Set_Body_Radius(b, radius());
        } else if (kind < 92) {
            Coll_Set_Body_Mask(b, b->mask == 7 ? 15 : 7);
        } else if (kind < 98) {
            if (bodies.size() > 20 && rnd.Range(0, 1)) {
                bodies.erase(std::find(bodies.begin(), bodies.end(), b));
                Coll_Delete_Body(b);
            } else {
                create();
            }
        } else {
            const int32_t k = rnd.Range(0, 2);
            if (in[k]) {
                Coll_Remove_Mesh(meshes[k]);
            }
            Coll_Add_Mesh(meshes[k]);
            in[k] = true;
        }
        std::vector<RefBox> boxes;
        for (int k = 0; k < 3; k++) {
            std::vector<RefBox> more = t.Boxes(meshes[k]);
            boxes.insert(boxes.end(), more.begin(), more.end());
        }
        for (OBJ_CollBody *body : bodies) {
            Coll_Sweep_Body(body);
            const std::vector<Addr> got3 = CollArea::Walk3D(body), got2 = CollArea::Walk2D(body);
            const std::vector<uint32_t> want3 = (body->mask & 4) ? RefOverlaps3D(boxes, body->centre, body->radius) : std::vector<uint32_t>{};
            const std::vector<uint32_t> want2 = (body->mask & 8) ? RefOverlaps2D(boxes, body->centre, body->radius) : std::vector<uint32_t>{};
            ASSERT_EQ(CollArea::Sorted(got3), want3) << "step " << step;
            ASSERT_EQ(CollArea::Sorted(got2), want2) << "step " << step;
            if (step % 50 == 0) {
                Check_Records(body, boxes);
                ASSERT_FALSE(::testing::Test::HasFailure()) << "step " << step;
            }
        }
    }
}

TEST_F(CollSpaceTest, SweepsAgreeWithBruteForceWhereBoundsTie) { Random_Sweeps(*this, false, 21); }

TEST_F(CollSpaceTest, SweepsAgreeWithBruteForceWithoutTies) { Random_Sweeps(*this, true, 22); }

// ---- Sorting ------------------------------------------------------------------------------------

std::vector<OBJ_CollEndpoint> Endpoints(const std::vector<int32_t> &values)
{
    std::vector<OBJ_CollEndpoint> e;
    for (size_t i = 0; i < values.size(); i++) {
        e.push_back({Addr(i + 1), 0, values[i], 0, 0});
    }
    return e;
}

// Values that leave one entry in the right part at every partition: each range's largest value sits
// at its middle and is swapped to its end. Built by undoing those swaps on the sorted order.
std::vector<int32_t> Left_Heavy(int32_t n)
{
    std::vector<int32_t> v(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; i++) {
        v[size_t(i)] = i;
    }
    for (int32_t h = 1; h < n; h++) {
        std::swap(v[size_t(h / 2)], v[size_t(h)]);
    }
    return v;
}

TEST(CollSortTest, EndpointListsEndSorted)
{
    struct Case {
        const char *name;
        std::vector<int32_t> values;
    };
    std::vector<Case> cases = {{"sorted", {}}, {"reversed", {}}, {"equal", {}}, {"alternating", {}}, {"left-heavy", Left_Heavy(100000)}};
    for (int32_t i = 0; i < 5000; i++) {
        cases[0].values.push_back(i);
        cases[1].values.push_back(5000 - i);
        cases[2].values.push_back(7);
        cases[3].values.push_back(i % 2 ? -3 : 3);
    }
    for (Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<OBJ_CollEndpoint> e = Endpoints(c.values);
        Coll_Sort_Axis(e.data(), 0, int32_t(e.size()) - 1);
        std::multiset<int32_t> before(c.values.begin(), c.values.end()), after;
        for (size_t i = 0; i < e.size(); i++) {
            after.insert(e[i].value);
            ASSERT_TRUE(i == 0 || e[i - 1].value <= e[i].value) << i;
            ASSERT_EQ(e[i].value, c.values[e[i].tri - 1]); // the entry moved whole
        }
        EXPECT_EQ(before, after);
    }
}

} // namespace
