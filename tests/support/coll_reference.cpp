// Brute-force overlaps of triangle boxes and body cubes.
#include "tests/support/coll_reference.h"

#include <algorithm>
#include <cstring>

namespace kalder_test {

std::vector<RefBox> RefBoxes(const uint8_t *area, uint32_t tris, int32_t count)
{
    std::vector<RefBox> boxes;
    for (int32_t k = 0; k < count; k++) {
        RefBox b;
        b.tri = tris + uint32_t(k) * 96;
        std::memcpy(b.min, area + b.tri + 72, 12);
        std::memcpy(b.max, area + b.tri + 84, 12);
        boxes.push_back(b);
    }
    return boxes;
}

namespace {

bool Overlaps(const RefBox &b, const int32_t *centre, int32_t radius, int axis)
{
    const int64_t lo = int64_t(centre[axis]) - radius, hi = int64_t(centre[axis]) + radius;
    return b.min[axis] < hi && b.max[axis] > lo;
}

std::vector<uint32_t> Collect(const std::vector<RefBox> &boxes, const int32_t *centre, int32_t radius, bool with_y)
{
    std::vector<uint32_t> out;
    for (const RefBox &b : boxes) {
        if (Overlaps(b, centre, radius, 0) && Overlaps(b, centre, radius, 2) && (!with_y || Overlaps(b, centre, radius, 1))) {
            out.push_back(b.tri);
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

std::vector<uint32_t> RefOverlaps3D(const std::vector<RefBox> &boxes, const int32_t *centre, int32_t radius)
{
    return Collect(boxes, centre, radius, true);
}

std::vector<uint32_t> RefOverlaps2D(const std::vector<RefBox> &boxes, const int32_t *centre, int32_t radius)
{
    return Collect(boxes, centre, radius, false);
}

} // namespace kalder_test
