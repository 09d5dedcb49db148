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
