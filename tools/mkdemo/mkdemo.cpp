// mkdemo: writes a small synthetic installation that `make run` plays from.
//
// Layout, under the folder given: drives/D is the game disc (DATA\1CD.ID) and drives/C the hard disk
// holding the installation folder \VORN\KALDER\ (DATA\HD.ID). Run the game from that folder, or point
// KALDER_DRIVES at the two drives.
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

static bool write_marker(const fs::path &path)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return bool(out);
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
    if (!ok) {
        std::fprintf(stderr, "mkdemo: cannot write under %s\n", argv[1]);
        return 1;
    }
    std::printf("demo installation written to %s\n", argv[1]);
    return 0;
}
