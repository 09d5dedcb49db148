// Texture coordinates made from the geometry (environment and screen mapping), and face planes
// recomputed from the vertices.
#pragma once
#include <cstdint>

#include "engine3d/records.h"

void Build_Obj_Env_Mapping(Addr record);
void Build_Obj_Screen_Mapping(Addr record);
int32_t Map_Quad_Screen_UV(OBJ_Handle source, OBJ_Handle target);
int32_t Compute_Face_Planes(OBJ_Handle h);
int32_t Hide_Obj_Faces(OBJ_Handle h);
