// Scanline visibility resolver: orders the runs that cover each column by depth and writes a row's spans.
#pragma once
#include <cstdint>

#include "engine3d/records.h"

void Scan_Resolve_Line(uint16_t *line);
void Scan_Resolve_Line_Ext(uint16_t *line);

Addr Span_Insert_Opaque(Addr front, Addr newcomer, int32_t x);
Addr Span_Insert_By_Depth(Addr head, Addr newcomer, int32_t x);
int32_t Span_Is_Nearer(Addr run, Addr newcomer, int32_t x);

// Runs of types -15..-2 are drawn blended over what lies behind them.
inline bool Is_Translucent_Run_Type(int32_t type) { return type >= -15 && type <= -2; }
