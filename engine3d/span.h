// The span list of one scanline: the walk that draws it, the table of routines by surface type, and
// the state the routines share.
#pragma once
#include <cstdint>

#include "engine3d/raster.h"

// A span routine: dst = line + x start, the pixel count (at least 1), x start, and the work-area offset
// of the edge that opens the piece being drawn.
using Span_Routine = void (*)(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);

// Surface types -15..31; type t draws with entry t - Span_Type_First. Tests swap entries and put them
// back.
constexpr int32_t Span_Type_First = -15;
constexpr int32_t Span_Routine_Count = 47;
constexpr int32_t Span_Type_Last = Span_Type_First + Span_Routine_Count - 1;

extern Span_Routine Span_Routines[Span_Routine_Count];

// Draws the list from `last` toward Span_Buffer entry 0 into the line whose column 0 is at `line`.
// Every span is cut to the viewport's columns first; records of width 0 or less and types outside the
// table are passed over; a type -1 record of positive width ends the walk, and it never goes below
// entry 0.
void Draw_Span_List(uint16_t *line, const SPAN_Record *last);

// Type -1's entry. The walk stops at a type -1 record before calling anything, so it draws nothing.
void Span_List_End(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);

// The line being drawn, as the walk stored it.
extern uint16_t *Span_Line;

// The mask that halves a 15- or 16-bit pixel channel by channel: 0x7BEF, or 0x3DEF after
// Set_Blend_Mask(15).
extern uint16_t Span_Half_Mask;
void Set_Blend_Mask(int32_t bits);
