// Inventory images built field by field at their offsets in the saved game.
#include "tests/support/inventory_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kalder_test {

namespace {

// The image's fields, as the saved game lays them out.
constexpr size_t Owner = 0, Names = 4, Selected = 516, Quick = 520, Charge = 532, Level = 660, Count = 788,
                 Fixed = 916, InUse = 948, Size = 952;

template <typename T> void put(std::vector<uint8_t> &out, size_t at, T value)
{
    std::memcpy(out.data() + at, &value, sizeof value);
}

} // namespace

std::vector<uint8_t> InventoryWriter::Image() const
{
    std::vector<uint8_t> out(Size, 0);
    put(out, Owner, owner_word);
    for (size_t i = 0; i < 32; i++) {
        put(out, Charge + 4 * i, 50.0f);
    }
    for (size_t i = 0; i < items.size() && i < 32; i++) {
        const InventoryItem &item = items[i];
        std::memcpy(out.data() + Names + 16 * i, item.name.data(), std::min<size_t>(item.name.size(), 16));
        put(out, Charge + 4 * i, item.charge);
        put(out, Level + 4 * i, item.level);
        put(out, Count + 4 * i, item.count);
        out[Fixed + i] = item.fixed;
    }
    if (unterminated_name && *unterminated_name >= 0 && *unterminated_name < 32) {
        std::memset(out.data() + Names + 16 * size_t(*unterminated_name), 'Z', 16);
    }
    put(out, Selected, selected);
    for (size_t k = 0; k < 3; k++) {
        put(out, Quick + 4 * k, quick[k]);
    }
    put(out, InUse, in_use);
    return out;
}

InventoryWriter FullInventory()
{
    InventoryWriter w;
    for (int i = 0; i < 32; i++) {
        char name[16];
        std::snprintf(name, sizeof name, "item%02d", i);
        w.items.push_back({name, 1 + i * 3, i % 5, 10.0f + i * 2.5f, uint8_t(i % 7 == 0 ? 1 : 0)});
    }
    w.selected = 17;
    w.quick[0] = 0;
    w.quick[1] = 31;
    w.quick[2] = 9;
    return w;
}

} // namespace kalder_test
