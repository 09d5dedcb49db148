// kshow: the developers' program on the SDL back-end, one command with subcommands.
//
//   kshow card <window|fullscreen> <W>x<H>
//       Starts the display of kalder (window) or kalderdx (fullscreen), sets the mode and shows the
//       test card until the window is closed or the program is asked to end. Prints
//       "mode WxH rgb555=N", or "refused" when the display refuses the mode.
#include <cstdio>
#include <cstring>

#include "core/dsp.h"
#include "core/scr.h"
#include "core/win.h"
#include "plat/window.h"
#include "tests/support/testcard.h"

namespace {

int usage()
{
    std::fprintf(stderr, "usage: kshow card <window|fullscreen> <W>x<H>\n");
    return 2;
}

int card(const char *back_end, const char *size)
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

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "card") == 0) {
        return card(argv[2], argv[3]);
    }
    return usage();
}
