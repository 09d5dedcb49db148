// The headless play loop of kdev play and the end-to-end tests (see play_run.h).
#include "tests/support/play_run.h"

#include <cstdio>
#include <cstring>

#include "core/dsp.h"
#include "core/game_frame.h"
#include "core/mgm.h"
#include "core/opt.h"
#include "core/rand.h"
#include "core/sys.h"
#include "engine3d/proctex.h"
#include "films/hnm.h"
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
    // A run starts from what a fresh process holds: the generator as if seeded with 1 and the HUD's
    // fire cold, whatever runs came before it in this process.
    SYS_SRand(1);
    std::memset(GFX_FireMap, 0, sizeof GFX_FireMap);
    GFX_FireSeed = GFX_FIRE_SEED_START;
    PlayResult result;
    Watch watch;
    int round = 0;
    bool quit_posted = false;
    int frame = -1; // the numbered frame about to run; -1 until the first load has finished
    KeyScriptPlayer keys(options.keys);

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
    // The title runs under its own receivers: while it does, the clock moves 5 ms a pass and its keys
    // are tapped. While a film holds the game, the clock moves 5 ms a pass as well, and the film's
    // frames are no rounds: rounds count from the title's and the film's end.
    bool in_game = false;
    size_t next_title_key = 0;
    bool title_left = false;
    int film_frames = 0;
    bool project_chosen = options.project.empty();
    test::SetPumpHook([&] {
        in_game = MGM_CurrentReceiver.handler == &GAME_FrameHandler;
        if (in_game && !project_chosen) {
            // The title's new game has read the database and left the first project waiting for the
            // first tick's load: the project asked for waits in its place.
            project_chosen = true;
            char name[32] = {};
            std::snprintf(name, sizeof name, "%s", options.project.c_str());
            LevelRecord *record = PRJ_SwitchTo(name, sizeof name);
            if (record == nullptr || PRJ_ReturnedToPrevious != 0) {
                result.project_missing = true;
                write(round, "no project " + options.project);
                quit_posted = true;
                test::PostQuit();
            } else {
                PRJ_MakeCurrent(record);
            }
        }
        if (!in_game) {
            if (result.title_passes == 0) {
                write(round, "title starts");
            }
            result.title_passes++;
            test::AdvanceClock(5);
            if (next_title_key < options.title_keys.size() &&
                result.title_passes % options.title_key_passes == 0) {
                test::KeyTap(options.title_keys[next_title_key++]);
            }
            if (result.title_passes == options.title_pass_limit && !quit_posted) {
                quit_posted = true;
                write(round, "the title is still running");
                test::PostQuit();
            }
        } else if (GAME_FilmHold == 1) {
            test::AdvanceClock(5);
        }
    });
    test::SetPresentHook([&](int) {
        // The start-up presents its two buffers before any receiver runs, the title its own frames, and
        // so does a window the game runs inside its frame (the dialog window), under its own receiver.
        if (!in_game) {
            result.title_frames++;
            if (options.other_present) {
                options.other_present();
            }
            return;
        }
        if (result.title_passes > 0 && !title_left) {
            title_left = true;
            write(round, "title left after " + std::to_string(result.title_passes) + " passes");
        }
        if (GAME_FilmHold == 1) {
            film_frames++;
            if (options.other_present) {
                options.other_present();
            }
            return;
        }
        if (film_frames > 0) {
            write(round, "film ends after " + std::to_string(film_frames) + " frames");
            film_frames = 0;
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
        if (frame >= 0) {
            if (options.after_frame && (options.frames == 0 || frame < options.frames)) {
                options.after_frame(frame, keys.Held());
            }
            frame++;
        } else if (round > 1 && PRJ_PendingFlag == 0) {
            frame = 0;
            if (options.at_first_frame) {
                options.at_first_frame();
            }
        }
        if (frame >= 0) {
            keys.Apply(frame);
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
        if (options.before_round) {
            options.before_round(round);
            // A saved game read here asks for its project's load, which this round's tick does: it is
            // written down as the loads the game asks for itself are.
            watch.pending = watch.pending != 0 ? watch.pending : PRJ_PendingFlag;
        }
        const bool last = options.frames > 0 ? frame == options.frames : round == options.rounds;
        if (last && !quit_posted) {
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
    test::SetPumpHook(nullptr);
    // The game leaves its fonts and sprite sets to the end of the process; a run inside a longer one
    // gives them back.
    TXT_FreeAll();
    // A run that ended by a fatal stop never shut down: a film it left open (a level's texture film)
    // still reads through live buffers and is closed here. After a quit the shutdown closed it.
    HNM_Close();
    observe(round);
    result.ended_by_itself = !quit_posted && result.win_main_result == 0;
    if (quit_posted) {
        write(round, "quit");
    }
    return result;
}

} // namespace kalder_test
