// Layouts of the records that live in the 3D work area, byte for byte as in the file images.
#pragma once
#include <cstddef>
#include <cstdint>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the file images are little-endian");

// An address inside the work area, as an offset from its base. 0 is none: offset 0 holds the table
// of handle tables, never a record.
using Addr = uint32_t;

// (table index << 16) | slot; -1 is no object.
using OBJ_Handle = int32_t;

// Block kinds.
enum : int32_t {
    OBJ_KIND_HIERARCHY = 1,
    OBJ_KIND_RECORDS = 2,
    OBJ_KIND_MATERIAL = 3,
    OBJ_KIND_TRACKS = 4,
    OBJ_KIND_MESH = 5,
    OBJ_KIND_SPLINES = 6,
};

// The first 20 bytes of every block; the record count and the record pointers follow for kinds 1, 2,
// 4 and 6.
struct OBJ_BlockHeader {
    int32_t handle; // table << 16, slot 0
    int32_t size;   // bytes, header included
    int32_t kind;
    Addr previous;  // 0 for the first block
    Addr next;      // 0 for the last block
};
static_assert(sizeof(OBJ_BlockHeader) == 20);
static_assert(offsetof(OBJ_BlockHeader, kind) == 8);
static_assert(offsetof(OBJ_BlockHeader, next) == 16);

// Where the record table of a block starts: count, then one pointer per record.
constexpr Addr OBJ_RECORD_COUNT = 20;
constexpr Addr OBJ_RECORD_TABLE = 24;

// Object record flags.
enum : uint32_t {
    OBJ_FLAG_SKIP_TREE = 0x0001,
    OBJ_FLAG_TRANSFORMED = 0x0002,
    OBJ_FLAG_HIDDEN = 0x0004,
    OBJ_FLAG_CULLED = 0x0008,
    OBJ_FLAG_SHARED_VERTS = 0x0010,
    OBJ_FLAG_CROSS_SIDE = 0x0020,
    OBJ_FLAG_CROSS_NEAR = 0x0040,
    OBJ_FLAG_NO_FAR_CULL = 0x0080,
    OBJ_FLAG_CAMERA = 0x0400,
    OBJ_FLAG_ENV_MAP = 0x0800,
    OBJ_FLAG_NO_BUILD = 0x1000,
};

// An object of a hierarchy. It serves as the layout: its fields are read through the work-area
// accessors at their offsetof positions, since an image may place a record at any byte.
struct OBJ_Record {
    char name[12];             // NUL-terminated
    uint32_t flags;
    Addr parent;
    Addr first_child;
    Addr next_sibling;
    int32_t position[3];       // in the parent's frame
    int32_t matrix[9];         // local, rows in order, 1.0 = 0x8000
    int32_t cam_position[3];   // camera space
    int32_t cam_matrix[9];
    int32_t vertex_count;
    Addr vertices;             // 40-byte vertex records
    int32_t item_count;
    Addr items;                // 8-byte items
    int32_t vnormal_count;
    Addr vnormals;             // 16-byte entries
    int32_t fnormal_count;
    Addr fnormals;             // 16-byte entries
    int32_t box_count;
    Addr boxes;
    Addr prims_a;              // drawable primitive nodes
    Addr prims_b;              // built after the subtree
    uint8_t unused_172[4];
    int32_t radius;            // bounding sphere
    int32_t centre[3];
    int32_t word_192;
    int32_t light_count;       // at most 8
    uint8_t lights[8];         // light slot indices
    uint32_t shade;            // two 5-bit levels, mask 0x1f1f
    uint8_t unused_212[8];
};
static_assert(sizeof(OBJ_Record) == 220);
static_assert(offsetof(OBJ_Record, flags) == 12);
static_assert(offsetof(OBJ_Record, parent) == 16);
static_assert(offsetof(OBJ_Record, first_child) == 20);
static_assert(offsetof(OBJ_Record, next_sibling) == 24);
static_assert(offsetof(OBJ_Record, position) == 28);
static_assert(offsetof(OBJ_Record, matrix) == 40);
static_assert(offsetof(OBJ_Record, cam_position) == 76);
static_assert(offsetof(OBJ_Record, cam_matrix) == 88);
static_assert(offsetof(OBJ_Record, vertex_count) == 124);
static_assert(offsetof(OBJ_Record, vertices) == 128);
static_assert(offsetof(OBJ_Record, item_count) == 132);
static_assert(offsetof(OBJ_Record, items) == 136);
static_assert(offsetof(OBJ_Record, vnormal_count) == 140);
static_assert(offsetof(OBJ_Record, vnormals) == 144);
static_assert(offsetof(OBJ_Record, fnormal_count) == 148);
static_assert(offsetof(OBJ_Record, fnormals) == 152);
static_assert(offsetof(OBJ_Record, box_count) == 156);
static_assert(offsetof(OBJ_Record, boxes) == 160);
static_assert(offsetof(OBJ_Record, prims_a) == 164);
static_assert(offsetof(OBJ_Record, prims_b) == 168);
static_assert(offsetof(OBJ_Record, radius) == 176);
static_assert(offsetof(OBJ_Record, centre) == 180);
static_assert(offsetof(OBJ_Record, word_192) == 192);
static_assert(offsetof(OBJ_Record, light_count) == 196);
static_assert(offsetof(OBJ_Record, lights) == 200);
static_assert(offsetof(OBJ_Record, shade) == 208);

