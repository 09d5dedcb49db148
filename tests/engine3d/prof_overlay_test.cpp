// The profiler's bars and frame rate over a rendered frame, drawn only while Debug_Level is set.
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "core/prof.h"
#include "engine3d/render.h"
#include "tests/support/golden.h"
#include "tests/support/prof_picture.h"

namespace kalder_test {
namespace {

// Row 0 is the frame timer (colour 0: black), row 1 opens with the render's fifth in red, the value
// reads "100.0", and the rasteriser's counters show at the rows' ends.
TEST(ProfilerOverlay, TheFrameShowsTheTimersAndTheFrameRate)
{
    SceneArea area;
    const std::vector<uint16_t> frame = ProfilerOverlayFrame(area, 320, 240, 1);
    ASSERT_EQ(frame.size(), size_t(320 * 240));
    EXPECT_EQ(Debug_Level, 0);
    EXPECT_EQ(PROF_Timers[0].colour, 0);
    EXPECT_EQ(std::count(frame.begin(), frame.begin() + 320, uint16_t(0)), 320);
    EXPECT_EQ(std::count(frame.begin() + 320, frame.begin() + 384, uint16_t(0xF800)), 64);
    EXPECT_TRUE(MatchesGolden("profiler-overlay", frame.data(), 320, 240, false));
}

TEST(ProfilerOverlay, WithoutTheDebugLevelTheFrameIsTheClearColour)
{
    SceneArea area;
    const std::vector<uint16_t> frame = ProfilerOverlayFrame(area, 320, 240, 0);
    ASSERT_EQ(frame.size(), size_t(320 * 240));
    EXPECT_EQ(std::count(frame.begin(), frame.end(), uint16_t(0x39E7)), std::ptrdiff_t(frame.size()));
}

} // namespace
} // namespace kalder_test
