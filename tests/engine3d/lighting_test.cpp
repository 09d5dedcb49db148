// Object lighting: the lights in an object's frame under a turned parent, flat levels per face, corner
// levels with the gloss factor, and what whole frames make of them.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine3d/lighting.h"
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

// A light as a row of a table gives it: type, position relative to a chosen point, radii, intensity,
// and a directed light's direction.
struct LightSpec {
    int32_t type;
    Vec3 offset;
    int32_t inner, outer, intensity;
    Vec3 direction;
};

// A wall of two faces facing the camera at depth 1000 (face 0: corners (-300, -300), (-300, 300),
// (300, -300), centre (-100, -100)), and optionally a third face over face 0's corners facing away. The
// object's local coordinates are its camera-space ones plus `shift`, so that a shifted wall draws
// the same while its coordinates pass 16 bits.
struct Wall {
    SceneArea area;
    ImageFile file;
    OBJ_Handle h = -1;
    int32_t type;
    Vec3 shift;
    std::vector<uint16_t> frame = std::vector<uint16_t>(640 * 480);

    Wall(int32_t type_, Vec3 shift_ = {0, 0, 0}, bool back_face = false, uint16_t colour = 0x2104)
        : type(type_), shift(shift_)
    {
        Mesh mesh = WallMesh(-300, 300, -300, 300, 1000, 1, 1);
        if (back_face) {
            mesh.faces.push_back({0, 1, 2});
            mesh.uvs.push_back(mesh.uvs[0]);
        }
        for (Vec3 &v : mesh.vertices) {
            for (int i = 0; i < 3; i++) {
                v[size_t(i)] += shift[size_t(i)];
            }
        }
        ObjectSpec root;
        root.name = "R";
        ObjectSpec wall = MeshObject("W", 0, {-shift[0], -shift[1], -shift[2]}, mesh, type, type == 1 ? "FLAT" : "FIXT");
        wall.shade = 0x001F;
        MemFiles_Add("fixt.3dm", FixtureMaterialFile());
        const ImageBuilder image = HierarchyImage({root, wall}, {{"FLAT", "", colour}, {"FIXT", "FIXT", 0}});
        file = image.Finish();
        h = area.Load("wall.3dc", image);
    }
    uint32_t Face_Size() const { return Prim_Face_Size(type); }
    uint8_t *Face(int f) { return W_Ptr(SceneArea::At(h, file, "faces1") + Face_Size() * uint32_t(f)); }
    uint8_t Level(int f) { return Face(f)[type == 1 ? 52 : 64]; }
    std::array<int, 3> Corners(int f)
    {
        const uint8_t *p = Face(f) + offsetof(OBJ_Face, corner_light);
        return {p[0], p[1], p[2]};
    }
    int32_t Product(int f) { return P_Get32(W_Ptr(SceneArea::At(h, file, "fnorms1") + 16 * uint32_t(f)) + 12); }
    // Every vertex normal of the wall := n.
    void Set_Vertex_Normals(const Vec3 &n)
    {
        const Addr r = SceneArea::Record(h + 1);
        const Addr normals = W_GetAddr(r + offsetof(OBJ_Record, vnormals));
        for (int32_t i = 0; i < W_Get32(r + offsetof(OBJ_Record, vnormal_count)); i++) {
            for (int k = 0; k < 3; k++) {
                W_Set32(normals + 16 * Addr(i) + 4 * Addr(k), n[size_t(k)]);
            }
        }
    }
    // Adds the light at `at` + its offset (camera space) and attaches it to the wall.
    int32_t Light(const LightSpec &l, const Vec3 &at)
    {
        int32_t m[9];
        Mat_Copy(m, kIdentity);
        if (l.type == LIGHT_DIRECTED) {
            DirectedMatrix(l.direction, m);
        }
        const int32_t position[3] = {at[0] + l.offset[0], at[1] + l.offset[1], at[2] + l.offset[2]};
        const int32_t slot = Add_Light(position, m, l.type, l.inner, l.outer, l.intensity);
        Attach_Light(slot, h + 1);
        return slot;
    }
    void Render() { Render_Frame(frame.data()); }
};

const Vec3 kCentre{-100, -100, 1000};

struct FlatRow {
    const char *name;
    std::vector<LightSpec> lights;
    int level;
    int32_t product; // the face normal's fourth word after the last light, unshifted
};

