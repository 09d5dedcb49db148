// Fuzzes the drive map's parser (the text of KALDER_DRIVES) against a scratch base folder: every
// drive it maps is a folder, and the count it returns is the number of drives mapped. An input that
// starts with a NUL maps from the base's drives folder instead.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "plat/files.h"
#include "plat/test.h"
#include "tests/support/temp_drives.h"

namespace fs = std::filesystem;

namespace {

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "drive_map_fuzz: %s\n", what);
        std::abort();
    }
}

// The base: folders C and D, a drives folder with letters of both cases, a letter that is a file and
// a longer name; beside them a plain file, a nested folder, a link to a folder and a dangling link.
kalder_test::TempDrives &base()
{
    static kalder_test::TempDrives *the_base = [] {
        auto *b = new kalder_test::TempDrives("CD");
        const fs::path root = b->Root();
        for (const char *folder : {"drives/C", "drives/d", "drives/X", "drives/XY", "sub/deeper", "a b;c"}) {
            fs::create_directories(root / folder);
        }
        b->Write('C', "../file", "not a folder");
        b->Write('C', "../drives/F", "a file named as a drive");
        std::error_code error;
        fs::create_directory_symlink(root / "sub", root / "link", error);
        fs::create_symlink(root / "nowhere", root / "dangling", error);
        return b;
    }();
    return *the_base;
}

bool is_folder(const std::string &host)
{
    struct stat st;
    return stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string root = base().Root();
    const std::string text(reinterpret_cast<const char *>(data), size);
    // The variable's text ends at its first NUL, as the environment gives it.
    const bool from_folder = size > 0 && data[0] == 0;
    const int count = PLAT_LoadDriveMap(from_folder ? nullptr : text.c_str(), root.c_str());

    int mapped = 0;
    int lowest = 0;
    for (int letter = 'A'; letter <= 'Z'; letter++) {
        const std::string host = PLAT_DriveHost(letter);
        check(host == PLAT_DriveHost(letter + ('a' - 'A')), "a drive's two cases map apart");
        if (host.empty()) {
            continue;
        }
        check(is_folder(host), "a drive mapped to what is not a folder");
        mapped++;
        lowest = lowest == 0 ? letter : lowest;
    }
    check(count == mapped, "the count returned is not the number of drives mapped");
    const int expected = !PLAT_DriveHost('C').empty() ? 'C' : lowest;
    check(PLAT_GetDrive() == expected, "the current drive is not C, or the lowest mapped");
    for (int letter = 'A'; letter <= 'Z'; letter++) {
        if (!PLAT_DriveHost(letter).empty()) {
            check(PLAT_GetDirectory(letter) == "\\", "a current directory that is not the root");
        }
    }
    test::Reset();
    return 0;
}
