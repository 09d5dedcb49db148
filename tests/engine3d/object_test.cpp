// The object API: links, flags, types, materials, names, transforms, vertices, scaling and copies.
#include <gtest/gtest.h>

#include <cmath>

#include <cstring>
#include <functional>

#include "engine3d/image.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "tests/support/image_area.h"

using namespace kalder_test;

namespace {

// Loads n one-record objects named O0, O1, ...
std::vector<OBJ_Handle> Singles(int n)
{
    std::vector<OBJ_Handle> h;
    for (int i = 0; i < n; i++) {
        ObjectSpec o;
        o.name = "O" + std::to_string(i);
        MemFiles_Add("o" + std::to_string(i) + ".3dc", HierarchyImage({o}, {}).Finish().bytes);
        h.push_back(Load_Obj(("o" + std::to_string(i) + ".3dc").c_str()));
    }
    return h;
}

OBJ_Handle Load_Cube()
{
    MemFiles_Add("cube.3dc", HierarchyImage(CubeObjects(), CubeMaterials()).Finish().bytes);
    MemFiles_Add("cube.3dm", MaterialImage([](int, int i) { return uint16_t(i); }).Finish().bytes);
    return Load_Obj("cube.3dc");
}

Addr Rec(OBJ_Handle h) { return W_Addr(Get_Obj_Ptr(h)); }
Addr Node_A(OBJ_Handle h) { return W_GetAddr(Rec(h) + 164); }
Addr Node_B(OBJ_Handle h) { return W_GetAddr(Rec(h) + 168); }

std::vector<OBJ_Handle> Children(OBJ_Handle parent)
{
    std::vector<OBJ_Handle> out;
    for (OBJ_Handle c = Get_Obj_Child(parent); c != -1 && out.size() < 10; c = Get_Obj_Sibling(c)) {
        out.push_back(c);
    }
    return out;
}

} // namespace

TEST(ObjectTest, LinkingPrependsAndUnlinkingKeepsTheOthersInOrder)
{
    ImageArea area;
    std::vector<OBJ_Handle> o = Singles(4);
    ASSERT_EQ(Link_Obj(o[0], 0), 0);
    ASSERT_EQ(Link_Obj(o[1], 0), 0);
    ASSERT_EQ(Link_Obj(o[2], 0), 0);
    EXPECT_EQ(Children(0), (std::vector<OBJ_Handle>{o[2], o[1], o[0]}));
    EXPECT_EQ(Get_Obj_Parent(o[1]), 0);
    ASSERT_EQ(Unlink_Obj(o[1]), 0);
    EXPECT_EQ(Children(0), (std::vector<OBJ_Handle>{o[2], o[0]}));
    EXPECT_EQ(Get_Obj_Parent(o[1]), -1);
    EXPECT_EQ(Unlink_Obj(o[3]), 0); // no parent: nothing to do
    EXPECT_EQ(Get_Obj_Child(o[3]), -1); // a leaf
    EXPECT_EQ(Unlink_Obj(-1), -1);
}

TEST(ObjectTest, RelinkingMovesAChildAndLoopsAreRefused)
{
    ImageArea area;
    std::vector<OBJ_Handle> o = Singles(3);
    ASSERT_EQ(Link_Obj(o[0], 0), 0);
    ASSERT_EQ(Link_Obj(o[1], o[0]), 0);
    ASSERT_EQ(Link_Obj(o[2], o[1]), 0);
    ASSERT_EQ(Link_Obj(o[1], o[0]), 0); // the same parent again: still one child, not its own sibling
    EXPECT_EQ(Children(o[0]), (std::vector<OBJ_Handle>{o[1]}));
    ASSERT_EQ(Link_Obj(o[2], 0), 0); // moved: gone from its former parent
    EXPECT_EQ(Children(o[1]), std::vector<OBJ_Handle>{});
    EXPECT_EQ(Children(0), (std::vector<OBJ_Handle>{o[2], o[0]}));
    struct Row {
        int child, parent;
    } refused[] = {{0, 0}, {0, 1}, {-1, 1}}; // -1: the root camera
    for (const Row &r : refused) {
        OBJ_Handle c = r.child < 0 ? 0 : o[size_t(r.child)], p = o[size_t(r.parent)];
        EXPECT_EQ(Link_Obj(c, p), -1) << r.child << " under " << r.parent;
    }
    EXPECT_EQ(Children(o[0]), (std::vector<OBJ_Handle>{o[1]}));
    EXPECT_EQ(Get_Obj_Parent(o[0]), 0);
}

