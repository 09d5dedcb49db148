// Control mapping: eleven logical controls from the device the player chose, and the control
// receiver that decodes input events itself while a modal screen runs.
#include "world/ctrl.h"

#include "core/fconv.h"
#include "core/game_frame.h"
#include "core/inp.h"
#include "core/joy.h"
#include "core/que.h"
#include "core/sys.h"
#include "interface/title.h"
#include "world/replay.h"

int32_t CTRL_Controls[CTRL_COUNT] = {2, 2, 2, 2, 0, 0, 0, 0, 0, 0, 0};
uint8_t CTRL_Device;
uint8_t CTRL_DeviceBackup;
int32_t CTRL_DirectionTime;
int32_t CTRL_TickFlag;
MGM_Queue *CTRL_Queue;
MGM_Queue *CTRL_SavedQueue;
MGM_Handler CTRL_SavedHandler;
int32_t CTRL_SavedFlags;
int32_t CTRL_InstallDepth;

namespace {

// Virtual-key codes of the keys the controls listen to.
enum : int {
    VK_RETURN = 0x0D,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
};

// A clock reading more than this many units after the last beat starts a new beat.
constexpr double BEAT_UNITS = 40.0;

int32_t key_held(int vk) { return INP_KeyTable[vk] & INP_KEY_HELD; }

// One axis of a pair: the pressed side goes down, the other up; neither releases both.
void update_axis(int32_t negative, int32_t positive, bool to_negative, bool to_positive)
{
    CTRL_UpdateDirection(negative, to_negative);
    CTRL_UpdateDirection(positive, to_positive);
}

// Space and Escape, which the keyboard, the mouse and the joystick share.
void update_space_escape()
{
    CTRL_UpdateButton(CTRL_K1, key_held(VK_SPACE));
    CTRL_UpdateButton(CTRL_K2, key_held(VK_ESCAPE));
}

void update_digit_keys()
{
    CTRL_UpdateButton(CTRL_SWI, key_held('1'));
    CTRL_UpdateButton(CTRL_BT0, key_held('2'));
    CTRL_UpdateButton(CTRL_BT1, key_held('3'));
}

void update_extra_buttons()
{
    CTRL_UpdateButton(CTRL_SWI, GAME_PadButtons[0]);
    CTRL_UpdateButton(CTRL_BT0, GAME_PadButtons[1]);
    CTRL_UpdateButton(CTRL_BT1, GAME_PadButtons[2]);
}

void read_event(const MGM_Event &event)
{
    if (GAME_ReadPointerEvent(event, 1)) {
        return;
    }
    // Events carry 32-bit words, sign-extended into the queue's wider ones.
    const uint32_t a = uint32_t(event.a);
    const uint32_t b = uint32_t(event.b);
    switch (event.type) {
    case '9':
        // The first joystick: its deflections as unsigned 16-bit numbers, five buttons.
        GAME_RawInput.axis_x = int32_t(a >> 16);
        GAME_RawInput.axis_y = int32_t(a & 0xFFFF);
        GAME_RawInput.button1 = int32_t(b & 1);
        GAME_RawInput.button2 = int32_t((b >> 1) & 1);
        GAME_PadButtons[0] = int32_t((b >> 2) & 1);
        GAME_PadButtons[1] = int32_t((b >> 3) & 1);
        GAME_PadButtons[2] = int32_t((b >> 4) & 1);
        break;
    case ':':
        // The pad: signed axes, its first two buttons the other way round, and a third that acts as
        // the Space key.
        GAME_RawInput.axis_x = int16_t(a >> 16);
        GAME_RawInput.axis_y = int16_t(a & 0xFFFF);
        GAME_RawInput.button2 = int32_t(b & 1);
        GAME_RawInput.button1 = int32_t((b >> 1) & 1);
        GAME_PadButtons[0] = int32_t((b >> 3) & 1);
        GAME_PadButtons[1] = int32_t((b >> 4) & 1);
        GAME_PadButtons[2] = int32_t((b >> 5) & 1);
        if (b & 0x04) {
            GAME_LastKey = VK_SPACE;
        }
        break;
    case ';':
        CTRL_TickFlag = 1;
        break;
    case '>':
        TITLE_FrameDue = GAME_FilmFrozen == 1 ? 0 : 1;
        break;
    case '?':
        // A film that ends under a modal screen gives way to the generic loop.
        if (MGM_SendMessage(23, reinterpret_cast<intptr_t>("data\\hnm\\generic.hnm"), 5) != 0) {
            MGM_SendMessage(24);
            GAME_FilmFrozen = 0;
            GAME_FilmHold = 1;
        }
        break;
    default:
        SYS_FatalError("Kalder Internal Error : unknown message type in CTRL_Dispatcher", 999, 1);
    }
}

} // namespace

