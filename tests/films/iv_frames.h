// Test frames of the hi-colour decoder: exactly sized heap blocks with known patterns, so that the
// address sanitizer sees an overrun either way.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <memory>
#include <vector>

#include "films/iv.h"
#include "tests/support/iv_model.h"

namespace iv_test {

inline uint8_t ReferencePixel(int64_t at) { return uint8_t(at * 7 + at / 640 * 13); }
inline uint8_t StalePixel(int64_t at) { return uint8_t(at * 3 + 101); }

struct Frames {
    std::unique_ptr<uint8_t[]> reference{new uint8_t[size_t(IV_FRAME_BYTES)]};
    std::unique_ptr<uint8_t[]> output{new uint8_t[size_t(IV_FRAME_BYTES)]};

    Frames()
    {
        for (int64_t i = 0; i < IV_FRAME_BYTES; i++) {
            reference[size_t(i)] = ReferencePixel(i);
            output[size_t(i)] = StalePixel(i);
        }
    }
    Frames(const Frames &other) : Frames()
    {
        std::memcpy(reference.get(), other.reference.get(), size_t(IV_FRAME_BYTES));
        std::memcpy(output.get(), other.output.get(), size_t(IV_FRAME_BYTES));
    }
    int32_t Decode(const std::vector<uint8_t> &payload)
    {
        // An exactly sized copy of the payload, so that a read past its end is caught.
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[payload.size() + (payload.empty() ? 1 : 0)]);
        if (!payload.empty()) {
            std::memcpy(bytes.get(), payload.data(), payload.size());
        }
        return HNM_DecodeIVPicture(bytes.get(), uint32_t(payload.size()), reference.get(), output.get()).whole;
    }
    int32_t Model(const std::vector<uint8_t> &payload)
    {
        return kalder_test::IvModelDecode(payload, reference.get(), output.get());
    }
    uint8_t At(int row, int column) const { return output[size_t(row * IV_WIDTH + column)]; }
};

// The first byte where two outputs differ, or -1.
inline int64_t FirstDifference(const Frames &a, const Frames &b)
{
    for (int64_t i = 0; i < IV_FRAME_BYTES; i++) {
        if (a.output[size_t(i)] != b.output[size_t(i)]) {
            return i;
        }
    }
    return -1;
}

struct FrameCase {
    std::string name;
    std::vector<uint8_t> payload;
    int32_t result;
    // The expected output pixel at every offset of the frame.
    std::function<uint8_t(int64_t)> expect;
};

inline void CheckCases(const std::vector<FrameCase> &cases)
{
    for (const FrameCase &c : cases) {
        SCOPED_TRACE(c.name);
        Frames f;
        EXPECT_EQ(f.Decode(c.payload), c.result);
        int64_t wrong = 0;
        for (int64_t at = 0; at < IV_FRAME_BYTES && wrong < 5; at++) {
            if (f.output[size_t(at)] != c.expect(at)) {
                ADD_FAILURE() << "pixel " << at % 640 << "," << at / 640 << " is " << int(f.output[size_t(at)])
                              << ", expected " << int(c.expect(at));
                wrong++;
            }
        }
    }
}

} // namespace iv_test
