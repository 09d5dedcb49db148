// Scanline rasteriser: its permanent nodes and the sentinels of the viewport.
#pragma once

void Init_Rasteriser();
void Init_Edge_Lists();
