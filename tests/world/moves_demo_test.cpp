// The hero moved by a key script through the whole program headless, and the key scripts themselves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plat/input.h"
#include "plat/test.h"
#include "tests/support/key_script.h"

namespace {

using kalder_test::KeyEvent;

TEST(KeyScript, ReadsEventsAndRefusesBadLinesByNumber)
{
    struct Case {
        const char *text;
        const char *refusal; // "" when the script is good
        size_t events;
    };
    const Case cases[] = {
        {"# frame down|up key\n10 down Up\n\n90 up Up # done\n", "", 2},
        {"0 down Escape\r\n0 up Escape\r\n5 down 3\n", "", 3},
        {"12 sideways Up\n", "bad key script line 1: 12 sideways Up\n", 0},
        {"1 down Up\n2 down Shift\n", "bad key script line 2: 2 down Shift\n", 0},
        {"5 down Up\n4 up Up\n", "bad key script line 2: 4 up Up\n", 0},       // frames go back
        {"-1 down Up\n", "bad key script line 1: -1 down Up\n", 0},
        {"3 down\n", "bad key script line 1: 3 down\n", 0},
        {"3 down Up Left\n", "bad key script line 1: 3 down Up Left\n", 0},
        {"x3 down Up\n", "bad key script line 1: x3 down Up\n", 0},
        {"99999999999 down Up\n", "bad key script line 1: 99999999999 down Up\n", 0},
    };
    for (const Case &c : cases) {
        std::vector<KeyEvent> events;
        EXPECT_EQ(kalder_test::ParseKeyScript(c.text, events), c.refusal) << c.text;
        EXPECT_EQ(events.size(), c.events) << c.text;
    }
}

TEST(KeyScript, PlayerPressesAndReleasesOnTheirFrames)
{
    std::vector<KeyEvent> events;
    ASSERT_EQ(kalder_test::ParseKeyScript("2 down Up\n2 down Alt\n4 up Up\n6 down 1\n", events), "");
    test::KeysReset();
    kalder_test::KeyScriptPlayer player(events);
    const char *held[] = {"-", "-", "Up+Alt", "Up+Alt", "Alt", "Alt", "Alt+1"};
    for (int frame = 0; frame < 7; frame++) {
        player.Apply(frame);
        EXPECT_EQ(player.Held(), held[frame]) << frame;
    }
    EXPECT_EQ(PLAT_KeyState(0x26) & 0x8000, 0);
    EXPECT_NE(PLAT_KeyState(0x12) & 0x8000, 0);
    test::KeysReset();
}

} // namespace
