// Named test scenes, built with the scene builder.
//   "cubes": a flat type-1 cube and a textured type-2 cube side by side, 1500 units ahead.
//   "floor": a textured grid below the eye, from behind the camera to beyond the far clip.
#pragma once
#include <string>
#include <vector>

#include "tests/support/scene_builder.h"

namespace kalder_test {

std::vector<std::string> SceneNames();
// The scene's image; its record 0 is the scene's root, at the origin of the camera.
ImageBuilder SceneImage(const std::string &name);
// Adds the scene's files (its materials too) and loads it under the root camera; -1 for an unknown
// name or a failed load.
OBJ_Handle LoadScene(SceneArea &area, const std::string &name);

} // namespace kalder_test
