// The SDL back-end's keyboard and joysticks on SDL's dummy video driver: the key and controller
// mappings, the pump's key events read as polled state, and virtual joysticks in the game's slots.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include <SDL.h>

#include "plat/input.h"
#include "plat/window.h"
#include "platform/sdl/sdl_input.h"

namespace {

std::vector<int> map_key(SDL_Scancode scancode, SDL_Keycode keycode, int numlock)
{
    uint8_t vk[2] = {0, 0};
    const int n = SDLP_MapKey(scancode, keycode, numlock, vk);
    return std::vector<int>(vk, vk + n);
}

TEST(SdlKeymap, ScancodesAndKeycodesToVirtualKeys)
{
    struct Case {
        const char *what;
        SDL_Scancode scancode;
        SDL_Keycode keycode;
        int numlock;
        std::vector<int> vk;
    };
    const Case cases[] = {
        {"US letter", SDL_SCANCODE_A, SDLK_a, 0, {0x41}},
        {"AZERTY: the key Q types a", SDL_SCANCODE_Q, SDLK_a, 0, {0x41}},
        {"AZERTY: the key A types q", SDL_SCANCODE_A, SDLK_q, 0, {0x51}},
        {"AZERTY: the key right of L types m", SDL_SCANCODE_SEMICOLON, SDLK_m, 0, {0x4D}},
        {"non-Latin layout: the scancode's letter", SDL_SCANCODE_Q, 0x439, 0, {0x51}},
        {"digit 1 by position (AZERTY &)", SDL_SCANCODE_1, SDLK_AMPERSAND, 0, {0x31}},
        {"digit 0 by position", SDL_SCANCODE_0, 0xE0, 0, {0x30}},
        {"digit 9", SDL_SCANCODE_9, SDLK_9, 1, {0x39}},
        {"keypad 4, Num Lock on", SDL_SCANCODE_KP_4, SDLK_KP_4, 1, {0x64}},
        {"keypad 4, Num Lock off", SDL_SCANCODE_KP_4, SDLK_KP_4, 0, {0x25}},
        {"keypad 5, Num Lock off is Clear", SDL_SCANCODE_KP_5, SDLK_KP_5, 0, {0x0C}},
        {"keypad 0, Num Lock off is Insert", SDL_SCANCODE_KP_0, SDLK_KP_0, 0, {0x2D}},
        {"keypad 9, Num Lock on", SDL_SCANCODE_KP_9, SDLK_KP_9, 1, {0x69}},
        {"keypad period, Num Lock on", SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, 1, {0x6E}},
        {"keypad period, Num Lock off is Delete", SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, 0, {0x2E}},
        {"keypad Enter is Return", SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, 0, {0x0D}},
        {"keypad divide", SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE, 0, {0x6F}},
        {"left Ctrl", SDL_SCANCODE_LCTRL, SDLK_LCTRL, 0, {0x11, 0xA2}},
        {"right Ctrl", SDL_SCANCODE_RCTRL, SDLK_RCTRL, 0, {0x11, 0xA3}},
        {"right Shift", SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, 0, {0x10, 0xA1}},
        {"left Alt", SDL_SCANCODE_LALT, SDLK_LALT, 0, {0x12, 0xA4}},
        {"F3", SDL_SCANCODE_F3, SDLK_F3, 0, {0x72}},
        {"F24", SDL_SCANCODE_F24, SDLK_F24, 0, {0x87}},
        {"Tab", SDL_SCANCODE_TAB, SDLK_TAB, 0, {0x09}},
        {"Left", SDL_SCANCODE_LEFT, SDLK_LEFT, 0, {0x25}},
        {"Pause", SDL_SCANCODE_PAUSE, SDLK_PAUSE, 0, {0x13}},
        {"Application", SDL_SCANCODE_APPLICATION, SDLK_APPLICATION, 0, {0x5D}},
        {"semicolon", SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON, 0, {0xBA}},
        {"grave", SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE, 0, {0xC0}},
        {"the extra ISO key", SDL_SCANCODE_NONUSBACKSLASH, SDLK_LESS, 0, {0xE2}},
        {"a key the game has no code for", SDL_SCANCODE_VOLUMEUP, SDLK_VOLUMEUP, 0, {}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(map_key(c.scancode, c.keycode, c.numlock), c.vk) << c.what;
    }
    const std::pair<int, int> buttons[] = {{SDL_BUTTON_LEFT, 0x01}, {SDL_BUTTON_RIGHT, 0x02},
                                           {SDL_BUTTON_MIDDLE, 0x04}, {SDL_BUTTON_X1, 0x05},
                                           {SDL_BUTTON_X2, 0x06}, {7, 0}};
    for (const auto &[button, vk] : buttons) {
        EXPECT_EQ(SDLP_MapMouseButton(button), vk) << button;
    }
}

TEST(SdlKeymap, GameControllerAsAClassicPad)
{
    struct Case {
        const char *what;
        std::vector<std::pair<int, int16_t>> axes;
        std::vector<int> pressed;
        uint32_t x, y, hat, buttons;
    };
    using B = SDL_GameControllerButton;
    const Case cases[] = {
        {"at rest", {}, {}, 32768, 32768, 0xFFFF, 0},
        {"a resting stick inside the dead zone", {{SDL_CONTROLLER_AXIS_LEFTX, 7999}, {SDL_CONTROLLER_AXIS_LEFTY, -8000}},
         {}, 32768, 32768, 0xFFFF, 0},
        {"stick full left and down", {{SDL_CONTROLLER_AXIS_LEFTX, -32768}, {SDL_CONTROLLER_AXIS_LEFTY, 32767}}, {}, 0,
         65535, 0xFFFF, 0},
        {"D-pad up and right drive the axes", {}, {B::SDL_CONTROLLER_BUTTON_DPAD_UP, B::SDL_CONTROLLER_BUTTON_DPAD_RIGHT},
         65535, 0, 4500, 0},
        {"D-pad down and left", {}, {B::SDL_CONTROLLER_BUTTON_DPAD_DOWN, B::SDL_CONTROLLER_BUTTON_DPAD_LEFT}, 0, 65535,
         22500, 0},
        {"the stick wins over the D-pad", {{SDL_CONTROLLER_AXIS_LEFTX, 20000}}, {B::SDL_CONTROLLER_BUTTON_DPAD_LEFT},
         52768, 32768, 27000, 0},
        {"face buttons A B X Y", {},
         {B::SDL_CONTROLLER_BUTTON_A, B::SDL_CONTROLLER_BUTTON_B, B::SDL_CONTROLLER_BUTTON_X, B::SDL_CONTROLLER_BUTTON_Y},
         32768, 32768, 0xFFFF, 0x00F},
        {"X alone is bit 2, Start bit 9", {}, {B::SDL_CONTROLLER_BUTTON_X, B::SDL_CONTROLLER_BUTTON_START}, 32768, 32768,
         0xFFFF, 0x204},
        {"shoulders, back, stick presses", {},
         {B::SDL_CONTROLLER_BUTTON_LEFTSHOULDER, B::SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, B::SDL_CONTROLLER_BUTTON_BACK,
          B::SDL_CONTROLLER_BUTTON_LEFTSTICK, B::SDL_CONTROLLER_BUTTON_RIGHTSTICK},
         32768, 32768, 0xFFFF, 0xD30},
        {"triggers above half travel", {{SDL_CONTROLLER_AXIS_TRIGGERLEFT, 16384}, {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767}},
         {}, 32768, 32768, 0xFFFF, 0x0C0},
        {"triggers at half travel", {{SDL_CONTROLLER_AXIS_TRIGGERLEFT, 16383}, {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 100}},
         {}, 32768, 32768, 0xFFFF, 0},
        {"the guide button is not a pad button", {}, {B::SDL_CONTROLLER_BUTTON_GUIDE}, 32768, 32768, 0xFFFF, 0},
    };
    for (const Case &c : cases) {
        SDLP_PadState pad{};
        for (const auto &[axis, value] : c.axes) {
            pad.axes[axis] = value;
        }
        for (int b : c.pressed) {
            pad.buttons |= 1u << b;
        }
        PLAT_JoyPos pos{};
        SDLP_MapController(pad, &pos);
        EXPECT_EQ(pos.x, c.x) << c.what;
        EXPECT_EQ(pos.y, c.y) << c.what;
        EXPECT_EQ(pos.hat, c.hat) << c.what;
        EXPECT_EQ(pos.buttons, c.buttons) << c.what;
    }
}

// The program's window on the dummy driver; the pump is what the tests drive.
struct SdlInputTest : ::testing::Test {
    static PLAT_Window *window;
    static void SetUpTestSuite()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        window = PLAT_CreateWindow("Kalder", 640, 480, 0);
    }
    void SetUp() override
    {
        ASSERT_NE(window, nullptr);
        // Start from nothing held or latched.
        focus_lost();
        for (int vk = 0; vk < 256; vk++) {
            PLAT_KeyState(vk);
        }
    }
    static void pump() { ASSERT_EQ(PLAT_PumpMessages(), 0); }
    static void key(Uint32 type, SDL_Scancode scancode, SDL_Keycode keycode, Uint16 mod = 0, Uint8 repeat = 0)
    {
        SDL_Event e{};
        e.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat;
        e.key.keysym.scancode = scancode;
        e.key.keysym.sym = keycode;
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }
    static void button(Uint32 type, Uint8 which)
    {
        SDL_Event e{};
        e.type = type;
        e.button.button = which;
        SDL_PushEvent(&e);
    }
    static void focus_lost()
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
        SDL_PushEvent(&e);
        pump();
    }
};
PLAT_Window *SdlInputTest::window;

