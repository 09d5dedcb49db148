// The screen layout of the menus and the HUD on every display size.
#include <gtest/gtest.h>

#include "core/scr.h"
#include "interface/menu.h"
#include "tests/support/screen_target.h"

namespace {

TEST(MenuLayout, VirtualSizeAndDivisorsOfEveryScreen)
{
    const struct {
        int width, height;
        MENU_LayoutRecord expected;
    } cases[] = {
        {320, 200, {640, 400, 2, 2}},
        {400, 300, {800, 600, 2, 2}}, // 400 x 300 pixels: the whole virtual screen
        {640, 400, {640, 400, 1, 1}},
        {640, 480, {640, 480, 1, 1}},
        {800, 600, {800, 600, 1, 1}}, // a logical size: no display mode needed
        {320, 400, {640, 400, 2, 1}},
        {1024, 768, {640, 400, 1, 1}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        kalder_test::ScreenTarget screen(c.width, c.height);
        MENU_Layout = {0, 0, 0, 0};
        MENU_ComputeLayout();
        EXPECT_EQ(MENU_Layout.virtual_width, c.expected.virtual_width);
        EXPECT_EQ(MENU_Layout.virtual_height, c.expected.virtual_height);
        EXPECT_EQ(MENU_Layout.h_divisor, c.expected.h_divisor);
        EXPECT_EQ(MENU_Layout.v_divisor, c.expected.v_divisor);
    }
}

} // namespace
