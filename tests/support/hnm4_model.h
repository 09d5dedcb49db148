// A pair-by-pair reference decoder of 256-colour film pictures, written from the format as plainly as
// it reads: the encoder's predictions, differential tests and the benchmark's check.
#pragma once
#include <cstdint>
#include <vector>

namespace kalder_test {

class Hnm4Model {
public:
    Hnm4Model(int32_t width, int32_t height);

    // One video chunk: 'Z' intra, 'U' delta, anything else only turns the roles. Returns 1 for a whole
    // picture, 0 for one stopped at damage.
    int32_t Decode(char subtype, const std::vector<uint8_t> &payload);
    // The buffers of the next call: even counter builds in B, odd in A.
    std::vector<uint8_t> &Build() { return (counter_ & 1) == 0 ? b_ : a_; }
    std::vector<uint8_t> &Other() { return (counter_ & 1) == 0 ? a_ : b_; }
    const std::vector<uint8_t> &A() const { return a_; }
    const std::vector<uint8_t> &B() const { return b_; }
    // The buffer the last picture was built in, as 256 x height rows (the target texture's picture).
    std::vector<uint8_t> Picture() const;
    int32_t Pairs() const { return width_ * height_ / 2; }
    int32_t Width() const { return width_; }

    // A copy op's guard: every destination, source and (shifted modes) source above inside the buffer.
    bool CopyFits(int64_t i, int64_t j, int32_t count, int32_t mode) const;
    // Pair n of a copy as the mode forms it from the current buffers (top, bottom).
    void CopyPair(int64_t j, int32_t n, int32_t mode, uint8_t out[2]);

private:
    int32_t Delta(const std::vector<uint8_t> &ops);

    int32_t width_;
    int32_t height_;
    uint16_t counter_ = 0;
    bool last_in_a_ = false;
    std::vector<uint8_t> a_;
    std::vector<uint8_t> b_;
};

} // namespace kalder_test
