// Primitive set-up: the faces of an object's primitive lists turned into edges and bucket entries.
#pragma once
#include <cstdint>

#include "engine3d/records.h"

// The default Build_Obj routine: the face set-up of every node of the object's list A.
void Build_Prims(Addr record);
// After the object's subtree: the registration of every edge its set-up touched.
void Build_Prims_B(Addr record);

// Face set-up by family (node of list A, object record).
void Setup_Flat(Addr node, Addr record);
void Setup_Affine(Addr node, Addr record);
void Setup_Alpha_Affine(Addr node, Addr record);
void Setup_Persp(Addr node, Addr record);
void Setup_Flat_Shade(Addr node, Addr record);
void Setup_Gouraud(Addr node, Addr record);
void Setup_Persp_Gouraud(Addr node, Addr record);

// Edge registration by family (node of list B).
void Register_Flat(Addr node);
void Register_Affine(Addr node);
void Register_Persp(Addr node);
void Register_Gouraud(Addr node);
void Register_Persp_Gouraud(Addr node);

// What the face set-up and the edge registration read of a node's records for a type: the face and
// edge record sizes, 0 and 0 for the types that are not drawn. The object API's type changes check
// a new type against it.
void Prim_Read_Sizes(int32_t type, uint32_t *face, uint32_t *edge);
