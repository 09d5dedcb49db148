// Seeds of the LZ harnesses, made with the stream builder and the packer: the format's corner streams
// and packed samples of each kind of data, in <folder>/lz_unpack and <folder>/lz_roundtrip.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/lz_packer.h"

namespace {

using Bytes = std::vector<uint8_t>;
using kalder_test::LzSample;

bool Write(const std::filesystem::path &file, const Bytes &bytes)
{
    std::FILE *f = std::fopen(file.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// An unpack seed: the room in 4 little-endian bytes, then the stream.
Bytes UnpackSeed(uint32_t capacity, const Bytes &stream)
{
    Bytes seed = {uint8_t(capacity), uint8_t(capacity >> 8), uint8_t(capacity >> 16), uint8_t(capacity >> 24)};
    seed.insert(seed.end(), stream.begin(), stream.end());
    return seed;
}

} // namespace

bool WriteLzSeeds(const char *folder)
{
    const std::filesystem::path unpack = std::filesystem::path(folder) / "lz_unpack";
    const std::filesystem::path roundtrip = std::filesystem::path(folder) / "lz_roundtrip";
    std::filesystem::create_directories(unpack);
    std::filesystem::create_directories(roundtrip);
    bool ok = true;

    std::vector<std::pair<uint32_t, Bytes>> corners = {
        {0, {0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00}},
        {10, {0x00, 0x00, 0x00, 0xA8, 'x', 0xFF, 0xFF, 0x00, 0x00, 0x00}},
    };
    Bytes straddling = {0xFE, 0xFF, 0xFF, 0xFF};
    for (int i = 0; i < 31; i++) {
        straddling.push_back(uint8_t('A' + i));
    }
    straddling.insert(straddling.end(), {0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00});
    corners.push_back({31, straddling});
    kalder_test::LzStreamBuilder families;
    for (int i = 0; i < 300; i++) {
        families.Literal(uint8_t(i * 7));
    }
    families.Short(2, 1);
    families.Short(5, 256);
    families.Long(9, 300);
    families.Long(3, 17, true);
    families.Long(257, 3);
    families.End(4321);
    corners.push_back({300 + 2 + 5 + 9 + 3 + 257, families.Bytes()});

    int index = 0;
    for (const auto &[capacity, stream] : corners) {
        ok = Write(unpack / ("corner" + std::to_string(index++)), UnpackSeed(capacity, stream)) && ok;
    }
    const LzSample kinds[] = {LzSample::Zeros, LzSample::Random, LzSample::Text,
                              LzSample::Runs,  LzSample::Texture, LzSample::Records};
    for (LzSample kind : kinds) {
        Bytes data = kalder_test::LzSampleData(kind, 4096, 3);
        std::string name = kalder_test::LzSampleName(kind);
        ok = Write(unpack / name, UnpackSeed(uint32_t(data.size()), kalder_test::LzPack(data.data(), data.size()))) &&
             ok;
        for (uint8_t options : {0, 1, 2, 3, 4}) {
            Bytes seed = {options};
            seed.insert(seed.end(), data.begin(), data.end());
            ok = Write(roundtrip / (name + std::to_string(options)), seed) && ok;
        }
    }
    return ok;
}
