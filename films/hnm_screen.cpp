// The films' frame buffers and screen output: the block-transform, 256-colour and hi-colour halves.
#include "films/hnm_screen.h"

#include <cassert>
#include <cstring>

#include "core/dsp.h"
#include "core/mem.h"
#include "core/scr.h"
#include "core/sys.h"
#include "films/hnm.h"
#include "films/hnm4.h"
#include "films/iv.h"
#include "films/ix.h"

uint16_t *HNM_CurrentFrame;
uint16_t *HNM_WorkFrame;
int32_t HNM_IXTableState;
int32_t HNM_IXInitPending = 1;

static constexpr uint32_t kIXFrameBytes = 0x5F000;   // 640 x 304 pixels of 16 bits
static void *s_ix_block;
static uint32_t s_ix_resets;  // the arena's reset count when the block was taken

// The 256-colour decoder's two picture buffers, 256 x 256 bytes at most; they outlive every film.
static uint8_t s_hnm4_a[65536];
static uint8_t s_hnm4_b[65536];

// The buffers are fixed and the de-interleave writes 256-byte rows: any other width, or a height that
// is odd or past 256, refuses the film.
int32_t HNM_SetupHNM4(const HNM_Header *header)
{
    if (header->width != 256 || header->height < 2 || header->height > 256 || (header->height & 1) != 0) {
        return 0;
    }
    HNM_InitHNM4Decoder(s_hnm4_a, s_hnm4_b, header);
    return 1;
}

void HNM_ReleaseHNM4() { HNM_CloseHNM4Decoder(); }

uint32_t *HNM_PairTable;

static constexpr uint32_t kIVBlockBytes = 0x5F000;   // two frames of 640 x 304 indices
static constexpr uint32_t kIVFrameBytes = 0x2F800;
static constexpr uint32_t kIVPairBytes = 0x40000;    // 65,536 pairs of 16-bit colours
static void *s_iv_block;
static uint32_t s_iv_resets;

int32_t HNM_AllocIVBuffers()
{
    void *block = MEM_Arena != nullptr ? MEM_StackAlloc(MEM_Arena, kIVBlockBytes) : nullptr;
    if (block == nullptr) {
        return 0;
    }
    void *pairs = MEM_StackAlloc(MEM_Arena, kIVPairBytes);
    if (pairs == nullptr) {
        MEM_StackFree(MEM_Arena, block);
        return 0;
    }
    assert(reinterpret_cast<uintptr_t>(pairs) % 4 == 0);
    // Cleared, so that pixels no frame has written are index 0 and colours not yet set are black, not
    // what the arena held before.
    std::memset(block, 0, kIVBlockBytes);
    std::memset(pairs, 0, kIVPairBytes);
    s_iv_block = block;
    s_iv_resets = MEM_Arena->resets;
    HNM_PairTable = static_cast<uint32_t *>(pairs);
    HNM_CurrentFrame = static_cast<uint16_t *>(block);
    HNM_WorkFrame = reinterpret_cast<uint16_t *>(static_cast<uint8_t *>(block) + kIVFrameBytes);
    return 1;
}

void HNM_FreeIVBuffers()
{
    if (s_iv_block != nullptr && MEM_Arena != nullptr && MEM_Arena->resets == s_iv_resets) {
        MEM_StackFree(MEM_Arena, HNM_PairTable);
        MEM_StackFree(MEM_Arena, s_iv_block);
    }
    s_iv_block = nullptr;
    HNM_PairTable = nullptr;
    HNM_CurrentFrame = nullptr;
    HNM_WorkFrame = nullptr;
}

void HNM_SetIVPalette(const uint8_t *payload, uint32_t length)
{
    if (HNM_PairTable == nullptr || length < 2) {
        return;
    }
    const uint32_t first = payload[0];
    const uint32_t count = payload[1] == 0 ? 256 : payload[1];
    // Only the whole triplets the chunk holds.
    const uint32_t present = count < (length - 2) / 3 ? count : (length - 2) / 3;
    for (uint32_t i = 0; i < present; i++) {
        const uint32_t r = payload[2 + 3 * i], g = payload[3 + 3 * i], b = payload[4 + 3 * i];
        HNM_PairTable[first + i] = DSP_Rgb555 == 0
                                       ? ((r & 0x3F) << 10 & 0xF800) | ((g & 0x3F) << 5 & 0x07E0) | (b >> 1 & 0x1F)
                                       : ((r & 0x3F) << 9 & 0x7C00) | ((g & 0x3F) << 4 & 0x03E0) | (b >> 1 & 0x1F);
    }
    // In place: row 0's low halves keep colour(lo), and entry [hi] is read before its row is written.
    for (uint32_t hi = 0; hi < 256; hi++) {
        const uint32_t high = HNM_PairTable[hi] << 16;
        for (uint32_t lo = 0; lo < 256; lo++) {
            HNM_PairTable[hi * 256 + lo] = (HNM_PairTable[lo] & 0xFFFF) | high;
        }
    }
}

