// Primitive set-up. Not built yet: placeholders that register nothing, so that the render settings'
// default routines exist.
#include "engine3d/setup.h"

void Build_Prims(Addr) {}
void Build_Prims_B(Addr) {}