TEST_F(SdlInputTest, KeysAreHeldAndLatched)
{
    // A press and release between two queries reads once, as the latch alone.
    key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a);
    key(SDL_KEYUP, SDL_SCANCODE_A, SDLK_a);
    pump();
    EXPECT_EQ(PLAT_KeyState(0x41), 0x0001);
    EXPECT_EQ(PLAT_KeyState(0x41), 0);

    // A held key: down and latched, then down only; a repeat sets no latch.
    key(SDL_KEYDOWN, SDL_SCANCODE_B, SDLK_b);
    pump();
    EXPECT_EQ(PLAT_KeyState(0x42), 0x8001);
    EXPECT_EQ(PLAT_KeyState(0x42), 0x8000);
    key(SDL_KEYDOWN, SDL_SCANCODE_B, SDLK_b, 0, 1);
    pump();
    EXPECT_EQ(PLAT_KeyState(0x42), 0x8000);
    key(SDL_KEYUP, SDL_SCANCODE_B, SDLK_b);
    pump();
    EXPECT_EQ(PLAT_KeyState(0x42), 0);

    // Mouse buttons are keys too.
    button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    pump();
    EXPECT_EQ(PLAT_KeyState(0x01), 0x8001);
    button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    pump();
    EXPECT_EQ(PLAT_KeyState(0x01), 0);
}

