// Writes 3D file images from a plain description (see image_builder.h).
#include "tests/support/image_builder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <stdexcept>

#include "engine3d/records.h"

namespace kalder_test {

namespace {

constexpr uint32_t Header = 20;

std::string N(const char *base, size_t i) { return base + std::to_string(i); }

int32_t Round(double x) { return int32_t(std::lround(x)); }

Vec3 Normalised(double x, double y, double z)
{
    double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0) {
        return {0, 0, 0x8000};
    }
    return {Round(x / length * 32768.0), Round(y / length * 32768.0), Round(z / length * 32768.0)};
}

} // namespace

ImageBuilder::ImageBuilder(int32_t kind)
{
    Section("header", Header);
    Put32("header", 8, kind);
}

ImageBuilder::Sec &ImageBuilder::find(const std::string &name)
{
    for (Sec &s : sections_) {
        if (s.name == name) {
            return s;
        }
    }
    throw std::runtime_error("image builder: no section " + name);
}

bool ImageBuilder::Has(const std::string &name) const
{
    return std::any_of(sections_.begin(), sections_.end(), [&](const Sec &s) { return s.name == name; });
}

const std::string &ImageBuilder::Section(const std::string &name, size_t bytes)
{
    sections_.push_back({name, std::vector<uint8_t>(bytes, 0)});
    return sections_.back().name;
}

void ImageBuilder::Put32(const std::string &section, uint32_t offset, int32_t value)
{
    PutBytes(section, offset, &value, 4);
}

void ImageBuilder::PutBytes(const std::string &section, uint32_t offset, const void *data, size_t size)
{
    Sec &s = find(section);
    if (offset + size > s.bytes.size()) {
        throw std::runtime_error("image builder: write past section " + section);
    }
    std::memcpy(s.bytes.data() + offset, data, size);
}

void ImageBuilder::Link(const std::string &section, uint32_t offset, const std::string &target, uint32_t target_offset,
                        Convention convention)
{
    fixes_.push_back({section, offset, target, target_offset, convention});
}

void ImageBuilder::Damage32(const std::string &section, uint32_t offset, int32_t value)
{
    std::vector<uint8_t> bytes(4);
    std::memcpy(bytes.data(), &value, 4);
    pokes_.push_back({section, offset, bytes});
}

void ImageBuilder::DamageBytes(const std::string &section, uint32_t offset, std::vector<uint8_t> bytes)
{
    pokes_.push_back({section, offset, std::move(bytes)});
}

void ImageBuilder::DamageLink(const std::string &section, uint32_t offset, const std::string &target,
                              uint32_t target_offset, Convention convention)
{
    damaged_links_.push_back({section, offset, target, target_offset, convention});
}

ImageFile ImageBuilder::Finish() const
{
    ImageFile file;
    std::vector<uint8_t> image;
    for (const Sec &s : sections_) {
        file.sections[s.name] = uint32_t(image.size());
        image.insert(image.end(), s.bytes.begin(), s.bytes.end());
    }
    auto put = [&](uint32_t at, const void *data, size_t size) {
        if (at + size <= image.size()) {
            std::memcpy(image.data() + at, data, size);
        }
    };
    auto patch = [&](const Fix &f) {
        uint32_t target = file.at(f.target) + f.target_offset;
        uint32_t value = 0;
        switch (f.convention) {
        case Convention::Base20:
            value = target - Header;
            break;
        case Convention::Record0:
            value = target - file.at(record0_) + 1;
            break;
        case Convention::OneBased20:
            value = target - (Header - 1);
            break;
        }
        put(file.at(f.section) + f.offset, &value, 4);
    };
    for (const Fix &f : fixes_) {
        patch(f);
    }
    for (const Fix &f : damaged_links_) {
        patch(f);
    }
    for (const Poke &p : pokes_) {
        put(file.at(p.section) + p.offset, p.bytes.data(), p.bytes.size());
    }
    const int32_t version = 450;
    file.bytes = {'F', '3', 'D', 'C'};
    file.bytes.resize(8);
    std::memcpy(file.bytes.data() + 4, &version, 4);
    file.bytes.insert(file.bytes.end(), image.begin(), image.end());
    if (truncate_ < file.bytes.size()) {
        file.bytes.resize(truncate_);
    }
    return file;
}

