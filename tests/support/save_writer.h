// Save-game files built from their tables: the slot table (game.dat), the game files (game<n>.dat) and
// the thumbnails (game<n>.ico), with knobs that damage them, and the demo installation's own save.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/inventory_writer.h"

namespace kalder_test {

struct SlotEntry {
    std::string name; // up to 22 bytes are written; a 22-byte name has no NUL
    int32_t locked = 0;
    int32_t stamp = 0;
    int32_t file_number = -1;
};

// game.dat: ten entries in columns (names, flags, stamps, file numbers).
struct SlotTableWriter {
    std::array<SlotEntry, 10> slots;
    // Damage: the file cut or padded (with 0xEE) to this size.
    std::optional<size_t> size;

    std::vector<uint8_t> Bytes() const;
};

struct RingEntry {
    double position[3] = {0.0, 0.0, 0.0};
    float life = 0.0f;
    float second_gauge = 0.0f;
    int32_t heading = 0;
};

struct RingRecord {
    std::string name; // up to 16 bytes are written; a 16-byte name has no NUL
    std::array<RingEntry, 32> entries;
};

// game<n>.dat: the ring and its cursor, the project, the hero's gauges, the inventory and the hand
// slots, each block at its offset.
struct GameFileWriter {
    std::array<RingRecord, 8> ring;
    int32_t cursor = 0;
    std::string project = "Project0"; // up to 32 bytes are written
    float life = 100.0f;
    float second_gauge = 100.0f;
    InventoryWriter inventory;
    int32_t hand_sets[3] = {-1, -1, -1};
    int32_t hand_sprites[3] = {-1, -1, -1};
    // As the original game wrote its files: the bytes it never set hold whatever its memory held (a
    // non-zero owner word, each entry's 4 unwritten bytes, the project name's bytes after its NUL).
    bool as_original = false;
    // Damage: the file cut or padded (with 0xEE) to this size.
    std::optional<size_t> size;

    std::vector<uint8_t> Bytes() const;
    // Offsets of the bytes the "as original" knob fills.
    std::vector<size_t> OriginalOnlyBytes() const;
};

// A thumbnail file from a 64 x 64 picture, little-endian.
std::vector<uint8_t> ThumbnailImage(const std::vector<uint16_t> &picture64x64);
// The test card (RGB565) drawn at 320 x 240 and scaled to 64 x 64.
std::vector<uint16_t> ScaledCard();
// The demo save's thumbnail: a red gem on a violet ground (RGB565).
std::vector<uint16_t> DemoThumbnail();

// The demo installation's save into the installation folder's DATA/GAME: slot 0 "Demo items", locked,
// stamp 1, file 0, in Project0 with "feu", "arc", "guerison", "object01" and "object02". Nothing is
// written when the folder already holds a game.dat (a person's own saves). false on a write failure.
bool WriteDemoSave(const std::string &install_host);
// The demo save's table and game file.
SlotTableWriter DemoSlotTable();
GameFileWriter DemoGameFile();

} // namespace kalder_test