TEST(ObjectTest, NavigationAcrossBlocksAndBadHandles)
{
    ImageArea area;
    OBJ_Handle cube = Load_Cube();
    std::vector<OBJ_Handle> o = Singles(1);
    ASSERT_EQ(Link_Obj(o[0], cube), 0);
    EXPECT_EQ(Get_Obj_Child(cube), o[0]);
    EXPECT_EQ(Get_Obj_Sibling(o[0]), cube + 1);
    EXPECT_STREQ(Get_Obj_Name(cube + 1), "Flap");
    EXPECT_STREQ(Get_Obj_Name(-1), "Bad_Handle!");
    EXPECT_STREQ(Get_Obj_Name(cube + 2), "Bad_Handle!");
    EXPECT_EQ(Get_Obj_Count(cube), 2);
    EXPECT_EQ(Get_Obj_Count(-1), -1);
    EXPECT_EQ(Get_Table_Handle(cube + 1), cube);
    int32_t name;
    std::memcpy(&name, "Cube", 4);
    EXPECT_EQ(Get_Obj_Name_Unchecked(cube), name);
}

// Record operations accept kind-1 blocks only; a record table of another kind is a bad handle.
TEST(ObjectTest, RecordOperationsRefuseOtherKinds)
{
    ImageArea area;
    OBJ_Handle cube = Load_Cube();
    MemFiles_Add("r.3dc", RecordImage({{1, 2, 3}}).Finish().bytes);
    MemFiles_Add("t.3da", TrackImage(4, {{{{0, {0, 0, 0, 0x8000}}}, {{0, {1, 2, 3}}}}}).Finish().bytes);
    MemFiles_Add("s.3da", TrackImage(6, {{{{3, {0, 0, 0, 0x8000}}}, {{0, {10, 20, 30}}}}}).Finish().bytes);
    const OBJ_Handle cube_parent = Get_Obj_Parent(cube), cube_child = Get_Obj_Child(cube);
    int32_t m[12] = {}, v[3] = {}, out[3] = {}, radius = 0;
    const struct {
        const char *what;
        std::function<int32_t(OBJ_Handle)> op;
    } ops[] = {
        {"Link_Obj", [](OBJ_Handle h) { return Link_Obj(h, 0); }},
        {"Link_Obj as parent", [cube](OBJ_Handle h) { return Link_Obj(cube, h); }},
        {"Unlink_Obj", [](OBJ_Handle h) { return Unlink_Obj(h); }},
        {"Get_Obj_Parent", [](OBJ_Handle h) { return Get_Obj_Parent(h); }},
        {"Get_Obj_Child", [](OBJ_Handle h) { return Get_Obj_Child(h); }},
        {"Get_Obj_Sibling", [](OBJ_Handle h) { return Get_Obj_Sibling(h); }},
        {"Hide_Obj", [](OBJ_Handle h) { return Hide_Obj(h); }},
        {"Set_Obj_Flag80", [](OBJ_Handle h) { return Set_Obj_Flag80(h); }},
        {"Set_Obj_Env_Map", [](OBJ_Handle h) { return Set_Obj_Env_Map(h, 1); }},
        {"Set_Tree_Prim_Type", [](OBJ_Handle h) { return Set_Tree_Prim_Type(h, 2); }},
        {"Replace_Prim_Type", [](OBJ_Handle h) { return Replace_Prim_Type(h, 2, -3); }},
        {"Replace_Material", [](OBJ_Handle h) { return Replace_Material(h, "CUBE", "CUBE"); }},
        {"Replace_Tree_Material", [](OBJ_Handle h) { return Replace_Tree_Material(h, "CUBE", "CUBE"); }},
        {"Set_Table_Shade", [](OBJ_Handle h) { return Set_Table_Shade(h, 0x1f1f); }},
        {"Get_Obj_Matrix", [&m](OBJ_Handle h) { return Get_Obj_Matrix(h, m); }},
        {"Set_Obj_Pos", [&v](OBJ_Handle h) { return Set_Obj_Pos(h, v); }},
        {"Get_Obj_World_Pos", [&v](OBJ_Handle h) { return Get_Obj_World_Pos(h, v); }},
        {"Mirror_Point", [&v, &out](OBJ_Handle h) { return Mirror_Point(h, v, out); }},
        {"Get_Vertex", [&v](OBJ_Handle h) { return Get_Vertex(h, 0, v); }},
        {"Get_Vertex_Count", [](OBJ_Handle h) { return Get_Vertex_Count(h); }},
        {"Get_Obj_Bounds", [&v, &radius](OBJ_Handle h) { return Get_Obj_Bounds(h, v, &radius); }},
        {"Copy_Obj_Data", [cube](OBJ_Handle h) { return Copy_Obj_Data(h, cube, 0); }},
        {"Copy_Obj_Data from", [cube](OBJ_Handle h) { return Copy_Obj_Data(cube, h, 0); }},
        {"For_Each_Obj_Item", [](OBJ_Handle h) { return For_Each_Obj_Item(h, [](void *) {}); }},
    };
    for (const char *file : {"r.3dc", "t.3da", "s.3da"}) {
        OBJ_Handle h = Load_Obj(file);
        ASSERT_NE(h, -1) << file;
        for (const auto &op : ops) {
            EXPECT_EQ(op.op(h), -1) << op.what << " on " << file;
        }
        EXPECT_STREQ(Get_Obj_Name(h), "Bad_Handle!") << file;
        EXPECT_EQ(Get_Obj_Count(h), 1) << file; // any record-table kind
    }
    EXPECT_EQ(Get_Obj_Parent(cube), cube_parent); // the cube took none of the refused links
    EXPECT_EQ(Get_Obj_Child(cube), cube_child);
    EXPECT_EQ(Set_Table_Shade(-1, 0x1f1f), -1);
    EXPECT_EQ(Get_Table_Handle(-1), -1);
}

