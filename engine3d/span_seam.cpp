// Stand-ins for the rasteriser's and the render settings' globals that the spans read (see span_seam.h).
#include "engine3d/span_seam.h"

static SPAN_Record Span_Buffer_Store[SPAN_BUFFER_RECORDS] = {{1, 0, -1, 0}};
SPAN_Record *Span_Buffer = Span_Buffer_Store;
int32_t Current_Scanline = 0;

uint32_t Clear_Colour_Word = 0;
const uint16_t *Background_Picture = nullptr;

void Set_Clear_Colour(uint16_t colour) { Clear_Colour_Word = uint32_t(colour) * 0x10001u; }

void Set_Background_Picture(const uint16_t *pixels) { Background_Picture = pixels; }
