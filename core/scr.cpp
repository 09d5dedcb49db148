// Frame presentation.
#include "core/scr.h"

#include "core/dsp.h"

uint16_t *SCR_FrameBuffer;
uint32_t SCR_Width;
uint32_t SCR_Height;
uint16_t *SCR_ShownFrame;

void SCR_Flip()
{
    SCR_ShownFrame = SCR_FrameBuffer;
    DSP_Present();
}

void SCR_InitBuffers()
{
    SCR_Flip();
    SCR_Flip();
}
