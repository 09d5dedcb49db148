// The collision debug views: the near distance, the mesh wire and the handles it refuses, the sphere
// and point tests' drawings and their contact walks, and the box views with the flags they skip; then
// the two pictures.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "engine3d/boxes.h"
#include "engine3d/coll.h"
#include "engine3d/colldraw.h"
#include "engine3d/colltest.h"
#include "engine3d/image.h"
#include "engine3d/object.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "tests/support/coll_meshes.h"
#include "tests/support/gfx_pictures.h"
#include "tests/support/golden.h"
#include "tests/support/mem_file_source.h"
#include "tests/support/scenes.h"

namespace kalder_test {
namespace {

constexpr int kW = 320, kH = 240;
constexpr uint16_t kInk = 0xF81F;

// A started library on the golden scenes' view, the root camera at the origin looking along +z (focal
// 320: a point (x, y, z) lands on (160 + 320x / z, 120 + 320y / z)), and an empty collision space.
class CollDrawTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetGoldenView();
        Coll_Init();
        frame.assign(size_t(kW) * kH + 64, 0);
    }
    void TearDown() override
    {
        Coll_Free();
        OBJ_View = saved_;
    }
    OBJ_Handle LoadMesh(const CollMeshSpec &mesh)
    {
        const std::string name = "m" + std::to_string(loaded_++) + ".3di";
        MemFiles_Add(name, mesh.Bytes());
        const OBJ_Handle h = Load_Obj(name.c_str());
        EXPECT_GE(h, 0);
        Coll_Add_Mesh(h);
        return h;
    }
    OBJ_CollBody *Body(int32_t mask, Vec3 centre, int32_t radius)
    {
        OBJ_CollBody *b = Coll_Create_Body(mask);
        Coll_Set_Body_Radius(b, radius);
        Copy_Vec(b->centre, centre.data());
        Coll_Sweep_Body(b);
        return b;
    }
    uint16_t At(int x, int y) const { return frame[size_t(y * kW + x)]; }
    int Count(uint16_t colour) const
    {
        int n = 0;
        for (size_t i = 0; i < size_t(kW) * kH; i++) {
            n += frame[i] == colour;
        }
        return n;
    }
    bool Blank() const { return Count(0) == kW * kH; }
    bool GuardIntact() const
    {
        for (size_t i = size_t(kW) * kH; i < frame.size(); i++) {
            if (frame[i] != 0) {
                return false;
            }
        }
        return true;
    }

    // Taken before the area sets its view.
    OBJ_ViewParams saved_ = OBJ_View;
    SceneArea area_{7850000, kW, kH};
    std::vector<uint16_t> frame;

private:
    int loaded_ = 0;
};

TEST_F(CollDrawTest, PointsAreDrawnOnlyBeyondTheNearDistance)
{
    const int32_t beyond[3] = {0, 0, 129}, at[3] = {0, 0, 128}, behind[3] = {0, 0, -500};
    Draw_Point_3D(frame.data(), at, kInk);
    Draw_Point_3D(frame.data(), behind, kInk);
    Draw_Line_3D(frame.data(), at, beyond, kInk);
    EXPECT_TRUE(Blank());
    Draw_Point_3D(frame.data(), beyond, kInk);
    EXPECT_EQ(At(160, 120), kInk);
    EXPECT_EQ(Count(kInk), 1);

    // The root camera's placement moves the world: the same point 200 units nearer.
    PlaceRootCamera({0, 0, 200}, 0);
    const int32_t far[3] = {100, 0, 600}, near[3] = {100, 0, 300};
    frame.assign(frame.size(), 0);
    Draw_Line_3D(frame.data(), far, near, kInk);
    EXPECT_TRUE(Blank()); // 100 units from the eye: not beyond
    const int32_t farther[3] = {100, 0, 1000};
    Draw_Line_3D(frame.data(), far, farther, kInk);
    EXPECT_EQ(At(160 + 80, 120), kInk);  // 320 x 100 / 400
    EXPECT_EQ(At(160 + 40, 120), kInk);  // 320 x 100 / 800
    EXPECT_EQ(Count(kInk), 41);
}

