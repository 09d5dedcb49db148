// Writes containers from their layout (see dan_writer.h).
#include "tests/support/dan_writer.h"

#include <cstring>
#include <fstream>
#include <random>

#include "tests/support/dsn_writer.h"
#include "tests/support/lz_packer.h"

namespace kalder_test {

namespace {

void Put32(std::vector<uint8_t> &out, int32_t v)
{
    uint8_t b[4];
    std::memcpy(b, &v, 4);
    out.insert(out.end(), b, b + 4);
}

void Put16(std::vector<uint8_t> &out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void PutName(std::vector<uint8_t> &out, const std::string &name, size_t field)
{
    std::vector<uint8_t> bytes(field, 0);
    for (size_t i = 0; i < name.size() && i < field; i++) {
        const char c = name[i];
        bytes[i] = uint8_t(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
}

} // namespace

size_t DanWriter::AnimNamesAt() const { return 18 + 11 * maps.size(); }

std::vector<size_t> DanWriter::BlockOffsets() const
{
    std::vector<size_t> offsets;
    const std::vector<uint8_t> bytes = [this] {
        DanWriter whole = *this;
        whole.cut_at = SIZE_MAX;
        return whole.Bytes();
    }();
    size_t at = AnimNamesAt() + 13 * anims.size();
    while (at + 5 <= bytes.size()) {
        offsets.push_back(at);
        int32_t length;
        std::memcpy(&length, bytes.data() + at + 1, 4);
        at += size_t(length < 5 ? 5 : length);
    }
    return offsets;
}

std::vector<uint8_t> DanWriter::Bytes() const
{
    std::vector<uint8_t> file(magic.begin(), magic.end());
    file.resize(4, 0);
    file.push_back(byte4);
    Put32(file, header);
    const size_t tablesLength = 2 + 11 * maps.size() + 2 + 13 * anims.size();
    file.push_back(tables_type);
    Put32(file, int32_t(tablesLength + 5));
    Put16(file, uint16_t(map_count >= 0 ? map_count : int32_t(maps.size())));
    for (const DanEntry &map : maps) {
        PutName(file, map.name, 11);
    }
    Put16(file, uint16_t(anim_count >= 0 ? anim_count : int32_t(anims.size())));
    for (const DanEntry &anim : anims) {
        PutName(file, anim.name, 13);
    }
    std::vector<std::pair<uint8_t, const std::vector<uint8_t> *>> blocks = {{1, &model}};
    for (const DanEntry &map : maps) {
        blocks.push_back({2, &map.file});
    }
    for (const DanEntry &anim : anims) {
        blocks.push_back({3, &anim.file});
    }
    std::mt19937 random(99);
    for (size_t b = 0; b < blocks.size(); b++) {
        const std::vector<uint8_t> image = DsnImage(*blocks[b].second);
        std::vector<uint8_t> packed = LzPack(image.data(), image.size());
        if (int32_t(b) == raw_block) {
            for (uint8_t &byte : packed) {
                byte = uint8_t(random());
            }
        }
        if (int32_t(b) == pad_block && packed.size() < pad_to) {
            packed.resize(pad_to, 0);
        }
        file.push_back(int32_t(b) == retype_block ? uint8_t(new_type) : blocks[b].first);
        Put32(file, int32_t(b) == relength_block ? new_length : int32_t(packed.size() + 5));
        file.insert(file.end(), packed.begin(), packed.end());
    }
    if (cut_at < file.size()) {
        file.resize(cut_at);
    }
    return file;
}

bool DanWriter::WriteTo(const std::string &hostPath) const
{
    const std::vector<uint8_t> bytes = Bytes();
    std::ofstream out(hostPath, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

} // namespace kalder_test
