// Writes .bf pack images for tests, the fuzz seeds and the tools, with knobs to damage them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kalder_test {

struct PackWriterEntry {
    std::string name;            // stored in the 259-byte field; 259 characters leave no terminator
    std::vector<uint8_t> bytes;  // the data, laid out by the writer unless offset is given
    int64_t offset = -1;         // explicit data offset: nothing is laid out, the record points there
    int64_t size = -1;           // explicit size for the record (default: bytes.size())
};

struct PackWriterOptions {
    bool directory_first = false;  // directory right after the header, data after it
    bool upper_names = true;       // store names upper-cased, as the game's packs do
    std::string magic = "MIRL";    // the first 4 bytes (padded with zeros)
    int64_t count = -1;            // override of the entry count in the header
    int64_t directory_offset = -1; // override of the directory offset in the header
    int64_t truncate_at = -1;      // cut the image at this byte
};

std::vector<uint8_t> PackImage(const std::vector<PackWriterEntry> &entries, const PackWriterOptions &options = {});
// Writes the image to a host path; false when the file cannot be written.
bool WritePack(const std::string &host_path, const std::vector<PackWriterEntry> &entries,
               const PackWriterOptions &options = {});
bool WriteHostFile(const std::string &host_path, const std::vector<uint8_t> &bytes);

} // namespace kalder_test
