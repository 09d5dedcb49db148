// Colour-keyed spans: texel 0 is transparent and leaves the pixel under it. Texels are staged sixteen
// at a time with one transparency mask for each group of four, and each group is written by its mask
// with no test per pixel.
#include <cstring>
#include <vector>

#include "engine3d/span_walk.h"

namespace {

// The staged texels and the masks of their four groups; the fifth mask, -1, ends the batch. A mask has
// bit 3 set when the group's first texel is 0, bit 0 when its last one is.
uint8_t Key_Staged[16];
int32_t Key_Masks[5] = {0, 0, 0, 0, -1};

// Forms the four masks of the staged texels.
void Mask_Groups()
{
    for (int32_t g = 0; g < 4; g++) {
        const uint8_t *t = Key_Staged + 4 * g;
        Key_Masks[g] = int32_t(t[0] == 0) << 3 | int32_t(t[1] == 0) << 2 | int32_t(t[2] == 0) << 1 | int32_t(t[3] == 0);
    }
}

// The pixels of one group that mask M leaves opaque: bit (3 - i) clear draws pixel i.
template <int32_t M> void Group(uint16_t *out, const uint8_t *t, const Span_Texture &tex, uint32_t row)
{
    if constexpr ((M & 8) == 0) {
        out[0] = Span_Shade(tex, row, t[0]);
    }
    if constexpr ((M & 4) == 0) {
        out[1] = Span_Shade(tex, row, t[1]);
    }
    if constexpr ((M & 2) == 0) {
        out[2] = Span_Shade(tex, row, t[2]);
    }
    if constexpr ((M & 1) == 0) {
        out[3] = Span_Shade(tex, row, t[3]);
    }
}

using Group_Routine = void (*)(uint16_t *, const uint8_t *, const Span_Texture &, uint32_t);
constexpr Group_Routine Key_Groups[16] = {Group<0>,  Group<1>,  Group<2>,  Group<3>, Group<4>,  Group<5>,
                                          Group<6>,  Group<7>,  Group<8>,  Group<9>, Group<10>, Group<11>,
                                          Group<12>, Group<13>, Group<14>, Group<15>};

// Writes the sixteen staged pixels from dst, group by group, until the closing mask.
void Write_Batch(uint16_t *dst, const Span_Texture &tex, uint32_t row)
{
    for (int32_t g = 0; Key_Masks[g] != -1; g++) {
        Key_Groups[Key_Masks[g]](dst + 4 * g, Key_Staged + 4 * g, tex, row);
    }
}

void Put(uint16_t *pixel, const Span_Texture &tex, uint32_t row, uint8_t texel)
{
    if (texel != 0) {
        *pixel = Span_Shade(tex, row, texel);
    }
}

} // namespace

void Span_Key_Affine(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    const uint8_t *s = W_Ptr(surface);
    const Span_Texture tex = Span_Get_Texture(s);
    const uint32_t row = s[SURF_SHADE];
    Span_Affine_Walk a(s, x_start);
    int32_t i = 0;
    // A first pixel at an odd pixel address goes alone, so that the groups start on pairs.
    if (count > 0 && (reinterpret_cast<uintptr_t>(dst) & 2) != 0) {
        Put(dst, tex, row, tex.texels[a.Texel()]);
        a.Step();
        i = 1;
    }
    for (; count - i >= 16; i += 16) {
        for (int32_t k = 0; k < 16; k++, a.Step()) {
            Key_Staged[k] = tex.texels[a.Texel()];
        }
        Mask_Groups();
        Write_Batch(dst + i, tex, row);
    }
    // The last 1 to 15 pixels step with 8-bit fractions: the low byte of u, v and their steps drops.
    uint32_t u = uint32_t(int32_t(a.u) >> 8), v = uint32_t(int32_t(a.v) >> 8);
    const uint32_t su = uint32_t(int32_t(a.du) >> 8), sv = uint32_t(int32_t(a.dv) >> 8);
    for (; i < count; i++, u += su, v += sv) {
        Put(dst + i, tex, row, tex.texels[Span_Carry_Texel(u, v)]);
    }
}

void Span_Key_Persp(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    if (count < 1) {
        return;
    }
    const uint8_t *s = W_Ptr(surface);
    const Span_Texture tex = Span_Get_Texture(s);
    const uint32_t row = s[SURF_SHADE];
    // The texels first, then the drawing: a row's span fits the buffer; a longer one takes its own.
    static uint8_t buffer[4096];
    std::vector<uint8_t> longer;
    uint8_t *texels = buffer;
    if (count > int32_t(sizeof buffer)) {
        longer.resize(size_t(count));
        texels = longer.data();
    }
    Span_Persp_Texels(s, count, x_start, texels);
    // The full 16-pixel segments by groups; the last stretch, and a span of 16 or fewer, one by one.
    const int32_t grouped = count > 16 ? 16 * ((count + 15) / 16 - 1) : 0;
    int32_t i = 0;
    for (; i < grouped; i += 16) {
        std::memcpy(Key_Staged, texels + i, 16);
        Mask_Groups();
        Write_Batch(dst + i, tex, row);
    }
    for (; i < count; i++) {
        Put(dst + i, tex, row, texels[i]);
    }
}
