// Fuzzes the path resolver and the directory search: the input is a game path or a pattern.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>

#include "plat/files.h"
#include "plat/test.h"
#include "tests/support/temp_drives.h"

namespace {

kalder_test::TempDrives &drives()
{
    static kalder_test::TempDrives *the_drives = [] {
        auto *d = new kalder_test::TempDrives("CD");
        d->Write('D', "DATA/1CD.ID");
        d->Write('D', "data/hnm/Tete_Entree.HNM");
        d->Write('D', "data/hnm/tete_explosion.hnm");
        d->Write('D', "data/hnm/TETE_E.HNM");
        d->Write('C', "VORN/KALDER/DATA/LEVEL.ID");
        d->Write('C', "VORN/KALDER/data/Game.dat");
        d->Write('C', "X/DATA/a");
        d->Write('C', "X/data/a b.c d");
        d->MakeDir('C', "x.dsn");
        return d;
    }();
    return *the_drives;
}

void check(bool ok, const char *what, const std::string &path)
{
    if (!ok) {
        std::fprintf(stderr, "path_fuzz: %s: %s\n", what, path.c_str());
        std::abort();
    }
}

// A resolved path lies inside its drive's folder and holds no "." or ".." component.
void check_inside(const std::string &host, const std::string &root, const std::string &path)
{
    check(host.compare(0, root.size(), root) == 0 && (host.size() == root.size() || host[root.size()] == '/'),
          "outside its drive", path);
    std::string rest = host.substr(root.size());
    size_t from = 0;
    while (from < rest.size()) {
        size_t end = rest.find('/', from + 1);
        std::string comp = rest.substr(from + 1, (end == std::string::npos ? rest.size() : end) - from - 1);
        check(!comp.empty() && comp != "." && comp != "..", "bad component", path);
        from = end == std::string::npos ? rest.size() : end;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    kalder_test::TempDrives &d = drives();
    test::Reset();
    test::MapDrive('C', d.Host('C'));
    test::MapDrive('D', d.Host('D'));
    test::ResetCurrentDirectories();
    // The first byte picks the current drive and directory, the rest is the path (up to a NUL).
    if (size > 0) {
        PLAT_SetDrive((data[0] & 1) ? 'D' : 'C');
        if (data[0] & 2) {
            PLAT_SetDirectory((data[0] & 1) ? "data\\hnm" : "\\VORN\\KALDER");
        }
        data++;
        size--;
    }
    std::string path(reinterpret_cast<const char *>(data), size > 1024 ? 1024 : size);
    path = path.c_str();

    int letter = PLAT_GetDrive();
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
        letter = path[0] & ~0x20;
    }
    std::string root = PLAT_DriveHost(letter);
    for (int mode : {PLAT_RESOLVE_EXISTING, PLAT_RESOLVE_CREATE}) {
        std::string host;
        if (PLAT_ResolvePath(path.c_str(), mode, &host)) {
            check(!root.empty(), "resolved on an unmapped drive", path);
            check_inside(host, root, path);
        }
    }
    int fd = PLAT_Open(path.c_str(), O_RDONLY);
    if (fd >= 0) {
        PLAT_Close(fd);
    }
    for (const PLAT_FindEntry &e : PLAT_FindFiles(path.c_str())) {
        check(e.name != "." && e.name != ".." && !e.name.empty(), "listed a bad name", path);
    }
    test::Reset();
    return 0;
}
