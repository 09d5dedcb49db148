// The span list of one scanline: the walk that draws it and the table of routines by surface type.
#pragma once
#include <cstdint>

#include "engine3d/span_seam.h"

// A span routine: the span's first pixel (line + x start), its pixel count (at least 1), x start, and
// the work-area offset of the edge that opens the piece being drawn.
using Span_Routine = void (*)(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);

// Surface types -15..31; type t draws with entry t + 15. Tests swap entries and put them back.
constexpr int32_t SPAN_TYPE_MIN = -15;
constexpr int32_t SPAN_TYPE_MAX = 31;
constexpr int32_t SPAN_ROUTINE_COUNT = SPAN_TYPE_MAX - SPAN_TYPE_MIN + 1;
extern Span_Routine Span_Routines[SPAN_ROUTINE_COUNT];

// Draws the list from `last` down to the terminator at Span_Buffer entry 0 into the line whose column 0
// is at `line`. Every span is cut to the viewport's columns first; records of width 0 or less and types
// outside the table are passed over, and the walk never goes below entry 0.
void Draw_Span_List(uint16_t *line, const SPAN_Record *last);

// Type -1's entry. The walk stops at a type -1 record before calling anything, so it draws nothing.
void Span_List_End(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);

// The line being drawn, as the walk stored it.
extern uint16_t *Span_Line;

// The mask that halves a 15- or 16-bit pixel channel by channel: 0x7BEF, or 0x3DEF after
// Set_Blend_Mask(15).
extern uint16_t Span_Half_Mask;
void Set_Blend_Mask(int32_t bits);
