// Texture coordinates from the geometry, face planes from the vertices, and faces judged by winding.
#include <gtest/gtest.h>

#include <vector>

#include "engine3d/mapping.h"
#include "engine3d/object.h"
#include "engine3d/render.h"
#include "engine3d/setup.h"
#include "tests/support/scene_builder.h"

using namespace kalder_test;

namespace {

std::vector<int32_t> Seen_At_Build;

Addr Item(Addr face, int k) { return W_GetAddr(face + offsetof(OBJ_Face, uv) + 4 * Addr(k)); }
Addr First_Face(Addr rec) { return W_GetAddr(W_GetAddr(rec + offsetof(OBJ_Record, prims_a)) + offsetof(OBJ_PrimNode, faces)); }

struct MappingTest : ::testing::Test {
    void TearDown() override { Render_Settings.build_obj = Build_Prims; }
    std::vector<uint16_t> frame = std::vector<uint16_t>(640 * 480);
};

// A face of three vertices whose normals point right, up and left, facing the camera.
ObjectSpec Fan(const std::string &name, int parent, uint32_t flags)
{
    ObjectSpec o;
    o.name = name;
    o.parent = parent;
    o.flags = flags;
    o.type = 2;
    o.material = "M";
    o.vertices = {{200, 0, 0}, {0, -200, 0}, {-200, 0, 0}};
    o.faces = {{0, 1, 2}};
    return o;
}

TEST_F(MappingTest, EnvironmentCoordinatesComeFromTheParentsCameraMatrixAfterTheSetUp)
{
    const int32_t quarter[9] = {0, -0x8000, 0, 0x8000, 0, 0, 0, 0, 0x8000};
    const int32_t back[9] = {0, 0x8000, 0, -0x8000, 0, 0, 0, 0, 0x8000};
    struct Case {
        const char *what;
        bool turned; // under a parent turned a quarter, itself turned back
        int32_t uv[3][2];
    };
    const Case cases[] = {
        {"under the root camera", false, {{0x1000000, 0x800000}, {0x800000, 0}, {0, 0x800000}}},
        {"under a turned parent", true, {{0x800000, 0x1000000}, {0x1000000, 0x800000}, {0x800000, 0}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SceneArea area;
        OBJ_Handle h;
        if (c.turned) {
            ObjectSpec parent;
            parent.name = "P";
            parent.position = {0, 0, 1000};
            h = area.Load("env.3dc", HierarchyImage({parent, Fan("O", 0, 0x0800)}, {{"M", "", 1}})) + 1;
            ASSERT_EQ(Set_Obj_Matrix(h - 1, quarter), 0);
            ASSERT_EQ(Set_Obj_Matrix(h, back), 0);
        } else {
            ObjectSpec o = Fan("O", -1, 0x0800);
            o.position = {0, 0, 1000};
            h = area.Load("env.3dc", HierarchyImage({o}, {{"M", "", 1}}));
        }
        const Addr face = First_Face(SceneArea::Record(h));
        Seen_At_Build.clear();
        Render_Settings.build_obj = [](Addr rec) {
            if (W_GetAddr(rec + offsetof(OBJ_Record, prims_a)) != 0) {
                Seen_At_Build.push_back(W_Get32(Item(First_Face(rec), 0)));
            }
        };
        Render_Frame(frame.data());
        ASSERT_EQ(nb_faces_drawn, 1);
        for (int k = 0; k < 3; k++) {
            EXPECT_EQ(W_Get32(Item(face, k)), c.uv[k][0]) << k;
            EXPECT_EQ(W_Get32(Item(face, k) + 4), c.uv[k][1]) << k;
        }
        // The set-up of a frame reads the coordinates of the frame before.
        Render_Frame(frame.data());
        EXPECT_EQ(Seen_At_Build, (std::vector<int32_t>{0, c.uv[0][0]}));
    }
}

TEST_F(MappingTest, ScreenMappingSpreadsTheScreenOverTheMap)
{
    SceneArea area;
    ObjectSpec o = Fan("O", -1, 0);
    o.position = {0, 0, 1000};
    o.vertices[0] = {0, 0, 0}; // at the centre of the screen
    const OBJ_Handle h = area.Load("scr.3dc", HierarchyImage({o}, {{"M", "", 1}}));
    const Addr rec = SceneArea::Record(h);
    Render_Frame(frame.data());
    Build_Obj_Screen_Mapping(rec);
    const Addr face = First_Face(rec);
    // 320 x 255 x 65536 overflows 32 bits; 320 / 640 of the map is 127.5 texels.
    EXPECT_EQ(W_Get32(Item(face, 0)), 8355840);
    EXPECT_EQ(W_Get32(Item(face, 0) + 4), 8355840);
    const Addr v2 = W_GetAddr(face + offsetof(OBJ_Face, v2));
    const int32_t x2 = W_Get32(v2 + offsetof(OBJ_Vertex, screen_x));
    EXPECT_EQ(W_Get32(Item(face, 2)), int32_t(int64_t(x2) * 255 * 65536 / 640));
}

TEST_F(MappingTest, QuadScreenCoordinatesInTheirOrderAndRefusals)
{
    SceneArea area;
    ObjectSpec root;
    root.name = "R";
    ObjectSpec quad;
    quad.name = "Q";
    quad.parent = 0;
    quad.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    ObjectSpec target = Fan("T", 0, 0);
    target.vertices.push_back({0, 200, 0});
    target.faces = {{0, 1, 2}, {0, 2, 3}}; // six items
    ObjectSpec small = Fan("S", 0, 0);     // three items
    ObjectSpec tri;
    tri.name = "V";
    tri.parent = 0;
    tri.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}};
    const OBJ_Handle h = area.Load("quad.3dc", HierarchyImage({root, quad, target, small, tri}, {{"M", "", 1}}));
    const Addr q = SceneArea::Record(h + 1);
    const int32_t screen[4][2] = {{10, 20}, {-30, 40}, {50, -60}, {70, 80}};
    for (int i = 0; i < 4; i++) {
        const Addr v = W_GetAddr(q + offsetof(OBJ_Record, vertices)) + Addr(i) * 40;
        W_Set32(v + offsetof(OBJ_Vertex, screen_x), screen[i][0]);
        W_Set32(v + offsetof(OBJ_Vertex, screen_y), screen[i][1]);
    }
    ASSERT_EQ(Map_Quad_Screen_UV(h + 1, h + 2), 0);
    const Addr items = W_GetAddr(SceneArea::Record(h + 2) + offsetof(OBJ_Record, items));
    const int order[6] = {0, 2, 3, 0, 3, 1};
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(W_Get32(items + Addr(i) * 8), screen[order[i]][0] * 65536) << i;
        EXPECT_EQ(W_Get32(items + Addr(i) * 8 + 4), screen[order[i]][1] * 65536) << i;
    }

