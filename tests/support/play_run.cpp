// The headless play loop of kdev play and the end-to-end tests (see play_run.h).
#include "tests/support/play_run.h"

#include <cstdio>
#include <cstring>

#include "core/dsp.h"
#include "core/mgm.h"
#include "core/opt.h"
#include "core/sys.h"
#include "interface/txt.h"
#include "plat/test.h"
#include "world/actor.h"
#include "world/prj.h"

namespace kalder_test {

namespace {

// What the loop watches between two frames.
struct Watch {
    float fade = 0.0f;
    std::string current;
    int32_t pending = 1;
    int32_t ended = 0;
};

std::string current_name()
{
    if (PRJ_Current == nullptr) {
        return "";
    }
    return std::string(PRJ_Current->name, strnlen(PRJ_Current->name, sizeof PRJ_Current->name));
}

std::string format(const char *pattern, double a, double b = 0.0, double c = 0.0)
{
    char text[128];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

} // namespace

PlayResult PlayRun(const PlayOptions &options)
{
    PlayResult result;
    Watch watch;
    int round = 0;
    bool quit_posted = false;

    auto write = [&](int at, const std::string &text) {
        std::string line = "round " + std::to_string(at) + ": " + text;
        if (options.print) {
            options.print(line);
        }
        result.lines.push_back(std::move(line));
    };
    // Compares the game's state with the last look and writes down what changed in round `at`.
    auto observe = [&](int at) {
        if (GAME_FadeTimer != watch.fade) {
            write(at, GAME_FadeTimer > 0.0f ? format("fade %.2f", double(GAME_FadeTimer)) : "fade ends");
            watch.fade = GAME_FadeTimer;
        }
        const std::string current = current_name();
        if (current != watch.current) {
            write(at, current + " current");
            watch.current = current;
        }
        if (watch.pending == 1 && PRJ_PendingFlag == 0) {
            const ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
            write(at, current + " loaded, hero at " +
                          format("(%.1f, %.1f, %.1f)", hero.position[0], hero.position[1], hero.position[2]));
        }
        watch.pending = PRJ_PendingFlag;
        if (GAME_EndRequest == 1 && watch.ended == 0) {
            write(at, "end of the game");
        }
        watch.ended = GAME_EndRequest;
    };

    // The window program's display: every frame is presented through the window back-end.
    DSP_BackEnd = 1;
    test::SetExitHook(test::ThrowOnExit);
    test::SetPresentHook([&](int) {
        // The start-up presents its two buffers before the game's receiver exists: no round yet.
        if (MGM_CurrentReceiver.handler == nullptr) {
            return;
        }
        // Each game frame presents the last one first, then runs its tick: what is seen here is what
        // the previous round did.
        if (round > 0) {
            observe(round);
            if (options.between_rounds) {
                options.between_rounds(round);
            }
        }
        round++;
        result.rounds = round;
        const std::vector<test::Present> &presents = test::Presents();
        if (!presents.empty()) {
            result.last_frame = presents.back().pixels;
            result.width = presents.back().width;
            result.height = presents.back().height;
        }
        test::AdvanceClock(options.round_ms);
        for (const PlayPlacement &place : options.placements) {
            if (place.round == round) {
                ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
                hero.position[0] = place.x;
                hero.position[1] = place.y;
                hero.position[2] = place.z;
            }
        }
        if (round == options.rounds && !quit_posted) {
            quit_posted = true;
            test::PostQuit();
        }
    });
    try {
        result.win_main_result = WinMain(nullptr, nullptr, "", 1);
    } catch (const test::ExitCalled &exit) {
        result.exit_code = exit.code;
    }
    test::SetPresentHook(nullptr);
    // The game leaves its fonts and sprite sets to the end of the process; a run inside a longer one
    // gives them back.
    TXT_FreeAll();
    observe(round);
    result.ended_by_itself = !quit_posted && result.win_main_result == 0;
    if (quit_posted) {
        write(round, "quit");
    }
    return result;
}

} // namespace kalder_test
