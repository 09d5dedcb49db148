// Exact tests on collision triangles: a sphere against a triangle, a point dropped onto one, and the
// segment query over the whole collision space.
#pragma once
#include <cstdint>

#include "engine3d/coll.h"

// Run by the game on each triangle a body's contact walk hands it: 2 or -2 for the face, 1 or -1 for
// an edge or corner, 0 for none; the contact point goes to `contact`.
int32_t Coll_Test_Sphere_Tri(const OBJ_CollBody *body, const OBJ_CollTri *tri, int32_t *contact);
// The ground under a body: 1 or -1 with the point on the triangle straight below or above its centre.
int32_t Coll_Test_Point_Tri(const OBJ_CollBody *body, const OBJ_CollTri *tri, int32_t *point);
// Copies the triangle's corners and face normal; returns the handle of the mesh block that holds it.
int32_t Coll_Get_Hit(const OBJ_CollTri *tri, int32_t *v0, int32_t *v1, int32_t *v2, int32_t *normal);

// Line of sight: called with the same two points until it gives null, each triangle the segment may
// cross in turn; Seg_Cross_Plane then tells whether it does (1 or -1 by the side of the first point).
OBJ_CollTri *Coll_Box_Of_Segment(const int32_t *p1, const int32_t *p2);
int32_t Seg_Cross_Plane(const int32_t *p1, const int32_t *p2, const OBJ_CollTri *tri, int32_t *out);

// The steps of the tests, for the tests of this library and the tools.
int64_t Plane_Dist(const OBJ_CollTri *tri, int32_t edge, const int32_t *p);
int64_t Face_Dist(const OBJ_CollTri *tri, const int32_t *p);
int32_t Coll_Sphere_Tri_Contact(const OBJ_CollTri *tri, const int32_t *c, int32_t r, int32_t *contact, int32_t flags);
int32_t Coll_Point_On_Tri(const OBJ_CollTri *tri, const int32_t *p, int32_t *contact, int32_t flags);
void Plane_Foot(const OBJ_CollTri *tri, const int32_t *p, int32_t *out);
void Seg_Closest_Point(const int32_t *p, int32_t *out, const int32_t *a, const int32_t *b);
void Line_Foot_Int(const int32_t *p, const int32_t *a, const int32_t *b, int32_t *out);
// The point where the line through p1 and p2 meets the face plane; false when it runs parallel to it.
bool Line_Plane_Point(const OBJ_CollTri *tri, const int32_t *p1, const int32_t *p2, int32_t *out);
