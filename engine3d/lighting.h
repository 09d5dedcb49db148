// Object lighting: shade levels of the faces and corners drawn this frame.
#pragma once
#include "engine3d/records.h"

void Compute_Face_Illum(Addr record);
void Build_Obj_Lights(Addr record);
