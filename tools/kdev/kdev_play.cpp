// kdev play: the program's start-up and rounds of its real frame handler on an installation folder,
// 35 ms a round, the hero put where asked; prints the fades, the projects made current, the loads
// and the end, and writes the last frame presented; with --triggers, the scene triggers that fired.
// Its options and run are kdev ai's as well.
#include "tools/kdev/kdev_play.h"
#include "tools/kdev/kdev_level.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "plat/test.h"
#include "tests/support/key_script.h"
#include "tests/support/play_trace.h"
#include "tests/support/png16.h"
#include "world/actor.h"
#include "world/save.h"
#include "world/trg.h"

namespace {

// "X,Y,Z@K": the hero at (X, Y, Z) before round K.
bool parse_place(const char *text, kalder_test::PlayPlacement &place)
{
    char tail = 0;
    return std::sscanf(text, "%lf,%lf,%lf@%d%c", &place.x, &place.y, &place.z, &place.round, &tail) == 4 &&
           place.round > 0;
}

// "NAME@K": a slot name of at most 21 characters and a round from 1.
bool parse_save(const char *text, bool load, KdevPlayArgs::SaveStep &step)
{
    const char *at = std::strrchr(text, '@');
    long round = 0;
    char *end = nullptr;
    if (at == nullptr || at == text || at - text > 21) {
        return false;
    }
    round = std::strtol(at + 1, &end, 10);
    if (end == at + 1 || *end != '\0' || round < 1 || round > 1000000) {
        return false;
    }
    step = {std::string(text, size_t(at - text)), int(round), load};
    return true;
}

// Saves the running game under the name as the automatic save does: the slot of that name or the first
// free one, a stamp above every other, then the game, the table and the thumbnail.
void save_game(const std::string &name, int round)
{
    SAVE_Slot *slot = nullptr;
    int32_t stamp = 0;
    for (SAVE_Slot &s : SAVE_Slots) {
        stamp = s.stamp > stamp ? s.stamp : stamp;
        if (slot == nullptr && std::strncmp(s.name, name.c_str(), sizeof s.name) == 0) {
            slot = &s;
        }
    }
    for (SAVE_Slot &s : SAVE_Slots) {
        if (slot == nullptr && s.name[0] == '\0') {
            slot = &s;
        }
    }
    if (slot == nullptr) {
        std::printf("round %d: save \"%s\": no free slot\n", round, name.c_str());
        return;
    }
    std::snprintf(slot->name, sizeof slot->name, "%s", name.c_str());
    slot->stamp = stamp + 1;
    const int32_t game = SAVE_WriteGame(name.c_str());
    const int32_t table = SAVE_WriteSlots();
    const int32_t thumbnail = SAVE_WriteThumbnail(name.c_str());
    std::printf("round %d: save \"%s\": game %d, table %d, thumbnail %d\n", round, name.c_str(), int(game), int(table),
                int(thumbnail));
}

// A whole decimal number, nothing after it.
bool parse_number(const char *text, long &value)
{
    char *end = nullptr;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0';
}

int usage()
{
    std::fprintf(stderr,
                 "usage: kdev play <folder> [--frames N] [--place X,Y,Z@K]... [--project NAME] [--png OUT.png]\n"
                 "                 [--triggers] [--keys SCRIPT] [--trace OUT] [--partner] [--save NAME@K]... [--load NAME@K]...\n"
                 "  with --keys or --trace, frames count from the end of the first level load\n"
                 "  --partner: the hero is a conversation partner, so that a character with symbol data talks to it\n"
                 "  --save and --load save the game under NAME, or load it, before round K\n");
    return 2;
}

} // namespace

bool KdevReadPlayArgs(int argc, char **argv, int takes, KdevPlayArgs &args)
{
    if (argc < 1) {
        return false;
    }
    args.folder = argv[0];
    for (int i = 1; i < argc; i++) {
        const char *option = argv[i];
        if (std::strcmp(option, "--triggers") == 0 && (takes & KDEV_TAKES_TRIGGERS) != 0) {
            args.triggers = true;
            continue;
        }
        if (std::strcmp(option, "--partner") == 0 && (takes & KDEV_TAKES_PARTNER) != 0) {
            args.partner = true;
            continue;
        }
        if (i + 1 >= argc) {
            return false;
        }
        const char *value = argv[++i];
        long number = 0;
        if (std::strcmp(option, "--frames") == 0) {
            if (!parse_number(value, number) || number < 1 || number > 1000000) {
                return false;
            }
            args.options.rounds = int(number);
        } else if (std::strcmp(option, "--place") == 0) {
            kalder_test::PlayPlacement place{};
            if (!parse_place(value, place)) {
                return false;
            }
            args.options.placements.push_back(place);
        } else if (std::strcmp(option, "--project") == 0) {
            args.options.project = value;
        } else if (std::strcmp(option, "--png") == 0 && (takes & KDEV_TAKES_PNG) != 0) {
            args.png = value;
        } else if (std::strcmp(option, "--keys") == 0 && (takes & KDEV_TAKES_SCRIPT) != 0) {
            args.keys = value;
        } else if (std::strcmp(option, "--trace") == 0 && (takes & KDEV_TAKES_SCRIPT) != 0) {
            args.trace = value;
        } else if ((std::strcmp(option, "--save") == 0 || std::strcmp(option, "--load") == 0) &&
                   (takes & KDEV_TAKES_SAVES) != 0) {
            KdevPlayArgs::SaveStep step;
            if (!parse_save(value, option[2] == 'l', step)) {
                return false;
            }
            args.saves.push_back(step);
        } else if (std::strcmp(option, "--seed") == 0 && (takes & KDEV_TAKES_SEED) != 0) {
            if (!parse_number(value, number) || number < 0 || number > 0xFFFFFFFFL) {
                return false;
            }
            args.seed = uint32_t(number);
        } else {
            return false;
        }
    }
    return true;
}

