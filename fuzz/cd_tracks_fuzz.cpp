// Fuzzes the naming rules of the player's track files: the input is a folder listing, one name a
// line, a name starting with '/' being a folder.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/common/cd_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<CDM_Entry> listing;
    std::string name;
    for (size_t i = 0; i <= size; i++) {
        if (i == size || data[i] == '\n') {
            const bool folder = !name.empty() && name[0] == '/';
            listing.push_back(CDM_Entry{folder ? name.substr(1) : name, folder});
            name.clear();
        } else {
            name.push_back(char(data[i]));
        }
    }
    const std::vector<std::string> table = CDM_TrackTable(listing);
    if (table.size() > CDM_MAX_TRACKS) {
        std::abort();
    }
    for (size_t t = 0; t < table.size(); t++) {
        if (!table[t].empty() && CDM_TrackNumber(table[t]) != int(t + 1)) {
            std::abort();
        }
    }
    if (!table.empty() && table.back().empty()) {
        std::abort(); // the count is the highest number that has a file
    }
    return 0;
}
