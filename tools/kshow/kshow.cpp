// kshow: the developers' program on the SDL back-end, one command with subcommands.
//
//   kshow echo
//       Opens the game's window, starts the message manager and prints every event its receiver
//       gets, one line each ("3 a=0x72 b=0").
//   kshow controls [device]
//       Opens the game's window, installs the control receiver over a running message manager with
//       the given control device (0 keyboard by default) and prints one line per changed control word
//       ("left 0x05") and, once a second, the time factor ("factor 0.6"), until the window closes.
//   kshow card <window|fullscreen> <W>x<H>
//       Starts the display of kalder (window) or kalderdx (fullscreen), sets the mode and shows the
//       test card until the window is closed or the program is asked to end. Prints
//       "mode WxH rgb555=N", or "refused" when the display refuses the mode.
//   kshow prof
//       Opens the game's window, starts the 3D library on the "cubes" test scene with Debug_Level 1
//       and renders it with a swinging camera, the profiler's bars and frame rate over each frame,
//       until the window is closed or the program is asked to end. Prints once a second
//       "cycles/s C cycles/refresh R value V", V being the frame rate the overlay shows.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/dsp.h"
#include "core/game_frame.h"
#include "core/mgm.h"
#include "core/que.h"
#include "core/scr.h"
#include "core/prof.h"
#include "core/win.h"
#include "engine3d/maths.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "plat/time.h"
#include "plat/window.h"
#include "tests/support/scenes.h"
#include "tests/support/testcard.h"
#include "world/ctrl.h"

static MGM_Queue *echo_queue;

static uint8_t echo_handler()
{
    MGM_Event e;
    while (QUE_Read(echo_queue, &e)) {
        std::printf("%c a=0x%02x b=0x%02x\n", char(e.type), unsigned(uint32_t(e.a)), unsigned(uint32_t(e.b)));
    }
    std::fflush(stdout);
    return 1;
}

// The game's window and a message manager, as start-up makes them; 0 when either is refused.
static int open_window_and_mgm()
{
    DSP_BackEnd = 1;
    if (!WIN_InitDisplay(nullptr, 1)) {
        std::fprintf(stderr, "kshow: no window\n");
        return 0;
    }
    if (!MGM_Create(50, 50)) {
        std::fprintf(stderr, "kshow: no message manager\n");
        return 0;
    }
    return 1;
}

static int echo()
{
    if (!open_window_and_mgm()) {
        return 1;
    }
    echo_queue = QUE_Create(50);
    MGM_SendMessage(38, reinterpret_cast<intptr_t>(echo_queue), reinterpret_cast<intptr_t>(&echo_handler));
    MGM_SendMessage(4);
    MGM_SendMessage(14);
    MGM_SendMessage(10);
    MGM_SendMessage(20);
    MGM_SendMessage(12, 200, 15);
    // One round every few milliseconds, as a game frame would; closing the window ends the loop.
    while (MGM_DispatchMessages()) {
        PLAT_Sleep(5);
    }
    MGM_SendMessage(13);
    MGM_Destroy();
    QUE_Destroy(echo_queue);
    WIN_ShutdownDisplay();
    return 0;
}

static MGM_Queue *idle_queue;
static uint8_t idle_handler() { return 1; }

static int controls(int device)
{
    static const char *const names[CTRL_COUNT] = {"up", "down", "left", "right", "k1", "k2",
                                                  "k3", "sel", "swi", "bt0", "bt1"};
    if (!open_window_and_mgm()) {
        return 1;
    }
    // A receiver of its own stands for the game's, as a modal screen finds it.
    idle_queue = QUE_Create(50);
    MGM_SendMessage(38, reinterpret_cast<intptr_t>(idle_queue), reinterpret_cast<intptr_t>(&idle_handler));
    // Keys and the pad are forwarded; clock stamps are not, since the control receiver takes them
    // for an unknown event.
    MGM_SendMessage(4);
    MGM_SendMessage(10);
    MGM_SendMessage(12, 200, 15);
    CTRL_SetDevice(device);
    CTRL_ResetButtons();
    CTRL_Install();
    int32_t shown[CTRL_COUNT];
    for (int i = 0; i < CTRL_COUNT; i++) {
        shown[i] = CTRL_Controls[i];
    }
    uint32_t next_factor = PLAT_TimeMs() + 1000;
    while (MGM_DispatchMessages()) {
        for (int i = 0; i < CTRL_COUNT; i++) {
            if (CTRL_Controls[i] != shown[i]) {
                shown[i] = CTRL_Controls[i];
                std::printf("%s 0x%02x\n", names[i], unsigned(shown[i]));
            }
        }
        if (int32_t(PLAT_TimeMs() - next_factor) >= 0) {
            next_factor += 1000;
            std::printf("factor %g\n", GAME_TimeFactor);
        }
        std::fflush(stdout);
        PLAT_Sleep(5);
    }
    CTRL_Uninstall();
    MGM_SendMessage(13);
    MGM_Destroy();
    QUE_Destroy(idle_queue);
    WIN_ShutdownDisplay();
    return 0;
}