void CTRL_MeasureFrame()
{
    const float now = float(MGM_SendMessage(17));
    const double elapsed = double(now) - double(GAME_LastFrameClock);
    GAME_LastFrameClock = now;
    GAME_SampleTaken = 0;
    if (double(now) - double(GAME_SampleTime) > BEAT_UNITS) {
        GAME_SampleTime = trunc_i32(now);
        GAME_SampleTaken = 1;
    }
    // No time at all, or a clock that went back, gives a factor of 0 without dividing.
    double factor = 0.0;
    if (elapsed > 0.0) {
        const double frames = 200.0 / elapsed;
        factor = 30.0 / (frames > 1.0 ? frames : 1.0);
    }
    GAME_TimeFactor = REPLAY_State == 0 ? 1.0 : factor;
}

void CTRL_UpdateButton(int32_t control, int32_t pressed) { CTRL_UpdateButtonWord(&CTRL_Controls[control], pressed); }

void CTRL_UpdateButtonWord(int32_t *control, int32_t pressed)
{
    int32_t word = *control & ~CTRL_CHANGED;
    if (pressed != 0) {
        if (word & CTRL_RELEASED) {
            word |= CTRL_CHANGED;
        }
        word = (word | CTRL_HELD) & ~CTRL_RELEASED;
    } else {
        if (word & CTRL_HELD) {
            word |= CTRL_CHANGED;
        }
        word = (word | CTRL_RELEASED) & ~CTRL_HELD;
    }
    *control = word;
}

void CTRL_UpdateDirection(int32_t control, int32_t pressed)
{
    int32_t word = CTRL_Controls[control] & ~CTRL_CHANGED;
    if (pressed != 0 && !(word & CTRL_HELD)) {
        word = (word | CTRL_CHANGED | CTRL_HELD) & ~CTRL_RELEASED;
        CTRL_DirectionTime = int32_t(MGM_SendMessage(17));
    } else if (pressed == 0 && (word & CTRL_HELD)) {
        word = (word | CTRL_CHANGED | CTRL_RELEASED) & ~CTRL_HELD;
    } else if (pressed != 0) {
        // Held: after 200 ms one more change on every beat, about five a second.
        if (GAME_SampleTaken != 0 && trunc_i32(GAME_LastFrameClock) - CTRL_DirectionTime > 40) {
            word |= CTRL_CHANGED;
        }
    }
    CTRL_Controls[control] = word;
}

void CTRL_ResetButtons()
{
    for (int32_t i = 0; i < CTRL_COUNT; i++) {
        CTRL_Controls[i] = i <= CTRL_RIGHT ? CTRL_RELEASED : 0;
    }
}

