// Pattern files for streaming tests (see pattern_file.h).
#include "tests/support/pattern_file.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace kalder_test {

size_t PatternMismatch(const uint8_t *data, size_t n, uint32_t offset)
{
    for (size_t i = 0; i < n; i++) {
        if (data[i] != PatternByte(offset + uint32_t(i))) {
            return i;
        }
    }
    return n;
}

bool WritePatternFile(const std::string &hostPath, uint32_t size)
{
    FILE *f = std::fopen(hostPath.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    std::vector<uint8_t> chunk(0x10000);
    bool ok = true;
    for (uint32_t at = 0; at < size && ok;) {
        uint32_t n = std::min<uint32_t>(uint32_t(chunk.size()), size - at);
        for (uint32_t i = 0; i < n; i++) {
            chunk[i] = PatternByte(at + i);
        }
        ok = std::fwrite(chunk.data(), 1, n, f) == n;
        at += n;
    }
    return std::fclose(f) == 0 && ok;
}

} // namespace kalder_test