TEST_F(CollDrawTest, MeshWireDrawsTrianglesWhollyBeyondTheNearDistance)
{
    // Two triangles side by side: one at depth 400, one reaching back to depth 100.
    CollMeshSpec mesh;
    mesh.vertices = {{-100, -50, 400}, {0, 50, 400}, {-100, 50, 400}, {50, -50, 400}, {100, 50, 100}, {50, 50, 400}};
    mesh.triangles = {{0, 1, 2}, {3, 4, 5}};
    const OBJ_Handle h = LoadMesh(mesh);
    Draw_Mesh_Wire(frame.data(), h, kInk);
    // The first triangle's corners: (80, 80), (160, 160), (80, 160).
    EXPECT_EQ(At(80, 80), kInk);
    EXPECT_EQ(At(160, 160), kInk);
    EXPECT_EQ(At(80, 160), kInk);
    EXPECT_EQ(At(120, 160), kInk);
    for (int x = 161; x < kW; x++) {
        for (int y = 0; y < kH; y++) {
            ASSERT_EQ(At(x, y), 0) << x << ", " << y;
        }
    }
    // Handles that name no live collision mesh draw nothing.
    frame.assign(frame.size(), 0);
    for (OBJ_Handle bad : {OBJ_Handle(0), OBJ_Handle(-1), OBJ_Handle(h + 65536), OBJ_Handle(0x7FFF0000)}) {
        Draw_Mesh_Wire(frame.data(), bad, kInk);
    }
    EXPECT_TRUE(Blank());
}

TEST_F(CollDrawTest, TriangleEdgesEachNeedBothEndsBeyond)
{
    CollMeshSpec mesh;
    mesh.vertices = {{-100, -50, 400}, {100, -50, 400}, {0, 50, 50}};
    mesh.triangles = {{0, 1, 2}};
    const OBJ_Handle h = LoadMesh(mesh);
    const OBJ_CollTri *tri = reinterpret_cast<const OBJ_CollTri *>(
        W_Ptr(W_GetAddr(Get_Obj_Block(h) + 20 + offsetof(OBJ_CollMesh, tris))));
    Draw_Tri_3D(frame.data(), tri, kInk);
    // Only the edge between the two far corners: (80, 80) to (240, 80).
    EXPECT_EQ(Count(kInk), 161);
    EXPECT_EQ(At(80, 80), kInk);
    EXPECT_EQ(At(240, 80), kInk);
}

// A wall facing the eye at depth 600 and a body 40 units before it: the face test's contact is the
// foot on the wall, inside the triangle.
TEST_F(CollDrawTest, SphereTestDrawsTheBoxOfTriangleAndContactAndWalksItsList)
{
    const OBJ_Handle h = LoadMesh(Wall(-200, 200, 600, -150, 150));
    (void)h;
    OBJ_CollBody *b = Body(15, {50, 0, 560}, 60);
    Draw_Sphere_Test(frame.data(), b, kInk);
    EXPECT_EQ(At(160 + 320 * 50 / 560, 120), kInk); // the centre
    // Both triangles of the wall give the box of the whole wall at depth 600 (the contact lies on it):
    // its middle lines run across the wall's middle row and column.
    EXPECT_EQ(At(160 - 320 * 200 / 600 + 1, 120), kInk);
    EXPECT_EQ(At(160 + 320 * 200 / 600 - 1, 120), kInk);
    EXPECT_EQ(At(160, 120 - 320 * 150 / 600 + 1), kInk);
    EXPECT_EQ(At(160 + 30, 120 + 30), 0);
    // The walk ran to its end, so the next one starts at the head again.
    EXPECT_NE(Coll_Next_Contact(b), nullptr);
    while (Coll_Next_Contact(b) != nullptr) {
    }
    Coll_Delete_Body(b);
    EXPECT_TRUE(GuardIntact());
}

TEST_F(CollDrawTest, PointTestDrawsTheHitOnlyWhenThereIsOne)
{
    // A floor 100 units below the eye line, from depth 300 to 900.
    const OBJ_Handle h = LoadMesh(FloorGrid(1, 1, 600, 0, 1, {-300, 100, 300}));
    const OBJ_CollTri *tri = reinterpret_cast<const OBJ_CollTri *>(
        W_Ptr(W_GetAddr(Get_Obj_Block(h) + 20 + offsetof(OBJ_CollMesh, tris))));
    const int32_t centre[3] = {40, 0, 640};
    // Mask 0x0B counts both sides; a mask with only the side the centre is not on finds no hit.
    const int32_t one_side = Face_Dist(tri, centre) > 0 ? 0x01 : 0x02;
    struct Case {
        int32_t mask;
        bool hit;
    };
    for (const Case &k : {Case{0x0B, true}, Case{0x08 | one_side, false}}) {
        frame.assign(frame.size(), 0);
        OBJ_CollBody *b = Body(k.mask, {40, 0, 640}, 150);
        Draw_Point_Test(frame.data(), b, kInk);
        EXPECT_EQ(At(160 + 320 * 40 / 640, 120), kInk) << k.mask;
        EXPECT_EQ(At(160 + 320 * 40 / 640, 120 + 320 * 100 / 640), k.hit ? 0xFF00 : 0) << k.mask;
        EXPECT_GT(Count(0xFFFF), 100) << k.mask; // the triangles' edges, always
        Coll_Delete_Body(b);
    }
    // A centre not beyond the near distance: nothing is drawn, and the walk is not started.
    frame.assign(frame.size(), 0);
    OBJ_CollBody *b = Body(0x0B, {0, 80, 100}, 300);
    Draw_Point_Test(frame.data(), b, kInk);
    EXPECT_TRUE(Blank());
    const OBJ_CollTri *first = Coll_Next_Contact2(b);
    EXPECT_NE(first, nullptr);
    while (Coll_Next_Contact2(b) != nullptr) {
    }
    Coll_Delete_Body(b);
}