    const Addr small_items = W_GetAddr(SceneArea::Record(h + 3) + offsetof(OBJ_Record, items));
    const std::vector<uint8_t> before(W_Ptr(small_items), W_Ptr(small_items) + 24);
    struct Case {
        const char *what;
        OBJ_Handle source, target;
    };
    const Case refusals[] = {
        {"a target of three items", h + 1, h + 3},
        {"a source of three vertices", h + 4, h + 3},
        {"a source without vertices", h, h + 3},
        {"a bad source", -1, h + 3},
        {"a bad target", h + 1, h + 9},
    };
    for (const Case &c : refusals) {
        EXPECT_EQ(Map_Quad_Screen_UV(c.source, c.target), -1) << c.what;
    }
    EXPECT_EQ(std::vector<uint8_t>(W_Ptr(small_items), W_Ptr(small_items) + 24), before);
}

TEST_F(MappingTest, FacePlanesReproduceTheBuildersAndHidingMarksTheSameTypes)
{
    struct Case {
        const char *what;
        int32_t type;
        std::vector<Vec3> vertices;
        bool planes; // the type carries planes
    };
    const Case cases[] = {
        {"small, flat", 1, {{0, 0, 0}, {100, 7, -3}, {11, 250, 40}}, true},
        {"small, textured", 26, {{-5, 9, 13}, {300, -20, 7}, {-40, 180, -90}}, true},
        {"beyond 65536", 2, {{100000, 70000, 200000}, {-90000, 300000, 150000}, {120000, -80000, -250000}}, true},
        {"far off the origin", 4, {{2000000, 2000000, 2000000}, {2000100, 2000000, 2000000}, {2000000, 2000100, 2000050}}, true},
        {"a type without planes", 17, {{0, 0, 0}, {100, 0, 0}, {0, 100, 0}}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SceneArea area;
        ObjectSpec o;
        o.name = "O";
        o.type = c.type;
        o.material = "M";
        o.vertices = c.vertices;
        o.faces = {{0, 1, 2}};
        const OBJ_Handle h = area.Load("planes.3dc", HierarchyImage({o}, {{"M", "", 1}}));
        const Addr rec = SceneArea::Record(h);
        const Addr face = First_Face(rec);
        const Addr normal = W_GetAddr(face + offsetof(OBJ_Face, normal));
        Vec3 n;
        int32_t plane;
        Face_Plane(c.vertices[0], c.vertices[1], c.vertices[2], &n, &plane);
        for (int k = 0; k < 3; k++) {
            W_Set32(normal + 4 * Addr(k), 12345);
        }
        W_Set32(face + offsetof(OBJ_Face, plane), 12345);
        W_Set32(normal + 12, 777);
        ASSERT_EQ(Compute_Face_Planes(h), 0);
        if (c.planes) {
            EXPECT_EQ((Vec3{W_Get32(normal), W_Get32(normal + 4), W_Get32(normal + 8)}), n);
            EXPECT_EQ(W_Get32(face + offsetof(OBJ_Face, plane)), plane);
        } else {
            EXPECT_EQ(W_Get32(normal), 12345);
            EXPECT_EQ(W_Get32(face + offsetof(OBJ_Face, plane)), 12345);
        }
        EXPECT_EQ(W_Get32(normal + 12), 777); // the eye product is the frame's
        ASSERT_EQ(Hide_Obj_Faces(h), 0);
        EXPECT_EQ(W_Get32(face) & 0x08, c.planes ? 0x08 : 0);
    }
    EXPECT_EQ(Compute_Face_Planes(-1), -1);
    EXPECT_EQ(Hide_Obj_Faces(0x05000000), -1);
}

} // namespace