TEST(ObjectTest, FlagsAndCameras)
{
    ImageArea area;
    std::vector<OBJ_Handle> o = Singles(1);
    const uint32_t camera_flags = uint32_t(W_Get32(Rec(0) + 12));
    EXPECT_EQ(Hide_Obj(0), -1);
    EXPECT_EQ(Show_Obj(0), -1);
    EXPECT_EQ(uint32_t(W_Get32(Rec(0) + 12)), camera_flags);
    struct Row {
        int32_t (*set)(OBJ_Handle);
        int32_t (*clear)(OBJ_Handle);
        uint32_t bit;
    } rows[] = {{Hide_Obj_Tree, Show_Obj_Tree, 0x1}, {Hide_Obj, Show_Obj, 0x4}, {Set_Obj_Flag80, Clear_Obj_Flag80, 0x80}};
    for (const Row &r : rows) {
        ASSERT_EQ(r.set(o[0]), 0);
        EXPECT_EQ(uint32_t(W_Get32(Rec(o[0]) + 12)), r.bit);
        ASSERT_EQ(r.clear(o[0]), 0);
        EXPECT_EQ(W_Get32(Rec(o[0]) + 12), 0);
        EXPECT_EQ(r.set(-1), -1);
    }
    for (auto [fn, bit] : {std::pair{&Set_Obj_Env_Map, 0x800u}, std::pair{&Set_Obj_No_Build, 0x1000u}}) {
        ASSERT_EQ(fn(o[0], 1), 0);
        EXPECT_EQ(uint32_t(W_Get32(Rec(o[0]) + 12)), bit);
        ASSERT_EQ(fn(o[0], 2), 0);
        EXPECT_EQ(W_Get32(Rec(o[0]) + 12), 0);
    }
}

