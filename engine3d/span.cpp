// The span list walk, the table of span routines by surface type, and the state the routines share.
#include "engine3d/span.h"

#include <cassert>

#include "engine3d/span_routines.h"
#include "engine3d/view.h"

uint16_t *Span_Line = nullptr;
uint16_t Span_Half_Mask = 0x7BEF;

void Set_Blend_Mask(int32_t bits) { Span_Half_Mask = bits == 15 ? 0x3DEF : 0x7BEF; }

void Span_List_End(uint16_t *, int32_t, int32_t, uint32_t) {}

// The types that have no drawing at all (0, 4, 8, 16, 19, 31) draw nothing.
Span_Routine Span_Routines[Span_Routine_Count] = {
    Span_Depth_Key_Blend,      // -15
    Span_Key_Blend_Affine,     // -14
    Span_Alpha_Affine,         // -13
    Span_Alpha_Persp,          // -12
    Span_Depth_Key,            // -11
    Span_Depth_Blend,          // -10
    Span_Texel_Alpha_Persp,    // -9
    Span_Texel_Alpha_Affine,   // -8
    Span_Blend_Persp_Wrap,     // -7
    Span_Key_Persp,            // -6
    Span_Key_Affine,           // -5
    Span_Blend_Persp,          // -4
    Span_Blend_Affine,         // -3
    Span_Blend_Flat,           // -2
    Span_List_End,             // -1
    Span_Skip,                 // 0
    Span_Flat,                 // 1
    Span_Affine,               // 2
    Span_Persp,                // 3
    Span_Skip,                 // 4
    Span_Flat,                 // 5
    Span_Affine,               // 6
    Span_Flat,                 // 7
    Span_Skip,                 // 8
    Span_Persp_Wrap,           // 9
    Span_Flat8,                // 10
    Span_Affine8,              // 11
    Span_Persp8,               // 12
    Span_Clear8,               // 13
    Span_Clear,                // 14
    Span_Background,           // 15
    Span_Skip,                 // 16
    Span_Depth_Flat,           // 17
    Span_Depth_Affine,         // 18
    Span_Skip,                 // 19
    Span_Persp,                // 20: no level directory; the row is the edge's shade level
    Span_Affine_Level,         // 21
    Span_Affine_Gouraud,       // 22
    Span_Persp,                // 23
    Span_Affine,               // 24
    Span_Affine_Gouraud_Level, // 25
    Span_Persp_Level,          // 26
    Span_Fill_Marker,          // 27
    Span_Flat,                 // 28
    Span_Persp_Hicolour,       // 29
    Span_Affine_Gouraud,       // 30
    Span_Skip,                 // 31
};

void Draw_Span_List(uint16_t *line, const SPAN_Record *last)
{
    assert(last >= Span_Buffer && last < Span_Buffer + Span_Buffer_Records);
    Span_Line = line;
    const int32_t left = OBJ_View.view_x;
    const int32_t right = OBJ_View.view_x + OBJ_View.view_width;
    // The walk ends at entry 0 whatever it holds, so a list cannot lead it off the buffer; a type -1
    // record of positive width ends it sooner.
    for (const SPAN_Record *r = last;; r--) {
        const int32_t type = r->type;
        // Spans are cut to the viewport's columns, so a far-off edge cannot draw outside the line.
        const int32_t x_start = r->x_start < left ? left : r->x_start;
        const int32_t x_end = r->x_end > right ? right : r->x_end;
        if (type == -1 && r->x_end > r->x_start) {
            return;
        }
        if (x_end > x_start && type >= Span_Type_First && type <= Span_Type_Last) {
            Span_Routines[type - Span_Type_First](line + x_start, x_end - x_start, x_start, r->surface);
        }
        if (r == Span_Buffer) {
            return;
        }
    }
}
