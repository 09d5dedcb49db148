// Joysticks: probing, the centre taken at start-up, the two readings, and silence on failures.
#include <gtest/gtest.h>

#include <vector>

#include "core/joy.h"
#include "core/mgm.h"
#include "plat/input.h"
#include "plat/test.h"
#include "tests/support/core_state.h"

namespace {

struct JoyTest : ::testing::Test {
    void SetUp() override { kalder_test::ResetCore(); }
    void TearDown() override { kalder_test::ResetCore(); }
};

struct Device {
    uint32_t id;
    uint32_t buttons;
    bool has_hat;
    uint32_t rest_x, rest_y;
};

struct Read1 {
    int32_t x, y, pov;
    uint16_t buttons;
};
bool operator==(const Read1 &a, const Read1 &b)
{
    return a.x == b.x && a.y == b.y && a.pov == b.pov && a.buttons == b.buttons;
}
std::ostream &operator<<(std::ostream &os, const Read1 &r)
{
    return os << "{" << r.x << ", " << r.y << ", " << r.pov << ", " << r.buttons << "}";
}

Read1 read1(int32_t index)
{
    Read1 r{-7, -7, -7, 7};
    EXPECT_EQ(JOY_Read1(index, &r.x, &r.y, &r.pov, &r.buttons), 1);
    return r;
}

Read1 read2(int32_t index)
{
    Read1 r{-7, -7, 0, 7};
    EXPECT_EQ(JOY_Read2(index, &r.x, &r.y, &r.buttons), 1);
    return r;
}

TEST_F(JoyTest, ProbingAndReading)
{
    // Devices are plugged and rest before the probe; then device 0 moves to (x, y, hat, buttons)
    // and is read both ways.
    struct Case {
        const char *what;
        uint32_t slots;
        std::vector<Device> devices;
        int32_t found;
        int32_t button_count;
        uint8_t has_pov;
        uint32_t x, y, hat, buttons;
        Read1 joystick;
        Read1 pad;
    };
    const Case cases[] = {
        {"no driver", 0, {{0, 10, true, 32768, 32768}}, 0, 0, 0, 0, 0, 0, 0, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {"slots without a device", 16, {}, 0, 0, 0, 0, 0, 0, 0, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {"a joystick with a hat, centred off the middle", 16, {{0, 10, true, 30000, 40000}}, 1, 10, 1,
         20000, 45000, 9000, 0x12345, {-10000, 5000, 9000, 0x2345}, {-10000, 5000, 0, 0x2345}},
        {"a centred hat reads 0xFFFF", 16, {{0, 4, true, 32768, 32768}}, 1, 4, 1,
         32768, 32768, 0xFFFF, 1, {0, 0, 0xFFFF, 1}, {0, 0, 0, 1}},
        {"without a hat the angle reads 0", 16, {{0, 2, false, 32768, 32768}}, 1, 2, 0, 0, 65535, 9000, 3,
         {-32768, 32767, 0, 3}, {-32768, 32767, 0, 3}},
        {"one below the centre is -1 for the joystick and 0 for the pad", 16, {{0, 2, false, 32768, 32768}}, 1,
         2, 0, 32767, 32767, 0, 0, {-1, -1, 0, 0}, {0, 0, 0, 0}},
        {"two devices", 16, {{0, 6, false, 0, 0}, {1, 8, true, 0, 0}}, 2, 6, 0, 5, 6, 0, 0, {5, 6, 0, 0},
         {5, 6, 0, 0}},
        {"only device 1: record 0 stays empty", 16, {{1, 8, true, 100, 100}}, 1, 0, 0, 0, 0, 0, 0,
         {0, 0, 0, 0}, {0, 0, 0, 0}},
        {"one slot: device 1 is not probed", 1, {{0, 6, false, 0, 0}, {1, 8, true, 0, 0}}, 1, 6, 0, 0, 0, 0, 0,
         {0, 0, 0, 0}, {0, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        kalder_test::ResetCore();
        test::SetJoySlots(c.slots);
        for (const Device &d : c.devices) {
            test::PlugJoystick(d.id, d.buttons, d.has_hat);
            test::SetJoystick(d.id, d.rest_x, d.rest_y, 0xFFFF, 0);
        }
        EXPECT_EQ(JOY_Init1(), c.found);
        EXPECT_EQ(JOY_Init2(), c.found);
        EXPECT_EQ(JOY_Count, c.found);
        EXPECT_EQ(JOY_State[0].button_count, c.button_count);
        EXPECT_EQ(JOY_State[0].has_pov, c.has_pov);
        test::SetJoystick(0, c.x, c.y, c.hat, c.buttons);
        EXPECT_EQ(read1(0), c.joystick);
        EXPECT_EQ(read2(0), c.pad);
    }
}

TEST_F(JoyTest, AFailedReadingKeepsTheLastValues)
{
    struct Case {
        const char *what;
        void (*fail)();
    };
    const Case cases[] = {
        {"unplugged", [] { test::UnplugJoystick(0); }},
        {"bad device number", [] { test::SetJoyResult(0, PLAT_JOY_BADID); }},
        {"any other error", [] { test::SetJoyResult(0, 6); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        kalder_test::ResetCore();
        test::PlugJoystick(0, 4, true);
        ASSERT_EQ(JOY_Init1(), 1);
        test::SetJoystick(0, 32768 + 100, 32768 - 50, 18000, 0x5);
        EXPECT_EQ(read1(0), (Read1{100, -50, 18000, 5}));
        c.fail();
        test::SetJoystick(0, 0, 0, 0, 0xF);
        EXPECT_EQ(read1(0), (Read1{100, -50, 18000, 5}));
        EXPECT_EQ(read2(0), (Read1{100, -50, 0, 5}));
    }
}

TEST_F(JoyTest, ADeviceThatFailsAtTheProbeIsNotCountedAndGivesNoCentre)
{
    test::PlugJoystick(0, 4, false);
    test::SetJoystick(0, 1000, 2000, 0xFFFF, 0);
    test::SetJoyResult(0, 6);
    EXPECT_EQ(JOY_Init1(), 0);
    EXPECT_EQ(JOY_State[0].centre_x, 0);
    EXPECT_EQ(JOY_State[0].centre_y, 0);
    EXPECT_EQ(JOY_State[0].button_count, 4);
}

TEST_F(JoyTest, IndicesOtherThan0And1AreRefused)
{
    test::PlugJoystick(0, 4, true);
    ASSERT_EQ(JOY_Init1(), 1);
    for (int32_t index : {2, -1, 1000}) {
        SCOPED_TRACE(index);
        int32_t x = 9, y = 9, pov = 9, count = 9;
        uint16_t buttons = 9;
        EXPECT_EQ(JOY_Read1(index, &x, &y, &pov, &buttons), 0);
        EXPECT_EQ(JOY_Read2(index, &x, &y, &buttons), 0);
        EXPECT_EQ(JOY_GetButtonCount(index, &count), 0);
        EXPECT_EQ(count, 0);
        count = 9;
        EXPECT_EQ(JOY_GetButtonCountAlt(index, &count), 0);
        EXPECT_EQ(count, 0);
    }
    // Record 1 is never filled: it reads device 0 with no centre and no hat.
    int32_t count = 9;
    EXPECT_EQ(JOY_GetButtonCount(1, &count), 1);
    EXPECT_EQ(count, 0);
    test::SetJoystick(0, 10, 20, 9000, 3);
    EXPECT_EQ(read1(1), (Read1{10, 20, 0, 3}));
}

TEST_F(JoyTest, ButtonCountServicesReadRecord0)
{
    test::PlugJoystick(0, 12, true);
    ASSERT_TRUE(MGM_Create(50, 50));
    EXPECT_EQ(MGM_SendMessage(6), 12);
    EXPECT_EQ(MGM_SendMessage(9), 12);
    MGM_Destroy();

    kalder_test::ResetCore();
    ASSERT_TRUE(MGM_Create(50, 50));
    EXPECT_EQ(MGM_SendMessage(6), 0);
    EXPECT_EQ(MGM_SendMessage(9), 0);
    MGM_Destroy();
}

} // namespace
