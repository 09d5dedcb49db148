// Data location: finds the game disc and the installation folder at start-up, asks for the other
// disc when a level needs it, and keeps the installation folder's cache of the level's files.
#include "core/dsk.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>

#include "core/cd.h"
#include "core/mgm.h"
#include "core/scr.h"
#include "core/sys.h"
#include "interface/txt.h"
#include "plat/files.h"
#include "plat/time.h"
#include "plat/window.h"
#include "world/prj.h"

DSK_LocationRecord DSK_Location = {"X:\\", "X:\\VORN\\KALDER\\", 0};

static uint8_t copy_buffer[0x8000];

static const char copy_error[] = "Error:  !\nAn error occurred while copying files to the hard disk...\n"
                                 "please check your available hard drive space ...\n";

// A file is present when it opens for reading; the probe is closed at once.
static int opens(const char *path)
{
    std::FILE *stream = PLAT_FOpen(path, "rb");
    if (stream == nullptr) {
        return 0;
    }
    PLAT_FClose(stream);
    return 1;
}

// The folder ends in a backslash already; the doubled one is read as one.
static std::string level_id_path() { return std::string(DSK_Location.install_folder) + "\\DATA\\LEVEL.ID"; }

static int32_t text_font() { return SCR_Height >= 400 ? 0 : 1; }

void DSK_FindCdDrive()
{
    char path[260];
    for (char letter = 'Z'; letter >= 'C'; letter--) {
        for (const char *marker : {"DATA\\1CD.ID", "DATA\\2CD.ID"}) {
            std::snprintf(path, sizeof path, "%c:\\%s", letter, marker);
            if (opens(path)) {
                DSK_Location.cd_root[0] = letter;
                return;
            }
        }
    }
    SYS_FatalError("Error: your CDROM does not contain a CD of KALDER...\n", 999, 1);
}

void DSK_FindInstallFolder()
{
    static const char order[] = "CDEFGHIJKLMNOPQRSTUVWXYZAB";
    char path[260];
    for (const char *letter = order; *letter != 0; letter++) {
        std::snprintf(path, sizeof path, "%c:\\VORN\\KALDER\\DATA\\HD.ID", *letter);
        if (opens(path)) {
            DSK_Location.install_folder[0] = *letter;
            return;
        }
    }
    SYS_FatalError("Error: Kalder is not installed on your disk...\n", 999, 1);
}

void DSK_CheckFull()
{
    DSK_Location.full = opens((std::string(DSK_Location.install_folder) + "DATA\\FULL.ID").c_str());
}

// The installation folder becomes the current directory of its drive before the disc root becomes
// that of the disc's drive, so that when both lie on one drive the disc root wins.
void DSK_Locate()
{
    DSK_FindCdDrive();
    DSK_FindInstallFolder();
    DSK_CheckFull();
    PLAT_SetDirectory(DSK_Location.install_folder);
    PLAT_SetDirectory(DSK_Location.cd_root);
    PLAT_SetDrive(DSK_Location.cd_root[0]);
}

int32_t DSK_IsFull() { return DSK_Location.full; }

int32_t DSK_CurrentDisc()
{
    return opens((std::string(DSK_Location.cd_root) + "DATA\\1CD.ID").c_str()) ? 1 : 2;
}

const char *DSK_CdRoot() { return DSK_Location.cd_root; }
const char *DSK_InstallPath() { return DSK_Location.install_folder; }
const char *DSK_ModelPath() { return DSK_Location.full ? DSK_Location.install_folder : DSK_Location.cd_root; }

// The player has to change discs: the request stays on screen until the marker of the wanted disc
// opens. The window is pumped between probes so that it stays alive; a quit asked for meanwhile is
// posted again once the disc is in, for the next message round to see.
void DSK_WaitForDisc(int32_t disc)
{
    const std::string marker = std::string(DSK_Location.cd_root) + (disc == 1 ? "DATA\\1CD.ID" : "DATA\\2CD.ID");
    TXT_PrintCentred(int32_t(SCR_Width / 2), int32_t(SCR_Height / 2), text_font(), "Please change to CD no %d", disc);
    SCR_Flip();
    MGM_SendMessage(31, 0, 0);
    int quit = 0;
    while (!opens(marker.c_str())) {
        PLAT_Sleep(100);
        if (PLAT_PumpMessages()) {
            quit = 1;
        }
    }
    if (quit) {
        PLAT_PostQuit(0);
    }
    CD_Reset();
}

void DSK_PrepareProject()
{
    // Parts 1 and 2 lie on disc 1, 3 and 4 on disc 2. A number outside them comes from a damaged
    // record and would ask for a disc that does not exist: such a level has no disc-bound data.
    const int32_t part = PRJ_GetDataPart();
    if (part < 1 || part > 4) {
        return;
    }
    MGM_SendMessage(31, 0, 0);
    const int32_t disc = (part + 1) / 2;
    if (disc != DSK_CurrentDisc()) {
        DSK_WaitForDisc(disc);
    }
    if (!DSK_Location.full) {
        return;
    }
    if (DSK_ReadLevelId() == uint32_t(part)) {
        return;
    }
    // LEVEL.ID goes first: a refresh cut short leaves none, and the next level entry starts again.
    DSK_DeleteLevelId();
    DSK_PurgeCache();
    TXT_PrintCentred(int32_t(SCR_Width / 2), int32_t(SCR_Height * 3 / 4 + SCR_Height / 8), text_font(),
                     "Please wait while loading ...");
    SCR_Flip();
    const std::string root = DSK_Location.cd_root;
    DSK_CopyList((root + "ListL" + std::to_string(part) + ".txt").c_str(), DSK_Location.install_folder);
    DSK_CopyList((root + "ListL0.txt").c_str(), DSK_Location.install_folder);
    DSK_WriteLevelId(uint32_t(part));
}

