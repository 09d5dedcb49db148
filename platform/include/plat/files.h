// File service: game paths (drive letters, '\' separators, any case, DOS short names) resolved to host
// files through the drive map, with low-level I/O, streams, directory search and the current drive.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Resolution modes. Existing: every component must exist. Create: every directory must exist; the last
// component is the existing match or, when there is none, the name as given.
enum PLAT_ResolveMode {
    PLAT_RESOLVE_EXISTING = 0,
    PLAT_RESOLVE_CREATE = 1,
};

// Turns a game path into a host path. 1 on success, 0 when the path leads nowhere.
int PLAT_ResolvePath(const char *path, int mode, std::string *host);

// Low-level I/O. flags are the host O_* flags; new files get mode 0666 before the umask. A directory
// never opens. open returns a descriptor (0 or more) or -1 with errno set; read and write return the
// count transferred or -1; lseek returns the new position, and a position above 0x7FFFFFFF is a failure.
int PLAT_Open(const char *path, int flags);
int32_t PLAT_Read(int fd, void *buffer, uint32_t count);
int32_t PLAT_Write(int fd, const void *buffer, uint32_t count);
int32_t PLAT_Seek(int fd, int32_t offset, int whence);
int PLAT_Close(int fd);

// A stream on a game path. 'b' and 't' in the mode are ignored: every stream is binary.
std::FILE *PLAT_FOpen(const char *path, const char *mode);
// Closes a stream opened by PLAT_FOpen.
int PLAT_FClose(std::FILE *stream);
// 0 on success, -1 when the file is missing or cannot be removed.
int PLAT_Remove(const char *path);
// Renames the existing file from over to (resolved in create mode), replacing a file of that name in
// one step. 0, or -1.
int PLAT_Rename(const char *from, const char *to);
// Writes the descriptor's data through to the disk. 0, or -1.
int PLAT_Sync(int fd);

// Directory search: '*' and '?' in the last component only, matched without regard to case; "*.*"
// matches every name. "." and ".." are never listed. Sorted by upper-cased name.
struct PLAT_FindEntry {
    std::string name; // as on disk
    int is_directory;
    uint32_t size;
};
std::vector<PLAT_FindEntry> PLAT_FindFiles(const char *pattern);

// Current drive and the current directory of each drive; nothing here touches the process's working
// directory. Drives are letters 'A'..'Z' (either case).
int PLAT_SetDrive(int letter);       // 0, or -1 when the drive is not mapped
int PLAT_GetDrive();                 // the upper-case letter, or 0 when no drive is mapped
int PLAT_SetDirectory(const char *path); // 0, or -1 when the path is not an existing directory
std::string PLAT_GetDirectory(int letter); // "\DIR\SUB" as on disk, "\" at the root

// The drive map. env is the text of KALDER_DRIVES ("C=/path;D=/media/cdrom"); when it is null or
// empty, every one-letter folder of <base>/drives maps its letter. Relative host paths are taken
// against base. Malformed entries are reported on the standard error and skipped. The current drive
// becomes C when mapped, else the lowest mapped letter, and every current directory the root.
// Returns the number of drives mapped.
int PLAT_LoadDriveMap(const char *env, const char *base);
// The same from the process's environment and working directory.
int PLAT_LoadDriveMapFromEnvironment();
// Host folder of a drive, or "" when it is not mapped.
std::string PLAT_DriveHost(int letter);