int KdevPlayFolder(const char *command, const KdevPlayArgs &args, kalder_test::PlayResult &result)
{
    test::Reset();
    if (!KdevMapDrives(args.folder)) {
        return 1;
    }
    result = kalder_test::PlayRun(args.options);
    if (result.project_missing) {
        std::fprintf(stderr, "kdev %s: no project %s\n", command, args.options.project.c_str());
        return 1;
    }
    if (result.exit_code != 0) {
        for (const test::MessageBox &box : test::MessageBoxes()) {
            std::fprintf(stderr, "kdev: %s: %s\n", box.title.c_str(), box.text.c_str());
        }
        std::fprintf(stderr, "kdev: the game stopped with code %d\n", result.exit_code);
        return 1;
    }
    std::printf("%d frames, %s\n", result.rounds, result.ended_by_itself ? "the game ended by itself" : "quit");
    return 0;
}

int KdevPlay(int argc, char **argv)
{
    KdevPlayArgs args;
    if (!KdevReadPlayArgs(argc, argv,
                          KDEV_TAKES_PNG | KDEV_TAKES_TRIGGERS | KDEV_TAKES_SCRIPT | KDEV_TAKES_PARTNER | KDEV_TAKES_SAVES,
                          args)) {
        return usage();
    }
    // A script or a trace: --frames counts the frames from the end of the first level load.
    std::string trace_text;
    if (args.keys != nullptr || args.trace != nullptr) {
        std::vector<kalder_test::KeyEvent> events;
        if (args.keys != nullptr) {
            const std::string refusal = kalder_test::LoadKeyScript(args.keys, events);
            if (!refusal.empty()) {
                std::fputs(refusal.c_str(), stderr);
                return 2;
            }
        }
        kalder_test::ScriptedRun(args.options, std::move(events), args.options.rounds, &trace_text);
    }
    args.options.print = [](const std::string &line) { std::printf("%s\n", line.c_str()); };
    if (args.partner) {
        // Nothing in the game makes the hero a conversation partner; the creature AI needs one to talk to.
        const std::function<void()> earlier = args.options.at_first_frame;
        args.options.at_first_frame = [earlier] {
            if (earlier) {
                earlier();
            }
            ACTOR_Slots[ACTOR_HERO].flags[1] |= ACTOR_F1_CONVERSATION;
        };
    }
    if (args.triggers) {
        args.options.between_rounds = [](int round) {
            for (int32_t i = 0; i < TRG_COUNT; i++) {
                if ((TRG_LastFired & (1u << i)) != 0) {
                    std::printf("tick %d: trigger %d fired\n", round, int(i));
                }
            }
            // A round without a game tick (a film holding the game) reports nothing again.
            TRG_LastFired = 0;
        };
    }
    if (!args.saves.empty()) {
        args.options.before_round = [saves = args.saves](int round) {
            for (const KdevPlayArgs::SaveStep &step : saves) {
                if (step.round != round) {
                    continue;
                }
                if (step.load) {
                    std::printf("round %d: load \"%s\": %d\n", round, step.name.c_str(), int(SAVE_ReadGame(step.name.c_str())));
                } else {
                    save_game(step.name, round);
                }
            }
        };
    }
    kalder_test::PlayResult result;
    if (KdevPlayFolder("play", args, result) != 0) {
        return 1;
    }
    if (args.trace != nullptr) {
        std::ofstream out(args.trace, std::ios::binary);
        if (!(out << trace_text)) {
            std::fprintf(stderr, "kdev: cannot write %s\n", args.trace);
            return 1;
        }
        std::printf("trace %s\n", args.trace);
    }
    if (args.png != nullptr) {
        if (result.last_frame.empty() ||
            !kalder_test::WritePng16(args.png, result.last_frame.data(), result.width, result.height, false)) {
            std::fprintf(stderr, "kdev: cannot write %s\n", args.png);
            return 1;
        }
        std::printf("picture %s\n", args.png);
    }
    return 0;
}