int32_t HNM_IVLayout(uint32_t width, uint32_t height)
{
    if (width == 800 && height == 600) {
        return 0;
    }
    if (width == 640) {
        return height == 400 ? 1 : height == 480 ? 5 : -1;
    }
    if (width == 320) {
        return height == 400 ? 2 : height == 200 ? 4 : -1;
    }
    return -1;
}

void HNM_ShowIVFrame()
{
    if (SCR_FrameBuffer == nullptr || HNM_CurrentFrame == nullptr || HNM_PairTable == nullptr) {
        return;
    }
    HNM_BlitIVFrame(reinterpret_cast<const uint8_t *>(HNM_CurrentFrame), SCR_FrameBuffer, HNM_PairTable,
                    HNM_IVLayout(SCR_Width, SCR_Height));
}

void HNM_SwapIVBuffers()
{
    uint16_t *shown = HNM_WorkFrame;
    HNM_WorkFrame = HNM_CurrentFrame;
    HNM_CurrentFrame = shown;
}

int32_t HNM_AllocIXBuffers()
{
    const bool rgb555 = DSP_Rgb555 != 0;
    if (HNM_IXTableState == 0 || (HNM_IXTableState == 15 && !rgb555) || (HNM_IXTableState == 16 && rgb555)) {
        if (rgb555) {
            HNM_InitIX555();
            HNM_IXTableState = 15;
        } else {
            HNM_InitIX565();
            HNM_IXTableState = 16;
        }
    }
    void *block = MEM_Arena != nullptr ? MEM_StackAlloc(MEM_Arena, 2 * kIXFrameBytes) : nullptr;
    if (block == nullptr) {
        return 0;
    }
    assert(reinterpret_cast<uintptr_t>(block) % 2 == 0);
    // Cleared, so that a film starting with an inter picture shows black where it leaves tiles
    // unchanged, not what the arena held before.
    std::memset(block, 0, 2 * kIXFrameBytes);
    s_ix_block = block;
    s_ix_resets = MEM_Arena->resets;
    HNM_CurrentFrame = static_cast<uint16_t *>(block);
    HNM_WorkFrame = reinterpret_cast<uint16_t *>(static_cast<uint8_t *>(block) + kIXFrameBytes);
    return 1;
}

void HNM_FreeIXBuffers()
{
    if (s_ix_block != nullptr && MEM_Arena != nullptr && MEM_Arena->resets == s_ix_resets) {
        MEM_StackFree(MEM_Arena, s_ix_block);
    }
    s_ix_block = nullptr;
    HNM_CurrentFrame = nullptr;
    HNM_WorkFrame = nullptr;
}

// Copies count screen rows from screen row top on: screen row top + y takes frame row first + y x
// row_step, screen column x frame column left + x x column_step.
static void copy_rows(const uint16_t *frame, int32_t top, int32_t first, int32_t count, int32_t left, int32_t row_step,
                      int32_t column_step)
{
    for (int32_t y = 0; y < count; y++) {
        uint16_t *to = SCR_FrameBuffer + size_t(top + y) * SCR_Width;
        const uint16_t *from = frame + size_t(first + y * row_step) * IX_PITCH + left;
        if (column_step == 1) {
            std::memcpy(to, from, size_t(SCR_Width) * 2);
        } else {
            for (uint32_t x = 0; x < SCR_Width; x++) {
                to[x] = from[x * 2];
            }
        }
    }
}

static void clear_rows(int32_t first, int32_t last)
{
    std::memset(SCR_FrameBuffer + size_t(first) * SCR_Width, 0, size_t(last - first + 1) * SCR_Width * 2);
}

void HNM_ShowIXFrame(const uint8_t *payload, uint32_t length)
{
    if (HNM_CurrentFrame == nullptr) {
        return;
    }
    HNM_DecodeIXFrame(payload, length, HNM_CurrentFrame, HNM_WorkFrame, nullptr);
    DSP_BeginDraw();
    const uint16_t *frame = HNM_WorkFrame;
    if (SCR_FrameBuffer != nullptr) {
        const uint32_t w = SCR_Width, h = SCR_Height;
        if (w == 640 && h == 400) {
            clear_rows(0, 47);
            copy_rows(frame, 48, 0, 304, 0, 1, 1);
            clear_rows(352, 399);
        } else if (w == 640 && h == 480) {
            clear_rows(0, 87);
            copy_rows(frame, 88, 0, 304, 0, 1, 1);
            clear_rows(392, 479);
        } else if (w == 320 && h == 200) {
            clear_rows(0, 24);
            copy_rows(frame, 25, 0, 150, 0, 2, 2);
            clear_rows(175, 199);
        } else if (w == 320 && h == 400) {
            clear_rows(0, 49);
            copy_rows(frame, 50, 0, 300, 0, 1, 2);
            clear_rows(350, 399);
        } else if (w == 400 && h == 300) {
            clear_rows(0, 36);
            copy_rows(frame, 37, 56, 225, 120, 1, 1);
            clear_rows(262, 299);
        }
    }
    DSP_EndDraw();
}

void HNM_SwapIXBuffers()
{
    uint16_t *shown = HNM_WorkFrame;
    HNM_WorkFrame = HNM_CurrentFrame;
    HNM_CurrentFrame = shown;
}
