// The hi-colour frame blitter in every layout against the plain reference, on exactly sized buffers.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "films/hnm_screen.h"
#include "films/iv.h"
#include "tests/support/iv_model.h"

namespace {

constexpr uint16_t kCanary = 0xA5C3;

// A pair table of a palette whose colour i is colour(i).
template <typename Colour>
std::vector<uint32_t> Pairs(Colour colour)
{
    std::vector<uint32_t> pairs(65536);
    for (uint32_t hi = 0; hi < 256; hi++) {
        for (uint32_t lo = 0; lo < 256; lo++) {
            pairs[hi * 256 + lo] = colour(lo) | uint32_t(colour(hi)) << 16;
        }
    }
    return pairs;
}

struct Size {
    int width, height, layout;
};
const Size kSizes[] = {{640, 480, 5}, {640, 400, 1}, {400, 300, -1}, {320, 400, 2}, {320, 200, 4}, {800, 600, 0}};

// Blits into an exactly sized screen full of the canary; the picture holds rows rows of 640.
std::vector<uint16_t> Blit(const std::vector<uint8_t> &picture_bytes, Size size, const std::vector<uint32_t> &pairs)
{
    const size_t pixels = size_t(size.width) * size_t(size.height);
    std::unique_ptr<uint8_t[]> picture(new uint8_t[picture_bytes.size()]);
    std::copy(picture_bytes.begin(), picture_bytes.end(), picture.get());
    std::unique_ptr<uint16_t[]> screen(new uint16_t[pixels]);
    std::fill(screen.get(), screen.get() + pixels, kCanary);
    HNM_BlitIVFrame(picture.get(), screen.get(), pairs.data(), size.layout);
    return {screen.get(), screen.get() + pixels};
}

TEST(IvBlit, EveryLayoutMatchesTheReference)
{
    std::vector<uint8_t> picture(static_cast<size_t>(IV_FRAME_BYTES));
    for (size_t i = 0; i < picture.size(); i++) {
        picture[i] = uint8_t(i * 31 + i / 640 * 7);
    }
    // 5-6-5 and 5-5-5 colours: the blitter copies the table's words whatever their format.
    const std::vector<uint32_t> palettes[] = {Pairs([](uint32_t i) { return uint16_t(i * 0x0841 + 3); }),
                                              Pairs([](uint32_t i) { return uint16_t((i * 0x0421 + 5) & 0x7FFF); })};
    for (const auto &pairs : palettes) {
        for (Size size : kSizes) {
            SCOPED_TRACE(testing::Message() << size.width << "x" << size.height);
            // Layout 0 reads at most 300 rows: its picture is exactly that big.
            std::vector<uint8_t> shown = picture;
            if (size.layout == 0) {
                shown.resize(640 * 300);
            }
            std::vector<uint16_t> expected(size_t(size.width * size.height), kCanary);
            kalder_test::IvModelBlit(shown.data(), expected, size.width, size.height, pairs.data(), size.layout);
            EXPECT_TRUE(Blit(shown, size, pairs) == expected);
        }
    }
    // At 400 x 300 nothing is drawn and nothing cleared.
    const std::vector<uint16_t> untouched = Blit(picture, {400, 300, -1}, palettes[0]);
    EXPECT_EQ(std::count(untouched.begin(), untouched.end(), kCanary), 400 * 300);
}

TEST(IvBlit, PicturesLandWhereTheScreenSizeSays)
{
    const auto pairs = Pairs([](uint32_t i) { return uint16_t(i == 255 ? 0xF00F : i + 0x100); });
    // All index 5 in layout 1: rows 50..349 colour 5, the bands black.
    const std::vector<uint16_t> flat = Blit(std::vector<uint8_t>(size_t(IV_FRAME_BYTES), 5), {640, 400, 1}, pairs);
    for (int y = 0; y < 400; y++) {
        const uint16_t want = y >= 50 && y < 350 ? 0x105 : 0;
        EXPECT_EQ(std::count(flat.begin() + y * 640, flat.begin() + (y + 1) * 640, want), 640) << "row " << y;
    }
    // On 320 x 200 picture (2x, 2y) lands at (x, 25 + y); odd rows and columns, index 255, are never read.
    std::vector<uint8_t> picture(static_cast<size_t>(IV_FRAME_BYTES));
    for (int y = 0; y < IV_ROWS; y++) {
        for (int x = 0; x < 640; x++) {
            picture[size_t(y * 640 + x)] = (x % 2 || y % 2) ? 255 : uint8_t((x / 2 + y / 2 * 3) % 200);
        }
    }
    const std::vector<uint16_t> small = Blit(picture, {320, 200, 4}, pairs);
    EXPECT_EQ(std::count(small.begin(), small.end(), 0xF00F), 0);
    for (int y : {0, 1, 77, 149}) {
        for (int x : {0, 1, 160, 319}) {
            EXPECT_EQ(small[size_t((25 + y) * 320 + x)], picture[size_t(2 * y * 640 + 2 * x)] + 0x100) << x << "," << y;
        }
    }
}

} // namespace
