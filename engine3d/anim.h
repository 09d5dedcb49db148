// Keyframe animation: the records of an object hierarchy posed every frame from the tracks of a .3DA
// image (kind 4 linear, kind 6 spline), and the vertex morph between two frames of a record table.
#pragma once
#include <cstdint>

#include "engine3d/records.h"

// Flag bits of the calls.
constexpr int32_t ANIM_KEEP_ROTATION = 0x01; // the local matrices are left alone
constexpr int32_t ANIM_KEEP_POSITION = 0x02; // the local positions are left alone
constexpr int32_t ANIM_LINEAR = 0x40;        // Anim_Apply_Ext: kind-6 keys without the spline
constexpr int32_t ANIM_STEP = 0x80;          // with ANIM_LINEAR: no interpolation at all

// A key handle: (table of the animation image << 16) | frame, the frame in key units.
// Called by the actors once per animated object per frame, before the render: track i of the tables
// of c and d poses record i of the object's hierarchy. The same table interpolates in time between
// the frames of c and d by b / 256; two tables blend the two poses by b / 256. Kind-4 tables only;
// -1 and nothing changed for any other handle.
int32_t Anim_Apply(OBJ_Handle object, OBJ_Handle c, OBJ_Handle d, int32_t b, int32_t flags);
// The same for kind-6 tables: spline, linear (ANIM_LINEAR) or stepped (ANIM_LINEAR | ANIM_STEP).
int32_t Anim_Apply_Ext(OBJ_Handle object, OBJ_Handle c, OBJ_Handle d, int32_t b, int32_t flags);

// The per-node routines of the two calls: record and tracks are work-area offsets of a hierarchy
// record and of tracks of the matching kind.
void Anim_Track_Apply(Addr record, Addr track, float t, int32_t flags);
void Anim_Track_Blend(Addr record, Addr track_a, Addr track_b, int32_t fa, int32_t fb, float weight, int32_t flags);
void Anim_Track_Spline(Addr record, Addr track, float t, int32_t flags);
void Anim_Track_Apply_B(Addr record, Addr track, float t, int32_t flags);
void Anim_Track_Step(Addr record, Addr track, float t, int32_t flags);
void Anim_Track_Blend_B(Addr record, Addr track_a, Addr track_b, int32_t fa, int32_t fb, float weight, int32_t flags);

// The ease curve of a spline segment: u in 0..1 with the end zone e1 and the start zone e2.
float Anim_Ease(float u, float e1, float e2);
float Quat_Dot_F(const float *a, const float *b);
// A 4 x 4 matrix of rows times a 4-vector, each row summed left to right.
void Mat4_Vec4_Mul_F(const float *m, const float *v, float *out);

// Turns the track at the handle's slot of a kind-4 or kind-6 table by the matrix: its rotation keys
// and its position keys. Nothing in the game calls it.
int32_t Rotate_Track(OBJ_Handle track, const int32_t *m);
// Vertex morph of the handle's object between two frames (records of a kind-2 table: a position, then
// one position per vertex of the object) by w / 256, 255 giving frame b whole. Nothing calls them.
int32_t Morph_Obj(OBJ_Handle object, OBJ_Handle a, OBJ_Handle b, int32_t w, int32_t flags);
int32_t Morph_Obj_Towards(OBJ_Handle object, OBJ_Handle frame, int32_t w, int32_t flags);
