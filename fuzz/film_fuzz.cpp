// Fuzzes the film player: byte 0 chooses sound on or off (bit 0) and the screen size (the rest, among
// the six sizes); the other bytes are the film, played to its end or for 500 frames.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/clk.h"
#include "core/dpr.h"
#include "core/mem.h"
#include "core/mgm.h"
#include "core/que.h"
#include "core/scr.h"
#include "core/snd.h"
#include "core/sys.h"
#include "films/hnm.h"
#include "plat/test.h"
#include "tests/support/temp_drives.h"

namespace {

kalder_test::TempDrives &drives()
{
    static kalder_test::TempDrives the_drives("D");
    return the_drives;
}

struct ScreenSize {
    uint32_t width, height;
};
constexpr ScreenSize kSizes[] = {{800, 600}, {640, 480}, {640, 400}, {400, 300}, {320, 400}, {320, 200}};

void play()
{
    if (HNM_Open("data\\hnm\\fuzz.hnm") == 0) {
        return;
    }
    for (int frame = 0; frame < 500 && HNM_Kind != 0; frame++) {
        test::AdvanceClock(35);
        HNM_FrameDue();
        HNM_FillStream();
        HNM_NextFrame();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    kalder_test::TempDrives &d = drives();
    test::Reset();
    test::MapDrive('D', d.Host('D'));
    test::ResetCurrentDirectories();
    test::SetExitHook(test::ThrowOnExit);
    d.Write('D', "DATA/HNM/FUZZ.HNM", std::vector<uint8_t>(data + 1, data + size));
    const ScreenSize screen = kSizes[(data[0] >> 1) % 6];
    SCR_Width = screen.width;
    SCR_Height = screen.height;
    MEM_Arena = MEM_CreateStack(0x172000);
    DPR_Main = DPR_Create(0x57800, 0x57800, 0x8000);
    MGM_ControlQueue = QUE_Create(50);
    CLK_Start(200, 15);
    if (data[0] & 1) {
        test::SetSoundDevice(true);
        SND_Init(8);
    }
    try {
        play();
    } catch (const test::ExitCalled &) {
        // A fatal stop is the game's answer; the player has none for a film.
        std::abort();
    }
    HNM_Close();
    if (test::OpenFileCount() != 0) {
        std::abort();
    }
    SND_Shutdown();
    QUE_Destroy(MGM_ControlQueue);
    MGM_ControlQueue = nullptr;
    DPR_Destroy(DPR_Main);
    DPR_Main = nullptr;
    MEM_DestroyStack(MEM_Arena);
    MEM_Arena = nullptr;
    HNM_State = HNM_PlayerState{};
    test::CloseAllFiles();
    test::Reset();
    return 0;
}
