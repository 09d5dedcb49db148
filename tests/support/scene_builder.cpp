// Complete 3D scenes for the render (see scene_builder.h).
#include "tests/support/scene_builder.h"

#include "engine3d/object.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "tests/support/span_texture.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace kalder_test {

Mesh CubeMesh(int32_t s)
{
    Mesh m;
    for (int i = 0; i < 8; i++) {
        m.vertices.push_back({(i & 1) ? s : -s, (i & 2) ? s : -s, (i & 4) ? s : -s});
    }
    m.faces = CubeFaces();
    constexpr int32_t one = 255 << 16;
    // Faces come in pairs over each square, both starting at the square's first corner and sharing its
    // diagonal; either may have been turned to face outward. The corners are mapped by where they lie
    // on the square (first corner (0, 0), the diagonal's far end (1, 1)), so the texture is not sheared.
    for (size_t f = 0; f + 1 < m.faces.size(); f += 2) {
        const Vec3 &a = m.faces[f], &b = m.faces[f + 1];
        const int32_t first = a[0];
        const int32_t far = (a[1] == b[1] || a[1] == b[2]) ? a[1] : a[2];
        auto uv = [&](const Vec3 &face, bool first_face) {
            FaceUV out{};
            for (size_t k = 0; k < 3; k++) {
                const int32_t v = face[k];
                const bool is_far = v == far, is_side = v != first && !is_far;
                const int32_t u = is_far || (is_side && first_face) ? one : 0;
                const int32_t w = is_far || (is_side && !first_face) ? one : 0;
                out[2 * k] = u;
                out[2 * k + 1] = w;
            }
            return out;
        };
        m.uvs.push_back(uv(a, true));
        m.uvs.push_back(uv(b, false));
    }
    return m;
}

Mesh BoxMesh(const Vec3 &c, const Vec3 &h)
{
    Mesh m = CubeMesh(1);
    for (Vec3 &v : m.vertices) {
        v = {c[0] + v[0] * h[0], c[1] + v[1] * h[1], c[2] + v[2] * h[2]};
    }
    return m;
}

Mesh GridMesh(int32_t x0, int32_t x1, int32_t z0, int32_t z1, int32_t y, int nx, int nz)
{
    Mesh m;
    for (int j = 0; j <= nz; j++) {
        for (int i = 0; i <= nx; i++) {
            m.vertices.push_back({int32_t(x0 + int64_t(x1 - x0) * i / nx), y, int32_t(z0 + int64_t(z1 - z0) * j / nz)});
        }
    }
    constexpr int32_t one = 255 << 16;
    for (int j = 0; j < nz; j++) {
        for (int i = 0; i < nx; i++) {
            const int32_t a = j * (nx + 1) + i, b = a + 1, c = a + nx + 1, d = c + 1;
            m.faces.push_back({a, b, c});
            m.uvs.push_back({0, 0, one, 0, 0, one});
            m.faces.push_back({b, d, c});
            m.uvs.push_back({one, 0, one, one, 0, one});
        }
    }
    return m;
}

Mesh WallMesh(int32_t x0, int32_t x1, int32_t y0, int32_t y1, int32_t z, int nx, int ny)
{
    Mesh m;
    for (int j = 0; j <= ny; j++) {
        for (int i = 0; i <= nx; i++) {
            m.vertices.push_back({int32_t(x0 + int64_t(x1 - x0) * i / nx), int32_t(y0 + int64_t(y1 - y0) * j / ny), z});
        }
    }
    constexpr int32_t one = 255 << 16;
    for (int j = 0; j < ny; j++) {
        for (int i = 0; i < nx; i++) {
            const int32_t a = j * (nx + 1) + i, b = a + 1, c = a + nx + 1, d = c + 1;
            m.faces.push_back({a, c, b});
            m.uvs.push_back({0, 0, 0, one, one, 0});
            m.faces.push_back({b, c, d});
            m.uvs.push_back({one, 0, 0, one, one, one});
        }
    }
    return m;
}

// A face of a mesh centred on the origin, wound so that its normal points away from the centre.
static Vec3 Outward(const std::vector<Vec3> &vertices, Vec3 f)
{
    Vec3 n;
    int32_t plane;
    Face_Plane(vertices[size_t(f[0])], vertices[size_t(f[1])], vertices[size_t(f[2])], &n, &plane);
    if (plane < 0) {
        std::swap(f[1], f[2]);
    }
    return f;
}