TEST_F(SdlInputTest, BothCtrlKeysShareTheGenericCode)
{
    key(SDL_KEYDOWN, SDL_SCANCODE_LCTRL, SDLK_LCTRL);
    pump();
    EXPECT_EQ(PLAT_KeyState(0x11), 0x8001);
    EXPECT_EQ(PLAT_KeyState(0xA2), 0x8001);
    EXPECT_EQ(PLAT_KeyState(0xA3), 0);
    key(SDL_KEYDOWN, SDL_SCANCODE_RCTRL, SDLK_RCTRL);
    pump();
    EXPECT_EQ(PLAT_KeyState(0x11), 0x8001); // latched again by the other side's press
    EXPECT_EQ(PLAT_KeyState(0xA3), 0x8001);
    key(SDL_KEYUP, SDL_SCANCODE_LCTRL, SDLK_LCTRL);
    pump();
    EXPECT_EQ(PLAT_KeyState(0x11), 0x8000); // the right one still holds it
    EXPECT_EQ(PLAT_KeyState(0xA2), 0);
    key(SDL_KEYUP, SDL_SCANCODE_RCTRL, SDLK_RCTRL);
    pump();
    EXPECT_EQ(PLAT_KeyState(0x11), 0);
    EXPECT_EQ(PLAT_KeyState(0xA3), 0);
}