static int usage()
{
    std::fprintf(stderr, "usage: kshow echo\n       kshow controls [device]\n"
                         "       kshow card <window|fullscreen> <W>x<H>\n"
                         "       kshow prof\n");
    return 2;
}

static int card(const char *back_end, const char *size)
{
    int width = 0;
    int height = 0;
    if (std::sscanf(size, "%dx%d", &width, &height) != 2) {
        return usage();
    }
    if (std::strcmp(back_end, "window") == 0) {
        DSP_BackEnd = 1;
    } else if (std::strcmp(back_end, "fullscreen") == 0) {
        DSP_BackEnd = 0;
    } else {
        return usage();
    }
    if (!WIN_InitDisplay(nullptr, 1)) {
        std::fprintf(stderr, "kshow: the display did not start\n");
        return 1;
    }
    if (!DSP_SetMode(width, height)) {
        std::printf("refused\n");
        std::fflush(stdout);
        WIN_ShutdownDisplay();
        return 1;
    }
    // The resolution option would set the drawing size; here the mode is the size.
    SCR_Width = uint32_t(width);
    SCR_Height = uint32_t(height);
    kalder_test::DrawTestCard(SCR_FrameBuffer, width, height, DSP_Rgb555 == 1);
    std::printf("mode %dx%d rgb555=%d\n", width, height, int(DSP_Rgb555));
    std::fflush(stdout);
    while (!PLAT_PumpMessages()) {
        DSP_Present();
    }
    WIN_ShutdownDisplay();
    return 0;
}

// Debug_Level is the tool's own choice: the game never sets it.
static int prof()
{
    DSP_BackEnd = 1;
    if (!WIN_InitDisplay(nullptr, 1)) {
        std::fprintf(stderr, "kshow: no window\n");
        return 1;
    }
    kalder_test::SceneArea area(7850000, int32_t(SCR_Width), int32_t(SCR_Height));
    if (kalder_test::LoadScene(area, "cubes") < 0) {
        std::fprintf(stderr, "kshow: the scene cubes does not load\n");
        WIN_ShutdownDisplay();
        return 1;
    }
    Debug_Level = 1;
    uint32_t next_print = PLAT_TimeMs() + 1000;
    float value = 0.0f;
    for (int32_t frame = 0; !PLAT_PumpMessages(); frame++) {
        // Timer 0 runs from one restart after a frame to the stop in the next; the restart follows
        // the stop at once, so the span between two restarts is what the overlay divides by.
        const float restarted = PROF_Timers[0].start;
        kalder_test::PlaceRootCamera({0, 0, 0}, (Get_Sin((frame * 8) & 4095) * 160) >> 15);
        Render_Frame(SCR_FrameBuffer);
        DSP_Present();
        if (frame > 0) {
            value = PROF_CyclesPerSecond / (PROF_Timers[0].start - restarted);
        }
        if (int32_t(PLAT_TimeMs() - next_print) >= 0) {
            next_print += 1000;
            std::printf("cycles/s %.0f cycles/refresh %.0f value %4.1f\n", double(PROF_CyclesPerSecond),
                        double(Cycles_Per_Refresh), double(value));
            std::fflush(stdout);
        }
    }
    Debug_Level = 0;
    WIN_ShutdownDisplay();
    return 0;
}

int main(int argc, char **argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "echo") == 0) {
        return echo();
    }
    if ((argc == 2 || argc == 3) && std::strcmp(argv[1], "controls") == 0) {
        return controls(argc == 3 ? std::atoi(argv[2]) : 0);
    }
    if (argc == 4 && std::strcmp(argv[1], "card") == 0) {
        return card(argv[2], argv[3]);
    }
    if (argc == 2 && std::strcmp(argv[1], "prof") == 0) {
        return prof();
    }
    return usage();
}
