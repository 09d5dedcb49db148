// Perspective-correct textured spans: one true division every 16 pixels, linear steps with 8-bit
// fractions in between.
#include "core/fconv.h"
#include "engine3d/span_walk.h"

namespace {

// (k - 1) / 16 for k = 1..17: how far towards the next 16-pixel sample the last pixel of a stretch of
// k pixels lies.
constexpr float Stretch_Part[17] = {0.0f / 16, 1.0f / 16, 2.0f / 16, 3.0f / 16, 4.0f / 16, 5.0f / 16,
                                    6.0f / 16, 7.0f / 16, 8.0f / 16, 9.0f / 16, 10.0f / 16, 11.0f / 16,
                                    12.0f / 16, 13.0f / 16, 14.0f / 16, 15.0f / 16, 16.0f / 16};
// 1 / k for k = 1..16.
constexpr float Inverse[16] = {1.0f / 1,  1.0f / 2,  1.0f / 3,  1.0f / 4,  1.0f / 5,  1.0f / 6,
                               1.0f / 7,  1.0f / 8,  1.0f / 9,  1.0f / 10, 1.0f / 11, 1.0f / 12,
                               1.0f / 13, 1.0f / 14, 1.0f / 15, 1.0f / 16};
constexpr float Column_Scale = 1.0f / 4096;

struct Sample {
    int32_t u, v; // 16.16 texels
};

struct Persp {
    float w, u, v;       // 1/z, u/z, v/z at the pixel reached
    float dw, du, dv;    // per column
    float dw16, du16, dv16; // per 16 columns
};

Sample Divide(float w, float u, float v)
{
    const float z = 1.0f / w;
    return {round_i32(u * z), round_i32(v * z)};
}

// Pixels first .. first + n - 1 from `from`, stepping by `step` (16.16) with 8-bit fractions: the low
// byte of the start and of the step does not take part. f gets the 24.8 u and v of every pixel.
template <class F> void Run(int32_t first, int32_t n, Sample from, int32_t step_u, int32_t step_v, F &f)
{
    uint32_t u = uint32_t(from.u >> 8);
    uint32_t v = uint32_t(from.v >> 8);
    const uint32_t su = uint32_t(step_u >> 8);
    const uint32_t sv = uint32_t(step_v >> 8);
    for (int32_t k = 0; k < n; k++, u += su, v += sv) {
        f(first + k, u, v);
    }
}

int32_t Round_Step(int32_t from, int32_t to, int32_t n)
{
    return round_i32(float(int32_t(uint32_t(to) - uint32_t(from))) * Inverse[n - 1]);
}

// The segment scheme shared by every perspective span. `whole_start` places the first sample at x start
// in whole columns from the edge (and only right of it); otherwise it lies at x start + 1 with the
// edge's fraction of a column.
template <class F> void Persp_Span(const uint8_t *s, int32_t count, int32_t x_start, bool whole_start, F &&f)
{
    Persp p{Span_Get_F32(s, SURF_DEPTH),    Span_Get_F32(s, SURF_U),    Span_Get_F32(s, SURF_V),
            Span_Get_F32(s, SURF_DEPTH_X),  Span_Get_F32(s, SURF_U_X),  Span_Get_F32(s, SURF_V_X),
            Span_Get_F32(s, SURF_DEPTH_16), Span_Get_F32(s, SURF_U_16), Span_Get_F32(s, SURF_V_16)};
    const int32_t edge_x = P_Get32(s + SURF_X);
    float d;
    if (whole_start) {
        const int32_t dx = x_start - (edge_x >> 12);
        d = dx > 0 ? float(dx) : 0.0f;
    } else {
        d = float(int32_t((uint32_t(x_start) + 1) * 4096u - uint32_t(edge_x))) * Column_Scale;
    }
    p.w = p.w + d * p.dw;
    p.u = p.u + d * p.du;
    p.v = p.v + d * p.dv;

    Sample start = Divide(p.w, p.u, p.v);
    if (count == 1) {
        Run(0, 1, start, 0, 0, f);
        return;
    }
    if (count == 2) {
        Run(0, 1, start, 0, 0, f);
        Run(1, 1, Divide(p.w + p.dw, p.u + p.du, p.v + p.dv), 0, 0, f);
        return;
    }
    if (count <= 16) {
        const float part = Stretch_Part[count - 1];
        const Sample end = Divide(p.w + p.dw16 * part, p.u + p.du16 * part, p.v + p.dv16 * part);
        Run(0, count, start, Round_Step(start.u, end.u, count), Round_Step(start.v, end.v, count), f);
        return;
    }
    p.w = p.w + p.dw16;
    p.u = p.u + p.du16;
    p.v = p.v + p.dv16;
    Sample end = Divide(p.w, p.u, p.v);
    const int32_t full = (count + 15) / 16 - 1;
    const int32_t rest = count - 16 * full;
    for (int32_t seg = 0; seg < full; seg++) {
        Sample next;
        if (seg < full - 1) {
            p.w = p.w + p.dw16;
            p.u = p.u + p.du16;
            p.v = p.v + p.dv16;
            next = Divide(p.w, p.u, p.v);
        } else {
            const float part = Stretch_Part[rest - 1];
            next = Divide(p.w + p.dw16 * part, p.u + p.du16 * part, p.v + p.dv16 * part);
        }
        const int32_t step_u = int32_t(uint32_t(end.u) - uint32_t(start.u)) >> 4;
        const int32_t step_v = int32_t(uint32_t(end.v) - uint32_t(start.v)) >> 4;
        Run(seg * 16, 16, start, step_u, step_v, f);
        start = end;
        end = next;
    }
    Run(full * 16, rest, start, Round_Step(start.u, end.u, rest), Round_Step(start.v, end.v, rest), f);
}

// Carry addressing, as the keyed spans share it.
inline uint32_t Carry_Texel(uint32_t u, uint32_t v) { return Span_Carry_Texel(u, v); }

// Wrapped addressing: u and v each wrap at 256.
inline uint32_t Wrap_Texel(uint32_t u, uint32_t v) { return (v & 0xFF00) | ((u >> 8) & 0xFF); }

template <uint32_t (*Address)(uint32_t, uint32_t)>
void Shaded(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface, bool level_row)
{
    const uint8_t *s = W_Ptr(surface);
    const Span_Texture tex = Span_Get_Texture(s);
    uint32_t row = s[SURF_SHADE];
    if (level_row) {
        // One row for the whole span, from the shade at the edge, held to the table's 32 rows.
        const int32_t whole = P_Get32(s + SURF_LEVEL_SHADE) >> 16;
        row = uint32_t(whole < 0 ? 0 : (whole > 31 ? 31 : whole));
    }
    Persp_Span(s, count, x_start, false, [&](int32_t i, uint32_t u, uint32_t v) {
        dst[i] = Span_Shade(tex, row, tex.texels[Address(u, v)]);
    });
}

template <uint32_t (*Address)(uint32_t, uint32_t)>
void Blended(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    const uint8_t *s = W_Ptr(surface);
    const Span_Texture tex = Span_Get_Texture(s);
    const uint32_t row = s[SURF_SHADE];
    Persp_Span(s, count, x_start, true, [&](int32_t i, uint32_t u, uint32_t v) {
        dst[i] = Span_Half_Sum(Span_Shade(tex, row, tex.texels[Address(u, v)]), dst[i], Span_Pair_Mask(dst, i));
    });
}

} // namespace

