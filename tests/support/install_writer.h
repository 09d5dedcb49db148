// Writes game discs and installation folders into host folders that stand for drives (a TempDrives
// drive in tests, drives/<letter> of the demo). Paths below a drive are given with '/' in the host
// case the caller wants; the game finds them in any case.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/temp_drives.h"

namespace kalder_test {

// A game disc: its marker DATA/1CD.ID or DATA/2CD.ID (or the marker path given, for another host
// case). Returns false when something cannot be written.
bool WriteDisc(const std::string &drive, int disc, const std::string &marker = "");

// A file list as the disc holds it: the names in order, each followed by the separator (CR LF by
// default, as the lists were written on the original system).
std::string ListText(const std::vector<std::string> &names, const std::string &separator = "\r\n");
// Writes ListL<part>.txt at the disc root (or under the file name given).
bool WriteList(const std::string &drive, int part, const std::vector<std::string> &names,
               const std::string &separator = "\r\n", const std::string &file_name = "");

struct InstallOptions {
    bool full = false;                  // DATA/FULL.ID
    bool level_id = false;              // DATA/LEVEL.ID holding level_id_value
    uint32_t level_id_value = 0;
    std::vector<uint8_t> level_id_raw;  // when not empty, DATA/LEVEL.ID holds these bytes instead
    bool folders = true;                // the empty folders DATA/3DC, DATA/ANIM and DATA/GAME
};
// The installation folder VORN/KALDER with DATA/HD.ID on a drive.
bool WriteInstall(const std::string &drive, const InstallOptions &options = {});
// The host path of the installation folder on a drive.
std::string InstallHost(const std::string &drive);

// Writes a file below a drive folder, making the folders on the way.
bool WriteDriveFile(const std::string &drive, const std::string &path, const std::vector<uint8_t> &bytes = {});

// The smallest installation that gets past the disc and installation search: the installation folder
// on drive C, disc 1 on drive D with a one-sound bank at DATA/SOUND/FSB.DAT. The two drives must be mapped (TempDrives("CD") or more).
bool WriteMinimalInstallation(const std::string &drive_c, const std::string &drive_d);
inline bool WriteMinimalInstallation(const TempDrives &drives)
{
    return WriteMinimalInstallation(drives.Host('C'), drives.Host('D'));
}

} // namespace kalder_test
