// The hi-colour film decoder: the band loop and the four special ops. A stream that leaves the frames,
// names a mode past 47 or ends early stops the frame at that op, keeping what was decoded before it.
#include "films/iv.h"

#include <cstring>

#include "films/hnm_screen.h"

uint8_t HNM_IVBandMode;

HNM_IVStep HNM_IVCopySame(HNM_IVCursor &s)
{
    if (s.end - s.stream < 2) {
        return IV_STOP;
    }
    const int32_t n = s.stream[1] + 1;
    const int64_t last = s.position + (s.height - 1) * IV_WIDTH + n - 1;
    if (!HNM_IVInside(s.position, last)) {
        return IV_STOP;
    }
    for (int32_t r = 0; r < s.height; r++) {
        const int64_t at = s.position + r * IV_WIDTH;
        std::memcpy(s.output + at, s.reference + at, size_t(n));
    }
    s.stream += 2;
    s.position += n;
    return IV_NEXT_OP;
}

HNM_IVStep HNM_IVLiteralColumn(HNM_IVCursor &s)
{
    if (s.end - s.stream < 1 + s.height || !HNM_IVInside(s.position, s.position + (s.height - 1) * IV_WIDTH)) {
        return IV_STOP;
    }
    for (int32_t r = 0; r < s.height; r++) {
        s.output[s.position + r * IV_WIDTH] = s.stream[1 + r];
    }
    s.stream += 1 + s.height;
    s.position += 1;
    return IV_NEXT_OP;
}

HNM_IVStep HNM_IVLiteralRun(HNM_IVCursor &s)
{
    if (s.end - s.stream < 2) {
        return IV_STOP;
    }
    const int32_t n = s.stream[1] + 2;
    if (s.end - s.stream < 2 + int64_t(n) * s.height ||
        !HNM_IVInside(s.position, s.position + (s.height - 1) * IV_WIDTH + n - 1)) {
        return IV_STOP;
    }
    // Columns left to right, each top row first.
    const uint8_t *pixels = s.stream + 2;
    for (int32_t c = 0; c < n; c++) {
        for (int32_t r = 0; r < s.height; r++) {
            s.output[s.position + r * IV_WIDTH + c] = *pixels++;
        }
    }
    s.stream = pixels;
    s.position += n;
    return IV_NEXT_OP;
}

HNM_IVStep HNM_IVFillOrEnd(HNM_IVCursor &s)
{
    if (s.end - s.stream < 2) {
        return IV_STOP;
    }
    if (s.stream[1] != 0) {
        s.next_mode = s.stream[1];
        s.position += (s.height - 1) * IV_WIDTH;
        s.stream += 2;
        return IV_BAND_END;
    }
    if (s.end - s.stream < 4) {
        return IV_STOP;
    }
    const int32_t n = s.stream[2] + 1;
    if (!HNM_IVInside(s.position, s.position + (s.height - 1) * IV_WIDTH + n - 1)) {
        return IV_STOP;
    }
    for (int32_t r = 0; r < s.height; r++) {
        std::memset(s.output + s.position + r * IV_WIDTH, s.stream[3], size_t(n));
    }
    s.stream += 4;
    s.position += n;
    return IV_NEXT_OP;
}

// The common exit of the decoder: the frame is whole when it ended through mode 0 or 1.
static HNM_IVDecodeInfo HNM_EndIVFrame(const HNM_IVCursor &s, const uint8_t *payload, uint32_t bands, bool whole)
{
    return {whole ? 1 : 0, bands, whole ? 0 : uint32_t(s.stream - payload)};
}

HNM_IVDecodeInfo HNM_DecodeIVPicture(const uint8_t *payload, uint32_t length, const uint8_t *reference,
                                     uint8_t *output)
{
    if (length < 2) {
        return {0, 0, 0};
    }
    HNM_IVCursor s{};
    s.stream = payload + 2;
    s.end = payload + length;
    s.reference = reference;
    s.output = output;
    uint32_t bands = 0;
    uint8_t mode = payload[1];
    for (;;) {
        HNM_IVBandMode = mode;
        if (mode <= 1) {
            return HNM_EndIVFrame(s, payload, bands, true);
        }
        if (mode >= 48) {
            // The byte naming the mode is where the stream broke.
            s.stream -= 1;
            return HNM_EndIVFrame(s, payload, bands, false);
        }
        // Mode -> height, the frame the copies read, and the argument form.
        bool window = true;
        s.source = reference;
        if (mode <= 4) {
            s.height = mode;
            s.bias = -32768;
            window = false;
        } else if (mode <= 7) {
            s.height = mode - 3;
            s.window = HNM_IVWindowTable[0].data();
        } else if (mode <= 31) {
            s.height = 2 + (mode - 8) / 8;
            s.window = HNM_IVWindowTable[size_t(1 + (mode - 8) % 8)].data();
        } else {
            s.source = output;
            s.height = mode < 40 ? 2 : 3;
            const int32_t k = mode & 7;
            if (k == 0) {
                s.bias = -65536;
                window = false;
            } else {
                s.window = HNM_IVWindowTable[size_t(8 + k)].data();
            }
        }
        bands++;
        const HNM_IVOpHandler *table = HNM_IVHandlerTable(s.height, window);
        HNM_IVStep step = IV_NEXT_OP;
        while (step == IV_NEXT_OP) {
            if (s.stream >= s.end) {
                return HNM_EndIVFrame(s, payload, bands, false);
            }
            step = table[*s.stream](s);
        }
        if (step == IV_STOP) {
            return HNM_EndIVFrame(s, payload, bands, false);
        }
        mode = s.next_mode;
    }
}

int32_t HNM_DecodeIVFrame(const uint8_t *payload, uint32_t length)
{
    if (HNM_CurrentFrame == nullptr) {
        return 0;
    }
    return HNM_DecodeIVPicture(payload, length, reinterpret_cast<const uint8_t *>(HNM_CurrentFrame),
                               reinterpret_cast<uint8_t *>(HNM_WorkFrame))
        .whole;
}
