// kdev: the developers' program on the headless back-end. One command, one subcommand per job:
//   kdev resolve <game path>...            host path of each, or "not found"
//   kdev find <pattern>                    the directory search's matches
//   kdev mkpack <out.bf> NAME=hostfile...  writes a pack
//   kdev pack <game path of a .bf>         opens the pack; name, offset, size and FNV-1a of each entry
// It takes the drive map from KALDER_DRIVES or ./drives, as the programs do. A fatal error prints the
// game's text on the standard error and ends with the game's exit code.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/file.h"
#include "core/pack.h"
#include "plat/files.h"
#include "plat/test.h"
#include "tests/support/pack_writer.h"

// The headless message box has already written the text to the standard error.
static void print_fatal(int code)
{
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(code);
}

static int usage()
{
    std::fprintf(stderr,
                 "usage: kdev resolve <game path>...\n"
                 "       kdev find <pattern>\n"
                 "       kdev mkpack <out.bf> NAME=hostfile...\n"
                 "       kdev pack <game path of a .bf>\n");
    return 2;
}

static int resolve(int argc, char **argv)
{
    for (int i = 0; i < argc; i++) {
        std::string host;
        if (PLAT_ResolvePath(argv[i], PLAT_RESOLVE_EXISTING, &host)) {
            std::printf("%s\n", host.c_str());
        } else {
            std::printf("not found\n");
        }
    }
    return 0;
}

static int find(const char *pattern)
{
    for (const PLAT_FindEntry &e : PLAT_FindFiles(pattern)) {
        if (e.is_directory) {
            std::printf("%-40s <DIR>\n", e.name.c_str());
        } else {
            std::printf("%-40s %10" PRIu32 "\n", e.name.c_str(), e.size);
        }
    }
    return 0;
}

static int mkpack(int argc, char **argv)
{
    std::vector<kalder_test::PackWriterEntry> entries;
    for (int i = 1; i < argc; i++) {
        const char *equals = std::strchr(argv[i], '=');
        if (equals == nullptr || equals == argv[i]) {
            return usage();
        }
        std::ifstream in(equals + 1, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "kdev: cannot read %s\n", equals + 1);
            return 1;
        }
        kalder_test::PackWriterEntry e;
        e.name.assign(argv[i], size_t(equals - argv[i]));
        e.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        entries.push_back(e);
    }
    if (!kalder_test::WritePack(argv[0], entries)) {
        std::fprintf(stderr, "kdev: cannot write %s\n", argv[0]);
        return 1;
    }
    return 0;
}

static int pack(const char *path)
{
    PACK_Open(path);
    for (int32_t i = 0; i < PACK_Count; i++) {
        std::string name = PACK_Table[i].name;
        int32_t handle = FILE_Open(name.c_str(), O_RDONLY | O_BINARY);
        uint32_t hash = 2166136261u;
        uint8_t piece[1000];
        int32_t n;
        while ((n = FILE_Read(handle, piece, sizeof piece)) > 0) {
            for (int32_t k = 0; k < n; k++) {
                hash = (hash ^ piece[k]) * 16777619u;
            }
        }
        FILE_Close(handle);
        std::printf("%-40s %10" PRIu32 " %10" PRIu32 "  %08" PRIx32 "\n", PACK_Table[i].name, PACK_Table[i].offset,
                    PACK_Table[i].size, hash);
    }
    PACK_FreeTable();
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        return usage();
    }
    test::SetExitHook(print_fatal);
    PLAT_LoadDriveMapFromEnvironment();
    std::string command = argv[1];
    if (command == "resolve" && argc >= 3) {
        return resolve(argc - 2, argv + 2);
    }
    if (command == "find" && argc == 3) {
        return find(argv[2]);
    }
    if (command == "mkpack" && argc >= 3) {
        return mkpack(argc - 2, argv + 2);
    }
    if (command == "pack" && argc == 3) {
        return pack(argv[2]);
    }
    return usage();
}
