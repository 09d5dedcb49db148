// Symbol files and loaded-record files for the tests, the fuzz seeds and the demo installation.
#include "tests/support/symbol_writer.h"

#include <cstring>
#include <filesystem>

#include "tests/support/pack_writer.h"

namespace kalder_test {

SymbolFileBuilder &SymbolFileBuilder::Step(uint8_t kind, const std::vector<uint8_t> &ids, const std::string &text)
{
    const size_t length = 4 + ids.size() + text.size();
    bytes_.push_back(uint8_t(length));
    bytes_.push_back(kind);
    bytes_.push_back(uint8_t(ids.size()));
    bytes_.insert(bytes_.end(), ids.begin(), ids.end());
    bytes_.push_back(uint8_t(text.size()));
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
}

SymbolFileBuilder &SymbolFileBuilder::RawStep(const std::vector<uint8_t> &bytes)
{
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

bool WriteSymbolFile(const std::string &folder, const std::string &name, const std::vector<uint8_t> &bytes)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return WriteHostFile((std::filesystem::path(folder) / name).string(), bytes);
}

std::vector<uint8_t> DemoSageSymbols()
{
    using namespace sym_word;
    return SymbolFileBuilder()
        .Step(1, {kWho, kWhere, kHelp}, "Greetings, traveller. What do you seek?")
        .Step(0, {kWho}, "")
        .Step(1, {kTemple}, "I am the keeper of this temple.")
        .Step(0, {kWhere}, "")
        .Step(1, {kVillage, kRiver}, "The village lies beyond the river.")
        .Step(0, {kHelp}, "")
        .Step(1, {kKey, kDoor}, "Bring me the key and I will open the door.")
        .Step(0, {kTemple}, "")
        .Step(1, {}, "It is older than the mountains.")
        .Step(0, {kEnd}, "")
        .Bytes();
}

RecordFileBuilder::RecordFileBuilder(int32_t identifier, size_t data_bytes) : bytes_(1024 + data_bytes)
{
    std::memcpy(bytes_.data(), &identifier, 4);
    for (size_t i = 0; i < data_bytes; i++) {
        bytes_[1024 + i] = uint8_t(i * 7 + 3);
    }
}

RecordFileBuilder &RecordFileBuilder::Offset(int32_t index, uint32_t units)
{
    std::memcpy(bytes_.data() + size_t(index) * 4, &units, 4);
    return *this;
}

RecordFileBuilder &RecordFileBuilder::Truncate(size_t bytes)
{
    bytes_.resize(bytes);
    return *this;
}

} // namespace kalder_test
