// kalderdx: the game over the whole screen.
#include "core/dsp.h"
#include "core/sys.h"

int main()
{
    DSP_BackEnd = 0;
    return WinMain(nullptr, nullptr, "", 1);
}
