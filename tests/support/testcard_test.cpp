// The test card and the PNG form of 16-bit frames that every picture test relies on.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/golden.h"
#include "tests/support/png16.h"
#include "tests/support/testcard.h"

namespace {

using kalder_test::DrawTestCard;
using kalder_test::TestCardBar;

TEST(TestCard, MatchesItsGoldensInBothFormats)
{
    struct Case {
        const char *name;
        int width;
        int height;
        bool rgb555;
    };
    for (const Case &c : {Case{"testcard-320x200-rgb565", 320, 200, false},
                          Case{"testcard-400x300-rgb555", 400, 300, true}}) {
        std::vector<uint16_t> card(size_t(c.width) * size_t(c.height));
        DrawTestCard(card.data(), c.width, c.height, c.rgb555);
        EXPECT_TRUE(kalder_test::MatchesGolden(c.name, card.data(), c.width, c.height, c.rgb555));
    }
}

TEST(TestCard, LayoutAtKnownPoints)
{
    // 100 wide: bars of 12, the last one 16 wide; bottom third from row 66.
    std::vector<uint16_t> card(100 * 99);
    DrawTestCard(card.data(), 100, 99, false);
    auto at = [&](int x, int y) { return card[size_t(y) * 100 + size_t(x)]; };
    EXPECT_EQ(at(6, 30), 0xFFFF);
    EXPECT_EQ(at(18, 30), 0xFFE0);
    EXPECT_EQ(at(90, 30), 0x0000); // the wide last bar
    EXPECT_EQ(at(99, 30), 0xFFFF); // border
    EXPECT_EQ(at(49, 70), 31 << 11); // the red ramp's top step, at the end of the left half
    EXPECT_EQ(at(49, 80), 31 << 6);  // green on its top five bits
    EXPECT_EQ(at(1, 90), 0);
    EXPECT_EQ(at(60, 70), 0);      // checker: even
    EXPECT_EQ(at(61, 70), 0xFFFF); // odd
}

TEST(Png16, RoundTripIsExactForEveryPixelValue)
{
    for (bool rgb555 : {false, true}) {
        std::vector<uint16_t> all(256 * 256);
        for (size_t i = 0; i < all.size(); i++) {
            all[i] = uint16_t(rgb555 ? i & 0x7FFF : i);
        }
        const std::string path = rgb555 ? "png16-roundtrip-555.png" : "png16-roundtrip-565.png";
        ASSERT_TRUE(kalder_test::WritePng16(path, all.data(), 256, 256, rgb555));
        std::vector<uint16_t> back;
        int width = 0;
        int height = 0;
        ASSERT_TRUE(kalder_test::ReadPng16(path, back, width, height, rgb555));
        EXPECT_EQ(width, 256);
        EXPECT_EQ(height, 256);
        EXPECT_EQ(back, all);
        std::remove(path.c_str());
    }
    std::vector<uint16_t> none;
    int width = 0;
    int height = 0;
    EXPECT_FALSE(kalder_test::ReadPng16("no-such-file.png", none, width, height, false));
}

} // namespace