const std::vector<FlatRow> &FlatRows()
{
    static const std::vector<FlatRow> rows = {
        {"full strength inside the inner radius", {{1, {0, 0, -200}, 300, 1000, 31, {}}}, 31, -800},
        {"two full-strength lights add up to 31, not 62",
         {{1, {0, 0, -200}, 300, 1000, 31, {}}, {1, {0, 0, -200}, 300, 1000, 31, {}}}, 31, -800},
        {"a face turned away from the light", {{1, {0, 0, 300}, 0, 1000, 31, {}}}, 0, -1300},
        {"at the outer radius nothing", {{1, {0, 0, -400}, 0, 400, 31, {}}}, 0, -600},
        {"at half the outer radius half", {{1, {0, 0, -400}, 0, 800, 30, {}}}, 15, -600},
        {"linear falloff from an inner radius of 0", {{1, {0, 0, -300}, 0, 1000, 31, {}}}, 21, -700},
        {"exactly on the inner radius: full strength", {{1, {0, 0, -300}, 300, 1000, 31, {}}}, 31, -700},
        {"past an inner radius the falloff still counts from 0", {{1, {0, 0, -600}, 300, 1000, 31, {}}}, 12, -400},
        {"a slanted point light, truncated", {{1, {300, 400, -300}, 2000, 3000, 31, {}}}, 15, -700},
        {"a directed light straight at the face", {{2, {0, 0, -600}, 0, 1200, 20, {0, 0, 1}}}, 10, -32768},
        {"a slanted directed light, truncated", {{2, {0, 0, -600}, 5000, 6000, 20, {0, 3, 4}}}, 15, -26214},
        {"a directed light from behind", {{2, {0, 0, -600}, 5000, 6000, 20, {0, 0, -1}}}, 0, 32768},
        {"a free slot and a slot of type 3 count nothing",
         {{0, {0, 0, -200}, 300, 1000, 31, {}}, {3, {0, 0, -200}, 300, 1000, 31, {}},
          {1, {0, 0, -300}, 0, 1000, 31, {}}},
         21, -700},
        {"a light exactly on the face centre gives a finite level",
         {{1, {0, 0, 0}, 0, 1000, 31, {}}, {1, {0, 0, -300}, 0, 1000, 31, {}}}, 21, -700},
    };
    return rows;
}

// The flat levels, for a 56-byte and a 68-byte face, at the origin and with the local coordinates
// beyond 65,536. The level lands in the face's light byte and nowhere else.
TEST(Lighting, FlatLevelsFollowDistanceFacingAndFalloff)
{
    for (int32_t type : {1, 2}) {
        for (const Vec3 &shift : {Vec3{0, 0, 0}, Vec3{-80000, 70000, 100000}}) {
            for (const FlatRow &row : FlatRows()) {
                SCOPED_TRACE(testing::Message() << "type " << type << ", shift " << shift[0] << ": " << row.name);
                Wall wall(type, shift);
                ASSERT_GE(wall.h, 0);
                // Rows list a free slot as type 0 and a slot of another type as 3: added as point lights,
                // then freed or retyped once every light has its slot.
                std::vector<int32_t> slots;
                for (const LightSpec &l : row.lights) {
                    LightSpec added = l;
                    added.type = l.type == 0 || l.type == 3 ? LIGHT_POINT : l.type;
                    slots.push_back(wall.Light(added, kCentre));
                }
                for (size_t i = 0; i < slots.size(); i++) {
                    if (row.lights[i].type == 0) {
                        Remove_Light(slots[i]);
                    } else if (row.lights[i].type == 3) {
                        Light_Table[slots[i]].type = 3;
                    }
                }
                std::vector<uint8_t> before(wall.Face(0), wall.Face(0) + wall.Face_Size());
                wall.Face(0)[type == 1 ? 52 : 64] = 0x77;
                wall.Render();
                EXPECT_EQ(wall.Level(0), row.level);
                const bool point = row.lights.back().type == 1;
                EXPECT_EQ(wall.Product(0), point ? row.product - shift[2] : row.product);
                const uint8_t *after = wall.Face(0);
                for (uint32_t i = 8; i < wall.Face_Size(); i++) {
                    if (i != (type == 1 ? 52u : 64u)) {
                        ASSERT_EQ(after[i], before[i]) << "face byte " << i;
                    }
                }
            }
        }
    }
}