void Span_Persp(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    Shaded<Carry_Texel>(dst, count, x_start, surface, false);
}

void Span_Persp_Wrap(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    Shaded<Wrap_Texel>(dst, count, x_start, surface, false);
}

void Span_Persp_Level(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    Shaded<Carry_Texel>(dst, count, x_start, surface, true);
}

void Span_Persp8(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    const uint8_t *s = W_Ptr(surface);
    const Span_Texture tex = Span_Get_Texture(s);
    uint8_t *out = reinterpret_cast<uint8_t *>(dst);
    Persp_Span(s, count, x_start, false,
               [&](int32_t i, uint32_t u, uint32_t v) { out[i] = tex.texels[Carry_Texel(u, v)]; });
}

void Span_Persp_Hicolour(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    const uint8_t *s = W_Ptr(surface);
    const Span_Texture tex = Span_Get_Texture(s);
    Persp_Span(s, count, x_start, false, [&](int32_t i, uint32_t u, uint32_t v) {
        // 16-bit texels: the byte offset is kept inside the 64 KB map, so the index runs 0..0x7FFF.
        const uint32_t at = (Carry_Texel(u, v) * 2) & 0xFFFF;
        dst[i] = uint16_t(tex.texels[at] | (tex.texels[at + 1] << 8));
    });
}

void Span_Blend_Persp(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    Blended<Carry_Texel>(dst, count, x_start, surface);
}

void Span_Blend_Persp_Wrap(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    Blended<Wrap_Texel>(dst, count, x_start, surface);
}

void Span_Persp_Texels(const uint8_t *s, int32_t count, int32_t x_start, uint8_t *texels)
{
    const Span_Texture tex = Span_Get_Texture(s);
    Persp_Span(s, count, x_start, false,
               [&](int32_t i, uint32_t u, uint32_t v) { texels[i] = tex.texels[Carry_Texel(u, v)]; });
}
