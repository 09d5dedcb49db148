// Fuzzes the install cache's list reader: the input is written as the disc's ListL1.txt and copied
// into the installation folder; with the first byte 'L' the rest is read as LEVEL.ID instead.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/dsk.h"
#include "plat/files.h"
#include "plat/test.h"
#include "tests/support/install_writer.h"
#include "tests/support/pack_writer.h"
#include "tests/support/temp_drives.h"

namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::vector<uint8_t>>;

std::vector<uint8_t> read_host(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Files files_below(const fs::path &folder)
{
    Files files;
    for (const auto &entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), folder).string()] = read_host(entry.path());
        }
    }
    return files;
}

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "dsk_list_fuzz: %s\n", what);
        std::abort();
    }
}

// Disc D with a few source files, installation folder C (full, with its cache folders).
kalder_test::TempDrives &drives()
{
    static kalder_test::TempDrives *the_drives = [] {
        auto *d = new kalder_test::TempDrives("CD");
        kalder_test::InstallOptions o;
        o.full = true;
        kalder_test::WriteInstall(d->Host('C'), o);
        kalder_test::WriteDisc(d->Host('D'), 1);
        kalder_test::WriteDriveFile(d->Host('D'), "DATA/3DC/L1.DSN", std::vector<uint8_t>(0x8000 + 3, 0x5A));
        kalder_test::WriteDriveFile(d->Host('D'), "DATA/3DC/Obj.3DC", {1, 2, 3});
        kalder_test::WriteDriveFile(d->Host('D'), "DATA/3DC/EMPTY.DAN", {});
        kalder_test::WriteDriveFile(d->Host('D'), "DATA/ANIM/Intro.HNM", {'H', 'N', 'M', '4'});
        kalder_test::WriteDriveFile(d->Host('D'), "X", {'x'});
        // A folder the installation lacks: copying there stops the game.
        kalder_test::WriteDriveFile(d->Host('D'), "DATA/GFX/A.TGA", {'t'});
        return d;
    }();
    return *the_drives;
}

void fatal_hook(int code) { throw test::ExitCalled{code}; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    kalder_test::TempDrives &d = drives();
    test::Reset();
    test::MapDrive('C', d.Host('C'));
    test::MapDrive('D', d.Host('D'));
    test::ResetCurrentDirectories();
    test::SetExitHook(fatal_hook);
    const fs::path c_root = d.Host('C');
    const fs::path install = kalder_test::InstallHost(d.Host('C'));
    const Files before = files_below(c_root);
    try {
        DSK_Locate();
    } catch (const test::ExitCalled &) {
        check(false, "the fixed tree was not found");
    }

    const std::vector<uint8_t> input(data, data + size);
    if (size > 0 && data[0] == 'L') {
        const std::vector<uint8_t> level(input.begin() + 1, input.end());
        kalder_test::WriteDriveFile(install.string(), "DATA/LEVEL.ID", level);
        const uint32_t value = DSK_ReadLevelId();
        uint32_t expected = 0;
        if (level.size() >= 4) {
            expected = uint32_t(level[0]) | uint32_t(level[1]) << 8 | uint32_t(level[2]) << 16 | uint32_t(level[3]) << 24;
        }
        check(value == expected, "LEVEL.ID read wrongly");
    } else {
        kalder_test::WriteHostFile(d.Host('D') + "/ListL1.txt", input);
        try {
            DSK_CopyList("D:\\ListL1.txt", DSK_InstallPath());
        } catch (const test::ExitCalled &exit) {
            check(exit.code == 999, "a stop with another code");
        }
        check(test::OpenFileCount() == 0, "a file left open");
        // Whatever is new on C lies in the installation folder and copies a disc file byte for byte.
        const Files disc = files_below(d.Host('D'));
        std::multiset<std::vector<uint8_t>> contents;
        for (const auto &[name, bytes] : disc) {
            contents.insert(bytes);
        }
        for (const auto &[name, bytes] : files_below(c_root)) {
            auto old = before.find(name);
            if (old != before.end()) {
                check(old->second == bytes, "a file that was there changed");
                continue;
            }
            check(name.rfind("VORN/KALDER/", 0) == 0, "a file created outside the installation folder");
            check(contents.count(bytes) > 0, "a file that copies no disc file");
            fs::remove(c_root / name);
        }
    }
    // Back to the fixed tree for the next input.
    fs::remove(install / "DATA" / "LEVEL.ID");
    test::CloseAllFiles();
    test::Reset();
    return 0;
}
