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

} // namespace kalder_test
