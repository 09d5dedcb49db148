// mkdemo: writes a small synthetic installation that `make run` plays from.
//
// Layout, under the folder given: drives/D is the game disc (DATA\1CD.ID) and drives/C the hard disk
// holding the installation folder \VORN\KALDER\ (DATA\HD.ID, with empty DATA\3DC, DATA\ANIM and
// DATA\GAME: a standard installation, not a full one). Run the game from that folder, or point
// KALDER_DRIVES at the two drives.
#include <cstdio>
#include <filesystem>

#include "tests/support/install_writer.h"

namespace fs = std::filesystem;

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkdemo <folder>\n");
        return 2;
    }
    const fs::path root = fs::path(argv[1]) / "drives";
    bool ok = kalder_test::WriteMinimalInstallation((root / "C").string(), (root / "D").string());
    if (!ok) {
        std::fprintf(stderr, "mkdemo: cannot write under %s\n", argv[1]);
        return 1;
    }
    std::printf("demo installation written to %s\n", argv[1]);
    return 0;
}
