// Start-up on the headless back-end with the real world: loading the particle sprites builds the
// saturating table that texture tinting reads.
#include <gtest/gtest.h>

#include <cstring>

#include "core/sys.h"
#include "core/win.h"
#include "engine3d/gfx_tint.h"
#include "interface/menj.h"
#include "interface/txt.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/install_writer.h"
#include "tests/support/font_writer.h"
#include "tests/support/icon_pack_writer.h"
#include "tests/support/level_writer.h"
#include "tests/support/temp_drives.h"

namespace {

TEST(PtcStartTest, StartUpBuildsTheSaturatingTable)
{
    kalder_test::TempDrives drives("CD");
    ASSERT_TRUE(kalder_test::WriteMinimalInstallation(drives));
    ASSERT_TRUE(kalder_test::WriteMinimalDatabase(drives.Host('D')));
    ASSERT_TRUE(kalder_test::WriteDemoSpriteFiles(drives.Host('D'))); // start-up loads the fonts
    ASSERT_TRUE(kalder_test::WriteDemoIconPack(drives.Host('D')));    // and the icon pack
    kalder_test::ResetCore();
    test::MapDrive('C', drives.Host('C'));
    test::MapDrive('D', drives.Host('D'));
    std::memset(GFX_SaturateTable, 0, sizeof GFX_SaturateTable);
    ASSERT_TRUE(WIN_InitDisplay(nullptr, 1));
    SYS_Init();
    EXPECT_EQ(GFX_SaturateTable[0x7F00 + 200], 255);
    EXPECT_EQ(GFX_SaturateTable[0x0100 + 7], 9);
    EXPECT_EQ(GFX_SaturateTable[0xFF00 + 7], 5);
    MENJ_Shutdown();
    TXT_FreeAll();
    kalder_test::ResetCore();
}

} // namespace