TEST(ObjectTest, TypeChangesThatWouldOverrunTheRecordsAreRefused)
{
    struct Row {
        int32_t from, to;
        bool changes;
    } rows[] = {
        {2, -3, true},  {-3, 2, true},  {2, 27, true},  {3, 2, true},   {23, 2, true},
        {1, 2, false},  // a texture where a colour is stored
        {2, 3, false},  // a larger edge record
        {2, 23, false}, {27, 4, true},  {2, 31, false}, {2, -16, false},
        {2, 5, true},   // a flat type no file stores reads less than the node holds
        {1, 5, true},   {3, 0, true},   {1, 13, true}, // types that are not drawn read nothing
        {22, 24, true}, {22, 30, true}, {3, 28, true}, {23, 26, true}, {3, 23, false},
    };
    for (const Row &r : rows) {
        ImageArea area;
        std::vector<ObjectSpec> objects = CubeObjects();
        objects[0].type = r.from;
        objects[1].type = 1;
        MemFiles_Add("x.3dc", HierarchyImage(objects, {{"CUBE", "", 1}, {"FLAT", "", 2}}).Finish().bytes);
        OBJ_Handle h = Load_Obj("x.3dc");
        ASSERT_NE(h, -1) << r.from;
        ASSERT_EQ(Replace_Prim_Type(h, r.from, r.to), 0);
        const int32_t expected = r.changes ? r.to : r.from;
        EXPECT_EQ(W_Get32(Node_A(h) + 4), expected) << r.from << " -> " << r.to;
        EXPECT_EQ(W_Get32(Node_B(h) + 4), expected) << r.from << " -> " << r.to;
    }
    // A node the render turned from 22 into 24 still holds 22's records: it changes on by them.
    for (const Row &r : {Row{24, 2, true}, Row{24, 21, true}, Row{24, 24, true}, Row{24, 22, true}}) {
        ImageArea area;
        std::vector<ObjectSpec> objects = CubeObjects();
        objects[0].type = 22;
        objects[1].type = 1;
        MemFiles_Add("x.3dc", HierarchyImage(objects, {{"CUBE", "", 1}, {"FLAT", "", 2}}).Finish().bytes);
        OBJ_Handle h = Load_Obj("x.3dc");
        ASSERT_EQ(Replace_Prim_Type(h, 22, 24), 0);
        ASSERT_EQ(Replace_Prim_Type(h, 24, r.to), 0);
        EXPECT_EQ(W_Get32(Node_A(h) + 4), r.changes ? r.to : 24) << "24 -> " << r.to;
    }
    // A smaller type given to a node can be taken back: the node keeps the records it was stored with.
    for (const int32_t stored : {2, 3, 22}) {
        ImageArea area;
        std::vector<ObjectSpec> objects = CubeObjects();
        objects[0].type = stored;
        objects[1].type = 1;
        MemFiles_Add("x.3dc", HierarchyImage(objects, {{"CUBE", "", 1}, {"FLAT", "", 2}}).Finish().bytes);
        OBJ_Handle h = Load_Obj("x.3dc");
        ASSERT_EQ(Replace_Prim_Type(h, stored, 27), 0);
        ASSERT_EQ(W_Get32(Node_A(h) + 4), 27) << stored;
        ASSERT_EQ(Replace_Prim_Type(h, 27, stored), 0);
        EXPECT_EQ(W_Get32(Node_A(h) + 4), stored) << "27 -> " << stored;
        EXPECT_EQ(W_Get32(Node_B(h) + 4), stored) << "27 -> " << stored;
    }
    ImageArea area;
    OBJ_Handle cube = Load_Cube();
    // The flat flap keeps its type, the textured cube changes.
    ASSERT_EQ(Set_Tree_Prim_Type(cube, -3), 0);
    EXPECT_EQ(W_Get32(Node_A(cube) + 4), -3);
    EXPECT_EQ(W_Get32(Node_A(cube + 1) + 4), 1);
    ASSERT_EQ(Replace_Tree_Prim_Type(cube, 1, 27), 0);
    EXPECT_EQ(W_Get32(Node_A(cube + 1) + 4), 27);
    EXPECT_EQ(W_Get32(Node_B(cube + 1) + 4), 1); // list B: only the starting object's nodes
    EXPECT_EQ(Replace_Prim_Type(-1, 1, 2), -1);
    EXPECT_EQ(Set_Tree_Prim_Type(-1, 2), -1);

    // A tree walk never leaves through the starting object's siblings: in the game it starts at an
    // object under the root camera, whose siblings are the rest of the scene.
    OBJ_Handle other = Load_Obj("cube.3dc");
    ASSERT_NE(other, -1);
    ASSERT_EQ(Link_Obj(other, 0), 0);
    ASSERT_EQ(Link_Obj(cube, 0), 0);
    ASSERT_EQ(Get_Obj_Sibling(cube), other);
    ASSERT_EQ(Set_Tree_Prim_Type(cube, 21), 0);
    ASSERT_EQ(Replace_Tree_Prim_Type(cube, 27, 4), 0);
    EXPECT_EQ(W_Get32(Node_A(cube) + 4), 21);
    EXPECT_EQ(W_Get32(Node_A(cube + 1) + 4), 4);
    EXPECT_EQ(W_Get32(Node_A(other) + 4), 2);
    EXPECT_EQ(W_Get32(Node_A(other + 1) + 4), 1);
}

