// kdev: the developers' program on the headless back-end. One command, one subcommand per job:
//   kdev resolve <game path>...            host path of each, or "not found"
//   kdev find <pattern>                    the directory search's matches
//   kdev mkpack <out.bf> NAME=hostfile...  writes a pack
//   kdev pack <game path of a .bf>         opens the pack; name, offset, size and FNV-1a of each entry
//   kdev prj <folder>                      loads <folder>/kalder.dat as drive D:'s root; lists the records
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
#include "world/prj.h"

#include <unistd.h>

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
                 "       kdev pack <game path of a .bf>\n"
                 "       kdev prj <folder>\n");
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

// Maps the folder as drive D:, makes its root current, loads its kalder.dat as the game does and
// lists every record.
static int prj(const char *folder)
{
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr) {
        std::strcpy(cwd, ".");
    }
    std::string map = std::string("D=") + folder;
    if (PLAT_LoadDriveMap(map.c_str(), cwd) != 1 || PLAT_SetDrive('D') != 0) {
        std::fprintf(stderr, "kdev: %s is not a folder\n", folder);
        return 1;
    }
    PRJ_LoadDatabase();
    std::printf("%-5s %-20s %-6s %-6s %-10s %s\n", "index", "name", "in use", "packed", "title", "data part");
    for (int32_t i = 0; i < PRJ_RECORD_COUNT; i++) {
        int32_t start, end;
        std::memcpy(&start, PRJ_Database + 4 * i, sizeof start);
        std::memcpy(&end, PRJ_Database + 4 * (i + 1), sizeof end);
        static LevelRecord record;
        std::memset(&record, 0, sizeof record);
        PRJ_UnpackRecord(reinterpret_cast<uint8_t *>(&record), sizeof record, PRJ_Database + PRJ_TABLE_SIZE + start,
                         end - start);
        std::string name(record.name, strnlen(record.name, sizeof record.name));
        const char *title = PRJ_FindTitle(name.c_str());
        std::printf("%-5d %-20s %-6d %-6d %-10s %d\n", int(i), name.c_str(), record.flags & 1, int(end - start),
                    title != nullptr ? title : "-", int(record.data_part));
        for (const ExitRecord &exit : record.exits) {
            if (exit.target[0] != '\0') {
                std::printf("      exit %.12s -> %.12s\n", exit.name, exit.target);
            }
        }
    }
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
    if (command == "prj" && argc == 3) {
        return prj(argv[2]);
    }
    return usage();
}