// The root camera's block: one hierarchy of one record, no materials, handle 0.
struct OBJ_RootCameraBlock {
    OBJ_BlockHeader header;
    int32_t record_count;  // 1
    Addr record;           // the record below
    int32_t material_count; // 0
    OBJ_Record camera;
};
static_assert(sizeof(OBJ_RootCameraBlock) == 252);
static_assert(offsetof(OBJ_RootCameraBlock, record_count) == OBJ_RECORD_COUNT);
static_assert(offsetof(OBJ_RootCameraBlock, record) == OBJ_RECORD_TABLE);
static_assert(offsetof(OBJ_RootCameraBlock, material_count) == 28);
static_assert(offsetof(OBJ_RootCameraBlock, camera) == 32);

// A material of a hierarchy image's material table; the name is the key of the name cache.
struct OBJ_Material {
    char name[16];      // NUL-terminated
    char file_name[16]; // the .3DM image without directory and extension; empty for none
    uint32_t colour;    // used by the untextured primitive types
    uint8_t unused_36[8];
};
static_assert(sizeof(OBJ_Material) == 44);
static_assert(offsetof(OBJ_Material, file_name) == 16);
static_assert(offsetof(OBJ_Material, colour) == 32);

// One entry of the material name cache, in the work area after the table of handle tables.
struct OBJ_NameCacheEntry {
    int32_t count;       // references; 0 = free
    OBJ_Handle handle;   // of the loaded .3DM image
    Addr data;           // the image's texels (image + 0x8014), or 0
    OBJ_Material material;
    uint32_t flags;      // bit 0: colour table converted to 15-bit colours
};
static_assert(sizeof(OBJ_NameCacheEntry) == 60);
static_assert(offsetof(OBJ_NameCacheEntry, data) == 8);
static_assert(offsetof(OBJ_NameCacheEntry, material) == 12);
static_assert(offsetof(OBJ_NameCacheEntry, flags) == 56);

// A material image: header, 32 shade rows of 256 colour entries (RGB565 in the upper half), texels.
constexpr uint32_t OBJ_MATERIAL_TEXELS = 0x8014;
constexpr uint32_t OBJ_MATERIAL_SIZE = 0x8014 + 65536;
static_assert(OBJ_MATERIAL_SIZE == 98324);

// A face node of primitive list A.
struct OBJ_PrimNode {
    Addr next;
    int32_t type;        // -15..30
    uint32_t material;   // flat types: the colour; textured: the cache entry's data-pointer word
    char material_name[16];
    int32_t face_count;
    Addr faces;
    Addr face_chain;     // the faces to draw this frame
    uint8_t unused_40[8];
    Addr edge_node;      // its node of list B
};
static_assert(sizeof(OBJ_PrimNode) == 52);
static_assert(offsetof(OBJ_PrimNode, material_name) == 12);
static_assert(offsetof(OBJ_PrimNode, face_count) == 28);
static_assert(offsetof(OBJ_PrimNode, faces) == 32);
static_assert(offsetof(OBJ_PrimNode, face_chain) == 36);
static_assert(offsetof(OBJ_PrimNode, edge_node) == 48);