TEST(ObjectTest, MaterialsReplacedThroughTheCacheAndTheShadeWord)
{
    ImageArea area;
    OBJ_Handle cube = Load_Cube();
    MemFiles_Add("wood.3dm", MaterialImage([](int, int) { return uint16_t(7); }).Finish().bytes);
    ASSERT_EQ(Add_Cached_File("WOOD", "wood"), 0);
    ASSERT_EQ(Replace_Tree_Material(cube, "CUBE", "WOOD"), 0);
    EXPECT_EQ(W_GetAddr(Node_A(cube) + 8), Find_Cached_File_Slot("WOOD"));
    EXPECT_STREQ(reinterpret_cast<const char *>(W_Ptr(Node_A(cube) + 12)), "WOOD");
    ASSERT_EQ(Replace_Material(cube, "WOOD", "CUBE"), 0);
    EXPECT_EQ(W_GetAddr(Node_A(cube) + 8), Find_Cached_File_Slot("CUBE"));
    EXPECT_EQ(Replace_Material(-1, "CUBE", "WOOD"), -1);
    ASSERT_EQ(Set_Table_Shade(cube, 0xFFFFFFFF), 0);
    EXPECT_EQ(W_Get32(Rec(cube) + 208), 0x1f1f);
    EXPECT_EQ(W_Get32(Rec(cube + 1) + 208), 0x1f1f);
}

TEST(ObjectTest, CameraSettersKeepTheCameraItsOwnView)
{
    ImageArea area;
    const int32_t pos[3] = {0, 0, 0x8000};
    ASSERT_EQ(Set_Obj_Pos(0, pos), 0);
    int32_t v[3];
    Get_Obj_View_Pos(0, v);
    EXPECT_EQ(v[0], 0);
    EXPECT_EQ(v[2], -0x8000);
    int32_t m[9], t[9], expected[3];
    Mat_Rotate(100, 300, 50, m);
    ASSERT_EQ(Set_Obj_Matrix(0, m), 0);
    Get_Obj_View_Matrix(0, t);
    int32_t mt[9];
    Mat_Transpose(m, mt);
    EXPECT_EQ(std::memcmp(t, mt, sizeof t), 0);
    Mat_Vec_Mul(mt, pos, expected);
    Get_Obj_View_Pos(0, v);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(v[i], -expected[i]);
    }
}

TEST(ObjectTest, WorldAndRelativeFramesUnderATurnedCamera)
{
    ImageArea area;
    std::vector<OBJ_Handle> o = Singles(2);
    Link_Obj(o[0], 0);
    int32_t cm[9], om[9];
    Mat_Rotate(0, 1024, 0, cm); // a quarter turn
    const int32_t cp[3] = {1000, 2000, 3000};
    Set_Obj_Matrix(0, cm);
    Set_Obj_Pos(0, cp);
    // What the pipeline would write: the object's camera-space frame.
    Mat_Rotate(512, 0, 0, om);
    const int32_t view_pos[3] = {100, -200, 5000};
    for (int i = 0; i < 9; i++) {
        W_Set32(Rec(o[0]) + 88 + Addr(i) * 4, om[i]);
    }
    for (int i = 0; i < 3; i++) {
        W_Set32(Rec(o[0]) + 76 + Addr(i) * 4, view_pos[i]);
    }
    int32_t m[9], expected_m[9], p[3], expected_p[3];
    ASSERT_EQ(Get_Obj_World_Matrix(o[0], m), 0);
    Mat_Mul(cm, om, expected_m);
    EXPECT_EQ(std::memcmp(m, expected_m, sizeof m), 0);
    ASSERT_EQ(Get_Obj_World_Pos(o[0], p), 0);
    Mat_Vec_Mul(cm, view_pos, expected_p);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(p[i], expected_p[i] + cp[i]);
    }
    ASSERT_EQ(Get_Obj_World_Matrix(0, m), 0);
    EXPECT_EQ(std::memcmp(m, cm, sizeof m), 0);
    ASSERT_EQ(Get_Obj_World_Pos(0, p), 0);
    EXPECT_EQ(p[1], 2000);
    // Relative to another object: its local frame in place of the camera's.
    const int32_t fp[3] = {5, 6, 7};
    Set_Obj_Pos(o[1], fp);
    ASSERT_EQ(Get_Obj_Rel_Pos(o[1], o[0], p), 0);
    EXPECT_EQ(p[0], view_pos[0] + 5);
    EXPECT_EQ(p[2], view_pos[2] + 7);
    ASSERT_EQ(Get_Obj_Rel_Matrix(o[1], o[1], m), 0);
    Mat_Identity(expected_m);
    EXPECT_EQ(std::memcmp(m, expected_m, sizeof m), 0);
}