TEST_F(SdlInputTest, ReleaseClearsWhatThePressSetEvenAfterNumLockChanged)
{
    key(SDL_KEYDOWN, SDL_SCANCODE_KP_4, SDLK_KP_4, 0);
    pump();
    EXPECT_EQ(PLAT_KeyState(0x25), 0x8001);
    key(SDL_KEYUP, SDL_SCANCODE_KP_4, SDLK_KP_4, KMOD_NUM);
    pump();
    EXPECT_EQ(PLAT_KeyState(0x25), 0);
    EXPECT_EQ(PLAT_KeyState(0x64), 0);
}

TEST_F(SdlInputTest, FocusLossForgetsEveryKey)
{
    key(SDL_KEYDOWN, SDL_SCANCODE_LALT, SDLK_LALT);
    key(SDL_KEYDOWN, SDL_SCANCODE_TAB, SDLK_TAB);
    key(SDL_KEYUP, SDL_SCANCODE_TAB, SDLK_TAB);
    pump();
    focus_lost();
    for (int vk : {0x12, 0xA4, 0x09}) {
        EXPECT_EQ(PLAT_KeyState(vk), 0) << vk;
    }
    // The release that comes after the focus came back changes nothing.
    key(SDL_KEYUP, SDL_SCANCODE_LALT, SDLK_LALT);
    pump();
    EXPECT_EQ(PLAT_KeyState(0x12), 0);
}

TEST_F(SdlInputTest, VirtualJoystickInTheFirstSlot)
{
    ASSERT_EQ(PLAT_JoyGetNumDevs(), 16u);
    PLAT_JoyPos pos{};
    EXPECT_EQ(PLAT_JoyGetPos(0, 1, &pos), PLAT_JOY_UNPLUGGED);
    EXPECT_EQ(PLAT_JoyGetPos(16, 1, &pos), PLAT_JOY_BADID);

    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 12, 1);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick *j = SDL_JoystickOpen(index);
    ASSERT_NE(j, nullptr);
    pump();
    PLAT_JoyCaps caps{};
    ASSERT_EQ(PLAT_JoyGetCaps(0, &caps), 1);
    EXPECT_EQ(caps.buttons, 12u);
    EXPECT_EQ(caps.has_hat, 1);
    EXPECT_EQ(PLAT_JoyGetCaps(1, &caps), 0);

    struct Axis {
        int16_t value;
        uint32_t raw;
    };
    for (const Axis &a : {Axis{-32768, 0}, Axis{32767, 65535}, Axis{0, 32768}, Axis{8000, 32768},
                          Axis{-8000, 32768}, Axis{8001, 40769}, Axis{-8001, 24767}}) {
        SDL_JoystickSetVirtualAxis(j, 0, a.value);
        SDL_JoystickSetVirtualAxis(j, 1, int16_t(-a.value - 1));
        pump();
        ASSERT_EQ(PLAT_JoyGetPos(0, 1, &pos), PLAT_JOY_OK);
        EXPECT_EQ(pos.x, a.raw) << a.value;
        const int16_t other = int16_t(-a.value - 1);
        EXPECT_EQ(pos.y, SDLP_AxisToRaw(other)) << a.value;
    }

    struct Hat {
        Uint8 sdl;
        uint32_t angle;
    };
    for (const Hat &h : {Hat{SDL_HAT_CENTERED, 0xFFFF}, Hat{SDL_HAT_UP, 0}, Hat{SDL_HAT_RIGHTUP, 4500},
                         Hat{SDL_HAT_RIGHT, 9000}, Hat{SDL_HAT_RIGHTDOWN, 13500}, Hat{SDL_HAT_DOWN, 18000},
                         Hat{SDL_HAT_LEFTDOWN, 22500}, Hat{SDL_HAT_LEFT, 27000}, Hat{SDL_HAT_LEFTUP, 31500}}) {
        SDL_JoystickSetVirtualHat(j, 0, h.sdl);
        pump();
        ASSERT_EQ(PLAT_JoyGetPos(0, 1, &pos), PLAT_JOY_OK);
        EXPECT_EQ(pos.hat, h.angle) << int(h.sdl);
    }
    ASSERT_EQ(PLAT_JoyGetPos(0, 0, &pos), PLAT_JOY_OK);
    EXPECT_EQ(pos.hat, 0xFFFFu); // not asked for

    for (int b : {0, 5, 11}) {
        SDL_JoystickSetVirtualButton(j, b, SDL_PRESSED);
    }
    pump();
    ASSERT_EQ(PLAT_JoyGetPos(0, 1, &pos), PLAT_JOY_OK);
    EXPECT_EQ(pos.buttons, 0x821u);

    // Removed, its slot answers "unplugged"; the next device takes the slot again.
    SDL_JoystickClose(j);
    SDL_JoystickDetachVirtual(index);
    pump();
    EXPECT_EQ(PLAT_JoyGetPos(0, 1, &pos), PLAT_JOY_UNPLUGGED);
    EXPECT_EQ(PLAT_JoyGetCaps(0, &caps), 0);

    const int again = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 0);
    ASSERT_GE(again, 0);
    pump();
    ASSERT_EQ(PLAT_JoyGetCaps(0, &caps), 1);
    EXPECT_EQ(caps.buttons, 4u);
    EXPECT_EQ(caps.has_hat, 0);
    SDL_JoystickDetachVirtual(again);
    pump();
}

