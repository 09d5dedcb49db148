// Frame presentation and composition, and the screen copy behind the in-game menu.
#include "core/scr.h"

#include <cstring>

#include "core/dsp.h"
#include "core/game_frame.h"
#include "core/mem.h"
#include "core/opt.h"
#include "core/sys.h"
#include "engine3d/proctex.h"
#include "engine3d/render.h"
#include "interface/txt.h"
#include "world/col.h"

uint16_t *SCR_FrameBuffer;
uint32_t SCR_Width;
uint32_t SCR_Height;
uint16_t *SCR_ShownFrame;

uint8_t *SCR_CopyBuffer;
uint8_t *SCR_CopyStart;
uint16_t *SCR_KeptFrameBuffer;

char SCR_Message[80];
float SCR_MessageTimer;

// What the copy was taken for. The copy serves only that screen size and that life of the arena: a
// mode change makes the screen bigger than the block, and a film that opens resets the arena and
// hands the block's bytes to its own buffers.
static uint32_t copy_width;
static uint32_t copy_height;
static MEM_Stack *copy_arena;
static uint32_t copy_resets;

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

void SCR_ComposeFrame()
{
    const uint32_t bar = uint32_t(int32_t(SCR_Height) >> 3);
    COL_Collide();
    DSP_BeginDraw();
    Render_Frame(SCR_FrameBuffer);
    if (OPT_Cinemascope == 1 && SCR_FrameBuffer != nullptr) {
        const size_t bar_pixels = size_t(SCR_Width) * bar;
        std::memset(SCR_FrameBuffer, 0, bar_pixels * 2);
        std::memset(SCR_FrameBuffer + size_t(SCR_Width) * (SCR_Height - bar), 0, bar_pixels * 2);
    }
    SCR_DrawMessage();
    DSP_EndDraw();
}

void SCR_SetMessage(const char *text, float frames)
{
    const size_t length = strnlen(text, sizeof(SCR_Message) - 1);
    std::memcpy(SCR_Message, text, length);
    SCR_Message[length] = '\0';
    SCR_MessageTimer = frames;
}

void SCR_DrawMessage()
{
    if (SCR_MessageTimer > 0.0f) {
        TXT_DrawString(SCR_Message, int32_t(SCR_Width * 320 / 640), int32_t(SCR_Height * 40 / 400), 256, 0);
        SCR_MessageTimer = float(double(SCR_MessageTimer) - GAME_TimeFactor);
    }
}

int32_t SCR_AllocCopy()
{
    if (MEM_Arena == nullptr) {
        return 0;
    }
    const uint32_t bytes = SCR_Width * SCR_Height * 2;
    uint8_t *block = static_cast<uint8_t *>(MEM_StackAlloc(MEM_Arena, bytes));
    if (block == nullptr) {
        return 0;
    }
    SCR_CopyBuffer = block;
    SCR_CopyStart = block;
    copy_width = SCR_Width;
    copy_height = SCR_Height;
    copy_arena = MEM_Arena;
    copy_resets = MEM_Arena->resets;
    return 1;
}

// The arena still holds the block the copy was given.
static bool copy_block_alive()
{
    return SCR_CopyStart != nullptr && MEM_Arena != nullptr && MEM_Arena == copy_arena &&
           MEM_Arena->resets == copy_resets;
}

// A copy of the frame can run: the block is alive and the screen still has its size.
static bool copy_usable(const void *frame)
{
    return copy_block_alive() && SCR_CopyBuffer != nullptr && frame != nullptr && SCR_Width == copy_width &&
           SCR_Height == copy_height;
}

void SCR_FreeCopy()
{
    if (SCR_CopyStart == nullptr) {
        return;
    }
    if (!copy_block_alive()) {
        // The arena took the block back when it was reset; freeing by its address now could give
        // back whatever lies there since.
        SCR_CopyBuffer = nullptr;
        SCR_CopyStart = nullptr;
        return;
    }
    if (MEM_StackFree(MEM_Arena, SCR_CopyStart)) {
        SCR_CopyBuffer = nullptr;
        SCR_CopyStart = nullptr;
    }
}

static void copy_frame(uint8_t *to, const void *from)
{
    DSP_BeginDraw();
    std::memcpy(to, from, size_t(SCR_Width) * SCR_Height * 2);
    DSP_EndDraw();
}

void SCR_SaveShownFrame()
{
    if (copy_usable(SCR_ShownFrame)) {
        copy_frame(SCR_CopyBuffer, SCR_ShownFrame);
    }
}

void SCR_SaveScreen()
{
    if (copy_usable(SCR_FrameBuffer)) {
        copy_frame(SCR_CopyBuffer, SCR_FrameBuffer);
    }
}

void SCR_RestoreScreen()
{
    if (copy_usable(SCR_FrameBuffer)) {
        copy_frame(reinterpret_cast<uint8_t *>(SCR_FrameBuffer), SCR_CopyBuffer);
    }
}

// Channel masks per mode, RGB565 and RGB555: each channel keeps the bits that survive the shift,
// so that no bit crosses into the next channel or into the next pixel of the pair.
struct BlendMasks {
    uint16_t mask;
    int shift;
};
static constexpr BlendMasks kBlend565[4] = {{0xF7DE, 0}, {0xF7DE, 1}, {0xE79C, 1}, {0xE79C, 2}};
static constexpr BlendMasks kBlend555[4] = {{0x7BDE, 0}, {0x7BDE, 1}, {0x739C, 1}, {0x739C, 2}};

void SCR_BlendScreen(int32_t mode)
{
    if (mode < 0 || mode > 3 || !copy_usable(SCR_FrameBuffer)) {
        return;
    }
    const BlendMasks masks = DSP_Rgb555 ? kBlend555[mode] : kBlend565[mode];
    const uint32_t pair_mask = uint32_t(masks.mask) | uint32_t(masks.mask) << 16;
    const int shift = masks.shift;
    const size_t pixels = size_t(SCR_Width) * SCR_Height;
    const uint8_t *from = SCR_CopyBuffer;
    uint8_t *to = reinterpret_cast<uint8_t *>(SCR_FrameBuffer);
    DSP_BeginDraw();
    size_t i = 0;
    for (; i + 2 <= pixels; i += 2) {
        uint32_t pair;
        std::memcpy(&pair, from + i * 2, 4);
        pair = (pair & pair_mask) >> shift;
        std::memcpy(to + i * 2, &pair, 4);
    }
    if (i < pixels) {
        uint16_t pixel;
        std::memcpy(&pixel, from + i * 2, 2);
        pixel = uint16_t((pixel & masks.mask) >> shift);
        std::memcpy(to + i * 2, &pixel, 2);
    }
    DSP_EndDraw();
}

void SCR_DrawToCopy()
{
    if (SCR_CopyBuffer == nullptr) {
        return;
    }
    SCR_KeptFrameBuffer = SCR_FrameBuffer;
    SCR_FrameBuffer = reinterpret_cast<uint16_t *>(SCR_CopyBuffer);
}

void SCR_DrawToScreen()
{
    if (SCR_KeptFrameBuffer == nullptr) {
        return;
    }
    SCR_FrameBuffer = SCR_KeptFrameBuffer;
    SCR_KeptFrameBuffer = nullptr;
}

void GFX_PrimeFireTexture()
{
    for (int step = 0; step < 8; step++) {
        GFX_UpdateFireTexture(GFX_FireMap, 0);
    }
}
