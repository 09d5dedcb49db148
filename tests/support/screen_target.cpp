// A frame buffer for drawing tests (see screen_target.h).
#include "tests/support/screen_target.h"

#include <algorithm>

#include "core/dsp.h"
#include "core/scr.h"

namespace kalder_test {

ScreenTarget::ScreenTarget(int width, int height, bool rgb555, int guard)
    : width_(width), height_(height), store_(size_t(width) * size_t(height) + size_t(guard), kGuard),
      saved_buffer_(SCR_FrameBuffer), saved_width_(SCR_Width), saved_height_(SCR_Height), saved_rgb555_(DSP_Rgb555)
{
    // The allocator's blocks are at least 16-byte aligned: the 4 bytes the 32-bit pixel pairs need.
    FillPattern();
    SCR_FrameBuffer = store_.data();
    SCR_Width = uint32_t(width);
    SCR_Height = uint32_t(height);
    DSP_Rgb555 = rgb555 ? 1 : 0;
}

ScreenTarget::~ScreenTarget()
{
    SCR_FrameBuffer = saved_buffer_;
    SCR_Width = saved_width_;
    SCR_Height = saved_height_;
    DSP_Rgb555 = saved_rgb555_;
}

void ScreenTarget::FillPattern()
{
    for (int y = 0; y < height_; y++) {
        for (int x = 0; x < width_; x++) {
            at(x, y) = Pattern(x, y);
        }
    }
}

void ScreenTarget::Fill(uint16_t colour) { std::fill_n(store_.begin(), size_t(width_) * size_t(height_), colour); }

std::vector<uint16_t> ScreenTarget::Frame() const
{
    return std::vector<uint16_t>(store_.begin(), store_.begin() + std::ptrdiff_t(width_) * height_);
}

bool ScreenTarget::GuardIntact() const
{
    return std::all_of(store_.begin() + std::ptrdiff_t(width_) * height_, store_.end(),
                       [](uint16_t p) { return p == kGuard; });
}

} // namespace kalder_test