// The boxes scene with screen corners written by the test: each box a square of its own.
class BoxDrawTest : public CollDrawTest {
protected:
    void SetUp() override
    {
        CollDrawTest::SetUp();
        scene = LoadScene(area_, "boxes");
        ASSERT_GE(scene, 0);
        SetGoldenView();
        int square = 0;
        for (OBJ_Handle h = scene + 1; Get_Box_Count(h) >= 0; h++) {
            for (int32_t b = 0; b < Get_Box_Count(h); b++, square++) {
                uint8_t *box = Get_Box(h, b);
                const int32_t x = 10 + square * 30, y = 10 + square * 20;
                const int32_t xs[8] = {x, x + 20, x + 20, x, x, x + 20, x + 20, x};
                const int32_t ys[8] = {y, y, y + 10, y + 10, y, y, y + 10, y + 10};
                for (int c = 0; c < 8; c++) {
                    P_Set32(box + BOX_SCREEN_X + 4 * c, xs[c]);
                    P_Set32(box + BOX_SCREEN_Y + 4 * c, ys[c]);
                }
                corner.push_back({x, y});
            }
        }
    }
    void SetFlags(OBJ_Handle h, uint32_t flags)
    {
        W_Set32(Get_Hierarchy_Record(h) + offsetof(OBJ_Record, flags), int32_t(flags));
    }
    // Which squares were drawn, by their top-left corner.
    std::vector<bool> Drawn(uint16_t colour) const
    {
        std::vector<bool> d;
        for (const auto &c : corner) {
            d.push_back(At(c[0], c[1]) == colour && At(c[0] + 20, c[1] + 10) == colour);
        }
        return d;
    }

    OBJ_Handle scene = -1;
    std::vector<std::array<int32_t, 2>> corner; // boxes: Crate 0, Pillar 1 and 2, Turned 3, Lid 4..6
};

TEST_F(BoxDrawTest, DrawBoxSkipsCulledAndNearCrossingObjectsAndRefusedHandles)
{
    Draw_Box(frame.data(), scene + 2, 1, kInk);
    EXPECT_EQ(Drawn(kInk), (std::vector<bool>{false, false, true, false, false, false, false}));
    EXPECT_EQ(Count(kInk), 2 * 21 + 2 * 9); // the square's outline: the other eight edges lie on it

    frame.assign(frame.size(), 0);
    SetFlags(scene + 1, OBJ_FLAG_CROSS_NEAR);
    SetFlags(scene + 3, OBJ_FLAG_CULLED);
    Draw_Box(frame.data(), scene + 1, 0, kInk);
    Draw_Box(frame.data(), scene + 3, 0, kInk);
    for (const auto &bad : {std::pair{scene + 2, 2}, std::pair{scene + 2, -1}, std::pair{-1, 0},
                            std::pair{scene + 99, 0}, std::pair{0x7FFF0000, 0}}) {
        Draw_Box(frame.data(), bad.first, bad.second, kInk);
    }
    EXPECT_TRUE(Blank());
}

TEST_F(BoxDrawTest, AllBoxesWalkBelowTheStartSkippingOnlyCulledObjects)
{
    SetFlags(scene + 1, OBJ_FLAG_CROSS_NEAR); // still drawn here
    SetFlags(scene + 2, OBJ_FLAG_CULLED);
    Draw_All_Boxes(frame.data(), Get_Hierarchy_Record(0));
    EXPECT_EQ(Drawn(0x00FF), (std::vector<bool>{true, false, false, true, true, true, true}));

    // From "Turned": its child only, not itself nor its siblings.
    frame.assign(frame.size(), 0);
    Draw_All_Boxes(frame.data(), Get_Hierarchy_Record(scene + 3));
    EXPECT_EQ(Drawn(0x00FF), (std::vector<bool>{false, false, false, false, true, true, true}));

    frame.assign(frame.size(), 0);
    Draw_All_Boxes(frame.data(), 0);
    Draw_Obj_Boxes(frame.data(), Get_Hierarchy_Record(scene + 2));
    EXPECT_TRUE(Blank());
}

TEST(CollDrawGolden, WireAndBoxes)
{
    const Picture wire = CollisionWirePicture();
    EXPECT_TRUE(MatchesGolden("collision-wire", wire.pixels.data(), wire.width, wire.height, false));
    const Picture boxes = BoxesWirePicture();
    EXPECT_TRUE(MatchesGolden("boxes-wire", boxes.pixels.data(), boxes.width, boxes.height, false));
}

} // namespace
} // namespace kalder_test