// An edge node of primitive list B.
struct OBJ_EdgeNode {
    Addr next;
    int32_t type;        // the type of its face node
    int32_t edge_count;
    Addr edges;
    int32_t word_16;     // cleared at load
    Addr edge_list;      // first edge of this frame's list
};
static_assert(sizeof(OBJ_EdgeNode) == 24);
static_assert(offsetof(OBJ_EdgeNode, edge_count) == 8);
static_assert(offsetof(OBJ_EdgeNode, edges) == 12);
static_assert(offsetof(OBJ_EdgeNode, word_16) == 16);
static_assert(offsetof(OBJ_EdgeNode, edge_list) == 20);

// A face; 56 bytes for the flat types (up to the light byte), 68 for the textured ones.
struct OBJ_Face {
    uint32_t flags;
    Addr next;           // word 1: next face of the chain
    Addr v0, n0, e0;     // words 2..4: vertex, vertex normal, edge to the next corner
    Addr v1, n1, e1;     // words 5..7
    Addr v2, n2, e2;     // words 8..10
    Addr normal;         // word 11: face normal
    int32_t plane;       // word 12
    Addr uv[3];          // words 13..15 (textured): items of the corners; flat faces hold the light here
    uint8_t light;       // textured faces
    uint8_t corner_light[3];
};
static_assert(sizeof(OBJ_Face) == 68);
static_assert(offsetof(OBJ_Face, v0) == 8);
static_assert(offsetof(OBJ_Face, normal) == 44);
static_assert(offsetof(OBJ_Face, plane) == 48);
static_assert(offsetof(OBJ_Face, uv) == 52);
static_assert(offsetof(OBJ_Face, light) == 64);
constexpr uint32_t OBJ_FLAT_FACE_SIZE = 56;

// The rasteriser's edge record, shared by the faces on both sides; stored at 60, 88, 100 or 112 bytes
// by primitive type.
struct SPAN_Surface {
    Addr next;
    uint32_t flags;
    int32_t x, x_step;           // 20.12
    float depth, depth_step, depth_step_x;
    Addr v0, v1;                 // words 7 and 8: endpoints
    Addr predecessor, next_right;
    uint16_t colour;
    uint8_t shade, level;
    Addr bucket_link;
    uint32_t clip;
    Addr run;                    // flat edges end here (60 bytes)
    int32_t u, v, u_step, v_step, u_step_x, v_step_x;
    Addr texture;                // affine edges end here (88 bytes)
    int32_t word_88, word_92, word_96; // perspective edges end here (100 bytes)
    int32_t shade_x, shade_step, shade_step_x;
};
static_assert(sizeof(SPAN_Surface) == 112);
static_assert(offsetof(SPAN_Surface, v0) == 28);
static_assert(offsetof(SPAN_Surface, v1) == 32);
static_assert(offsetof(SPAN_Surface, colour) == 44);
static_assert(offsetof(SPAN_Surface, run) == 56);
static_assert(offsetof(SPAN_Surface, texture) == 84);
static_assert(offsetof(SPAN_Surface, word_96) == 96);
static_assert(offsetof(SPAN_Surface, shade_step_x) == 108);

// A vertex of an object; the pipeline fills everything after the local position each frame.
struct OBJ_Vertex {
    uint32_t flags;
    int32_t position[3];
    float camera[3];
    int32_t screen_x, screen_y;
    float inverse_depth;
};
static_assert(sizeof(OBJ_Vertex) == 40);
static_assert(offsetof(OBJ_Vertex, position) == 4);

// A vertex or face normal (x, y, z, and a shade or the eye product).
struct OBJ_Normal {
    int32_t x, y, z, w;
};
static_assert(sizeof(OBJ_Normal) == 16);

