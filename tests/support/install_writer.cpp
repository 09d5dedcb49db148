// Writes game discs and installation folders (see install_writer.h).
#include "tests/support/install_writer.h"

#include <filesystem>

#include "tests/support/drd_writer.h"
#include "tests/support/fsb_writer.h"
#include "tests/support/pack_writer.h"

namespace fs = std::filesystem;

namespace kalder_test {

bool WriteDriveFile(const std::string &drive, const std::string &path, const std::vector<uint8_t> &bytes)
{
    const fs::path host = fs::path(drive) / path;
    std::error_code error;
    fs::create_directories(host.parent_path(), error);
    return !error && WriteHostFile(host.string(), bytes);
}

bool WriteDisc(const std::string &drive, int disc, const std::string &marker)
{
    return WriteDriveFile(drive, marker.empty() ? (disc == 1 ? "DATA/1CD.ID" : "DATA/2CD.ID") : marker);
}

std::string ListText(const std::vector<std::string> &names, const std::string &separator)
{
    std::string text;
    for (const std::string &name : names) {
        text += name + separator;
    }
    return text;
}

bool WriteList(const std::string &drive, int part, const std::vector<std::string> &names,
               const std::string &separator, const std::string &file_name)
{
    const std::string text = ListText(names, separator);
    const std::string name = file_name.empty() ? "ListL" + std::to_string(part) + ".txt" : file_name;
    return WriteDriveFile(drive, name, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string InstallHost(const std::string &drive) { return (fs::path(drive) / "VORN" / "KALDER").string(); }

bool WriteInstall(const std::string &drive, const InstallOptions &options)
{
    const std::string install = InstallHost(drive);
    bool ok = WriteDriveFile(install, "DATA/HD.ID");
    if (options.full) {
        ok = ok && WriteDriveFile(install, "DATA/FULL.ID");
    }
    if (!options.level_id_raw.empty()) {
        ok = ok && WriteDriveFile(install, "DATA/LEVEL.ID", options.level_id_raw);
    } else if (options.level_id) {
        const uint32_t v = options.level_id_value;
        ok = ok && WriteDriveFile(install, "DATA/LEVEL.ID",
                                  {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
    }
    if (options.folders) {
        for (const char *folder : {"DATA/3DC", "DATA/ANIM", "DATA/GAME"}) {
            std::error_code error;
            fs::create_directories(fs::path(install) / folder, error);
            ok = ok && !error;
        }
    }
    return ok;
}

bool WriteMinimalInstallation(const std::string &drive_c, const std::string &drive_d)
{
    // A one-sound bank, so that sound can start where a test makes the device present.
    // An empty dialogue file: the game does not start without one.
    return WriteInstall(drive_c) && WriteDisc(drive_d, 1) &&
           WriteDriveFile(drive_d, "DATA/SOUND/FSB.DAT", FsbImage(DemoSounds(1))) &&
           WriteDriveFile(InstallHost(drive_c), kDialoguePath, DrdWriter{}.Bytes());
}

} // namespace kalder_test
