// The light table: adding and removing slots, intensities, attaching lights to objects, slots and
// handles that name nothing, and the per-frame move into camera space under the root camera.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "engine3d/lights.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "tests/support/scenes.h"

using namespace kalder_test;

namespace {

const int32_t kIdentity[9] = {0x8000, 0, 0, 0, 0x8000, 0, 0, 0, 0x8000};

int32_t Add_Point(int32_t x, int32_t intensity = 31)
{
    const int32_t position[3] = {x, -2 * x, 3 * x};
    return Add_Light(position, kIdentity, LIGHT_POINT, 0, 1000, intensity);
}

// The attached-light list of an object, as the record holds it.
std::vector<int> Attached(OBJ_Handle h)
{
    const Addr r = SceneArea::Record(h);
    const int32_t count = W_Get32(r + offsetof(OBJ_Record, light_count));
    std::vector<int> out;
    for (int32_t i = 0; i < count; i++) {
        out.push_back(W_Ptr(r + offsetof(OBJ_Record, lights))[i]);
    }
    return out;
}

// A scene of three objects under the root camera, each with its own record to attach lights to.
OBJ_Handle LoadThree(SceneArea &area)
{
    ObjectSpec root;
    root.name = "R";
    std::vector<ObjectSpec> objects = {root};
    for (int i = 0; i < 3; i++) {
        objects.push_back(MeshObject("O" + std::to_string(i), 0, {0, 0, 1000}, CubeMesh(50), 1, "FLAT"));
    }
    return area.Load("three.3dc", HierarchyImage(objects, {{"FLAT", "", 0x07E0}}));
}

TEST(Lights, TheTableFillsFromTheLowestFreeSlotUpToOneHundred)
{
    SceneArea area;
    for (int32_t i = 0; i < MAX_LIGHTS; i++) {
        ASSERT_EQ(Add_Point(i), i);
    }
    EXPECT_EQ(Light_Count, 100);
    std::vector<uint8_t> before(sizeof Light_Table);
    std::memcpy(before.data(), Light_Table, before.size());
    EXPECT_EQ(Add_Point(7), -1);
    EXPECT_EQ(Light_Count, 100);
    EXPECT_EQ(std::memcmp(before.data(), Light_Table, before.size()), 0) << "a refused light changed the table";

    // Slots 0..4 of a fresh table, slot 2 removed: the next light takes slot 2.
    for (int32_t i = 5; i < MAX_LIGHTS; i++) {
        Remove_Light(i);
    }
    ASSERT_EQ(Light_Count, 5);
    Remove_Light(2);
    EXPECT_EQ(Light_Count, 4);
    EXPECT_EQ(Light_Table[2].type, LIGHT_FREE);
    EXPECT_EQ(Add_Point(70), 2);
    EXPECT_EQ(Light_Table[2].position[0], 70);
    EXPECT_EQ(Add_Point(80), 5);
}

TEST(Lights, IntensityKeepsTheSignedRemainderModulo32)
{
    SceneArea area;
    const int32_t cases[][2] = {{40, 8}, {-33, -1}, {31, 31}, {32, 0}, {-32, 0}, {-5, -5}, {95, 31}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c[0]);
        const int32_t slot = Add_Point(1, c[0]);
        ASSERT_GE(slot, 0);
        EXPECT_EQ(Light_Table[slot].intensity, c[1]) << "through Add_Light";
        Set_Light_Shade(slot, 0);
        Set_Light_Shade(slot, c[0]);
        EXPECT_EQ(Light_Table[slot].intensity, c[1]) << "through Set_Light_Shade";
    }
}

