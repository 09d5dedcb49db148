// Scanline rasteriser. Not built yet: placeholders that take no work-area memory and draw nothing.
#include "engine3d/raster.h"

void Init_Rasteriser() {}
void Init_Edge_Lists() {}
