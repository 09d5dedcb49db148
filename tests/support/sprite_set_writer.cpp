// Builds sprite-set file images for the loader's tests, the fonts, the demo files and the fuzz seeds.
#include "tests/support/sprite_set_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kalder_test {

namespace {

void put32(std::vector<uint8_t> &out, size_t at, uint32_t v)
{
    for (int k = 0; k < 4; k++) {
        out[at + size_t(k)] = uint8_t(v >> (8 * k));
    }
}

constexpr size_t Palette_Bytes = 512, Directory_Bytes = 256 * 28;

} // namespace

SpriteSetWriter &SpriteSetWriter::Put(int i, const SpriteFrame &frame)
{
    return Put(i, frame.entry.width, frame.entry.height, frame.entry.hot_x, frame.entry.hot_y, frame.pixels);
}

SpriteSetWriter &SpriteSetWriter::Put(int i, int32_t width, int32_t height, int32_t hot_x, int32_t hot_y,
                                      std::vector<uint8_t> pixels)
{
    SpriteSetEntry &e = entries.at(size_t(i));
    e.width = width;
    e.height = height;
    e.hot_x = hot_x;
    e.hot_y = hot_y;
    e.pixels = std::move(pixels);
    return *this;
}

SpriteSetWriter &SpriteSetWriter::PaletteFrom565(const uint16_t *colours)
{
    for (size_t i = 0; i < 256; i++) {
        palette[i] = uint16_t((colours[i] >> 1 & 0x7FE0) | (colours[i] & 0x1F));
    }
    return *this;
}

int64_t SpriteSetWriter::OffsetOf(int i) const
{
    int64_t at = Palette_Bytes;
    for (int k = 0; k < 256; k++) {
        if (entries[size_t(k)].pixels.empty()) {
            continue;
        }
        if (k == i) {
            return at;
        }
        at += int64_t(entries[size_t(k)].pixels.size());
    }
    return 0;
}

size_t SpriteSetWriter::Size() const
{
    size_t size = Palette_Bytes + Directory_Bytes + 4;
    for (const SpriteSetEntry &e : entries) {
        size += e.pixels.size();
    }
    return size;
}

std::vector<uint8_t> SpriteSetWriter::Image() const
{
    std::vector<uint8_t> out(Size());
    for (size_t i = 0; i < 256; i++) {
        out[2 * i] = uint8_t(palette[i]);
        out[2 * i + 1] = uint8_t(palette[i] >> 8);
    }
    size_t at = Palette_Bytes;
    const size_t directory = out.size() - Directory_Bytes - 4;
    for (size_t i = 0; i < 256; i++) {
        const SpriteSetEntry &e = entries[i];
        const size_t d = directory + i * 28;
        int64_t offset = 0;
        if (!e.pixels.empty()) {
            std::copy(e.pixels.begin(), e.pixels.end(), out.begin() + std::ptrdiff_t(at));
            offset = int64_t(at);
            at += e.pixels.size();
        }
        put32(out, d, palette_word);
        put32(out, d + 4, uint32_t(e.written_width.value_or(e.width)));
        put32(out, d + 8, uint32_t(e.written_height.value_or(e.height)));
        put32(out, d + 12, uint32_t(e.hot_x));
        put32(out, d + 16, uint32_t(e.hot_y));
        put32(out, d + 20, uint32_t(e.spare));
        put32(out, d + 24, uint32_t(e.offset.value_or(offset)));
    }
    put32(out, out.size() - 4, trailer);
    if (cut_at && *cut_at < out.size()) {
        out.resize(*cut_at);
    }
    return out;
}

SpriteSetWriter CursorSet()
{
    SpriteSetWriter w;
    w.PaletteFrom565(TestPalette());
    w.trailer = 0x52554F53;
    std::vector<uint8_t> cross;
    for (int y = 0; y < 16; y++) {
        for (int x = 0; x < 16; x++) {
            const int dx = std::abs(2 * x - 15), dy = std::abs(2 * y - 15);
            const bool arm = (dx <= 1 && dy >= 3) || (dy <= 1 && dx >= 3);
            const int reach = std::max(dx, dy);
            cross.push_back(arm ? kPalWhite : dx <= 1 && dy <= 1 ? kPalRed : 0);
            cross.push_back(arm ? uint8_t(63 - (reach - 3) * 5) : dx <= 1 && dy <= 1 ? 63 : 0);
        }
    }
    w.Put(1, 16, 16, 8, 8, cross);
    w.Put(2, MakeAlphaIcon());
    w.entries[2].hot_x = w.entries[2].hot_y = 12;
    std::vector<uint8_t> bar;
    for (int y = 0; y < 16; y++) {
        for (int x = 0; x < 32; x++) {
            bar.push_back(y < 2 || y > 13 ? kPalGrey : kPalCyan);
            bar.push_back(uint8_t(x * 2 + 1));
        }
    }
    w.Put(3, 32, 16, 0, 0, bar);
    std::vector<uint8_t> ring;
    for (int y = 0; y < 12; y++) {
        for (int x = 0; x < 12; x++) {
            const double r = std::hypot(x - 5.5, y - 5.5);
            const bool on = r > 3.5 && r < 5.9;
            ring.push_back(on ? kPalGreen : 0);
            ring.push_back(on ? 63 : 0);
        }
    }
    w.Put(5, 12, 12, 6, 6, ring);
    return w;
}

} // namespace kalder_test
