// File service of both back-ends: the drive map, the path resolver, low-level I/O, streams, directory
// search and the virtual current drive and directories.
//
// The game names its files as it did on its own system: drive letters, '\' separators, upper-case
// names on the disc asked for in lower case, and DOS short names. Host file systems are case-sensitive,
// so every component is looked up in its directory. Nothing is cached: correctness first.
#include "plat/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "files_internal.h"

std::vector<FILES_Fault> FILES_Faults;
std::function<void(const char *path)> FILES_OpenObserver;

namespace {

struct Drive {
    std::string host;              // "" when the letter is not mapped
    std::vector<std::string> cwd;  // current directory, components as on disk
};

Drive drives[26];
int current_drive = -1;
bool started;
std::map<int, std::string> open_fds;          // descriptor -> host path
std::map<std::FILE *, std::string> open_streams;

void ensure_started()
{
    if (!started) {
        started = true;
        FILES_BackEndStart();
    }
}

bool is_sep(unsigned char c) { return c == '\\' || c == '/'; }
bool is_letter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
unsigned char upper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }

std::string upper_text(const std::string &s)
{
    std::string u = s;
    for (char &c : u) {
        c = char(upper(static_cast<unsigned char>(c)));
    }
    return u;
}

bool equal_fold(const std::string &a, const std::string &b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); i++) {
        if (upper(static_cast<unsigned char>(a[i])) != upper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string join(const std::string &dir, const std::string &name)
{
    if (!dir.empty() && dir.back() == '/') {
        return dir + name;
    }
    return dir + "/" + name;
}

bool is_directory(const std::string &host)
{
    struct stat st;
    return stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The game only ever opened plain files. Anything else that exists under the name (a directory, a
// named pipe, a socket, a device) counts as missing, and is told apart before opening, since opening a
// pipe waits for a writer. Links are followed: a player may link a disc or a copy into a drive folder.
bool exists_but_not_regular(const std::string &host)
{
    struct stat st;
    return stat(host.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

std::vector<std::string> list_directory(const std::string &dir)
{
    std::vector<std::string> names;
    DIR *d = opendir(dir.c_str());
    if (d == nullptr) {
        return names;
    }
    while (struct dirent *e = readdir(d)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) {
            names.push_back(e->d_name);
        }
    }
    closedir(d);
    return names;
}

// Order of the directory search and of short-name candidates: upper-cased name, then bytes.
bool dos_order(const std::string &a, const std::string &b)
{
    std::string ua = upper_text(a), ub = upper_text(b);
    return ua != ub ? ua < ub : a < b;
}

// A name that already fits 8.3 has no short name of its own.
bool is_valid_83(const std::string &name)
{
    if (name.find(' ') != std::string::npos || std::count(name.begin(), name.end(), '.') > 1) {
        return false;
    }
    size_t dot = name.find('.');
    size_t base = dot == std::string::npos ? name.size() : dot;
    size_t ext = dot == std::string::npos ? 0 : name.size() - dot - 1;
    return base >= 1 && base <= 8 && ext <= 3;
}

// NAME~N or NAME~N.EXT: NAME 1-7 characters, N 1..999999, EXT 0-3 characters.
bool parse_short_name(const std::string &comp, std::string *name, long *n, std::string *ext)
{
    size_t tilde = comp.find('~');
    if (tilde == std::string::npos || tilde < 1 || tilde > 7) {
        return false;
    }
    size_t i = tilde + 1;
    long value = 0;
    size_t digits = 0;
    while (i < comp.size() && comp[i] >= '0' && comp[i] <= '9' && digits < 7) {
        value = value * 10 + (comp[i] - '0');
        i++;
        digits++;
    }
    if (digits == 0 || value < 1 || value > 999999) {
        return false;
    }
    std::string e;
    if (i < comp.size()) {
        if (comp[i] != '.') {
            return false;
        }
        e = comp.substr(i + 1);
        if (e.size() > 3 || e.find('.') != std::string::npos) {
            return false;
        }
    }
    *name = upper_text(comp.substr(0, tilde));
    *n = value;
    *ext = upper_text(e);
    return true;
}

bool short_form_matches(const std::string &entry, const std::string &name, const std::string &ext)
{
    size_t dot = entry.rfind('.');
    std::string base, tail;
    for (size_t i = 0; i < (dot == std::string::npos ? entry.size() : dot); i++) {
        if (entry[i] != ' ' && entry[i] != '.') {
            base += entry[i];
        }
    }
    if (dot != std::string::npos) {
        for (size_t i = dot + 1; i < entry.size(); i++) {
            if (entry[i] != ' ') {
                tail += entry[i];
            }
        }
    }
    if (tail.size() > 3) {
        tail.resize(3);
    }
    base = upper_text(base);
    return base.compare(0, name.size(), name) == 0 && upper_text(tail) == ext;
}

// Finds the entry of dir that the component names: the exact name, else a name equal under ASCII case
// folding (the first in byte order), else the DOS short name.
bool lookup(const std::string &dir, const std::string &comp, std::string *found)
{
    struct stat st;
    if (lstat(join(dir, comp).c_str(), &st) == 0) {
        *found = comp;
        return true;
    }
    std::vector<std::string> names = list_directory(dir);
    const std::string *best = nullptr;
    for (const std::string &e : names) {
        if (equal_fold(e, comp) && (best == nullptr || e < *best)) {
            best = &e;
        }
    }
    if (best != nullptr) {
        *found = *best;
        return true;
    }
    std::string name, ext;
    long n;
    if (!parse_short_name(comp, &name, &n, &ext)) {
        return false;
    }
    std::vector<std::string> candidates;
    for (const std::string &e : names) {
        if (!is_valid_83(e) && short_form_matches(e, name, ext)) {
            candidates.push_back(e);
        }
    }
    if (size_t(n) > candidates.size()) {
        return false;
    }
    std::sort(candidates.begin(), candidates.end(), dos_order);
    *found = candidates[size_t(n) - 1];
    return true;
}

// Splits a game path into its drive and the components below the drive's root, with "." dropped and
// ".." applied (stopping at the root). 0 for an unmapped drive or a ':' out of place.
bool split_path(const char *path, int *drive, std::vector<std::string> *comps)
{
    const unsigned char *p = reinterpret_cast<const unsigned char *>(path);
    int d = current_drive;
    if (is_letter(p[0]) && p[1] == ':') {
        d = upper(p[0]) - 'A';
        p += 2;
    }
    if (d < 0 || drives[d].host.empty() || std::strchr(reinterpret_cast<const char *>(p), ':') != nullptr) {
        return false;
    }
    comps->clear();
    if (!is_sep(*p)) {
        *comps = drives[d].cwd;
    }
    while (*p != 0) {
        while (is_sep(*p)) {
            p++;
        }
        const unsigned char *start = p;
        while (*p != 0 && !is_sep(*p)) {
            p++;
        }
        std::string comp(reinterpret_cast<const char *>(start), size_t(p - start));
        if (comp.empty() || comp == ".") {
            continue;
        }
        if (comp == "..") {
            if (!comps->empty()) {
                comps->pop_back();
            }
            continue;
        }
        comps->push_back(comp);
    }
    *drive = d;
    return true;
}

// Resolves every component in turn; found receives the names as on disk.
bool resolve(const char *path, int mode, int *drive, std::vector<std::string> *found, std::string *host)
{
    std::vector<std::string> comps;
    if (!split_path(path, drive, &comps)) {
        return false;
    }
    std::string dir = drives[*drive].host;
    found->clear();
    for (size_t i = 0; i < comps.size(); i++) {
        std::string name;
        if (!lookup(dir, comps[i], &name)) {
            if (mode != PLAT_RESOLVE_CREATE || i + 1 != comps.size()) {
                return false;
            }
            name = comps[i];
        }
        dir = join(dir, name);
        found->push_back(name);
    }
    *host = dir;
    return true;
}

std::string last_component(const std::string &host)
{
    size_t slash = host.rfind('/');
    return slash == std::string::npos ? host : host.substr(slash + 1);
}

// The scripted fault for this call, if one fires: its effect, else -2.
int fault_for(int op, const std::string &host)
{
    std::string name = last_component(host);
    for (FILES_Fault &f : FILES_Faults) {
        if (f.op != op || (!f.name.empty() && !equal_fold(f.name, name))) {
            continue;
        }
        f.calls++;
        if (f.nth == 0 || f.nth == f.calls) {
            return f.effect;
        }
    }
    return -2;
}

std::string fd_host(int fd)
{
    auto it = open_fds.find(fd);
    return it == open_fds.end() ? std::string() : it->second;
}

bool glob_match(const char *pattern, const char *name)
{
    // Iterative, with one back-track point per '*': linear in practice, never exponential.
    const char *star = nullptr, *resume = nullptr;
    while (*name != 0) {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' ||
                   (*pattern != 0 && upper(static_cast<unsigned char>(*pattern)) ==
                                         upper(static_cast<unsigned char>(*name)))) {
            pattern++;
            name++;
        } else if (star != nullptr) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*') {
        pattern++;
    }
    return *pattern == 0;
}

void reset_current()
{
    current_drive = -1;
    if (!drives['C' - 'A'].host.empty()) {
        current_drive = 'C' - 'A';
    } else {
        for (int d = 0; d < 26; d++) {
            if (!drives[d].host.empty()) {
                current_drive = d;
                break;
            }
        }
    }
    for (Drive &d : drives) {
        d.cwd.clear();
    }
}

std::string normalise_host(const std::string &host)
{
    std::string h = host;
    while (h.size() > 1 && h.back() == '/') {
        h.pop_back();
    }
    return h;
}

} // namespace

int PLAT_ResolvePath(const char *path, int mode, std::string *host)
{
    ensure_started();
    int drive;
    std::vector<std::string> found;
    return resolve(path, mode, &drive, &found, host) ? 1 : 0;
}

int PLAT_Open(const char *path, int flags)
{
    ensure_started();
    if (FILES_OpenObserver) {
        FILES_OpenObserver(path);
    }
    int create = (flags & O_CREAT) != 0;
    int drive;
    std::vector<std::string> found;
    std::string host;
    if (!resolve(path, create ? PLAT_RESOLVE_CREATE : PLAT_RESOLVE_EXISTING, &drive, &found, &host)) {
        errno = ENOENT;
        return -1;
    }
    if (fault_for(create ? FILES_OP_CREATE : FILES_OP_OPEN, host) != -2) {
        errno = EIO;
        return -1;
    }
    if (exists_but_not_regular(host)) {
        errno = ENOENT;
        return -1;
    }
    // Opened without blocking, in case the name became a pipe since the look; blocking again once it
    // is known to be a plain file.
    int fd = open(host.c_str(), flags | O_NONBLOCK, 0666);
    if (fd < 0) {
        return -1;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        errno = ENOENT;
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    open_fds[fd] = host;
    return fd;
}

int32_t PLAT_Read(int fd, void *buffer, uint32_t count)
{
    ensure_started();
    if (count > 0x7FFFFFFF) {
        count = 0x7FFFFFFF;
    }
    int effect = fault_for(FILES_OP_READ, fd_host(fd));
    if (effect == -1) {
        errno = EIO;
        return -1;
    }
    if (effect >= 0 && uint32_t(effect) < count) {
        count = uint32_t(effect);
    }
    return int32_t(read(fd, buffer, count));
}

int32_t PLAT_Write(int fd, const void *buffer, uint32_t count)
{
    ensure_started();
    if (count > 0x7FFFFFFF) {
        count = 0x7FFFFFFF;
    }
    int effect = fault_for(FILES_OP_WRITE, fd_host(fd));
    if (effect == -1) {
        errno = EIO;
        return -1;
    }
    if (effect >= 0 && uint32_t(effect) < count) {
        count = uint32_t(effect);
    }
    return int32_t(write(fd, buffer, count));
}

int32_t PLAT_Seek(int fd, int32_t offset, int whence)
{
    ensure_started();
    if (fault_for(FILES_OP_SEEK, fd_host(fd)) != -2) {
        errno = EIO;
        return -1;
    }
    // Only the three classic origins: Linux gives 3 and 4 meanings (data and holes) of its own.
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) {
        errno = EINVAL;
        return -1;
    }
    off_t position = lseek(fd, off_t(offset), whence);
    if (position < 0 || position > 0x7FFFFFFF) {
        return -1;
    }
    return int32_t(position);
}

int PLAT_Close(int fd)
{
    ensure_started();
    bool fail = fault_for(FILES_OP_CLOSE, fd_host(fd)) != -2;
    int result = close(fd);
    open_fds.erase(fd);
    if (fail) {
        errno = EIO;
        return -1;
    }
    return result;
}

std::FILE *PLAT_FOpen(const char *path, const char *mode)
{
    ensure_started();
    if (FILES_OpenObserver) {
        FILES_OpenObserver(path);
    }
    std::string host_mode;
    for (const char *m = mode; *m != 0; m++) {
        if (*m != 'b' && *m != 't') {
            host_mode += *m;
        }
    }
    int create = mode[0] == 'w' || mode[0] == 'a';
    int drive;
    std::vector<std::string> found;
    std::string host;
    if (!resolve(path, create ? PLAT_RESOLVE_CREATE : PLAT_RESOLVE_EXISTING, &drive, &found, &host) ||
        exists_but_not_regular(host)) {
        errno = ENOENT;
        return nullptr;
    }
    if (fault_for(create ? FILES_OP_CREATE : FILES_OP_OPEN, host) != -2) {
        errno = EIO;
        return nullptr;
    }
    std::FILE *stream = std::fopen(host.c_str(), host_mode.c_str());
    if (stream == nullptr) {
        return nullptr;
    }
    struct stat st;
    if (fstat(fileno(stream), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(stream);
        errno = ENOENT;
        return nullptr;
    }
    open_streams[stream] = host;
    return stream;
}

int PLAT_FClose(std::FILE *stream)
{
    open_streams.erase(stream);
    return std::fclose(stream);
}

int PLAT_Remove(const char *path)
{
    ensure_started();
    int drive;
    std::vector<std::string> found;
    std::string host;
    if (!resolve(path, PLAT_RESOLVE_EXISTING, &drive, &found, &host) || is_directory(host)) {
        errno = ENOENT;
        return -1;
    }
    return unlink(host.c_str()) == 0 ? 0 : -1;
}

int PLAT_Sync(int fd)
{
    ensure_started();
    if (fault_for(FILES_OP_SYNC, fd_host(fd)) != -2) {
        errno = EIO;
        return -1;
    }
    return fsync(fd) == 0 ? 0 : -1;
}

int PLAT_Rename(const char *from, const char *to)
{
    ensure_started();
    int drive;
    std::vector<std::string> found;
    std::string from_host;
    std::string to_host;
    if (!resolve(from, PLAT_RESOLVE_EXISTING, &drive, &found, &from_host) || is_directory(from_host)) {
        errno = ENOENT;
        return -1;
    }
    found.clear();
    if (!resolve(to, PLAT_RESOLVE_CREATE, &drive, &found, &to_host) || is_directory(to_host)) {
        errno = ENOENT;
        return -1;
    }
    if (fault_for(FILES_OP_RENAME, to_host) != -2) {
        errno = EIO;
        return -1;
    }
    return rename(from_host.c_str(), to_host.c_str()) == 0 ? 0 : -1;
}

std::vector<PLAT_FindEntry> PLAT_FindFiles(const char *pattern)
{
    ensure_started();
    std::vector<PLAT_FindEntry> result;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(pattern);
    size_t start = (is_letter(p[0]) && p[1] == ':') ? 2 : 0;
    size_t length = std::strlen(pattern);
    size_t cut = start;
    for (size_t i = start; i < length; i++) {
        if (is_sep(p[i])) {
            cut = i + 1;
        }
    }
    std::string dir_part(pattern, cut);
    std::string name_part(pattern + cut);
    if (name_part.empty() || dir_part.find_first_of("*?") != std::string::npos ||
        name_part.find(':') != std::string::npos) {
        return result;
    }
    int drive;
    std::vector<std::string> found;
    std::string dir;
    if (!resolve(dir_part.c_str(), PLAT_RESOLVE_EXISTING, &drive, &found, &dir) || !is_directory(dir)) {
        return result;
    }
    bool every = name_part == "*.*";
    for (const std::string &name : list_directory(dir)) {
        if (!every && !glob_match(name_part.c_str(), name.c_str())) {
            continue;
        }
        struct stat st;
        if (stat(join(dir, name).c_str(), &st) != 0) {
            continue;
        }
        uint64_t size = S_ISDIR(st.st_mode) ? 0 : uint64_t(st.st_size);
        result.push_back({name, S_ISDIR(st.st_mode) ? 1 : 0, uint32_t(std::min<uint64_t>(size, 0xFFFFFFFFu))});
    }
    std::sort(result.begin(), result.end(),
              [](const PLAT_FindEntry &a, const PLAT_FindEntry &b) { return dos_order(a.name, b.name); });
    return result;
}

int PLAT_SetDrive(int letter)
{
    ensure_started();
    if (!is_letter(static_cast<unsigned char>(letter)) || drives[upper(static_cast<unsigned char>(letter)) - 'A'].host.empty()) {
        return -1;
    }
    current_drive = upper(static_cast<unsigned char>(letter)) - 'A';
    return 0;
}

int PLAT_GetDrive()
{
    ensure_started();
    return current_drive < 0 ? 0 : 'A' + current_drive;
}

int PLAT_SetDirectory(const char *path)
{
    ensure_started();
    int drive;
    std::vector<std::string> found;
    std::string host;
    if (!resolve(path, PLAT_RESOLVE_EXISTING, &drive, &found, &host) || !is_directory(host)) {
        return -1;
    }
    drives[drive].cwd = found;
    return 0;
}

std::string PLAT_GetDirectory(int letter)
{
    ensure_started();
    if (!is_letter(static_cast<unsigned char>(letter))) {
        return "";
    }
    std::string text;
    for (const std::string &c : drives[upper(static_cast<unsigned char>(letter)) - 'A'].cwd) {
        text += "\\" + c;
    }
    return text.empty() ? "\\" : text;
}

std::string PLAT_DriveHost(int letter)
{
    ensure_started();
    return is_letter(static_cast<unsigned char>(letter)) ? drives[upper(static_cast<unsigned char>(letter)) - 'A'].host : "";
}

int PLAT_LoadDriveMap(const char *env, const char *base)
{
    started = true;
    FILES_ClearDrives();
    std::string base_dir = base;
    auto absolute = [&](const std::string &h) { return (!h.empty() && h[0] == '/') ? h : join(base_dir, h); };
    if (env != nullptr && env[0] != 0) {
        std::string text = env;
        size_t from = 0;
        while (from <= text.size()) {
            size_t end = text.find(';', from);
            if (end == std::string::npos) {
                end = text.size();
            }
            std::string entry = text.substr(from, end - from);
            from = end + 1;
            if (entry.empty()) {
                continue;
            }
            unsigned char letter = static_cast<unsigned char>(entry[0]);
            std::string host = entry.size() > 2 ? normalise_host(absolute(entry.substr(2))) : "";
            if (entry.size() < 3 || !is_letter(letter) || entry[1] != '=' || !is_directory(host)) {
                std::fprintf(stderr, "KALDER_DRIVES: ignoring \"%s\"\n", entry.c_str());
                continue;
            }
            std::string &mapped = drives[upper(letter) - 'A'].host;
            if (!mapped.empty()) {
                // The later entry wins, as in any list of settings, but the player is told.
                std::fprintf(stderr, "KALDER_DRIVES: drive %c given twice: using \"%s\", not \"%s\"\n",
                             upper(letter), host.c_str(), mapped.c_str());
            }
            mapped = host;
        }
    } else {
        std::string folder = join(base_dir, "drives");
        std::vector<std::string> names = list_directory(folder);
        // Lower-case folders first, so that an upper-case one of the same letter wins.
        std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) { return a > b; });
        for (const std::string &name : names) {
            unsigned char letter = static_cast<unsigned char>(name[0]);
            if (name.size() == 1 && is_letter(letter) && is_directory(join(folder, name))) {
                drives[upper(letter) - 'A'].host = normalise_host(join(folder, name));
            }
        }
    }
    reset_current();
    int mapped = 0;
    for (const Drive &d : drives) {
        mapped += d.host.empty() ? 0 : 1;
    }
    return mapped;
}

int PLAT_LoadDriveMapFromEnvironment()
{
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr) {
        std::strcpy(cwd, ".");
    }
    return PLAT_LoadDriveMap(std::getenv("KALDER_DRIVES"), cwd);
}

void FILES_MapDrive(int letter, const std::string &host)
{
    started = true;
    drives[upper(static_cast<unsigned char>(letter)) - 'A'].host = normalise_host(host);
}

void FILES_ClearDrives()
{
    started = true;
    for (Drive &d : drives) {
        d = Drive{};
    }
    current_drive = -1;
}

void FILES_ResetCurrent() { reset_current(); }

int FILES_OpenCount() { return int(open_fds.size() + open_streams.size()); }

void FILES_CloseAll()
{
    for (const auto &f : open_fds) {
        close(f.first);
    }
    open_fds.clear();
    for (const auto &s : open_streams) {
        std::fclose(s.first);
    }
    open_streams.clear();
}
