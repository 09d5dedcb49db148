// kdev's scene stream and container commands: their tables and blocks, the maps' progressive decoding
// as pictures, and a sample stream and container from the fixture writers.
#include "tools/kdev/kdev_scene.h"
#include "tools/kdev/kdev_files.h"

#include <fcntl.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/dpr.h"
#include "core/lz.h"
#include "core/mem.h"
#include "core/sys.h"
#include "plat/files.h"
#include "plat/test.h"
#include "tests/support/dan_writer.h"
#include "tests/support/dsn_writer.h"
#include "tests/support/image_builder.h"
#include "tests/support/level_start.h"
#include "tests/support/lz_packer.h"
#include "tests/support/png16.h"
#include "world/dan.h"
#include "world/dsn.h"

#ifndef O_BINARY
#define O_BINARY 0
#endif

namespace {

constexpr uint32_t Room = 16u << 20;

// The arena and streaming buffer the start-up would make.
void Core() { kalder_test::StartStreams(); }

std::vector<uint8_t> Read_File(const char *path)
{
    std::vector<uint8_t> bytes;
    const int fd = PLAT_Open(path, O_RDONLY | O_BINARY);
    if (fd < 0) {
        return bytes;
    }
    uint8_t chunk[65536];
    int32_t got;
    while ((got = PLAT_Read(fd, chunk, sizeof chunk)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    PLAT_Close(fd);
    return bytes;
}

int32_t Word(const uint8_t *at, int i)
{
    int32_t w;
    std::memcpy(&w, at + 4 * i, 4);
    return w;
}

// The stream's blocks after its tables, from the file's bytes.
void List_Stream_Blocks(const std::vector<uint8_t> &file, size_t at)
{
    std::vector<uint8_t> out(Room);
    int parts = 0;
    while (at + 5 <= file.size()) {
        const uint8_t type = file[at];
        const int32_t length = Word(file.data() + at + 1, 0);
        const size_t data = length >= 5 ? size_t(length) - 5 : 0;
        std::printf("block type %u length %" PRId32, type, length);
        if ((type == 1 || type == 2) && at + 5 + data <= file.size()) {
            const int32_t size = LZ_UnpackChecked(file.data() + at + 5, uint32_t(data), out.data(), Room);
            std::printf(" unpacked %" PRId32, size);
        }
        std::printf("%s\n", at + 5 + data > file.size() ? " (past the end of the file)" : "");
        parts += type == 4;
        if (length < 5) {
            break;
        }
        at += size_t(length);
    }
    std::printf("part blocks %d\n", parts);
}

bool Write_Map(const std::string &path, const std::vector<uint8_t> &image)
{
    std::vector<uint16_t> pixels(65536);
    const uint8_t *palette = image.data() + DSN_RecordBytes + DSN_PaletteAt;
    const uint8_t *picture = image.data() + DSN_RecordBytes + DSN_ColourBytes;
    for (size_t i = 0; i < pixels.size(); i++) {
        pixels[i] = uint16_t(uint32_t(Word(palette, picture[i])) >> 16);
    }
    return kalder_test::WritePng16(path, pixels.data(), 256, 256, false);
}

int Stream_Pictures(const char *path, const std::string &folder)
{
    if (!DSN_Open(path)) {
        return 1;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::vector<uint8_t> out(Room);
    DSN_Load3DC("scene", out.data(), int32_t(Room));
    DSN_Load3DI("scene", out.data(), int32_t(Room));
    const int32_t m = DSN_Stream.maps;
    std::vector<std::string> names;
    std::vector<std::vector<uint8_t>> images(size_t(m), std::vector<uint8_t>(DSN_MapBytes + 1));
    for (int32_t i = 0; i < m; i++) {
        names.emplace_back(DSN_Stream.names[i], strnlen(DSN_Stream.names[i], DSN_NameBytes));
        DSN_BindMap(names.back().c_str(), images[size_t(i)].data(), DSN_MapBytes + 1);
    }
    int tick = 0;
    for (int stage : {1, 8, 32}) {
        for (; tick < stage; tick++) {
            DSN_UpdateFrame();
        }
        for (int32_t i = 0; i < m; i++) {
            char suffix[32];
            std::snprintf(suffix, sizeof suffix, "-parts%02d.png", stage * 2);
            const std::string file = folder + "/" + names[size_t(i)] + suffix;
            if (!Write_Map(file, images[size_t(i)])) {
                std::fprintf(stderr, "kdev: cannot write %s\n", file.c_str());
                return 1;
            }
            std::printf("%s\n", file.c_str());
        }
    }
    return 0;
}

} // namespace

int KdevDsn(const char *path, const char *pngFolder)
{
    Core();
    if (!KdevFileFound(path)) {
        return 1;
    }
    const std::vector<uint8_t> file = Read_File(path);
    if (!DSN_Open(path)) {
        std::fprintf(stderr, "kdev: %s: not a scene stream\n", path);
        return 1;
    }
    std::printf("header %" PRId32 "\nmaps %" PRId32 "\n", DSN_Stream.header, DSN_Stream.maps);
    for (int32_t i = 0; i < DSN_Stream.maps; i++) {
        std::printf("  %-11.11s kind %" PRId32 " size %" PRId32 "\n", DSN_Stream.names[i],
                    Word(DSN_Stream.records[i], 2), Word(DSN_Stream.records[i], 1));
    }
    const size_t tables_end = 16 + size_t(DSN_Stream.maps) * (DSN_NameBytes + DSN_RecordBytes);
    DSN_Reset();
    List_Stream_Blocks(file, tables_end);
    if (pngFolder != nullptr) {
        return Stream_Pictures(path, pngFolder);
    }
    return 0;
}

int KdevDan(const char *path)
{
    Core();
    if (!KdevFileFound(path)) {
        return 1;
    }
    const size_t told = test::Stderr().size();
    if (!DAN_Load3DC(path)) {
        std::fprintf(stderr, "kdev: %s: not a container\n", path);
        return 1;
    }
    std::printf("header %" PRId32 "\nmaps %" PRId32 "\n", DAN_Container.header, DAN_Container.maps);
    for (int32_t i = 0; i < DAN_Container.maps; i++) {
        std::printf("  %-11.11s\n", DAN_Container.map_names[i]);
    }
    std::printf("animations %" PRId32 "\n", DAN_AnimCount());
    for (int32_t i = 0; i < DAN_AnimCount(); i++) {
        std::printf("  %s\n", DAN_AnimName(i));
    }
    std::vector<uint8_t> out(Room);
    const int32_t model = DAN_ReadBlock("-", out.data(), int32_t(Room));
    std::printf("block type 1 unpacked %" PRId32 " kind %" PRId32 "\n", model, model >= 12 ? Word(out.data(), 2) : -1);
    // Each block is unpacked from its own entry: loading by name would give every animation whose name
    // repeats another's first 8 characters the first one's size.
    const auto list = [&out](uint8_t type, const DAN_Entry &entry) {
        const int32_t unpacked = LZ_UnpackChecked(entry.data, entry.size, out.data(), Room);
        std::printf("block type %d packed %" PRIu32 " unpacked %" PRId32 "\n", type, entry.size,
                    unpacked < 0 ? 0 : unpacked);
    };
    const bool maps = DAN_ReadMapData();
    for (int32_t i = 0; maps && i < DAN_Container.maps; i++) {
        list(2, DAN_Container.map_entries[i]);
    }
    const bool anims = maps && DAN_ReadAnimData();
    for (int32_t i = 0; anims && i < DAN_AnimCount(); i++) {
        list(3, DAN_Container.anim_entries[i]);
    }
    if (!maps || (DAN_AnimCount() > 0 && !anims)) {
        std::printf("the blocks stop short\n");
    }
    DAN_Release();
    // What the container's reader told the game's standard error ("Debordement ...") is shown too.
    std::fputs(test::Stderr().c_str() + told, stderr);
    return 0;
}

int KdevMkScene(const std::string &folder)
{
    auto material = [](uint32_t seed) {
        return kalder_test::MaterialImage([seed](int r, int i) { return uint16_t(((i * 3 + seed) & 31) * 2048 + r * 2 + 1); })
            .Finish()
            .bytes;
    };
    std::vector<kalder_test::ObjectSpec> objects(1);
    objects[0].name = "floor";
    kalder_test::DsnWriter scene;
    scene.model = kalder_test::HierarchyImage(objects, {}).Finish().bytes;
    scene.collision = scene.model;
    for (uint32_t i = 0; i < 2; i++) {
        kalder_test::DsnMap map{i == 0 ? "FLOOR" : "CRATE", kalder_test::DsnMapRecord(material(i)), {}, {}};
        for (int c = 0; c < 256; c++) {
            map.palette.push_back(uint16_t((c >> 3) << 11 | ((c * 5 + i * 40) & 63) << 5 | (255 - c) >> 3));
        }
        map.picture.resize(65536);
        for (int y = 0; y < 256; y++) {
            for (int x = 0; x < 256; x++) {
                const int dx = x - 128, dy = y - 128;
                map.picture[size_t(y * 256 + x)] = uint8_t(i == 0 ? ((x ^ y) + (dx * dx + dy * dy) / 64) : (x * y) >> 8);
            }
        }
        scene.maps.push_back(map);
    }
    kalder_test::DanWriter character;
    character.model = scene.model;
    character.maps = {{"skin", material(3)}};
    // Two animations whose names share their first 8 characters, of different sizes: the game finds
    // only the first by name.
    character.anims = {{"xh_an4.3da", scene.model}, {"xh_an4.3db", material(4)}};
    const std::string dsn = folder + "/SCENE.DSN", dan = folder + "/CHAR.DAN";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!scene.WriteTo(dsn) || !character.WriteTo(dan)) {
        std::fprintf(stderr, "kdev: cannot write under %s\n", folder.c_str());
        return 1;
    }
    std::printf("%s\n%s\n", dsn.c_str(), dan.c_str());
    return 0;
}