TEST(ObjectTest, ViewSettersNeedAParent)
{
    ImageArea area;
    std::vector<OBJ_Handle> o = Singles(2);
    int32_t m[9], before[9];
    Mat_Rotate(10, 20, 30, m);
    Get_Obj_Matrix(o[1], before);
    const int32_t v[3] = {1, 2, 3};
    EXPECT_EQ(Set_Obj_View_Matrix(o[1], m), -1);
    EXPECT_EQ(Set_Obj_View_Pos(o[1], v), -1);
    int32_t after[9];
    Get_Obj_Matrix(o[1], after);
    EXPECT_EQ(std::memcmp(before, after, sizeof after), 0);
    EXPECT_EQ(Set_Obj_View_Matrix(0, m), 0); // a camera: nothing
    Link_Obj(o[1], 0);
    ASSERT_EQ(Set_Obj_View_Matrix(o[1], m), 0); // the camera's camera-space matrix is the identity
    Get_Obj_Matrix(o[1], after);
    EXPECT_EQ(std::memcmp(m, after, sizeof after), 0);
    ASSERT_EQ(Set_Obj_View_Pos(o[1], v), 0);
    int32_t p[3];
    Get_Obj_Pos(o[1], p);
    EXPECT_EQ(p[2], 3);

    // Under a turned and moved parent the parent's camera-space frame is undone: its transpose.
    Link_Obj(o[1], o[0]);
    int32_t pm[9], pt[9], expected[9];
    Mat_Rotate(300, 700, 1100, pm);
    const int32_t pp[3] = {500, -250, 4000};
    for (int i = 0; i < 9; i++) {
        W_Set32(Rec(o[0]) + 88 + Addr(i) * 4, pm[i]);
    }
    for (int i = 0; i < 3; i++) {
        W_Set32(Rec(o[0]) + 76 + Addr(i) * 4, pp[i]);
    }
    Mat_Transpose(pm, pt);
    ASSERT_EQ(Set_Obj_View_Matrix(o[1], m), 0);
    Mat_Mul(pt, m, expected);
    Get_Obj_Matrix(o[1], after);
    EXPECT_EQ(std::memcmp(expected, after, sizeof after), 0);
    const int32_t w[3] = {900, 100, 5000};
    ASSERT_EQ(Set_Obj_View_Pos(o[1], w), 0);
    const int32_t d[3] = {w[0] - pp[0], w[1] - pp[1], w[2] - pp[2]};
    int32_t q[3];
    Mat_Vec_Mul(pt, d, q);
    Get_Obj_Pos(o[1], p);
    EXPECT_EQ(std::vector<int32_t>(p, p + 3), std::vector<int32_t>(q, q + 3));
    EXPECT_NE(std::vector<int32_t>(p, p + 3), (std::vector<int32_t>{d[0], d[1], d[2]}));
}

