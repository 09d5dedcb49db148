// A file source for the 3D library that serves files from memory (see mem_file_source.h).
#include "tests/support/mem_file_source.h"

#include <cctype>
#include <cstring>
#include <map>

namespace kalder_test {

namespace {

std::map<std::string, std::vector<uint8_t>> &files()
{
    static std::map<std::string, std::vector<uint8_t>> the_files;
    return the_files;
}

std::vector<uint8_t> &any_material()
{
    static std::vector<uint8_t> bytes;
    return bytes;
}

std::vector<FileRequest> &requests()
{
    static std::vector<FileRequest> the_requests;
    return the_requests;
}

std::string key(const std::string &name)
{
    size_t slash = name.find_last_of("\\/");
    std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
    for (char &c : last) {
        c = char(std::toupper(static_cast<unsigned char>(c)));
    }
    return last;
}

} // namespace

void MemFiles_Clear()
{
    files().clear();
    any_material().clear();
    requests().clear();
}

void MemFiles_Add(const std::string &name, const std::vector<uint8_t> &bytes) { files()[key(name)] = bytes; }

void MemFiles_SetAnyMaterial(const std::vector<uint8_t> &bytes) { any_material() = bytes; }

const std::vector<FileRequest> &MemFiles_Requests() { return requests(); }

int32_t MemFileSource(const char *name, void *destination, int32_t room)
{
    requests().push_back({name, room});
    if (name[0] == 0) {
        return 0;
    }
    std::string k = key(name);
    auto it = files().find(k);
    const std::vector<uint8_t> *bytes = it != files().end() ? &it->second : nullptr;
    if (bytes == nullptr && !any_material().empty() && k.size() >= 4 && k.compare(k.size() - 4, 4, ".3DM") == 0) {
        bytes = &any_material();
    }
    if (bytes == nullptr) {
        return -1;
    }
    if (int64_t(bytes->size()) >= room) {
        return 0;
    }
    if (bytes->size() > 8) {
        std::memcpy(destination, bytes->data() + 8, bytes->size() - 8);
    }
    return int32_t(bytes->size());
}

} // namespace kalder_test