// Newell's normal, which for a triangle is exactly the cross product of two sides; sums beyond 32 bits
// are halved together until they fit, then scaled to 0x8000 and truncated, as the library does.
void Face_Plane(const Vec3 &v0, const Vec3 &v1, const Vec3 &v2, Vec3 *normal, int32_t *plane)
{
    __int128 a[3], b[3];
    for (int i = 0; i < 3; i++) {
        a[i] = __int128(v1[i]) - v0[i];
        b[i] = __int128(v2[i]) - v0[i];
    }
    __int128 n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    auto too_big = [](__int128 x) { return x > INT32_MAX || x < -INT32_MAX; };
    while (too_big(n[0]) || too_big(n[1]) || too_big(n[2])) {
        for (__int128 &x : n) {
            x >>= 1;
        }
    }
    uint64_t squares = 0;
    for (__int128 x : n) {
        squares += uint64_t(int64_t(x) * int64_t(x));
    }
    const double length = std::sqrt(double(squares));
    for (int i = 0; i < 3; i++) {
        (*normal)[i] = length == 0 ? 0 : int32_t(double(n[i]) * 32768.0 / length);
    }
    int64_t dot = int64_t((*normal)[0]) * v0[0] + int64_t((*normal)[1]) * v0[1] + int64_t((*normal)[2]) * v0[2];
    *plane = int32_t(dot >> 15);
}

// ---- Kind 1 ------------------------------------------------------------------------------------

