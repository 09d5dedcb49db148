// kshow: the developers' program on the SDL back-end. `kshow echo` opens the game's window, starts
// the message manager and prints every event its receiver gets, one line each ("3 a=0x72 b=0").
#include <cstdio>
#include <cstring>

#include "core/dsp.h"
#include "core/mgm.h"
#include "core/que.h"
#include "core/win.h"
#include "plat/time.h"

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

int main(int argc, char **argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "echo") == 0) {
        return echo();
    }
    std::fprintf(stderr, "usage: kshow echo\n");
    return 2;
}
