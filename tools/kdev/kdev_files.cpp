// kdev's not-found answers: which host path a game path came to, and the drive map that took it there.
#include "tools/kdev/kdev_files.h"

#include <fcntl.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "plat/files.h"

const char *KdevProgramName = "kdev";

namespace {

bool Opens(const char *path)
{
    const int fd = PLAT_Open(path, O_RDONLY);
    if (fd < 0) {
        return false;
    }
    PLAT_Close(fd);
    return true;
}

// The host path a game path leads to: the resolver's answer where its folders exist, otherwise the
// drive's folder with the rest of the path as written.
std::string Tried(const char *path)
{
    std::string host;
    if (PLAT_ResolvePath(path, PLAT_RESOLVE_CREATE, &host)) {
        return host;
    }
    std::string rest = path;
    int letter = PLAT_GetDrive();
    if (rest.size() >= 2 && rest[1] == ':') {
        letter = rest[0];
        rest = rest.substr(2);
    }
    if (letter == 0 || PLAT_DriveHost(letter).empty()) {
        if (letter == 0) {
            return "no drive";
        }
        std::string unmapped = "drive ";
        unmapped += char(letter & ~0x20);
        return unmapped += ": unmapped";
    }
    if (rest.empty() || (rest[0] != '\\' && rest[0] != '/')) {
        rest = PLAT_GetDirectory(letter) + "\\" + rest;
    }
    for (char &c : rest) {
        c = c == '\\' ? '/' : c;
    }
    host = PLAT_DriveHost(letter);
    while (!rest.empty() && rest[0] == '/') {
        rest.erase(0, 1);
    }
    return host + "/" + rest;
}

std::string Drive_Map()
{
    std::string map;
    for (int letter = 'A'; letter <= 'Z'; letter++) {
        const std::string host = PLAT_DriveHost(letter);
        if (!host.empty()) {
            if (!map.empty()) {
                map += ' ';
            }
            map += char(letter);
            map += '=';
            map += host;
        }
    }
    if (map.empty()) {
        const char *env = std::getenv("KALDER_DRIVES");
        return env != nullptr && env[0] != 0 ? "none (KALDER_DRIVES maps no folder)"
                                             : "none (KALDER_DRIVES unset and no ./drives folder)";
    }
    return map;
}

} // namespace

bool KdevFileFound(const char *path, const char *alternative)
{
    if (Opens(path) || (alternative != nullptr && Opens(alternative))) {
        return true;
    }
    std::string tried = Tried(path);
    if (alternative != nullptr) {
        tried += ", ";
        tried += Tried(alternative);
    }
    std::fprintf(stderr, "%s: %s: not found (tried %s; drives %s)\n", KdevProgramName, path, tried.c_str(), Drive_Map().c_str());
    return false;
}

bool KdevHostFound(const char *shown, const std::string &host)
{
    std::error_code error;
    if (std::filesystem::exists(host, error)) {
        return true;
    }
    const std::string absolute = std::filesystem::absolute(host, error).string();
    std::fprintf(stderr, "%s: %s: not found (tried %s)\n", KdevProgramName, shown, absolute.c_str());
    return false;
}
