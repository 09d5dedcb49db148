// Fuzzes the sprite-set loader: the input is written to a scratch drive as data\font\fuzz.spr and, on
// every second input, as fuzz.alp (2-byte pixels), loaded into slot 0, a few of its sprites drawn,
// and freed. A refused file ends in the loader's fatal stop, caught through the exit hook.
#include <cstdint>
#include <vector>

#include "interface/spr.h"
#include "plat/test.h"
#include "tests/support/screen_target.h"
#include "tests/support/temp_drives.h"

namespace {

kalder_test::TempDrives &drives()
{
    static kalder_test::TempDrives *the_drives = new kalder_test::TempDrives("C");
    return *the_drives;
}

void fatal_hook(int code) { throw test::ExitCalled{code}; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static unsigned inputs = 0;
    const bool alp = (inputs++ & 1) != 0;
    kalder_test::TempDrives &d = drives();
    test::Reset();
    test::MapDrive('C', d.Host('C'));
    test::ResetCurrentDirectories();
    test::SetExitHook(fatal_hook);
    const char *host = alp ? "data/font/fuzz.alp" : "data/font/fuzz.spr";
    d.Write('C', host, std::vector<uint8_t>(data, data + size));
    try {
        SPR_LoadSet(alp ? "data\\font\\fuzz.alp" : "data\\font\\fuzz.spr", 0);
        kalder_test::ScreenTarget screen(64, 48);
        for (int32_t i = 0; i < 256; i += 17) {
            SPR_DrawSprite(0, i, 32, 24);
        }
    } catch (const test::ExitCalled &) {
        if (SPR_Sets[0].entries != nullptr || SPR_Sets[0].palette != nullptr) {
            __builtin_trap(); // a refusal leaves the slot empty
        }
    }
    SPR_FreeAll();
    test::CloseAllFiles();
    test::Reset();
    return 0;
}