TEST(ObjectTest, Mirrors)
{
    ImageArea area;
    std::vector<OBJ_Handle> o = Singles(1);
    const int32_t pos[3] = {0, 0, 1000};
    Set_Obj_Pos(o[0], pos);
    const int32_t point[3] = {0, 0, 0};
    int32_t out[3];
    ASSERT_EQ(Mirror_Point(o[0], point, out), 0);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[2], 2000);
    const int32_t points[9] = {0, 10, 0, 0, 0, 0, 0, 500, 1000}; // (0,0,0), (10,0,500), (0,0,1000)
    int32_t mirrored[9];
    ASSERT_EQ(Mirror_Points(o[0], points, mirrored), 0);
    EXPECT_EQ(mirrored[6], -2000);
    EXPECT_EQ(mirrored[1], -10);
    EXPECT_EQ(mirrored[7], -1500);
    EXPECT_EQ(mirrored[8], -1000);
    EXPECT_EQ(Mirror_Point(-1, point, out), -1);
}

TEST(ObjectTest, MirroringMatchesAWideReference)
{
    ImageArea area;
    std::vector<OBJ_Handle> o = Singles(1);
    struct Case {
        int32_t normal[3];
        int32_t pos[3];
        int32_t point[3];
        int32_t expected_z; // 0: only against the reference
    };
    const Case cases[] = {
        // A float product would give 127225 for q here, one more than the wide one.
        {{0, 0, 20000}, {0, 0, 341517}, {0, 0, 0}, 254448},
        {{0, 0, 32768}, {0, 0, 1000}, {0, 0, 0}, 2000},
        {{18919, 18919, 18919}, {300, -700, 1200}, {-5000, 42, 999}, 0},
        {{0, 23170, 23170}, {-80000, 123456, -654321}, {7, 8, 9}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pos[2]);
        const int32_t m[9] = {32768, 0, c.normal[0], 0, 32768, c.normal[1], 0, 0, c.normal[2]};
        ASSERT_EQ(Set_Obj_Matrix(o[0], m), 0);
        ASSERT_EQ(Set_Obj_Pos(o[0], c.pos), 0);
        int32_t out[3];
        ASSERT_EQ(Mirror_Point(o[0], c.point, out), 0);
        int64_t dot = 0;
        for (int i = 0; i < 3; i++) {
            dot += int64_t(c.pos[i] - c.point[i]) * c.normal[i];
        }
        const float k = float(double(dot) / 1073741824.0);
        for (int i = 0; i < 3; i++) {
            const int32_t q = int32_t(std::trunc(double(c.normal[i]) * double(k)));
            EXPECT_EQ(out[i], c.point[i] + 2 * q) << i;
        }
        if (c.expected_z != 0) {
            EXPECT_EQ(out[2], c.expected_z);
        }
    }
}

TEST(ObjectTest, ScalingOneRecordAndNotItsNormals)
{
    ImageArea area;
    OBJ_Handle cube = Load_Cube();
    const Addr r = Rec(cube);
    const int32_t normal_before = W_Get32(W_GetAddr(r + 152) + 8);
    const int32_t flap_x = W_Get32(Rec(cube + 1) + 28);
    const int32_t plane = W_Get32(W_GetAddr(Node_A(cube) + 32) + 68 + 48);
    const int32_t radius = W_Get32(r + 176);
    // A place and a bounding centre away from the origin, so that their scaling shows.
    const int32_t place[3] = {101, -200, 333};
    Set_Obj_Pos(cube, place);
    const int32_t centre[3] = {-7, 40, 99};
    for (int i = 0; i < 3; i++) {
        W_Set32(r + 180 + Addr(i) * 4, centre[i]);
    }
    ASSERT_EQ(Scale_Obj(cube, -0.5f, 2.0f, 3.0f), 0);
    int32_t p[3];
    Get_Obj_Pos(cube, p);
    EXPECT_EQ(p[0], -50); // truncated toward zero
    EXPECT_EQ(p[1], -400);
    EXPECT_EQ(p[2], 999);
    EXPECT_EQ(W_Get32(r + 180), 3);
    EXPECT_EQ(W_Get32(r + 184), 80);
    EXPECT_EQ(W_Get32(r + 188), 297);
    int32_t v[3];
    Get_Vertex(cube, 7, v);
    EXPECT_EQ(v[0], -128);
    EXPECT_EQ(v[1], 512);
    EXPECT_EQ(v[2], 768);
    EXPECT_EQ(W_Get32(W_GetAddr(Node_A(cube) + 32) + 68 + 48), int32_t(plane * -0.5));
    EXPECT_EQ(W_Get32(r + 176), int32_t(radius * -0.5)); // truncated toward zero
    EXPECT_EQ(W_Get32(W_GetAddr(r + 152) + 8), normal_before);
    EXPECT_EQ(W_Get32(Rec(cube + 1) + 28), flap_x);
    EXPECT_EQ(Scale_Obj(-1, 1, 1, 1), -1);
}

