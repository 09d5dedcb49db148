// The reference decoder of 256-colour film pictures: one pair at a time, every guard spelled out.
#include "tests/support/hnm4_model.h"

#include <cstring>

#include "core/lz.h"

namespace kalder_test {

Hnm4Model::Hnm4Model(int32_t width, int32_t height)
    : width_(width), height_(height), a_(size_t(width) * size_t(height), 0), b_(size_t(width) * size_t(height), 0)
{
}

bool Hnm4Model::CopyFits(int64_t i, int64_t j, int32_t count, int32_t mode) const
{
    const int64_t pairs = Pairs();
    for (int32_t n = 0; n < count; n++) {
        const int64_t s = (mode & 4) ? j - n : j + n;
        if (i + n < 0 || i + n >= pairs || s < 0 || s >= pairs) {
            return false;
        }
        if ((mode & 2) && (s - width_ < 0 || s - width_ >= pairs)) {
            return false;
        }
    }
    return true;
}

void Hnm4Model::CopyPair(int64_t j, int32_t n, int32_t mode, uint8_t out[2])
{
    const std::vector<uint8_t> &source = (mode & 1) ? Other() : Build();
    const int64_t s = (mode & 4) ? j - n : j + n;
    const uint8_t top = source[size_t(2 * s)];
    const uint8_t bottom = source[size_t(2 * s + 1)];
    const uint8_t above_bottom = (mode & 2) ? source[size_t(2 * (s - width_) + 1)] : 0;
    switch (mode & 10) {
    case 0: out[0] = top; out[1] = bottom; break;
    case 2: out[0] = above_bottom; out[1] = top; break;
    case 8: out[0] = bottom; out[1] = top; break;
    default: out[0] = top; out[1] = above_bottom; break;
    }
}

int32_t Hnm4Model::Delta(const std::vector<uint8_t> &ops)
{
    std::vector<uint8_t> &build = Build();
    const int64_t pairs = Pairs();
    int64_t i = 0;
    size_t at = 0;
    auto byte = [&](size_t k) { return ops[at + k]; };
    while (at < ops.size()) {
        const size_t left = ops.size() - at;
        const uint32_t count = byte(0) & 31;
        if (count == 0 && byte(0) >= 0x80) {
            return 1;
        }
        const size_t length = (count == 0 && byte(0) == 0x20) ? 2 : 3;
        if (left < length) {
            return 0;
        }
        if (count != 0) {
            const uint32_t op = byte(0) | uint32_t(byte(1)) << 8 | uint32_t(byte(2)) << 16;
            const int32_t mode = int32_t((op >> 5) & 15);
            const int64_t j = i + int64_t((op >> 9) & 0x7FFF) - 16384;
            if (!CopyFits(i, j, int32_t(count), mode)) {
                return 0;
            }
            for (uint32_t n = 0; n < count; n++) {
                uint8_t pair[2];
                CopyPair(j, int32_t(n), mode, pair);
                build[size_t(2 * (i + n))] = pair[0];
                build[size_t(2 * (i + n) + 1)] = pair[1];
            }
            i += count;
        } else if (byte(0) == 0x00) {
            if (i >= pairs) {
                return 0;
            }
            build[size_t(2 * i)] = byte(1);
            build[size_t(2 * i + 1)] = byte(2);
            i++;
        } else if (byte(0) == 0x20) {
            i += byte(1);
        } else if (byte(0) == 0x40) {
            i += byte(1) | byte(2) << 8;
        } else {
            for (uint32_t n = 0; n < byte(1); n++) {
                if (i >= pairs) {
                    return 0;
                }
                build[size_t(2 * i)] = byte(2);
                build[size_t(2 * i + 1)] = byte(2);
                i++;
            }
        }
        at += length;
    }
    return 1;
}

int32_t Hnm4Model::Decode(char subtype, const std::vector<uint8_t> &payload)
{
    int32_t result = 1;
    if (subtype == 'Z') {
        std::vector<uint8_t> &build = Build();
        if (payload.size() >= 4) {
            std::vector<uint8_t> scratch = build;
            const int32_t n = LZ_UnpackChecked(payload.data() + 4, uint32_t(payload.size() - 4), scratch.data(),
                                               uint32_t(scratch.size()));
            const size_t keep = n < 0 ? scratch.size() : size_t(n);
            std::copy(scratch.begin(), scratch.begin() + long(keep), build.begin());
            result = n < 0 ? 0 : 1;
        }
        Other() = build;
    } else if (subtype == 'U') {
        result = Delta(payload);
    }
    if (subtype == 'Z' || subtype == 'U') {
        last_in_a_ = &Build() == &a_;
    }
    counter_ = uint16_t(counter_ + 1);
    return result;
}

std::vector<uint8_t> Hnm4Model::Picture() const
{
    const std::vector<uint8_t> &from = last_in_a_ ? a_ : b_;
    std::vector<uint8_t> out(256 * size_t(height_), 0);
    for (int32_t y = 0; y < height_; y++) {
        for (int32_t c = 0; c < 256; c++) {
            out[size_t(y) * 256 + size_t(c)] = from[size_t((y / 2) * width_ + c) * 2 + size_t(y & 1)];
        }
    }
    return out;
}

} // namespace kalder_test
