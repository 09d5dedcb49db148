// Procedural textures: the fire's random seed row and rising heat, the two-plane flow texture and the
// two-row texture scroll. They work on bytes and never touch the frame buffer.
#include "engine3d/proctex.h"

#include <cstring>

uint8_t GFX_FireMap[84 * 64];
uint32_t GFX_FireSeed = GFX_FIRE_SEED_START;
uint8_t GFX_FlowPlanes[2 * GFX_FLOW_PLANE + GFX_FLOW_SPARE];

namespace {

constexpr int32_t Fire_Width = 64;
constexpr int32_t Fire_Seed_Row = 83;
constexpr int32_t Row = 256;

uint8_t *plane_a() { return GFX_FlowPlanes; }
uint8_t *plane_b() { return GFX_FlowPlanes + GFX_FLOW_PLANE; }
uint8_t *spare() { return GFX_FlowPlanes + 2 * GFX_FLOW_PLANE; }

uint32_t load32(const uint8_t *p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void store32(uint8_t *p, uint32_t v) { std::memcpy(p, &v, 4); }

// The low half multiplied in 16 bits, the high half kept.
uint32_t mix_low(uint32_t v, uint32_t factor) { return (v & 0xFFFF0000u) | ((v * factor) & 0xFFFFu); }

// Four texels at once: each byte the average of its pair, a byte sum's carry passing into the next
// byte and the top byte's carry lost, as one 32-bit add gives.
uint32_t average4(uint32_t a, uint32_t b) { return ((a + b) & 0xFEFEFEFEu) >> 1; }

void rotate_row(uint8_t *row)
{
    const uint8_t first = row[0];
    std::memmove(row, row + 1, Row - 1);
    row[Row - 1] = first;
}

void average_rows(const uint8_t *a, const uint8_t *b, uint8_t *out, int32_t bytes)
{
    for (int32_t i = 0; i < bytes; i += 4) {
        store32(out + i, average4(load32(a + i), load32(b + i)));
    }
}

} // namespace

void GFX_UpdateFireTexture(uint8_t *map, uint32_t input)
{
    uint32_t v = input;
    uint32_t s = GFX_FireSeed;
    uint8_t *seed_row = map + Fire_Seed_Row * Fire_Width;
    for (int32_t k = 0; k < 16; k++) {
        v -= s;
        v = mix_low(v, 0x4D17);
        s ^= v;
        v &= 0xAFAFAFAFu;
        store32(seed_row + 4 * k, v);
        v = mix_low(v, 0x611F);
        s -= v;
    }
    GFX_FireSeed = s;

    // In place, bottom up: the row below is already this step's, the right neighbour still the last.
    for (int32_t r = Fire_Seed_Row - 1; r >= 1; r--) {
        uint8_t *row = map + r * Fire_Width;
        const uint8_t *below = row + Fire_Width;
        for (int32_t c = 1; c <= Fire_Width - 2; c++) {
            row[c] = uint8_t((row[c] + row[c + 1] + below[c - 1] + below[c]) >> 2);
        }
    }
}

void GFX_InitFlowTexture(const uint8_t *texture)
{
    std::memcpy(plane_a(), texture, GFX_FLOW_PLANE);
    std::memcpy(plane_b(), texture, GFX_FLOW_PLANE);
}

void GFX_ScrollFlowPlane()
{
    uint8_t *b = plane_b();
    std::memcpy(spare(), b, Row);
    std::memmove(b, b + Row, GFX_FLOW_PLANE - Row);
    std::memcpy(b + GFX_FLOW_PLANE - Row, spare(), Row);
}

void GFX_RotateFlowPlane()
{
    for (int32_t r = 0; r < Row; r++) {
        rotate_row(plane_a() + r * Row);
    }
}

// The rotation of each row of A is fused with its averaging, so the row is read while it is hot.
void GFX_StepFlowTexture(uint8_t *texture)
{
    GFX_ScrollFlowPlane();
    for (int32_t r = 0; r < Row; r++) {
        uint8_t *a = plane_a() + r * Row;
        rotate_row(a);
        average_rows(a, plane_b() + r * Row, texture + r * Row, Row);
    }
}

// The same step averaging A before its move: the rotated row's word at 4k is the old row's bytes
// 4k+1..4k+4, the last word wrapping to the row's first byte.
void GFX_StepFlowTexture2(uint8_t *texture)
{
    GFX_ScrollFlowPlane();
    for (int32_t r = 0; r < Row; r++) {
        uint8_t *a = plane_a() + r * Row;
        const uint8_t *b = plane_b() + r * Row;
        uint8_t *out = texture + r * Row;
        for (int32_t i = 0; i < Row - 4; i += 4) {
            store32(out + i, average4(load32(a + i + 1), load32(b + i)));
        }
        const uint8_t last[4] = {a[Row - 3], a[Row - 2], a[Row - 1], a[0]};
        store32(out + Row - 4, average4(load32(last), load32(b + Row - 4)));
        rotate_row(a);
    }
}

// The three stages one after the other over whole planes.
void GFX_StepFlowTexture3(uint8_t *texture)
{
    GFX_RotateFlowPlane();
    GFX_ScrollFlowPlane();
    average_rows(plane_a(), plane_b(), texture, GFX_FLOW_PLANE);
}

void GFX_ScrollTexture(uint8_t *texture)
{
    std::memcpy(spare(), texture, 2 * Row);
    std::memmove(texture, texture + 2 * Row, GFX_FLOW_PLANE - 2 * Row);
    std::memcpy(texture + GFX_FLOW_PLANE - 2 * Row, spare(), 2 * Row);
}
