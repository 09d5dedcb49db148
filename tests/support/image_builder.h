// Writes 3D file images (.3DC, .3DI, .3DM, .3DA) from a plain description, for tests, the fuzz seeds
// and the demo installation.
//
// An image is laid out as named sections. Every pointer field is recorded with its target and its
// convention and patched when the image is finished, so that tests can compute every expected offset
// from the section map, and damage any field, link or name before finishing.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kalder_test {

// How a pointer field is stored.
enum class Convention {
    Base20,      // 0-based from image offset 20: record tables and key offsets
    Record0,     // 1-based from record 0: the inner pointers of a hierarchy
    OneBased20,  // 1-based from image offset 20: collision meshes
};

struct ImageFile {
    std::vector<uint8_t> bytes;                 // the file: "F3DC", i32 450, then the image
    std::map<std::string, uint32_t> sections;   // section name -> offset in the image
    uint32_t at(const std::string &section) const { return sections.at(section); }
};

class ImageBuilder {
public:
    explicit ImageBuilder(int32_t kind);

    // Appends a section of that many zero bytes; returns its name.
    const std::string &Section(const std::string &name, size_t bytes);
    void Put32(const std::string &section, uint32_t offset, int32_t value);
    void PutBytes(const std::string &section, uint32_t offset, const void *data, size_t size);
    // A pointer field: patched to the target at Finish.
    void Link(const std::string &section, uint32_t offset, const std::string &target, uint32_t target_offset,
              Convention convention);
    // The section that 1-based hierarchy offsets count from.
    void SetRecord0(const std::string &section) { record0_ = section; }
    bool Has(const std::string &section) const;

    // Damage, applied after the links are patched: a field overwritten, a link redirected, a cut.
    void Damage32(const std::string &section, uint32_t offset, int32_t value);
    void DamageBytes(const std::string &section, uint32_t offset, std::vector<uint8_t> bytes);
    void DamageLink(const std::string &section, uint32_t offset, const std::string &target, uint32_t target_offset,
                    Convention convention);
    void TruncateAt(size_t file_bytes) { truncate_ = file_bytes; }

    ImageFile Finish() const;

private:
    struct Sec {
        std::string name;
        std::vector<uint8_t> bytes;
    };
    struct Fix {
        std::string section;
        uint32_t offset;
        std::string target;
        uint32_t target_offset;
        Convention convention;
    };
    struct Poke {
        std::string section;
        uint32_t offset;
        std::vector<uint8_t> bytes;
    };
    Sec &find(const std::string &name);
    std::vector<Sec> sections_;
    std::vector<Fix> fixes_;
    std::vector<Fix> damaged_links_;
    std::vector<Poke> pokes_;
    std::string record0_;
    size_t truncate_ = SIZE_MAX;
};

using Vec3 = std::array<int32_t, 3>;

// ---- Kind 1: object hierarchies (.3DC) ----------------------------------------------------------

struct MaterialSpec {
    std::string name;
    std::string file_name; // without directory and extension; empty for a material without image
    uint32_t colour = 0;
};

// The eight corners of a collision box, x, y, z each, in the object's frame: 0..3 round one face, corner
// i + 4 facing corner i, 0 and 6 the ends of a diagonal.
using BoxSpec = std::array<std::array<float, 3>, 8>;
// A box around a centre with half-extents, turned by yaw about y and then pitch about x (radians),
// numbered as above: 0..3 round the face at -z (0 at -x -y, 1 at +x -y, 2 at +x +y), 4..7 at +z.
BoxSpec BoxAround(const std::array<float, 3> &centre, const std::array<float, 3> &half, double yaw = 0,
                  double pitch = 0);

