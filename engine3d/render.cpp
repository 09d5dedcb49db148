// The render. Not built yet: it fills the frame with eight vertical colour bars (white, yellow, cyan,
// green, magenta, red, blue, black) in the display's pixel format, so that the screen shows a frame.
#include "engine3d/render.h"

#include <cstddef>

#include "core/dsp.h"
#include "core/scr.h"

void Render_Frame(uint16_t *frame)
{
    // Full-intensity red, green and blue of the two pixel formats.
    const uint16_t red = DSP_Rgb555 ? 0x7C00 : 0xF800;
    const uint16_t green = DSP_Rgb555 ? 0x03E0 : 0x07E0;
    const uint16_t blue = 0x001F;
    const uint16_t bars[8] = {
        uint16_t(red | green | blue), uint16_t(red | green), uint16_t(green | blue), green,
        uint16_t(red | blue), red, blue, 0,
    };
    const uint32_t width = SCR_Width;
    for (uint32_t y = 0; y < SCR_Height; y++) {
        uint16_t *row = frame + size_t(y) * width;
        for (uint32_t x = 0; x < width; x++) {
            row[x] = bars[size_t(x) * 8 / width];
        }
    }
}

// Placeholder settings until the render entry is built.
int32_t Background_Type = 14;
int32_t Debug_Level = 0;