Mesh SphereMesh(int32_t r, int rings, int segments)
{
    constexpr double pi = 3.14159265358979323846;
    Mesh m;
    m.vertices.push_back({0, -r, 0}); // the top pole (y up is negative)
    for (int i = 1; i < rings; i++) {
        const double a = pi * i / rings;
        for (int j = 0; j < segments; j++) {
            const double b = 2 * pi * j / segments;
            m.vertices.push_back({int32_t(std::lround(r * std::sin(a) * std::cos(b))), int32_t(std::lround(-r * std::cos(a))),
                                  int32_t(std::lround(r * std::sin(a) * std::sin(b)))});
        }
    }
    m.vertices.push_back({0, r, 0});
    const int32_t bottom = int32_t(m.vertices.size()) - 1;
    auto at = [segments](int ring, int j) { return 1 + (ring - 1) * segments + (j % segments); };
    // The texture wraps the sphere once: u round the equator, v from pole to pole. A face's corners are
    // mapped by where they lie, whichever way it was turned to face outward.
    auto uv = [&](const Vec3 &face, const std::array<std::array<int32_t, 2>, 3> &cells, const Vec3 &listed) {
        FaceUV out{};
        for (size_t k = 0; k < 3; k++) {
            for (size_t c = 0; c < 3; c++) {
                if (listed[c] == face[k]) {
                    out[2 * k] = int32_t((255 << 16) / int64_t(segments) * cells[c][1]);
                    out[2 * k + 1] = int32_t((255 << 16) / int64_t(rings) * cells[c][0]);
                }
            }
        }
        return out;
    };
    auto add = [&](const Vec3 &listed, const std::array<std::array<int32_t, 2>, 3> &cells) {
        const Vec3 face = Outward(m.vertices, listed);
        m.faces.push_back(face);
        m.uvs.push_back(uv(face, cells, listed));
    };
    for (int j = 0; j < segments; j++) {
        add({0, at(1, j), at(1, j + 1)}, {{{0, j}, {1, j}, {1, j + 1}}});
        for (int i = 1; i + 1 < rings; i++) {
            const int32_t a = at(i, j), b = at(i, j + 1), c = at(i + 1, j), d = at(i + 1, j + 1);
            add({a, c, b}, {{{i, j}, {i + 1, j}, {i, j + 1}}});
            add({b, c, d}, {{{i, j + 1}, {i + 1, j}, {i + 1, j + 1}}});
        }
        add({bottom, at(rings - 1, j + 1), at(rings - 1, j)}, {{{rings, j}, {rings - 1, j + 1}, {rings - 1, j}}});
    }
    return m;
}

Mesh TurnedMesh(const Mesh &mesh, int32_t angle, int32_t tilt)
{
    constexpr double pi = 3.14159265358979323846;
    const double a = 2 * pi * angle / 4096, t = 2 * pi * tilt / 4096;
    Mesh m = mesh;
    for (Vec3 &v : m.vertices) {
        const double x = v[0] * std::cos(a) + v[2] * std::sin(a), z = -v[0] * std::sin(a) + v[2] * std::cos(a);
        const double y = v[1] * std::cos(t) - z * std::sin(t), z2 = v[1] * std::sin(t) + z * std::cos(t);
        v = {int32_t(std::lround(x)), int32_t(std::lround(y)), int32_t(std::lround(z2))};
    }
    return m;
}

ObjectSpec MeshObject(const std::string &name, int parent, const Vec3 &position, const Mesh &mesh, int32_t type,
                      const std::string &material)
{
    ObjectSpec o;
    o.name = name;
    o.parent = parent;
    o.position = position;
    o.vertices = mesh.vertices;
    o.faces = mesh.faces;
    o.face_uvs = mesh.uvs;
    o.type = type;
    o.material = material;
    return o;
}

std::vector<uint8_t> MaterialFile(const std::vector<uint8_t> &texels, const std::vector<uint16_t> &shading)
{
    return MaterialImage([&](int row, int index) { return shading.at(size_t(row) * 256 + size_t(index)); },
                         [&](int x, int y) { return texels.at(size_t(y) * 256 + size_t(x)); })
        .Finish()
        .bytes;
}

std::vector<uint8_t> CheckerMaterialFile()
{
    std::vector<uint8_t> texels(65536);
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 256; x++) {
            texels[size_t(y) * 256 + size_t(x)] = ((x >> 5) ^ (y >> 5)) & 1 ? 200 : 40;
        }
    }
    const ColourRow row = DarkenedPalette({0xFFFF, 0xF800, 0x07E0, 0x001F});
    std::vector<uint16_t> shading(32 * 256);
    for (int r = 0; r < 32; r++) {
        for (int i = 0; i < 256; i++) {
            shading[size_t(r) * 256 + size_t(i)] = row(r, i);
        }
    }
    return MaterialFile(texels, shading);
}

// The ramp table's rows as colours.
static std::vector<uint16_t> RampShading()
{
    std::vector<uint8_t> table(kShadeTableBytes);
    FillRampTable(table.data());
    std::vector<uint16_t> shading(32 * 256);
    for (size_t i = 0; i < shading.size(); i++) {
        uint32_t entry;
        std::memcpy(&entry, table.data() + i * 4, 4);
        shading[i] = uint16_t(entry >> 16);
    }
    return shading;
}

std::vector<uint8_t> FixtureMaterialFile() { return FixtureMaterialFile(FillCheckerTexels); }

std::vector<uint8_t> FixtureMaterialFile(const std::function<void(uint8_t *)> &fill_texels)
{
    std::vector<uint8_t> texture(kTextureBytes);
    fill_texels(texture.data());
    return MaterialFile(std::vector<uint8_t>(texture.begin() + kShadeTableBytes, texture.end()), RampShading());
}

std::vector<uint8_t> AlphaMaterialFile() { return MaterialFile(HicolourTexels(AlphaGradientTexel), RampShading()); }

SceneArea::SceneArea(size_t size, int32_t width, int32_t height) : ImageArea(size)
{
    Set_Screen_Size(width, height);
    Set_Viewport_Fov(width, height, 0, 0, 76.36f);
}

OBJ_Handle SceneArea::Load(const std::string &file, const ImageBuilder &image)
{
    MemFiles_Add(file, image.Finish().bytes);
    OBJ_Handle h = Load_Obj(file.c_str());
    if (h < 0 || Link_Obj(h, 0) != 0) {
        return -1;
    }
    return h;
}

Addr SceneArea::Record(OBJ_Handle h) { return W_Addr(Get_Obj_Ptr(h)); }

} // namespace kalder_test
