// Save-game files built field by field at their offsets.
#include "tests/support/save_writer.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "tests/support/testcard.h"

namespace fs = std::filesystem;

namespace kalder_test {

namespace {

constexpr size_t TableSize = 340, Names = 0, Locked = 220, Stamps = 260, Numbers = 300;
constexpr size_t GameSize = 11388, Record = 1296, Entry = 40, RingName = 1280, Cursor = 10368, Project = 10372,
                 Life = 10404, Gauge = 10408, Inventory = 10412, HandSets = 11364, HandSprites = 11376;

template <typename T> void put(std::vector<uint8_t> &out, size_t at, T value)
{
    std::memcpy(out.data() + at, &value, sizeof value);
}

void resize(std::vector<uint8_t> &bytes, const std::optional<size_t> &size)
{
    if (size) {
        bytes.resize(*size, 0xEE);
    }
}

uint16_t rgb565(int r, int g, int b) { return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)); }

bool write_file(const fs::path &path, const std::vector<uint8_t> &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

} // namespace

std::vector<uint8_t> SlotTableWriter::Bytes() const
{
    std::vector<uint8_t> out(TableSize, 0);
    for (size_t i = 0; i < slots.size(); i++) {
        const SlotEntry &slot = slots[i];
        std::memcpy(out.data() + Names + 22 * i, slot.name.data(), std::min<size_t>(slot.name.size(), 22));
        put(out, Locked + 4 * i, slot.locked);
        put(out, Stamps + 4 * i, slot.stamp);
        put(out, Numbers + 4 * i, slot.file_number);
    }
    resize(out, size);
    return out;
}

std::vector<uint8_t> GameFileWriter::Bytes() const
{
    std::vector<uint8_t> out(GameSize, 0);
    for (size_t r = 0; r < ring.size(); r++) {
        const size_t at = Record * r;
        for (size_t e = 0; e < 32; e++) {
            const RingEntry &entry = ring[r].entries[e];
            const size_t place = at + Entry * e;
            for (size_t i = 0; i < 3; i++) {
                put(out, place + 8 * i, entry.position[i]);
            }
            put(out, place + 24, entry.life);
            put(out, place + 28, entry.second_gauge);
            put(out, place + 32, entry.heading);
        }
        std::memcpy(out.data() + at + RingName, ring[r].name.data(), std::min<size_t>(ring[r].name.size(), 16));
    }
    put(out, Cursor, cursor);
    std::memcpy(out.data() + Project, project.data(), std::min<size_t>(project.size(), 32));
    put(out, Life, life);
    put(out, Gauge, second_gauge);
    InventoryWriter items = inventory;
    if (as_original && items.owner_word == 0) {
        items.owner_word = 0x8056A2C4;
    }
    const std::vector<uint8_t> image = items.Image();
    std::copy(image.begin(), image.end(), out.begin() + Inventory);
    for (size_t k = 0; k < 3; k++) {
        put(out, HandSets + 4 * k, hand_sets[k]);
        put(out, HandSprites + 4 * k, hand_sprites[k]);
    }
    if (as_original) {
        for (size_t at : OriginalOnlyBytes()) {
            if (at >= Inventory && at < Inventory + 4) {
                continue; // the owner word, set above
            }
            out[at] = uint8_t(0xC0 + at % 61);
        }
    }
    resize(out, size);
    return out;
}

std::vector<size_t> GameFileWriter::OriginalOnlyBytes() const
{
    std::vector<size_t> at;
    for (size_t r = 0; r < 8; r++) {
        for (size_t e = 0; e < 32; e++) {
            for (size_t b = 36; b < 40; b++) {
                at.push_back(Record * r + Entry * e + b);
            }
        }
    }
    for (size_t b = project.size() + 1; b < 32; b++) {
        at.push_back(Project + b);
    }
    for (size_t b = 0; b < 4; b++) {
        at.push_back(Inventory + b);
    }
    return at;
}

std::vector<uint8_t> ThumbnailImage(const std::vector<uint16_t> &picture64x64)
{
    std::vector<uint8_t> out(64 * 64 * 2, 0);
    for (size_t i = 0; i < out.size() / 2 && i < picture64x64.size(); i++) {
        out[2 * i] = uint8_t(picture64x64[i] & 0xFF);
        out[2 * i + 1] = uint8_t(picture64x64[i] >> 8);
    }
    return out;
}

std::vector<uint16_t> ScaledCard()
{
    constexpr int W = 320, H = 240;
    std::vector<uint16_t> card(size_t(W) * H);
    DrawTestCard(card.data(), W, H, false);
    std::vector<uint16_t> out(64 * 64);
    for (int y = 0; y < 64; y++) {
        for (int x = 0; x < 64; x++) {
            out[size_t(y) * 64 + size_t(x)] = card[size_t(y * H / 64) * W + size_t(x * W / 64)];
        }
    }
    return out;
}

std::vector<uint16_t> DemoThumbnail()
{
    std::vector<uint16_t> out(64 * 64);
    for (int y = 0; y < 64; y++) {
        for (int x = 0; x < 64; x++) {
            // A diamond of facets: darker to the lower right, a highlight at the upper left.
            const int dx = x - 32, dy = y - 32;
            const int d = std::abs(dx) + std::abs(dy);
            uint16_t pixel = rgb565(96 + y, 40, 140 + y);
            if (d < 22) {
                const int shade = std::clamp(230 - (dx + dy) * 3, 90, 255);
                pixel = rgb565(shade, shade / 8, shade / 10);
                if (dx < -2 && dy < -2 && d < 12) {
                    pixel = rgb565(255, 200, 190);
                }
            }
            out[size_t(y) * 64 + size_t(x)] = pixel;
        }
    }
    return out;
}

SlotTableWriter DemoSlotTable()
{
    SlotTableWriter table;
    table.slots[0] = {"Demo items", 1, 1, 0};
    return table;
}

GameFileWriter DemoGameFile()
{
    GameFileWriter game;
    game.inventory.items = {{"feu", 1, 1}, {"arc", 2, 2}, {"guerison", 1, 1}, {"object01", 1, 1}, {"object02", 3, 1}};
    game.inventory.selected = 3;
    game.inventory.quick[0] = 0;
    game.inventory.quick[1] = 1;
    game.inventory.quick[2] = -1;
    // The icons of "feu" and "arc": set 0, sprites 0 and 1.
    game.hand_sets[0] = 0;
    game.hand_sprites[0] = 0;
    game.hand_sets[1] = 0;
    game.hand_sprites[1] = 1;
    return game;
}

bool WriteDemoSave(const std::string &install_host)
{
    const fs::path folder = fs::path(install_host) / "DATA" / "GAME";
    std::error_code error;
    fs::create_directories(folder, error);
    for (const fs::directory_entry &entry : fs::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (name == "game.dat") {
            return true;
        }
    }
    return write_file(folder / "game0.dat", DemoGameFile().Bytes()) &&
           write_file(folder / "game0.ico", ThumbnailImage(DemoThumbnail())) &&
           write_file(folder / "game.dat", DemoSlotTable().Bytes());
}

} // namespace kalder_test