// Light lists as a damaged file may hold them: indices outside the table are skipped, a count above 8
// reads the 8 entries, a negative count is no light at all, and attaching to such a list does nothing.
TEST(Lighting, DamagedLightListsReadOnlyTheirValidEntries)
{
    struct Case {
        int32_t count;
        std::array<uint8_t, 8> list;
        int level; // slot 0 gives 21, slot 1 gives 21 + 15 -> 31 with slot 0
        int32_t count_after_attach;
    };
    const Case cases[] = {
        {3, {200, 0, 255, 0, 0, 0, 0, 0}, 21, 4},
        {1000, {100, 101, 0, 102, 103, 104, 105, 106}, 21, 1000},
        {9, {0, 1, 100, 100, 100, 100, 100, 100}, 31, 9},
        {-3, {0, 0, 0, 0, 0, 0, 0, 0}, 0x77, -3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.count);
        Wall wall(2);
        ASSERT_GE(wall.h, 0);
        wall.Light({1, {0, 0, -300}, 0, 1000, 31, {}}, kCentre);
        wall.Light({1, {300, 400, -300}, 2000, 3000, 31, {}}, kCentre);
        const Addr r = SceneArea::Record(wall.h + 1);
        W_Set32(r + offsetof(OBJ_Record, light_count), c.count);
        std::memcpy(W_Ptr(r + offsetof(OBJ_Record, lights)), c.list.data(), 8);
        wall.Face(0)[64] = 0x77;
        wall.Render();
        EXPECT_EQ(wall.Level(0), c.level);
        EXPECT_EQ(Attach_Light(1, wall.h + 1), 0);
        EXPECT_EQ(W_Get32(r + offsetof(OBJ_Record, light_count)), c.count_after_attach);
        EXPECT_EQ(Detach_Light(1, wall.h + 1), 0);
    }
}

// The light's position and direction in the frame of an object under a turned, moved parent: the
// exact products, truncated toward zero. Negative coordinates make a floor or a ">> 15" differ.
TEST(Lighting, LightsAreBroughtIntoTheObjectsFrameTruncatedTowardZero)
{
    SceneArea area;
    ObjectSpec root;
    root.name = "R";
    ObjectSpec parent = MeshObject("P", 0, {-4321, 1234, 20000}, CubeMesh(50), 1, "FLAT");
    ObjectSpec child = MeshObject("C", 1, {-777, -555, -333}, CubeMesh(50), 1, "FLAT");
    const OBJ_Handle h = area.Load("turned.3dc", HierarchyImage({root, parent, child}, {{"FLAT", "", 0x07E0}}));
    ASSERT_GE(h, 0);
    int32_t m[9];
    Mat_Rotate(123, 2345, 3456, m);
    ASSERT_EQ(Set_Obj_Matrix(h + 1, m), 0);
    Mat_Rotate(4000, 77, 1900, m);
    ASSERT_EQ(Set_Obj_Matrix(h + 2, m), 0);
    int32_t tilt[9];
    Mat_Rotate(-300, 500, 1500, tilt);
    const std::vector<std::array<int32_t, 3>> positions = {{-5000, -7000, -9000}, {-1, -2, 30003}, {-123456, 654321, -99999}};
    std::vector<int32_t> slots;
    for (const auto &p : positions) {
        slots.push_back(Add_Light(p.data(), tilt, LIGHT_DIRECTED, 0, 1000, 31));
        Attach_Light(slots.back(), h + 2);
    }
    XForm_Lights();
    XForm_Tree(0);
    const Addr o = SceneArea::Record(h + 2);
    Compute_Face_Illum(o);

    int32_t cm[9], cp[3];
    std::memcpy(cm, W_Ptr(o + offsetof(OBJ_Record, cam_matrix)), sizeof cm);
    std::memcpy(cp, W_Ptr(o + offsetof(OBJ_Record, cam_position)), sizeof cp);
    int inexact_negative = 0;
    for (int32_t slot : slots) {
        const OBJ_Light &l = Light_Table[slot];
        for (int i = 0; i < 3; i++) {
            double lp = 0, ld = 0;
            for (int k = 0; k < 3; k++) {
                lp += double(cm[3 * k + i]) * (double(cp[k]) - double(l.cam_position[k]));
                ld += double(cm[3 * k + i]) * double(l.cam_matrix[3 * k + 2]);
            }
            EXPECT_EQ(l.obj_position[i], int32_t(std::trunc(-lp / 32768.0))) << "slot " << slot << " Lp[" << i << "]";
            EXPECT_EQ(l.obj_direction[i], int32_t(std::trunc(ld / 32768.0))) << "slot " << slot << " Ld[" << i << "]";
            inexact_negative += (-lp < 0 && std::fmod(-lp, 32768.0) != 0) + (ld < 0 && std::fmod(ld, 32768.0) != 0);
        }
    }
    EXPECT_GE(inexact_negative, 4) << "the fixture no longer tells truncation from a floor";
}

