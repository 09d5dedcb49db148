// Fuzzes the icon loader: the input is the icon pack data\icone\icones.bf on a scratch drive; the pack
// is opened, the five sets loaded, an icon of each set drawn in every routine, and everything freed.
// A refused pack or set ends in the fatal stop, caught through the exit hook; nothing may stay taken.
#include <cstdint>
#include <vector>

#include "core/pack.h"
#include "interface/ico.h"
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
    kalder_test::TempDrives &d = drives();
    test::Reset();
    test::MapDrive('C', d.Host('C'));
    test::ResetCurrentDirectories();
    test::SetExitHook(fatal_hook);
    d.Write('C', "data/icone/icones.bf", std::vector<uint8_t>(data, data + size));
    const size_t heap = test::HeapBlocksInUse();
    try {
        PACK_Open("data\\icone\\icones.bf");
        ICO_LoadSets();
        kalder_test::ScreenTarget screen(96, 64);
        for (int32_t set = 0; set < ICO_SET_COUNT; set++) {
            for (int32_t sprite : {0, 3, 15}) {
                ICO_Draw(set, sprite, sprite, 40, 30);
                ICO_DrawDark(set, sprite, 1, 40, 30);
                ICO_DrawPlain(set, sprite, 2, 40, 30);
                ICO_DrawPlainDark(set, sprite, 3, 40, 30);
                ICO_DrawFaded(set, sprite, 4, 40, 30, 3);
            }
        }
        if (!screen.GuardIntact()) {
            __builtin_trap();
        }
    } catch (const test::ExitCalled &) {
    }
    ICO_FreeSets();
    PACK_FreeTable();
    if (test::HeapBlocksInUse() != heap) {
        __builtin_trap(); // a refusal gives back what the load took
    }
    test::CloseAllFiles();
    test::Reset();
    return 0;
}
