// Scanline rasteriser: its permanent nodes and the sentinels of the viewport.
#pragma once
#include <cstdint>

void Init_Rasteriser();
void Init_Edge_Lists();
void Scan_Pass(uint16_t *frame);
void Scan_Pass_Line(uint16_t *frame);