// Corner levels of a face of the wall lit per corner, with every vertex normal facing the camera.
struct CornerCase {
    const char *name;
    std::vector<LightSpec> lights; // relative to corner 0 of face 0, (-300, -300, 1000)
    std::array<int, 3> levels;
};

TEST(Lighting, CornerLevelsAreLitOneByOneAndHoldAt31)
{
    const std::vector<CornerCase> cases = {
        {"each corner its own distance", {{1, {0, 100, -200}, 0, 800, 31, {}}}, {19, 3, 1}},
        {"three full lights hold at 31",
         {{1, {0, 0, -100}, 1000, 2000, 31, {}}, {1, {0, 0, -100}, 1000, 2000, 31, {}},
          {1, {0, 0, -100}, 1000, 2000, 31, {}}},
         {31, 15, 15}},
        {"a directed light at every corner alike", {{2, {0, 0, -100}, 5000, 6000, 20, {0, 0, 1}}}, {20, 20, 20}},
    };
    for (int32_t type : {22, 30}) {
        for (const Vec3 &shift : {Vec3{0, 0, 0}, Vec3{-90000, 0, 100000}}) {
            for (const CornerCase &c : cases) {
                SCOPED_TRACE(testing::Message() << "type " << type << ", shift " << shift[0] << ": " << c.name);
                Wall wall(type, shift, true);
                ASSERT_GE(wall.h, 0);
                wall.Set_Vertex_Normals({0, 0, -32768});
                for (const LightSpec &l : c.lights) {
                    wall.Light(l, {-300, -300, 1000});
                }
                uint8_t *back = wall.Face(2) + offsetof(OBJ_Face, corner_light);
                std::memset(back, 0x5A, 3);
                wall.Render();
                // The gloss of the glossy type only dims point lights' corners whose mirrored ray misses
                // the eye; three full lights still reach 31 at the nearest corner.
                const std::array<int, 3> levels = wall.Corners(0);
                if (type == 22 || c.lights[0].type == LIGHT_DIRECTED) {
                    EXPECT_EQ(levels, c.levels);
                } else {
                    for (size_t k = 0; k < 3; k++) {
                        EXPECT_LE(levels[k], c.levels[k]) << "corner " << k;
                    }
                    EXPECT_LT(levels[1], c.levels[1]) << "no gloss on a far corner";
                    EXPECT_EQ(levels[0] == 31, c.levels[0] == 31);
                }
                EXPECT_EQ(back[0], 0x5A) << "a culled face's corner changed";
                EXPECT_EQ(back[2], 0x5A);

                // The next frame sums afresh: without its lights' strength the levels fall.
                for (int32_t i = 0; i < MAX_LIGHTS; i++) {
                    Light_Table[i].intensity = 0;
                }
                wall.Render();
                EXPECT_EQ(wall.Corners(0), (std::array<int, 3>{0, 0, 0})) << "last frame's levels were kept";
            }
        }
    }
}

