// Collision meshes for the collision tests, the benchmark, the fuzz seeds and kdev: floors, walls,
// ramps, slivers and triangle soups, as kind-5 images.
#pragma once
#include <cstdint>
#include <vector>

#include "tests/support/image_builder.h"

namespace kalder_test {

struct CollMeshSpec {
    std::vector<Vec3> vertices;
    std::vector<Vec3> triangles; // vertex indices
    ImageBuilder Image() const { return CollisionImage(vertices, triangles); }
    std::vector<uint8_t> Bytes() const { return Image().Finish().bytes; }
    // Appends another mesh's triangles, so that one image can hold several shapes.
    void Append(const CollMeshSpec &other);
};

// Rounds every coordinate down to a multiple of 4 (toward minus infinity), for runs free of ties
// with bodies whose bounds are 2 mod 4.
void SnapTo4(CollMeshSpec *mesh);

// A floor of w x h square quads of `cell` units from `origin` on x and z, two triangles each, facing
// up (+y), with each grid point's height raised by a seeded 0..noise.
CollMeshSpec FloorGrid(int32_t w, int32_t h, int32_t cell, int32_t noise, uint32_t seed, Vec3 origin = {0, 0, 0});
// A vertical wall along x from x0 to x1 at z, from y0 up to y1, its face toward -z (normal y = 0).
CollMeshSpec Wall(int32_t x0, int32_t x1, int32_t z, int32_t y0, int32_t y1);
// A ramp rising along +x: from (x0, y0) to (x1, y1), z from z0 to z1, facing up.
CollMeshSpec Ramp(int32_t x0, int32_t x1, int32_t y0, int32_t y1, int32_t z0, int32_t z1);
// A triangle with a repeated corner: its face normal is (0, 0, 0).
CollMeshSpec Degenerate(Vec3 a, Vec3 b);
// `count` seeded triangles whose corners lie on a grid of `step` units within [0, extent) on each
// axis, so that box bounds tie often.
CollMeshSpec Soup(int32_t count, int32_t step, int32_t extent, uint32_t seed);

// A small generator for fixtures: the same numbers on every machine.
class FixtureRandom {
public:
    explicit FixtureRandom(uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
    uint32_t Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // Uniform in [lo, hi].
    int32_t Range(int32_t lo, int32_t hi) { return lo + int32_t(Next() % uint32_t(hi - lo + 1)); }

private:
    uint32_t state_;
};

} // namespace kalder_test
