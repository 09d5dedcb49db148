// Stand-ins for what the spans read from the rasteriser and the render settings, until those land:
// the span record and Span_Buffer, Current_Scanline, the clear colour word and the background picture.
#pragma once
#include <cstdint>

struct SPAN_Record {
    int32_t x_end, x_start, type;
    uint32_t surface; // work-area offset of the edge
};
static_assert(sizeof(SPAN_Record) == 16);

constexpr int32_t SPAN_BUFFER_RECORDS = 2048;
extern SPAN_Record *Span_Buffer; // entry 0 is the terminator {1, 0, -1, 0}
extern int32_t Current_Scanline;

extern uint32_t Clear_Colour_Word;            // the clear colour in both halves; 0 until Set_Clear_Colour
extern const uint16_t *Background_Picture;    // screen-width rows; null until Set_Background_Picture
void Set_Clear_Colour(uint16_t colour);
void Set_Background_Picture(const uint16_t *pixels);
