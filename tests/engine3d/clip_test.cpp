// Near-plane clipping: the new vertices and faces, their winding, texture coordinates, corner normals,
// edges and record sizes, and the faces it drops.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/fconv.h"
#include "engine3d/object.h"
#include "engine3d/pipeline.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "tests/support/scene_builder.h"

using namespace kalder_test;

namespace {

constexpr int32_t One = 255 << 16;

// A triangle across the near plane under a root at the camera: with one vertex at z = 1000 and two at
// z = 50, or the other way round. Both face the camera.
std::vector<Vec3> Triangle(int visible)
{
    if (visible == 1) {
        return {{0, -100, 1000}, {-100, 100, 50}, {100, 100, 50}};
    }
    return {{0, -100, 50}, {-100, 100, 1000}, {100, 100, 1000}};
}

struct Clipped {
    OBJ_Handle h;
    Addr rec, node, edge_node, face;
};

Clipped Load_Triangle(SceneArea &area, int visible, int32_t type, uint32_t flags = 0)
{
    ObjectSpec root;
    root.name = "R";
    ObjectSpec o;
    o.name = "O";
    o.parent = 0;
    o.flags = flags;
    o.vertices = Triangle(visible);
    o.faces = {{0, 1, 2}};
    o.type = type;
    o.material = "M";
    o.face_uvs = {{0, 0, One, 0, 0, One}};
    Clipped c;
    c.h = area.Load("tri.3dc", HierarchyImage({root, o}, {{"M", "", 1}})) + 1;
    c.rec = SceneArea::Record(c.h);
    c.node = W_GetAddr(c.rec + offsetof(OBJ_Record, prims_a));
    c.edge_node = W_GetAddr(c.node + offsetof(OBJ_PrimNode, edge_node));
    c.face = W_GetAddr(c.node + offsetof(OBJ_PrimNode, faces));
    return c;
}

std::vector<Addr> Chain(Addr node)
{
    std::vector<Addr> faces;
    for (Addr f = W_GetAddr(node + offsetof(OBJ_PrimNode, face_chain)); f != 0; f = W_GetAddr(f + 4)) {
        faces.push_back(f);
    }
    return faces;
}

Addr Corner_Vertex(Addr face, int k) { return W_GetAddr(face + 8 + 12 * Addr(k)); }
int32_t Screen(Addr v, int k) { return W_Get32(v + offsetof(OBJ_Vertex, screen_x) + 4 * Addr(k)); }
float Camera(Addr v, int k)
{
    float f;
    std::memcpy(&f, W_Ptr(v + 16 + 4 * Addr(k)), 4);
    return f;
}

// Twice the signed screen area; negative for a face seen counter-clockwise on the screen (y down).
int64_t Area2(Addr face)
{
    int64_t p[3][2];
    for (int k = 0; k < 3; k++) {
        p[k][0] = Screen(Corner_Vertex(face, k), 0);
        p[k][1] = Screen(Corner_Vertex(face, k), 1);
    }
    return (p[1][0] - p[0][0]) * (p[2][1] - p[0][1]) - (p[2][0] - p[0][0]) * (p[1][1] - p[0][1]);
}

struct ClipTest : ::testing::Test {
    std::vector<uint16_t> frame = std::vector<uint16_t>(640 * 480);
};

TEST_F(ClipTest, NewFacesKeepTheWindingAndComeFromTheHeapAtTheirTypesSizes)
{
    struct Case {
        int visible;
        int32_t type;
        size_t faces;
        uint32_t heap; // two vertices, the faces, their coordinates, the edges
    };
    const Case cases[] = {
        {1, 1, 1, 80 + 56 + 3 * 60},
        {2, 1, 2, 80 + 2 * 56 + 5 * 60},
        {1, 2, 1, 80 + 68 + 24 + 3 * 88},
        {2, 3, 2, 80 + 2 * 68 + 2 * 24 + 5 * 100},
        {2, 23, 2, 80 + 2 * 68 + 2 * 24 + 5 * 112},
        {1, -15, 1, 80 + 68 + 24 + 3 * 88},
        {2, 27, 2, 80 + 2 * 56 + 5 * 60},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.visible << " visible, type " << c.type);
        SceneArea area;
        const Clipped t = Load_Triangle(area, c.visible, c.type);
        // Without registration no start entry or run joins the clipper's records in the frame heap.
        const RenderSettings saved = Render_Settings;
        Render_Settings.list_b = nullptr;
        Render_Frame(frame.data());
        Render_Settings = saved;
        EXPECT_EQ(nb_faces_clipped, 1);
        EXPECT_EQ(Heap_Ptr - Mem_libre, c.heap);
        const std::vector<Addr> chain = Chain(t.node);
        ASSERT_EQ(chain.size(), c.faces + 1);
        EXPECT_EQ(chain.back(), t.face);
        EXPECT_EQ(W_Get32(t.face) & 0x03, 0x03);
        for (size_t i = 0; i < c.faces; i++) {
            EXPECT_EQ(W_Get32(chain[i]), 0); // new faces start clear
            EXPECT_LT(Area2(chain[i]), 0) << i;
            for (int k = 0; k < 3; k++) {
                const Addr v = Corner_Vertex(chain[i], k);
                EXPECT_NE(W_Get32(v) & 0x40, 0) << "every corner is projected";
                EXPECT_GE(Camera(v, 2), 128.0f);
            }
        }
        // The vertices on the near side are never projected.
        const uint32_t origin = uint32_t(W_Get32(Corner_Vertex(t.face, c.visible == 1 ? 1 : 0)));
        EXPECT_EQ(origin & 0x50, 0x10u);
    }
}

