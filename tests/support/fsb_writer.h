// Writes FSB sound banks from WAVE images, with knobs to damage them.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kalder_test {

struct FsbOptions {
    std::string magic = "KALDER FSB  ";  // any bytes, any length: the rest follows it
    int64_t count = -1;                  // override of N (the size table still lists every image)
    std::map<size_t, uint32_t> sizes;    // override of the size recorded for image i
    std::vector<uint8_t> surplus;        // bytes after the last image
    int64_t truncate_at = -1;            // cut the bank at this byte
};

// The bank: magic, N, the sizes, the images back to back.
std::vector<uint8_t> FsbImage(const std::vector<std::vector<uint8_t>> &sounds, const FsbOptions &options = {});
// Writes the bank to a host path; false when the file cannot be written.
bool WriteFsb(const std::string &host_path, const std::vector<std::vector<uint8_t>> &sounds,
              const FsbOptions &options = {});

// The demo bank: sound i a 0.2 s sine at 220 x 2^(i/12) Hz, 11,025 Hz mono 16-bit, half of full scale,
// with 5 ms fades in and out.
std::vector<std::vector<uint8_t>> DemoSounds(int count);

} // namespace kalder_test