struct ObjectSpec {
    std::string name;
    int parent = -1;                 // index of an earlier object; -1 for the root (object 0)
    uint32_t flags = 0;
    Vec3 position{0, 0, 0};
    std::vector<Vec3> vertices;
    std::vector<uint32_t> vertex_flags; // stored flags of the first vertices (0x80: free); the rest 0
    bool share_parent_vertices = false; // flag 0x10: without vertices of its own it draws over its
                                        // parent's; with them, face index -1 - k is the parent's vertex k
    bool vertex_normals = true;
    std::vector<Vec3> faces;         // vertex indices, counter-clockwise on the screen
    std::vector<std::array<int32_t, 6>> face_uvs; // u, v of the corners (16.16) of the first faces
    int32_t type = 1;                // the primitive type of its nodes
    std::string material;            // the nodes' material name
    uint32_t material_word = 0;      // the node's stored material word
    int32_t boxes = 0;               // +-100 cubes with corner c at x from bit 0, y from 1, z from 2
    std::vector<BoxSpec> box_corners; // boxes of its own instead, when there are any
    uint32_t shade = 0;
};

// Sections: "table", "materials", and per object i: "rec<i>", "verts<i>", "vnorms<i>", "fnorms<i>",
// "items<i>", "boxes<i>", "nodeA<i>", "faces<i>", "nodeB<i>", "edges<i>" (those it has).
ImageBuilder HierarchyImage(const std::vector<ObjectSpec> &objects, const std::vector<MaterialSpec> &materials);

// The face normal (Newell's, scaled to 0x8000) and plane value the maker writes for a face.
void Face_Plane(const Vec3 &v0, const Vec3 &v1, const Vec3 &v2, Vec3 *normal, int32_t *plane);

// ---- Kind 3: material images (.3DM) -------------------------------------------------------------

using ColourRow = std::function<uint16_t(int row, int index)>;
// The default row r: the palette darkened by (32 - r)/32.
ColourRow DarkenedPalette(const std::vector<uint16_t> &palette);
// Sections: "colours" (32 x 256 entries), "texels" (256 x 256).
ImageBuilder MaterialImage(const ColourRow &row, const std::function<uint8_t(int x, int y)> &texel = nullptr);

// ---- Kinds 4 and 6: animation tracks (.3DA) ----------------------------------------------------

using Quat = std::array<int32_t, 4>;

// The spline fields of a kind-6 key.
struct RotSpline {
    float ease_a = 0, ease_b = 0;
    Quat control_a{}, control_b{};
};
struct PosSpline {
    float ease_a = 0, ease_b = 0;
    Vec3 tangent_a{}, tangent_b{};
};

struct TrackSpec {
    std::vector<std::pair<int32_t, Quat>> rotations; // time, quaternion
    std::vector<std::pair<int32_t, Vec3>> positions; // time, position
    // Kind 6: the spline fields of the keys above, in the same order; keys without one have them 0.
    std::vector<RotSpline> rotation_splines = {};
    std::vector<PosSpline> position_splines = {};
};
// Keys are sorted by time (keys of one time keep their order). Sections: "table", "track<i>", "rot<i>",
// "pos<i>".
ImageBuilder TrackImage(int32_t kind, const std::vector<TrackSpec> &tracks);

// ---- Kind 2: record tables ---------------------------------------------------------------------

// Sections: "table", "rec<i>".
ImageBuilder RecordImage(const std::vector<std::array<int32_t, 3>> &records);

// ---- Kind 5: collision meshes (.3DI) -----------------------------------------------------------

// Sections: "body", "verts", "normals", "tris".
ImageBuilder CollisionImage(const std::vector<Vec3> &vertices, const std::vector<Vec3> &triangles);

// The signed distance of a point from a plane as the collision code computes it.
int32_t Plane_Distance(const int32_t *normal, int32_t d, const int32_t *point);

} // namespace kalder_test

namespace kalder_test {

// The demo hierarchy: "Cube", a textured cube of half-size s with material "CUBE" (file "CUBE"), and
// its child "Flap", a flat square of two faces on the cube's top that shares the cube's vertices,
// with material "FLAT" (no file, colour 0xF800).
std::vector<ObjectSpec> CubeObjects(int32_t s = 256);
std::vector<MaterialSpec> CubeMaterials();
// The cube's faces, outward and counter-clockwise on the screen as seen from outside.
std::vector<Vec3> CubeFaces();

} // namespace kalder_test
