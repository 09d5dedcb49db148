// The folder of encoded films shared by the tests of one ctest run.
#include "tests/support/film_cache.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace kalder_test {

std::vector<uint8_t> CachedFilm(const std::string &name, const std::function<std::vector<uint8_t>()> &make)
{
    const char *folder = std::getenv("KALDER_FILM_CACHE");
    if (folder == nullptr || *folder == 0) {
        return make();
    }
    const std::string path = std::string(folder) + "/" + name;
    {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (!bytes.empty()) {
                return bytes;
            }
        }
    }
    std::vector<uint8_t> bytes = make();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    // Written under a name of this process, then renamed: the rename is atomic within the folder.
    const std::string part = path + "." + std::to_string(long(getpid())) + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) {
            std::remove(part.c_str());
            return bytes;
        }
    }
    std::filesystem::rename(part, path, error);
    if (error) {
        std::remove(part.c_str());
    }
    return bytes;
}

} // namespace kalder_test
