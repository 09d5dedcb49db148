// Fuzzes the 256-colour picture decoder: byte 0 picks the height (2..256, even), then chunks of a
// subtype byte, a u32 length and the payload go to the decoder. Buffers and target are heap blocks of
// exactly their size, so an overrun either way is caught; two runs from a fresh set-up must agree.
// The same bytes are also a palette chunk of a 256-colour film, read into a palette of 256 entries.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/dsp.h"
#include "films/hnm.h"
#include "films/hnm4.h"
#include "world/tex.h"

namespace {

struct Run {
    std::unique_ptr<uint8_t[]> a, b, target;
};

Run play(const uint8_t *data, size_t size, uint16_t height)
{
    const size_t bytes = 256 * size_t(height);
    Run run{std::make_unique<uint8_t[]>(bytes), std::make_unique<uint8_t[]>(bytes), std::make_unique<uint8_t[]>(65536)};
    std::memset(run.target.get(), 0x5A, 65536);
    HNM_Header header{};
    header.width = 256;
    header.height = height;
    HNM_InitHNM4Decoder(run.a.get(), run.b.get(), &header);
    HNM_TargetTexture = run.target.get();
    size_t at = 1;
    while (at + 5 <= size) {
        const char subtype = char(data[at]);
        uint32_t length = uint32_t(data[at + 1]) | uint32_t(data[at + 2]) << 8 | uint32_t(data[at + 3]) << 16 |
                          uint32_t(data[at + 4]) << 24;
        at += 5;
        if (length > size - at) {
            length = uint32_t(size - at);
        }
        // The payload as a block of its own, so that a read past it is caught.
        std::unique_ptr<uint8_t[]> payload(new uint8_t[length]);
        std::memcpy(payload.get(), data + at, length);
        const int32_t result = HNM_DecodeHNM4Frame(1, subtype, payload.get(), length);
        if (result != 0 && result != 1) {
            std::abort();
        }
        at += length;
    }
    HNM_TargetTexture = nullptr;
    return run;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1) {
        return 0;
    }
    const uint16_t height = uint16_t(2 + 2 * (data[0] % 128));
    const size_t bytes = 256 * size_t(height);
    const Run first = play(data, size, height);
    const Run second = play(data, size, height);
    if (std::memcmp(first.a.get(), second.a.get(), bytes) != 0 || std::memcmp(first.b.get(), second.b.get(), bytes) != 0 ||
        std::memcmp(first.target.get(), second.target.get(), 65536) != 0) {
        std::abort();
    }
    std::unique_ptr<uint8_t[]> chunk(new uint8_t[size - 1]);
    std::memcpy(chunk.get(), data + 1, size - 1);
    std::unique_ptr<uint32_t[]> palette(new uint32_t[256]);
    TEX_DecodeFilmPalette(chunk.get(), uint32_t(size - 1), palette.get());
    return 0;
}
