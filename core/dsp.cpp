// Display. The screen output is not connected yet: the frame buffer is a cleared 640x480 block, a
// present shows nothing and every other mode is refused.
#include "core/dsp.h"

#include <cstring>

#include "core/scr.h"

int32_t DSP_BackEnd;
int32_t DSP_Rgb555;
uint8_t *HNM_TargetTexture;

static uint16_t frame_block[640 * 480];

int DSP_Start()
{
    DSP_Stop();
    std::memset(frame_block, 0, sizeof(frame_block));
    SCR_FrameBuffer = frame_block;
    SCR_ShownFrame = frame_block;
    HNM_TargetTexture = reinterpret_cast<uint8_t *>(SCR_FrameBuffer);
    return 1;
}

void DSP_Stop() {}

int DSP_SetMode(int32_t, int32_t) { return 0; }

void DSP_Present() {}
void DSP_BeginDraw() {}
void DSP_EndDraw() {}