ImageBuilder HierarchyImage(const std::vector<ObjectSpec> &objects, const std::vector<MaterialSpec> &materials)
{
    ImageBuilder b(1);
    const Convention R = Convention::Record0;
    const size_t n = objects.size();
    b.Section("table", 4 + 4 * n);
    b.Put32("table", 0, int32_t(n));
    b.Section("materials", 4 + 44 * materials.size());
    b.Put32("materials", 0, int32_t(materials.size()));
    for (size_t m = 0; m < materials.size(); m++) {
        uint32_t at = 4 + 44 * uint32_t(m);
        b.PutBytes("materials", at, materials[m].name.c_str(), std::min<size_t>(materials[m].name.size(), 15));
        b.PutBytes("materials", at + 16, materials[m].file_name.c_str(),
                   std::min<size_t>(materials[m].file_name.size(), 15));
        b.Put32("materials", at + 32, int32_t(materials[m].colour));
    }
    for (size_t i = 0; i < n; i++) {
        b.Section(N("rec", i), 220);
        b.Link("table", 4 + 4 * uint32_t(i), N("rec", i), 0, Convention::Base20);
    }
    b.SetRecord0("rec0");

    // Hierarchy links: children in the order given.
    for (size_t i = 0; i < n; i++) {
        const ObjectSpec &o = objects[i];
        const std::string rec = N("rec", i);
        b.PutBytes(rec, 0, o.name.c_str(), std::min<size_t>(o.name.size(), 11));
        b.Put32(rec, 12, int32_t(o.flags | (o.share_parent_vertices ? 0x10u : 0u)));
        for (int k = 0; k < 3; k++) {
            b.Put32(rec, 28 + 4 * k, o.position[k]);
            b.Put32(rec, 40 + 16 * k, 0x8000);
        }
        b.Put32(rec, 208, int32_t(o.shade));
        if (o.parent >= 0) {
            b.Link(rec, 16, N("rec", size_t(o.parent)), 0, R);
        }
        size_t previous = SIZE_MAX;
        for (size_t c = 0; c < n; c++) {
            if (objects[c].parent == int(i)) {
                if (previous == SIZE_MAX) {
                    b.Link(rec, 20, N("rec", c), 0, R);
                } else {
                    b.Link(N("rec", previous), 24, N("rec", c), 0, R);
                }
                previous = c;
            }
        }
    }

    for (size_t i = 0; i < n; i++) {
        const ObjectSpec &o = objects[i];
        const std::string rec = N("rec", i);
        // Whose vertices the faces use: a sharing child without vertices of its own draws over its
        // parent's; one with its own reaches the parent's (free) vertices by negative indices.
        size_t owner = i;
        while (objects[owner].share_parent_vertices && objects[owner].parent >= 0 && objects[owner].vertices.empty()) {
            owner = size_t(objects[owner].parent);
        }
        size_t other = owner;
        while (objects[other].share_parent_vertices && objects[other].parent >= 0) {
            other = size_t(objects[other].parent);
            if (!objects[other].vertices.empty()) {
                break;
            }
        }
        const Vec3 offset = other == owner ? Vec3{0, 0, 0} : o.position;
        // Index -1 - k names vertex k of the parent's array, seen in this object's frame.
        auto vsec = [&](int32_t v) { return v < 0 ? N("verts", other) : N("verts", owner); };
        auto nsec = [&](int32_t v) { return v < 0 ? N("vnorms", other) : N("vnorms", owner); };
        auto vidx = [](int32_t v) { return uint32_t(v < 0 ? -1 - v : v); };
        auto vpos = [&](int32_t v) {
            if (v >= 0) {
                return objects[owner].vertices[size_t(v)];
            }
            const Vec3 &p = objects[other].vertices[size_t(-1 - v)];
            return Vec3{p[0] - offset[0], p[1] - offset[1], p[2] - offset[2]};
        };
        const std::vector<Vec3> &verts = objects[owner].vertices;
        const bool normals = objects[owner].vertex_normals && !verts.empty();
        if (owner == i && !verts.empty()) {
            b.Section(N("verts", i), 40 * verts.size());
            for (size_t v = 0; v < verts.size(); v++) {
                for (int k = 0; k < 3; k++) {
                    b.Put32(N("verts", i), 40 * uint32_t(v) + 4 + 4 * k, verts[v][k]);
                }
                if (v < o.vertex_flags.size()) {
                    b.Put32(N("verts", i), 40 * uint32_t(v), int32_t(o.vertex_flags[v]));
                }
            }
            if (normals) {
                b.Section(N("vnorms", i), 16 * verts.size());
                for (size_t v = 0; v < verts.size(); v++) {
                    Vec3 d = Normalised(verts[v][0], verts[v][1], verts[v][2]);
                    for (int k = 0; k < 3; k++) {
                        b.Put32(N("vnorms", i), 16 * uint32_t(v) + 4 * k, d[k]);
                    }
                }
            }
        }
        if (!verts.empty()) {
            b.Put32(rec, 124, int32_t(verts.size()));
            b.Link(rec, 128, N("verts", owner), 0, R);
            if (normals) {
                b.Put32(rec, 140, int32_t(verts.size()));
                b.Link(rec, 144, N("vnorms", owner), 0, R);
            }
            // Bounds: the centre of the vertices' box and the farthest vertex from it.
            Vec3 lo = verts[0], hi = verts[0];
            for (const Vec3 &v : verts) {
                for (int k = 0; k < 3; k++) {
                    lo[k] = std::min(lo[k], v[k]);
                    hi[k] = std::max(hi[k], v[k]);
                }
            }
            double radius = 0;
            Vec3 centre{};
            for (int k = 0; k < 3; k++) {
                centre[k] = int32_t((int64_t(lo[k]) + hi[k]) / 2);
                b.Put32(rec, 180 + 4 * k, centre[k]);
            }
            for (const Vec3 &v : verts) {
                double dx = v[0] - centre[0], dy = v[1] - centre[1], dz = v[2] - centre[2];
                radius = std::max(radius, std::sqrt(dx * dx + dy * dy + dz * dz));
            }
            b.Put32(rec, 176, int32_t(std::ceil(radius)));
        }
        const int32_t box_count = o.box_corners.empty() ? o.boxes : int32_t(o.box_corners.size());
        if (box_count > 0) {
            b.Section(N("boxes", i), 280 * size_t(box_count));
            b.Put32(rec, 156, box_count);
            b.Link(rec, 160, N("boxes", i), 0, R);
            for (int k = 0; k < box_count; k++) {
                for (int c = 0; c < 8; c++) {
                    float corner[3] = {float((c & 1) ? 100 : -100), float((c & 2) ? 100 : -100),
                                       float((c & 4) ? 100 : -100)};
                    if (!o.box_corners.empty()) {
                        std::copy(o.box_corners[size_t(k)][size_t(c)].begin(), o.box_corners[size_t(k)][size_t(c)].end(), corner);
                    }
                    b.PutBytes(N("boxes", i), 280 * uint32_t(k) + 12 * uint32_t(c), corner, 12);
                }
            }
        }
        if (o.faces.empty()) {
            continue;
        }
        const int32_t type = o.type;
        // Sizes of the face and edge records by type, as the library reads them.
        const bool textured = Prim_Is_Textured(type);
        const uint32_t edge_size = Prim_Edge_Size(type);
        if (Prim_Face_Size(type) == 0) {
            throw std::runtime_error("image builder: no stored records for type " + std::to_string(type));
        }
        const uint32_t face_size = textured ? 68 : 56;

        // One edge per distinct pair of vertices, shared by the faces on both sides.
        // Edges are numbered in the order first met; the map finds a shared one in the large grids.
        std::vector<std::pair<int32_t, int32_t>> edges;
        std::map<std::pair<int32_t, int32_t>, uint32_t> edge_index;
        std::vector<std::array<uint32_t, 3>> face_edges;
        for (const Vec3 &f : o.faces) {
            std::array<uint32_t, 3> fe{};
            for (int k = 0; k < 3; k++) {
                int32_t a = f[k], c = f[(k + 1) % 3];
                std::pair<int32_t, int32_t> key{std::min(a, c), std::max(a, c)};
                auto [it, added] = edge_index.emplace(key, uint32_t(edges.size()));
                if (added) {
                    edges.push_back(key);
                }
                fe[k] = it->second;
            }
            face_edges.push_back(fe);
        }

        const std::string nodeA = N("nodeA", i), nodeB = N("nodeB", i), faces = N("faces", i),
                          edgesec = N("edges", i), fnorms = N("fnorms", i), items = N("items", i);
        b.Section(nodeA, 52);
        b.Section(faces, face_size * o.faces.size());
        b.Section(fnorms, 16 * o.faces.size());
        if (textured) {
            b.Section(items, 8 * 3 * o.faces.size());
        }
        b.Section(nodeB, 24);
        b.Section(edgesec, edge_size * edges.size());

        b.Link(rec, 164, nodeA, 0, R);
        b.Link(rec, 168, nodeB, 0, R);
        b.Put32(rec, 148, int32_t(o.faces.size()));
        b.Link(rec, 152, fnorms, 0, R);
        if (textured) {
            b.Put32(rec, 132, int32_t(3 * o.faces.size()));
            b.Link(rec, 136, items, 0, R);
        }

        b.Put32(nodeA, 4, type);
        b.Put32(nodeA, 8, int32_t(o.material_word));
        b.PutBytes(nodeA, 12, o.material.c_str(), std::min<size_t>(o.material.size(), 15));
        b.Put32(nodeA, 28, int32_t(o.faces.size()));
        b.Link(nodeA, 32, faces, 0, R);
        b.Link(nodeA, 48, nodeB, 0, R);

        b.Put32(nodeB, 4, type);
        b.Put32(nodeB, 8, int32_t(edges.size()));
        b.Link(nodeB, 12, edgesec, 0, R);
        b.Put32(nodeB, 16, 0x5A5A5A5A); // cleared at load
        for (size_t e = 0; e < edges.size(); e++) {
            uint32_t at = edge_size * uint32_t(e);
            if (e + 1 < edges.size()) {
                b.Link(edgesec, at, edgesec, at + edge_size, R);
            }
            b.Link(edgesec, at + 28, vsec(edges[e].first), 40 * vidx(edges[e].first), R);
            b.Link(edgesec, at + 32, vsec(edges[e].second), 40 * vidx(edges[e].second), R);
        }

        for (size_t f = 0; f < o.faces.size(); f++) {
            uint32_t at = face_size * uint32_t(f);
            const Vec3 &face = o.faces[f];
            if (f + 1 < o.faces.size()) {
                b.Link(faces, at + 4, faces, at + face_size, R);
            }
            for (int k = 0; k < 3; k++) {
                b.Link(faces, at + 8 + 12 * uint32_t(k), vsec(face[k]), 40 * vidx(face[k]), R);
                if (normals) {
                    b.Link(faces, at + 12 + 12 * uint32_t(k), nsec(face[k]), 16 * vidx(face[k]), R);
                }
                b.Link(faces, at + 16 + 12 * uint32_t(k), edgesec, edge_size * face_edges[f][k], R);
            }
            b.Link(faces, at + 44, fnorms, 16 * uint32_t(f), R);
            Vec3 normal;
            int32_t plane;
            Face_Plane(vpos(face[0]), vpos(face[1]), vpos(face[2]), &normal, &plane);
            for (int k = 0; k < 3; k++) {
                b.Put32(fnorms, 16 * uint32_t(f) + 4 * k, normal[k]);
            }
            b.Put32(faces, at + 48, plane);
            if (textured) {
                static const int32_t uv[3][2] = {{0, 0}, {255 << 16, 0}, {0, 255 << 16}};
                for (int k = 0; k < 3; k++) {
                    uint32_t item = 8 * (3 * uint32_t(f) + uint32_t(k));
                    b.Link(faces, at + 52 + 4 * uint32_t(k), items, item, R);
                    const bool given = f < o.face_uvs.size();
                    b.Put32(items, item, given ? o.face_uvs[f][2 * k] : uv[k][0]);
                    b.Put32(items, item + 4, given ? o.face_uvs[f][2 * k + 1] : uv[k][1]);
                }
            }
        }
    }
    return b;
}

