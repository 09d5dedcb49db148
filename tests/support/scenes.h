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
//   "arm": a root with three jointed segments (textured boxes) standing up from (0, 180, 900);
//   "lit-cubes": a flat type-1 cube and a textured type-2 cube over a type-2 floor, one point light;
//   "lit-spheres": two smooth spheres of 216 faces, type 22 and type 30, a point and a directed light.
//   "alpha-layers": checkered -13 quads at alpha 8, 16 and 24 over the textured cube, and a -8 quad and a -9 floor
//   patch of 16-bit texels with an alpha gradient.
//   "keyed": a holed type -5 quad over the textured cube, and a holed type -6 fence on the floor;
//   "backdrop": a painted brick wall with a doorway (background type 15) and its depth image, with
//   objects of the depth-tested types 17, 18, -11, -10 and -15 before, behind and across it;
//   "backdrop-555": the same on an RGB555 display, the materials converted and the 50% blend halving
//   through 0x3DEF;
//   "empty": nothing but the root.
// The benchmark scenes, at the game's 640 x 480 view:
//   "s1-flat": 1,000 flat triangles; "s2-affine": 10,000 affine textured triangles;
//   "s3-perspective": a perspective floor and walls, all in front of the near plane; "s4-layers": four overlapping opaque layers;
//   "s5-translucent": translucent -3 layers over an opaque backdrop;
//   "s6-small": 20,000 small triangles of about 50 pixels each;
//   "s7-lit": a 20,000-triangle type-22 mesh facing the camera, lit per corner by four point lights;
//   "s8-keyed": keyed foliage, 2,000 type -5 quads with round holed leaves over an opaque wall;
//   "s9-alpha": 1,000 -13 quads at mixed alpha (40 layers of 25) over an opaque backdrop;
//   "s2-affine-texel" and "s6-small-texel": s2 and s6 with each cell over its own patch of the texture,
//   about one texel a pixel (the others shrink the whole texture onto each cell).
// Scenes that only pin the scan pass's frames, at 640 x 480:
//   "grid-78k": 78,000 textured triangles of a few pixels each; "layers-32": 32 stacked opaque layers.
// Lit scenes add their lights to the light table when they load and attach them to every object.
#pragma once
#include <string>
#include <vector>

#include "tests/support/scene_builder.h"

namespace kalder_test {

std::vector<std::string> SceneNames();
std::vector<std::string> GoldenSceneNames();
std::vector<std::string> BenchSceneNames();
std::vector<std::string> StressSceneNames();
// The objects of a scene (object 0 its root; the others its children, in camera space) and their
// materials; a rectangle is built by RectangleImage instead.
void SceneSpecs(const std::string &name, std::vector<ObjectSpec> &objects, std::vector<MaterialSpec> &materials);
// The scene's image; its record 0 is the scene's root, at the origin of the camera.
ImageBuilder SceneImage(const std::string &name);
// Adds the scene's files (its materials too) and loads it under the root camera; -1 for an unknown
// name or a failed load. A golden scene sets its 320 x 240 view first.
// The backdrop scenes also set the background picture and type, the current depth image and the
// display format (ClearSceneBackdrop puts them back; every other scene's loading does too); their frame
// starts as the picture, which the opaque depth-tested spans leave where they lose.
OBJ_Handle LoadScene(SceneArea &area, const std::string &name);
void ClearSceneBackdrop();

// A light of a scene, in the root camera's frame; `direction` makes a directed light's matrix.
struct SceneLight {
    int32_t type;
    Vec3 position;
    Vec3 direction;
    int32_t inner, outer, intensity;
};
std::vector<SceneLight> SceneLights(const std::string &name);
// A matrix whose third column is the direction (scaled to 0x8000), the other two completing a frame.
void DirectedMatrix(const Vec3 &direction, int32_t *m);
// The lit scenes' point light circles the spheres of "lit-spheres" in the horizontal plane in
// kLightOrbitFrames steps; this places it (slot 0) at step `frame`.
constexpr int32_t kLightOrbitFrames = 16;
void PlaceOrbitLight(int32_t frame);

// Places the root camera at a position, turned by yaw (0..4095 a turn) about y; its view follows.
void PlaceRootCamera(const Vec3 &position, int32_t yaw);

// The view of the golden scenes: screen and viewport 320 x 240, focal 320, aspect 1.
void SetGoldenView();
// A quad covering columns x0..x1-1 of rows y0..y1-1 of the current view: two flat triangles (colour
// and colour + 5000) with their corners at depth focal, so that they project onto whole pixels.
ImageBuilder RectangleImage(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour);
OBJ_Handle LoadRectangle(SceneArea &area, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour);

// The arm's animations, one track per record of the "arm" scene (root, upper, fore, hand), with keys
// at uneven times: "wave" (rotations about the view axis, and the upper segment's position) and
// "reach" (the same with eases, control quaternions and tangents). Either kind can be written; kind 4
// leaves the spline fields out.
std::vector<TrackSpec> ArmTracks(const std::string &name);
// Adds "<name>.3da" of that kind and loads it; -1 on failure.
OBJ_Handle LoadArmAnimation(const std::string &name, int32_t kind);
// "arm-poses": three clones of the arm under three parents placed 250 apart across the view (left to
// right), the loaded arm itself unlinked. Sets the golden view; -1 on failure.
int32_t LoadArmPoses(SceneArea &area, OBJ_Handle arms[3]);

} // namespace kalder_test
