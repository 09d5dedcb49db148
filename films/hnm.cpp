// The film player: the container read frame by frame from the main streaming buffer, the film sound
// track into the sound stream's ring, the pacing of sound films and the subtitles.
#include "films/hnm.h"

#include <algorithm>
#include <cstring>

#include "core/clk.h"
#include "core/dpr.h"
#include "core/mem.h"
#include "core/mgm.h"
#include "core/que.h"
#include "core/scr.h"
#include "core/snd.h"
#include "core/sys.h"
#include "films/hnm4.h"
#include "films/hnm_screen.h"
#include "films/ix.h"
#include "films/iv.h"
#include "interface/txt.h"
#include "world/tex.h"

int32_t HNM_Kind;
HNM_PlayerState HNM_State;
int16_t HNM_DeltaTable[256];
int16_t HNM_SoundBlock[HNM_SOUND_CODES];
HNM_TraceHook HNM_Trace;

namespace {

// The sound stream's ring holds 30 blocks; the first frame's 15th block starts it (one second ahead).
constexpr uint32_t kRingBlocks = 30;
constexpr uint32_t kPrerollBlocks = 15;
// The open reads the header and the first frame header in one piece.
constexpr uint32_t kOpenBytes = sizeof(HNM_Header) + 4;
constexpr int kPrefills = 24;

void trace(const char *routine, const uint8_t *payload = nullptr, uint32_t length = 0, int32_t a = 0,
           int32_t b = 0, int32_t c = 0)
{
    if (HNM_Trace != nullptr) {
        HNM_Trace(routine, payload, length, a, b, c);
    }
}

bool tag_is(const HNM_ChunkHeader &chunk, const char (&tag)[3]) { return chunk.tag[0] == tag[0] && chunk.tag[1] == tag[1]; }

bool sound_plays() { return (HNM_Kind & HNM_KIND_SOUND) != 0 && SND_On != 0; }

bool first_frame() { return HNM_State.frames_left == HNM_State.header.frame_count; }

// Every read of the frame readers: n bytes in place in the ring, filling until they are there. Null
// when they can never come: a fill that adds nothing means the file is closed (its end, a read error),
// the ring has no room for another block before the reader consumes, or there is no ring at all.
const uint8_t *read_bytes(uint32_t n)
{
    DPR_Buffer *dpr = HNM_State.dpr;
    for (;;) {
        const uint8_t *bytes = DPR_Get(dpr, n);
        if (bytes != nullptr) {
            return bytes;
        }
        const uint32_t before = dpr->buffered;
        DPR_Fill(dpr);
        if (dpr->buffered == before) {
            return nullptr;
        }
    }
}

// A film ends by closing and telling the message manager, which forwards '?' to the receiver. A film
// that can no longer be read or is damaged ends the same way, and what it showed stays on screen.
void end_film()
{
    HNM_Close();
    QUE_Post(MGM_ControlQueue, '?', 0, 0);
}

bool read_frame_header()
{
    const uint8_t *bytes = read_bytes(4);
    if (bytes == nullptr) {
        return false;
    }
    std::memcpy(&HNM_State.frame_header, bytes, 4);
    DPR_Skip(HNM_State.dpr);
    return true;
}

bool read_chunk_header()
{
    const uint8_t *bytes = read_bytes(sizeof(HNM_ChunkHeader));
    if (bytes == nullptr) {
        return false;
    }
    std::memcpy(&HNM_State.chunk, bytes, sizeof(HNM_ChunkHeader));
    DPR_Skip(HNM_State.dpr);
    return true;
}

// Consumes n bytes a piece at a time, so that a frame's unread tail need not fit in the ring at once.
bool skip_bytes(uint32_t n)
{
    const uint32_t piece = HNM_State.dpr->block_size != 0 ? HNM_State.dpr->block_size : 1;
    while (n != 0) {
        const uint32_t step = std::min(n, piece);
        if (read_bytes(step) == nullptr) {
            return false;
        }
        DPR_Skip(HNM_State.dpr);
        n -= step;
    }
    return true;
}

void decode_sound(const uint8_t *payload, uint32_t length)
{
    trace("HNM_DecodeSound", payload, length);
    HNM_DecodeSound(payload, length);
}

void set_subtitle(const uint8_t *payload, uint32_t length)
{
    trace("HNM_SetSubtitle", payload, length);
    HNM_SetSubtitle(payload, length);
}

// The chunk loop of the hi-colour and block-transform films: every chunk inside the frame's size. The
// picture chunk's handler says whether the loop ends there. False when the film ended.
template <typename Picture> bool read_frame_chunks(const char (&picture_tag)[3], uint32_t *remaining, Picture picture)
{
    const uint32_t frame_size = HNM_State.frame_header & HNM_FRAME_SIZE_MASK;
    if (frame_size < 4) {
        end_film();
        return false;
    }
    *remaining = frame_size - 4;
    while (*remaining != 0) {
        if (!read_chunk_header()) {
            end_film();
            return false;
        }
        const uint32_t size = HNM_State.chunk.size & HNM_CHUNK_SIZE_MASK;
        // A chunk that would reach past its frame, or one shorter than its header, is damage: the
        // film ends without using it.
        if (size < sizeof(HNM_ChunkHeader) || size > *remaining) {
            end_film();
            return false;
        }
        const uint32_t length = size - uint32_t(sizeof(HNM_ChunkHeader));
        const uint8_t *payload = read_bytes(length);
        if (payload == nullptr) {
            end_film();
            return false;
        }
        *remaining -= size;
        if (tag_is(HNM_State.chunk, picture_tag)) {
            if (picture(payload, length)) {
                return true;
            }
            continue;
        }
        if (tag_is(HNM_State.chunk, "SD")) {
            if (sound_plays()) {
                decode_sound(payload, length);
            }
        } else if (tag_is(HNM_State.chunk, "PL")) {
            if ((HNM_Kind & HNM_KIND_IV) != 0) {
                trace("HNM_SetIVPalette", payload, length);
                HNM_SetIVPalette(payload, length);
            }
        } else if (tag_is(HNM_State.chunk, "ST")) {
            set_subtitle(payload, length);
        }
        DPR_Skip(HNM_State.dpr);
    }
    return true;
}

} // namespace

