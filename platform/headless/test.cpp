// test::Reset: every headless service back to its start state.
#include "plat/test.h"

#include "internal.h"

namespace test {

void Reset()
{
    HL_ResetTime();
    HL_ResetWindow();
    HL_ResetDialog();
    HL_ResetSystem();
    HL_ResetAudio();
    HL_ResetInput();
    HL_ResetFiles();
    HL_ResetDisplay();
}

} // namespace test
