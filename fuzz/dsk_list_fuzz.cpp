// Fuzzes the install cache's list reader: the input is written as the disc's ListL1.txt and copied
// into the installation folder; with the first byte 'L' the rest is read as LEVEL.ID instead.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

struct Stored {
    std::vector<uint8_t> bytes;
    fs::file_time_type written;
};
using Files = std::map<std::string, Stored>;

std::vector<uint8_t> read_host(const fs::path &path)
{
    std::error_code error;
    const uintmax_t size = fs::file_size(path, error);
    std::vector<uint8_t> bytes(error ? 0 : size_t(size));
    std::ifstream in(path, std::ios::binary);
    in.read(reinterpret_cast<char *>(bytes.data()), std::streamsize(bytes.size()));
    bytes.resize(size_t(in.gcount()));
    return bytes;
}

Files files_below(const fs::path &folder)
{
    Files files;
    for (const auto &entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), folder).string()] = {read_host(entry.path()), entry.last_write_time()};
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

// The fixed tree of drive C as it was set up, read once per process: its files, and its folders
// with the time each was last changed.
struct Tree {
    Files files;
    std::map<std::string, fs::file_time_type> folders;
};

Tree &tree_c()
{
    static Tree tree = [] {
        const fs::path c_root = drives().Host('C');
        Tree t{files_below(c_root), {{".", fs::last_write_time(c_root)}}};
        for (const auto &entry : fs::recursive_directory_iterator(c_root)) {
            if (entry.is_directory()) {
                t.folders[fs::relative(entry.path(), c_root).string()] = entry.last_write_time();
            }
        }
        return t;
    }();
    return tree;
}

// The contents of the disc's files, the list itself aside (it changes with every input).
const std::multiset<std::vector<uint8_t>> &disc_contents()
{
    static const std::multiset<std::vector<uint8_t>> contents = [] {
        std::multiset<std::vector<uint8_t>> all;
        for (const auto &[name, file] : files_below(drives().Host('D'))) {
            if (name != "ListL1.txt") {
                all.insert(file.bytes);
            }
        }
        return all;
    }();
    return contents;
}

// Checks what an input did to drive C and puts the fixed tree back, looking only at what changed
// since the last input: a file written again, a folder whose entries changed. Whatever is new lies
// in the installation folder and copies a disc file byte for byte; what was there keeps its bytes;
// what the input removed comes back.
void check_and_restore_c(const std::vector<uint8_t> &list)
{
    const fs::path c_root = drives().Host('C');
    Tree &tree = tree_c();
    std::error_code error;
    for (auto &[name, file] : tree.files) {
        const fs::path path = c_root / name;
        const fs::file_time_type written = fs::last_write_time(path, error);
        if (error) {
            kalder_test::WriteHostFile(path.string(), file.bytes);
            file.written = fs::last_write_time(path);
        } else if (written != file.written) {
            check(read_host(path) == file.bytes, "a file that was there changed");
            file.written = written;
        }
    }
    for (auto &[name, changed] : tree.folders) {
        const fs::path folder = c_root / name;
        if (fs::last_write_time(folder) == changed) {
            continue;
        }
        for (const auto &entry : fs::directory_iterator(folder)) {
            const std::string entry_name = fs::relative(entry.path(), c_root).string();
            if (tree.files.count(entry_name) > 0 || tree.folders.count(entry_name) > 0) {
                continue;
            }
            check(entry.is_regular_file(), "a folder created");
            check(entry_name.rfind("VORN/KALDER/", 0) == 0, "a file created outside the installation folder");
            const std::vector<uint8_t> bytes = read_host(entry.path());
            check(disc_contents().count(bytes) > 0 || bytes == list, "a file that copies no disc file");
            fs::remove(entry.path());
        }
        changed = fs::last_write_time(folder);
    }
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
    const fs::path install = kalder_test::InstallHost(d.Host('C'));
    tree_c();
    disc_contents();
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
        fs::remove(install / "DATA" / "LEVEL.ID");
    } else {
        kalder_test::WriteHostFile(d.Host('D') + "/ListL1.txt", input);
        try {
            DSK_CopyList("D:\\ListL1.txt", DSK_InstallPath());
        } catch (const test::ExitCalled &exit) {
            check(exit.code == 999, "a stop with another code");
        }
        check(test::OpenFileCount() == 0, "a file left open");
        check_and_restore_c(input);
    }
    test::CloseAllFiles();
    test::Reset();
    return 0;
}
