// Temporary drives over a fresh folder under the system's temporary directory.
#include "tests/support/temp_drives.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include <unistd.h>

#include "plat/test.h"
#include "tests/support/pack_writer.h"

namespace fs = std::filesystem;

namespace kalder_test {

TempDrives::TempDrives(const std::string &letters)
{
    std::string pattern = (fs::temp_directory_path() / "kalder-drives-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    root_ = pattern;
    test::ClearDrives();
    for (char letter : letters) {
        fs::create_directories(Host(letter));
        test::MapDrive(letter, Host(letter));
    }
    test::ResetCurrentDirectories();
}

TempDrives::~TempDrives()
{
    test::CloseAllFiles();
    test::ClearDrives();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::string TempDrives::Host(char letter) const { return root_ + "/" + letter; }

std::string TempDrives::MakeDir(char letter, const std::string &path)
{
    std::string host = Host(letter) + "/" + path;
    fs::create_directories(host);
    return host;
}

std::string TempDrives::Write(char letter, const std::string &path, const std::vector<uint8_t> &bytes)
{
    std::string host = Host(letter) + "/" + path;
    fs::create_directories(fs::path(host).parent_path());
    if (!WriteHostFile(host, bytes)) {
        throw std::runtime_error("cannot write " + host);
    }
    return host;
}

std::string TempDrives::Write(char letter, const std::string &path, const std::string &text)
{
    return Write(letter, path, std::vector<uint8_t>(text.begin(), text.end()));
}

} // namespace kalder_test