TEST(ObjectTest, VerticesAreBounded)
{
    ImageArea area;
    OBJ_Handle cube = Load_Cube();
    EXPECT_EQ(Get_Vertex_Count(cube), 8);
    const int32_t p[3] = {1, 2, 3};
    int32_t q[3];
    for (int32_t index : {-1, 8, 100000}) {
        EXPECT_EQ(Set_Vertex(cube, index, p), -1) << index;
        EXPECT_EQ(Get_Vertex(cube, index, q), -1) << index;
    }
    ASSERT_EQ(Set_Vertex(cube + 1, 3, p), 0); // the flap shares the cube's vertices
    ASSERT_EQ(Get_Vertex(cube, 3, q), 0);
    EXPECT_EQ(q[2], 3);
    std::vector<int32_t> all(24);
    ASSERT_EQ(Get_All_Vertices(cube, all.data()), 0);
    EXPECT_EQ(all[9 + 1], 2);
    // Every vertex in and out at once.
    std::vector<int32_t> placed(24), back(24);
    for (int i = 0; i < 24; i++) {
        placed[size_t(i)] = 1000 * (i / 3) + i % 3 - 7;
    }
    ASSERT_EQ(Set_All_Vertices(cube, placed.data()), 0);
    ASSERT_EQ(Get_All_Vertices(cube, back.data()), 0);
    EXPECT_EQ(back, placed);
    ASSERT_EQ(Get_Vertex(cube, 5, q), 0);
    EXPECT_EQ(std::vector<int32_t>(q, q + 3), std::vector<int32_t>(placed.begin() + 15, placed.begin() + 18));
    EXPECT_EQ(Set_All_Vertices(-1, placed.data()), -1);
    int32_t centre[3], radius;
    ASSERT_EQ(Get_Obj_Bounds(cube, centre, &radius), 0);
    EXPECT_EQ(radius, 444); // ceil(256 x sqrt(3))
}

TEST(ObjectTest, CopyObjectDataByMode)
{
    struct Row {
        int32_t mode;
        bool position, matrix;
    } rows[] = {{0, true, true}, {1, true, false}, {2, false, true}, {3, false, false}};
    for (const Row &r : rows) {
        ImageArea area;
        OBJ_Handle cube = Load_Cube();
        std::vector<OBJ_Handle> o = Singles(1);
        const int32_t pos[3] = {9, 9, 9};
        int32_t m[9];
        Mat_Rotate(100, 0, 0, m);
        Set_Obj_Pos(cube, pos);
        Set_Obj_Matrix(cube, m);
        Link_Obj(o[0], 0);
        // Word 192, the attached lights and the shade word, each its own value.
        for (Addr w = 192; w < 212; w += 4) {
            W_Set32(Rec(cube) + w, int32_t(0x5000 + w));
        }
        ASSERT_EQ(Copy_Obj_Data(o[0], cube, r.mode), 0);
        for (Addr w = 192; w < 212; w += 4) {
            EXPECT_EQ(W_Get32(Rec(o[0]) + w), int32_t(0x5000 + w)) << w;
        }
        int32_t p[3], mm[9];
        Get_Obj_Pos(o[0], p);
        Get_Obj_Matrix(o[0], mm);
        EXPECT_EQ(p[0] == 9, r.position) << r.mode;
        EXPECT_EQ(std::memcmp(mm, m, sizeof m) == 0, r.matrix) << r.mode;
        EXPECT_STREQ(Get_Obj_Name(o[0]), "Cube");
        EXPECT_EQ(W_GetAddr(Rec(o[0]) + 128), W_GetAddr(Rec(cube) + 128)); // shared geometry
        EXPECT_EQ(Node_A(o[0]), Node_A(cube));
        EXPECT_EQ(Get_Obj_Parent(o[0]), 0); // links stay its own
    }
}
