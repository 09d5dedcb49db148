// Pictures of scene textures (see texture_pictures.h).
#include "tests/support/texture_pictures.h"

#include <cstring>

#include "core/dsp.h"
#include "engine3d/gfx_tint.h"
#include "films/hnm.h"
#include "films/hnm4.h"
#include "tests/support/demo_film.h"
#include "world/tex.h"

namespace kalder_test {

std::vector<uint16_t> PaintTexture(const uint8_t *texels, int32_t rows, const uint32_t palette[256])
{
    uint8_t table[1024];
    GFX_BuildSaturateTable();
    GFX_TintPalette(0, 0, 0, reinterpret_cast<const uint8_t *>(palette), table);
    std::vector<uint16_t> out(256 * size_t(rows));
    for (size_t k = 0; k < out.size(); k++) {
        uint32_t entry;
        std::memcpy(&entry, table + 4 * texels[k], 4);
        out[k] = uint16_t(entry >> 16);
    }
    return out;
}

std::vector<uint16_t> ShadeTablesPicture(const uint8_t *texels)
{
    std::vector<uint16_t> out(65536);
    for (int32_t k = 1; k <= 32; k++) {
        const uint8_t *table = texels - 1024 * k;
        for (int32_t row = 0; row < 8; row++) {
            for (int32_t i = 0; i < 256; i++) {
                uint32_t entry;
                std::memcpy(&entry, table + 4 * i, 4);
                out[size_t(((k - 1) * 8 + row) * 256 + i)] = uint16_t(entry >> 16);
            }
        }
    }
    return out;
}

std::vector<std::vector<uint16_t>> DemoAnimTextures()
{
    const Hnm4Film film = DemoAnimEncoded();
    std::vector<uint8_t> a(65536), b(65536), texture(65536);
    uint32_t palette[256] = {};
    HNM_Header header{};
    header.width = 256;
    header.height = 256;
    HNM_InitHNM4Decoder(a.data(), b.data(), &header);
    uint8_t *const saved = HNM_TargetTexture;
    HNM_TargetTexture = texture.data();
    std::vector<std::vector<uint16_t>> out;
    for (size_t p = 0; p < film.chunks.size(); p++) {
        if (p % kDemoAnimKeyInterval == 0) {
            const std::vector<uint8_t> chunk = PalettePayload(DemoAnimPalette(p != 0));
            TEX_DecodeFilmPalette(chunk.data(), uint32_t(chunk.size()), palette);
        }
        const Hnm4Chunk &c = film.chunks[p];
        HNM_DecodeHNM4Frame(1, c.subtype, c.payload.data(), uint32_t(c.payload.size()));
        out.push_back(PaintTexture(texture.data(), 256, palette));
    }
    HNM_CloseHNM4Decoder();
    HNM_TargetTexture = saved;
    return out;
}

} // namespace kalder_test
