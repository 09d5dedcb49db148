// Pack writer: header, data and 267-byte directory records, laid out as the pack reader expects.
#include "tests/support/pack_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kalder_test {

static void put_u32(std::vector<uint8_t> &image, size_t at, uint32_t value)
{
    std::memcpy(image.data() + at, &value, 4);
}

std::vector<uint8_t> PackImage(const std::vector<PackWriterEntry> &entries, const PackWriterOptions &options)
{
    const size_t record = 267;
    size_t directory_size = entries.size() * record;
    // With the directory first, its room is made with the header; otherwise it follows the data.
    std::vector<uint8_t> image(16 + (options.directory_first ? directory_size : 0), 0);
    std::memcpy(image.data(), options.magic.data(), std::min<size_t>(options.magic.size(), 4));
    size_t directory = options.directory_first ? 16 : 0;
    std::vector<uint32_t> offsets;
    for (const PackWriterEntry &e : entries) {
        if (e.offset >= 0) {
            offsets.push_back(uint32_t(e.offset));
            continue;
        }
        offsets.push_back(uint32_t(image.size()));
        image.insert(image.end(), e.bytes.begin(), e.bytes.end());
    }
    if (!options.directory_first) {
        directory = image.size();
        image.resize(image.size() + directory_size, 0);
    }
    for (size_t i = 0; i < entries.size(); i++) {
        const PackWriterEntry &e = entries[i];
        std::string name = e.name;
        if (options.upper_names) {
            for (char &c : name) {
                c = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
            }
        }
        size_t at = directory + i * record;
        std::memcpy(image.data() + at, name.data(), std::min<size_t>(name.size(), 259));
        put_u32(image, at + 259, offsets[i]);
        put_u32(image, at + 263, uint32_t(e.size >= 0 ? e.size : int64_t(e.bytes.size())));
    }
    put_u32(image, 8, uint32_t(options.directory_offset >= 0 ? options.directory_offset : int64_t(directory)));
    put_u32(image, 12, uint32_t(options.count >= 0 ? options.count : int64_t(entries.size())));
    if (options.truncate_at >= 0 && size_t(options.truncate_at) < image.size()) {
        image.resize(size_t(options.truncate_at));
    }
    return image;
}

bool WriteHostFile(const std::string &host_path, const std::vector<uint8_t> &bytes)
{
    std::FILE *out = std::fopen(host_path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}

bool WritePack(const std::string &host_path, const std::vector<PackWriterEntry> &entries,
               const PackWriterOptions &options)
{
    return WriteHostFile(host_path, PackImage(entries, options));
}

} // namespace kalder_test