TEST(Lights, SettersAndGettersCopyTheSlotsFields)
{
    SceneArea area;
    const int32_t slot = Add_Point(5);
    const int32_t position[3] = {-7, 8, -9};
    const int32_t matrix[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    Set_Light_Pos(slot, position);
    Set_Light_Matrix(slot, matrix);
    int32_t p[3] = {}, m[9] = {};
    Get_Light_Pos(slot, p);
    Get_Light_Matrix(slot, m);
    EXPECT_EQ(std::vector<int32_t>(p, p + 3), std::vector<int32_t>(position, position + 3));
    EXPECT_EQ(std::vector<int32_t>(m, m + 9), std::vector<int32_t>(matrix, matrix + 9));
}

TEST(Lights, AttachingAppendsUpToEightAndDetachingMovesTheLastIntoThePlace)
{
    SceneArea area;
    const OBJ_Handle h = LoadThree(area);
    ASSERT_GE(h, 0);
    const OBJ_Handle o = h + 1;
    for (int i = 0; i < 8; i++) {
        ASSERT_EQ(Attach_Light(10 + i, o), 0);
    }
    EXPECT_EQ(Attach_Light(50, o), 0);
    EXPECT_EQ(Attached(o), (std::vector<int>{10, 11, 12, 13, 14, 15, 16, 17})) << "a ninth light was listed";

    const OBJ_Handle p = h + 2;
    for (int light : {3, 4, 5, 6}) {
        Attach_Light(light, p);
    }
    EXPECT_EQ(Detach_Light(3, p), 0);
    EXPECT_EQ(Attached(p), (std::vector<int>{6, 4, 5})) << "the former fourth takes the first place";
    EXPECT_EQ(Detach_Light(9, p), 0);
    EXPECT_EQ(Attached(p), (std::vector<int>{6, 4, 5})) << "a light that is not attached was detached";

    // The same light twice is listed twice, and detached once at a time.
    const OBJ_Handle q = h + 3;
    Attach_Light(7, q);
    Attach_Light(8, q);
    Attach_Light(7, q);
    EXPECT_EQ(Attached(q), (std::vector<int>{7, 8, 7}));
    Detach_Light(7, q);
    EXPECT_EQ(Attached(q), (std::vector<int>{7, 8}));
    EXPECT_EQ(Attached(o).size(), 8u) << "another object's list changed";
}

// Slots outside 0..99 name no light: every operation leaves the table and the lists alone.
TEST(Lights, SlotsOutsideTheTableAndBadHandlesChangeNothing)
{
    SceneArea area;
    const OBJ_Handle h = LoadThree(area);
    ASSERT_GE(h, 0);
    ASSERT_EQ(Add_Point(1), 0);
    Attach_Light(0, h + 1);
    std::vector<uint8_t> table(sizeof Light_Table);
    std::memcpy(table.data(), Light_Table, table.size());
    const int32_t values[9] = {5, 5, 5, 5, 5, 5, 5, 5, 5};
    for (int32_t slot : {-1, 100, 255, 256, INT32_MIN}) {
        SCOPED_TRACE(slot);
        int32_t out[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
        Remove_Light(slot);
        Set_Light_Pos(slot, values);
        Set_Light_Matrix(slot, values);
        Set_Light_Shade(slot, 3);
        Get_Light_Pos(slot, out);
        Get_Light_Matrix(slot, out);
        EXPECT_EQ(out[0], 1);
        EXPECT_EQ(out[8], 9);
        EXPECT_EQ(Attach_Light(slot, h + 1), 0);
        EXPECT_EQ(Detach_Light(slot, h + 1), 0);
        EXPECT_EQ(Light_Count, 1);
        EXPECT_EQ(std::memcmp(table.data(), Light_Table, table.size()), 0);
        EXPECT_EQ(Attached(h + 1), std::vector<int>{0});
    }

    // Removing a free slot keeps the live count, so the 100-light limit stays true.
    Remove_Light(42);
    EXPECT_EQ(Light_Count, 1);
    Remove_Light(0);
    Remove_Light(0);
    EXPECT_EQ(Light_Count, 0);

    for (OBJ_Handle bad : {OBJ_Handle(-1), OBJ_Handle(0x03FF0000), OBJ_Handle(h + 4), OBJ_Handle(0x7FFF0000)}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(Attach_Light(0, bad), -1);
        EXPECT_EQ(Detach_Light(0, bad), -1);
    }
    EXPECT_EQ(Attached(h + 1), std::vector<int>{0});
}

// What XForm_Lights must give a slot: the root camera's frame applied with the library's own
// matrix operations.
void Expect_Camera_Frame(const OBJ_Light &l)
{
    const Addr root = Get_Hierarchy_Record(0);
    int32_t m[9], p[3], cm[9], cp[3];
    std::memcpy(m, W_Ptr(root + offsetof(OBJ_Record, cam_matrix)), sizeof m);
    std::memcpy(p, W_Ptr(root + offsetof(OBJ_Record, cam_position)), sizeof p);
    Mat_Mul(m, l.matrix, cm);
    Mat_Vec_Mul(m, l.position, cp);
    Vec_Add(cp, p, cp);
    EXPECT_EQ(std::vector<int32_t>(l.cam_matrix, l.cam_matrix + 9), std::vector<int32_t>(cm, cm + 9));
    EXPECT_EQ(std::vector<int32_t>(l.cam_position, l.cam_position + 3), std::vector<int32_t>(cp, cp + 3));
}

TEST(Lights, EveryLiveSlotMovesWithTheRootCameraWhicheverCameraRenders)
{
    SceneArea area;
    const OBJ_Handle h = LoadScene(area, "empty");
    ASSERT_GE(h, 0);
    int32_t turn[9];
    Mat_Rotate(300, 1200, -700, turn);
    const int32_t where[3] = {-12345, 678, -9101};
    ASSERT_EQ(Set_Obj_Matrix(0, turn), 0);
    ASSERT_EQ(Set_Obj_Pos(0, where), 0);

    // Slots 0..2, slot 0 removed: the live count is 2 and the light in slot 2 lies above it.
    int32_t tilt[9];
    Mat_Rotate(-50, 900, 2000, tilt);
    const int32_t a[3] = {-3000, 250, 7777}, b[3] = {40000, -40000, -5};
    ASSERT_EQ(Add_Point(9), 0);
    ASSERT_EQ(Add_Light(a, tilt, LIGHT_DIRECTED, 0, 500, 10), 1);
    ASSERT_EQ(Add_Light(b, kIdentity, LIGHT_POINT, 0, 500, 10), 2);
    Remove_Light(0);
    ASSERT_EQ(Light_Count, 2);
    const int32_t stale[3] = {1, 2, 3};
    std::memcpy(Light_Table[2].cam_position, stale, sizeof stale);

    // Rendered from the scene's root as a camera of its own.
    int32_t other[9];
    Mat_Rotate(1000, 0, 0, other);
    for (int i = 0; i < 9; i++) {
        W_Set32(SceneArea::Record(h) + offsetof(OBJ_Record, cam_matrix) + 4 * Addr(i), other[i]);
    }
    std::vector<uint16_t> frame(640 * 480);
    Render_Frame_From(h, frame.data());
    {
        SCOPED_TRACE("directed light in slot 1");
        Expect_Camera_Frame(Light_Table[1]);
    }
    {
        SCOPED_TRACE("point light in slot 2, above the live count");
        Expect_Camera_Frame(Light_Table[2]);
    }
    // The free slot and a slot of another type are not moved.
    Light_Table[1].type = 3;
    std::memcpy(Light_Table[0].cam_position, stale, sizeof stale);
    std::memcpy(Light_Table[1].cam_position, stale, sizeof stale);
    Render_Frame(frame.data());
    EXPECT_EQ(std::vector<int32_t>(Light_Table[0].cam_position, Light_Table[0].cam_position + 3),
              std::vector<int32_t>(stale, stale + 3));
    EXPECT_EQ(std::vector<int32_t>(Light_Table[1].cam_position, Light_Table[1].cam_position + 3),
              std::vector<int32_t>(stale, stale + 3));
    Expect_Camera_Frame(Light_Table[2]);
}

} // namespace
