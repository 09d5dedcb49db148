// Writes the hero's three weapon models for tests, tools and the demo installation: a sword, a bow and
// a gun, each of flat boxes in colours of its own, and a damaged variant of each.
//
// "epee.3dc": "EPEE" the blade, 120 units long, and its child "GARDE" the hilt across it.
// "Arc.3dc": "ARC" the grip, with "BRANCHE1" and "BRANCHE2" bent above and below it.
// "Gun.3dc": "GUN", one small box.
// Each is drawn so that its grip falls in the hand where the game holds it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/character_writer.h"

namespace kalder_test {

enum class Weapon { Sword, Bow, Gun };

// The model's file name, as the game asks for it under data\3dc.
std::string WeaponFileName(Weapon weapon);
// The model's objects and their materials.
std::vector<ObjectSpec> WeaponObjects(Weapon weapon);
std::vector<MaterialSpec> WeaponMaterials(Weapon weapon);
// The model file with the 3D files' 8-byte prefix; damaged: cut inside its first record, which the
// library refuses.
NamedFile WeaponModel(Weapon weapon, bool damaged = false);
// All three, whole.
std::vector<NamedFile> WeaponModels();
// "gr01.3dc", the model every projectile shows: a small bright bolt, an octahedron of radius 24, its
// upper half "GR01" yellow and its lower half "GR01B" white. Damaged as the weapons are.
NamedFile ThrownModel(bool damaged = false);
// A model of one box node whose faces share that many vertices, for the benchmarks of the grow step.
NamedFile WeaponModelOfVertices(int32_t vertices);

} // namespace kalder_test
