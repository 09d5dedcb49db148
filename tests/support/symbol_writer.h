// Symbol files (the steps a character says and the key steps its words are matched against) and
// loaded-record files (a table of 256 offsets in 4-byte units, then data).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kalder_test {

// Word ids of the game's table used by the fixtures and the demo.
namespace sym_word {
inline constexpr uint8_t kEnd = 1, kWho = 4, kWhere = 5, kWhy = 6, kHelp = 7, kFire = 10, kVillage = 21;
inline constexpr uint8_t kTemple = 22, kKey = 23, kDoor = 24, kYes = 32, kNo = 33, kRiver = 38;
} // namespace sym_word

class SymbolFileBuilder {
public:
    // A step: its length byte, the kind (0: a key step that the player's choice is matched against;
    // anything else: a step that is said), the ids (bit 7 hides one) and the text.
    SymbolFileBuilder &Step(uint8_t kind, const std::vector<uint8_t> &ids, const std::string &text);
    // Bytes as they stand, for damaged steps.
    SymbolFileBuilder &RawStep(const std::vector<uint8_t> &bytes);
    const std::vector<uint8_t> &Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// Writes the bytes as folder/name on the host (folders created). false when it cannot be written.
bool WriteSymbolFile(const std::string &folder, const std::string &name, const std::vector<uint8_t> &bytes);

// The demo's sage: a greeting with three words, the answers behind three keys, and a last key that
// lists the end id.
std::vector<uint8_t> DemoSageSymbols();

class RecordFileBuilder {
public:
    // identifier: the first offset word (in 4-byte units as stored); data_bytes follow the table.
    explicit RecordFileBuilder(int32_t identifier = 0, size_t data_bytes = 64);
    // Sets offset word i (1..255), in 4-byte units as stored.
    RecordFileBuilder &Offset(int32_t index, uint32_t units);
    // Cuts the file to this many bytes (a short file).
    RecordFileBuilder &Truncate(size_t bytes);
    const std::vector<uint8_t> &Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

} // namespace kalder_test
