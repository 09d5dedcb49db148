// A plain hi-colour picture decoder and blitter written from the format's description, pixel by pixel,
// for differential tests.
#pragma once
#include <cstdint>
#include <vector>

namespace kalder_test {

constexpr int kIvWidth = 640;
constexpr int kIvRows = 304;
constexpr int kIvFrame = kIvWidth * kIvRows;

// The columns of a run of length code code (0..31) in a band of h rows.
int IvModelRunLength(int code, int h);
// Entry i of window k as a byte offset.
int IvModelWindow(int k, int i);

// Decodes payload into output (kIvFrame bytes) with reference as the picture shown last; 1 when the
// frame ended through mode 0 or 1, 0 when it stopped at the first op outside the limits.
int IvModelDecode(const std::vector<uint8_t> &payload, const uint8_t *reference, uint8_t *output);

// The screen the blitter makes of a picture in a layout, over the screen's current contents (width x
// height pixels; layout 0 is 800 x 600).
void IvModelBlit(const uint8_t *picture, std::vector<uint16_t> &screen, int width, int height,
                 const uint32_t *pairs, int layout);

} // namespace kalder_test
