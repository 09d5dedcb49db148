// The dialog window run headless on the demo installation (see dialog_pictures.h).
#include "tests/support/dialog_pictures.h"

#include <cstring>

#include "core/dsp.h"
#include "core/mgm.h"
#include "core/scr.h"
#include "core/sys.h"
#include "core/win.h"
#include "interface/dlg.h"
#include "interface/txt.h"
#include "plat/test.h"
#include "tests/support/level_start.h"
#include "world/cam.h"
#include "world/ctrl.h"
#include "world/dsn.h"
#include "world/prj.h"
#include "world/prj_load.h"

namespace kalder_test {

std::vector<uint16_t> DemoProject0Frame(int width, int height)
{
    ScreenTarget screen(width, height);
    StartLevelCore();
    CAM_Init();
    PRJ_PendingFlag = 1;
    PRJ_LoadPending();
    for (int i = 0; i < 31; i++) {
        DSN_UpdateFrame();
    }
    SCR_ComposeFrame();
    std::vector<uint16_t> frame = screen.Frame();
    StopLevelCore();
    CAM_Exit();
    return frame;
}

DialogStage::DialogStage(int width, int height, const std::vector<uint16_t> &background)
{
    test::SetSoundDevice(true);
    DSP_BackEnd = 1;
    WIN_InitDisplay(nullptr, 1);
    SYS_Init();
    SYS_CreateMessageManager();
    // The opening film would go on under the window; the window is shown over a still picture.
    MGM_SendMessage(25);
    GAME_FilmHold = 0;
    screen_ = std::make_unique<ScreenTarget>(width, height);
    std::memcpy(screen_->pixels(), background.data(), background.size() * sizeof(uint16_t));
    SCR_Flip();
}

DialogStage::~DialogStage()
{
    test::SetPumpHook(nullptr);
    test::SetPresentHook(nullptr);
    screen_.reset();
    SYS_DestroyMessageManager();
    SYS_Shutdown();
    WIN_ShutdownDisplay();
    TXT_FreeAll();
}

namespace {
int32_t elapsed_ticks;
} // namespace

int32_t DialogTick() { return elapsed_ticks; }

DialogRun RunDialog(int32_t entry, const DialogScript &script)
{
    DialogRun run;
    elapsed_ticks = 0;
    int32_t keyed_tick = -1;
    test::SetPumpHook([&] {
        // The flag still tells whether the last round's dispatch carried a tick. It is taken here, so
        // that a round that ends before the receiver runs (the quit) counts none.
        elapsed_ticks += CTRL_TickFlag;
        CTRL_TickFlag = 0;
        run.rounds++;
        test::AdvanceClock(script.round_ms);
        if (script.on_round) {
            script.on_round(elapsed_ticks);
        }
        if (elapsed_ticks != keyed_tick) {
            keyed_tick = elapsed_ticks;
            for (const auto &[tick, vk] : script.keys) {
                if (tick == elapsed_ticks) {
                    test::KeyTap(vk);
                }
            }
            if (elapsed_ticks == script.quit_at) {
                test::PostQuit();
            }
        }
        if (run.rounds == script.round_limit) {
            run.limit_hit = true;
            test::PostQuit();
        }
    });
    test::SetPresentHook([&](int) {
        const std::vector<uint16_t> pixels(SCR_FrameBuffer, SCR_FrameBuffer + size_t(SCR_Width) * SCR_Height);
        run.frames.push_back({elapsed_ticks + CTRL_TickFlag, pixels});
        if (script.on_present) {
            script.on_present(elapsed_ticks + CTRL_TickFlag);
        }
    });
    if (DLG_LoadEntry(entry) != 0) {
        DLG_RunWindow();
    }
    // The closing round's tick.
    elapsed_ticks += CTRL_TickFlag;
    test::SetPumpHook(nullptr);
    test::SetPresentHook(nullptr);
    return run;
}

const DialogFrame *FrameAt(const DialogRun &run, int32_t tick)
{
    const DialogFrame *found = nullptr;
    for (const DialogFrame &frame : run.frames) {
        if (frame.tick <= tick) {
            found = &frame;
        }
    }
    return found;
}

} // namespace kalder_test
