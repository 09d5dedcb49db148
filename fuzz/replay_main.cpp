// Runs a harness over every file of the folders given, for compilers without libFuzzer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

// A harness's own mutator may call libFuzzer's; a replay never mutates, so this one is never called.
extern "C" size_t LLVMFuzzerMutate(uint8_t *, size_t size, size_t) { return size; }

int main(int argc, char **argv)
{
    namespace fs = std::filesystem;
    int inputs = 0;
    for (int i = 1; i < argc; i++) {
        if (!fs::is_directory(argv[i])) {
            std::fprintf(stderr, "replay: %s is not a folder\n", argv[i]);
            return 1;
        }
        std::vector<fs::path> files;
        for (const fs::directory_entry &e : fs::directory_iterator(argv[i])) {
            if (e.is_regular_file()) {
                files.push_back(e.path());
            }
        }
        std::sort(files.begin(), files.end());
        for (const fs::path &file : files) {
            std::ifstream in(file, std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            inputs++;
        }
    }
    std::fprintf(stderr, "replay: %d inputs\n", inputs);
    return inputs > 0 ? 0 : 1;
}
