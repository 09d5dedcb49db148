// The IX picture decoder of hi-colour films: 640 x 304 16-bit pictures coded in 8 x 8 tiles.
#pragma once
#include <cstdint>

constexpr int32_t IX_WIDTH = 640;
constexpr int32_t IX_HEIGHT = 304;
constexpr int32_t IX_PITCH = 640;             // pixels from one row of a frame to the next
constexpr int32_t IX_TILES_X = 80;
constexpr int32_t IX_TILES_Y = 38;
constexpr int32_t IX_PIXELS = IX_WIDTH * IX_HEIGHT;
constexpr uint32_t IX_HEADER_SIZE = 24;
constexpr int32_t IX_REFILL_MARK = 0x3E00;    // codes read before a coded tile moves the rest to the start
constexpr int32_t IX_NIBBLE_ROOM = 16384;     // codes the buffer holds as the format has it
constexpr int32_t IX_NIBBLE_EXTRA = 1024;     // room behind it, so that a tile started near the mark finds its codes
constexpr int32_t IX_NIBBLE_BUFFER = IX_NIBBLE_ROOM + IX_NIBBLE_EXTRA;

// Decodes one IX payload (unaligned, straight from the stream ring) into output, taking unchanged and
// copied blocks from reference, the picture shown last. A second frame, when given, receives the coded
// tiles too. Called by the screen output for each IX chunk of a film.
void HNM_DecodeIXFrame(const uint8_t *payload, uint32_t length, const uint16_t *reference, uint16_t *output,
                       uint16_t *second);

// Builds every table of the decoder for 5-6-5 or 5-5-5 pixels; the screen output calls them when the
// display's pixel format differs from the one the tables were built for.
void HNM_InitIX565();
void HNM_InitIX555();

// Per-picture dequantisation tables for quality q (clamped to 0..100), in zig-zag order.
void HNM_IXSetQuality(int32_t q);

// The table state, shared by the three parts of the decoder (codes, tile, picture passes).
extern int32_t HNM_IXQuant[3][64];             // dequantisation entry of each component, zig-zag order
extern const uint8_t HNM_IXZigZag[64];         // row-major position of the k-th coefficient
extern uint16_t HNM_IXMask[64];                // row/column bits of the k-th coefficient's position
extern int32_t HNM_IXBlocks[3][64];            // the tile's coefficient blocks, row-major
extern uint16_t HNM_IXBlockMask[3];
extern int32_t HNM_IXSpiral[4096];             // pixel offsets of the spiral copies
extern int32_t HNM_IXWindow1[4096];            // pixel offsets of window copies from the reference
extern int32_t HNM_IXWindow2[4096];            // pixel offsets of window copies within the picture
extern int32_t HNM_IXColumnWrap[2048];         // pixel column of a block vector, index tile x - dx + 1024

extern const int32_t HNM_IXScale[64];          // 14-bit factors of the fast inverse transform, row-major

// The sub-stream readers (ix_codes.cpp). A read past the payload stops the picture and gives 0.
int32_t HNM_IXReadBit();
int32_t HNM_IXReadBits(int32_t n);             // n bits, the first read the highest
uint32_t HNM_IXReadVector();
uint32_t HNM_IXReadSpiral();

// The coefficient codes of sub-stream 4 (ix_codes.cpp).
int32_t HNM_IXCodesRead();                     // read position in the nibble buffer
void HNM_IXUnpackNibbles();
void HNM_IXRefillNibbles();
void HNM_IXReadBlocks();                       // the three blocks of one coded tile

// The tile routines (ix_tile.cpp).
void HNM_IXInitTables();
void HNM_IXBuild565Table();
void HNM_IXBuild555Table();
void HNM_IXInverseDCT(int32_t *block, uint16_t mask);
void HNM_IXTransform1D(int32_t *x, int32_t stride);
void HNM_IXStoreTile(uint16_t *out, int32_t pitch);
void HNM_IXDecodeTile(uint16_t *out, int32_t pitch);

// The picture passes (ix_picture.cpp).
void HNM_IXBuildMotionTables();
void HNM_IXDecodeInterPicture();
void HNM_IXDecodeIntraPicture();

// The sub-stream state of the picture being decoded (ix_codes.cpp).
struct HNM_IXStreams {
    const uint8_t *payload;
    uint32_t length;
    uint32_t control;      // next byte of sub-stream 1
    uint32_t vectors;      // next byte of sub-stream 2
    uint32_t spiral;       // next byte of sub-stream 3
    uint32_t codes;        // next packed byte of sub-stream 4 to unpack
    uint32_t codes_end;    // end of sub-stream 4
    uint32_t groups_left;  // 8-byte groups of sub-stream 4 not unpacked yet
    const uint16_t *reference;
    uint16_t *output;
    uint16_t *second;
    bool stopped;          // a sub-stream ran past the payload: the rest of the picture holds the reference
};
extern HNM_IXStreams HNM_IX;
