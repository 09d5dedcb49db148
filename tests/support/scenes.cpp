// Named test scenes (see scenes.h).
#include "tests/support/scenes.h"

#include <cmath>
#include <cstdio>

#include "engine3d/image.h"
#include "engine3d/lights.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "core/dsp.h"
#include "engine3d/hmap.h"
#include "engine3d/matcache.h"
#include "engine3d/raster.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "tests/support/hmap_writer.h"
#include "tests/support/span_texture.h"
#include "tests/support/mem_file_source.h"

namespace kalder_test {

std::vector<std::string> SceneNames() { return {"cubes", "floor"}; }

std::vector<std::string> GoldenSceneNames()
{
    return {"rectangle", "flat-cube", "textured-cube", "receding-floor", "translucent-quad", "empty", "arm",
            "lit-cubes", "lit-spheres", "alpha-layers", "keyed", "backdrop", "backdrop-555"};
}

std::vector<std::string> BenchSceneNames()
{
    return {"s1-flat", "s2-affine", "s3-perspective", "s4-layers", "s5-translucent", "s6-small", "s7-lit", "s8-keyed",
            "s9-alpha", "s2-affine-texel", "s6-small-texel"};
}

std::vector<std::string> StressSceneNames() { return {"grid-78k", "layers-32"}; }

static bool IsGolden(const std::string &name)
{
    for (const std::string &g : GoldenSceneNames()) {
        if (g == name) {
            return true;
        }
    }
    return false;
}

// The fixture texture's row 0: the shade word the objects of the golden and benchmark scenes carry.
constexpr uint32_t kRowZero = 0x001F;

// A wall's cells mapped each over its own patch of texels_u x texels_v texels, the patches tiling the
// texture (256 a multiple of both), instead of each over the whole texture: about one texel a pixel
// where the patch's size is the cell's on the screen.
static Mesh TexelPatches(Mesh m, int nx, int ny, int32_t texels_u, int32_t texels_v)
{
    for (int j = 0; j < ny; j++) {
        for (int i = 0; i < nx; i++) {
            const int32_t u0 = (i * texels_u) % 256, v0 = (j * texels_v) % 256;
            const int32_t u1 = (u0 + texels_u - 1) << 16, v1 = (v0 + texels_v - 1) << 16;
            const size_t f = size_t(j * nx + i) * 2;
            m.uvs[f] = {u0 << 16, v0 << 16, u0 << 16, v1, u1, v0 << 16};
            m.uvs[f + 1] = {u1, v0 << 16, u0 << 16, v1, u1, v1};
        }
    }
    return m;
}

static ObjectSpec Textured(const std::string &name, const Vec3 &position, const Mesh &mesh, int32_t type)
{
    ObjectSpec o = MeshObject(name, 0, position, mesh, type, "FIXT");
    o.shade = kRowZero;
    return o;
}

// A type-1 object whose material, named after the colour, has that colour.
static ObjectSpec Flat(const std::string &name, const Vec3 &position, const Mesh &mesh, uint16_t colour,
                       std::vector<MaterialSpec> &materials)
{
    char material[8];
    std::snprintf(material, sizeof material, "F%04X", colour);
    materials.push_back({material, "", colour});
    return MeshObject(name, 0, position, mesh, 1, material);
}

// One face of a mesh, with all its vertices.
static Mesh CubeFace(const Mesh &cube, size_t face)
{
    Mesh m;
    m.vertices = cube.vertices;
    m.faces = {cube.faces[face]};
    m.uvs = {cube.uvs[face]};
    return m;
}

// A segment of the arm: a box 48 wide and deep and `length` long, from its joint at the origin up
// (toward -y) to its far end, where the next segment's joint is.
static Mesh Segment(int32_t length)
{
    Mesh m = CubeMesh(64);
    for (Vec3 &v : m.vertices) {
        v = {v[0] * 3 / 8, (v[1] - 64) * length / 128, v[2] * 3 / 8};
    }
    return m;
}

// A quad over columns sx0..sx1 and rows sy0..sy1 of the golden view, its left side at depth z0 and its
// right side at z1, facing the camera and mapped over the whole texture.
static Mesh ScreenQuad(int32_t sx0, int32_t sx1, int32_t sy0, int32_t sy1, int32_t z0, int32_t z1)
{
    Mesh m = WallMesh(sx0, sx1, sy0, sy1, 0, 1, 1);
    for (Vec3 &v : m.vertices) {
        const int64_t z = z0 + int64_t(z1 - z0) * (v[0] - sx0) / (sx1 - sx0);
        v = {int32_t((v[0] - 160) * z / 320), int32_t((v[1] - 120) * z / 320), int32_t(z)};
    }
    return m;
}

constexpr int32_t Upper_Length = 110, Fore_Length = 100, Hand_Length = 60;
// The backdrop scenes' picture: a brick wall with a doorway onto a dark room, and its depth image (the
// wall 1000 away, the room 4000).
constexpr int32_t kDoorLeft = 120, kDoorRight = 200, kDoorTop = 60;
constexpr int32_t kWallDepth = 1000, kRoomDepth = 4000, kBackdropShift = 9;

static bool InDoorway(int32_t x, int32_t y) { return x >= kDoorLeft && x < kDoorRight && y >= kDoorTop; }

static std::vector<uint16_t> BackdropPicture(bool rgb555)
{
    std::vector<uint16_t> picture(320 * 240);
    for (int32_t y = 0; y < 240; y++) {
        for (int32_t x = 0; x < 320; x++) {
            uint32_t r, g, b; // 5, 6 and 5 bits
            if (InDoorway(x, y)) {
                const uint32_t fade = uint32_t(y - kDoorTop) * 10 / 180;
                r = 1 + fade / 2;
                g = 3 + fade;
                b = 6 + fade;
                if ((y - kDoorTop) % 30 == 29) {
                    r = g = b = 1; // the room's floor boards
                }
            } else {
                const int32_t course = y / 12;
                const bool mortar = y % 12 == 11 || (x + (course % 2) * 16) % 32 == 31;
                const uint32_t tone = uint32_t((x / 32 * 7 + course * 5) % 6);
                r = mortar ? 18 : 17 + tone;
                g = mortar ? 36 : 14 + tone;
                b = mortar ? 17 : 8;
            }
            picture[size_t(y) * 320 + size_t(x)] =
                uint16_t(rgb555 ? (r << 10 | (g >> 1) << 5 | b) : (r << 11 | g << 5 | b));
        }
    }
    return picture;
}

static std::vector<uint8_t> BackdropDepthFile()
{
    HmapWriter w;
    w.FromDepth(320, 240, kBackdropShift, [](int32_t x, int32_t y) { return double(InDoorway(x, y) ? kRoomDepth : kWallDepth); });
    return w.Bytes();
}

static void AddObjects(const std::string &name, std::vector<ObjectSpec> &objects, std::vector<MaterialSpec> &materials)
{
    const Vec3 cube_at{-200, -140, 800};
    constexpr int32_t cube_size = 100;
    if (name == "cubes") {
        objects.push_back(MeshObject("FlatCube", 0, {-400, 0, 1500}, CubeMesh(200), 1, "FLAT"));
        objects.back().material_word = 0x07E0;
        objects.push_back(MeshObject("TexCube", 0, {400, 0, 1500}, CubeMesh(200), 2, "CHECK"));
    } else if (name == "floor") {
        objects.push_back(MeshObject("Grid", 0, {0, 0, 0}, GridMesh(-4000, 4000, -4000, 72000, 400, 8, 38), 2, "CHECK"));
    } else if (name == "rectangle") {
        // Built by RectangleImage.
    } else if (name == "flat-cube") {
        const Mesh cube = CubeMesh(cube_size);
        for (size_t f = 0; f < cube.faces.size(); f++) {
            objects.push_back(Flat("Face" + std::to_string(f), cube_at, CubeFace(cube, f), uint16_t(0x1234 + 5000 * f), materials));
        }
    } else if (name == "textured-cube") {
        objects.push_back(Textured("TexCube", cube_at, CubeMesh(cube_size), 2));
    } else if (name == "receding-floor") {
        objects.push_back(Textured("Floor", {0, 0, 0}, GridMesh(-3000, 3000, -2000, 20000, 300, 6, 22), 3));
    } else if (name == "translucent-quad") {
        objects.push_back(Textured("TexCube", cube_at, CubeMesh(cube_size), 2));
        objects.push_back(Textured("Glass", {0, 0, 0}, WallMesh(-150, 150, -150, 50, 600, 1, 1), -3));
    } else if (name == "alpha-layers") {
        objects.push_back(Textured("TexCube", cube_at, CubeMesh(cube_size), 2));
        // Unlit -13 faces take their alpha from the shade word's second level.
        for (int k = 0; k < 3; k++) {
            objects.push_back(MeshObject("Alpha" + std::to_string(k), 0, {0, 0, 0},
                                         WallMesh(-300 + 110 * k, -190 + 110 * k, -200, 60, 650, 1, 1), -13, "CHECK"));
            objects.back().shade = uint32_t(8 * (k + 1)) << 8 | kRowZero;
        }
        materials.push_back({"ALPH", "ALPH", 0});
        objects.push_back(MeshObject("TexelAlpha", 0, {0, 0, 0}, WallMesh(60, 250, -200, -20, 700, 1, 1), -8, "ALPH"));
        objects.back().shade = kRowZero;
        objects.push_back(MeshObject("TexelFloor", 0, {0, 0, 0}, GridMesh(-250, 250, 900, 2000, 150, 2, 2), -9, "ALPH"));
        objects.back().shade = kRowZero;
    } else if (name == "keyed") {
        // A holed quad over the textured cube, and a fence along the left of the perspective floor.
        materials.push_back({"HOLES", "HOLES", 0});
        objects.push_back(Textured("TexCube", cube_at, CubeMesh(cube_size), 2));
        objects.push_back(Textured("Grille", {0, 0, 0}, WallMesh(-150, 150, -150, 50, 600, 1, 1), -5));
        objects.back().material = "HOLES";
        objects.push_back(Textured("Floor", {0, 0, 0}, GridMesh(-3000, 3000, -2000, 20000, 300, 6, 22), 3));
        Mesh fence = GridMesh(-100, 300, 400, 8000, -700, 1, 10);
        for (Vec3 &v : fence.vertices) {
            v = {v[1], v[0], v[2]}; // stood up on the floor, facing right
        }
        objects.push_back(Textured("Fence", {0, 0, 0}, fence, -6));
        objects.back().material = "HOLES";
    } else if (name == "backdrop" || name == "backdrop-555") {
        // Objects before and behind the painted wall, and across its depth: the opaque ones on rows of
        // their own, above the translucent ones.
        materials.push_back({"HOLES", "HOLES", 0});
        materials.push_back({"DISC", "DISC", 0});
        objects.push_back(Flat("Post", {0, 0, 0}, ScreenQuad(90, 150, 30, 85, 2000, 2000), 0xFFE0, materials));
        objects.back().type = 17;
        objects.push_back(Textured("Beam", {0, 0, 0}, ScreenQuad(40, 280, 95, 130, 700, 1900), 18));
        objects.push_back(Textured("Leaf", {0, 0, 0}, ScreenQuad(60, 160, 145, 190, 2500, 2500), -11));
        objects.back().material = "DISC";
        objects.push_back(Textured("Glass", {0, 0, 0}, ScreenQuad(170, 300, 145, 190, 800, 800), -10));
        objects.push_back(Textured("Ghost", {0, 0, 0}, ScreenQuad(100, 220, 200, 236, 3000, 3000), -15));
        objects.back().material = "HOLES";
    } else if (name == "empty") {
    } else if (name == "arm") {
        objects.push_back(Textured("Upper", {0, 180, 900}, Segment(Upper_Length), 2));
        objects.push_back(Textured("Fore", {0, -Upper_Length, 0}, Segment(Fore_Length), 2));
        objects.back().parent = 1;
        objects.push_back(Textured("Hand", {0, -Fore_Length, 0}, Segment(Hand_Length), 2));
        objects.back().parent = 2;
    } else if (name == "lit-cubes") {
        objects.push_back(Textured("Floor", {0, 0, 0}, GridMesh(-700, 700, 500, 1900, 160, 10, 10), 2));
        objects.push_back(Flat("FlatCube", {-190, 70, 950}, TurnedMesh(CubeMesh(90), 400, 0), 0x18E3, materials));
        objects.push_back(Textured("TexCube", {190, 70, 1100}, TurnedMesh(CubeMesh(90), -400, 0), 2));
    } else if (name == "lit-spheres") {
        objects.push_back(Textured("Smooth", {-170, 0, 900}, SphereMesh(130, 10, 12), 22));
        objects.push_back(Textured("Glossy", {170, 0, 900}, SphereMesh(130, 10, 12), 30));
    } else if (name == "boxes") {
        // Four levels below the root camera, with siblings: the scene root, three objects, one child.
        const Mesh cube = CubeMesh(80);
        objects.push_back(MeshObject("Crate", 0, {0, 0, 1500}, cube, 1, "FLAT"));
        objects.back().box_corners = {BoxAround({0, 0, 0}, {100, 100, 100})};
        objects.push_back(MeshObject("Pillar", 0, {450, 0, 1600}, cube, 1, "FLAT"));
        objects.back().box_corners = {BoxAround({0, -150, 0}, {60, 150, 60}), BoxAround({0, 150, 0}, {60, 150, 60})};
        objects.push_back(MeshObject("Turned", 0, {-400, 60, 1400}, cube, 1, "FLAT"));
        objects.back().box_corners = {BoxAround({0, 0, 0}, {120, 60, 90}, 0.5, 0.3)};
        objects.push_back(MeshObject("Lid", 3, {0, -160, 0}, cube, 1, "FLAT"));
        objects.back().box_corners = {BoxAround({-50, 0, 0}, {40, 20, 40}), BoxAround({50, 0, 0}, {40, 20, 40}),
                                      BoxAround({0, -40, 0}, {30, 20, 30}, 0.25)};
    } else if (name == "s1-flat") {
        objects.push_back(Flat("Wall", {0, 0, 0}, WallMesh(-1200, 1200, -900, 900, 1500, 25, 20), 0x4A69, materials));
    } else if (name == "s2-affine") {
        objects.push_back(Textured("Wall", {0, 0, 0}, WallMesh(-1200, 1200, -900, 900, 1500, 100, 50), 2));
    } else if (name == "s3-perspective") {
        objects.push_back(Textured("Floor", {0, 0, 0}, GridMesh(-2000, 2000, 200, 20000, 400, 8, 40), 3));
        objects.push_back(Textured("Back", {0, 0, 0}, WallMesh(-2000, 2000, -2000, 400, 20000, 8, 4), 3));
        Mesh left = GridMesh(-2000, 400, 200, 20000, -2000, 4, 40);
        for (Vec3 &v : left.vertices) {
            v = {v[1], v[0], v[2]}; // the grid stood up as the left wall, facing right
        }
        objects.push_back(Textured("Left", {0, 0, 0}, left, 3));
    } else if (name == "s4-layers") {
        for (int k = 0; k < 4; k++) {
            objects.push_back(Textured("Layer" + std::to_string(k), {0, 0, 0},
                                       WallMesh(-1300 - 60 * k, 1300 + 60 * k, -1000 - 50 * k, 1000 + 50 * k, 1500 + 100 * k, 8, 6),
                                       2));
        }
    } else if (name == "s5-translucent") {
        objects.push_back(Textured("Backdrop", {0, 0, 0}, WallMesh(-1400, 1400, -1100, 1100, 1600, 8, 6), 2));
        for (int k = 0; k < 3; k++) {
            objects.push_back(Textured("Glass" + std::to_string(k), {0, 0, 0},
                                       WallMesh(-900 + 200 * k, 600 + 200 * k, -700 + 100 * k, 500 + 100 * k, 1000 + 150 * k, 2, 2),
                                       -3));
        }
    } else if (name == "s6-small") {
        for (int k = 0; k < 4; k++) {
            objects.push_back(Textured("Layer" + std::to_string(k), {0, 0, 0},
                                       WallMesh(-1200, 1200, -900, 900, 1500 + 10 * k, 50, 50), 2));
        }
    } else if (name == "s2-affine-texel") {
        // s2's cells of 6.4 x 9.6 pixels, each over 8 x 8 texels.
        objects.push_back(
            Textured("Wall", {0, 0, 0}, TexelPatches(WallMesh(-1200, 1200, -900, 900, 1500, 100, 50), 100, 50, 8, 8), 2));
    } else if (name == "s6-small-texel") {
        // s6's cells of 12.8 x 9.6 pixels, each over 16 x 8 texels.
        for (int k = 0; k < 4; k++) {
            objects.push_back(Textured("Layer" + std::to_string(k), {0, 0, 0},
                                       TexelPatches(WallMesh(-1200, 1200, -900, 900, 1500 + 10 * k, 50, 50), 50, 50, 16, 8),
                                       2));
        }
    } else if (name == "grid-78k") {
        // 78,000 triangles of 2 to 4 pixels: four quarters of a 300 x 130 grid filling the view.
        for (int k = 0; k < 4; k++) {
            const int32_t x0 = k % 2 == 0 ? -1200 : 0, y0 = k / 2 == 0 ? -900 : 0;
            objects.push_back(Textured("Quarter" + std::to_string(k), {0, 0, 0},
                                       WallMesh(x0, x0 + 1200, y0, y0 + 900, 1500, 150, 65), 2));
        }
    } else if (name == "layers-32") {
        // 32 opaque layers stacked front to back, each farther one showing a rim around the one before it.
        for (int k = 0; k < 32; k++) {
            objects.push_back(Textured("Layer" + std::to_string(k), {0, 0, 0},
                                       WallMesh(-700 - 50 * k, 700 + 50 * k, -500 - 37 * k, 500 + 37 * k, 1000 + 40 * k, 6, 4),
                                       2));
        }
    } else if (name == "s7-lit") {
        // Vertex normals point from the object's origin, behind the wall: they fan out towards the camera.
        objects.push_back(Textured("Lit", {0, 0, 1900}, WallMesh(-1200, 1200, -900, 900, -400, 100, 100), 22));
    } else if (name == "s9-alpha") {
        objects.push_back(Textured("Backdrop", {0, 0, 0}, WallMesh(-1400, 1400, -1100, 1100, 1600, 8, 6), 2));
        // 40 layers of 5 x 5 quads, each layer at its own alpha and depth, scattered over the view.
        for (int k = 0; k < 40; k++) {
            const int32_t x = -1000 + (k * 397) % 1500, y = -800 + (k * 211) % 1100, z = 1500 - 20 * k;
            objects.push_back(Textured("Alpha" + std::to_string(k), {0, 0, 0}, WallMesh(x, x + 500, y, y + 400, z, 5, 5), -13));
            objects.back().shade = uint32_t(1 + (k * 7) % 31) << 8 | kRowZero;
        }
    } else if (name == "s8-keyed") {
        // Keyed foliage: four layers of 500 round-leaved quads each over an opaque wall.
        materials.push_back({"DISC", "DISC", 0});
        objects.push_back(Textured("Backdrop", {0, 0, 0}, WallMesh(-1400, 1400, -1100, 1100, 1600, 8, 6), 2));
        for (int k = 0; k < 4; k++) {
            objects.push_back(Textured("Leaves" + std::to_string(k), {0, 0, 0},
                                       WallMesh(-1200 + 30 * k, 1200 + 30 * k, -900 + 20 * k, 900 + 20 * k, 1000 + 100 * k, 25, 20),
                                       -5));
            objects.back().material = "DISC";
        }
    } else {
        objects.clear();
    }
}

std::vector<SceneLight> SceneLights(const std::string &name)
{
    if (name == "lit-cubes") {
        return {{1, {0, -120, 800}, {0, 0, 0}, 0, 1100, 31}};
    }
    if (name == "lit-spheres") {
        return {{1, {0, -250, 650}, {0, 0, 0}, 150, 1200, 31}, {2, {-800, -800, 0}, {1, 1, 1}, 0, 3000, 14}};
    }
    if (name == "s7-lit") {
        std::vector<SceneLight> lights;
        for (int k = 0; k < 4; k++) {
            lights.push_back({1, {(k & 1) ? 600 : -600, (k & 2) ? 450 : -450, 1100}, {0, 0, 0}, 0, 1500, 20});
        }
        return lights;
    }
    return {};
}

void DirectedMatrix(const Vec3 &direction, int32_t *m)
{
    auto unit = [](double x, double y, double z, double *out) {
        const double l = std::sqrt(x * x + y * y + z * z);
        out[0] = x / l;
        out[1] = y / l;
        out[2] = z / l;
    };
    double d[3], x[3], y[3];
    unit(direction[0], direction[1], direction[2], d);
    // x = up x d, with up the y axis unless d runs along it.
    const bool vertical = std::fabs(d[1]) > 0.9;
    const double up[3] = {vertical ? 1.0 : 0.0, vertical ? 0.0 : 1.0, 0.0};
    unit(up[1] * d[2] - up[2] * d[1], up[2] * d[0] - up[0] * d[2], up[0] * d[1] - up[1] * d[0], x);
    unit(d[1] * x[2] - d[2] * x[1], d[2] * x[0] - d[0] * x[2], d[0] * x[1] - d[1] * x[0], y);
    for (int i = 0; i < 3; i++) {
        m[3 * i] = int32_t(x[i] * 32768.0);
        m[3 * i + 1] = int32_t(y[i] * 32768.0);
        m[3 * i + 2] = int32_t(d[i] * 32768.0);
    }
}

void PlaceOrbitLight(int32_t frame)
{
    constexpr double pi = 3.14159265358979323846;
    const double a = 2 * pi * frame / kLightOrbitFrames;
    const int32_t position[3] = {int32_t(std::lround(450 * std::sin(a))), -200, int32_t(std::lround(900 - 450 * std::cos(a)))};
    Set_Light_Pos(0, position);
}

// Adds the scene's lights and attaches each to every object below the root.
static void AddSceneLights(const std::string &name, OBJ_Handle scene)
{
    for (const SceneLight &l : SceneLights(name)) {
        int32_t m[9];
        Mat_Identity(m);
        if (l.type == 2) {
            DirectedMatrix(l.direction, m);
        }
        const int32_t slot = Add_Light(l.position.data(), m, l.type, l.inner, l.outer, l.intensity);
        for (int32_t i = 1; i < Get_Obj_Count(scene); i++) {
            Attach_Light(slot, scene + i);
        }
    }
}

void SceneSpecs(const std::string &name, std::vector<ObjectSpec> &objects, std::vector<MaterialSpec> &materials)
{
    materials = {{"FLAT", "", 0x07E0}, {"CHECK", "CHECK", 0}, {"FIXT", "FIXT", 0}};
    ObjectSpec root;
    root.name = name;
    objects = {root};
    AddObjects(name, objects, materials);
}

ImageBuilder SceneImage(const std::string &name)
{
    if (name == "rectangle") {
        return RectangleImage(37, 21, 250, 180, 0x3A6B);
    }
    std::vector<ObjectSpec> objects;
    std::vector<MaterialSpec> materials;
    SceneSpecs(name, objects, materials);
    return HierarchyImage(objects, materials);
}

void PlaceRootCamera(const Vec3 &position, int32_t yaw)
{
    const int32_t c = Get_Cos(yaw & 4095), s = Get_Sin(yaw & 4095);
    const int32_t local[9] = {c, 0, s, 0, 0x8000, 0, -s, 0, c};
    Set_Obj_Matrix(0, local); // a camera's view follows its placement
    Set_Obj_Pos(0, position.data());
}

void SetGoldenView()
{
    Set_Screen_Size(320, 240);
    Set_Viewport(320, 240, 0, 0, 640);
}

ImageBuilder RectangleImage(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour)
{
    const int32_t focal = int32_t(OBJ_View.focal_x);
    const int32_t cx = OBJ_View.centre_x, cy = OBJ_View.centre_y;
    Mesh quad = WallMesh(x0 - cx, x1 - cx, y0 - cy, y1 - cy, focal, 1, 1);
    Mesh first = quad, second = quad;
    first.faces.resize(1);
    first.uvs.resize(1);
    second.faces.erase(second.faces.begin());
    second.uvs.erase(second.uvs.begin());
    ObjectSpec root;
    root.name = "rectangle";
    std::vector<MaterialSpec> materials;
    std::vector<ObjectSpec> objects = {root, Flat("Upper", {0, 0, 0}, first, colour, materials),
                                       Flat("Lower", {0, 0, 0}, second, uint16_t(colour + 5000), materials)};
    return HierarchyImage(objects, materials);
}

static void AddMaterials()
{
    MemFiles_Add("check.3dm", CheckerMaterialFile());
    MemFiles_Add("fixt.3dm", FixtureMaterialFile());
    MemFiles_Add("alph.3dm", AlphaMaterialFile());
    MemFiles_Add("holes.3dm", FixtureMaterialFile([](uint8_t *t) { FillHoledChecker(t, 32); }));
    MemFiles_Add("disc.3dm", FixtureMaterialFile([](uint8_t *t) { FillHoledDisc(t, 120); }));
}

void ClearSceneBackdrop()
{
    Set_Background_Type(14);
    Set_Background_Picture(nullptr);
    HMAP_SetCurrent(nullptr);
    DSP_Rgb555 = 0;
}

// The backdrop scenes' picture and depth image, kept for as long as they are current.
static std::vector<uint16_t> Backdrop_Picture;
static std::vector<uint8_t> Backdrop_Depth;

static void SetSceneBackdrop(const std::string &name)
{
    ClearSceneBackdrop();
    if (name != "backdrop" && name != "backdrop-555") {
        return;
    }
    const bool rgb555 = name == "backdrop-555";
    if (rgb555) {
        DSP_Rgb555 = 1;
        Convert_Cache_To_555();
    }
    Backdrop_Picture = BackdropPicture(rgb555);
    const std::vector<uint8_t> file = BackdropDepthFile();
    Backdrop_Depth.assign(Hmap_Image_Size(file.data(), uint32_t(file.size())), 0);
    Hmap_Convert(Backdrop_Depth.data(), file.data(), uint32_t(file.size()));
    Set_Background_Picture(Backdrop_Picture.data());
    Set_Background_Type(15);
    HMAP_SetCurrent(Backdrop_Depth.data());
}

OBJ_Handle LoadScene(SceneArea &area, const std::string &name)
{
    if (IsGolden(name)) {
        SetGoldenView();
    }
    const ImageBuilder image = SceneImage(name);
    if (!image.Has("rec0")) {
        return -1;
    }
    AddMaterials();
    const OBJ_Handle h = area.Load(name + ".3dc", image);
    if (h >= 0) {
        AddSceneLights(name, h);
        SetSceneBackdrop(name);
    }
    return h;
}

OBJ_Handle LoadRectangle(SceneArea &area, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour)
{
    AddMaterials();
    return area.Load("rect.3dc", RectangleImage(x0, y0, x1, y1, colour));
}

// A turn of that many degrees about the view axis, 1.0 = 0x8000.
static Quat Turn_Z(double degrees)
{
    const double half = degrees * 3.14159265358979323846 / 360.0;
    return {0, 0, int32_t(std::lround(std::sin(half) * 32768.0)), int32_t(std::lround(std::cos(half) * 32768.0))};
}

std::vector<TrackSpec> ArmTracks(const std::string &name)
{
    std::vector<TrackSpec> tracks(4);
    if (name == "wave") {
        tracks[1].rotations = {{0, Turn_Z(0)}, {7, Turn_Z(25)}, {19, Turn_Z(-20)}, {30, Turn_Z(10)}};
        tracks[1].positions = {{0, {0, 180, 900}}, {13, {0, 150, 900}}, {30, {0, 190, 900}}};
        tracks[2].rotations = {{0, Turn_Z(0)}, {11, Turn_Z(40)}, {19, Turn_Z(10)}, {30, Turn_Z(-35)}};
        tracks[3].rotations = {{0, Turn_Z(0)}, {5, Turn_Z(-30)}, {19, Turn_Z(30)}, {30, Turn_Z(0)}};
    } else if (name == "reach") {
        const double upper[] = {0, -35, -60, 0}, fore[] = {0, -50, -20, 0}, hand[] = {0, 20, -40, 0};
        const int32_t times[] = {0, 9, 23, 40};
        const double *angles[] = {upper, fore, hand};
        for (size_t t = 1; t < 4; t++) {
            for (size_t k = 0; k < 4; k++) {
                const double a = angles[t - 1][k];
                tracks[t].rotations.push_back({times[k], Turn_Z(a)});
                tracks[t].rotation_splines.push_back({0.25f, 0.125f, Turn_Z(a + 8), Turn_Z(a - 8)});
            }
        }
        tracks[1].positions = {{0, {0, 180, 900}}, {23, {60, 150, 900}}, {40, {0, 180, 900}}};
        tracks[1].position_splines = {{0, 0, {40, 0, 0}, {0, 0, 0}}, {0.5f, 0.5f, {0, 30, 0}, {0, -30, 0}},
                                      {0, 0, {0, 0, 0}, {-40, 0, 0}}};
    }
    return tracks;
}

OBJ_Handle LoadArmAnimation(const std::string &name, int32_t kind)
{
    const std::string file = name + ".3da";
    MemFiles_Add(file, TrackImage(kind, ArmTracks(name)).Finish().bytes);
    return Load_Obj(file.c_str());
}

int32_t LoadArmPoses(SceneArea &area, OBJ_Handle arms[3])
{
    OBJ_Handle arm = LoadScene(area, "arm");
    std::vector<ObjectSpec> places(4);
    places[0].name = "places";
    for (int k = 0; k < 3; k++) {
        places[size_t(k) + 1].name = "Place" + std::to_string(k);
        places[size_t(k) + 1].parent = 0;
        places[size_t(k) + 1].position = {-250 + 250 * k, 0, 0};
    }
    OBJ_Handle placed = area.Load("places.3dc", HierarchyImage(places, {}));
    if (arm < 0 || placed < 0 || Unlink_Obj(arm) != 0) {
        return -1;
    }
    for (int k = 0; k < 3; k++) {
        arms[k] = Clone_Obj(arm);
        if (arms[k] < 0 || Link_Obj(arms[k], placed + 1 + k) != 0) {
            return -1;
        }
    }
    return 0;
}

} // namespace kalder_test
