// The span seam: the walk over a row's span list and the table of span routines by surface type.
#pragma once
#include <cstdint>

#include "engine3d/raster.h"

// dst = line + x start; surface is the offset of the edge that opens the piece.
using Span_Routine = void (*)(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);

constexpr int32_t Span_Type_First = -15;
constexpr int32_t Span_Routine_Count = 47; // surface types -15..31

extern Span_Routine Span_Routines[Span_Routine_Count];

void Draw_Span_List(uint16_t *line, const SPAN_Record *last);