int32_t HNM_Open(const char *path)
{
    if (HNM_Kind != 0) {
        HNM_Close();
    }
    HNM_Kind = 0;
    if (path == nullptr || DPR_Main == nullptr) {
        return 0;
    }
    // Every film buffer of the previous film, and anything else taken from the arena, is gone.
    if (MEM_Arena != nullptr) {
        MEM_ResetStack(MEM_Arena);
    }
    HNM_State.dpr = DPR_Main;
    DPR_Buffer *dpr = HNM_State.dpr;
    // A file found without a ring stays attached: every failure from here closes it.
    if (!DPR_Open(dpr, path)) {
        DPR_Close(dpr);
        return 0;
    }
    for (int i = 0; i < kPrefills; i++) {
        DPR_Fill(dpr);
    }
    const uint8_t *start = DPR_Get(dpr, kOpenBytes);
    if (start == nullptr) {
        DPR_Close(dpr);
        return 0;
    }
    std::memcpy(&HNM_State.header, start, sizeof(HNM_Header));
    std::memcpy(&HNM_State.frame_header, start + sizeof(HNM_Header), 4);
    DPR_Skip(dpr);

    const int32_t sound = SND_On != 0 ? HNM_KIND_SOUND : 0;
    const char *magic = HNM_State.header.magic;
    int32_t kind = 0;
    if (std::memcmp(magic, "HNM4", 4) == 0) {
        kind = HNM_StartHNM4() ? HNM_KIND_HNM4 : 0;
    } else if (std::memcmp(magic, "MIB2", 4) == 0) {
        kind = HNM_StartIV() ? HNM_KIND_IV : 0;
    } else if (std::memcmp(magic, "HNM6", 4) == 0) {
        kind = HNM_StartIX() ? HNM_KIND_IX : 0;
    } else if (std::memcmp(magic, "HNS4", 4) == 0) {
        kind = HNM_StartHNM4() ? HNM_KIND_HNM4 | sound : 0;
    } else if (std::memcmp(magic, "MIS2", 4) == 0) {
        kind = HNM_StartIV() ? HNM_KIND_IV | sound : 0;
    } else if (std::memcmp(magic, "HNS6", 4) == 0) {
        kind = HNM_StartIX() ? HNM_KIND_IX | sound : 0;
    }
    HNM_Kind = kind;
    if (kind == 0) {
        DPR_Close(dpr);
        return 0;
    }
    HNM_State.first_blocks = 0;
    if (kind & HNM_KIND_SOUND) {
        // Paced from the opening until the sound stream starts and stamps its own time, so that a film
        // with a short pre-roll does not race from a stale stamp.
        CLK_Update();
        SND_StreamStartTime = CLK_GameClock;
        return 2;
    }
    return 1;
}

