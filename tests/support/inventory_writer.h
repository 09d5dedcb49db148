// Inventory images (the 952 bytes a saved game holds) built from a description, with knobs that
// damage them.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kalder_test {

struct InventoryItem {
    std::string name; // up to 16 bytes are written; a 16-byte name has no NUL
    int32_t count = 1, level = 1;
    float charge = 50.0f;
    uint8_t fixed = 0;
};

struct InventoryWriter {
    // Item places 0, 1, ... in order; the rest are empty with a charge of 50.0.
    std::vector<InventoryItem> items;
    int32_t selected = -1;
    int32_t quick[3] = {-1, -1, -1};
    uint32_t in_use = 1;
    uint32_t owner_word = 0;
    // Damage: place i's 16 name bytes all letters (no NUL).
    std::optional<int> unterminated_name;

    std::vector<uint8_t> Image() const;
};

// The image of a record whose 32 places hold names "item00".."item31" with varied counts, levels,
// charges and fixed bytes, an object selected and three quick slots.
InventoryWriter FullInventory();

} // namespace kalder_test
