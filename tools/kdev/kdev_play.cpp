// kdev play: the program's start-up and rounds of its real frame handler on an installation folder,
// 35 ms a round, the hero put where asked; prints the fades, the projects made current, the loads
// and the end, and writes the last frame presented.
#include "tools/kdev/kdev_play.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "plat/files.h"
#include "plat/test.h"
#include "tests/support/key_script.h"
#include "tests/support/play_run.h"
#include "tests/support/play_trace.h"
#include "tests/support/png16.h"

namespace {

// "X,Y,Z@K": the hero at (X, Y, Z) before round K.
bool parse_place(const char *text, kalder_test::PlayPlacement &place)
{
    char tail = 0;
    return std::sscanf(text, "%lf,%lf,%lf@%d%c", &place.x, &place.y, &place.z, &place.round, &tail) == 4 &&
           place.round > 0;
}

int usage()
{
    std::fprintf(stderr, "usage: kdev play <folder> [--frames N] [--place X,Y,Z@K]... [--png OUT.png] [--keys SCRIPT]"
                 " [--trace OUT]\n"
                 "  with --keys or --trace, frames count from the end of the first level load\n");
    return 2;
}

} // namespace

int KdevPlay(int argc, char **argv)
{
    if (argc < 1) {
        return usage();
    }
    const char *folder = argv[0];
    const char *png = nullptr;
    const char *keys = nullptr;
    const char *trace = nullptr;
    kalder_test::PlayOptions options;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            options.rounds = int(std::strtol(argv[++i], nullptr, 10));
            if (options.rounds < 1) {
                return usage();
            }
        } else if (std::strcmp(argv[i], "--place") == 0 && i + 1 < argc) {
            kalder_test::PlayPlacement place{};
            if (!parse_place(argv[++i], place)) {
                return usage();
            }
            options.placements.push_back(place);
        } else if (std::strcmp(argv[i], "--png") == 0 && i + 1 < argc) {
            png = argv[++i];
        } else if (std::strcmp(argv[i], "--keys") == 0 && i + 1 < argc) {
            keys = argv[++i];
        } else if (std::strcmp(argv[i], "--trace") == 0 && i + 1 < argc) {
            trace = argv[++i];
        } else {
            return usage();
        }
    }
    // A script or a trace: --frames counts the frames from the end of the first level load.
    std::string trace_text;
    if (keys != nullptr || trace != nullptr) {
        std::vector<kalder_test::KeyEvent> events;
        if (keys != nullptr) {
            const std::string refusal = kalder_test::LoadKeyScript(keys, events);
            if (!refusal.empty()) {
                std::fputs(refusal.c_str(), stderr);
                return 2;
            }
        }
        kalder_test::ScriptedRun(options, std::move(events), options.rounds, &trace_text);
    }
    std::error_code error;
    const std::string base = std::filesystem::absolute(folder, error).string();
    test::Reset();
    if (!std::filesystem::is_directory(base + "/drives", error) || PLAT_LoadDriveMap(nullptr, base.c_str()) == 0) {
        std::fprintf(stderr, "kdev: %s holds no drives folder\n", folder);
        return 1;
    }
    options.print = [](const std::string &line) { std::printf("%s\n", line.c_str()); };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    if (result.exit_code != 0) {
        for (const test::MessageBox &box : test::MessageBoxes()) {
            std::fprintf(stderr, "kdev: %s: %s\n", box.title.c_str(), box.text.c_str());
        }
        std::fprintf(stderr, "kdev: the game stopped with code %d\n", result.exit_code);
        return 1;
    }
    if (trace != nullptr) {
        std::ofstream out(trace, std::ios::binary);
        if (!(out << trace_text)) {
            std::fprintf(stderr, "kdev: cannot write %s\n", trace);
            return 1;
        }
        std::printf("trace %s\n", trace);
    }
    std::printf("%d frames, %s\n", result.rounds, result.ended_by_itself ? "the game ended by itself" : "quit");
    if (png != nullptr) {
        if (result.last_frame.empty() ||
            !kalder_test::WritePng16(png, result.last_frame.data(), result.width, result.height, false)) {
            std::fprintf(stderr, "kdev: cannot write %s\n", png);
            return 1;
        }
        std::printf("picture %s\n", png);
    }
    return 0;
}
