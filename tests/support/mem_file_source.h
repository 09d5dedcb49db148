// A file source for the 3D library that serves files from memory, with the game's hook rules, and
// records every request.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kalder_test {

struct FileRequest {
    std::string name;
    int32_t room;
};

// Files are matched by their last path component, without regard to case; '\' and '/' both separate.
void MemFiles_Clear();
void MemFiles_Add(const std::string &name, const std::vector<uint8_t> &bytes);
// Served for every ".3DM" name that no added file matches (empty: none).
void MemFiles_SetAnyMaterial(const std::vector<uint8_t> &bytes);
const std::vector<FileRequest> &MemFiles_Requests();

// An empty name gives 0, an unknown one -1; a file not shorter than the room gives 0 and writes
// nothing; otherwise its first 8 bytes are skipped, the rest written, and its length returned.
int32_t MemFileSource(const char *name, void *destination, int32_t room);

} // namespace kalder_test
