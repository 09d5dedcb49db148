// Named test scenes (see scenes.h).
#include "tests/support/scenes.h"

#include <cstdio>

#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "engine3d/view.h"
#include "tests/support/mem_file_source.h"

namespace kalder_test {

std::vector<std::string> SceneNames() { return {"cubes", "floor"}; }

std::vector<std::string> GoldenSceneNames()
{
    return {"rectangle", "flat-cube", "textured-cube", "receding-floor", "translucent-quad", "empty"};
}

std::vector<std::string> BenchSceneNames()
{
    return {"s1-flat", "s2-affine", "s3-perspective", "s4-layers", "s5-translucent", "s6-small"};
}

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
    } else if (name == "empty") {
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
    } else {
        objects.clear();
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
    return area.Load(name + ".3dc", image);
}

OBJ_Handle LoadRectangle(SceneArea &area, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour)
{
    AddMaterials();
    return area.Load("rect.3dc", RectangleImage(x0, y0, x1, y1, colour));
}

} // namespace kalder_test
