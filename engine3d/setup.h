// Primitive set-up: the faces and edges of an object turned into the rasteriser's primitives.
#pragma once
#include "engine3d/records.h"

void Build_Prims(Addr record);
void Build_Prims_B(Addr record);