// A start routine's end: with its decoder ready, the film's frames are all left.
static int32_t frames_left_when(int32_t ready)
{
    if (!ready) {
        return 0;
    }
    HNM_State.frames_left = HNM_State.header.frame_count;
    return 1;
}

int32_t HNM_StartHNM4()
{
    trace("HNM_SetupHNM4");
    return frames_left_when(HNM_SetupHNM4(&HNM_State.header));
}

int32_t HNM_StartIV()
{
    trace("HNM_AllocIVBuffers");
    return frames_left_when(HNM_AllocIVBuffers());
}

int32_t HNM_StartIX()
{
    if (HNM_IXInitPending) {
        HNM_IXInitPending = 0;
        HNM_InitIX565();
    }
    trace("HNM_AllocIXBuffers");
    return frames_left_when(HNM_AllocIXBuffers());
}

void HNM_StopHNM4()
{
    trace("HNM_ReleaseHNM4");
    HNM_ReleaseHNM4();
}

void HNM_StopIV()
{
    trace("HNM_FreeIVBuffers");
    HNM_FreeIVBuffers();
}

void HNM_StopIX()
{
    trace("HNM_FreeIXBuffers");
    HNM_FreeIXBuffers();
}

void HNM_Close()
{
    if (HNM_Kind == 0) {
        return;
    }
    switch (HNM_Kind & 7) {
    case HNM_KIND_HNM4:
        HNM_StopHNM4();
        break;
    case HNM_KIND_IV:
        HNM_StopIV();
        break;
    case HNM_KIND_IX:
        HNM_StopIX();
        break;
    default:
        break;
    }
    SND_StreamStop();
    DPR_Close(HNM_State.dpr);
    HNM_Kind = 0;
}

void HNM_NextFrame()
{
    HNM_State.subtitle_pending = 0;
    switch (HNM_Kind & 7) {
    case HNM_KIND_HNM4:
        HNM_ReadFrameHNM4();
        break;
    case HNM_KIND_IV:
        HNM_ReadFrameIV();
        break;
    case HNM_KIND_IX:
        HNM_ReadFrameIX();
        break;
    default:
        break;
    }
}

