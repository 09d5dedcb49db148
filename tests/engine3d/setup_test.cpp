// Primitive set-up and registration on hand-made projected faces: edge geometry, which edges open and
// close faces, the family values on opening edges, and the bucket entries each flags word makes.
#include "tests/engine3d/raster_fixture.h"

#include <cmath>
#include <array>
#include <algorithm>
#include <map>
#include <set>

#include "core/fconv.h"
#include "tests/support/golden.h"

namespace raster_test {
namespace {

using kalder_test::RecordedSpan;
using kalder_test::SpanRecorder;

struct Corner {
    int32_t x, y;
    float depth = 1000.0f;
    int32_t u = 0, v = 0;
    uint8_t light = 0;
    uint32_t clip = 0;
};

// One object with one primitive node and its edge node, built in the work area.
struct Mesh {
    Addr record = 0, node = 0, edge_node = 0;
    std::vector<Addr> vertices, faces;
    std::map<std::pair<int, int>, Addr> edges;

    Addr edge(int a, int b) const { return edges.at({std::min(a, b), std::max(a, b)}); }
    Addr face_edge(size_t f, int i) const { return W_GetAddr(faces[f] + Addr(offsetof(OBJ_Face, e0)) + Addr(i) * 12); }
};

Addr Alloc_Zero(uint32_t bytes)
{
    Addr a = Mem_Alloc(bytes);
    std::memset(W_Ptr(a), 0, bytes);
    return a;
}

// Corners, then triangles as corner indices; corners shared by triangles share their edges.
Mesh Build_Mesh(int32_t type, uint32_t material, const std::vector<Corner> &corners,
                const std::vector<std::array<int, 3>> &tris, int32_t lights = 0, uint32_t shade = 0)
{
    Mesh m;
    m.record = Alloc_Zero(sizeof(OBJ_Record));
    m.node = Alloc_Zero(sizeof(OBJ_PrimNode));
    m.edge_node = Alloc_Zero(sizeof(OBJ_EdgeNode));
    W_SetAddr(m.record + Addr(offsetof(OBJ_Record, prims_a)), m.node);
    W_SetAddr(m.record + Addr(offsetof(OBJ_Record, prims_b)), m.edge_node);
    W_Set32(m.record + Addr(offsetof(OBJ_Record, light_count)), lights);
    W_Set32(m.record + Addr(offsetof(OBJ_Record, shade)), int32_t(shade));
    W_Set32(m.node + Addr(offsetof(OBJ_PrimNode, type)), type);
    W_Set32(m.node + Addr(offsetof(OBJ_PrimNode, material)), int32_t(material));
    W_SetAddr(m.node + Addr(offsetof(OBJ_PrimNode, edge_node)), m.edge_node);
    W_Set32(m.edge_node + Addr(offsetof(OBJ_EdgeNode, type)), type);
    for (const Corner &c : corners) {
        Addr v = Alloc_Zero(sizeof(OBJ_Vertex));
        W_Set32(v + Addr(offsetof(OBJ_Vertex, flags)), int32_t(c.clip));
        W_Set32(v + Addr(offsetof(OBJ_Vertex, screen_x)), c.x);
        W_Set32(v + Addr(offsetof(OBJ_Vertex, screen_y)), c.y);
        Rec_Set<float>(W_Ptr(v), offsetof(OBJ_Vertex, inverse_depth), c.depth);
        m.vertices.push_back(v);
    }
    const uint32_t edge_size = Prim_Edge_Size(type) != 0 ? Prim_Edge_Size(type) : sizeof(SPAN_Surface);
    Addr last_edge = 0;
    Addr last_face = 0;
    for (const auto &t : tris) {
        Addr f = Alloc_Zero(sizeof(OBJ_Face));
        uint8_t *fp = W_Ptr(f);
        for (int i = 0; i < 3; i++) {
            int a = t[size_t(i)], b = t[size_t((i + 1) % 3)];
            auto key = std::make_pair(std::min(a, b), std::max(a, b));
            if (!m.edges.count(key)) {
                Addr e = Alloc_Zero(edge_size);
                EDGE_SET(W_Ptr(e), v0, m.vertices[size_t(a)]);
                EDGE_SET(W_Ptr(e), v1, m.vertices[size_t(b)]);
                if (last_edge == 0) {
                    W_SetAddr(m.edge_node + Addr(offsetof(OBJ_EdgeNode, edge_list)), e);
                } else {
                    EDGE_SET(W_Ptr(last_edge), next, e);
                }
                last_edge = e;
                m.edges[key] = e;
            }
            Rec_Set<Addr>(fp, offsetof(OBJ_Face, v0) + size_t(i) * 12, m.vertices[size_t(a)]);
            Rec_Set<Addr>(fp, offsetof(OBJ_Face, e0) + size_t(i) * 12, m.edges[key]);
            Addr item = Alloc_Zero(8);
            W_Set32(item, corners[size_t(a)].u);
            W_Set32(item + 4, corners[size_t(a)].v);
            Rec_Set<Addr>(fp, offsetof(OBJ_Face, uv) + size_t(i) * 4, item);
            fp[offsetof(OBJ_Face, corner_light) + size_t(i)] = corners[size_t(a)].light;
        }
        if (last_face == 0) {
            W_SetAddr(m.node + Addr(offsetof(OBJ_PrimNode, face_chain)), f);
        } else {
            W_SetAddr(last_face + Addr(offsetof(OBJ_Face, next)), f);
        }
        last_face = f;
        m.faces.push_back(f);
    }
    return m;
}

uint32_t Flags(Addr e) { return EDGE_GET(W_Ptr(e), flags); }

// A texture: a shading table and texels, named through a cache-like data word.
struct Texture {
    Addr word, texels;
};

Texture Make_Texture()
{
    Texture t;
    Addr block = Alloc_Zero(0x8000 + 65536);
    t.texels = block + 0x8000;
    t.word = Alloc_Zero(4);
    W_SetAddr(t.word, t.texels);
    return t;
}

using PrimSetup = RasterFixture;

// Each edge of a face with integer corners: x and x step, depth and its step, and the clip codes.
TEST_F(PrimSetup, TheGeometryOfAnEdge)
{
    // Middle vertex on the right: the long edge 0-1 opens the face, 2-0 closes it, 1-2 is level.
    Mesh m = Build_Mesh(1, 0x1234,
                        {{10, 10, 1000.0f, 0, 0, 0, 0x04}, {4, 30, 2000.0f, 0, 0, 0, 0x08}, {20, 30, 1500.0f}},
                        {{0, 1, 2}});
    Build_Prims(m.record);
    const uint8_t *open = W_Ptr(m.edge(0, 1));
    EXPECT_EQ(EDGE_GET(open, x_step), -1228); // trunc(-0.3 x 4096)
    EXPECT_EQ(EDGE_GET(open, x), 10 * 4096 + 614);
    const float col = -31.25f, row = 40.625f;
    EXPECT_FLOAT_EQ(EDGE_GET(open, depth_step_x), col);
    EXPECT_FLOAT_EQ(EDGE_GET(open, depth_step), row + -0.3f * col);
    EXPECT_FLOAT_EQ(EDGE_GET(open, depth), 1000.0f - 25.0f);
    EXPECT_EQ(Flags(m.edge(0, 1)), 0x02u | 0x04u | 0x08u << 2);
    EXPECT_EQ(EDGE_GET(open, next_right), m.edge(0, 2));
    EXPECT_EQ(EDGE_GET(open, colour), 0x1234);
    EXPECT_EQ(Flags(m.edge(0, 2)), 0x01u | 0x04u);
    EXPECT_EQ(Flags(m.edge(1, 2)), 0u); // level: untouched
    EXPECT_EQ(EDGE_GET(W_Ptr(m.edge(1, 2)), x_step), 0);
}

// An edge (xa, ya)-(xb, yb) covers rows ya..yb-1, at x = trunc(xa x 4096 - xs / 2) + (y - ya + 1) xs on
// row y, xs = trunc((xb - xa) / (yb - ya) x 4096): through set-up, registration and the scan pass.
TEST_F(PrimSetup, EdgesCoverTheirRowsAtTheirPositions)
{
    struct Case {
        int32_t xa, ya, xb, yb;
    };
    const Case cases[] = {{10, 5, 30, 25}, {30, 5, 10, 40}, {20, 0, 20, 30}, {0, 10, 50, 11}, {40, 3, 1, 60},
                          {7, 1, 8, 63}};
    for (const Case &c : cases) {
        Screen(64, 64);
        View(64, 64, 0, 0);
        Mesh m = Build_Mesh(1, 0x1234, {{c.xa, c.ya}, {c.xb, c.yb}, {63, c.yb}}, {{0, 1, 2}});
        Build_Prims(m.record);
        Build_Prims_B(m.record);
        SpanRecorder rec;
        Pass();
        const int32_t xs = trunc_i32(float(c.xb - c.xa) / float(c.yb - c.ya) * 4096.0f);
        const int32_t x0 = trunc_i32(float(c.xa) * 4096.0f - 0.5f * float(xs));
        const Addr left = m.edge(0, 1);
        int rows = 0;
        for (const RecordedSpan &s : rec.spans()) {
            if (s.surface != left) {
                continue;
            }
            SCOPED_TRACE(testing::Message() << c.xa << "," << c.ya << " " << c.xb << "," << c.yb << " row " << s.row);
            EXPECT_GE(s.row, c.ya);
            EXPECT_LT(s.row, c.yb);
            EXPECT_EQ(s.x_start, (x0 + (s.row - c.ya + 1) * xs) >> 12);
            rows++;
        }
        EXPECT_GE(rows, c.yb - c.ya - 1);
    }
}

TEST_F(PrimSetup, WhichFacesAreSetUp)
{
    // Two faces sharing the edge 1-2; the second has the other winding, the third is culled, the fourth
    // has no area, the fifth was replaced by the clipping stage.
    Mesh m = Build_Mesh(1, 0, {{10, 0}, {0, 20}, {20, 20}, {30, 0}, {40, 10}, {50, 20}, {45, 40}},
                        {{0, 1, 2}, {1, 2, 6}, {2, 3, 4}, {3, 4, 5}, {4, 5, 6}});
    W_Set32(m.faces[2], 0x01);
    W_Set32(m.faces[4], 0x02);
    EDGE_SET(W_Ptr(m.edge(4, 5)), clip, uint32_t(0x77));
    EDGE_SET(W_Ptr(m.edge(5, 6)), clip, uint32_t(0x77));
    // The shared edge 0-2 is marked set up already: its geometry is left alone.
    EDGE_SET(W_Ptr(m.edge(0, 2)), flags, uint32_t(0x100));
    Build_Prims(m.record);
    EXPECT_NE(Flags(m.edge(0, 1)), 0u);
    EXPECT_EQ(EDGE_GET(W_Ptr(m.edge(0, 2)), x_step), 0);
    EXPECT_EQ(Flags(m.edge(0, 2)), 0x101u);
    EXPECT_EQ(Flags(m.edge(2, 6)), 0u); // reversed winding
    EXPECT_EQ(Flags(m.edge(1, 6)), 0u);
    EXPECT_EQ(Flags(m.edge(2, 3)), 0u); // culled
    EXPECT_EQ(Flags(m.edge(3, 5)), 0u); // collinear: no area
    EXPECT_EQ(EDGE_GET(W_Ptr(m.edge(4, 5)), clip), 0u);
    EXPECT_EQ(EDGE_GET(W_Ptr(m.edge(5, 6)), clip), 0u);
    EXPECT_EQ(Flags(m.edge(5, 6)), 0u);
}

// Middle vertex on the left: two runs, the upper retired and the lower started at the middle row.
// On the right: one run whose right edge is replaced at the middle row.
TEST_F(PrimSetup, TheMiddleVertex)
{
    {
        Mesh m = Build_Mesh(1, 0, {{20, 0}, {5, 10}, {25, 20}}, {{0, 1, 2}});
        Build_Prims(m.record);
        Build_Prims_B(m.record);
        const Addr upper = m.edge(0, 1), lower = m.edge(1, 2);
        EXPECT_EQ(W_GetAddr(Start_Bucket[0] + 4), upper);
        EXPECT_EQ(W_GetAddr(Start_Bucket[10] + 4), lower);
        EXPECT_EQ(Retire_Bucket[10], upper);
        EXPECT_EQ(Retire_Bucket[20], lower);
        EXPECT_EQ(EDGE_GET(W_Ptr(upper), next_right), m.edge(0, 2));
        EXPECT_EQ(EDGE_GET(W_Ptr(m.edge(0, 2)), next_right), 0u);
        for (Addr e : {upper, lower, m.edge(0, 2)}) {
            EXPECT_EQ(Flags(e), 0u);
        }
        Clear_Edge_Buckets();
    }
    Mesh m = Build_Mesh(1, 0, {{20, 0}, {15, 20}, {35, 10}}, {{0, 1, 2}});
    Build_Prims(m.record);
    EXPECT_EQ(Flags(m.edge(1, 2)), 0x41u);
    Build_Prims_B(m.record);
    const Addr left = m.edge(0, 1);
    EXPECT_EQ(W_GetAddr(Start_Bucket[0] + 4), left);
    EXPECT_EQ(Retire_Bucket[20], left);
    EXPECT_EQ(Replace_Bucket[10], m.edge(1, 2));
    EXPECT_EQ(EDGE_GET(W_Ptr(m.edge(1, 2)), predecessor), left);
    SpanRecorder rec;
    Pass();
    EXPECT_EQ(EDGE_GET(W_Ptr(left), next_right), m.edge(1, 2));
    int runs_seen = 0;
    for (const RecordedSpan &s : rec.spans()) {
        runs_seen += s.surface == left;
        EXPECT_TRUE(s.surface == left || s.surface == Background_Edge());
    }
    EXPECT_EQ(runs_seen, 20);
}

TEST_F(PrimSetup, FlatColours)
{
    // Unlit: 5000 more per face met, culled ones counted, wrapping at 16 bits.
    Mesh m = Build_Mesh(1, 0xF000, {{10, 0}, {0, 10}, {20, 10}, {40, 0}, {30, 10}, {50, 10}, {10, 20}, {0, 30}, {20, 30}},
                        {{0, 1, 2}, {3, 4, 5}, {6, 7, 8}});
    W_Set32(m.faces[1], 0x01);
    Build_Prims(m.record);
    EXPECT_EQ(EDGE_GET(W_Ptr(m.edge(0, 1)), colour), 0xF000);
    EXPECT_EQ(EDGE_GET(W_Ptr(m.edge(6, 7)), colour), uint16_t(0xF000 + 10000));

    // Lit: blue and red + L/4, green + L/2, each held to its channel.
    struct Case {
        uint16_t colour;
        uint8_t light;
        uint16_t lit;
    };
    const Case cases[] = {{0x0000, 100, 25 << 11 | 50 << 5 | 25}, {0xF7DE, 100, 0xFFFF}, {0x0841, 3, 0x0861}};
    for (const Case &c : cases) {
        Mesh lit = Build_Mesh(1, c.colour, {{10, 0}, {0, 10}, {20, 10}}, {{0, 1, 2}}, 1);
        W_Ptr(lit.faces[0])[52] = c.light;
        Build_Prims(lit.record);
        EXPECT_EQ(EDGE_GET(W_Ptr(lit.edge(0, 1)), colour), c.lit) << c.colour;
    }
}

// The values of a textured face on its opening edges, family by family.
TEST_F(PrimSetup, TexturedFamilies)
{
    Texture tex = Make_Texture();
    const std::vector<Corner> corners = {{10, 0, 1000.0f, 0x10000, 0x20000, 5},
                                         {0, 20, 2000.0f, 0x50000, 0x28000, 40},
                                         {30, 20, 1500.0f, 0x90000, 0x30000, 20}};
    // Short edges on the left: 0-1 and 1-2 open; 0-1 runs from corner 0 to corner 1 over 20 rows.
    for (int32_t type : {2, 21, 24, -3, 18, 3, 20, 9, -12, 29, 22, 25, 30, 23, 26, -13}) {
        SCOPED_TRACE(type);
        Mesh m = Build_Mesh(type, tex.word, corners, {{0, 1, 2}}, 1, 0);
        W_Ptr(m.faces[0])[64] = 7;
        Build_Prims(m.record);
        const uint8_t *e = W_Ptr(m.edge(0, 1));
        ASSERT_EQ(Flags(m.edge(0, 1)) & 0x02u, 0x02u);
        EXPECT_EQ(EDGE_GET(e, texture), tex.texels);
        EXPECT_EQ(EDGE_GET(e, shade), 24);
        EXPECT_EQ(EDGE_GET(e, level), 0); // no texture levels: the coordinates are used as they are
        const bool persp = Run_Group_Of(type) == GROUP_PERSP || Run_Group_Of(type) == GROUP_PERSP_SHADED;
        if (persp) {
            const float uz0 = float(0x10000) * 1000.0f, uz1 = float(0x50000) * 2000.0f;
            const float step = (uz1 - uz0) / 20.0f;
            EXPECT_EQ(EDGE_GETF(e, u_step), step);
            EXPECT_EQ(EDGE_GETF(e, u), uz0 - 0.5f * step);
            EXPECT_EQ(EDGE_GETF(e, word_88), 16.0f * EDGE_GET(e, depth_step_x));
            EXPECT_EQ(EDGE_GETF(e, word_92), 16.0f * EDGE_GETF(e, u_step_x));
            EXPECT_EQ(EDGE_GETF(e, word_96), 16.0f * EDGE_GETF(e, v_step_x));
        } else {
            // Half a step early, with the truncated step: (0x50000 - 0x10000) / 20 = 13107.2, and
            // 0x10000 - 6553.5 truncated.
            EXPECT_EQ(EDGE_GET(e, u_step), 13107);
            EXPECT_EQ(EDGE_GET(e, u), 58982);
            EXPECT_EQ(EDGE_GET(e, v_step), 1638);
            EXPECT_EQ(EDGE_GET(e, v), 0x20000 - 819);
            // Per column: (0 x 0x40000 - 20 x 0x40000) / -600 = 8738.13, truncated.
            EXPECT_EQ(EDGE_GET(e, u_step_x), 8738);
        }
        if (Run_Group_Of(type) == GROUP_AFFINE_SHADED) {
            // Corner shades 31 - light, in 16.16: 26 at corner 0, 0 at corner 1 (light 40 held to 31).
            EXPECT_EQ(EDGE_GET(e, word_92), trunc_i32(float(-26 << 16) / 20.0f));
            EXPECT_EQ(EDGE_GET(e, word_88), trunc_i32(double(26 << 16) - 0.5 * EDGE_GET(e, word_92)));
        }
        if (Run_Group_Of(type) == GROUP_PERSP_SHADED) {
            EXPECT_EQ(EDGE_GET(e, shade_step), trunc_i32(float(-26 << 16) / 20.0f));
        }
        // The face's light bytes are read, never rewritten.
        EXPECT_EQ(W_Ptr(m.faces[0])[65], 5);
        EXPECT_EQ(W_Ptr(m.faces[0])[66], 40);
    }
}

TEST_F(PrimSetup, GouraudFacesKeepTheirBytesFromFrameToFrame)
{
    Texture tex = Make_Texture();
    Mesh m = Build_Mesh(30, tex.word, {{10, 0, 1000, 0, 0, 3}, {0, 20, 1000, 0, 0, 9}, {30, 20, 1000, 0, 0, 60}},
                        {{0, 1, 2}});
    int32_t first = 0;
    for (int frame_no = 0; frame_no < 2; frame_no++) {
        Build_Prims(m.record);
        int32_t shade = EDGE_GET(W_Ptr(m.edge(0, 1)), word_88);
        if (frame_no == 0) {
            first = shade;
        }
        EXPECT_EQ(shade, first);
        Build_Prims_B(m.record);
        Clear_Edge_Buckets();
    }
    EXPECT_EQ(W_Ptr(m.faces[0])[65], 3);
    EXPECT_EQ(W_Ptr(m.faces[0])[67], 60);
}

TEST_F(PrimSetup, ShadedTypesOnAnUnlitObjectBecomeType24)
{
    Texture tex = Make_Texture();
    for (int32_t type : {22, 25}) {
        Mesh m = Build_Mesh(type, tex.word, {{10, 0}, {0, 20}, {30, 20}}, {{0, 1, 2}});
        Build_Prims(m.record);
        EXPECT_EQ(W_Get32(m.node + 4), 24);
        EXPECT_EQ(W_Get32(m.edge_node + 4), 24);
        Build_Prims_B(m.record);
        EXPECT_EQ(W_Get32(Start_Bucket[0] + 8), 24);
        EXPECT_EQ(EDGE_GET(W_Ptr(m.edge(0, 1)), word_88), 0); // no shade written
        Clear_Edge_Buckets();
    }
    Mesh lit = Build_Mesh(22, tex.word, {{10, 0}, {0, 20}, {30, 20}}, {{0, 1, 2}}, 2);
    Build_Prims(lit.record);
    EXPECT_EQ(W_Get32(lit.node + 4), 22);
}

// The shade level is 31 minus the face light on lit objects and minus the shade word's low byte
// otherwise, never below 0; the alpha type takes both its levels from the shade word.
TEST_F(PrimSetup, ShadeLevels)
{
    Texture tex = Make_Texture();
    struct Case {
        int32_t type, lights;
        uint32_t shade_word;
        uint8_t face_light;
        uint8_t level;
        uint16_t colour;
    };
    const Case cases[] = {
        {2, 0, 0x0A, 0, 21, 0},      {2, 0, 0xC8, 0, 0, 0},       {2, 1, 0x0A, 40, 0, 0},
        {3, 1, 0, 12, 19, 0},        {-13, 0, 0x1503, 0, 28, 0x1500}, {-13, 0, 0x1F3F, 0, 0, 0x1F00},
    };
    for (const Case &c : cases) {
        Mesh m = Build_Mesh(c.type, tex.word, {{10, 0}, {0, 20}, {30, 20}}, {{0, 1, 2}}, c.lights, c.shade_word);
        W_Ptr(m.faces[0])[64] = c.face_light;
        Build_Prims(m.record);
        const uint8_t *e = W_Ptr(m.edge(0, 1));
        EXPECT_EQ(EDGE_GET(e, shade), c.level) << c.type << " " << c.shade_word;
        if (c.type == -13) {
            EXPECT_EQ(EDGE_GET(e, colour), c.colour);
        }
    }
}

TEST_F(PrimSetup, TheFlatShadeColourComesFromTheTexture)
{
    Texture tex = Make_Texture();
    // Texels under the corners' first words: index (w >> 16) | ((w >> 8) & 0xFF00).
    const int32_t words[3] = {0x00030000, 0x12340005, -1};
    const uint32_t index[3] = {0x0303, 0x3400 | 0x1234, 0xFFFF};
    const uint16_t colours[3] = {0xF800, 0x07E0, 0x001F};
    for (int i = 0; i < 3; i++) {
        Work_Area[tex.texels + (index[i] & 0xFFFF)] = uint8_t(10 + i);
        W_Set32(tex.texels - 0x8000 + (4 * 256 + 10 + Addr(i)) * 4, int32_t(uint32_t(colours[i]) << 16));
    }
    Mesh m = Build_Mesh(28, tex.word, {{10, 0, 1000, words[0]}, {0, 20, 1000, words[1]}, {30, 20, 1000, words[2]}},
                        {{0, 1, 2}}, 0, 27);
    Build_Prims(m.record);
    auto half = [](uint32_t c) { return uint16_t((c >> 1) & 0x7BEF); };
    const uint16_t expected = uint16_t(half(uint32_t(half(colours[0])) + half(colours[1])) + half(colours[2]));
    EXPECT_EQ(EDGE_GET(W_Ptr(m.edge(0, 1)), colour), expected);
    EXPECT_EQ(EDGE_GET(W_Ptr(m.edge(0, 1)), shade), 4);
}

// Textured nodes without a texture draw nothing: no edge of theirs is set up.
TEST_F(PrimSetup, NodesWithoutATextureAreSkipped)
{
    Addr empty_word = Alloc_Zero(4);
    for (uint32_t material : {0u, empty_word, Work_Size + 8}) {
        for (int32_t type : {2, 3, 28, 30, 23, -13}) {
            Mesh m = Build_Mesh(type, material, {{10, 0}, {0, 20}, {30, 20}}, {{0, 1, 2}}, 1);
            Build_Prims(m.record);
            for (const auto &kv : m.edges) {
                EXPECT_EQ(Flags(kv.second), 0u) << type << " " << material;
            }
        }
    }
}

// Registration by flags word, for an edge from row 2 to row 12 under a viewport whose top is row 5.
TEST_F(PrimSetup, RegistrationByFlags)
{
    struct Case {
        uint32_t flags;
        int32_t bottom;
        bool right_cleared, pred_cleared, advanced;
        int32_t start_row, retire_row, replace_row; // -1: none
    };
    const Case cases[] = {
        {0, 12, false, false, false, -1, -1, -1},  {1, 12, true, false, false, -1, -1, -1},
        {9, 12, true, false, false, -1, -1, -1},   {33, 12, true, false, false, -1, -1, -1},
        {2, 12, false, true, false, 2, 12, -1},    {5, 12, true, false, true, -1, -1, -1},
        {17, 12, true, false, true, -1, -1, -1},   {25, 12, true, false, true, -1, -1, -1},
        {37, 12, true, false, true, -1, -1, -1},   {6, 12, false, true, true, 5, 12, -1},
        {18, 12, false, true, true, 5, 12, -1},    {6, 5, false, true, false, -1, -1, -1},
        {18, 5, false, true, false, -1, -1, -1},   {7, 12, false, false, true, -1, -1, -1},
        {19, 12, false, false, true, -1, -1, -1},  {10, 12, false, true, false, 2, -1, -1},
        {34, 12, false, true, false, 2, -1, -1},   {26, 12, false, true, true, 5, -1, -1},
        {38, 12, false, true, true, 5, -1, -1},    {26, 5, false, true, false, -1, -1, -1},
        {65, 12, true, false, false, -1, -1, 2},   {73, 12, true, false, false, -1, -1, 2},
        {97, 12, true, false, false, -1, -1, 2},   {67, 12, false, false, false, -1, -1, 2},
        {69, 12, true, false, true, -1, -1, 5},    {71, 12, false, false, true, -1, -1, 5},
        {3, 12, false, false, false, -1, -1, -1},  {11, 12, false, false, false, -1, -1, -1},
        {22, 12, false, false, false, -1, -1, -1}, {42, 12, false, false, false, -1, -1, -1},
        {0x80, 12, false, false, false, -1, -1, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << c.flags << " bottom " << c.bottom);
        View(64, 20, 0, 5);
        Mesh m = Build_Mesh(2, 0, {{10, 2}, {20, c.bottom}, {40, 40}}, {{0, 1, 2}});
        const Addr a = m.edge(0, 1);
        uint8_t *e = W_Ptr(a);
        const Addr marker = m.edge(1, 2);
        EDGE_SET(e, flags, c.flags);
        EDGE_SET(e, x, 1000);
        EDGE_SET(e, x_step, -300);
        EDGE_SET(e, depth, 10.0f);
        EDGE_SET(e, depth_step, 0.5f);
        EDGE_SET(e, u, 7);
        EDGE_SET(e, u_step, 0x40000000);
        EDGE_SET(e, next_right, marker);
        EDGE_SET(e, predecessor, marker);
        Register_Affine(m.edge_node);
        EXPECT_EQ(Flags(a), 0u);
        EXPECT_EQ(EDGE_GET(e, next_right), c.right_cleared ? 0u : marker);
        EXPECT_EQ(EDGE_GET(e, predecessor), c.pred_cleared ? 0u : marker);
        // Three rows in one multiply-add each: x and u wrap in 32 bits.
        EXPECT_EQ(EDGE_GET(e, x), c.advanced ? 100 : 1000);
        EXPECT_EQ(EDGE_GET(e, depth), c.advanced ? 11.5f : 10.0f);
        EXPECT_EQ(EDGE_GET(e, u), c.advanced ? int32_t(7u + 3u * 0x40000000u) : 7);
        for (int32_t y = 0; y < Bucket_Rows; y++) {
            Addr start = y == c.start_row ? a : 0;
            EXPECT_EQ(Start_Bucket[y] != 0 ? W_GetAddr(Start_Bucket[y] + 4) : 0u, start) << y;
            if (start != 0) {
                EXPECT_EQ(W_Get32(Start_Bucket[y] + 8), 2);
            }
            EXPECT_EQ(Retire_Bucket[y], y == c.retire_row ? a : 0u) << y;
            EXPECT_EQ(Replace_Bucket[y], y == c.replace_row ? a : 0u) << y;
        }
    }
}

// Registered through set-up from the vertices' clip codes: a face whose top lies on the viewport's top
// row starts there with nothing advanced; edges wholly above the view, or ending on its top row, are
// not registered.
TEST_F(PrimSetup, ClipCodesAtTheTopRow)
{
    View(64, 20, 0, 5);
    Mesh on_top = Build_Mesh(1, 0, {{20, 5, 1000, 0, 0, 0, 0x04}, {10, 15}, {30, 15}}, {{0, 1, 2}});
    Build_Prims(on_top.record);
    const int32_t x = EDGE_GET(W_Ptr(on_top.edge(0, 1)), x);
    Build_Prims_B(on_top.record);
    EXPECT_EQ(W_GetAddr(Start_Bucket[5] + 4), on_top.edge(0, 1));
    EXPECT_EQ(EDGE_GET(W_Ptr(on_top.edge(0, 1)), x), x);

    Clear_Edge_Buckets();
    Mesh above = Build_Mesh(1, 0, {{20, 0, 1000, 0, 0, 0, 0x04}, {10, 5, 1000, 0, 0, 0, 0x04}, {30, 12}},
                            {{0, 1, 2}});
    Build_Prims(above.record);
    Build_Prims_B(above.record);
    for (int32_t y = 0; y < Bucket_Rows; y++) {
        if (Start_Bucket[y] != 0) {
            EXPECT_NE(W_GetAddr(Start_Bucket[y] + 4), above.edge(0, 1)) << y;
        }
        EXPECT_NE(Retire_Bucket[y], above.edge(0, 1));
    }
}

TEST_F(PrimSetup, TheSecondListIsSkippedForAPrunedObject)
{
    Mesh m = Build_Mesh(1, 0, {{20, 0}, {10, 10}, {30, 10}}, {{0, 1, 2}});
    Build_Prims(m.record);
    W_Set32(m.record + Addr(offsetof(OBJ_Record, flags)), OBJ_FLAG_SKIP_TREE);
    Build_Prims_B(m.record);
    EXPECT_EQ(Start_Bucket[0], 0u);
    EXPECT_NE(Flags(m.edge(0, 1)), 0u);
}

// Two flat quads through each other: the tilted one is in front above the line where they meet, the
// upright one below it. Each row's spans abut without gap or overlap.
TEST_F(PrimSetup, InterpenetratingQuadsChangeFrontAlongTheirIntersection)
{
    Screen(64, 48);
    View(64, 48, 0, 0);
    auto quad = [](int32_t l, int32_t r, float top_depth, float bottom_depth) {
        return Build_Mesh(1, 0x4000,
                          {{l, 0, top_depth}, {r, 0, top_depth}, {l, 40, bottom_depth}, {r, 40, bottom_depth}},
                          {{0, 2, 1}, {1, 2, 3}});
    };
    Mesh tilted = quad(10, 50, 1500.0f, 500.0f);
    Mesh upright = quad(20, 40, 1000.0f, 1000.0f);
    for (const Mesh *m : {&tilted, &upright}) {
        Build_Prims(m->record);
        Build_Prims_B(m->record);
    }
    auto owner = [](const Mesh &m, Addr surface) {
        for (const auto &kv : m.edges) {
            if (kv.second == surface) {
                return true;
            }
        }
        return false;
    };
    SpanRecorder rec;
    Pass();
    for (int32_t y = 0; y < 40; y++) {
        if (y >= 19 && y <= 21) {
            continue;
        }
        // Owner of each column, drawn in list order; every column drawn once.
        std::vector<int> columns(64, -1);
        for (const RecordedSpan &s : rec.row(y)) {
            for (int32_t x = s.x_start; x < s.x_start + s.count; x++) {
                ASSERT_EQ(columns[size_t(x)], -1) << "row " << y << " column " << x << " drawn twice";
                columns[size_t(x)] = owner(tilted, s.surface) ? 1 : owner(upright, s.surface) ? 2 : 0;
            }
        }
        for (int32_t x = 0; x < 64; x++) {
            int expected = x < 10 || x >= 50 ? 0 : (y > 20 && x >= 20 && x < 40) ? 2 : 1;
            ASSERT_EQ(columns[size_t(x)], expected) << "row " << y << " column " << x;
        }
    }
}

// A flat cube turned to show three faces, projected by hand: exactly its three front faces are drawn
// (unlit faces take colours 5000 apart, so each span's colour names its face), every row is tiled
// without gap or overlap, and the cube covers one stretch per row.
TEST_F(PrimSetup, AFlatCubeShowsItsThreeFrontFaces)
{
    Screen(64, 64);
    View(64, 64, 0, 0);
    const double ay = 0.6, ax = 0.45, focal = 70.0;
    std::vector<Corner> corners;
    std::vector<std::array<double, 3>> camera;
    for (int i = 0; i < 8; i++) {
        double x = (i & 1) ? 1 : -1, y = (i & 2) ? 1 : -1, z = (i & 4) ? 1 : -1;
        double x1 = x * std::cos(ay) + z * std::sin(ay), z1 = -x * std::sin(ay) + z * std::cos(ay);
        double y2 = y * std::cos(ax) - z1 * std::sin(ax), z2 = y * std::sin(ax) + z1 * std::cos(ax) + 6.0;
        camera.push_back({x1, y2, z2});
        corners.push_back({trunc_i32(x1 * focal / z2 + 32.0), trunc_i32(-y2 * focal / z2 + 32.0),
                           float(1073741824.0 / (z2 * 128.0))});
    }
    // Faces as outward quads; each gives two triangles, wound so that front faces have negative area.
    const int quads[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    std::vector<std::array<int, 3>> tris;
    std::vector<bool> front;
    for (const auto &q : quads) {
        // Outward normal against the eye at the origin.
        auto sub = [&](int a, int b) {
            return std::array<double, 3>{camera[size_t(a)][0] - camera[size_t(b)][0],
                                         camera[size_t(a)][1] - camera[size_t(b)][1],
                                         camera[size_t(a)][2] - camera[size_t(b)][2]};
        };
        auto u = sub(q[1], q[0]), v = sub(q[2], q[0]);
        std::array<double, 3> n = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        const auto &p = camera[size_t(q[0])];
        front.push_back(n[0] * p[0] + n[1] * p[1] + n[2] * p[2] < 0);
        tris.push_back({q[0], q[1], q[2]});
        tris.push_back({q[0], q[2], q[3]});
    }
    // Orient every triangle the same way; flip all if the front ones came out positive.
    auto area = [&](const std::array<int, 3> &t) {
        const Corner &a = corners[size_t(t[0])], &b = corners[size_t(t[1])], &c = corners[size_t(t[2])];
        return int64_t(b.x - a.x) * (c.y - b.y) - int64_t(c.x - b.x) * (b.y - a.y);
    };
    if (area(tris[size_t(std::find(front.begin(), front.end(), true) - front.begin()) * 2]) > 0) {
        for (auto &t : tris) {
            std::swap(t[1], t[2]);
        }
    }
    ASSERT_EQ(std::count(front.begin(), front.end(), true), 3);
    Mesh cube = Build_Mesh(1, 0x0100, corners, tris);
    Build_Prims(cube.record);
    Build_Prims_B(cube.record);
    SpanRecorder rec(true);
    Pass();
    EXPECT_TRUE(kalder_test::MatchesGolden("raster-cube-false-colour", frame.data(), 64, 64, false));
    std::set<int> faces_seen;
    for (int32_t y = 0; y < 64; y++) {
        std::vector<RecordedSpan> row = rec.row(y);
        std::sort(row.begin(), row.end(), [](const auto &a, const auto &b) { return a.x_start < b.x_start; });
        int32_t x = 0, stretches = 0;
        bool in_cube = false;
        for (const RecordedSpan &s : row) {
            ASSERT_EQ(s.x_start, x) << "row " << y;
            x += s.count;
            bool cube_span = s.surface != Background_Edge();
            stretches += cube_span && !in_cube;
            in_cube = cube_span;
            if (cube_span) {
                int index = int(uint16_t(EDGE_GET(W_Ptr(s.surface), colour) - 0x0100)) / 5000;
                faces_seen.insert(index / 2);
            }
        }
        EXPECT_EQ(x, 64) << "row " << y;
        EXPECT_LE(stretches, 1) << "row " << y;
    }
    std::set<int> expected;
    for (int f = 0; f < 6; f++) {
        if (front[size_t(f)]) {
            expected.insert(f);
        }
    }
    EXPECT_EQ(faces_seen, expected);
}

TEST_F(PrimSetup, StartEntriesFromAFullFrameHeapStop)
{
    test::SetExitHook(test::ThrowOnExit);
    Mesh m = Build_Mesh(1, 0, {{20, 0}, {10, 10}, {30, 10}}, {{0, 1, 2}});
    Build_Prims(m.record);
    Heap_Init(Work_Size - 8);
    try {
        Build_Prims_B(m.record);
        FAIL() << "no stop";
    } catch (const test::ExitCalled &e) {
        EXPECT_EQ(e.code, -1);
    }
    EXPECT_EQ(test::Stdout(), "Heap overflow\n");
    test::SetExitHook(nullptr);
}

} // namespace
} // namespace raster_test
