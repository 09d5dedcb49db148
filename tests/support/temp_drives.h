// A temporary folder with one sub-folder per drive letter, installed as the headless drive map for
// the life of the object and removed with everything in it at the end.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kalder_test {

class TempDrives {
public:
    // Maps each letter of `letters` to its own empty folder and resets the current drive (C when
    // mapped) and directories.
    explicit TempDrives(const std::string &letters = "CDZ");
    ~TempDrives();
    TempDrives(const TempDrives &) = delete;
    TempDrives &operator=(const TempDrives &) = delete;

    const std::string &Root() const { return root_; }
    // Host folder of a drive.
    std::string Host(char letter) const;
    // Writes a file at a path below a drive, given with '/' and in the host case the test wants;
    // folders on the way are created. Returns the host path.
    std::string Write(char letter, const std::string &path, const std::vector<uint8_t> &bytes = {});
    std::string Write(char letter, const std::string &path, const std::string &text);
    // Creates a folder (and its parents) below a drive. Returns the host path.
    std::string MakeDir(char letter, const std::string &path);

private:
    std::string root_;
};

} // namespace kalder_test
