// kdev sym: the steps of a symbol file, as the symbol lists read them.
#include "tools/kdev/kdev_sym.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <fcntl.h>

#include "interface/sym.h"
#include "plat/files.h"

namespace {

bool read_whole(const char *path, std::vector<uint8_t> *bytes)
{
    const int fd = PLAT_Open(path, O_RDONLY);
    if (fd < 0) {
        return false;
    }
    uint8_t chunk[4096];
    int32_t n;
    while ((n = PLAT_Read(fd, chunk, sizeof chunk)) > 0) {
        bytes->insert(bytes->end(), chunk, chunk + n);
    }
    PLAT_Close(fd);
    return n == 0;
}

std::string describe_id(uint8_t id)
{
    if ((id & SYM_HIDDEN) != 0) {
        std::string out = "[";
        out += std::to_string(id);
        out += ']';
        return out;
    }
    if (id >= SYM_WORD_COUNT) {
        return std::to_string(id) + "?";
    }
    std::string out = std::to_string(id);
    out += ':';
    out += SYM_Words[id].text;
    return out;
}

} // namespace

int KdevSym(const char *path)
{
    std::vector<uint8_t> bytes;
    if (!read_whole(path, &bytes)) {
        std::printf("cannot read %s\n", path);
        return 1;
    }
    const uint32_t size = uint32_t(bytes.size());
    std::printf("%s: %u bytes\n", path, unsigned(size));
    std::printf("%5s %6s %6s %4s  %s\n", "step", "offset", "length", "kind", "ids / text");
    uint32_t offset = 0;
    for (int32_t k = 0;; k++) {
        SYM_Step step{};
        if (offset >= size) {
            std::printf("end of the data at offset %u: the walk stops after %d steps\n", unsigned(offset), k);
            break;
        }
        if (!SYM_StepAt(bytes.data(), size, offset, &step)) {
            if (size - offset < 3) {
                std::printf("offset %u: %u bytes left, short of a step: the walk stops\n", unsigned(offset),
                            unsigned(size - offset));
            } else if (bytes[offset] == 0) {
                std::printf("offset %u: a length byte of 0: the walk stops\n", unsigned(offset));
            } else {
                std::printf("offset %u: the step (length %u, %u ids) runs past its length or the data: the walk stops\n",
                            unsigned(offset), unsigned(bytes[offset]), unsigned(bytes[offset + 2]));
            }
            break;
        }
        std::string ids;
        for (int32_t i = 0; i < step.id_count; i++) {
            if (i > 0) {
                ids += ' ';
            }
            ids += describe_id(step.ids[i]);
        }
        std::printf("%5d %6u %6u %4s  %s\n", k, unsigned(offset), unsigned(step.length),
                    step.kind == 0 ? "key" : "said", ids.c_str());
        std::printf("%5s %6s %6s %4s  \"%.*s\"\n", "", "", "", "", int(step.text_length),
                    reinterpret_cast<const char *>(step.text));
        offset += step.length;
    }
    return 0;
}
