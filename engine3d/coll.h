// Collision space: the triangles of the collision meshes sorted by their boxes on x, y and z, and the
// bodies (spheres) swept against them, each with the triangles near it ready in two contact lists.
#pragma once
#include <cstdint>

#include "engine3d/records.h"

// Body mask bits: the two sides that count in the exact tests, and the two contact lists kept.
enum : uint8_t {
    COLL_BACK_SIDE = 0x01,
    COLL_FRONT_SIDE = 0x02,
    COLL_LIST_3D = 0x04,
    COLL_LIST_2D = 0x08,
};

struct OBJ_CollContact;

// One triangle that overlaps a body on at least one axis: a slot of the body's map, keyed by the
// triangle's work-area offset (0 for an empty slot: no triangle lies at offset 0).
struct OBJ_CollNode {
    Addr tri;
    uint8_t bits;               // 1 x, 2 y, 4 z: the axes on which the boxes overlap
    OBJ_CollContact *entry_3d;  // its entry in the 3D contact list, or none
    OBJ_CollContact *entry_2d;  // its entry in the 2D contact list, or none
};

// A contact-list entry; new entries go to the head.
struct OBJ_CollContact {
    Addr tri;
    OBJ_CollContact *next;
    OBJ_CollContact *prev;
};

// A sphere moved by the game. Its cursors index the endpoint lists: lower and upper on x, y, z.
struct OBJ_CollBody {
    int32_t centre[3];
    int32_t radius;
    uint8_t mask;
    int32_t cursor[6];
    // The overlap records by triangle: an open-addressed table of `capacity` slots (a power of two,
    // or 0), `records` of them in use. A body over a floor overlaps most of it on the vertical axis,
    // so the map is searched on every endpoint a cursor passes: one probe, in place, however large.
    OBJ_CollNode *slots;
    uint32_t capacity;
    uint32_t records;
    OBJ_CollContact *head_3d;
    OBJ_CollContact *head_2d;
};

// One end of a triangle's box on one axis. The triangle is a work-area offset; its box never changes
// while its mesh is in the space, so the endpoint keeps both of its bounds on that axis.
struct OBJ_CollEndpoint {
    Addr tri;
    uint8_t is_max; // 1 for the box's maximum, 0 for its minimum
    int32_t value;  // the bound this endpoint stands for
    int32_t min;    // the box's minimum and maximum on the axis
    int32_t max;
};

constexpr int32_t COLL_MAX_BODIES = 255;

// System start-up and shutdown: an empty space, and everything given back.
void Coll_Init();
void Coll_Free();

// Level load (Init_3D): every mesh lived in the discarded work area, so the triangle lists empty and
// every body starts over; the bodies themselves stay.
void Coll_Forget_Meshes();

// Scene load and block deletion (Delete_Obj of a kind-5 block): a mesh enters or leaves the space.
void Coll_Add_Mesh(int32_t handle);
void Coll_Remove_Mesh(int32_t handle);

// The world's bodies: actors, objects and the camera each own one.
OBJ_CollBody *Coll_Create_Body(int32_t mask);
void Coll_Delete_Body(OBJ_CollBody *body);
void Copy_Vec(int32_t *dst, const int32_t *src);
void Coll_Set_Body_Radius(OBJ_CollBody *body, int32_t radius);
void Coll_Set_Body_Mask(OBJ_CollBody *body, int32_t mask);
void Coll_Get_Body(const OBJ_CollBody *body, int32_t *centre, int32_t *radius, int32_t *mask);

// Every frame, after the body's new centre is copied in: bring its contacts up to date, then walk them.
void Coll_Sweep_Body(OBJ_CollBody *body);
OBJ_CollTri *Coll_Next_Contact(OBJ_CollBody *body);
OBJ_CollTri *Coll_Next_Contact2(OBJ_CollBody *body);

// Frees the first, third and fifth of six pointer words of a record; the program never calls it.
void Coll_Free_Triple(void **record);

// The space as it stands, for the segment query, the tests and the tools.
int32_t Coll_Tri_Count();
const OBJ_CollEndpoint *Coll_Axis_List(int32_t axis); // 2N entries, sorted by value
int32_t Coll_Body_Count();
OBJ_CollBody *Coll_Body(int32_t i);

// The quicksort of one endpoint list by value, over indices lo..hi; exposed for the tests.
void Coll_Sort_Axis(OBJ_CollEndpoint *list, int32_t lo, int32_t hi);