// ---- Kind 3 ------------------------------------------------------------------------------------

ColourRow DarkenedPalette(const std::vector<uint16_t> &palette)
{
    return [palette](int row, int index) -> uint16_t {
        uint16_t c = palette[size_t(index) % palette.size()];
        int r = (c >> 11) * (32 - row) / 32, g = ((c >> 5) & 0x3F) * (32 - row) / 32, bl = (c & 0x1F) * (32 - row) / 32;
        return uint16_t((r << 11) | (g << 5) | bl);
    };
}

ImageBuilder MaterialImage(const ColourRow &row, const std::function<uint8_t(int x, int y)> &texel)
{
    ImageBuilder b(3);
    b.Section("colours", 32 * 256 * 4);
    b.Section("texels", 65536);
    for (int r = 0; r < 32; r++) {
        for (int i = 0; i < 256; i++) {
            b.Put32("colours", uint32_t(r * 256 + i) * 4, int32_t(uint32_t(row(r, i)) << 16));
        }
    }
    std::vector<uint8_t> texels(65536);
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 256; x++) {
            texels[size_t(y * 256 + x)] = texel ? texel(x, y) : uint8_t(((x >> 5) ^ (y >> 5)) & 1 ? 200 : 40);
        }
    }
    b.PutBytes("texels", 0, texels.data(), texels.size());
    return b;
}

