// Writes scene streams from their layout (see dsn_writer.h).
#include "tests/support/dsn_writer.h"

#include <cstring>
#include <fstream>
#include <random>

#include "tests/support/lz_packer.h"

namespace kalder_test {

namespace {

// Where each part's texels sit inside an 8 x 8 cell, in the order the parts are stored.
constexpr uint8_t Origins[64][2] = {
    {0, 0}, {4, 0}, {0, 4}, {4, 4}, {2, 0}, {6, 0}, {2, 4}, {6, 4},
    {0, 2}, {4, 2}, {0, 6}, {4, 6}, {2, 2}, {6, 2}, {2, 6}, {6, 6},
    {1, 0}, {5, 0}, {1, 4}, {5, 4}, {3, 0}, {7, 0}, {3, 4}, {7, 4},
    {1, 2}, {5, 2}, {1, 6}, {5, 6}, {3, 2}, {7, 2}, {3, 6}, {7, 6},
    {0, 1}, {4, 1}, {0, 5}, {4, 5}, {2, 1}, {6, 1}, {2, 5}, {6, 5},
    {0, 3}, {4, 3}, {0, 7}, {4, 7}, {2, 3}, {6, 3}, {2, 7}, {6, 7},
    {1, 1}, {5, 1}, {1, 5}, {5, 5}, {3, 1}, {7, 1}, {3, 5}, {7, 5},
    {1, 3}, {5, 3}, {1, 7}, {5, 7}, {3, 3}, {7, 3}, {3, 7}, {7, 7},
};

void Put32(std::vector<uint8_t> &out, int32_t v)
{
    uint8_t b[4];
    std::memcpy(b, &v, 4);
    out.insert(out.end(), b, b + 4);
}

std::vector<uint8_t> Pack(const std::vector<uint8_t> &data) { return LzPack(data.data(), data.size()); }

} // namespace

std::vector<uint8_t> DsnImage(const std::vector<uint8_t> &file)
{
    return file.size() > 8 ? std::vector<uint8_t>(file.begin() + 8, file.end()) : std::vector<uint8_t>{};
}

std::vector<uint8_t> DsnMapRecord(const std::vector<uint8_t> &materialFile)
{
    std::vector<uint8_t> image = DsnImage(materialFile);
    image.resize(20);
    return image;
}

std::vector<uint8_t> DsnPart(const std::vector<uint8_t> &picture, int part)
{
    std::vector<uint8_t> tile(1024);
    for (int v = 0; v < 32; v++) {
        for (int u = 0; u < 32; u++) {
            tile[size_t(v * 32 + u)] = picture[size_t((Origins[part][1] + 8 * v) * 256 + Origins[part][0] + 8 * u)];
        }
    }
    return tile;
}

std::vector<uint8_t> DsnTestPicture(uint32_t seed)
{
    std::vector<uint8_t> picture(65536);
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 256; x++) {
            const uint32_t cell = uint32_t((y >> 3) * 32 + (x >> 3));
            picture[size_t(y * 256 + x)] = uint8_t(((x & 7) ^ ((y & 7) * 7)) + (cell * 37 + seed * 11) * 8);
        }
    }
    return picture;
}

std::vector<uint8_t> DsnWriter::Bytes() const
{
    const size_t m = maps.size();
    // Blocks: type and data, in file order.
    std::vector<std::pair<uint8_t, std::vector<uint8_t>>> blocks;
    std::vector<uint8_t> tables;
    const uint16_t written = uint16_t(count >= 0 ? count : int32_t(m));
    tables.push_back(uint8_t(written));
    tables.push_back(uint8_t(written >> 8));
    for (const DsnMap &map : maps) {
        char name[11] = {};
        std::memcpy(name, map.name.data(), std::min<size_t>(11, map.name.size()));
        tables.insert(tables.end(), name, name + 11);
    }
    for (const DsnMap &map : maps) {
        std::vector<uint8_t> record = map.record;
        record.resize(20);
        tables.insert(tables.end(), record.begin(), record.end());
    }
    blocks.push_back({0, tables});
    blocks.push_back({1, model_raw.empty() ? Pack(DsnImage(model)) : model_raw});
    blocks.push_back({2, Pack(DsnImage(collision))});
    std::vector<uint8_t> palettes;
    for (const DsnMap &map : maps) {
        for (int i = 0; i < 256; i++) {
            Put32(palettes, int32_t(uint32_t(i < int(map.palette.size()) ? map.palette[size_t(i)] : 0) << 16));
        }
    }
    blocks.push_back({3, palettes});
    for (int p = 0; p < 64; p++) {
        std::vector<uint8_t> parts;
        for (const DsnMap &map : maps) {
            const std::vector<uint8_t> tile = DsnPart(map.picture, p);
            parts.insert(parts.end(), tile.begin(), tile.end());
        }
        blocks.push_back({4, parts});
    }

    std::vector<std::vector<uint8_t>> encoded;
    std::mt19937 random(77);
    for (size_t b = 0; b < blocks.size(); b++) {
        auto [type, data] = blocks[b];
        if (int32_t(b) == raw_block) {
            for (uint8_t &byte : data) {
                byte = uint8_t(random());
            }
        }
        std::vector<uint8_t> out;
        out.push_back(int32_t(b) == retype_block ? uint8_t(new_type) : type);
        Put32(out, int32_t(b) == relength_block ? new_length : int32_t(data.size() + 5));
        out.insert(out.end(), data.begin(), data.end());
        encoded.push_back(out);
    }
    if (swap_a >= 0 && swap_b >= 0) {
        std::swap(encoded[size_t(swap_a)], encoded[size_t(swap_b)]);
    }

    std::vector<uint8_t> file(magic.begin(), magic.end());
    file.resize(4, 0);
    file.push_back(byte4);
    Put32(file, header);
    for (size_t b = 0; b < encoded.size(); b++) {
        if (int32_t(b) == drop_block) {
            continue;
        }
        for (int k = int32_t(b) == repeat_block ? 2 : 1; k > 0; k--) {
            file.insert(file.end(), encoded[b].begin(), encoded[b].end());
        }
    }
    file.insert(file.end(), appended.begin(), appended.end());
    if (cut_at < file.size()) {
        file.resize(cut_at);
    }
    return file;
}

bool DsnWriter::WriteTo(const std::string &hostPath) const
{
    const std::vector<uint8_t> bytes = Bytes();
    std::ofstream out(hostPath, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

} // namespace kalder_test
