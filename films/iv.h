// The hi-colour film decoder and its frame blitter.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

// A hi-colour picture: 8-bit palette indices, 640 a row, 304 rows of which the first 300 are shown.
constexpr int32_t IV_WIDTH = 640;
constexpr int32_t IV_ROWS = 304;
constexpr int32_t IV_SHOWN_ROWS = 300;
constexpr int64_t IV_FRAME_BYTES = int64_t(IV_WIDTH) * IV_ROWS;

// The kind of the band being decoded: its height, the frame its copies read and their argument form.
extern uint8_t HNM_IVBandMode;

// The player, at each IV chunk: decodes the picture into the work frame of the frame pair, reading the
// current one. 1 when the frame ended through mode 0 or 1, 0 when it stopped at damage.
int32_t HNM_DecodeIVFrame(const uint8_t *payload, uint32_t length);

// What one decode did: its result, the bands it began, and the payload byte it stopped at when damaged.
struct HNM_IVDecodeInfo {
    int32_t whole;
    uint32_t bands;
    uint32_t stop_byte;
};

// The decoder on two given frames of IV_FRAME_BYTES each; HNM_DecodeIVFrame, the tools and the tests.
HNM_IVDecodeInfo HNM_DecodeIVPicture(const uint8_t *payload, uint32_t length, const uint8_t *reference,
                                     uint8_t *output);

// HNM_ShowIVFrame, at the end of each hi-colour frame: the 8-bit picture onto the 16-bit screen through
// the pair table, in the layout of the screen size (-1 draws nothing).
void HNM_BlitIVFrame(const uint8_t *picture, uint16_t *screen, const uint32_t *pair_table, int32_t layout);

// The number of columns of a run copy by its length code (0..31) and the band height (2..4).
constexpr int32_t HNM_IVRunLength(int32_t code, int32_t h)
{
    if (h == 2) {
        return code < 16 ? code + 1 : code < 28 ? 2 * code - 14 : 4 * code - 68;
    }
    if (h == 3) {
        return code < 20 ? code + 1 : 2 * code - 18;
    }
    return code < 26 ? code + 1 : 2 * code - 24;
}

constexpr std::array<std::array<uint8_t, 32>, 3> HNM_IVMakeRunLengths()
{
    std::array<std::array<uint8_t, 32>, 3> t{};
    for (int32_t h = 2; h <= 4; h++) {
        for (int32_t code = 0; code < 32; code++) {
            t[size_t(h - 2)][size_t(code)] = uint8_t(HNM_IVRunLength(code, h));
        }
    }
    return t;
}
// Run lengths by band height (index h - 2) and length code.
inline constexpr auto HNM_IVRunLengths = HNM_IVMakeRunLengths();

// Top-left corner and width of each of the 16 windows; every window has 256 entries.
struct HNM_IVWindowShape {
    int32_t x0, y0, width;
};
inline constexpr HNM_IVWindowShape HNM_IVWindowShapes[16] = {
    {-8, -8, 16},  {-2, -8, 16},  {-14, -8, 16},  {-8, -2, 16},   {-8, -14, 16}, {-2, -2, 16},
    {-14, -2, 16}, {-2, -14, 16}, {-14, -14, 16}, {-16, -8, 32},  {-8, -16, 16}, {-24, -16, 16},
    {8, -16, 16},  {-4, -32, 8},  {-12, -32, 8},  {4, -32, 8},
};

constexpr std::array<std::array<int32_t, 256>, 16> HNM_IVMakeWindows()
{
    std::array<std::array<int32_t, 256>, 16> t{};
    for (size_t k = 0; k < 16; k++) {
        const HNM_IVWindowShape w = HNM_IVWindowShapes[k];
        for (int32_t i = 0; i < 256; i++) {
            t[k][size_t(i)] = (w.y0 + i / w.width) * IV_WIDTH + w.x0 + i % w.width;
        }
    }
    return t;
}
// The windows of the window modes: byte offsets from the position, the window's pixels in raster order.
inline constexpr auto HNM_IVWindowTable = HNM_IVMakeWindows();

// The decoder's running state inside one frame, handed from the band loop to the op handlers.
struct HNM_IVCursor {
    const uint8_t *stream;     // the next op
    const uint8_t *end;        // one past the payload
    int64_t position;          // the running offset into the output frame
    const uint8_t *reference;  // the picture shown last
    uint8_t *output;           // the picture being decoded
    const uint8_t *source;     // the frame the band's run copies read
    int64_t bias;              // offset arguments: source = position + u + bias
    const int32_t *window;     // window arguments: source = position + window[i]
    int32_t height;            // rows of the band
    uint8_t next_mode;         // set by a band end
};

// What an op handler tells the band loop.
enum HNM_IVStep : int32_t { IV_NEXT_OP, IV_BAND_END, IV_STOP };

using HNM_IVOpHandler = HNM_IVStep (*)(HNM_IVCursor &cursor);

// The four special ops, the same in every band kind: 0x20 copy in place from the picture shown last,
// 0x60 literal column, 0xA0 literal run, 0xE0 fill or band end.
HNM_IVStep HNM_IVCopySame(HNM_IVCursor &cursor);
HNM_IVStep HNM_IVLiteralColumn(HNM_IVCursor &cursor);
HNM_IVStep HNM_IVLiteralRun(HNM_IVCursor &cursor);
HNM_IVStep HNM_IVFillOrEnd(HNM_IVCursor &cursor);

// True when [first, last] lies inside a frame.
inline bool HNM_IVInside(int64_t first, int64_t last) { return first >= 0 && last < IV_FRAME_BYTES; }

// The handler tables of the six band kinds: index (h - 2) for offset arguments, 3 + (h - 2) for windows.
const HNM_IVOpHandler *HNM_IVHandlerTable(int32_t height, bool window);