// ---- Kinds 4 and 6 -----------------------------------------------------------------------------

// The order of a channel's keys by time; keys of one time keep the order they were given in.
template <typename Key> static std::vector<size_t> By_Time(const std::vector<Key> &keys)
{
    std::vector<size_t> order(keys.size());
    for (size_t k = 0; k < order.size(); k++) {
        order[k] = k;
    }
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t c) { return keys[a].first < keys[c].first; });
    return order;
}

ImageBuilder TrackImage(int32_t kind, const std::vector<TrackSpec> &tracks)
{
    ImageBuilder b(kind);
    const bool spline = kind == 6;
    const uint32_t rot_size = spline ? 60 : 20, pos_size = spline ? 48 : 16;
    b.Section("table", 4 + 4 * tracks.size());
    b.Put32("table", 0, int32_t(tracks.size()));
    for (size_t i = 0; i < tracks.size(); i++) {
        const TrackSpec &t = tracks[i];
        const std::string track = N("track", i), rot = N("rot", i), pos = N("pos", i);
        b.Section(track, 20);
        b.Section(rot, rot_size * t.rotations.size());
        b.Section(pos, pos_size * t.positions.size());
        b.Link("table", 4 + 4 * uint32_t(i), track, 0, Convention::Base20);
        int32_t frames = 0;
        for (const auto &k : t.rotations) {
            frames = std::max(frames, k.first);
        }
        for (const auto &k : t.positions) {
            frames = std::max(frames, k.first);
        }
        b.Put32(track, 0, frames);
        b.Put32(track, 4, int32_t(t.rotations.size()));
        b.Put32(track, 8, int32_t(t.positions.size()));
        b.Link(track, 12, rot, 0, Convention::Base20);
        b.Link(track, 16, pos, 0, Convention::Base20);
        auto put_words = [&](const std::string &section, uint32_t at, const int32_t *words, int n) {
            for (int c = 0; c < n; c++) {
                b.Put32(section, at + 4 * uint32_t(c), words[c]);
            }
        };
        auto put_float = [&](const std::string &section, uint32_t at, float f) { b.PutBytes(section, at, &f, 4); };
        // Keys in time order, each followed by its spline fields in a kind-6 image.
        auto put_keys = [&](const std::string &section, uint32_t size, const auto &keys, const auto &splines, int words,
                            auto put_spline) {
            const std::vector<size_t> order = By_Time(keys);
            for (size_t k = 0; k < order.size(); k++) {
                const size_t from = order[k];
                const uint32_t at = size * uint32_t(k);
                b.Put32(section, at, keys[from].first);
                put_words(section, at + 4, keys[from].second.data(), words);
                if (spline && from < splines.size()) {
                    put_spline(at, splines[from]);
                }
            }
        };
        put_keys(rot, rot_size, t.rotations, t.rotation_splines, 4, [&](uint32_t at, const RotSpline &s) {
            put_float(rot, at + 20, s.ease_a);
            put_float(rot, at + 24, s.ease_b);
            put_words(rot, at + 28, s.control_a.data(), 4);
            put_words(rot, at + 44, s.control_b.data(), 4);
        });
        put_keys(pos, pos_size, t.positions, t.position_splines, 3, [&](uint32_t at, const PosSpline &s) {
            put_float(pos, at + 16, s.ease_a);
            put_float(pos, at + 20, s.ease_b);
            put_words(pos, at + 24, s.tangent_b.data(), 3); // tangent B is stored first
            put_words(pos, at + 36, s.tangent_a.data(), 3);
        });
    }
    return b;
}

