// Scanline rasteriser. Not built yet: placeholders that take no work-area memory and draw nothing.
#include "engine3d/raster.h"

void Init_Rasteriser() {}
void Init_Edge_Lists() {}
// Placeholders of the two scanline passes: the frame buffer is left as it is.
void Scan_Pass(uint16_t *) {}
void Scan_Pass_Line(uint16_t *) {}
