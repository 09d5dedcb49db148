// The dialog window: set up over the last picture, the loop that times the lines against the voice's
// ticks, the "Again" offer and the closing.
#include "interface/dlg.h"

#include <cstring>

#include "core/dsp.h"
#include "core/fconv.h"
#include "core/mem.h"
#include "core/mgm.h"
#include "core/scr.h"
#include "core/sys.h"
#include "interface/ico.h"
#include "interface/menj.h"
#include "interface/menu.h"
#include "interface/txt.h"
#include "world/ctrl.h"

DLG_WindowLine DLG_Lines[DLG_MAX_LINES];
DLG_WindowState DLG_Window;
int32_t DLG_State;
const char DLG_AgainText[] = "Again";

namespace {

constexpr int32_t Fade_Hidden = 20;
constexpr int32_t Fade_Shown = 1;
constexpr int32_t Group_Lines = 4;
// Ticks the "Again" offer stays once the voice has ended: it closes on the 51st.
constexpr int32_t Offer_Ticks = 50;
constexpr uint8_t Font = 0;

int32_t across(int32_t dx) { return dx / MENU_Layout.h_divisor; }
int32_t down(int32_t dy) { return dy / MENU_Layout.v_divisor; }

size_t screen_bytes() { return size_t(SCR_Width) * SCR_Height * sizeof(uint16_t); }

void restore_background() { std::memcpy(SCR_FrameBuffer, DLG_Window.background, screen_bytes()); }

void draw_group()
{
    for (int32_t i = DLG_Window.first; i < DLG_Window.first + Group_Lines && i < DLG_MAX_LINES; i++) {
        const DLG_WindowLine &line = DLG_Lines[i];
        if (line.fade != Fade_Hidden) {
            TXT_PrintColour(trunc_i32(line.x), trunc_i32(line.y), Font, uint8_t(line.fade), "%s", line.text);
        }
    }
}

// Lines from line 0, shown at once, each ending when the durations of the lines up to it have passed;
// the records after the last line are blank and end with the voice.
void lay_out_lines()
{
    const int32_t count = DLG_GetLineCount();
    for (int32_t i = 0; i < DLG_MAX_LINES; i++) {
        DLG_WindowLine &line = DLG_Lines[i];
        line.x = float(across(150));
        line.y = float((i % Group_Lines) * down(20) + down(90));
        line.fade = Fade_Hidden;
        line.counter = 0;
        line.end_time = DLG_GetDuration();
        line.text = "";
    }
    int64_t end = 0;
    for (int32_t j = 0; j < count; j++) {
        end += DLG_GetLineDuration(j);
        DLG_Lines[j].end_time = int32_t(end);
        DLG_Lines[j].text = DLG_GetLineText(j);
    }
    if (count > 0) {
        DLG_Lines[0].fade = Fade_Shown;
    }
}

// The counters at the first tick: the next pass draws.
void restart_ticks()
{
    DLG_Window.ticks = 0;
    DLG_Window.last_seen = -1;
    DLG_Window.current = 0;
    DLG_Window.first = 0;
    DLG_Window.finished = 0;
}

// Played again: line 0 shown and every later one hidden again.
void rewind_window()
{
    restart_ticks();
    DLG_Lines[0].fade = Fade_Shown;
    for (int32_t i = 1; i < DLG_MAX_LINES; i++) {
        DLG_Lines[i].fade = Fade_Hidden;
    }
}

// A new tick while the voice plays: the lines drawn, then the current line fading in or giving way to
// the next, and the end of the voice.
void play_tick()
{
    DLG_WindowState &w = DLG_Window;
    restore_background();
    draw_group();
    DLG_WindowLine &line = DLG_Lines[w.current];
    if (w.ticks >= line.end_time) {
        line.fade = Fade_Shown;
        // The last record stays current: lines that end before the voice leave nothing after it.
        if (w.current < DLG_MAX_LINES - 1) {
            w.current++;
        }
        w.first = w.current / Group_Lines * Group_Lines;
    } else {
        line.fade = line.fade / 2 == 0 ? Fade_Shown : line.fade / 2;
    }
    if (w.ticks >= DLG_GetDuration()) {
        w.finished = 1;
        w.ticks = 0;
        w.last_seen = -1;
        w.redraw = 1;
    }
    SCR_Flip();
}

void draw_offer()
{
    restore_background();
    const int32_t width = MENU_Layout.virtual_width;
    TXT_PrintColour((width - 125) / MENU_Layout.h_divisor, down(185) - down(4), Font, Fade_Shown, "%s", DLG_AgainText);
    const MENJ_Icon &joy = MENJ_Icons.joy[MENJ_JOY_SWI];
    ICO_DrawPlain(joy.set, joy.sprite, 0, (width - 40) / MENU_Layout.h_divisor, down(185) - down(20));
    draw_group();
    SCR_Flip();
}

// The voice stopped and the game's device back; the window ends after this pass.
void close_window()
{
    DLG_Stop();
    DLG_State = 0;
    CTRL_RestoreDevice();
    DLG_Window.done = 1;
}

bool leave_pressed() { return CTRL_FreshlyPressed(CTRL_K2) || CTRL_FreshlyPressed(CTRL_SEL); }

void run_loop()
{
    DLG_WindowState &w = DLG_Window;
    while (w.done == 0) {
        if (MGM_DispatchMessages() == 0) {
            // The window was closed: the program ends, but the window still gives back what it took.
            SYS_ExitWord = 1;
            close_window();
            return;
        }
        if (CTRL_TickFlag != 0) {
            w.ticks++;
        }
        const bool new_tick = w.ticks != w.last_seen;
        w.last_seen = w.ticks;
        if (w.finished == 0) {
            if (new_tick) {
                play_tick();
            }
            if (w.finished == 0 && leave_pressed()) {
                close_window();
                continue;
            }
        }
        if (w.finished != 0) {
            if (w.redraw != 0) {
                draw_offer();
                w.redraw = 0;
            }
            if (CTRL_FreshlyPressed(CTRL_K1) || CTRL_FreshlyPressed(CTRL_K3)) {
                DLG_State = 2;
                rewind_window();
                w.redraw = 1;
                DLG_Start();
            } else if (leave_pressed() || w.ticks > Offer_Ticks) {
                close_window();
            }
        }
    }
}

} // namespace

