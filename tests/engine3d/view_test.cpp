// The screen and viewport set-ups, the frustum they give, and the projection through them.
#include <gtest/gtest.h>

#include <cstring>

#include "engine3d/maths.h"
#include "engine3d/view.h"
#include "plat/test.h"

namespace {

struct ViewTest : ::testing::Test {
    void SetUp() override
    {
        test::Reset();
        saved = OBJ_View;
    }
    void TearDown() override { OBJ_View = saved; }
    OBJ_ViewParams saved;
};

void expect_normal(const int32_t *n, int32_t x, int32_t y, int32_t z)
{
    EXPECT_EQ(n[0], x);
    EXPECT_EQ(n[1], y);
    EXPECT_EQ(n[2], z);
}

TEST_F(ViewTest, AViewportFromAFocalFactor)
{
    EXPECT_EQ(Set_Screen_Size(640, 480), 0);
    EXPECT_EQ(Set_Viewport(640, 480, 0, 0, 640), 0);
    const OBJ_ViewParams &v = OBJ_View;
    EXPECT_EQ(v.focal_x, 640.0f);
    EXPECT_EQ(v.focal_y, 640.0f);
    EXPECT_EQ(v.aspect, 1.0f);
    EXPECT_EQ(v.centre_x, 320);
    EXPECT_EQ(v.centre_y, 240);
    EXPECT_EQ(v.near_clip, 128);
    EXPECT_EQ(v.far_clip, 65000);
    expect_normal(v.normals[0], -29308, 0, -14654);
    expect_normal(v.normals[1], 29308, 0, -14654);
    expect_normal(v.normals[2], 0, -30681, -11505);
    expect_normal(v.normals[3], 0, 30681, -11505);
    EXPECT_EQ(v.x_slope, -16384);
    EXPECT_EQ(v.y_slope, -12288);
    EXPECT_EQ(v.bytes_per_pixel, 2);
    EXPECT_EQ(v.row_bytes, 1280);
    EXPECT_EQ(v.row_pitch, 640);
    EXPECT_EQ(v.view_start, 0);

    // The factor is the focal length of a 640-pixel-wide view; the aspect follows the rectangle.
    Set_Viewport(320, 200, 0, 0, 640);
    EXPECT_EQ(OBJ_View.focal_x, 320.0f);
    EXPECT_FLOAT_EQ(OBJ_View.aspect, 200 * 4.0f / (320 * 3.0f));
    EXPECT_FLOAT_EQ(OBJ_View.focal_y, 320.0f * OBJ_View.aspect);
}

TEST_F(ViewTest, TheGamesOwnSetUp)
{
    Set_Screen_Size(640, 480);
    Set_Viewport_Fov(640, 480, 0, 0, 76.36f);
    EXPECT_EQ(OBJ_View.focal_x, 407.44016f);
    EXPECT_EQ(OBJ_View.focal_y, OBJ_View.focal_x);
    EXPECT_EQ(OBJ_View.x_slope, -25763);
    EXPECT_EQ(OBJ_View.y_slope, -19322);
    EXPECT_EQ(OBJ_View.near_clip, 128);
    EXPECT_EQ(OBJ_View.far_clip, 65000);
    Set_Far_Clip(20000);
    Set_Near_Clip(64);
    EXPECT_EQ(OBJ_View.far_clip, 20000);
    EXPECT_EQ(OBJ_View.near_clip, 64);

    // Letterboxed: three quarters of the height, an eighth down. The aspect is the screen's.
    Set_Viewport_Fov(640, 360, 0, 60, 76.36f);
    EXPECT_EQ(OBJ_View.aspect, 1.0f);
    EXPECT_EQ(OBJ_View.focal_y, OBJ_View.focal_x);
    EXPECT_EQ(OBJ_View.view_start, 60 * 640);
    EXPECT_EQ(OBJ_View.centre_y, 240);
    EXPECT_EQ(OBJ_View.near_clip, 128); // every viewport set-up starts the clip distances afresh
    EXPECT_EQ(OBJ_View.far_clip, 65000);
}

TEST_F(ViewTest, FieldOfViewToFocalLength)
{
    Set_Screen_Size(640, 480);
    Set_Viewport_Fov(640, 480, 0, 0, 90.0f);
    EXPECT_NEAR(OBJ_View.focal_x, 320.5f, 0.001f);

    // Out of 1..179 degrees the field is held at the nearest end.
    struct Case {
        float fov, same_as;
    };
    const Case cases[] = {{0.0f, 1.0f}, {-30.0f, 1.0f}, {180.0f, 179.0f}, {400.0f, 179.0f}};
    for (const Case &c : cases) {
        Set_Viewport_Fov(640, 480, 0, 0, c.same_as);
        float expected = OBJ_View.focal_x;
        Set_Viewport_Fov(640, 480, 0, 0, c.fov);
        EXPECT_EQ(OBJ_View.focal_x, expected) << c.fov;
        EXPECT_GT(OBJ_View.focal_x, 0.0f) << c.fov;
    }
}

TEST_F(ViewTest, RectanglesCentresAndLimits)
{
    Set_Screen_Size(640, 480);
    Set_Viewport(640, 360, 0, 60, 640);
    EXPECT_EQ(OBJ_View.view_start, 60 * 640);
    Set_Viewport(321, 201, 1, 1, 640);
    EXPECT_EQ(OBJ_View.centre_x, 161);
    EXPECT_EQ(OBJ_View.centre_y, 101);

    // The rasteriser has 1024 rows: a view never reaches below row 1023.
    Set_Viewport(640, 2000, 0, 100, 640);
    EXPECT_EQ(OBJ_View.view_height, 923);
    Set_Viewport_Fov(640, 1024, 0, 0, 60.0f);
    EXPECT_EQ(OBJ_View.view_height, 1023);

    // A huge factor does not overflow the product with the width.
    Set_Viewport(640, 480, 0, 0, 0x7FFFFFFF);
    EXPECT_EQ(OBJ_View.focal_x, float(0x7FFFFFFF));

    Set_Near_Clip(0);
    EXPECT_EQ(OBJ_View.near_clip, 1);
    Set_Near_Clip(-40);
    EXPECT_EQ(OBJ_View.near_clip, 1);
}

TEST_F(ViewTest, AScreenOfNoSizeIsIgnored)
{
    Set_Screen_Size(640, 480);
    Set_Viewport(640, 480, 0, 0, 640);
    const OBJ_ViewParams before = OBJ_View;
    const int32_t sizes[][2] = {{0, 480}, {640, 0}, {-640, 480}, {640, -1}};
    for (const auto &s : sizes) {
        EXPECT_EQ(Set_Screen_Size(s[0], s[1]), 0);
        EXPECT_EQ(std::memcmp(&OBJ_View, &before, sizeof before), 0) << s[0] << "x" << s[1];
    }
    Set_Screen_Size(320, 200);
    EXPECT_EQ(OBJ_View.row_pitch, 320);
    EXPECT_FLOAT_EQ(OBJ_View.aspect, 200 * 4.0f / (320 * 3.0f));
}

TEST_F(ViewTest, ProjectionTruncatesTowardZero)
{
    Set_Screen_Size(640, 480);
    Set_Viewport(640, 480, 0, 0, 640);
    struct Case {
        int32_t p[3];
        int32_t x, y;
    };
    const Case cases[] = {
        {{100, 50, 1000}, 384, 272},
        {{1, -1, 1000}, 320, 239},                        // 320.64 and 239.36
        {{-1001, -1000, 1000}, -320, -400},               // -320.64: toward zero, not down
        {{5, 5, 0}, INT32_MIN, INT32_MIN},                // z = 0: the processor's answer, no trap
        {{0, 0, 0}, INT32_MIN, INT32_MIN},                // 0 / 0
        {{2000000000, 0, 1}, INT32_MIN, 240},             // out of range
    };
    for (const Case &c : cases) {
        int32_t x = 7, y = 7;
        Project_Point(c.p, &x, &y);
        EXPECT_EQ(x, c.x) << c.p[0] << "," << c.p[1] << "," << c.p[2];
        EXPECT_EQ(y, c.y) << c.p[0] << "," << c.p[1] << "," << c.p[2];
    }

    // Back from the screen onto a camera-space height, and forward again.
    int32_t p[3];
    Unproject_At_Y(25, 50, 100, p);
    EXPECT_EQ(p[0], 50);
    EXPECT_EQ(p[1], 100);
    EXPECT_EQ(p[2], 1280);
    int32_t x, y;
    Project_Point(p, &x, &y);
    EXPECT_EQ(x, 320 + 25);
    EXPECT_EQ(y, 240 + 50);
    Unproject_At_Y(25, 0, 100, p); // a y offset of 0: no trap
    EXPECT_EQ(p[2], INT32_MIN);
}

TEST_F(ViewTest, SetUpWithoutAFocalLengthStaysDefined)
{
    // A viewport of no width has focal 0: the slopes divide by 0 and come out as the processor's value.
    Set_Screen_Size(640, 480);
    Set_Viewport(0, 480, 0, 0, 640);
    EXPECT_EQ(OBJ_View.focal_x, 0.0f);
    EXPECT_EQ(OBJ_View.x_slope, INT32_MIN);
    expect_normal(OBJ_View.normals[0], 0, 0, 0);
}

TEST_F(ViewTest, FileMagicAndVersion)
{
    struct Case {
        int32_t magic, version, result;
    };
    const Case cases[] = {
        {0x43443346, 450, 0},
        {0x43443346, 449, -1},
        {0x43443346, 451, -1},
        {0x46334443, 450, -1}, // the bytes the other way round
        {0, 0, -1},
        {-1, 450, -1},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Check_3DC_Magic(c.magic, c.version), c.result) << std::hex << c.magic << " " << std::dec << c.version;
    }
    int32_t magic;
    std::memcpy(&magic, "F3DC", 4);
    EXPECT_EQ(Check_3DC_Magic(magic, 450), 0);
}

} // namespace
