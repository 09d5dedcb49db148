// Fuzzes the hi-colour decoder, its palette chunk and blitter: byte 0 picks the reference pattern (bit 0),
// the pixel format (bit 1) and the screen size (bits 2..4); byte 1 is the length of the palette payload
// that follows, the rest is the picture payload. Frames, payloads and screen are heap blocks of exactly
// their size; decoding twice from the same frames must give the same picture and result.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/dsp.h"
#include "core/mem.h"
#include "core/sys.h"
#include "films/hnm_screen.h"
#include "films/iv.h"

namespace {

std::unique_ptr<uint8_t[]> Copy(const uint8_t *data, size_t size)
{
    std::unique_ptr<uint8_t[]> out(new uint8_t[size == 0 ? 1 : size]);
    if (size != 0) {
        std::memcpy(out.get(), data, size);
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2) {
        return 0;
    }
    static const struct {
        uint32_t width, height;
    } sizes[8] = {{640, 480}, {640, 400}, {400, 300}, {320, 400}, {320, 200}, {800, 600}, {640, 480}, {320, 200}};
    const uint8_t choice = data[0];
    const size_t palette_length = data[1] < size - 2 ? data[1] : size - 2;
    const uint8_t *picture_bytes = data + 2 + palette_length;
    const size_t picture_length = size - 2 - palette_length;

    if (MEM_Arena == nullptr) {
        MEM_Arena = MEM_CreateStack(0x100000);
    }
    MEM_ResetStack(MEM_Arena);
    DSP_Rgb555 = (choice & 2) ? 1 : 0;
    if (!HNM_AllocIVBuffers()) {
        std::abort();
    }
    auto palette = Copy(data + 2, palette_length);
    HNM_SetIVPalette(palette.get(), uint32_t(palette_length));

    std::unique_ptr<uint8_t[]> reference(new uint8_t[size_t(IV_FRAME_BYTES)]);
    for (int64_t i = 0; i < IV_FRAME_BYTES; i++) {
        reference[size_t(i)] = (choice & 1) ? uint8_t(i * 7 + i / 640) : 0;
    }
    std::unique_ptr<uint8_t[]> first(new uint8_t[size_t(IV_FRAME_BYTES)]);
    std::unique_ptr<uint8_t[]> second(new uint8_t[size_t(IV_FRAME_BYTES)]);
    std::memset(first.get(), 0x11, size_t(IV_FRAME_BYTES));
    std::memset(second.get(), 0x11, size_t(IV_FRAME_BYTES));
    auto payload = Copy(picture_bytes, picture_length);
    const HNM_IVDecodeInfo a = HNM_DecodeIVPicture(payload.get(), uint32_t(picture_length), reference.get(), first.get());
    const HNM_IVDecodeInfo b = HNM_DecodeIVPicture(payload.get(), uint32_t(picture_length), reference.get(), second.get());
    if (a.whole != b.whole || a.bands != b.bands || a.stop_byte != b.stop_byte ||
        std::memcmp(first.get(), second.get(), size_t(IV_FRAME_BYTES)) != 0) {
        std::abort();
    }
    const auto s = sizes[(choice >> 2) & 7];
    std::unique_ptr<uint16_t[]> screen(new uint16_t[size_t(s.width) * s.height]);
    HNM_BlitIVFrame(first.get(), screen.get(), HNM_PairTable, HNM_IVLayout(s.width, s.height));
    HNM_FreeIVBuffers();
    return 0;
}
