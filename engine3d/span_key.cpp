// Colour-keyed spans: texel 0 is transparent and leaves the pixel under it. Texels are staged sixteen
// at a time with one transparency mask for each group of four, and each group is written by its mask
// with no test per pixel.
#include "engine3d/span_walk.h"

namespace {

// The staged texels and the masks of their four groups; the fifth mask, -1, ends the batch. A mask has
// bit 3 set when the group's first texel is 0, bit 0 when its last one is.
uint8_t Key_Staged[16];
int32_t Key_Masks[5] = {0, 0, 0, 0, -1};

void Stage(int32_t k, uint8_t texel)
{
    Key_Staged[k] = texel;
    const int32_t bit = int32_t(texel == 0) << (3 - (k & 3));
    Key_Masks[k >> 2] = (k & 3) == 0 ? bit : Key_Masks[k >> 2] | bit;
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

struct Key_Persp {
    uint16_t *dst;
    Span_Texture tex;
    uint32_t row;
    int32_t grouped; // the pixels of the full 16-pixel segments
};

// The perspective walk's pixels: those of full segments are staged and written by groups when their
// segment is complete, those of the last stretch (and of a short span) one by one.
void Key_Persp_Pixel(void *context, int32_t i, uint8_t texel)
{
    Key_Persp &k = *static_cast<Key_Persp *>(context);
    if (i >= k.grouped) {
        Put(k.dst + i, k.tex, k.row, texel);
        return;
    }
    Stage(i & 15, texel);
    if ((i & 15) == 15) {
        Write_Batch(k.dst + i - 15, k.tex, k.row);
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
            Stage(k, tex.texels[a.Texel()]);
        }
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
    const uint8_t *s = W_Ptr(surface);
    Key_Persp k{dst, Span_Get_Texture(s), s[SURF_SHADE], count > 16 ? 16 * ((count + 15) / 16 - 1) : 0};
    Span_Persp_Texels(s, count, x_start, Key_Persp_Pixel, &k);
}