// ---- Kind 2 ------------------------------------------------------------------------------------

ImageBuilder RecordImage(const std::vector<std::array<int32_t, 3>> &records)
{
    ImageBuilder b(2);
    b.Section("table", 4 + 4 * records.size());
    b.Put32("table", 0, int32_t(records.size()));
    for (size_t i = 0; i < records.size(); i++) {
        b.Section(N("rec", i), 12);
        b.Link("table", 4 + 4 * uint32_t(i), N("rec", i), 0, Convention::Base20);
        for (int k = 0; k < 3; k++) {
            b.Put32(N("rec", i), 4 * uint32_t(k), records[i][size_t(k)]);
        }
    }
    return b;
}

// ---- Kind 5 ------------------------------------------------------------------------------------

int32_t Plane_Distance(const int32_t *normal, int32_t d, const int32_t *point)
{
    int64_t sum = 0;
    for (int k = 0; k < 3; k++) {
        sum += (int64_t(normal[k]) * point[k]) / 32768; // truncated toward zero, as the collision code does
    }
    return int32_t(sum - d);
}

ImageBuilder CollisionImage(const std::vector<Vec3> &vertices, const std::vector<Vec3> &triangles)
{
    ImageBuilder b(5);
    const Convention C = Convention::OneBased20;
    b.Section("body", 28);
    b.Section("verts", 12 * vertices.size());
    b.Section("normals", 12 * triangles.size());
    b.Section("tris", 96 * triangles.size());
    b.Put32("body", 0, int32_t(vertices.size()));
    b.Link("body", 4, "verts", 0, C);
    b.Put32("body", 8, int32_t(triangles.size()));
    b.Link("body", 12, "tris", 0, C);
    b.Put32("body", 16, int32_t(triangles.size()));
    b.Link("body", 20, "normals", 0, C);
    for (size_t v = 0; v < vertices.size(); v++) {
        b.PutBytes("verts", 12 * uint32_t(v), vertices[v].data(), 12);
    }
    for (size_t t = 0; t < triangles.size(); t++) {
        const uint32_t at = 96 * uint32_t(t);
        const Vec3 &tri = triangles[t];
        const Vec3 p[3] = {vertices[size_t(tri[0])], vertices[size_t(tri[1])], vertices[size_t(tri[2])]};
        for (int k = 0; k < 3; k++) {
            b.Link("tris", at + 4 * uint32_t(k), "verts", 12 * uint32_t(tri[size_t(k)]), C);
        }
        b.Link("tris", at + 12, "normals", 12 * uint32_t(t), C);
        Vec3 n;
        int32_t unused;
        Face_Plane(p[0], p[1], p[2], &n, &unused);
        b.PutBytes("normals", 12 * uint32_t(t), n.data(), 12);
        b.Put32("tris", at + 16, Plane_Distance(n.data(), 0, p[0].data()));
        for (int e = 0; e < 3; e++) {
            const Vec3 &a = p[e], &c = p[(e + 1) % 3], &opposite = p[(e + 2) % 3];
            double dir[3] = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
            // In the face's plane, across the edge, toward the opposite corner.
            Vec3 en = Normalised(n[1] * dir[2] - n[2] * dir[1], n[2] * dir[0] - n[0] * dir[2], n[0] * dir[1] - n[1] * dir[0]);
            if (Plane_Distance(en.data(), 0, opposite.data()) < Plane_Distance(en.data(), 0, a.data())) {
                en = {-en[0], -en[1], -en[2]};
            }
            int32_t d = std::min(Plane_Distance(en.data(), 0, a.data()), Plane_Distance(en.data(), 0, c.data()));
            b.PutBytes("tris", at + 20 + 12 * uint32_t(e), en.data(), 12);
            b.Put32("tris", at + 56 + 4 * uint32_t(e), d);
        }
        b.Put32("tris", at + 68, 1); // the owning mesh: the body
        for (int k = 0; k < 3; k++) {
            b.Put32("tris", at + 72 + 4 * uint32_t(k), std::min({p[0][k], p[1][k], p[2][k]}));
            b.Put32("tris", at + 84 + 4 * uint32_t(k), std::max({p[0][k], p[1][k], p[2][k]}));
        }
    }
    return b;
}

} // namespace kalder_test

