// mkdemo: writes a small synthetic installation that `make run` plays from.
//
// Layout, under the folder given: drives/D is the game disc (DATA\1CD.ID, and the project database
// kalder.dat at its root) and drives/C the hard disk holding the installation folder VORN\KALDER
// (DATA\HD.ID). Run the game from that folder, or point KALDER_DRIVES at the two drives.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/support/level_writer.h"
#include "tests/support/pack_writer.h"

namespace fs = std::filesystem;
using kalder_test::LevelRecordBuilder;

static bool write_marker(const fs::path &path)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return bool(out);
}

// Three projects: Project0, where the hero starts, has an exit to Project1, which leads back;
// Project2's scene ends the game. Every other record is blank, as the editor leaves it.
static kalder_test::KalderDatWriter demo_database()
{
    kalder_test::KalderDatWriter db;
    const std::vector<uint8_t> blank = kalder_test::BlankEditorRecord();
    db.records[0] = LevelRecordBuilder(blank)
                        .Name("Project0")
                        .InUse()
                        .I32s(kalder_test::level::kStartPosition, {0, -160, 0})
                        .Exit(0, "EXIT1", "Project1", 0x01, {1200, -1000, -300}, {1600, 1000, 300})
                        .Bytes();
    db.records[1] = LevelRecordBuilder(blank)
                        .Name("Project1")
                        .InUse()
                        .Exit(0, "EXIT1", "Project0", 0x01, {1200, -1000, -300}, {1600, 1000, 300})
                        .Bytes();
    db.records[2] = LevelRecordBuilder(blank).Name("Project2").InUse().Element(0, "EMPTY", "END.DSN").Bytes();
    return db;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkdemo <folder>\n");
        return 2;
    }
    const fs::path root = fs::path(argv[1]) / "drives";
    const fs::path disc = root / "D";
    const fs::path install = root / "C" / "VORN" / "KALDER";
    bool ok = write_marker(disc / "DATA" / "1CD.ID") && write_marker(install / "DATA" / "HD.ID");
    const std::vector<uint8_t> database = demo_database().Image();
    ok = ok && kalder_test::WriteHostFile((disc / "kalder.dat").string(), database);
    // Until the disc search makes the disc root current at start-up, the game reads kalder.dat from the
    // root of drive C: keep a copy there.
    ok = ok && kalder_test::WriteHostFile((root / "C" / "kalder.dat").string(), database);
    if (!ok) {
        std::fprintf(stderr, "mkdemo: cannot write under %s\n", argv[1]);
        return 1;
    }
    std::printf("demo installation written to %s\n", argv[1]);
    return 0;
}