TEST_F(ClipTest, TheNewVerticesLieOnTheNearPlaneWithInterpolatedPositionsAndCoordinates)
{
    SceneArea area;
    const Clipped t = Load_Triangle(area, 1, 2);
    Render_Frame(frame.data());
    const Addr face = Chain(t.node)[0];
    // (C1, C2, V): C1 on V -> P, C2 on V -> Q.
    const float tp = (128.0f - 1000.0f) / (50.0f - 1000.0f);
    const Addr c1 = Corner_Vertex(face, 0), c2 = Corner_Vertex(face, 1);
    EXPECT_EQ(Corner_Vertex(face, 2), Corner_Vertex(t.face, 0));
    EXPECT_EQ(Camera(c1, 2), 128.0f);
    EXPECT_EQ(Camera(c1, 0), 0.0f + tp * -100.0f);
    EXPECT_EQ(Camera(c2, 0), 0.0f + tp * 100.0f);
    EXPECT_EQ(Camera(c1, 1), -100.0f + tp * 200.0f);
    EXPECT_EQ(W_Get32(c1 + 4), trunc_i32(double(tp) * -100.0));
    EXPECT_EQ(W_Get32(c1 + 8), trunc_i32(-100.0 + double(tp) * 200.0));
    EXPECT_EQ(W_Get32(c1 + 12), trunc_i32(1000.0 + double(tp) * -950.0));
    float inverse;
    std::memcpy(&inverse, W_Ptr(c1 + offsetof(OBJ_Vertex, inverse_depth)), 4);
    EXPECT_EQ(inverse, 1073741824.0f / 128.0f);
    // V keeps (0, 0); C1 goes toward P's (One, 0), C2 toward Q's (0, One).
    const int32_t moved = trunc_i32(double(tp) * One);
    const int32_t expected[3][2] = {{moved, 0}, {0, moved}, {0, 0}};
    for (int k = 0; k < 3; k++) {
        const Addr item = W_GetAddr(face + offsetof(OBJ_Face, uv) + 4 * Addr(k));
        EXPECT_EQ(W_Get32(item), expected[k][0]) << k;
        EXPECT_EQ(W_Get32(item + 4), expected[k][1]) << k;
    }
    // The stored coordinates are not touched.
    const Addr stored = W_GetAddr(t.face + offsetof(OBJ_Face, uv) + 4);
    EXPECT_EQ(W_Get32(stored), One);
}

TEST_F(ClipTest, ScreenBitsOfClippedVertices)
{
    SceneArea area;
    ObjectSpec root;
    root.name = "R";
    ObjectSpec o;
    o.name = "O";
    o.parent = 0;
    // Far to the left and above at the near plane, inside the view at z = 1000.
    o.vertices = {{-300, -300, 1000}, {-3000, -3000, 50}, {-2000, 2000, 50}};
    o.faces = {{0, 1, 2}};
    const OBJ_Handle h = area.Load("tri.3dc", HierarchyImage({root, o}, {})) + 1;
    Render_Frame(frame.data());
    const Addr node = W_GetAddr(SceneArea::Record(h) + offsetof(OBJ_Record, prims_a));
    const std::vector<Addr> chain = Chain(node);
    ASSERT_EQ(chain.size(), 2u);
    EXPECT_EQ(W_Get32(Corner_Vertex(chain[0], 0)), 0x40 | 0x02 | 0x04);
    EXPECT_EQ(W_Get32(Corner_Vertex(chain[0], 1)), 0x40 | 0x02 | 0x08);
}

