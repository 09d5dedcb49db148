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

    // A plane given at the edge: 1/z, u (texels) and v (texels) at the edge's column, and their steps
    // per column. u/z and v/z are formed from them; the 16-column steps are 16 times the column steps.
    void Plane(float edge_x, float w, float dw, float u_at, float du, float v_at, float dv)
    {
        Set32(SURF_X, int32_t(edge_x * 4096));
        SetF(SURF_DEPTH, w);
        SetF(SURF_DEPTH_X, dw);
        SetF(SURF_DEPTH_16, dw * 16);
        SetF(SURF_U, u_at * 65536.0f * w);
        SetF(SURF_V, v_at * 65536.0f * w);
        // u/z gets a linear step of its own, in texels of u at 1/z = 1.
        SetF(SURF_U_X, du * 65536.0f);
        SetF(SURF_V_X, dv * 65536.0f);
        SetF(SURF_U_16, du * 65536.0f * 16);
        SetF(SURF_V_16, dv * 65536.0f * 16);
        Set8(SURF_SHADE, 0);
    }

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

    // Affine coordinates and steps far off the map, through shading row 0.
    static constexpr int32_t kFarU = 0x7FFF0000, kFarV = 0x7FF00000, kFarDu = 0x01230000, kFarDv = 0x00450000;
    void FarAffine()
    {
        Set32(SURF_X, 0);
        Set32(SURF_U, kFarU);
        Set32(SURF_V, kFarV);
        Set32(SURF_U_X, kFarDu);
        Set32(SURF_V_X, kFarDv);
        Set8(SURF_SHADE, 0);
    }
};

} // namespace kalder_test
