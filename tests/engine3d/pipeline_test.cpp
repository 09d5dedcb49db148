// The per-object pipeline: camera frames, sphere culling, vertex classification, free vertices, face
// culling and projection.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/fconv.h"
#include "engine3d/mapping.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "engine3d/pipeline.h"
#include "engine3d/raster.h"
#include "engine3d/render.h"
#include "engine3d/setup.h"
#include "engine3d/view.h"
#include "tests/support/scene_builder.h"

using namespace kalder_test;

namespace {

std::vector<std::string> Built;

std::string Name(Addr record)
{
    const char *name = reinterpret_cast<const char *>(W_Ptr(record));
    return std::string(name, strnlen(name, 12));
}

struct PipelineTest : ::testing::Test {
    void SetUp() override
    {
        Built.clear();
        Render_Settings.build_obj = [](Addr record) { Built.push_back(Name(record)); };
    }
    void TearDown() override { Render_Settings.build_obj = Build_Prims; }

    std::vector<uint16_t> frame = std::vector<uint16_t>(640 * 480);
};

void Set_Words(Addr a, std::initializer_list<int32_t> words)
{
    for (int32_t w : words) {
        W_Set32(a, w);
        a += 4;
    }
}

std::array<int32_t, 3> Words3(Addr a) { return {W_Get32(a), W_Get32(a + 4), W_Get32(a + 8)}; }

Addr Vertex(Addr record, int i) { return W_GetAddr(record + offsetof(OBJ_Record, vertices)) + Addr(i) * 40; }
uint32_t Vertex_Flags(Addr record, int i) { return uint32_t(W_Get32(Vertex(record, i))); }
float Camera(Addr record, int i, int k)
{
    float f;
    std::memcpy(&f, W_Ptr(Vertex(record, i) + 16 + 4 * Addr(k)), 4);
    return f;
}
void Set_Camera(Addr record, int i, float x, float y, float z)
{
    const float c[3] = {x, y, z};
    std::memcpy(W_Ptr(Vertex(record, i) + 16), c, 12);
}

// One object under a root, loaded under the camera; returns the object's handle.
OBJ_Handle Load_One(SceneArea &area, const ObjectSpec &object)
{
    ObjectSpec root;
    root.name = "R";
    ObjectSpec o = object;
    o.parent = 0;
    OBJ_Handle h = area.Load("one.3dc", HierarchyImage({root, o}, {{"M", "", 1}}));
    return h < 0 ? h : h + 1;
}

TEST_F(PipelineTest, CameraFramesTruncateTowardZeroWhereTheCentreAddsBeforeTruncating)
{
    SceneArea area;
    ObjectSpec o;
    o.name = "O";
    o.position = {-3, -5, 7};
    const Addr rec = SceneArea::Record(Load_One(area, o));
    const Addr parent = W_GetAddr(rec + offsetof(OBJ_Record, parent));
    // Half-scale rows: the sums are -1.5, -2.5 and 3.5 units.
    Set_Words(parent + offsetof(OBJ_Record, cam_matrix), {0x4000, 0, 0, 0, 0x4000, 0, 0, 0, 0x4000});
    Set_Words(parent + offsetof(OBJ_Record, cam_position), {100, -100, 1000});
    XForm_Obj(rec);
    EXPECT_EQ(Words3(rec + offsetof(OBJ_Record, cam_position)), (std::array<int32_t, 3>{99, -102, 1003}));
    EXPECT_EQ(W_Get32(rec + offsetof(OBJ_Record, cam_matrix)), 0x4000);

    // The sphere's centre: trunc(130 - 1.5) = 128 lies on the near plane, so a point sphere is culled;
    // trunc(-1.5) + 130 = 129 would not be.
    Set_Words(rec + offsetof(OBJ_Record, cam_matrix), {0x4000, 0, 0, 0, 0x4000, 0, 0, 0, 0x4000});
    Set_Words(rec + offsetof(OBJ_Record, cam_position), {0, 0, 130});
    Set_Words(rec + offsetof(OBJ_Record, centre), {0, 0, -3});
    W_Set32(rec + offsetof(OBJ_Record, radius), 0);
    Cull_Obj(rec);
    EXPECT_EQ(W_Get32(rec + offsetof(OBJ_Record, flags)) & 0x0008, 0x0008);
    Set_Words(rec + offsetof(OBJ_Record, cam_position), {0, 0, 131});
    Cull_Obj(rec);
    EXPECT_EQ(W_Get32(rec + offsetof(OBJ_Record, flags)) & 0x0008, 0);
}

TEST_F(PipelineTest, SphereCulling)
{
    SceneArea area;
    ObjectSpec o;
    o.name = "O";
    const Addr rec = SceneArea::Record(Load_One(area, o));
    struct Case {
        const char *what;
        uint32_t flags;
        std::array<int32_t, 3> centre;
        int32_t radius;
        uint32_t expected;
    };
    // Every plane that a sphere lies inside of marks it 0x0020 too.
    const Case cases[] = {
        {"inside", 0, {0, 0, 1000}, 100, 0x20},
        {"only 0x1891 survives", 0xFFFF & ~0x0080u, {0, 0, 1000}, 100, 0x1811 | 0x20},
        {"beyond left", 0, {-3000, 0, 1000}, 100, 0x28},
        {"beyond right", 0, {3000, 0, 1000}, 100, 0x28},
        {"beyond top", 0, {0, -3000, 1000}, 100, 0x28},
        {"beyond bottom", 0, {0, 3000, 1000}, 100, 0x28},
        {"across the left plane", 0, {-800, 0, 1000}, 200, 0x20},
        {"straddling near from beyond", 0, {0, 0, 150}, 50, 0x60},
        {"straddling near from before", 0, {0, 0, 100}, 50, 0x60},
        {"wholly before near", 0, {0, 0, 100}, 10, 0x28},
        {"straddling far from before", 0, {0, 0, 64950}, 100, 0x60},
        {"straddling far from beyond", 0, {0, 0, 65050}, 100, 0x60},
        {"wholly beyond far", 0, {0, 0, 70000}, 100, 0x28},
        {"wholly beyond far, never far-culled", 0x80, {0, 0, 70000}, 100, 0xA0},
        {"a sky object far beyond", 0x80, {1000000, -500000, 3000000}, 100000, 0xA0},
        {"a sky object beside the view", 0x80, {-5000000, 0, 3000000}, 100000, 0xA8},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        W_Set32(rec + offsetof(OBJ_Record, flags), int32_t(c.flags));
        Set_Words(rec + offsetof(OBJ_Record, cam_matrix), {0x8000, 0, 0, 0, 0x8000, 0, 0, 0, 0x8000});
        Set_Words(rec + offsetof(OBJ_Record, cam_position), {c.centre[0], c.centre[1], c.centre[2]});
        Set_Words(rec + offsetof(OBJ_Record, centre), {0, 0, 0});
        W_Set32(rec + offsetof(OBJ_Record, radius), c.radius);
        Cull_Obj(rec);
        EXPECT_EQ(uint32_t(W_Get32(rec + offsetof(OBJ_Record, flags))), c.expected);
    }
}

TEST_F(PipelineTest, VertexClassification)
{
    SceneArea area;
    struct Case {
        const char *what;
        std::array<int32_t, 3> v;
        uint32_t stored, object;
        uint32_t verts, free_verts; // flags after XForm_Verts; after XForm_Free_Verts (free only)
    };
    const Case cases[] = {
        {"ahead", {0, 0, 1000}, 0, 0, 0x00, 0},
        {"free, ahead", {0, 0, 1000}, 0x80, 0, 0xC0, 0x80},
        {"nearer than near", {0, 0, 100}, 0x80, 0, 0x90, 0x90},
        {"at the near plane", {0, 0, 128}, 0, 0, 0x00, 0},
        {"left", {-2000, 0, 1000}, 0, 0, 0x02, 0},
        {"right", {2000, 0, 1000}, 0, 0, 0x01, 0},
        {"above", {0, -2000, 1000}, 0, 0, 0x04, 0},
        {"below", {0, 2000, 1000}, 0, 0, 0x08, 0},
        {"at far", {0, 0, 65000}, 0x80, 0, 0xE0, 0x80},
        {"beyond far", {0, 0, 65001}, 0x80, 0, 0xE0, 0xA0},
        {"beyond far, never far-culled", {0, 0, 65001}, 0x80, 0x80, 0xC0, 0xA0},
        // Beyond about 83,000 a 32-bit product of depth and slope would wrap.
        {"far beyond, in view", {0, 0, 150000}, 0x80, 0x80, 0xC0, 0xA0},
        {"far beyond, left", {-300000, 0, 150000}, 0x80, 0x80, 0xC2, 0xA2},
        {"far beyond, below", {0, 300000, 150000}, 0x80, 0x80, 0xC8, 0xA8},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ObjectSpec o;
        o.name = "O";
        o.flags = c.object;
        o.vertices = {c.v};
        o.vertex_flags = {c.stored | 0x3F}; // stale bits of an earlier frame
        const Addr rec = SceneArea::Record(Load_One(area, o));
        XForm_Tree(0);
        XForm_Verts(rec);
        EXPECT_EQ(Vertex_Flags(rec, 0), c.verts);
        EXPECT_EQ(Camera(rec, 0, 2), float(c.v[2]));
        if (c.stored == 0x80) {
            XForm_Free_Verts(rec);
            EXPECT_EQ(Vertex_Flags(rec, 0), c.free_verts);
        }
    }
}

TEST_F(PipelineTest, ScreenEdgesOfTheProjection)
{
    SceneArea area;
    ObjectSpec o;
    o.name = "O";
    o.vertices.assign(8, {0, 0, 1000});
    const Addr rec = SceneArea::Record(Load_One(area, o));
    const float fx = OBJ_View.focal_x, fy = OBJ_View.focal_y;
    // Camera positions that land half a pixel past a screen column or row: x = (column - centre + 0.5) z / f.
    auto at_x = [&](int column) { return (float(column - OBJ_View.centre_x) + 0.5f) * 1000.0f / fx; };
    auto at_y = [&](int row) { return (float(row - OBJ_View.centre_y) + 0.5f) * 1000.0f / fy; };
    struct Case {
        float x, y;
        int32_t sx, sy;
        uint32_t flags;
    };
    const Case cases[] = {
        {at_x(0), at_y(1), 0, 1, 0x40},        // x = viewport x is not left
        {at_x(-2), at_y(1), -1, 1, 0x42},
        {at_x(5), at_y(0), 5, 0, 0x44},        // y = viewport y is above
        {at_x(640), at_y(480), 640, 480, 0x40}, // the far edges are inside
        {at_x(641), at_y(481), 641, 481, 0x49},
    };
    for (int i = 0; i < 5; i++) {
        Set_Camera(rec, i, cases[i].x, cases[i].y, 1000.0f);
        W_Set32(Vertex(rec, i), int32_t(0x40 | 0x0F)); // stale screen bits go
    }
    W_Set32(Vertex(rec, 5), 0x01); // not marked: not touched
    Set_Camera(rec, 5, 0, 0, 1000.0f);
    std::vector<uint8_t> untouched(W_Ptr(Vertex(rec, 5)), W_Ptr(Vertex(rec, 5)) + 40);
    nb_verts_projected = 0;
    Project_Verts(rec);
    for (int i = 0; i < 5; i++) {
        SCOPED_TRACE(i);
        const Addr v = Vertex(rec, i);
        EXPECT_EQ(W_Get32(v + offsetof(OBJ_Vertex, screen_x)), cases[i].sx);
        EXPECT_EQ(W_Get32(v + offsetof(OBJ_Vertex, screen_y)), cases[i].sy);
        EXPECT_EQ(Vertex_Flags(rec, i), cases[i].flags);
        float inverse;
        std::memcpy(&inverse, W_Ptr(v + offsetof(OBJ_Vertex, inverse_depth)), 4);
        EXPECT_EQ(inverse, 1073741824.0f / 1000.0f);
    }
    EXPECT_EQ(std::vector<uint8_t>(W_Ptr(Vertex(rec, 5)), W_Ptr(Vertex(rec, 5)) + 40), untouched);
    EXPECT_EQ(nb_verts_projected, 5);
}

// A parent with free vertices 0..3 (a square at z = 0 of its frame) and children that draw over them.
std::vector<ObjectSpec> Free_Vertex_Scene(const Vec3 &parent_position, const std::vector<Vec3> &child_positions)
{
    ObjectSpec root;
    root.name = "R";
    ObjectSpec parent;
    parent.name = "P";
    parent.parent = 0;
    parent.position = parent_position;
    parent.vertices = {{-100, -100, 0}, {100, -100, 0}, {100, 100, 0}, {-100, 100, 0}};
    parent.vertex_flags = {0x80, 0x80, 0x80, 0x80};
    parent.faces = {{0, 1, 2}};
    std::vector<ObjectSpec> objects = {root, parent};
    for (size_t i = 0; i < child_positions.size(); i++) {
        ObjectSpec child;
        child.name = "C" + std::to_string(i);
        child.parent = 1;
        child.share_parent_vertices = true;
        child.position = child_positions[i];
        // Its own two vertices, and a face over the parent's vertices 2 and 3.
        child.vertices = {{-100, 100, 0}, {0, 300, 0}};
        child.faces = {{-3, 1, -4}};
        objects.push_back(child);
    }
    return objects;
}

TEST_F(PipelineTest, FreeVerticesAreTransformedOncePerParentForItsChildren)
{
    struct Case {
        const char *what;
        Vec3 parent;
        std::vector<Vec3> children;
        std::vector<std::string> built;
        int32_t passed, parents;
        bool transformed; // the parent's vertices were transformed
    };
    const Case cases[] = {
        // The parent transformed all its vertices itself.
        {"a culled child under a visible parent is drawn", {0, 0, 1000}, {{0, 0, -5000}}, {"R", "P", "C0"}, 3, 0, true},
        {"two children of a culled parent", {0, 0, -5000}, {{0, 0, 6000}, {0, 0, 6000}}, {"R", "C0", "C1"}, 3, 1, true},
        {"a culled child under a culled parent", {0, 0, -5000}, {{0, 0, 0}}, {"R"}, 1, 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SceneArea area;
        std::vector<ObjectSpec> objects = Free_Vertex_Scene(c.parent, c.children);
        objects[0].position = {0, 0, 1000}; // the root's point sphere is in view
        const OBJ_Handle h = area.Load("free.3dc", HierarchyImage(objects, {}));
        ASSERT_GE(h, 0);
        Built.clear();
        Render_Frame(frame.data());
        EXPECT_EQ(Built, c.built);
        EXPECT_EQ(nb_objects3, c.passed);
        EXPECT_EQ(nb_objects4, c.parents);
        const Addr parent = SceneArea::Record(h + 1);
        if (c.transformed) {
            // The parent's free vertices carry its own frame, whatever the children's frames are.
            EXPECT_EQ(Camera(parent, 2, 2), float(c.parent[2] + 1000));
            EXPECT_EQ(Vertex_Flags(parent, 2) & 0x80, 0x80u);
            EXPECT_NE(uint32_t(W_Get32(parent + offsetof(OBJ_Record, flags))) & 0x0002, 0u);
        }
    }
}

TEST_F(PipelineTest, EyeProductsAndTheTwoFacingTests)
{
    SceneArea area;
    ObjectSpec o;
    o.name = "O";
    o.position = {0, 0, 1000};
    // Two faces of one square, one toward the camera (normal -z) and one away.
    o.vertices = {{-100, -100, 0}, {100, -100, 0}, {100, 100, 0}, {-100, 100, 0}};
    o.faces = {{0, 2, 1}, {0, 1, 2}};
    const OBJ_Handle h = Load_One(area, o);
    const Addr rec = SceneArea::Record(h);
    Render_Frame(frame.data());
    const Addr normals = W_GetAddr(rec + offsetof(OBJ_Record, fnormals));
    // The eye lies at (0, 0, -1000) in the object's frame.
    EXPECT_EQ(W_Get32(normals + 8), -0x8000);
    EXPECT_EQ(W_Get32(normals + 12), 1000);
    EXPECT_EQ(W_Get32(normals + 16 + 12), -1000);
    EXPECT_EQ(nb_normals, 2);
    const Addr faces = W_GetAddr(W_GetAddr(rec + offsetof(OBJ_Record, prims_a)) + offsetof(OBJ_PrimNode, faces));
    EXPECT_EQ(W_Get32(faces) & 1, 0);
    EXPECT_EQ(W_Get32(faces + 56) & 1, 1);
    EXPECT_EQ(nb_faces_front, 1);

    // The stored plane can be made to lie; the winding test cannot. Turn both planes over.
    W_Set32(faces + offsetof(OBJ_Face, plane), 5000);
    W_Set32(faces + 56 + offsetof(OBJ_Face, plane), -5000);
    Render_Frame(frame.data());
    EXPECT_EQ(W_Get32(faces) & 1, 1);
    EXPECT_EQ(W_Get32(faces + 56) & 1, 0);
    ASSERT_EQ(Hide_Obj_Faces(h), 0);
    Render_Frame(frame.data());
    EXPECT_EQ(W_Get32(faces) & 0x09, 0x08);
    EXPECT_EQ(W_Get32(faces + 56) & 0x09, 0x09);
    EXPECT_EQ(nb_faces_front, 1);
}

TEST_F(PipelineTest, TrivialRejectionOfFaces)
{
    struct Case {
        const char *what;
        std::vector<Vec3> vertices;
        bool drawn;
    };
    const Case cases[] = {
        {"in view", {{-100, -100, 1000}, {100, -100, 1000}, {100, 100, 1000}}, true},
        // All three left of the view, the face's edges spanning the screen's height.
        {"wholly left", {{-5000, -9000, 1000}, {-4000, -9000, 1000}, {-4000, 9000, 1000}}, false},
        {"across the left edge", {{-5000, -100, 1000}, {100, -100, 1000}, {100, 100, 1000}}, true},
        {"one vertex beyond far", {{-100, -100, 1000}, {100, -100, 1000}, {100, 100, 66000}}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SceneArea area;
        ObjectSpec o;
        o.name = "O";
        o.vertices = c.vertices;
        o.faces = {{0, 2, 1}};
        Load_One(area, o);
        Render_Frame(frame.data());
        EXPECT_EQ(nb_faces_front, 1);
        EXPECT_EQ(nb_faces_drawn, c.drawn ? 1 : 0);
        EXPECT_EQ(nb_verts_projected, c.drawn ? 3 : 0);
    }
}

} // namespace