TEST_F(ClipTest, NewEdgesArePrependedToListBUntilTheNextFrame)
{
    SceneArea area;
    const Clipped t = Load_Triangle(area, 2, 2);
    const Addr stored = W_GetAddr(t.edge_node + offsetof(OBJ_EdgeNode, edges));
    Render_Frame(frame.data());
    std::vector<Addr> list;
    for (Addr e = W_GetAddr(t.edge_node + offsetof(OBJ_EdgeNode, edge_list)); e != 0; e = W_GetAddr(e)) {
        list.push_back(e);
    }
    ASSERT_EQ(list.size(), 5u + 3u);
    EXPECT_EQ(list[5], stored);
    // Each corner's edge joins its vertex and the next corner's.
    const std::vector<Addr> chain = Chain(t.node);
    for (int f = 0; f < 2; f++) {
        for (int k = 0; k < 3; k++) {
            const Addr edge = W_GetAddr(chain[size_t(f)] + 16 + 12 * Addr(k));
            EXPECT_NE(std::find(list.begin(), list.begin() + 5, edge), list.begin() + 5);
            const Addr a = Corner_Vertex(chain[size_t(f)], k), b = Corner_Vertex(chain[size_t(f)], (k + 1) % 3);
            const Addr e0 = W_GetAddr(edge + offsetof(SPAN_Surface, v0)), e1 = W_GetAddr(edge + offsetof(SPAN_Surface, v1));
            EXPECT_TRUE((e0 == a && e1 == b) || (e0 == b && e1 == a)) << f << " " << k;
            EXPECT_EQ(W_Get32(edge + 8), 0); // set-up fields start at zero
        }
    }
    // The diagonal is shared by the two faces.
    EXPECT_EQ(W_GetAddr(chain[0] + 16), W_GetAddr(chain[1] + 16 + 24));

    // Moved away from the near plane: the list is the stored edges again.
    const int32_t away[3] = {0, 0, 2000};
    ASSERT_EQ(Set_Obj_Pos(t.h, away), 0);
    Render_Frame(frame.data());
    EXPECT_EQ(W_GetAddr(t.edge_node + offsetof(OBJ_EdgeNode, edge_list)), stored);
    EXPECT_EQ(nb_faces_clipped, 0);
    EXPECT_EQ(Chain(t.node).size(), 1u);
}

TEST_F(ClipTest, CornerNormalsByTypeAndEnvironmentMapping)
{
    struct Case {
        int32_t type;
        uint32_t flags;
        bool copied;
    };
    const Case cases[] = {
        {22, 0, true}, {23, 0, true}, {25, 0, true}, {26, 0, true}, {30, 0, true},
        {2, 0, false}, {3, 0, false}, {2, 0x0800, true}, {1, 0x0800, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " flags " << c.flags);
        SceneArea area;
        const Clipped t = Load_Triangle(area, 2, c.type, c.flags);
        Render_Frame(frame.data());
        const std::vector<Addr> chain = Chain(t.node);
        ASSERT_EQ(chain.size(), 3u);
        for (int f = 0; f < 2; f++) {
            for (int k = 0; k < 3; k++) {
                const Addr normal = W_GetAddr(chain[size_t(f)] + 12 + 12 * Addr(k));
                EXPECT_EQ(normal, c.copied ? W_GetAddr(t.face + 12 + 12 * Addr(k)) : 0u) << f << " " << k;
            }
        }
    }
}

TEST_F(ClipTest, FacesOfTypesWithoutAClippedFormAreDropped)
{
    for (int32_t type : {31, 13, 0, -1, 40}) {
        SCOPED_TRACE(type);
        SceneArea area;
        const Clipped t = Load_Triangle(area, 2, 2);
        W_Set32(t.node + offsetof(OBJ_PrimNode, type), type);
        Render_Frame(frame.data());
        EXPECT_EQ(nb_faces_clipped, 1);
        EXPECT_EQ(Chain(t.node).size(), 1u);
        EXPECT_EQ(W_Get32(t.face) & 0x01, 0x01);
        EXPECT_EQ(Heap_Ptr, Mem_libre);
    }
}

} // namespace
