// Scenes rendered through the whole pipeline, the rasteriser and the span routines: exact golden
// frames, the same frames from the row-by-row pass, the lit scenes, the empty scene, and the rectangle
// oracle.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/dsp.h"
#include "engine3d/matcache.h"
#include "engine3d/hmap.h"
#include "engine3d/raster.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "tests/support/golden.h"
#include "tests/support/scenes.h"
#include "tests/support/span_recorder.h"

namespace kalder_test {
namespace {

std::vector<uint16_t> Render(int32_t scan_mode)
{
    std::vector<uint16_t> frame(size_t(OBJ_View.screen_width) * size_t(OBJ_View.screen_height), 0xDEAD);
    if (HMAP_Current != nullptr) {
        std::copy(Render_Settings.background_picture, Render_Settings.background_picture + frame.size(), frame.begin());
    }
    std::memset(Row_Repeat_Table, 0, sizeof Row_Repeat_Table);
    Select_Rasteriser(scan_mode);
    Render_Frame(frame.data());
    Select_Rasteriser(0);
    return frame;
}

TEST(RenderGolden, EachSceneMatchesItsGoldenAndTheRowByRowPass)
{
    for (const std::string &name : GoldenSceneNames()) {
        SCOPED_TRACE(name);
        SceneArea area;
        ASSERT_GE(LoadScene(area, name), 0);
        const std::vector<uint16_t> frame = Render(0);
        EXPECT_TRUE(MatchesGolden("render-" + name, frame.data(), OBJ_View.screen_width, OBJ_View.screen_height,
                                  DSP_Rgb555 != 0));
        // The opaque depth-tested spans leave the pixels they lose, which the one-row buffer does not hold.
        if (HMAP_Current == nullptr) {
            EXPECT_TRUE(Render(1) == frame) << "the row-by-row pass draws another frame";
        }
    }
    ClearSceneBackdrop();
}

// The benchmark scenes have no golden: their frames are pinned by checksums taken from the plain
// scan pass (an edge chain advanced, then put in order, in two walks), so that a faster pass that
// draws one pixel differently fails here. Each is also drawn row by row.
TEST(RenderGolden, TheBenchmarkScenesDrawTheFramesOfThePlainPass)
{
    const struct {
        const char *name;
        uint64_t checksum;
    } cases[] = {
        {"s1-flat", 0x25b88e3d5b68c2dfull},        {"s2-affine", 0x35b4c1cf3b32a9caull},
        {"s3-perspective", 0x3010565f3b9189f1ull}, {"s4-layers", 0x18da1f62e303d02full},
        {"s5-translucent", 0x4a67ec1c062864c6ull}, {"s6-small", 0xbcabac8783be77dcull},
        {"s7-lit", 0xbc2ca368602e5040ull},         {"s8-keyed", 0x9ae07f99a997e3caull},
        {"s9-alpha", 0xe34ee463f56d800eull},
    };
    ASSERT_EQ(std::size(cases), BenchSceneNames().size());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SceneArea area(32u << 20);
        ASSERT_GE(LoadScene(area, c.name), 0);
        const std::vector<uint16_t> frame = Render(0);
        uint64_t checksum = 14695981039346656037ull; // FNV-1a over the pixels' bytes
        for (uint16_t p : frame) {
            checksum = (checksum ^ (p & 0xFF)) * 1099511628211ull;
            checksum = (checksum ^ (p >> 8)) * 1099511628211ull;
        }
        EXPECT_EQ(checksum, c.checksum) << std::hex << "0x" << checksum;
        if (HMAP_Current == nullptr) {
            EXPECT_TRUE(Render(1) == frame) << "the row-by-row pass draws another frame";
        }
    }
    ClearSceneBackdrop();
}

// The spheres' point light on its circle, a quarter turn on: lit from the right.
TEST(RenderGolden, TheOrbitingLightMatchesItsGolden)
{
    SceneArea area;
    ASSERT_GE(LoadScene(area, "lit-spheres"), 0);
    PlaceOrbitLight(4);
    const std::vector<uint16_t> frame = Render(0);
    EXPECT_TRUE(MatchesGolden("render-light-orbit-4", frame.data(), OBJ_View.screen_width, OBJ_View.screen_height, false));
}

// On a 15-bit display the materials' shading rows are turned to RGB555 and the frame's format check
// builds the RGB555 blend tables.
TEST(RenderGolden, AlphaLayersOnAFifteenBitDisplay)
{
    SceneArea area;
    ASSERT_GE(LoadScene(area, "alpha-layers"), 0);
    Convert_Cache_To_555();
    DSP_Rgb555 = 1;
    const std::vector<uint16_t> frame = Render(0);
    DSP_Rgb555 = 0;
    EXPECT_TRUE(MatchesGolden("render-alpha-layers-555", frame.data(), OBJ_View.screen_width, OBJ_View.screen_height, true));
}

TEST(RenderGolden, AnEmptySceneIsTheClearColour)
{
    SceneArea area;
    ASSERT_GE(LoadScene(area, "empty"), 0);
    Set_Clear_Colour(0x4A69);
    const std::vector<uint16_t> frame = Render(0);
    Set_Clear_Colour(0);
    EXPECT_EQ(std::count(frame.begin(), frame.end(), uint16_t(0x4A69)), std::ptrdiff_t(frame.size()));
}

TEST(RenderGolden, AnEmptySceneShowsTheBackgroundPicture)
{
    SceneArea area;
    ASSERT_GE(LoadScene(area, "empty"), 0);
    std::vector<uint16_t> picture(size_t(OBJ_View.screen_width) * size_t(OBJ_View.screen_height));
    for (size_t i = 0; i < picture.size(); i++) {
        picture[i] = uint16_t(i * 2654435761u >> 7);
    }
    Set_Background_Picture(picture.data());
    Set_Background_Type(15);
    const std::vector<uint16_t> frame = Render(0);
    Set_Background_Type(14);
    Set_Background_Picture(nullptr);
    EXPECT_TRUE(frame == picture);
}

// A quad on whole-pixel corners covers exactly its columns and rows: every pixel inside is one of
// the two faces' colours, every pixel outside is background, and on each row the two faces' spans
// neither overlap nor leave a gap.
TEST(RenderGolden, RectanglesCoverExactlyTheirPixels)
{
    struct Case {
        int32_t width, height;
        int32_t x0, y0, x1, y1;
    };
    const Case cases[] = {
        {640, 480, 100, 50, 301, 171},  // odd width and height
        {640, 480, 10, 200, 630, 201},  // one row
        {640, 480, 333, 20, 334, 400},  // one column
        {640, 480, 0, 0, 640, 480},     // the whole viewport: its top row and right edge
        {640, 480, 500, 0, 640, 3},     // top row, right edge
        {640, 480, -50, -30, 120, 90},  // partly above and left of the viewport
        {320, 240, 37, 21, 250, 180},
        {320, 240, 0, 0, 1, 1},         // one pixel in the corner
        {320, 240, 301, 7, 320, 239},   // right edge, odd size
        {320, 240, -200, 100, 5, 240},  // far to the left, down to the bottom row
        {320, 240, 40, -100, 41, 60},   // one column from above
    };
    constexpr uint16_t colour = 0x2345;
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " (" << c.x0 << ", " << c.y0 << ")-(" << c.x1
                                        << ", " << c.y1 << ")");
        SceneArea area(7850000, c.width, c.height);
        Set_Viewport(c.width, c.height, 0, 0, 640);
        ASSERT_GE(LoadRectangle(area, c.x0, c.y0, c.x1, c.y1, colour), 0);
        Set_Clear_Colour(0);
        const std::vector<uint16_t> frame = Render(0);
        const int32_t left = std::max(c.x0, 0), top = std::max(c.y0, 0);
        int32_t wrong = 0;
        for (int32_t y = 0; y < c.height; y++) {
            for (int32_t x = 0; x < c.width; x++) {
                const uint16_t p = frame[size_t(y) * size_t(c.width) + size_t(x)];
                const bool inside = x >= left && x < c.x1 && y >= top && y < c.y1;
                const bool ok = inside ? (p == colour || p == uint16_t(colour + 5000)) : p == 0;
                if (!ok && wrong++ < 5) {
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << p;
                }
            }
        }
        EXPECT_EQ(wrong, 0);

        SpanRecorder recorder;
        Render(0);
        for (int32_t y = top; y < c.y1; y++) {
            std::vector<RecordedSpan> faces;
            for (const RecordedSpan &s : recorder.row(y)) {
                if (s.type == 1) {
                    faces.push_back(s);
                }
            }
            std::sort(faces.begin(), faces.end(),
                      [](const RecordedSpan &a, const RecordedSpan &b) { return a.x_start < b.x_start; });
            int32_t x = left;
            for (const RecordedSpan &s : faces) {
                EXPECT_EQ(s.x_start, x) << "row " << y;
                x = s.x_start + s.count;
            }
            EXPECT_EQ(x, c.x1) << "row " << y;
        }
    }
}

} // namespace
} // namespace kalder_test