TEST_F(SdlInputTest, VirtualGameControllerReadsAsAClassicPad)
{
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                                SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    if (!SDL_IsGameController(index)) {
        SDL_JoystickDetachVirtual(index);
        GTEST_SKIP() << "this SDL does not take a virtual device for a game controller";
    }
    SDL_Joystick *j = SDL_JoystickOpen(index);
    ASSERT_NE(j, nullptr);
    pump();
    PLAT_JoyCaps caps{};
    ASSERT_EQ(PLAT_JoyGetCaps(0, &caps), 1);
    EXPECT_EQ(caps.buttons, 12u);
    EXPECT_EQ(caps.has_hat, 1);

    PLAT_JoyPos pos{};
    ASSERT_EQ(PLAT_JoyGetPos(0, 1, &pos), PLAT_JOY_OK);
    EXPECT_EQ(pos.x, 32768u);
    EXPECT_EQ(pos.y, 32768u);
    EXPECT_EQ(pos.hat, 0xFFFFu);
    EXPECT_EQ(pos.buttons, 0u);

    // The virtual device's own numbering is SDL's controller numbering: X, Start, D-pad up.
    SDL_JoystickSetVirtualButton(j, SDL_CONTROLLER_BUTTON_X, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(j, SDL_CONTROLLER_BUTTON_START, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(j, SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_PRESSED);
    SDL_JoystickSetVirtualAxis(j, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    pump();
    ASSERT_EQ(PLAT_JoyGetPos(0, 1, &pos), PLAT_JOY_OK);
    EXPECT_EQ(pos.x, 32768u);
    EXPECT_EQ(pos.y, 0u);
    EXPECT_EQ(pos.hat, 0u);
    EXPECT_EQ(pos.buttons, 0x284u);

    SDL_JoystickClose(j);
    SDL_JoystickDetachVirtual(index);
    pump();
    EXPECT_EQ(PLAT_JoyGetPos(0, 1, &pos), PLAT_JOY_UNPLUGGED);
}

} // namespace
