// Object lighting: shade levels of the faces and corners drawn this frame.
#pragma once
#include "engine3d/records.h"

// Called by Process_Obj after Cull_Faces: the attached lights in the object's own frame.
void Compute_Face_Illum(Addr record);
// Called by Process_Obj after Project_Verts, before the set-up reads the levels.
void Build_Obj_Lights(Addr record);