// The gloss factor of types 30 and 31, against the same corner of type 22: a vertex at (0, 0, 1000)
// seen from the camera at the origin, its normal given per case.
TEST(Lighting, GlossFollowsTheMirroredRay)
{
    struct Case {
        const char *name;
        Vec3 normal;
        LightSpec light; // relative to the vertex
        int diffuse, glossy;
    };
    const Case cases[] = {
        {"mirrored ray at the eye keeps all", {0, 0, -32768}, {1, {0, 0, -400}, 5000, 6000, 31, {}}, 31, 31},
        {"mirrored ray across the view gives nothing", {0, -23170, -23170}, {1, {0, 0, -400}, 5000, 6000, 31, {}}, 22, 0},
        {"mirrored ray 30 degrees off the eye keeps cos^4", {0, 0, -32768}, {1, {0, 200, -346}, 5000, 6000, 31, {}}, 26, 14},
        {"a light in the tangent plane keeps its level", {0, -23170, -23170}, {1, {0, 10, -10}, 5000, 6000, 31, {}}, 2, 2},
        {"a directed light has no gloss", {0, -23170, -23170}, {2, {0, 0, -400}, 5000, 6000, 31, {0, 0, 1}}, 21, 21},
    };
    for (const Case &c : cases) {
        for (int32_t type : {22, 30}) {
            SCOPED_TRACE(testing::Message() << "type " << type << ": " << c.name);
            SceneArea area;
            ObjectSpec root;
            root.name = "R";
            Mesh mesh = WallMesh(0, 300, 0, 300, 1000, 1, 1); // face 0's corner 0 is (0, 0, 1000)
            ObjectSpec wall = MeshObject("W", 0, {0, 0, 0}, mesh, type, "FIXT");
            MemFiles_Add("fixt.3dm", FixtureMaterialFile());
            const ImageBuilder image = HierarchyImage({root, wall}, {{"FIXT", "FIXT", 0}});
            const ImageFile file = image.Finish();
            const OBJ_Handle h = area.Load("gloss.3dc", image);
            ASSERT_GE(h, 0);
            const Addr normals = W_GetAddr(SceneArea::Record(h + 1) + offsetof(OBJ_Record, vnormals));
            for (int k = 0; k < 3; k++) {
                W_Set32(normals + 4 * Addr(k), c.normal[size_t(k)]); // vertex 0's normal
            }
            int32_t m[9];
            Mat_Copy(m, kIdentity);
            if (c.light.type == LIGHT_DIRECTED) {
                DirectedMatrix(c.light.direction, m);
            }
            const int32_t position[3] = {c.light.offset[0], c.light.offset[1], 1000 + c.light.offset[2]};
            Attach_Light(Add_Light(position, m, c.light.type, c.light.inner, c.light.outer, c.light.intensity), h + 1);
            std::vector<uint16_t> frame(640 * 480);
            Render_Frame(frame.data());
            const uint8_t *face = W_Ptr(SceneArea::At(h, file, "faces1"));
            EXPECT_EQ(face[offsetof(OBJ_Face, corner_light)], type == 22 ? c.diffuse : c.glossy);
        }
    }
}

// Faces that the near plane cuts are replaced by new ones in the frame heap; those are lit in their
// place, flat and per corner.
TEST(Lighting, FacesMadeByNearClippingAreLit)
{
    for (int32_t type : {2, 22}) {
        SCOPED_TRACE(type);
        SceneArea area;
        ObjectSpec root;
        root.name = "R";
        // A floor below the eye from behind the camera to 1000 ahead, a light just above its middle.
        ObjectSpec floor = MeshObject("F", 0, {0, 0, 0}, GridMesh(-300, 300, -200, 1000, 200, 1, 1), type, "FIXT");
        MemFiles_Add("fixt.3dm", FixtureMaterialFile());
        const ImageBuilder image = HierarchyImage({root, floor}, {{"FIXT", "FIXT", 0}});
        const ImageFile file = image.Finish();
        const OBJ_Handle h = area.Load("floor.3dc", image);
        ASSERT_GE(h, 0);
        const Addr r = SceneArea::Record(h + 1);
        const Addr normals = W_GetAddr(r + offsetof(OBJ_Record, vnormals));
        for (int32_t i = 0; i < W_Get32(r + offsetof(OBJ_Record, vnormal_count)); i++) {
            const int32_t up[3] = {0, -32768, 0};
            std::memcpy(W_Ptr(normals + 16 * Addr(i)), up, sizeof up);
        }
        const int32_t position[3] = {0, 100, 300};
        Attach_Light(Add_Light(position, kIdentity, LIGHT_POINT, 400, 2000, 31), h + 1);
        std::vector<uint16_t> frame(640 * 480);
        Render_Frame(frame.data());
        ASSERT_GT(nb_faces_clipped, 0);
        const Addr faces = SceneArea::At(h, file, "faces1");
        const Addr node = W_GetAddr(SceneArea::Record(h + 1) + offsetof(OBJ_Record, prims_a));
        int made = 0;
        for (Addr f = W_GetAddr(node + offsetof(OBJ_PrimNode, face_chain)); f != 0; f = W_GetAddr(f + offsetof(OBJ_Face, next))) {
            if (f >= faces && f < faces + 2 * sizeof(OBJ_Face)) {
                continue; // a stored face
            }
            made++;
            const uint8_t *fp = W_Ptr(f);
            if (type == 2) {
                EXPECT_GT(fp[offsetof(OBJ_Face, light)], 0);
            } else {
                for (int k = 0; k < 3; k++) {
                    EXPECT_GT(fp[offsetof(OBJ_Face, corner_light) + size_t(k)], 0) << "corner " << k;
                }
            }
        }
        EXPECT_GT(made, 0);
    }
}