// Any number of other chunks, then one video chunk ends the frame. Frame sizes are not read.
void HNM_ReadFrameHNM4()
{
    for (;;) {
        if (!read_chunk_header()) {
            end_film();
            return;
        }
        const uint32_t size = HNM_State.chunk.size;
        if (size < sizeof(HNM_ChunkHeader)) {
            end_film();
            return;
        }
        const uint32_t length = size - uint32_t(sizeof(HNM_ChunkHeader));
        const uint8_t *payload = read_bytes(length);
        if (payload == nullptr) {
            end_film();
            return;
        }
        if (HNM_State.chunk.tag[0] == 'I') {
            const char subtype = HNM_State.chunk.tag[1];
            trace("HNM_DecodeHNM4Frame", payload, length, subtype, 1);
            HNM_DecodeHNM4Frame(1, subtype, payload, length);
            DPR_Skip(HNM_State.dpr);
            HNM_State.frames_left--;
            if (HNM_State.frames_left == 0) {
                end_film();
            } else if (!read_frame_header()) {
                end_film();
            }
            return;
        }
        if (tag_is(HNM_State.chunk, "SD")) {
            if (sound_plays()) {
                decode_sound(payload, length);
            }
        } else if (tag_is(HNM_State.chunk, "PL")) {
            trace("TEX_ApplyFilmPalette", payload, length);
            TEX_ApplyFilmPalette(payload, length);
        }
        DPR_Skip(HNM_State.dpr);
    }
}

void HNM_ReadFrameIV()
{
    uint32_t remaining = 0;
    const bool read = read_frame_chunks("IV", &remaining, [](const uint8_t *payload, uint32_t length) {
        trace("HNM_DecodeIVFrame", payload, length);
        HNM_DecodeIVFrame(payload, length);
        DPR_Skip(HNM_State.dpr);
        trace("HNM_SwapIVBuffers");
        HNM_SwapIVBuffers();
        HNM_State.frames_left--;
        return HNM_State.frames_left == 0;
    });
    if (!read) {
        return;
    }
    trace("HNM_ShowIVFrame");
    HNM_ShowIVFrame();
    HNM_DrawSubtitle();
    if (HNM_State.frames_left == 0 || !read_frame_header()) {
        end_film();
    }
}

// The frame count only shortens the loops of the last frames: the film ends at a frame header of
// size 0.
void HNM_ReadFrameIX()
{
    uint32_t remaining = 0;
    const bool read = read_frame_chunks("IX", &remaining, [](const uint8_t *payload, uint32_t length) {
        trace("HNM_ShowIXFrame", payload, length);
        HNM_ShowIXFrame(payload, length);
        DPR_Skip(HNM_State.dpr);
        HNM_DrawSubtitle();
        trace("HNM_SwapIXBuffers");
        HNM_SwapIXBuffers();
        HNM_State.frames_left--;
        return HNM_State.frames_left <= 1;
    });
    if (!read) {
        return;
    }
    // Chunks after the picture of a shortened frame are passed over, so that the next header is read
    // where it is.
    if (!skip_bytes(remaining) || !read_frame_header()) {
        end_film();
        return;
    }
    if ((HNM_State.frame_header & HNM_FRAME_SIZE_MASK) == 0) {
        end_film();
    }
}

void HNM_DecodeDPCMStereo(uint32_t *accumulators, const int16_t *deltas, const uint8_t *codes, uint32_t n,
                          int16_t *output)
{
    uint16_t left = uint16_t(*accumulators & 0xFFFF);
    uint16_t right = uint16_t(*accumulators >> 16);
    for (uint32_t k = 0; k < n / 2; k++) {
        left = uint16_t(left + uint16_t(deltas[codes[2 * k]]));
        right = uint16_t(right + uint16_t(deltas[codes[2 * k + 1]]));
        output[2 * k] = int16_t(left);
        output[2 * k + 1] = int16_t(right);
    }
    *accumulators = uint32_t(left) | uint32_t(right) << 16;
}

void HNM_DecodeDPCMMono(uint16_t *accumulator, const int16_t *deltas, const uint8_t *codes, uint32_t n,
                        int16_t *output)
{
    uint16_t level = *accumulator;
    for (uint32_t k = 0; k < n; k++) {
        level = uint16_t(level + uint16_t(deltas[codes[k]]));
        output[k] = int16_t(level);
    }
    *accumulator = level;
}

