// The game world's start and end of the 3D engine: the library on its own work area with the game's
// view, rendering from the root camera, and nothing rendered once the area is gone.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/scr.h"
#include "engine3d/raster.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "plat/test.h"
#include "world/game.h"

namespace {

int Scans;

TEST(GameEngineTest, TheEngineStartsOnItsAreaWithTheScreensViewAndEnds)
{
    struct Case {
        uint32_t width, height;
    };
    for (const Case &c : {Case{640, 480}, Case{320, 200}}) {
        SCOPED_TRACE(c.width);
        SCR_Width = c.width;
        SCR_Height = c.height;
        Max_Handle_Tables = 7;
        Max_Cache_Entries = 3;
        ASSERT_EQ(GAME_Init3DEngine(), 1);
        EXPECT_EQ(Work_Size, 7850000u);
        EXPECT_EQ(Max_Handle_Tables, 1024);
        EXPECT_EQ(Max_Cache_Entries, 256);
        EXPECT_EQ(OBJ_View.screen_width, int32_t(c.width));
        EXPECT_EQ(OBJ_View.view_width, int32_t(c.width));
        EXPECT_EQ(OBJ_View.view_height, int32_t(c.height));
        EXPECT_EQ(OBJ_View.focal_x, float(c.width * 0.5 / std::tan(76.36f * 3.14159 / 360.0) + 0.5));

        Scans = 0;
        Render_Settings.scan_pass = [](uint16_t *) { Scans++; };
        std::vector<uint16_t> frame(size_t(c.width) * c.height);
        Render_Frame(frame.data());
        EXPECT_EQ(Scans, 1);

        test::Reset();
        GAME_Exit3DEngine();
        EXPECT_EQ(test::Stdout(), "desinit 3Dengine\n");
        Render_Frame(frame.data());
        EXPECT_EQ(Scans, 1);
        Render_Settings.scan_pass = Scan_Pass;
    }
    SCR_Width = 0;
    SCR_Height = 0;
}

} // namespace
