// A frame buffer for drawing tests: points SCR_FrameBuffer, SCR_Width, SCR_Height and DSP_Rgb555 at
// a buffer of the chosen size filled with a known pattern, with a guard zone behind it, and puts all
// four back when it goes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kalder_test {

class ScreenTarget {
public:
    static constexpr uint16_t kGuard = 0xA5C3;

    ScreenTarget(int width, int height, bool rgb555 = false, int guard = 256);
    ~ScreenTarget();
    ScreenTarget(const ScreenTarget &) = delete;
    ScreenTarget &operator=(const ScreenTarget &) = delete;

    // The pattern a fresh target holds: every pixel differs from its neighbours and from the colours
    // the drawing tests use.
    static uint16_t Pattern(int x, int y) { return uint16_t(0x2104 + (x * 0x45 + y * 0x3B1) % 0x3000); }
    void FillPattern();
    void Fill(uint16_t colour);

    uint16_t *pixels() { return store_.data(); }
    uint16_t &at(int x, int y) { return store_[std::size_t(y) * std::size_t(width_) + std::size_t(x)]; }
    // The frame without the guard zone.
    std::vector<uint16_t> Frame() const;
    // True when nothing was written behind the frame.
    bool GuardIntact() const;
    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_, height_;
    std::vector<uint16_t> store_;
    uint16_t *saved_buffer_;
    uint32_t saved_width_, saved_height_;
    int32_t saved_rgb555_;
};

} // namespace kalder_test
