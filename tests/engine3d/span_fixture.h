// A work area with one edge record and one texture for driving span routines by hand.
#pragma once
#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "engine3d/render.h"
#include "engine3d/span.h"
#include "engine3d/span_routines.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "tests/support/engine_area.h"
#include "tests/support/span_texture.h"

namespace kalder_test {

// Every texel different along a row and from row to row, so a wrong row or column shows.
inline void FillHashTexels(uint8_t *texels)
{
    for (uint32_t i = 0; i < 65536; i++) {
        texels[i] = uint8_t((i & 0xFF) ^ ((i >> 8) * 37));
    }
}

// The texel offset an affine span reads at pixel k: exact 16.16 steps, kept inside the map.
inline uint32_t AffineTexel(uint32_t u, uint32_t v, int32_t k, int32_t du, int32_t dv)
{
    const uint32_t uk = u + uint32_t(k) * uint32_t(du);
    const uint32_t vk = v + uint32_t(k) * uint32_t(dv);
    return (uint32_t(int32_t(vk) >> 16) * 256 + uint32_t(int32_t(uk) >> 16)) & 0xFFFF;
}

class SpanTest : public ::testing::Test {
protected:
    SpanTest()
    {
        Set_Screen_Size(320, 240);
        Set_Viewport(320, 240, 0, 0, 640);
        const Addr block = Mem_Alloc(kTextureBytes);
        texture_start = W_Ptr(block);
        texture = block + kShadeTableBytes;
        surface = Mem_Alloc(112);
        FillRowTable(texture_start);
        Set32(SURF_TEXTURE, int32_t(texture));
        std::memset(line, 0, sizeof line);
    }
    ~SpanTest() override
    {
        Set_Clear_Colour(0);
        Set_Background_Picture(nullptr);
        Current_Scanline = 0;
    }

    void Set32(uint32_t offset, int32_t value) { P_Set32(W_Ptr(surface) + offset, value); }
    void SetF(uint32_t offset, float value) { std::memcpy(W_Ptr(surface) + offset, &value, 4); }
    void Set8(uint32_t offset, uint8_t value) { W_Ptr(surface)[offset] = value; }
    void SetColour(uint16_t c) { std::memcpy(W_Ptr(surface) + SURF_COLOUR, &c, 2); }
    uint8_t *texels() { return texture_start + kShadeTableBytes; }

    // Draws type `type` over columns [x_start, x_start + count) of `line` through the table.
    void Draw(int32_t type, int32_t x_start, int32_t count)
    {
        Span_Routines[type - Span_Type_First](line + x_start, count, x_start, surface);
    }

    EngineArea area;
    uint8_t *texture_start;
    uint32_t texture;
    uint32_t surface;
    alignas(4) uint16_t line[320];
};

// A texture at the very end of the work area: any read past its 64 KB map leaves the area, which
// AddressSanitizer reports.
class SpanEdgeOfAreaTest : public SpanTest {
protected:
    SpanEdgeOfAreaTest()
    {
        const uint32_t start = Work_Size - kTextureBytes;
        FillRowTable(Work_Area + start);
        for (uint32_t i = 0; i < 65536; i++) {
            Work_Area[start + kShadeTableBytes + i] = uint8_t(i ^ (i >> 8));
        }
        Set32(SURF_TEXTURE, int32_t(start + kShadeTableBytes));
    }
};

} // namespace kalder_test