// One block into the stream's ring. A payload short of codes holds both levels for the rest of the
// block, so the sound goes on at its last level without a click, and the block cadence stays.
void HNM_DecodeSound(const uint8_t *payload, uint32_t length)
{
    const bool first = first_frame();
    if (first && HNM_State.first_blocks == 0) {
        const uint32_t table = std::min(length, HNM_DELTA_TABLE_BYTES);
        std::memset(HNM_DeltaTable, 0, sizeof HNM_DeltaTable);
        std::memcpy(HNM_DeltaTable, payload, table);
        payload += table;
        length -= table;
        HNM_State.accumulators = 0;
        trace("SND_StreamReset");
        SND_StreamReset();
    }
    const uint32_t codes = std::min(length, HNM_SOUND_CODES);
    HNM_DecodeDPCMStereo(&HNM_State.accumulators, HNM_DeltaTable, payload, codes, HNM_SoundBlock);
    const auto left = int16_t(HNM_State.accumulators & 0xFFFF);
    const auto right = int16_t(HNM_State.accumulators >> 16);
    for (uint32_t k = codes / 2; k < HNM_SOUND_CODES / 2; k++) {
        HNM_SoundBlock[2 * k] = left;
        HNM_SoundBlock[2 * k + 1] = right;
    }
    const auto *block = reinterpret_cast<const uint8_t *>(HNM_SoundBlock);
    trace("SND_StreamWrite", block, HNM_SOUND_BLOCK_BYTES);
    SND_StreamWrite(block, SND_StreamBlock, HNM_SOUND_BLOCK_BYTES);
    if (!first) {
        return;
    }
    HNM_State.first_blocks++;
    if (HNM_State.first_blocks == kRingBlocks) {
        HNM_State.first_blocks = 0;
    }
    if (HNM_State.first_blocks == kPrerollBlocks) {
        trace("SND_StreamPlay");
        SND_StreamPlay();
    }
}

// Texts longer than the buffer are cut, and a text without its NUL ends with its payload.
void HNM_SetSubtitle(const uint8_t *payload, uint32_t length)
{
    const size_t limit = std::min<size_t>(length, sizeof HNM_State.subtitle - 1);
    const auto *end = static_cast<const uint8_t *>(std::memchr(payload, 0, limit));
    const size_t n = end != nullptr ? size_t(end - payload) : limit;
    std::memcpy(HNM_State.subtitle, payload, n);
    HNM_State.subtitle[n] = '\0';
    HNM_State.subtitle_pending = 1;
}

// Centred near the bottom of the screen; the small font below 400 rows.
void HNM_DrawSubtitle()
{
    if (HNM_State.subtitle_pending == 0) {
        return;
    }
    const auto x = int32_t(SCR_Width / 2);
    const auto y = int32_t(SCR_Height * 374 / 400);
    const int32_t font = SCR_Height >= 400 ? 0 : 1;
    const char *text = HNM_State.subtitle;
    trace("HNM_DrawSubtitle", reinterpret_cast<const uint8_t *>(text), uint32_t(std::strlen(text)), x, y, font);
    TXT_PrintCentred(x, y, font, "%s", text);
    HNM_State.subtitle_pending = 0;
}

int32_t HNM_FrameDue()
{
    CLK_Update();
    if (first_frame()) {
        return 1;
    }
    // The clock and the base wrap at 32 bits: the distance is that of the signed difference, with
    // 2^31 taken as itself.
    const uint32_t difference = CLK_GameClock - SND_StreamStartTime;
    const uint32_t d = int32_t(difference) < 0 ? uint32_t(0) - difference : difference;
    if (d > HNM_FRAME_UNITS) {
        SND_StreamStartTime += HNM_FRAME_UNITS;
        return 1;
    }
    return 0;
}

int32_t HNM_DrawsPictures() { return (HNM_Kind & (HNM_KIND_IX | HNM_KIND_IV)) != 0 ? 1 : 0; }

void HNM_FillStream()
{
    if ((HNM_Kind & 7) != 0) {
        DPR_Fill(HNM_State.dpr);
    }
}