namespace kalder_test {

std::vector<Vec3> CubeFaces()
{
    // Corner i: x, y, z = -s or s by bits 0, 1, 2. Each side as a quad, turned so that its normal
    // points out of the cube.
    static const int quads[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    auto corner = [](int i) { return Vec3{(i & 1) ? 1 : -1, (i & 2) ? 1 : -1, (i & 4) ? 1 : -1}; };
    std::vector<Vec3> faces;
    for (const auto &q : quads) {
        for (Vec3 f : {Vec3{q[0], q[1], q[2]}, Vec3{q[0], q[2], q[3]}}) {
            Vec3 n;
            int32_t plane;
            Face_Plane(corner(f[0]), corner(f[1]), corner(f[2]), &n, &plane);
            if (plane < 0) { // the normal points into the cube
                std::swap(f[1], f[2]);
            }
            faces.push_back(f);
        }
    }
    return faces;
}

BoxSpec BoxAround(const std::array<float, 3> &centre, const std::array<float, 3> &half, double yaw, double pitch)
{
    static const int signs[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                    {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    const double cy = std::cos(yaw), sy = std::sin(yaw), cp = std::cos(pitch), sp = std::sin(pitch);
    BoxSpec box{};
    for (int c = 0; c < 8; c++) {
        const double x = signs[c][0] * double(half[0]), y = signs[c][1] * double(half[1]), z = signs[c][2] * double(half[2]);
        const double x1 = cy * x + sy * z, z1 = -sy * x + cy * z;
        const double y2 = cp * y - sp * z1, z2 = sp * y + cp * z1;
        box[size_t(c)] = {float(centre[0] + x1), float(centre[1] + y2), float(centre[2] + z2)};
    }
    return box;
}

std::vector<ObjectSpec> CubeObjects(int32_t s)
{
    ObjectSpec cube;
    cube.name = "Cube";
    for (int i = 0; i < 8; i++) {
        cube.vertices.push_back({(i & 1) ? s : -s, (i & 2) ? s : -s, (i & 4) ? s : -s});
    }
    cube.faces = CubeFaces();
    cube.type = 2;
    cube.material = "CUBE";
    cube.boxes = 1;
    ObjectSpec flap;
    flap.name = "Flap";
    flap.parent = 0;
    flap.share_parent_vertices = true;
    flap.faces = {{2, 7, 3}, {2, 6, 7}}; // the top (y = s), facing out
    flap.type = 1;
    flap.material = "FLAT";
    flap.position = {0, s, 0};
    return {cube, flap};
}

std::vector<MaterialSpec> CubeMaterials() { return {{"CUBE", "CUBE", 0x07E0}, {"FLAT", "", 0xF800}}; }

} // namespace kalder_test