// An item: a corner's texture coordinates.
struct OBJ_Item {
    int32_t u, v;
};
static_assert(sizeof(OBJ_Item) == 8);

// A collision box: eight corners in the object's frame and what the frame makes of them.
struct OBJ_CollBox {
    float corners[24];
    int32_t screen_x[8], screen_y[8];
    float world[24];
    float minimum[3], maximum[3];
};
static_assert(sizeof(OBJ_CollBox) == 280);
static_assert(offsetof(OBJ_CollBox, world) == 160);
static_assert(offsetof(OBJ_CollBox, maximum) == 268);

// An animation track, one per node; the key pointers are stored relative to image offset 20.
struct OBJ_Track {
    int32_t word_0;      // the frame count (the last key time)
    int32_t rotation_count;
    int32_t position_count;
    Addr rotations;
    Addr positions;
};
static_assert(sizeof(OBJ_Track) == 20);
static_assert(offsetof(OBJ_Track, rotations) == 12);

struct OBJ_RotKey { int32_t time, q[4]; };
struct OBJ_PosKey { int32_t time, p[3]; };
struct OBJ_RotKeySpline { int32_t time, q[4]; float ease_a, ease_b; int32_t control_a[4], control_b[4]; };
struct OBJ_PosKeySpline { int32_t time, p[3]; float ease_a, ease_b; int32_t tangent_b[3], tangent_a[3]; };
static_assert(sizeof(OBJ_RotKey) == 20 && sizeof(OBJ_PosKey) == 16);
static_assert(sizeof(OBJ_RotKeySpline) == 60 && sizeof(OBJ_PosKeySpline) == 48);
static_assert(offsetof(OBJ_PosKeySpline, p) == 4);

// The body of a collision mesh (image offset 20); words 1, 3 and 5 are stored 1-based from it.
struct OBJ_CollMesh {
    int32_t vertex_count;
    Addr vertices;       // word 1
    int32_t tri_count;   // word 2
    Addr tris;           // word 3
    int32_t normal_count;
    Addr normals;        // word 5
    OBJ_Handle handle;   // word 6, written at load
};
static_assert(sizeof(OBJ_CollMesh) == 28);
static_assert(offsetof(OBJ_CollMesh, handle) == 24);

struct OBJ_CollTri {
    Addr v[3];           // words 0..2
    Addr normal;         // word 3
    int32_t d;           // face-plane distance
    int32_t edge_normal[3][3];
    int32_t edge_d[3];
    Addr mesh;           // word 17: the owning mesh body
    int32_t box_min[3], box_max[3];
};
static_assert(sizeof(OBJ_CollTri) == 96);
static_assert(offsetof(OBJ_CollTri, edge_d) == 56);
static_assert(offsetof(OBJ_CollTri, mesh) == 68);
static_assert(offsetof(OBJ_CollTri, box_min) == 72);

// Face and edge record sizes by primitive type; 0 for the types that images never store.
inline uint32_t Prim_Face_Size(int32_t type)
{
    switch (type) {
    case -2: case 1: case 4: case 17: case 27:
        return OBJ_FLAT_FACE_SIZE;
    case -15: case -14: case -13: case -12: case -11: case -10: case -9: case -8: case -7: case -6:
    case -5: case -4: case -3: case 2: case 3: case 9: case 18: case 20: case 21: case 22: case 23:
    case 25: case 26: case 28: case 29: case 30:
        return sizeof(OBJ_Face);
    default:
        return 0;
    }
}

inline uint32_t Prim_Edge_Size(int32_t type)
{
    switch (type) {
    case -2: case 1: case 4: case 17: case 27:
        return 60;
    case -15: case -14: case -13: case -11: case -10: case -8: case -5: case -3: case 2: case 18: case 21:
        return 88;
    case -12: case -9: case -7: case -6: case -4: case 3: case 9: case 20: case 22: case 25: case 28:
    case 29: case 30:
        return 100;
    case 23: case 26:
        return 112;
    default:
        return 0;
    }
}

inline bool Prim_Is_Textured(int32_t type) { return Prim_Face_Size(type) == sizeof(OBJ_Face); }
