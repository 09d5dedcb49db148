// The scene textures' pictures: the demo's texture film as the texture holds it, one texture's 32
// shading tables, and the demo level with its film screen, water and arrows moving.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/scr.h"
#include "films/hnm.h"
#include "tests/support/demo_film.h"
#include "tests/support/golden.h"
#include "tests/support/texture_pictures.h"
#include "tests/world/level_fixture.h"
#include "tests/world/tex_fixture.h"
#include "world/cam.h"
#include "world/dsn.h"

namespace {

TEST(TexGoldenTest, TheDemoTextureFilm)
{
    const std::vector<std::vector<uint16_t>> textures = kalder_test::DemoAnimTextures();
    ASSERT_EQ(textures.size(), size_t(kalder_test::kDemoAnimPictures));
    // The first pictures, the last before the second intra picture, the one after it (the wheel's
    // hues turned by the second palette) and the last.
    for (int picture : {1, 2, 30, 31, 60}) {
        char name[32];
        std::snprintf(name, sizeof name, "hnm4-demo-%03d", picture);
        EXPECT_TRUE(kalder_test::MatchesGolden(name, textures[size_t(picture - 1)].data(), 256, 256, false)) << name;
    }
}

TEST(TexGoldenTest, ShadeTablesOfAFullRebuild)
{
    tex_test::TexBench bench;
    // A ramp through every hue, and grey.
    TEX_Slot *slot = bench.Registered("ramp", [](int i) {
        const int h = i % 64, part = i / 64;
        const int r = part == 0 ? 31 - h / 2 : part == 1 ? h / 2 : part == 2 ? 31 : i / 8;
        const int g = part == 0 ? h : part == 1 ? 63 - h : part == 2 ? h : i / 4;
        const int b = part == 0 ? h / 2 : part == 1 ? 31 : part == 2 ? 31 - h / 2 : i / 8;
        return uint16_t(r << 11 | g << 5 | b);
    });
    ASSERT_NE(slot, nullptr);
    TEX_Shading.scene_shade_step = 2;
    TEX_Shading.fade_frames = 1.0f; // a fade runs: every table changes
    FLICK_LightsPresent = 1;
    TEX_BuildShadeTables(slot, -40, 0, 40);
    const std::vector<uint16_t> picture = kalder_test::ShadeTablesPicture(slot->texels);
    EXPECT_TRUE(kalder_test::MatchesGolden("tex-shade-tables", picture.data(), 256, 256, false));
}

struct DemoTexturesTest : level_test::LevelTest {
    void SetUp() override
    {
        LevelTest::SetUp();
        CAM_Init();
    }
    void TearDown() override
    {
        HNM_Close();
        CAM_Exit();
        LevelTest::TearDown();
    }
};

// Project0 once its stream has closed and its scene started, then 30 frames of 35 ms: the film
// advances at its 15 pictures a second, the water flows and the arrows scroll every frame.
TEST_F(DemoTexturesTest, TheFilmScreenTheWaterAndTheArrowsMove)
{
    for (auto [w, h] : {std::pair{640, 480}, {320, 200}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        screen.reset();
        screen = std::make_unique<kalder_test::ScreenTarget>(w, h);
        PRJ_PendingFlag = 1;
        PRJ_LoadPending();
        for (int i = 0; i < 31; i++) {
            DSN_UpdateFrame();
        }
        ASSERT_EQ(DSN_IsLoaded(), 0);
        TEX_SceneStart();
        ASSERT_EQ(HNM_Kind, HNM_KIND_HNM4);
        int pictures = 0;
        for (int frame = 1; frame <= 30; frame++) {
            for (; pictures < frame * 35 * 15 / 1000 && HNM_Kind != 0; pictures++) {
                HNM_NextFrame();
            }
            TEX_Update();
        }
        SCR_ComposeFrame();
        const std::string name = "demo-anim-textures-" + std::to_string(w) + "x" + std::to_string(h);
        EXPECT_TRUE(kalder_test::MatchesGolden(name, SCR_FrameBuffer, w, h, false));
        HNM_Close();
    }
}

} // namespace
