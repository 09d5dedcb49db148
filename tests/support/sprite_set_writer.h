// Sprite-set files built in memory: the palette, pixel blocks, the directory and the trailer, with
// knobs that damage the directory or cut the file.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "tests/support/sprite_frames.h"

namespace kalder_test {

// One directory entry. The pixels are written as given (1 or 2 bytes a pixel, by the file); the
// damage knobs replace what is written for the offset, width or height.
struct SpriteSetEntry {
    int32_t width = 0, height = 0, hot_x = 0, hot_y = 0, spare = 0;
    std::vector<uint8_t> pixels;
    std::optional<int64_t> offset;
    std::optional<int32_t> written_width, written_height;
};

struct SpriteSetWriter {
    // RGB555 colours, as the file holds them.
    std::vector<uint16_t> palette = std::vector<uint16_t>(256, 0);
    // Written into every entry's palette field, which nothing may read.
    uint32_t palette_word = 0;
    uint32_t trailer = 0;
    // Entries with no pixels are written empty (offset 0) with their numbers.
    std::vector<SpriteSetEntry> entries = std::vector<SpriteSetEntry>(256);
    // When set, the image is cut to this many bytes.
    std::optional<size_t> cut_at;

    // A frame's pixels (either size) and hot spot into entry i.
    SpriteSetWriter &Put(int i, const SpriteFrame &frame);
    // Width x height pixels of raw bytes into entry i.
    SpriteSetWriter &Put(int i, int32_t width, int32_t height, int32_t hot_x, int32_t hot_y,
                         std::vector<uint8_t> pixels);
    // The palette from RGB565 colours (the test palette, say).
    SpriteSetWriter &PaletteFrom565(const uint16_t *colours);

    // Where the pixel block of entry i starts in Image() (0 when it has none).
    int64_t OffsetOf(int i) const;
    size_t Size() const;
    std::vector<uint8_t> Image() const;
};

// The cursor set of the demo installation's data\objet\sour.alp, 2-byte pixels over the test
// palette: 1 a 16 x 16 cross-hair whose alpha rises from its arms' ends to the centre, 2 the alpha
// icon, 3 a 32 x 16 bar fading left to right, 5 a 12 x 12 ring, the rest empty.
SpriteSetWriter CursorSet();

} // namespace kalder_test
