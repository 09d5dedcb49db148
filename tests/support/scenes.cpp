// Named test scenes (see scenes.h).
#include "tests/support/scenes.h"

#include "tests/support/mem_file_source.h"

namespace kalder_test {

std::vector<std::string> SceneNames() { return {"cubes", "floor"}; }

ImageBuilder SceneImage(const std::string &name)
{
    std::vector<MaterialSpec> materials = {{"FLAT", "", 0x07E0}, {"CHECK", "CHECK", 0}};
    ObjectSpec root;
    root.name = name == "cubes" ? "Cubes" : "Floor";
    std::vector<ObjectSpec> objects = {root};
    if (name == "cubes") {
        objects.push_back(MeshObject("FlatCube", 0, {-400, 0, 1500}, CubeMesh(200), 1, "FLAT"));
        objects.back().material_word = 0x07E0;
        objects.push_back(MeshObject("TexCube", 0, {400, 0, 1500}, CubeMesh(200), 2, "CHECK"));
    } else if (name == "floor") {
        objects.push_back(MeshObject("Grid", 0, {0, 0, 0}, GridMesh(-4000, 4000, -4000, 72000, 400, 8, 38), 2, "CHECK"));
    } else {
        objects.clear();
    }
    return HierarchyImage(objects, materials);
}

OBJ_Handle LoadScene(SceneArea &area, const std::string &name)
{
    const ImageBuilder image = SceneImage(name);
    if (!image.Has("rec0")) {
        return -1;
    }
    MemFiles_Add("check.3dm", CheckerMaterialFile());
    return area.Load(name + ".3dc", image);
}

} // namespace kalder_test
