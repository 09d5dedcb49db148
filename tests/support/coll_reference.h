// Brute-force answers for the collision space: which triangle boxes overlap a body's cube.
#pragma once
#include <cstdint>
#include <vector>

namespace kalder_test {

struct RefBox {
    uint32_t tri; // the triangle's work-area offset
    int32_t min[3], max[3];
};

// The boxes of `count` collision triangles from `tris` on, read from the work area at `area`.
std::vector<RefBox> RefBoxes(const uint8_t *area, uint32_t tris, int32_t count);

// The triangles whose boxes overlap the cube centre +- radius strictly on x, y and z (3D) or on x and z
// (2D), in ascending offset order. Touching is not overlapping.
std::vector<uint32_t> RefOverlaps3D(const std::vector<RefBox> &boxes, const int32_t *centre, int32_t radius);
std::vector<uint32_t> RefOverlaps2D(const std::vector<RefBox> &boxes, const int32_t *centre, int32_t radius);

} // namespace kalder_test