// An object without lights keeps the levels it holds, from its file or from the last lit frame.
TEST(Lighting, AnObjectWithoutLightsKeepsItsLevels)
{
    {
        Wall wall(22);
        ASSERT_GE(wall.h, 0);
        wall.Set_Vertex_Normals({0, 0, -32768});
        const int32_t slot = wall.Light({1, {0, 0, -200}, 500, 900, 31, {}}, {-300, -300, 1000});
        wall.Render();
        const std::array<int, 3> lit = wall.Corners(0);
        EXPECT_EQ(lit[0], 31);
        Detach_Light(slot, wall.h + 1);
        Light_Table[slot].intensity = 0;
        wall.Render();
        EXPECT_EQ(wall.Corners(0), lit) << "the last lit frame's levels were lost";
    }
    for (int32_t type : {1, 2, 22}) {
        SCOPED_TRACE(type);
        Wall wall(type);
        ASSERT_GE(wall.h, 0);
        Add_Light(kIdentity, kIdentity, LIGHT_POINT, 0, 100000, 31); // in the table, attached to nothing
        uint8_t *light = wall.Face(0) + (type == 1 ? 52 : 64);
        const uint8_t stored[4] = {9, 8, 7, 6};
        std::memcpy(light, stored, type == 1 ? 1 : 4);
        wall.Render();
        EXPECT_EQ(std::memcmp(light, stored, type == 1 ? 1 : 4), 0);
    }
}

// Whole frames: a lit type-1 face's colour gains the level per channel and holds at each channel's
// top; a lit type-22 node keeps its type, where an unlit one becomes type 24.
TEST(Lighting, LitFramesColourFlatFacesAndKeepSmoothTypes)
{
    struct Case {
        uint16_t colour, lit;
    };
    // Level 31 adds 7 to blue and red and 15 to green.
    for (const Case &c : {Case{0x0000, 0x39E7}, Case{0xF7DE, 0xFFFF}, Case{0x8410, 0xBDF7}}) {
        SCOPED_TRACE(c.colour);
        Wall wall(1, {0, 0, 0}, false, c.colour);
        ASSERT_GE(wall.h, 0);
        wall.Light({1, {0, 0, -200}, 500, 900, 31, {}}, kCentre);
        wall.Render();
        // Face 0 covers the lower left of the wall's square; (-200, 100) lies inside it.
        const int32_t x = OBJ_View.centre_x + int32_t(-200 * OBJ_View.focal_x / 1000);
        const int32_t y = OBJ_View.centre_y + int32_t(100 * OBJ_View.focal_y / 1000);
        EXPECT_EQ(wall.frame[size_t(y) * 640 + size_t(x)], c.lit);
    }

    for (bool lit : {true, false}) {
        SCOPED_TRACE(lit ? "lit" : "unlit");
        Wall wall(22);
        ASSERT_GE(wall.h, 0);
        if (lit) {
            wall.Light({1, {0, 0, -200}, 500, 900, 31, {}}, kCentre);
        }
        wall.Render();
        const Addr node = W_GetAddr(SceneArea::Record(wall.h + 1) + offsetof(OBJ_Record, prims_a));
        EXPECT_EQ(W_Get32(node + offsetof(OBJ_PrimNode, type)), lit ? 22 : 24);
    }
}

} // namespace
