// Collision boxes: the per-frame update of screen corners, world corners and bounds, the walk that
// reaches them, and the box accessors.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine3d/boxes.h"
#include "engine3d/image.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "engine3d/render.h"
#include "engine3d/workarea.h"
#include "tests/support/scenes.h"

using namespace kalder_test;

namespace {

float F(const uint8_t *box, uint32_t at)
{
    float f;
    std::memcpy(&f, box + at, 4);
    return f;
}

void PutF(uint8_t *box, uint32_t at, float f) { std::memcpy(box + at, &f, 4); }

// The "boxes" scene through a camera moved and turned, rendered once.
struct BoxesTest : ::testing::Test {
    SceneArea area;
    OBJ_Handle scene = -1;
    std::vector<uint16_t> frame = std::vector<uint16_t>(640 * 480);
    // Scene objects by record index: 0 the scene root, then Crate, Pillar, Turned, Lid.
    OBJ_Handle Obj(int i) const { return scene + i; }
    void SetUp() override
    {
        scene = LoadScene(area, "boxes");
        ASSERT_GE(scene, 0);
        ASSERT_STREQ(Get_Obj_Name(Obj(4)), "Lid");
        PlaceRootCamera({120, -40, -300}, 200);
        Render_Frame(frame.data());
    }
    // Fills every box field that the update writes with NaN.
    void Spoil(OBJ_Handle h)
    {
        for (int b = 0; b < Get_Box_Count(h); b++) {
            std::memset(Get_Box(h, b) + BOX_SCREEN_X, 0xFF, BOX_SIZE - BOX_SCREEN_X);
        }
    }
    bool Updated(OBJ_Handle h)
    {
        for (int b = 0; b < Get_Box_Count(h); b++) {
            const uint8_t *box = Get_Box(h, b);
            for (int k = 0; k < 3; k++) {
                if (!(F(box, BOX_MINIMUM + 4 * k) <= F(box, BOX_MAXIMUM + 4 * k))) {
                    return false;
                }
            }
        }
        return true;
    }
};

TEST_F(BoxesTest, AnObjectWithoutBoxesIsPassedOver)
{
    // A count of 0 with a pointer that names another object's box: that box is not touched.
    const Addr root = SceneArea::Record(Obj(0));
    W_SetAddr(root + offsetof(OBJ_Record, boxes), W_Addr(Get_Box(Obj(1), 0)));
    std::vector<uint8_t> before(Get_Box(Obj(1), 0), Get_Box(Obj(1), 0) + BOX_SIZE);
    EXPECT_EQ(Update_Obj_Boxes(root, Get_Hierarchy_Record(0)), 0);
    EXPECT_EQ(std::memcmp(before.data(), Get_Box(Obj(1), 0), BOX_SIZE), 0);
}

TEST_F(BoxesTest, BoundsAreTheExactExtremesOfTheWorldCornersWhateverTheyHeld)
{
    for (const float start : {-1e30f, 1e30f, 0.0f, NAN}) {
        for (int i = 1; i <= 4; i++) {
            for (int b = 0; b < Get_Box_Count(Obj(i)); b++) {
                uint8_t *box = Get_Box(Obj(i), b);
                for (int k = 0; k < 3; k++) {
                    PutF(box, BOX_MINIMUM + 4 * k, start);
                    PutF(box, BOX_MAXIMUM + 4 * k, -start);
                }
            }
        }
        Update_All_Boxes();
        for (int i = 1; i <= 4; i++) {
            for (int b = 0; b < Get_Box_Count(Obj(i)); b++) {
                const uint8_t *box = Get_Box(Obj(i), b);
                for (int k = 0; k < 3; k++) {
                    float lo = INFINITY, hi = -INFINITY;
                    for (int c = 0; c < 8; c++) {
                        lo = std::fmin(lo, F(box, BOX_WORLD + 12 * c + 4 * k));
                        hi = std::fmax(hi, F(box, BOX_WORLD + 12 * c + 4 * k));
                    }
                    EXPECT_EQ(F(box, BOX_MINIMUM + 4 * k), lo) << i << "/" << b << " axis " << k;
                    EXPECT_EQ(F(box, BOX_MAXIMUM + 4 * k), hi) << i << "/" << b << " axis " << k;
                }
            }
        }
    }
}

// Every object below the root camera, four levels deep with siblings, from whichever camera the
// frame is rendered and whatever the objects' flags; the camera's own boxes never.
TEST_F(BoxesTest, TheWalkReachesEveryObjectBelowTheRootCameraButNotTheCamera)
{
    // The root camera given a box of its own, in fresh memory of the area.
    const Addr camera = Get_Hierarchy_Record(0);
    const Addr own = Mem_Alloc(BOX_SIZE);
    std::memcpy(W_Ptr(own), Get_Box(Obj(1), 0), BOX_SIZE);
    std::memset(W_Ptr(own) + BOX_SCREEN_X, 0xFF, BOX_SIZE - BOX_SCREEN_X);
    W_Set32(camera + offsetof(OBJ_Record, box_count), 1);
    W_SetAddr(camera + offsetof(OBJ_Record, boxes), own);
    const std::vector<uint8_t> before(W_Ptr(own), W_Ptr(own) + BOX_SIZE);

    // Whatever their flags: "Turned" and so its child are left out of the scene pass, yet updated.
    const Addr turned = SceneArea::Record(Obj(3));
    W_Set32(turned + offsetof(OBJ_Record, flags),
            W_Get32(turned + offsetof(OBJ_Record, flags)) | int32_t(OBJ_FLAG_SKIP_TREE | OBJ_FLAG_HIDDEN | OBJ_FLAG_CULLED));
    for (const OBJ_Handle from : {OBJ_Handle(0), Obj(3), Obj(4)}) {
        for (int i = 1; i <= 4; i++) {
            Spoil(Obj(i));
        }
        Render_Frame_From(from, frame.data());
        for (int i = 1; i <= 4; i++) {
            EXPECT_TRUE(Updated(Obj(i))) << Get_Obj_Name(Obj(i)) << " from " << from;
        }
        EXPECT_EQ(std::memcmp(before.data(), W_Ptr(own), BOX_SIZE), 0);
    }
}

// The turned box of "Turned" and the boxes of its child against a double-precision reference of the
// world, and the screen corners against the projection of the camera-space corners. The way into the
// camera and back out is five fixed-point products, each shifted toward minus infinity, through
// matrices whose truncated sines and cosines make each turn a little short of a rotation: three units
// at most over the scene's 1,700 units of depth.
TEST_F(BoxesTest, WorldCornersFollowTheObjectThroughTheMovedCamera)
{
    std::vector<ObjectSpec> objects;
    std::vector<MaterialSpec> materials;
    SceneSpecs("boxes", objects, materials);
    for (int i = 1; i <= 4; i++) {
        // The objects' frames are unturned: the world is the sum of the positions down the tree.
        double origin[3] = {0, 0, 0};
        for (int o = i; o > 0; o = objects[size_t(o)].parent) {
            for (int k = 0; k < 3; k++) {
                origin[k] += objects[size_t(o)].position[size_t(k)];
            }
        }
        const Addr record = SceneArea::Record(Obj(i));
        int32_t m[9], p[3];
        for (int k = 0; k < 9; k++) {
            m[k] = W_Get32(record + offsetof(OBJ_Record, cam_matrix) + 4 * Addr(k));
        }
        for (int k = 0; k < 3; k++) {
            p[k] = W_Get32(record + offsetof(OBJ_Record, cam_position) + 4 * Addr(k));
        }
        for (int b = 0; b < Get_Box_Count(Obj(i)); b++) {
            const uint8_t *box = Get_Box(Obj(i), b);
            const BoxSpec &corners = objects[size_t(i)].box_corners[size_t(b)];
            for (int c = 0; c < 8; c++) {
                int32_t local[3], v[3], x, y;
                for (int k = 0; k < 3; k++) {
                    const double reference = origin[k] + std::trunc(double(corners[size_t(c)][size_t(k)]));
                    EXPECT_NEAR(F(box, BOX_WORLD + 12 * c + 4 * k), reference, 3.0)
                        << Get_Obj_Name(Obj(i)) << " box " << b << " corner " << c << " axis " << k;
                    local[k] = int32_t(std::trunc(corners[size_t(c)][size_t(k)]));
                }
                Mat_Vec_Mul(m, local, v);
                Vec_Add(v, p, v);
                Project_Point(v, &x, &y);
                EXPECT_EQ(P_Get32(box + BOX_SCREEN_X + 4 * c), x);
                EXPECT_EQ(P_Get32(box + BOX_SCREEN_Y + 4 * c), y);
            }
        }
    }
}

// Boxes with chosen camera-space placements of one object: identity frame at the camera's origin.
struct PlacedBox : BoxesTest {
    Addr record = 0;
    uint8_t *box = nullptr;
    void SetUp() override
    {
        BoxesTest::SetUp();
        record = SceneArea::Record(Obj(1));
        const int32_t identity[9] = {0x8000, 0, 0, 0, 0x8000, 0, 0, 0, 0x8000};
        for (int k = 0; k < 9; k++) {
            W_Set32(record + offsetof(OBJ_Record, cam_matrix) + 4 * Addr(k), identity[k]);
        }
        for (int k = 0; k < 3; k++) {
            W_Set32(record + offsetof(OBJ_Record, cam_position) + 4 * Addr(k), 0);
        }
        box = Get_Box(Obj(1), 0);
    }
    void Corner(int c, float x, float y, float z)
    {
        PutF(box, BOX_CORNERS + 12 * c, x);
        PutF(box, BOX_CORNERS + 12 * c + 4, y);
        PutF(box, BOX_CORNERS + 12 * c + 8, z);
    }
};

TEST_F(PlacedBox, ACornerInTheEyesPlaneKeepsItsScreenValuesButGetsItsWorldCorner)
{
    PlaceRootCamera({0, 0, 0}, 0);
    Corner(3, 40.7f, -25.2f, 0.9f); // truncated to z = 0
    P_Set32(box + BOX_SCREEN_X + 12, 1234);
    P_Set32(box + BOX_SCREEN_Y + 12, -5678);
    Update_Obj_Boxes(record, Get_Hierarchy_Record(0));
    EXPECT_EQ(P_Get32(box + BOX_SCREEN_X + 12), 1234);
    EXPECT_EQ(P_Get32(box + BOX_SCREEN_Y + 12), -5678);
    EXPECT_EQ(F(box, BOX_WORLD + 36), 40.0f);
    EXPECT_EQ(F(box, BOX_WORLD + 40), -25.0f);
    EXPECT_EQ(F(box, BOX_WORLD + 44), 0.0f);
    EXPECT_LE(F(box, BOX_MINIMUM + 8), 0.0f);
    // The other corners lie in front of the eye and are projected.
    EXPECT_NE(P_Get32(box + BOX_SCREEN_X), 0);
}

// A corner just behind the eye and far to the side has no 32-bit projection: the processor's answer.
TEST_F(PlacedBox, AProjectionOutOfRangeGivesTheProcessorsAnswer)
{
    PlaceRootCamera({0, 0, 0}, 0);
    Corner(5, 2.0e9f, -2.0e9f, -1.0f);
    Update_Obj_Boxes(record, Get_Hierarchy_Record(0));
    EXPECT_EQ(P_Get32(box + BOX_SCREEN_X + 20), INT32_MIN);
    EXPECT_EQ(P_Get32(box + BOX_SCREEN_Y + 20), INT32_MIN);
    EXPECT_EQ(F(box, BOX_WORLD + 60), 2.0e9f);
}

TEST_F(BoxesTest, AxesAreTheCentreAndEdgeMidpointsTruncatedTowardZero)
{
    uint8_t *box = Get_Box(Obj(2), 1);
    const float corners[8][3] = {{-10.5f, 3.25f, -7.75f}, {-3.0f, 2.0f, 5.5f},  {0, 0, 0}, {7.0f, -9.0f, -0.5f},
                                 {-20.0f, 11.0f, -1.0f},  {0, 0, 0},           {4.0f, -8.5f, 1.0f}, {0, 0, 0}};
    std::memcpy(box + BOX_WORLD, corners, sizeof corners);
    int32_t centre[3], axes[9];
    ASSERT_EQ(Get_Box_Axes(Obj(2), 1, centre, axes), 0);
    // (-10.5 + 4) / 2 = -3.25, (3.25 - 8.5) / 2 = -2.625, (-7.75 + 1) / 2 = -3.375
    EXPECT_EQ(std::vector<int32_t>(centre, centre + 3), (std::vector<int32_t>{-3, -2, -3}));
    // edge 0-1: (-6.75, 2.625, -1.125); edge 0-4: (-15.25, 7.125, -4.375); edge 0-3: (-1.75, -2.875, -4.125)
    EXPECT_EQ(std::vector<int32_t>(axes, axes + 9), (std::vector<int32_t>{-6, 2, -1, -15, 7, -4, -1, -2, -4}));
}

TEST_F(BoxesTest, AccessorsRefuseAHandleWithoutObjectAndAnIndexOutOfRange)
{
    MemFiles_Add("r.3dc", RecordImage({{1, 2, 3}}).Finish().bytes);
    const OBJ_Handle records = Load_Obj("r.3dc");
    ASSERT_GE(records, 0);
    EXPECT_EQ(Get_Box_Count(Obj(2)), 2);
    EXPECT_EQ(Get_Box_Count(Obj(0)), 0);
    EXPECT_NE(Get_Box(Obj(2), 1), nullptr);
    const struct {
        OBJ_Handle h;
        int32_t index;
    } bad[] = {{-1, 0}, {records, 0}, {0x03FF0000, 0}, {Obj(2), 2}, {Obj(2), -1}, {Obj(0), 0}};
    for (const auto &c : bad) {
        int32_t centre[3] = {7, 7, 7}, axes[9] = {7, 7, 7, 7, 7, 7, 7, 7, 7};
        EXPECT_EQ(Get_Box(c.h, c.index), nullptr) << c.h << " " << c.index;
        EXPECT_EQ(Get_Box_Axes(c.h, c.index, centre, axes), -1);
        EXPECT_EQ(centre[0], 7);
        EXPECT_EQ(axes[8], 7);
        if (c.h != Obj(2) && c.h != Obj(0)) {
            EXPECT_EQ(Get_Box_Count(c.h), -1) << c.h;
        }
    }
}

} // namespace
