// Object lighting. Not built yet: placeholders that shade nothing, exact while no object has lights
// attached.
#include "engine3d/lighting.h"

void Compute_Face_Illum(Addr) {}
void Build_Obj_Lights(Addr) {}
