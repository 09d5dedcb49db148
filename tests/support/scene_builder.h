// Complete 3D scenes for the render's tests, tools and benchmarks: meshes, their hierarchy images
// (through the image builder), material images, and a started library with the game's view on which
// they are loaded under the root camera.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/image_area.h"
#include "tests/support/image_builder.h"

namespace kalder_test {

using FaceUV = std::array<int32_t, 6>; // u, v of the three corners, 16.16

// A triangle mesh: faces counter-clockwise on the screen when seen from their front.
struct Mesh {
    std::vector<Vec3> vertices;
    std::vector<Vec3> faces;
    std::vector<FaceUV> uvs; // one per face, or none
};

// An axis-aligned cube of half-size s around the origin, faces outward, each square mapped over the
// whole texture.
Mesh CubeMesh(int32_t s);
// A box of half-extents h around centre c, mapped like the cube mesh.
Mesh BoxMesh(const Vec3 &c, const Vec3 &h);
// A horizontal grid at height y facing up (towards -y), nx x nz cells over [x0, x1] x [z0, z1], each
// cell mapped over the whole texture.
Mesh GridMesh(int32_t x0, int32_t x1, int32_t z0, int32_t z1, int32_t y, int nx, int nz);

// A vertical grid at depth z facing the camera (towards -z), nx x ny cells over [x0, x1] x [y0, y1],
// each cell mapped over the whole texture.
Mesh WallMesh(int32_t x0, int32_t x1, int32_t y0, int32_t y1, int32_t z, int nx, int ny);

// A UV sphere of radius r around the origin, faces outward: `rings` bands from pole to pole, each of
// `segments` cells (the polar bands of one triangle per cell); the texture wraps it once.
Mesh SphereMesh(int32_t r, int rings, int segments);

// The mesh turned by `angle` (0..4095 a turn) about the y axis, then by `tilt` about the x axis.
Mesh TurnedMesh(const Mesh &mesh, int32_t angle, int32_t tilt);

// An object of a scene from a mesh: name, parent index, position, primitive type and material.
ObjectSpec MeshObject(const std::string &name, int parent, const Vec3 &position, const Mesh &mesh, int32_t type,
                      const std::string &material);

// A .3DM file: 256 x 256 texels and a shading table of 32 rows x 256 RGB565 colours.
std::vector<uint8_t> MaterialFile(const std::vector<uint8_t> &texels, const std::vector<uint16_t> &shading);
// A checkerboard material darkened row by row.
std::vector<uint8_t> CheckerMaterialFile();
// The span tests' fixture texture as a material: 32-texel squares with a gradient each and a marked
// corner, shading rows a colour ramp with row 0 the brightest.
std::vector<uint8_t> FixtureMaterialFile();
// The fixture texture's shading rows over a map of 16-bit texels with an alpha gradient
// (AlphaGradientTexel), for the per-texel alpha types.
std::vector<uint8_t> AlphaMaterialFile();
// The same shading rows over texels of the given fill (one of span_texture's).
std::vector<uint8_t> FixtureMaterialFile(const std::function<void(uint8_t *)> &fill_texels);

// A started library with a 640 x 480 screen and the game's view (field of view 76.36), serving files
// from memory.
class SceneArea : public ImageArea {
public:
    explicit SceneArea(size_t size = 7850000, int32_t width = 640, int32_t height = 480);
    // Loads the image as the named file and links its root under the root camera; -1 on failure.
    OBJ_Handle Load(const std::string &file, const ImageBuilder &image);
    // The record of a handle, as a work-area offset.
    static Addr Record(OBJ_Handle h);
};

} // namespace kalder_test
