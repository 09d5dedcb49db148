// Writes the hero's sword, bow and gun.
#include "tests/support/weapon_models.h"

#include "tests/support/image_builder.h"
#include "tests/support/scene_builder.h"

namespace kalder_test {

namespace {

ObjectSpec Part(const std::string &name, int parent, const Vec3 &position, const Vec3 &centre, const Vec3 &half,
                const std::string &material)
{
    return MeshObject(name, parent, position, BoxMesh(centre, half), 1, material);
}

} // namespace

std::string WeaponFileName(Weapon weapon)
{
    switch (weapon) {
    case Weapon::Sword: return "epee.3dc";
    case Weapon::Bow: return "Arc.3dc";
    default: return "Gun.3dc";
    }
}

std::vector<ObjectSpec> WeaponObjects(Weapon weapon)
{
    // The game holds a weapon at a fixed place in the hand node (the sword and the bow at (92, 7, -12),
    // the gun at (3, 7, -27)); each model is drawn around the opposite point, so that its grip falls
    // in the fist, just in front of the hand (toward -z).
    switch (weapon) {
    case Weapon::Sword:
        // Held out before the fist, the blade hanging 120 units down, broad side forward, the hilt
        // across it; far enough forward that a sword shrunk to half (blinking) still shows in front of
        // the chest.
        return {Part("EPEE", -1, {0, 0, 0}, {-92, 53, -78}, {8, 60, 3}, "BLADE"),
                Part("GARDE", 0, {0, 0, 0}, {-92, -7, -78}, {22, 5, 5}, "HILT")};
    case Weapon::Bow:
        // The grip in the fist, the limbs bent outward above and below it.
        return {Part("ARC", -1, {0, 0, 0}, {-92, -7, -18}, {6, 20, 6}, "GRIP"),
                Part("BRANCHE1", 0, {0, 0, 0}, {-80, -67, -18}, {5, 40, 5}, "LIMB"),
                Part("BRANCHE2", 0, {0, 0, 0}, {-80, 53, -18}, {5, 40, 5}, "LIMB")};
    default:
        // Below the fist, the barrel pointing forward.
        return {Part("GUN", -1, {0, 0, 0}, {-3, 10, -15}, {7, 7, 20}, "GUNMETAL")};
    }
}

std::vector<MaterialSpec> WeaponMaterials(Weapon weapon)
{
    switch (weapon) {
    // Colours found nowhere else on the demo level: a red blade with a yellow hilt, a brown bow with
    // orange limbs, a magenta gun.
    case Weapon::Sword: return {{"BLADE", "", 0xF800}, {"HILT", "", 0xFFE0}};
    case Weapon::Bow: return {{"GRIP", "", 0x8A22}, {"LIMB", "", 0xFC00}};
    default: return {{"GUNMETAL", "", 0xF81F}};
    }
}

NamedFile WeaponModel(Weapon weapon, bool damaged)
{
    ImageBuilder b = HierarchyImage(WeaponObjects(weapon), WeaponMaterials(weapon));
    if (damaged) {
        b.TruncateAt(40);
    }
    return {WeaponFileName(weapon), b.Finish().bytes};
}

std::vector<NamedFile> WeaponModels()
{
    return {WeaponModel(Weapon::Sword), WeaponModel(Weapon::Bow), WeaponModel(Weapon::Gun)};
}

NamedFile ThrownModel(bool damaged)
{
    // Corners: +x, -x, up (-y), down (+y), +z, -z.
    const std::vector<Vec3> corners = {{24, 0, 0}, {-24, 0, 0}, {0, -24, 0}, {0, 24, 0}, {0, 0, 24}, {0, 0, -24}};
    ObjectSpec upper;
    upper.name = "GR01";
    upper.material = "BOLT";
    upper.vertices = corners;
    upper.faces = {{2, 4, 0}, {2, 1, 4}, {2, 5, 1}, {2, 0, 5}};
    ObjectSpec lower = upper;
    lower.name = "GR01B";
    lower.parent = 0;
    lower.material = "BOLTCORE";
    lower.faces = {{3, 0, 4}, {3, 4, 1}, {3, 1, 5}, {3, 5, 0}};
    ImageBuilder b = HierarchyImage({upper, lower}, {{"BOLT", "", 0xFFE0}, {"BOLTCORE", "", 0xFFFF}});
    if (damaged) {
        b.TruncateAt(40);
    }
    return {"gr01.3dc", b.Finish().bytes};
}

NamedFile WeaponModelOfVertices(int32_t vertices)
{
    // A fan of flat triangles along the blade: vertex i at x = i, alternately above and below.
    ObjectSpec o;
    o.name = "EPEE";
    o.material = "BLADE";
    o.type = 1;
    for (int32_t i = 0; i < vertices; i++) {
        o.vertices.push_back({i % 120, (i & 1) ? 6 : -6, (i / 120) % 8});
    }
    for (int32_t i = 0; i + 2 < vertices; i += 3) {
        o.faces.push_back({i, i + 1, i + 2});
    }
    return {"epee.3dc", HierarchyImage({o}, WeaponMaterials(Weapon::Sword)).Finish().bytes};
}

} // namespace kalder_test
