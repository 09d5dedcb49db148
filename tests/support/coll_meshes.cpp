// Collision meshes for tests, benchmarks, fuzz seeds and tools.
#include "tests/support/coll_meshes.h"

namespace kalder_test {

void CollMeshSpec::Append(const CollMeshSpec &other)
{
    const int32_t base = int32_t(vertices.size());
    vertices.insert(vertices.end(), other.vertices.begin(), other.vertices.end());
    for (Vec3 t : other.triangles) {
        triangles.push_back({t[0] + base, t[1] + base, t[2] + base});
    }
}

void SnapTo4(CollMeshSpec *mesh)
{
    for (Vec3 &v : mesh->vertices) {
        for (int32_t &c : v) {
            c = c >= 0 ? c / 4 * 4 : -((-c + 3) / 4 * 4);
        }
    }
}

CollMeshSpec FloorGrid(int32_t w, int32_t h, int32_t cell, int32_t noise, uint32_t seed, Vec3 origin)
{
    CollMeshSpec m;
    FixtureRandom rnd(seed);
    for (int32_t j = 0; j <= h; j++) {
        for (int32_t i = 0; i <= w; i++) {
            const int32_t y = noise > 0 ? rnd.Range(0, noise) : 0;
            m.vertices.push_back({origin[0] + i * cell, origin[1] + y, origin[2] + j * cell});
        }
    }
    auto at = [w](int32_t i, int32_t j) { return j * (w + 1) + i; };
    for (int32_t j = 0; j < h; j++) {
        for (int32_t i = 0; i < w; i++) {
            // Counter-clockwise seen from above (+y), so that the normals point up.
            m.triangles.push_back({at(i, j), at(i, j + 1), at(i + 1, j)});
            m.triangles.push_back({at(i + 1, j), at(i, j + 1), at(i + 1, j + 1)});
        }
    }
    return m;
}

CollMeshSpec Wall(int32_t x0, int32_t x1, int32_t z, int32_t y0, int32_t y1)
{
    CollMeshSpec m;
    m.vertices = {{x0, y0, z}, {x1, y0, z}, {x0, y1, z}, {x1, y1, z}};
    m.triangles = {{0, 2, 1}, {1, 2, 3}};
    return m;
}

CollMeshSpec Ramp(int32_t x0, int32_t x1, int32_t y0, int32_t y1, int32_t z0, int32_t z1)
{
    CollMeshSpec m;
    m.vertices = {{x0, y0, z0}, {x1, y1, z0}, {x0, y0, z1}, {x1, y1, z1}};
    m.triangles = {{0, 2, 1}, {1, 2, 3}};
    return m;
}

CollMeshSpec Degenerate(Vec3 a, Vec3 b)
{
    CollMeshSpec m;
    m.vertices = {a, b};
    m.triangles = {{0, 1, 1}};
    return m;
}

CollMeshSpec Soup(int32_t count, int32_t step, int32_t extent, uint32_t seed)
{
    CollMeshSpec m;
    FixtureRandom rnd(seed);
    const int32_t cells = extent / step;
    for (int32_t t = 0; t < count; t++) {
        const Vec3 base{rnd.Range(0, cells - 1) * step, rnd.Range(0, cells - 1) * step, rnd.Range(0, cells - 1) * step};
        Vec3 corner[3];
        corner[0] = base;
        do {
            for (int k = 1; k < 3; k++) {
                for (int a = 0; a < 3; a++) {
                    corner[k][size_t(a)] = base[size_t(a)] + rnd.Range(-3, 3) * step;
                }
            }
        } while (corner[1] == corner[0] || corner[2] == corner[0] || corner[1] == corner[2]);
        const int32_t first = int32_t(m.vertices.size());
        for (const Vec3 &c : corner) {
            m.vertices.push_back(c);
        }
        m.triangles.push_back({first, first + 1, first + 2});
    }
    return m;
}

} // namespace kalder_test
