// The film player: opens .hnm films, reads them frame by frame through the main streaming buffer,
// hands their pictures to the decoders, their sound to the film-sound stream, and shows their subtitles.
#pragma once
#include <cstddef>
#include <cstdint>

struct DPR_Buffer;

// The 64 bytes at the start of every film, copied out of the streaming buffer. Only the magic, the
// frame count and, for the 256-colour decoder, the picture size and the word at 28 are read.
struct HNM_Header {
    char magic[4];
    uint8_t unused4[4];
    uint16_t width;
    uint16_t height;
    uint8_t unused12[4];
    uint32_t frame_count;
    uint8_t unused20[8];
    uint32_t hnm4_word; // kept by the 256-colour decoder, never used
    uint8_t unused32[32];
};
static_assert(sizeof(HNM_Header) == 64);
static_assert(offsetof(HNM_Header, width) == 8 && offsetof(HNM_Header, height) == 10);
static_assert(offsetof(HNM_Header, frame_count) == 16 && offsetof(HNM_Header, hnm4_word) == 28);

// A chunk: its size with these 8 bytes (the 256-colour films use all 32 bits, the others the low 27),
// two tag characters and two unused bytes.
struct HNM_ChunkHeader {
    uint32_t size;
    char tag[2];
    uint8_t unused[2];
};
static_assert(sizeof(HNM_ChunkHeader) == 8);

// Film kinds: the decoder in the low three bits, and the bit of value 8 while a sound track plays.
enum : int32_t {
    HNM_KIND_HNM4 = 1,
    HNM_KIND_IV = 2,
    HNM_KIND_IX = 4,
    HNM_KIND_SOUND = 8,
};

// The low 24 bits of a frame header are the frame's size, the header included.
constexpr uint32_t HNM_FRAME_SIZE_MASK = 0x00FFFFFF;
constexpr uint32_t HNM_CHUNK_SIZE_MASK = 0x07FFFFFF;
// One sound block: 2,940 codes make 1,470 stereo frames of two int16_t, 1/15 s at 22,050 Hz.
constexpr uint32_t HNM_SOUND_CODES = 2940;
constexpr uint32_t HNM_SOUND_BLOCK_BYTES = 5880;
constexpr uint32_t HNM_DELTA_TABLE_BYTES = 512;
// Clock units (1/200 s) between two paced frames.
constexpr uint32_t HNM_FRAME_UNITS = 13;

// One set, for the one film that plays at a time; it lives only in memory.
struct HNM_PlayerState {
    HNM_Header header;
    HNM_ChunkHeader chunk;
    uint32_t frames_left;    // wraps below 0 as a u32
    uint32_t first_blocks;   // sound blocks of the first frame, modulo 30
    uint32_t accumulators;   // the two sound levels: low half left, high half right
    uint32_t subtitle_pending;
    DPR_Buffer *dpr;         // always DPR_Main
    uint32_t frame_header;   // the next frame's header
    char subtitle[256];
};

extern int32_t HNM_Kind;
extern HNM_PlayerState HNM_State;
extern int16_t HNM_DeltaTable[256];
extern int16_t HNM_SoundBlock[HNM_SOUND_CODES];

// Test seam: when set, called at every call the player makes into the decoders and screen output, the
// palette receivers, the subtitle printer and the sound stream, before the call. routine is the name
// of the routine called; payload and length the bytes handed over (the subtitle text and its length
// for "HNM_DrawSubtitle", the PCM block for "SND_StreamWrite"); a, b and c carry the numbers of the
// call: x, y and font of "HNM_DrawSubtitle", the subtype and the flag of "HNM_DecodeHNM4Frame".
// Null in the programs.
using HNM_TraceHook = void (*)(const char *routine, const uint8_t *payload, uint32_t length, int32_t a, int32_t b,
                               int32_t c);
extern HNM_TraceHook HNM_Trace;

// Service 23 of the message manager: 0 failure, 1 a film paced by clock ticks, 2 a film whose sound
// track plays and paces it. Resets the memory arena.
int32_t HNM_Open(const char *path);
// The receiver, at each frame-due event '>': reads, decodes and shows the next frame.
void HNM_NextFrame();
// Service 25, HNM_Open, and the frame readers at the end of a film.
void HNM_Close();
// The message manager, in each pass of its dispatch loop while a sound-paced film runs.
int32_t HNM_FrameDue();
// The message manager, in each pass of its dispatch loop while a film runs: one more block of the file.
void HNM_FillStream();
// 1 while a film is open whose frames reach the screen (a block-transform or hi-colour film), else 0:
// the title paces its menu itself over a film that draws nothing.
int32_t HNM_DrawsPictures();

// The start routines of HNM_Open: set up the decoder and the frames-left counter; 0 refuses the film.
int32_t HNM_StartHNM4();
int32_t HNM_StartIV();
int32_t HNM_StartIX();
// HNM_Close, by the kind.
void HNM_StopHNM4();
void HNM_StopIV();
void HNM_StopIX();
// HNM_NextFrame, by the kind.
void HNM_ReadFrameHNM4();
void HNM_ReadFrameIV();
void HNM_ReadFrameIX();
// An SD chunk's payload: the delta table in the first one of a film, then one block of codes.
void HNM_DecodeSound(const uint8_t *payload, uint32_t length);
// An ST chunk's payload: the text shown on this frame.
void HNM_SetSubtitle(const uint8_t *payload, uint32_t length);
void HNM_DrawSubtitle();
// n codes give n / 2 stereo frames; each code adds its delta to its channel's level, wrapping at 16 bits.
void HNM_DecodeDPCMStereo(uint32_t *accumulators, const int16_t *deltas, const uint8_t *codes, uint32_t n,
                          int16_t *output);
// The mono form: one level, one sample per code. Nothing plays mono film sound.
void HNM_DecodeDPCMMono(uint16_t *accumulator, const int16_t *deltas, const uint8_t *codes, uint32_t n,
                        int16_t *output);
