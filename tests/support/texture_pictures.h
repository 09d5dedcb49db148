// Pictures of scene textures for the goldens and kdev: 8-bit texels painted through a palette, and
// a texture's 32 shading tables as bands.
#pragma once
#include <cstdint>
#include <vector>

namespace kalder_test {

// 256 x rows texels painted through a palette of 0x00RRGGBB colours, converted as the texture
// shading converts them (no offset), in the display's pixel format.
std::vector<uint16_t> PaintTexture(const uint8_t *texels, int32_t rows, const uint32_t palette[256]);

// The 32 shading tables below a texture's texels as 32 bands of 8 rows of their 256 colours
// (table 1 at the top), 256 x 256.
std::vector<uint16_t> ShadeTablesPicture(const uint8_t *texels);

// The demo's texture film decoded chunk by chunk into a texture, its palette chunks read as the
// film's palette receiver reads them: the painted texture after pictures 1..60.
std::vector<std::vector<uint16_t>> DemoAnimTextures();

} // namespace kalder_test