// A file shorter than the four bytes of its number names no part, so the cache is refreshed.
uint32_t DSK_ReadLevelId()
{
    const std::string path = level_id_path();
    std::FILE *stream = PLAT_FOpen(path.c_str(), "rb");
    if (stream == nullptr) {
        return 0;
    }
    uint8_t bytes[4];
    const size_t got = std::fread(bytes, 1, sizeof bytes, stream);
    PLAT_FClose(stream);
    if (got != sizeof bytes) {
        return 0;
    }
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

void DSK_WriteLevelId(uint32_t part)
{
    const std::string path = level_id_path();
    std::FILE *stream = PLAT_FOpen(path.c_str(), "wb");
    if (stream == nullptr) {
        return;
    }
    const uint8_t bytes[4] = {uint8_t(part), uint8_t(part >> 8), uint8_t(part >> 16), uint8_t(part >> 24)};
    std::fwrite(bytes, 1, sizeof bytes, stream);
    PLAT_FClose(stream);
}

void DSK_DeleteLevelId()
{
    const std::string path = level_id_path();
    PLAT_Remove(path.c_str());
}

void DSK_PurgeCache()
{
    static const char *const folders[3] = {"DATA\\3DC", "DATA\\3DC", "DATA\\ANIM"};
    static const char *const patterns[3] = {"*.dsn", "*.dan", "*.hnm"};
    for (int i = 0; i < 3; i++) {
        const std::string folder = std::string(DSK_Location.install_folder) + "\\" + folders[i] + "\\";
        for (const PLAT_FindEntry &entry : PLAT_FindFiles((folder + patterns[i]).c_str())) {
            if (!entry.is_directory) {
                PLAT_Remove((folder + entry.name).c_str());
            }
        }
    }
}

// A list entry names a file below the disc root. A drive, a path from a root or a step up could
// read or write outside the disc and the installation folder: such an entry is skipped like a file
// that is not there.
static int below_disc_root(const std::string &name)
{
    if (name.empty() || name[0] == '\\' || name[0] == '/' || (name.size() >= 2 && name[1] == ':')) {
        return 0;
    }
    size_t from = 0;
    while (from <= name.size()) {
        size_t end = name.find_first_of("\\/", from);
        if (end == std::string::npos) {
            end = name.size();
        }
        if (name.compare(from, end - from, "..") == 0) {
            return 0;
        }
        from = end + 1;
    }
    return 1;
}

// White space as the C library's "%s" knows it.
static int blank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

int32_t DSK_CopyList(const char *list, const char *install_folder)
{
    std::FILE *stream = PLAT_FOpen(list, "r");
    if (stream == nullptr) {
        return 0;
    }
    std::string token;
    int c;
    do {
        c = std::fgetc(stream);
        if (c != EOF && !blank(c)) {
            token += char(c);
            continue;
        }
        // A NUL ends the name, as it ended the original's string.
        const std::string name = token.c_str();
        token.clear();
        if (!below_disc_root(name)) {
            continue;
        }
        if (!DSK_CopyFile(name.c_str(), install_folder)) {
            PLAT_FClose(stream);
            DSK_PurgeCache();
            DSK_DeleteLevelId();
            SYS_FatalError(copy_error, 999, 1);
        }
    } while (c != EOF);
    PLAT_FClose(stream);
    return 1;
}

// A copy that fails half-way removes what it wrote: a truncated file of a kind the purge does not
// touch would otherwise be taken for a complete one at every later level entry.
int32_t DSK_CopyFile(const char *name, const char *install_folder)
{
    const std::string target = std::string(install_folder) + "\\" + name;
    const int source = PLAT_Open(name, O_RDONLY);
    if (source < 0) {
        return 1;
    }
    const int existing = PLAT_Open(target.c_str(), O_RDONLY);
    if (existing >= 0) {
        PLAT_Close(existing);
        PLAT_Close(source);
        return 1;
    }
    const int copy = PLAT_Open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC);
    if (copy < 0) {
        PLAT_Close(source);
        return 0;
    }
    int32_t left = PLAT_Seek(source, 0, SEEK_END);
    int ok = left >= 0 && PLAT_Seek(source, 0, SEEK_SET) == 0;
    while (ok && left > 0) {
        const int32_t chunk = left < int32_t(sizeof copy_buffer) ? left : int32_t(sizeof copy_buffer);
        ok = PLAT_Read(source, copy_buffer, uint32_t(chunk)) == chunk &&
             PLAT_Write(copy, copy_buffer, uint32_t(chunk)) == chunk;
        left -= chunk;
    }
    PLAT_Close(copy);
    PLAT_Close(source);
    if (!ok) {
        PLAT_Remove(target.c_str());
        return 0;
    }
    return 1;
}

void DSK_RestoreDrive() { PLAT_SetDrive(DSK_Location.install_folder[0]); }
