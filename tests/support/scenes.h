// Named test scenes, built with the scene builder.
//   "cubes": a flat type-1 cube and a textured type-2 cube side by side, 1500 units ahead.
//   "floor": a textured grid below the eye, from behind the camera to beyond the far clip.
//   "boxes": small flat cubes carrying one to three collision boxes each ("Crate", "Pillar", "Turned"
//   with its child "Lid"), two of the boxes turned; meant to be seen through a moved root camera.
// The golden scenes, drawn at 320 x 240 with focal 320 (their loading sets that view):
//   "rectangle": a quad of two flat triangles whose colours differ by 5000, on integer screen corners;
//   "flat-cube": a type-1 cube, each face its own colour, stepping by 5000;
//   "textured-cube": a type-2 cube with the fixture texture;
//   "receding-floor": a type-3 grid with the fixture texture, reaching behind the camera;
//   "translucent-quad": a type -3 quad over the textured cube;
//   "empty": nothing but the root.
// The benchmark scenes, at the game's 640 x 480 view:
//   "s1-flat": 1,000 flat triangles; "s2-affine": 10,000 affine textured triangles;
//   "s3-perspective": a perspective floor and walls, all in front of the near plane; "s4-layers": four overlapping opaque layers;
//   "s5-translucent": translucent -3 layers over an opaque backdrop;
//   "s6-small": 20,000 small triangles of about 50 pixels each.
#pragma once
#include <string>
#include <vector>

#include "tests/support/scene_builder.h"

namespace kalder_test {

std::vector<std::string> SceneNames();
std::vector<std::string> GoldenSceneNames();
std::vector<std::string> BenchSceneNames();
// The objects of a scene (object 0 its root; the others its children, in camera space) and their
// materials; a rectangle is built by RectangleImage instead.
void SceneSpecs(const std::string &name, std::vector<ObjectSpec> &objects, std::vector<MaterialSpec> &materials);
// The scene's image; its record 0 is the scene's root, at the origin of the camera.
ImageBuilder SceneImage(const std::string &name);
// Adds the scene's files (its materials too) and loads it under the root camera; -1 for an unknown
// name or a failed load. A golden scene sets its 320 x 240 view first.
OBJ_Handle LoadScene(SceneArea &area, const std::string &name);

// Places the root camera at a position, turned by yaw (0..4095 a turn) about y; its view follows.
void PlaceRootCamera(const Vec3 &position, int32_t yaw);

// The view of the golden scenes: screen and viewport 320 x 240, focal 320, aspect 1.
void SetGoldenView();
// A quad covering columns x0..x1-1 of rows y0..y1-1 of the current view: two flat triangles (colour
// and colour + 5000) with their corners at depth focal, so that they project onto whole pixels.
ImageBuilder RectangleImage(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour);
OBJ_Handle LoadRectangle(SceneArea &area, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour);

} // namespace kalder_test
