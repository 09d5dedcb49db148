// kshow: the developers' program on the SDL back-end, one command with subcommands.
//
//   kshow echo
//       Opens the game's window, starts the message manager and prints every event its receiver
//       gets, one line each ("3 a=0x72 b=0").
//   kshow card <window|fullscreen> <W>x<H>
//       Starts the display of kalder (window) or kalderdx (fullscreen), sets the mode and shows the
//       test card until the window is closed or the program is asked to end. Prints
//       "mode WxH rgb555=N", or "refused" when the display refuses the mode.
#include <cstdio>
#include <cstring>

#include "core/dsp.h"
#include "core/mgm.h"
#include "core/que.h"
#include "core/scr.h"
#include "core/win.h"
#include "plat/time.h"
#include "plat/window.h"
#include "tests/support/testcard.h"

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

static int echo()
{
    DSP_BackEnd = 1;
    if (!WIN_InitDisplay(nullptr, 1)) {
        std::fprintf(stderr, "kshow: no window\n");
        return 1;
    }
    if (!MGM_Create(50, 50)) {
        std::fprintf(stderr, "kshow: no message manager\n");
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

static int usage()
{
    std::fprintf(stderr, "usage: kshow echo\n       kshow card <window|fullscreen> <W>x<H>\n");
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

int main(int argc, char **argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "echo") == 0) {
        return echo();
    }
    if (argc == 4 && std::strcmp(argv[1], "card") == 0) {
        return card(argv[2], argv[3]);
    }
    return usage();
}
