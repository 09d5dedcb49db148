// The LZ unpacker: one decoding loop, instantiated trusting and bounded, so the two forms cannot
// drift apart.
#include "core/lz.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

namespace {

// The bounded form tests every read and write against its buffers; in the trusting form the tests
// fold away and the loop is the game's own.
template <bool Checked>
inline __attribute__((always_inline)) int32_t Unpack(const uint8_t *source, uint32_t sourceLength,
                                                     uint8_t *destination, uint32_t destinationCapacity)
{
    const uint8_t *in = source;
    const uint8_t *inEnd = source + (Checked ? sourceLength : 0);
    uint8_t *out = destination;
    uint8_t *outEnd = destination + (Checked ? destinationCapacity : 0);
    uint32_t control = 0;
    int bitsLeft = 0;

    // The next control bit, or -1 when the bounded form finds the control word cut short. A word is
    // loaded only when a bit is needed, never ahead, so the last word may keep unused bits.
    auto takeBit = [&]() -> int {
        if (bitsLeft == 0) {
            if (Checked && inEnd - in < 4) {
                return -1;
            }
            control = uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
            in += 4;
            bitsLeft = 32;
        }
        int bit = int(control >> 31);
        control <<= 1;
        bitsLeft--;
        return bit;
    };

    for (;;) {
        uint32_t length;
        uint32_t distance;
        // Fast decoding in the bounded form, when a code's bits are all in the control word and 32
        // bytes lie ahead in both buffers. It reads the same bits and bytes in the same order as the
        // plain decoding below. A literal takes the ones after it as more literals (32 bytes at most),
        // moved in one or two fixed 16-byte moves that may write past them, inside the room (later
        // codes write those bytes again). A match's short and long codes are told apart by masks
        // rather than a branch, which the data makes unpredictable; a match of at most 16 bytes from
        // 16 or more back is one fixed 16-byte move (the bytes past it, inside the room, are written
        // again later).
        if (Checked && bitsLeft >= 4 && inEnd - in >= 32 && outEnd - out >= 32) {
            if (int32_t(control) < 0) {
                const uint32_t n = uint32_t(std::countl_one(control)); // used bits shifted out as zeros
                std::memcpy(out, in, 16);
                if (n > 16) {
                    std::memcpy(out + 16, in + 16, 16);
                }
                in += n;
                out += n;
                control = n == 32 ? 0 : control << n;
                bitsLeft -= int(n);
                continue;
            }
            const uint32_t isLong = (control >> 30) & 1;
            const uint32_t longMask = 0 - isLong;
            const uint32_t w = uint32_t(in[0]) | uint32_t(in[1]) << 8;
            const uint32_t shortLength = ((control >> 28) & 3) + 2;
            length = (((w & 7) + 2) & longMask) | (shortLength & ~longMask);
            distance = ((8192 - (w >> 3)) & longMask) | ((256 - (w & 0xFF)) & ~longMask);
            in += 1 + isLong;
            const uint32_t used = 4 - 2 * isLong;
            control <<= used;
            bitsLeft -= int(used);
            if (length == 2 && isLong != 0) { // a long code's length bits 0: the length follows
                const uint32_t count = *in++;
                if (count == 0) {
                    break; // the end code
                }
                length = count + 2;
            }
            if (length <= 16 && distance >= 16 && distance <= size_t(out - destination)) {
                std::memcpy(out, out - distance, 16);
                out += length;
                continue;
            }
        } else {
            int bit = takeBit();
            if (Checked && bit < 0) {
                return -1;
            }
            if (bit == 1) {
                // Fast path of the bounded form, when 32 bytes lie ahead in both buffers: the literal and
                // the run of literals behind it (32 bytes at most) in one or two fixed 16-byte moves.
                // The moves may write past the run, inside the room; later codes write those bytes again.
                if (Checked && inEnd - in >= 32 && outEnd - out >= 32) {
                    uint32_t run = uint32_t(std::countl_one(control));
                    uint32_t n = run + 1;
                    std::memcpy(out, in, 16);
                    if (n > 16) {
                        std::memcpy(out + 16, in + 16, 16);
                    }
                    in += n;
                    out += n;
                    control <<= run; // run < 32: the word's used bit is never among its ones
                    bitsLeft -= int(run);
                    continue;
                }
                if (Checked && (in == inEnd || out == outEnd)) {
                    return -1;
                }
                *out++ = *in++;
                // More 1 bits in this word are more literals, whose bytes follow one another: take the
                // run at once. Used bits shift out as zeros, so the run never passes the word's end.
                if (int32_t(control) < 0) {
                    uint32_t run = uint32_t(std::countl_one(control));
                    uint32_t n = run;
                    if (Checked) {
                        n = std::min({n, uint32_t(inEnd - in), uint32_t(outEnd - out)});
                    }
                    std::memcpy(out, in, n);
                    in += n;
                    out += n;
                    if (Checked && n < run) {
                        return -1;
                    }
                    control = run == 32 ? 0 : control << run;
                    bitsLeft -= int(run);
                }
                continue;
            }

            bit = takeBit();
            if (Checked && bit < 0) {
                return -1;
            }
            if (bit == 0) {
                int h = takeBit();
                if (Checked && h < 0) {
                    return -1;
                }
                int l = takeBit();
                if (Checked && l < 0) {
                    return -1;
                }
                if (Checked && in == inEnd) {
                    return -1;
                }
                length = uint32_t(2 * h + l + 2);
                distance = 256 - uint32_t(*in++);
            } else {
                if (Checked && inEnd - in < 2) {
                    return -1;
                }
                uint32_t w = uint32_t(in[0]) | uint32_t(in[1]) << 8;
                in += 2;
                distance = 8192 - (w >> 3);
                length = w & 7;
                if (length != 0) {
                    length += 2;
                } else {
                    if (Checked && in == inEnd) {
                        return -1;
                    }
                    uint32_t n = *in++;
                    if (n == 0) {
                        break; // the end code; its distance bits mean nothing
                    }
                    length = n + 2;
                }
            }
        }

        if (Checked && (distance > size_t(out - destination) || length > size_t(outEnd - out))) {
            return -1;
        }
        const uint8_t *from = out - distance;
        // Fast path of the bounded form, when the distance is at least 8 and 16 bytes of room lie past
        // the copy: fixed 16- or 8-byte moves, each reading only bytes already written (the distance is
        // at least the move), so the result is the forward byte copy's. The last move may write past
        // the copy, inside the room; later codes write those bytes again.
        if (Checked && distance >= 8 && size_t(outEnd - out) >= size_t(length) + 16) {
            uint8_t *to = out;
            uint8_t *toEnd = out + length;
            if (distance >= 16) {
                do {
                    std::memcpy(to, from, 16);
                    to += 16;
                    from += 16;
                } while (to < toEnd);
            } else {
                do {
                    std::memcpy(to, from, 8);
                    to += 8;
                    from += 8;
                } while (to < toEnd);
            }
            out = toEnd;
            continue;
        }
        if (distance >= length) {
            std::memcpy(out, from, length);
        } else if (distance == 1) {
            std::memset(out, *from, length);
        } else {
            // Overlapping: copied forward byte by byte, the output repeats its last `distance` bytes.
            // Copy whole periods instead; each copy doubles the stretch that holds the repetition,
            // and source and target never overlap.
            uint32_t done = 0;
            while (done < length) {
                uint32_t n = std::min(done + distance, length - done);
                std::memcpy(out + done, from, n);
                done += n;
            }
        }
        out += length;
    }
    return int32_t(out - destination);
}

} // namespace

int32_t LZ_Unpack(const uint8_t *source, uint8_t *destination) { return Unpack<false>(source, 0, destination, 0); }

int32_t LZ_UnpackChecked(const uint8_t *source, uint32_t sourceLength, uint8_t *destination,
                         uint32_t destinationCapacity)
{
    return Unpack<true>(source, sourceLength, destination, destinationCapacity);
}