void DLG_DrawWindow()
{
    if (SCR_FrameBuffer == nullptr) {
        return;
    }
    const uint16_t mask = DSP_Rgb555 != 0 ? 0x7BDE : 0xF7DE;
    const int64_t first = down(64);
    const int64_t rows = down(132) - 1;
    const int64_t height = SCR_Height;
    DSP_BeginDraw();
    for (int64_t r = first; r < first + rows && r < height; r++) {
        uint16_t *p = SCR_FrameBuffer + size_t(r) * SCR_Width;
        for (uint32_t x = 0; x < SCR_Width; x++) {
            p[x] = uint16_t((p[x] & mask) >> 1);
        }
    }
    if (first + rows < height) {
        std::memset(SCR_FrameBuffer + size_t(first + rows) * SCR_Width, 0, SCR_Width * sizeof(uint16_t));
    }
    DSP_EndDraw();
}

void DLG_RunWindow()
{
    // Without a loaded entry there is nothing to play.
    if (DLG_GetCurrentEntry() < 0 || MEM_Arena == nullptr || SCR_FrameBuffer == nullptr) {
        return;
    }
    auto *background = static_cast<uint8_t *>(MEM_StackAlloc(MEM_Arena, uint32_t(screen_bytes())));
    if (background == nullptr) {
        return;
    }
    MENU_ComputeLayout();
    CTRL_Install();
    DLG_State = 1;
    CTRL_SaveDevice();
    CTRL_SetDevice(CTRL_MENU_KEYS);
    const uint8_t *picture = nullptr;
    uint32_t picture_length = 0;
    DLG_GetExtraChunk(&picture, &picture_length);
    if (picture != nullptr && ICO_MakePicture(picture, picture_length) != 0) {
        // No window without its speaker: the game gets its receiver and device back at once.
        MEM_StackFree(MEM_Arena, background);
        CTRL_RestoreDevice();
        CTRL_Uninstall();
        DLG_State = 0;
        return;
    }
    DLG_State = 2;
    lay_out_lines();
    DLG_Window = DLG_WindowState{};
    DLG_Window.background = background;
    restart_ticks();

    if (SCR_ShownFrame == nullptr) {
        std::memset(SCR_FrameBuffer, 0, screen_bytes());
    } else if (SCR_ShownFrame != SCR_FrameBuffer) {
        std::memcpy(SCR_FrameBuffer, SCR_ShownFrame, screen_bytes());
    }
    DLG_DrawWindow();
    if (picture != nullptr) {
        ICO_DrawPicture(across(16), down(64));
    }
    std::memcpy(background, SCR_FrameBuffer, screen_bytes());
    DLG_Start();

    run_loop();

    if (picture != nullptr) {
        ICO_FreePicture();
    }
    MEM_StackFree(MEM_Arena, background);
    DLG_Window.background = nullptr;
    CTRL_Uninstall();
}