void CTRL_MapInput()
{
    const GAME_RawInputRecord &raw = GAME_RawInput;
    switch (CTRL_Device) {
    case CTRL_KEYBOARD:
        update_axis(CTRL_UP, CTRL_DOWN, key_held(VK_UP), key_held(VK_DOWN));
        update_axis(CTRL_LEFT, CTRL_RIGHT, key_held(VK_LEFT), key_held(VK_RIGHT));
        update_space_escape();
        CTRL_UpdateButton(CTRL_K3, key_held(VK_MENU));
        CTRL_UpdateButton(CTRL_SEL, key_held(VK_CONTROL));
        update_digit_keys();
        break;
    case CTRL_MOUSE:
        update_axis(CTRL_UP, CTRL_DOWN, raw.axis_y < 0, raw.axis_y > 0);
        update_axis(CTRL_LEFT, CTRL_RIGHT, raw.axis_x < 0, raw.axis_x > 0);
        CTRL_UpdateButton(CTRL_SEL, raw.button2);
        CTRL_UpdateButton(CTRL_K3, raw.button1);
        update_space_escape();
        update_digit_keys();
        break;
    case CTRL_JOYSTICK: {
        // The deflections from the centre arrive as 16-bit numbers: read them signed, with a dead
        // zone of 50 either side, so that a slight push left is not a full push right.
        const int32_t x = int16_t(uint16_t(raw.axis_x));
        const int32_t y = int16_t(uint16_t(raw.axis_y));
        update_axis(CTRL_UP, CTRL_DOWN, y < -50, y > 50);
        update_axis(CTRL_LEFT, CTRL_RIGHT, x < -50, x > 50);
        CTRL_UpdateButton(CTRL_SEL, raw.button2);
        CTRL_UpdateButton(CTRL_K3, raw.button1);
        update_space_escape();
        update_extra_buttons();
        break;
    }
    case CTRL_PAD: {
        update_axis(CTRL_UP, CTRL_DOWN, raw.axis_y < 0, raw.axis_y > 0);
        update_axis(CTRL_LEFT, CTRL_RIGHT, raw.axis_x < 0, raw.axis_x > 0);
        CTRL_UpdateButton(CTRL_SEL, raw.button2);
        CTRL_UpdateButton(CTRL_K3, raw.button1);
        int32_t x = 0;
        int32_t y = 0;
        uint16_t buttons = 0;
        JOY_Read2(0, &x, &y, &buttons);
        CTRL_UpdateButton(CTRL_K2, buttons & 0x200);
        CTRL_UpdateButton(CTRL_K1, buttons & 0x004);
        update_extra_buttons();
        break;
    }
    case CTRL_MENU_KEYS:
        CTRL_UpdateButton(CTRL_K1, GAME_LastKey == VK_SPACE);
        CTRL_UpdateButton(CTRL_K2, GAME_LastKey == VK_ESCAPE);
        CTRL_UpdateButton(CTRL_K3, GAME_LastKey == VK_HOME);
        CTRL_UpdateButton(CTRL_SEL, GAME_LastKey == VK_RETURN);
        break;
    default:
        // "None" (a replay plays) and anything above leave the controls as they are.
        break;
    }
}

uint8_t CTRL_Dispatcher()
{
    CTRL_TickFlag = 0;
    GAME_LastKey = 0;
    MGM_Event event;
    while (QUE_Read(CTRL_Queue, &event)) {
        read_event(event);
    }
    // The mapping sees the previous cycle's clock reading and beat: keep it before the measure.
    CTRL_MapInput();
    CTRL_MeasureFrame();
    return 1;
}

void CTRL_Install()
{
    // The saved receiver is a single slot: an install inside an installed pair only nests.
    if (CTRL_InstallDepth > 0) {
        CTRL_InstallDepth++;
        return;
    }
    MGM_Queue *queue = QUE_Create(50);
    if (queue == nullptr) {
        // Without its queue the receiver would see no input, and a loop waiting for a key never ends.
        SYS_FatalError("Kalder Internal Error : can't create CTRL", 999, 1);
    }
    CTRL_Queue = queue;
    CTRL_SavedQueue = reinterpret_cast<MGM_Queue *>(MGM_SendMessage(40));
    CTRL_SavedHandler = reinterpret_cast<MGM_Handler>(MGM_SendMessage(41));
    MGM_SendMessage(39, reinterpret_cast<intptr_t>(queue), reinterpret_cast<intptr_t>(&CTRL_Dispatcher));
    CTRL_SavedFlags = int32_t(MGM_SendMessage(42));
    if (!(CTRL_SavedFlags & MGM_FWD_TICKS)) {
        MGM_SendMessage(14);
    }
    CTRL_TickFlag = 0;
    CTRL_InstallDepth = 1;
}

void CTRL_Uninstall()
{
    if (CTRL_InstallDepth == 0) {
        return;
    }
    if (--CTRL_InstallDepth > 0) {
        return;
    }
    QUE_Destroy(CTRL_Queue);
    CTRL_Queue = nullptr;
    MGM_SendMessage(39, reinterpret_cast<intptr_t>(CTRL_SavedQueue), reinterpret_cast<intptr_t>(CTRL_SavedHandler));
    if (!(CTRL_SavedFlags & MGM_FWD_TICKS)) {
        MGM_SendMessage(15);
    }
}

void CTRL_SetDevice(int32_t device) { CTRL_Device = uint8_t(device); }

void CTRL_SaveDevice() { CTRL_DeviceBackup = CTRL_Device; }

void CTRL_RestoreDevice() { CTRL_Device = CTRL_DeviceBackup; }
