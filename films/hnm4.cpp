// The 256-colour film decoder: intra and delta pictures built in two buffers of pixel pairs, written
// de-interleaved into the film-fed scene texture.
#include "films/hnm4.h"

#include <cstring>

#include "core/dsp.h"
#include "core/lz.h"
#include "films/hnm.h"

// A pair i = k x width + c holds column c of rows 2k (byte 0) and 2k + 1 (byte 1).
static uint8_t *s_a;
static uint8_t *s_b;
static int32_t s_width;
static int32_t s_height;
static uint16_t s_counter;
[[maybe_unused]] static uint32_t s_word28; // kept from the header, never used
// An intra picture unpacks here first: the unpacker may scribble past the bytes it wrote, and a stream
// that ends early must leave the rest of the build buffer as it was.
static uint8_t s_unpack[65536];

void HNM_InitHNM4Decoder(uint8_t *a, uint8_t *b, const HNM_Header *header)
{
    s_a = a;
    s_b = b;
    s_width = header->width;
    s_height = header->height;
    s_word28 = header->hnm4_word;
    s_counter = 0;
    std::memset(a, 0, size_t(s_width) * size_t(s_height));
    std::memset(b, 0, size_t(s_width) * size_t(s_height));
}

void HNM_CloseHNM4Decoder() {}

uint16_t HNM_HNM4Counter() { return s_counter; }

namespace {

struct Buffers {
    uint8_t *build;
    uint8_t *other;
};

Buffers select_buffers()
{
    return (s_counter & 1) == 0 ? Buffers{s_b, s_a} : Buffers{s_a, s_b};
}

// Returns 0 when the stream was damaged; the copy to the other buffer follows in every case, so that an
// intra picture always leaves both buffers equal.
int32_t intra_picture(const Buffers &buf, const uint8_t *payload, uint32_t length)
{
    const uint32_t bytes = uint32_t(s_width) * uint32_t(s_height);
    int32_t result = 1;
    if (length >= 4) {
        std::memcpy(s_unpack, buf.build, bytes);
        const int32_t n = LZ_UnpackChecked(payload + 4, length - 4, s_unpack, bytes);
        if (n < 0) {
            // The bytes the unpacker wrote before the damage stay.
            std::memcpy(buf.build, s_unpack, bytes);
            result = 0;
        } else {
            std::memcpy(buf.build, s_unpack, uint32_t(n));
        }
    }
    std::memcpy(buf.other, buf.build, bytes);
    return result;
}

// One copy op: count pairs to i from j on, by the mode's four bits. The whole copy is checked before
// any pair is written.
bool copy_pairs(const Buffers &buf, int64_t pairs, int64_t i, int64_t j, int32_t count, int32_t mode)
{
    const bool from_other = (mode & 1) != 0;
    const bool shifted = (mode & 2) != 0;
    const bool mirrored = (mode & 4) != 0;
    const bool flipped = (mode & 8) != 0;
    const int64_t last = mirrored ? j - (count - 1) : j + (count - 1);
    const int64_t lowest = (mirrored ? last : j) - (shifted ? s_width : 0);
    const int64_t highest = mirrored ? j : last;
    if (i < 0 || i + count > pairs || lowest < 0 || highest >= pairs) {
        return false;
    }
    const uint8_t *source = from_other ? buf.other : buf.build;
    uint8_t *out = buf.build + 2 * i;
    const int64_t step = mirrored ? -1 : 1;
    int64_t s = j;
    for (int32_t n = 0; n < count; n++, s += step) {
        const uint8_t *p = source + 2 * s;
        uint8_t top;
        uint8_t bottom;
        if (!shifted) {
            top = flipped ? p[1] : p[0];
            bottom = flipped ? p[0] : p[1];
        } else {
            const uint8_t above_bottom = p[1 - 2 * s_width];
            top = flipped ? p[0] : above_bottom;
            bottom = flipped ? above_bottom : p[0];
        }
        out[2 * n] = top;
        out[2 * n + 1] = bottom;
    }
    return true;
}

// Ops are read byte by byte: a picture's ops lie anywhere in the film's read ring.
int32_t delta_picture(const Buffers &buf, const uint8_t *payload, uint32_t length)
{
    const int64_t pairs = int64_t(s_width) * s_height / 2;
    int64_t i = 0;
    uint32_t at = 0;
    while (at < length) {
        const uint8_t b0 = payload[at];
        const uint32_t count = b0 & 0x1F;
        const uint32_t op_length = (count == 0 && (b0 == 0x20)) ? 2 : (count == 0 && b0 >= 0x80) ? 1 : 3;
        if (count == 0 && b0 >= 0x80) {
            return 1; // the end op
        }
        if (length - at < op_length) {
            return 0; // an op cut by the chunk's end
        }
        const uint8_t b1 = payload[at + 1];
        const uint8_t b2 = op_length == 3 ? payload[at + 2] : 0;
        at += op_length;
        if (count != 0) {
            const uint32_t op = uint32_t(b0) | uint32_t(b1) << 8 | uint32_t(b2) << 16;
            const int32_t mode = int32_t(op >> 5 & 15);
            const int64_t offset = int64_t(op >> 9 & 0x7FFF);
            if (!copy_pairs(buf, pairs, i, i + offset - 16384, int32_t(count), mode)) {
                return 0;
            }
            i += count;
            continue;
        }
        switch (b0) {
        case 0x00:
            if (i >= pairs) {
                return 0;
            }
            buf.build[2 * i] = b1;
            buf.build[2 * i + 1] = b2;
            i++;
            break;
        case 0x20:
            i += b1;
            break;
        case 0x40:
            i += int64_t(b1) | int64_t(b2) << 8;
            break;
        default: // 0x60: a fill of b1 pairs (b2, b2)
            for (uint32_t n = 0; n < b1; n++, i++) {
                if (i >= pairs) {
                    return 0;
                }
                buf.build[2 * i] = b2;
                buf.build[2 * i + 1] = b2;
            }
            break;
        }
    }
    return 1; // the ops ran out without an end op
}

// Row 2k takes the top pixels of band k, row 2k + 1 the bottom ones; the target's rows are 256 bytes.
void deinterleave(const uint8_t *build, uint8_t *target)
{
    for (int32_t k = 0; k < s_height / 2; k++) {
        const uint8_t *band = build + size_t(k) * 2 * size_t(s_width);
        uint8_t *top = target + size_t(2 * k) * 256;
        uint8_t *bottom = top + 256;
        for (int32_t c = 0; c < 256; c++) {
            top[c] = band[2 * c];
            bottom[c] = band[2 * c + 1];
        }
    }
}

} // namespace

int32_t HNM_DecodeHNM4Frame(int32_t flag, char subtype, const uint8_t *payload, uint32_t length)
{
    int32_t result = 1;
    if (subtype == 'Z' || subtype == 'U') {
        const Buffers buf = select_buffers();
        result = subtype == 'Z' ? intra_picture(buf, payload, length) : delta_picture(buf, payload, length);
        if (flag == 1 && HNM_TargetTexture != nullptr) {
            deinterleave(buf.build, HNM_TargetTexture);
        }
    }
    s_counter = uint16_t(s_counter + 1);
    return result;
}
