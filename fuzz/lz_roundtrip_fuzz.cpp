// Fuzzes the LZ packer and both unpackers together: the input (at most 256 KB after its first byte,
// which picks the packer's options) must come back byte for byte, and the bounded form must succeed
// with the stream's exact length and the data's exact size.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/lz.h"
#include "tests/support/lz_packer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1 || size - 1 > 256 * 1024) {
        return 0;
    }
    kalder_test::LzPackOptions options;
    options.shortMatches = (data[0] & 1) == 0;
    options.longMatches = (data[0] & 2) == 0;
    options.forceExtended = (data[0] & 4) != 0;
    const uint8_t *input = data + 1;
    const size_t n = size - 1;

    std::vector<uint8_t> packed = kalder_test::LzPack(input, n, options);
    std::unique_ptr<uint8_t[]> stream(new uint8_t[packed.size()]);
    std::memcpy(stream.get(), packed.data(), packed.size());
    std::unique_ptr<uint8_t[]> out(new uint8_t[n]);

    if (LZ_Unpack(stream.get(), out.get()) != int32_t(n) || std::memcmp(out.get(), input, n) != 0) {
        std::abort();
    }
    std::memset(out.get(), 0, n);
    if (LZ_UnpackChecked(stream.get(), uint32_t(packed.size()), out.get(), uint32_t(n)) != int32_t(n) ||
        std::memcmp(out.get(), input, n) != 0) {
        std::abort();
    }
    return 0;
}
