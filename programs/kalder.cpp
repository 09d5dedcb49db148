// kalder: the game in a 640x480 window.
#include "core/dsp.h"
#include "core/sys.h"

int main()
{
    DSP_BackEnd = 1;
    return WinMain(nullptr, nullptr, "", 1);
}
