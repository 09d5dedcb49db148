// kdev: the developers' program on the headless back-end. One command, one subcommand per job:
//   kdev resolve <game path>...            host path of each, or "not found"
//   kdev find <pattern>                    the directory search's matches
//   kdev mkpack [--as-given] <out.bf> NAME=hostfile...  writes a pack (names upper-cased unless as given)
//   kdev pack <game path of a .bf>         opens the pack; name, offset, size and FNV-1a of each entry,
//                                          in the order of the pack table
//   kdev prj <folder>                      loads <folder>/kalder.dat as drive D:'s root; lists the records
//   kdev obj <game path of a 3D file>      loads it into a 3D work area; its tree, nodes and materials
//   kdev render <folder>                   the golden, benchmark and stress scenes: <folder>/<scene>.png
//   kdev render --stats                    per-frame counters of a camera flying through the test scenes
//   kdev render --false-colour <folder>    the test scenes with each surface in its own colour
//   kdev render --light-orbit <folder>     "lit-spheres" with its point light circling the spheres, 16
//                                          frames: <folder>/light-orbit-00.png .. -15.png
//   kdev render --anim <folder>            the arm scene at nine blends b = 0, 32, ..., 256 between keys 7
//                                          and 19 of its wave (<folder>/arm-wave-<b>.png), and posed by nine
//                                          blends from the wave's frame 13 to the reach's frame 23
//                                          (<folder>/arm-blend-<b>.png)
//   kdev boxes [--png <folder>]            the "boxes" scene over 60 frames of a fixed motion: the world
//                                          bounds of every box, the box pairs in contact with their
//                                          features, nearest points and closest-feature steps; with --png
//                                          each frame with its boxes drawn, <folder>/boxes-NN.png
//   kdev coll <game path of a .3di> [--wire <out.png>]
//                                          adds the collision mesh to the space, moves a body of each mask
//                                          across it and prints per step both contact lists, the sphere
//                                          and point tests with their points, and a line-of-sight verdict;
//                                          with --wire the mesh, every step's tests and the sight line drawn
//   kdev fsb <game path of a bank>         loads the sound bank; each sound's sizes, format, bytes that play
//                                          and duration
//   kdev blend <folder>                    the bar picture darkened by the menu's four blends, in RGB565 and
//                                          RGB555: <folder>/blend-{565,555}-mode{0,1,2,3}.png
//   kdev sprites <folder>                  the sprite blitters' sheet at 640x480 and 320x200 in RGB565 and
//                                          RGB555: <folder>/sprites-{640x480,320x200}-{565,555}.png
//   kdev dsn <game path> [--png OUTDIR]   a scene stream's tables and blocks; with --png each map after 2,
//                                          16 and 64 parts: OUTDIR/<map>-parts{02,16,64}.png
//   kdev dan <game path>                   a container's names and blocks, the model's block kind
//   kdev mkscene <folder>                  a sample stream and container: <folder>/SCENE.DSN, CHAR.DAN
//   kdev spr <game path> <out.png>         a sprite set loaded into slot 0: one line a sprite (index, size, hot
//                                          spot) and a contact sheet of its sprites over a grey checkerboard,
//                                          hot spots in red; a path without a drive is found as start-up
//                                          finds its fonts, after the data location
//   kdev text <folder>                     the text goldens' pictures in the demo fonts: text-fonts-640x480,
//                                          text-fonts-320x200, text-555, text-scaled-640x480, opt-help-640x480
//   kdev inv <file> [offset]               an inventory image (952 bytes at the offset, 0 by default;
//                                          10412 in a saved game): its places, selected, quick, inUse
//   kdev hud <folder>                      the HUD goldens' pictures over the demo icon pack and fonts:
//                                          hud-{empty,slots,pickup,overlay}-640x480, hud-slots-{320x200,400x300},
//                                          the gauges' hud-gauges-*, ico-thumbnail-* and ico-picture-640x480
//   kdev icons <game path of a .bf> <folder>
//                                          the icon sets of an icon pack: one contact sheet a set,
//                                          <folder>/icons-<set file>.png, its cells named by the icon table,
//                                          and one line a sprite; a path without a drive is found after the
//                                          data location
//   kdev gfx <folder>                      the magnifier, fire, flow, screen-effect and debug-drawing
//                                          pictures of the goldens, fire frames 1..16 (fire-NN.png) and
//                                          flow frames 0, 64, 128, 192, 256 (flow-NNN.png)
//   kdev tint <folder>                     the test palette tinted at nine offsets a channel, in RGB565 and
//                                          RGB555: <folder>/tint-{565,555}.png
//   kdev hmap <game path> [out.png] [--camera]
//                                          a height map: its header and samples' range, the expanded image as
//                                          a grey picture (nearer is brighter; hmap.png by default); with
//                                          --camera the camera it places and a few world points it samples
//   kdev level <folder> [--ticks N] [--png OUT.png]
//                                          maps <folder>/drives as the programs do, starts up to the
//                                          database, loads the pending project (Project0), runs the
//                                          scene stream N more frames (31 by default), prints the object
//                                          slots (node name, flag bytes, position, heading, node, element)
//                                          and the sky node; with --png the root camera's view
//   kdev shadows <folder> [--real] [--ticks N] [--png OUT.png] [--texture OUT2.png]
//                                          plays Project0 N ticks (40) with flat or true shadows, prints
//                                          the 16 shadow slots and the attached count; the frame, and the
//                                          silhouette's 256 x 256 texels as a grey picture
//   kdev zones <folder> [--project NAME]   loads the project (the pending one or NAME) as kdev level does;
//                                          prints its zones in use (index, name, type, box, count, rate,
//                                          field handle, points), the physics fields after the load, and
//                                          for the hero's start the spawn points that are candidates and
//                                          the camera and draining zones that apply
//   kdev trg <folder> [project]           prints the project's 16 trigger sources from the database
//                                          (Project0 by default): active or not, the conditions and
//                                          actions by name, elements A, A2 and B, the zone, the event
//                                          argument, the film and the period
//   kdev fight <folder> [--ticks N] [--png OUTDIR]
//                                          plays the program headless as kdev play does, N frames after
//                                          Project0's load (120 by default), the creature pursuing the
//                                          hero: per frame the hero's target slot, its distance
//                                          d, in reach, "F92" near, danger, the stance bits (flag byte 4
//                                          0x60 / byte 5 0x40) and the hold time; with --png the hero with
//                                          the sword, the bow and the gun in hand and the sword blinking:
//                                          OUTDIR/hero-{sword,bow,gun,sword-blink,sword-blink-odd}.png
//   kdev camera <folder>                   the test figure walking a square on the floor, seen through the
//                                          camera: <folder>/camera-{follow,corner,close,overhead,fixed,
//                                          shot,return}.png
//   kdev phys [scenario]                   the physics scenarios (fall, ledge, wall, fast, ramp, push,
//                                          object, platform; all without a name): per frame each actor's
//                                          position, integer step, physics velocity, contact flags and
//                                          contact measure
//   kdev powers [type]                     every power (or the one of the hex type) cast by the hero at
//                                          a creature: cost, gauge, launch life, the hit's frame and the
//                                          victim's state after it
//   kdev prof <out.png>                    the profiler's bars and frame rate over the empty scene at
//                                          640x480 (10 ms a frame, 2 ms of it rendering: "100.0")
//   kdev film <game path> [<folder>] [--size WxH] [--555] [--picture]
//                                          plays a film on a headless display (640x480 RGB565 unless
//                                          asked), no sound: each frame's number and the player's calls
//                                          (a hi-colour picture's bands and whether it was whole), the
//                                          screen as <folder>/frame-NNNN.png, and the frame count; with
//                                          --picture also each hi-colour picture, 640x300, as
//                                          <folder>/picture-NNNN.png
// It takes the drive map from KALDER_DRIVES or ./drives, as the programs do. A fatal error prints the
// game's text on the standard error and ends with the game's exit code.
#include <algorithm>
#include <cinttypes>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "core/dsk.h"
#include "core/dsp.h"
#include "core/file.h"
#include "core/fsb.h"
#include "core/mem.h"
#include "core/pack.h"
#include "core/scr.h"
#include "core/sys.h"
#include "engine3d/anim.h"
#include "engine3d/hmap.h"
#include "engine3d/boxes.h"
#include "engine3d/coll.h"
#include "engine3d/colldraw.h"
#include "engine3d/colltest.h"
#include "engine3d/image.h"
#include "engine3d/maths.h"
#include "engine3d/matcache.h"
#include "engine3d/object.h"
#include "engine3d/pairs.h"
#include "engine3d/raster.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "interface/ico.h"
#include "interface/spr.h"
#include "plat/files.h"
#include "plat/test.h"
#include "tools/kdev/kdev_film.h"
#include "tools/kdev/kdev_files.h"
#include "tools/kdev/kdev_scene.h"
#include "tests/support/actor_pictures.h"
#include "tests/support/camera_pictures.h"
#include "tests/support/gfx_pictures.h"
#include "tests/support/hud_pictures.h"
#include "tests/support/pack_writer.h"
#include "tests/support/png16.h"
#include "tools/kdev/kdev_saves.h"
#include "tests/support/prof_picture.h"
#include "tests/support/scenes.h"
#include "tests/support/screen_target.h"
#include "tests/support/span_recorder.h"
#include "tests/support/sprite_frames.h"
#include "tests/support/span_texture.h"
#include "tests/support/testcard.h"
#include "tests/support/text_pictures.h"
#include "tools/kdev/kdev_fight.h"
#include "tools/kdev/kdev_level.h"
#include "tools/kdev/kdev_sym.h"
#include "tools/kdev/kdev_shadow.h"
#include "tools/kdev/kdev_trg.h"
#include "tools/kdev/kdev_dialog.h"
#include "tools/kdev/kdev_ai.h"
#include "tools/kdev/kdev_phys.h"
#include "tools/kdev/kdev_fx.h"
#include "tools/kdev/kdev_powers.h"
#include "tools/kdev/kdev_play.h"
#include "world/inv.h"
#include "world/prj.h"

#include <unistd.h>

// The headless message box has already written the text to the standard error.
static void print_fatal(int code)
{
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(code);
}

// The options of kdev level and kdev fight after the folder: --ticks N and --png PATH.
static bool ticks_and_png(int argc, char **argv, int32_t *ticks, const char **png)
{
    for (int i = 3; i < argc; i++) {
        if (std::strcmp(argv[i], "--ticks") == 0 && i + 1 < argc) {
            *ticks = int32_t(std::strtol(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--png") == 0 && i + 1 < argc) {
            *png = argv[++i];
        } else {
            return false;
        }
    }
    return true;
}

static int usage()
{
    std::fprintf(stderr,
                 "usage: kdev resolve <game path>...\n"
                 "       kdev find <pattern>\n"
                 "       kdev mkpack [--as-given] <out.bf> NAME=hostfile...\n"
                 "       kdev pack <game path of a .bf>\n"
                 "       kdev prj <folder>\n"
                 "       kdev level <folder> [--ticks N] [--png OUT.png]\n"
                 "       kdev shadows <folder> [--real] [--ticks N] [--png OUT.png] [--texture OUT2.png]\n"
                 "       kdev zones <folder> [--project NAME]\n"
                 "       kdev trg <folder> [project]\n"
                 "       kdev drd <folder> [--wav N OUT.wav]\n"
                 "       kdev dialog <folder> <entry> <OUTDIR>\n"
                 "       kdev anim <folder>\n"
                 "       kdev fight <folder> [--ticks N] [--png OUTDIR]\n"
                 "       kdev camera <folder>\n"
                 "       kdev phys [scenario]\n"
                 "       kdev powers [type]\n"
                 "       kdev fx <folder> [--project NAME] [--ticks N] [--burst] [--png OUT.png]\n"
                 "       kdev play <folder> [--frames N] [--place X,Y,Z@K]... [--project NAME] [--png OUT.png] [--triggers]\n"
                 "                 [--keys SCRIPT] [--trace OUT] [--partner] [--save NAME@K]... [--load NAME@K]...\n"
                 "       kdev ai <folder> [--project NAME] [--frames N] [--seed S] [--place X,Y,Z@K]...\n"
                 "       kdev obj <game path of a 3D file>\n"
                 "       kdev render <folder>\n"
                 "       kdev render --stats\n"
                 "       kdev render --false-colour <folder>\n"
                 "       kdev render --anim <folder>\n"
                 "       kdev render --light-orbit <folder>\n"
                 "       kdev boxes [--png <folder>]\n"
                 "       kdev coll <game path of a .3di> [--wire <out.png>]\n"
                 "       kdev blend <folder>\n"
                 "       kdev sprites <folder>\n"
                 "       kdev gfx <folder>\n"
                 "       kdev tint <folder>\n"
                 "       kdev hmap <game path> [out.png] [--camera]\n"
                 "       kdev fsb <game path of a bank>\n"
                 "       kdev dsn <game path> [--png OUTDIR]\n"
                 "       kdev dan <game path>\n"
                 "       kdev sym <game path of a symbol file>\n"
                 "       kdev mkscene <folder>\n"
                 "       kdev prof <out.png>\n"
                 "       kdev spr <game path> <out.png>\n"
                 "       kdev text <folder>\n"
                 "       kdev film <game path> [<folder>] [--size WxH] [--555] [--picture]\n"
                 "       kdev hud <folder>\n"
                 "       kdev inv <file> [offset]\n"
                 "       kdev icons <game path of a .bf> <folder>\n"
                 "       kdev saves <folder> [--png OUTDIR]\n");
    return 2;
}

static int resolve(int argc, char **argv)
{
    for (int i = 0; i < argc; i++) {
        std::string host;
        if (PLAT_ResolvePath(argv[i], PLAT_RESOLVE_EXISTING, &host)) {
            std::printf("%s\n", host.c_str());
        } else {
            std::printf("not found\n");
        }
    }
    return 0;
}

static int find(const char *pattern)
{
    for (const PLAT_FindEntry &e : PLAT_FindFiles(pattern)) {
        if (e.is_directory) {
            std::printf("%-40s <DIR>\n", e.name.c_str());
        } else {
            std::printf("%-40s %10" PRIu32 "\n", e.name.c_str(), e.size);
        }
    }
    return 0;
}

static int mkpack(int argc, char **argv)
{
    // --as-given keeps the names' case; the game's own packs store them upper-cased.
    kalder_test::PackWriterOptions options;
    if (argc > 0 && std::strcmp(argv[0], "--as-given") == 0) {
        options.upper_names = false;
        argc--;
        argv++;
    }
    if (argc < 1) {
        return usage();
    }
    std::vector<kalder_test::PackWriterEntry> entries;
    for (int i = 1; i < argc; i++) {
        const char *equals = std::strchr(argv[i], '=');
        if (equals == nullptr || equals == argv[i]) {
            return usage();
        }
        std::ifstream in(equals + 1, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "kdev: cannot read %s\n", equals + 1);
            return 1;
        }
        kalder_test::PackWriterEntry e;
        e.name.assign(argv[i], size_t(equals - argv[i]));
        e.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        entries.push_back(e);
    }
    if (!kalder_test::WritePack(argv[0], entries, options)) {
        std::fprintf(stderr, "kdev: cannot write %s\n", argv[0]);
        return 1;
    }
    return 0;
}

// The other place the pack layer looks for a pack, on drive Z, when Z is mapped.
static const char *pack_alternative(const char *path)
{
    static std::string prefixed;
    prefixed = std::string("Z:\\") + path;
    return PLAT_DriveHost('Z').empty() ? nullptr : prefixed.c_str();
}

static int pack(const char *path)
{
    if (!KdevFileFound(path, pack_alternative(path))) {
        return 1;
    }
    PACK_Open(path);
    // Each entry by its place in the table, read through the entry itself: a stored name that is not
    // upper case can never be found by name, yet its bytes are there.
    for (int32_t i = 0; i < PACK_Count; i++) {
        PACK_Table[i].open = 1;
        PACK_Table[i].position = 0;
        const int32_t handle = -(i + 1);
        FILE_Seek(handle, 0, 0);
        uint32_t hash = 2166136261u;
        uint8_t piece[1000];
        int32_t n;
        while ((n = FILE_Read(handle, piece, sizeof piece)) > 0) {
            for (int32_t k = 0; k < n; k++) {
                hash = (hash ^ piece[k]) * 16777619u;
            }
        }
        FILE_Close(handle);
        std::printf("%-40s %10" PRIu32 " %10" PRIu32 "  %08" PRIx32 "\n", PACK_Table[i].name, PACK_Table[i].offset,
                    PACK_Table[i].size, hash);
    }
    PACK_FreeTable();
    return 0;
}

// Loads a sound bank as the game does and describes each sound from its WAVE header. The bytes that
// play are those the sound module copies: min(RIFF size - 44, size - 44).
static int fsb(const char *path)
{
    if (!KdevFileFound(path)) {
        return 1;
    }
    FSB_Load(path);
    std::printf("%5s %8s %8s %3s %6s %4s %8s %8s\n", "index", "size", "riff", "ch", "rate", "bits", "plays", "ms");
    for (uint32_t i = 0; i < FSB_Count; i++) {
        const uint8_t *wav = FSB_GetSound(int32_t(i));
        uint32_t size = FSB_Table[i].size;
        if (wav == nullptr || size < 44) {
            std::printf("%5" PRIu32 " %8" PRIu32 "  %s\n", i, size,
                        wav == nullptr ? "outside the bank's data" : "shorter than a WAVE header");
            continue;
        }
        uint32_t riff, rate;
        uint16_t channels, bits;
        std::memcpy(&riff, wav + 4, 4);
        std::memcpy(&channels, wav + 22, 2);
        std::memcpy(&rate, wav + 24, 4);
        std::memcpy(&bits, wav + 34, 2);
        uint32_t plays = riff < 44 ? 0 : std::min(riff - 44, size - 44);
        uint64_t bytes_per_second = uint64_t(rate) * channels * (bits / 8);
        uint64_t ms = bytes_per_second == 0 ? 0 : uint64_t(plays) * 1000 / bytes_per_second;
        std::printf("%5" PRIu32 " %8" PRIu32 " %8" PRIu32 " %3u %6" PRIu32 " %4u %8" PRIu32 " %8" PRIu64 "\n", i, size,
                    riff, unsigned(channels), rate, unsigned(bits), plays, ms);
    }
    FSB_Free();
    return 0;
}

// Maps the folder as drive D:, makes its root current, loads its kalder.dat as the game does and
// lists every record.
static int prj(const char *folder)
{
    // Mapped directly, not through a drive-map text, so that any folder name works.
    std::error_code error;
    if (!KdevHostFound(folder, folder)) {
        return 1;
    }
    if (!std::filesystem::is_directory(folder, error)) {
        std::fprintf(stderr, "kdev: %s is not a folder\n", folder);
        return 1;
    }
    test::ClearDrives();
    test::MapDrive('D', std::filesystem::absolute(folder, error).string());
    if (PLAT_SetDrive('D') != 0) {
        std::fprintf(stderr, "kdev: %s is not a folder\n", folder);
        return 1;
    }
    if (!KdevFileFound("kalder.dat")) {
        return 1;
    }
    PRJ_LoadDatabase();
    std::printf("%-5s %-20s %-6s %-6s %-10s %s\n", "index", "name", "in use", "packed", "title", "data part");
    for (int32_t i = 0; i < PRJ_RECORD_COUNT; i++) {
        int32_t start, end;
        std::memcpy(&start, PRJ_Database + 4 * i, sizeof start);
        std::memcpy(&end, PRJ_Database + 4 * (i + 1), sizeof end);
        static LevelRecord record;
        std::memset(&record, 0, sizeof record);
        PRJ_UnpackRecord(reinterpret_cast<uint8_t *>(&record), sizeof record, PRJ_Database + PRJ_TABLE_SIZE + start,
                         end - start);
        std::string name(record.name, strnlen(record.name, sizeof record.name));
        const char *title = PRJ_FindTitle(name.c_str());
        std::printf("%-5d %-20s %-6d %-6d %-10s %d\n", int(i), name.c_str(), record.flags & 1, int(end - start),
                    title != nullptr ? title : "-", int(record.data_part));
        for (const ExitRecord &exit : record.exits) {
            if (exit.target[0] != '\0') {
                std::printf("      exit %.12s -> %.12s\n", exit.name, exit.target);
            }
        }
    }
    return 0;
}

// The 3D library's file source over the file layer, with the game's result rules: 0 for an empty
// name, -1 for a file found nowhere, 0 for one not below the room; otherwise the first 8 bytes are
// skipped and the length is returned.
static int32_t file_source(const char *name, void *destination, int32_t room)
{
    if (name[0] == 0) {
        return 0;
    }
    if (!FILE_Exists(name)) {
        return -1;
    }
    int32_t handle = FILE_Open(name, O_RDONLY | O_BINARY);
    int32_t length = FILE_Seek(handle, 0, SEEK_END);
    if (length >= room) {
        FILE_Close(handle);
        return 0;
    }
    if (length > 8) {
        FILE_Seek(handle, 8, SEEK_SET);
        FILE_Read(handle, destination, uint32_t(length - 8));
    }
    FILE_Close(handle);
    return length;
}

static void print_tree(OBJ_Handle h, int depth)
{
    for (int steps = 0; h != -1 && steps < 65536; steps++) {
        const uint8_t *r = Get_Obj_Ptr(h);
        int32_t faces = 0, edges = 0;
        uint32_t flags;
        std::memcpy(&flags, r + 12, 4);
        for (Addr node = Addr(P_Get32(r + 164)); node != 0; node = W_GetAddr(node)) {
            faces += W_Get32(node + 28);
        }
        for (Addr node = Addr(P_Get32(r + 168)); node != 0; node = W_GetAddr(node)) {
            edges += W_Get32(node + 8);
        }
        std::printf("%*s%-12s handle %08" PRIx32 "  flags %04" PRIx32 "  vertices %" PRId32 "  faces %" PRId32
                    "  edges %" PRId32 "\n",
                    depth * 2, "", Get_Obj_Name(h), uint32_t(h), flags, Get_Vertex_Count(h), faces, edges);
        for (Addr node = Addr(P_Get32(r + 164)); node != 0; node = W_GetAddr(node)) {
            int32_t type = W_Get32(node + 4);
            uint32_t word = uint32_t(W_Get32(node + 8));
            const char *material = reinterpret_cast<const char *>(W_Ptr(node + 12));
            if (Prim_Is_Textured(type)) {
                int32_t entry = word == 0 ? -1 : int32_t((word - 8 - Name_Cache) / sizeof(OBJ_NameCacheEntry));
                std::printf("%*s  node type %3" PRId32 "  material %-16s texture: %s\n", depth * 2, "", type, material,
                            entry < 0 ? "none" : ("cache entry " + std::to_string(entry)).c_str());
            } else {
                std::printf("%*s  node type %3" PRId32 "  material %-16s colour %04" PRIx32 "\n", depth * 2, "", type,
                            material, word);
            }
        }
        print_tree(Get_Obj_Child(h), depth + 1);
        h = Get_Obj_Sibling(h);
    }
}

// Starts the library on a work area of the game's size and loads the file, its materials from its
// own folder; -1 (with a line saying so) when it does not load.
static OBJ_Handle load_3d(const char *path)
{
    if (!KdevFileFound(path)) {
        return -1;
    }
    static std::vector<uint8_t> area(7850000);
    Init_3D(area.data(), area.size());
    Set_File_Source(file_source);
    const char *slash = std::strrchr(path, '\\');
    const char *other = std::strrchr(path, '/');
    if (other != nullptr && (slash == nullptr || other > slash)) {
        slash = other;
    }
    size_t folder = slash == nullptr ? 0 : size_t(slash - path) + 1;
    std::snprintf(Material_Dir, sizeof Material_Dir, "%.*s", int(folder), path);
    OBJ_Handle h = Load_Obj(path);
    if (h == -1) {
        std::printf("%s: not loaded (damaged, or its materials are missing)\n", path);
    }
    return h;
}

static int obj(const char *path)
{
    OBJ_Handle h = load_3d(path);
    if (h == -1) {
        return 1;
    }
    std::printf("%s: kind %" PRId32 ", %" PRId32 " bytes, handle %08" PRIx32 "\n", path, Get_Obj_Kind(h),
                Get_Block_Size(Get_Obj_Block(h)), uint32_t(h));
    if (Get_Obj_Kind(h) == OBJ_KIND_HIERARCHY) {
        print_tree(h, 0);
    } else if (Get_Obj_Kind(h) == OBJ_KIND_MESH) {
        std::printf("triangles %" PRId32 "\n", W_Get32(Get_Obj_Block(h) + 28));
    } else {
        std::printf("records %" PRId32 "\n", Get_Obj_Count(h));
    }
    std::printf("material cache: %" PRId32 " entries\n", Get_Cache_Count());
    for (int32_t i = 0; i < Get_Cache_Count(); i++) {
        Addr e = Cache_Entry(i);
        std::printf("  %3" PRId32 "  %-16s file %-16s count %" PRId32 "  handle %08" PRIx32 "\n", i, Get_Cache_Name(i),
                    reinterpret_cast<const char *>(W_Ptr(e + 12 + 16)), W_Get32(e), uint32_t(W_Get32(e + 4)));
    }
    return 0;
}

// Subcommands that write pictures make their folder first, with its parents, as a person expects.
static bool make_folder(const char *folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder, error)) {
        std::fprintf(stderr, "kdev: cannot make the folder %s\n", folder);
        return false;
    }
    return true;
}

static void print_vec(const char *label, const int32_t *v)
{
    std::printf("%s(%" PRId32 ", %" PRId32 ", %" PRId32 ")", label, v[0], v[1], v[2]);
}

// One contact of a body: the triangle's index in its mesh and both exact tests.
static void print_contact(const OBJ_CollBody *b, const OBJ_CollTri *t, Addr tris)
{
    int32_t sphere[3] = {0, 0, 0}, ground[3] = {0, 0, 0};
    const int32_t s = Coll_Test_Sphere_Tri(b, t, sphere);
    const int32_t p = Coll_Test_Point_Tri(b, t, ground);
    std::printf("      triangle %" PRIu32 ": sphere %+" PRId32, (W_Addr(t) - tris) / uint32_t(sizeof(OBJ_CollTri)), s);
    if (s != 0) {
        print_vec(" at ", sphere);
    }
    std::printf(", point %+" PRId32, p);
    if (p != 0) {
        print_vec(" at ", ground);
    }
    std::printf("\n");
}

// The eye of the wire picture: above the mesh's top (+y) and before its near side, looking down 30
// degrees, turned half a turn about its line of sight so that the top shows upward.
static void place_wire_eye(const int32_t *lo, const int32_t *hi)
{
    const int64_t span = std::max({int64_t(hi[0]) - lo[0], int64_t(hi[1]) - lo[1], int64_t(hi[2]) - lo[2], int64_t(1)});
    const int32_t c = Get_Cos(341), s = Get_Sin(341);
    const int32_t turn[9] = {-0x8000, 0, 0, 0, -c, -s, 0, -s, c};
    const int32_t eye[3] = {int32_t((int64_t(lo[0]) + hi[0]) / 2), int32_t(hi[1] + span * 6 / 10),
                            int32_t((int64_t(lo[2]) + hi[2]) / 2 - span * 12 / 10)};
    Set_Obj_Matrix(0, turn);
    Set_Obj_Pos(0, eye);
}

// Two bodies (masks 7 and 15) cross the mesh's bounds from corner to corner, a little above its top.
// With a wire picture, each step's tests are drawn over the mesh, and the line of sight last.
static int coll(const char *path, const char *wire)
{
    OBJ_Handle h = load_3d(path);
    if (h == -1) {
        return 1;
    }
    if (Get_Obj_Kind(h) != OBJ_KIND_MESH) {
        std::printf("%s: not a collision mesh\n", path);
        return 1;
    }
    Coll_Init();
    Coll_Add_Mesh(h);
    const int32_t n2 = 2 * Coll_Tri_Count();
    const Addr tris = W_GetAddr(Get_Obj_Block(h) + 32);
    std::printf("%s: %" PRId32 " triangles in the space\n", path, Coll_Tri_Count());
    if (n2 == 0) {
        return 0;
    }
    int32_t lo[3], hi[3];
    for (int a = 0; a < 3; a++) {
        lo[a] = Coll_Axis_List(a)[0].value;
        hi[a] = Coll_Axis_List(a)[n2 - 1].value;
    }
    print_vec("bounds ", lo);
    print_vec(" to ", hi);
    std::printf("\n");
    const int32_t radius = 64;
    OBJ_CollBody *bodies[2] = {Coll_Create_Body(7), Coll_Create_Body(15)};
    for (OBJ_CollBody *b : bodies) {
        Coll_Set_Body_Radius(b, radius);
    }
    const int32_t eye[3] = {lo[0], hi[1] + 100, lo[2]};
    const int32_t far[3] = {hi[0], lo[1] - 100, hi[2]};
    if (wire != nullptr) {
        Set_Screen_Size(640, 480);
        Set_Viewport_Fov(640, 480, 0, 0, 76.36f);
    }
    std::vector<uint16_t> frame(size_t(OBJ_View.screen_width) * size_t(OBJ_View.screen_height), 0);
    if (wire != nullptr) {
        place_wire_eye(lo, hi);
        Draw_Mesh_Wire(frame.data(), h, 0x4A69);
    }
    const uint16_t sphere_colours[2] = {0x07E0, 0x07FF}, point_colours[2] = {0xFFE0, 0xFC00};
    const int32_t steps = 8;
    for (int32_t step = 0; step <= steps; step++) {
        std::printf("step %" PRId32 "\n", step);
        for (OBJ_CollBody *b : bodies) {
            const int32_t centre[3] = {int32_t(lo[0] - radius + int64_t(hi[0] - lo[0] + 2 * radius) * step / steps),
                                       int32_t(hi[1] + radius / 2 - step % 2 * radius),
                                       int32_t(lo[2] - radius + int64_t(hi[2] - lo[2] + 2 * radius) * step / steps)};
            Copy_Vec(b->centre, centre);
            Coll_Sweep_Body(b);
            std::printf("  body mask %" PRIu8 " ", b->mask);
            print_vec("at ", b->centre);
            std::printf(" radius %" PRId32 "\n    3D list:\n", b->radius);
            while (const OBJ_CollTri *t = Coll_Next_Contact(b)) {
                print_contact(b, t, tris);
            }
            std::printf("    2D list:\n");
            while (const OBJ_CollTri *t = Coll_Next_Contact2(b)) {
                print_contact(b, t, tris);
            }
            if (wire != nullptr) {
                const int k = b == bodies[0] ? 0 : 1;
                Draw_Sphere_Test(frame.data(), b, sphere_colours[k]);
                Draw_Point_Test(frame.data(), b, point_colours[k]);
            }
        }
        // Line of sight between two fixed points: above the first corner, below the opposite one.
        int32_t crossing[3] = {0, 0, 0};
        int32_t blocked = -1;
        while (const OBJ_CollTri *t = Coll_Box_Of_Segment(eye, far)) {
            if (blocked < 0 && Seg_Cross_Plane(eye, far, t, crossing) != 0) {
                blocked = int32_t((W_Addr(t) - tris) / uint32_t(sizeof(OBJ_CollTri)));
            }
        }
        print_vec("  sight ", eye);
        print_vec(" to ", far);
        if (blocked < 0) {
            std::printf(": clear\n");
        } else {
            std::printf(": blocked by triangle %" PRId32, blocked);
            print_vec(" at ", crossing);
            std::printf("\n");
        }
    }
    Coll_Free();
    if (wire != nullptr) {
        Draw_Line_3D(frame.data(), eye, far, 0xF81F);
        if (!kalder_test::WritePng16(wire, frame.data(), OBJ_View.screen_width, OBJ_View.screen_height, false)) {
            std::fprintf(stderr, "kdev: cannot write %s\n", wire);
            return 1;
        }
        std::printf("%s\n", wire);
    }
    return 0;
}

// Draws the bars at 640x480 in each pixel format, takes the screen copy as the in-game menu does
// and writes each darkening of it as a picture to look at.
static int blend(const char *folder)
{
    if (!make_folder(folder)) {
        return 1;
    }
    static std::vector<uint16_t> frame(640 * 480);
    SCR_Width = 640;
    SCR_Height = 480;
    SCR_FrameBuffer = frame.data();
    MEM_Arena = MEM_CreateStack(640 * 480 * 2 + 64);
    if (MEM_Arena == nullptr || !SCR_AllocCopy()) {
        std::fprintf(stderr, "kdev: no room for the screen copy\n");
        return 1;
    }
    for (int32_t rgb555 = 0; rgb555 < 2; rgb555++) {
        DSP_Rgb555 = rgb555;
        kalder_test::DrawBars(SCR_FrameBuffer, 640, 480, rgb555 != 0);
        SCR_SaveScreen();
        for (int32_t mode = 0; mode < 4; mode++) {
            SCR_BlendScreen(mode);
            const std::string path = std::string(folder) + "/blend-" + (rgb555 ? "555" : "565") + "-mode" +
                                     std::to_string(mode) + ".png";
            if (!kalder_test::WritePng16(path, SCR_FrameBuffer, 640, 480, rgb555 != 0)) {
                std::fprintf(stderr, "kdev: cannot write %s\n", path.c_str());
                return 1;
            }
            std::printf("%s\n", path.c_str());
        }
    }
    SCR_FreeCopy();
    return 0;
}

// Draws the sprite blitters' demonstration sheet at two screen sizes in each pixel format.
static int sprites(const char *folder)
{
    if (!make_folder(folder)) {
        return 1;
    }
    BLEND_BuildTables();
    const int sizes[][2] = {{640, 480}, {320, 200}};
    for (auto [width, height] : sizes) {
        for (bool rgb555 : {false, true}) {
            kalder_test::ScreenTarget screen(width, height, rgb555);
            kalder_test::DrawSpriteSheet();
            const std::string path = std::string(folder) + "/sprites-" + std::to_string(width) + "x" +
                                     std::to_string(height) + (rgb555 ? "-555" : "-565") + ".png";
            if (!kalder_test::WritePng16(path, screen.pixels(), width, height, rgb555)) {
                std::fprintf(stderr, "kdev: cannot write %s\n", path.c_str());
                return 1;
            }
            std::printf("%s\n", path.c_str());
        }
    }
    return 0;
}

// Renders the named test scenes from a camera that flies through them, and prints per frame what the
// pipeline counted and how much of the frame heap it took.
static int render(const char *option)
{
    if (std::strcmp(option, "--stats") != 0) {
        return usage();
    }
    kalder_test::SceneArea area;
    std::vector<OBJ_Handle> scenes;
    for (const std::string &name : kalder_test::SceneNames()) {
        OBJ_Handle h = kalder_test::LoadScene(area, name);
        if (h < 0) {
            std::fprintf(stderr, "kdev: the scene %s does not load\n", name.c_str());
            return 1;
        }
        scenes.push_back(h);
    }
    Render_Settings.scan_pass = [](uint16_t *) {};
    std::vector<uint16_t> frame(640 * 480);
    std::printf("frame camera x y z: objects 1 2 3 4, vertices transformed projected, normals, "
                "faces tested front drawn clipped, heap bytes\n");
    // Along the textured cube's left side, through its front and out of its back.
    for (int32_t f = 0; f < 60; f++) {
        const int32_t camera[3] = {250, -50, -400 + f * 40};
        const int32_t offset[3] = {-camera[0], -camera[1], -camera[2]};
        for (OBJ_Handle h : scenes) {
            Set_Obj_Pos(h, offset);
        }
        Render_Frame(frame.data());
        std::printf("%2" PRId32 " %5" PRId32 " %5" PRId32 " %5" PRId32 ": %" PRId32 " %" PRId32 " %" PRId32 " %" PRId32
                    ", %4" PRId32 " %4" PRId32 ", %4" PRId32 ", %4" PRId32 " %4" PRId32 " %4" PRId32 " %3" PRId32
                    ", %6" PRIu32 "\n",
                    f, camera[0], camera[1], camera[2], nb_objects1, nb_objects2, nb_objects3, nb_objects4,
                    nb_verts_xformed, nb_verts_projected, nb_normals, nb_faces_tested, nb_faces_front, nb_faces_drawn,
                    nb_faces_clipped, Heap_Ptr - Mem_libre);
    }
    Render_Settings.scan_pass = Scan_Pass;
    return 0;
}

// Renders the golden scenes, the benchmark scenes and the scan pass's stress scenes once each with the
// span routines into <folder>/<scene>.png.
static int render_pictures(const char *folder)
{
    if (!make_folder(folder)) {
        return 1;
    }
    std::vector<std::string> names = kalder_test::GoldenSceneNames();
    for (const std::string &name : kalder_test::BenchSceneNames()) {
        names.push_back(name);
    }
    for (const std::string &name : kalder_test::StressSceneNames()) {
        names.push_back(name);
    }
    for (const std::string &name : names) {
        kalder_test::SceneArea area(64u << 20);
        if (kalder_test::LoadScene(area, name) < 0) {
            std::fprintf(stderr, "kdev: the scene %s does not load\n", name.c_str());
            return 1;
        }
        std::vector<uint16_t> frame(size_t(OBJ_View.screen_width) * size_t(OBJ_View.screen_height));
        if (HMAP_Current != nullptr) {
            // The backdrop scenes' frame starts as their picture.
            std::copy(Render_Settings.background_picture, Render_Settings.background_picture + frame.size(), frame.begin());
        }
        Render_Frame(frame.data());
        const std::string path = std::string(folder) + "/" + name + ".png";
        if (!kalder_test::WritePng16(path, frame.data(), OBJ_View.screen_width, OBJ_View.screen_height,
                                     DSP_Rgb555 != 0)) {
            std::fprintf(stderr, "kdev: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s: %" PRId32 " faces drawn\n", path.c_str(), nb_faces_drawn);
    }
    kalder_test::ClearSceneBackdrop();
    return 0;
}

// Loads a height map, expands it and shows it; with the camera, places the root camera on a started
// library and samples the corners and the centre back into the world.
static int hmap(const char *path, const char *out, bool camera)
{
    if (!KdevFileFound(path)) {
        return 1;
    }
    uint32_t length = 0;
    uint8_t *file = Hmap_Load_File(path, &length);
    if (file == nullptr) {
        std::fputs(test::Stdout().c_str(), stdout); // the loader's own message
        return 1;
    }
    std::vector<uint8_t> image(Hmap_Image_Size(file, length));
    if (image.empty() || Hmap_Convert(image.data(), file, length) == 0) {
        std::fprintf(stderr, "kdev: %s: the header is refused\n", path);
        MEM_FreePtr(&file);
        return 1;
    }
    MEM_FreePtr(&file);
    int32_t header[5];
    float cam[6];
    std::memcpy(header, image.data(), sizeof header);
    std::memcpy(cam, image.data() + HMAP_POSITION, sizeof cam);
    std::printf("%s: %" PRIu32 " bytes, %" PRId32 " x %" PRId32 ", shift %" PRId32 " (word 12: %" PRId32
                "), lens %" PRId32 "\n", path, length, header[0], header[1], header[2], header[3], header[4]);
    std::printf("camera (%g, %g, %g) looking at (%g, %g, %g)\n", cam[0], cam[1], cam[2], cam[3], cam[4], cam[5]);
    const size_t count = (image.size() - HMAP_HEADER_BYTES) / 2;
    std::vector<uint16_t> samples(count);
    std::memcpy(samples.data(), image.data() + HMAP_HEADER_BYTES, count * 2);
    uint16_t low = 0xFFFF, high = 0;
    size_t zeros = 0;
    for (uint16_t s : samples) {
        zeros += s == 0;
        if (s != 0) {
            low = std::min(low, s);
            high = std::max(high, s);
        }
    }
    std::printf("samples %u..%u, %zu of 0\n", unsigned(low), unsigned(high), zeros);
    std::vector<uint16_t> grey(count);
    for (size_t i = 0; i < count; i++) {
        const uint32_t level = samples[i] == 0 || high <= low ? 0 : 2 + (uint32_t(samples[i] - low) * 29) / (high - low);
        grey[i] = uint16_t(level << 11 | (level * 2) << 5 | level);
    }
    if (!kalder_test::WritePng16(out, grey.data(), header[0], header[1], false)) {
        std::fprintf(stderr, "kdev: cannot write %s\n", out);
        return 1;
    }
    std::printf("%s written\n", out);
    if (camera) {
        kalder_test::SceneArea area;
        if (Hmap_Set_Camera(image.data()) == 0) {
            std::printf("camera: a lens below 1 places nothing\n");
            return 0;
        }
        HMAP_SetCurrent(image.data());
        int32_t m[9], pos[3];
        Get_Obj_Matrix(0, m);
        Get_Obj_Pos(0, pos);
        std::printf("viewport %" PRId32 " x %" PRId32 ", focal %g x %g; root camera at (%" PRId32 ", %" PRId32
                    ", %" PRId32 "), looking along (%" PRId32 ", %" PRId32 ", %" PRId32 ")\n",
                    OBJ_View.view_width, OBJ_View.view_height, double(OBJ_View.focal_x), double(OBJ_View.focal_y),
                    pos[0], pos[1], pos[2], m[2], m[5], m[8]);
        const int32_t w = header[0], h = header[1];
        const int32_t points[5][2] = {{0, 0}, {w - 1, 0}, {w / 2, h / 2}, {0, h - 1}, {w - 1, h - 1}};
        for (const auto &p : points) {
            int32_t world[3];
            if (Hmap_Sample(p[0], p[1], world) != 0) {
                std::printf("pixel (%" PRId32 ", %" PRId32 "): world (%" PRId32 ", %" PRId32 ", %" PRId32 ")\n", p[0],
                            p[1], world[0], world[1], world[2]);
            } else {
                std::printf("pixel (%" PRId32 ", %" PRId32 "): no depth\n", p[0], p[1]);
            }
        }
        HMAP_SetCurrent(nullptr);
    }
    return 0;
}

// Renders "lit-spheres" with its point light circling the spheres, one turn in kLightOrbitFrames
// frames, into <folder>/light-orbit-<frame>.png.
static int render_light_orbit(const char *folder)
{
    if (!make_folder(folder)) {
        return 1;
    }
    kalder_test::SceneArea area;
    if (kalder_test::LoadScene(area, "lit-spheres") < 0) {
        std::fprintf(stderr, "kdev: the scene lit-spheres does not load\n");
        return 1;
    }
    std::vector<uint16_t> frame(size_t(OBJ_View.screen_width) * size_t(OBJ_View.screen_height));
    for (int32_t f = 0; f < kalder_test::kLightOrbitFrames; f++) {
        kalder_test::PlaceOrbitLight(f);
        Render_Frame(frame.data());
        char name[32];
        std::snprintf(name, sizeof name, "/light-orbit-%02" PRId32 ".png", f);
        const std::string path = std::string(folder) + name;
        if (!kalder_test::WritePng16(path, frame.data(), OBJ_View.screen_width, OBJ_View.screen_height, false)) {
            std::fprintf(stderr, "kdev: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}

// Renders each named test scene once with spans painted in false colours, one colour per surface and
// the background black, into <folder>/<scene>.png.
static int render_false_colour(const char *folder)
{
    if (!make_folder(folder)) {
        return 1;
    }
    for (const std::string &name : kalder_test::SceneNames()) {
        kalder_test::SceneArea area;
        if (kalder_test::LoadScene(area, name) < 0) {
            std::fprintf(stderr, "kdev: the scene %s does not load\n", name.c_str());
            return 1;
        }
        std::vector<uint16_t> frame(size_t(OBJ_View.screen_width) * size_t(OBJ_View.screen_height));
        kalder_test::SpanRecorder painter(true);
        Render_Frame(frame.data());
        const std::string path = std::string(folder) + "/" + name + ".png";
        if (!kalder_test::WritePng16(path, frame.data(), OBJ_View.screen_width, OBJ_View.screen_height, false)) {
            std::fprintf(stderr, "kdev: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s: %zu spans\n", path.c_str(), painter.spans().size());
    }
    return 0;
}

// The arm posed by its animations: in time between two keys of one table, and blended between two.
static int render_anim(const char *folder)
{
    if (!make_folder(folder)) {
        return 1;
    }
    kalder_test::SceneArea area;
    const OBJ_Handle arm = kalder_test::LoadScene(area, "arm");
    const OBJ_Handle wave = kalder_test::LoadArmAnimation("wave", 4);
    const OBJ_Handle reach = kalder_test::LoadArmAnimation("reach", 4);
    if (arm < 0 || wave < 0 || reach < 0) {
        std::fprintf(stderr, "kdev: the arm or its animations do not load\n");
        return 1;
    }
    std::vector<uint16_t> frame(size_t(OBJ_View.screen_width) * size_t(OBJ_View.screen_height));
    const struct {
        const char *name;
        OBJ_Handle c, d;
    } series[] = {{"wave", wave + 7, wave + 19}, {"blend", wave + 13, reach + 23}};
    for (const auto &s : series) {
        for (int32_t b = 0; b <= 256; b += 32) {
            Anim_Apply(arm, s.c, s.d, b, 0);
            Render_Frame(frame.data());
            const std::string path = std::string(folder) + "/arm-" + s.name + "-" + std::to_string(b) + ".png";
            if (!kalder_test::WritePng16(path, frame.data(), OBJ_View.screen_width, OBJ_View.screen_height, false)) {
                std::fprintf(stderr, "kdev: cannot write %s\n", path.c_str());
                return 1;
            }
            std::printf("%s\n", path.c_str());
        }
    }
    return 0;
}

// Writes the tint strip in both formats into <folder>/tint-565.png and <folder>/tint-555.png.
static int tint(const char *folder)
{
    if (!make_folder(folder)) {
        return 1;
    }
    for (bool rgb555 : {false, true}) {
        const std::vector<uint16_t> strip = kalder_test::TintStrip(rgb555);
        const std::string path = std::string(folder) + (rgb555 ? "/tint-555.png" : "/tint-565.png");
        if (!kalder_test::WritePng16(path, strip.data(), kalder_test::kTintStripWidth, kalder_test::kTintStripHeight,
                                     rgb555)) {
            std::fprintf(stderr, "kdev: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}

// The "boxes" scene through a moved camera: the crate slides from left to right past the turned box and
// the pillar while the turned box spins. Every box is registered in the pool; after each frame's
// render the pairs are swept and their contacts walked, as a game using them would.
static int boxes(const char *png)
{
    if (png != nullptr && !make_folder(png)) {
        return 1;
    }
    kalder_test::SceneArea area;
    const OBJ_Handle scene = kalder_test::LoadScene(area, "boxes");
    if (scene < 0) {
        std::fprintf(stderr, "kdev: the scene boxes does not load\n");
        return 1;
    }
    kalder_test::PlaceRootCamera({120, -40, -300}, 200);
    Pairs_Init(256);
    std::vector<std::pair<OBJ_Handle, int32_t>> registered;
    for (OBJ_Handle h = scene + 1; Get_Box_Count(h) >= 0; h++) {
        for (int32_t b = 0; b < Get_Box_Count(h); b++) {
            Pairs_Add_Box(h, b);
            registered.push_back({h, b});
        }
    }
    const OBJ_Handle crate = scene + 1, turned = scene + 3;
    std::vector<uint16_t> frame(size_t(OBJ_View.screen_width) * size_t(OBJ_View.screen_height));
    for (int32_t f = 0; f < 60; f++) {
        const int32_t position[3] = {-700 + 25 * f, 0, 1500};
        Set_Obj_Pos(crate, position);
        const int32_t c = Get_Cos(f * 20), s = Get_Sin(f * 20);
        const int32_t spin[9] = {c, 0, s, 0, 0x8000, 0, -s, 0, c};
        Set_Obj_Matrix(turned, spin);
        Render_Frame(frame.data());
        if (png != nullptr) {
            Draw_All_Boxes(frame.data(), Get_Hierarchy_Record(0));
            char path[4096];
            std::snprintf(path, sizeof path, "%s/boxes-%02" PRId32 ".png", png, f);
            if (!kalder_test::WritePng16(path, frame.data(), OBJ_View.screen_width, OBJ_View.screen_height, false)) {
                std::fprintf(stderr, "kdev: cannot write %s\n", path);
                return 1;
            }
        }
        Pairs_Sweep();
        std::printf("frame %" PRId32 "\n", f);
        for (const auto &r : registered) {
            float v[6];
            std::memcpy(v, Get_Box(r.first, r.second) + BOX_MINIMUM, sizeof v);
            std::printf("  box %s/%" PRId32 ": %.0f %.0f %.0f .. %.0f %.0f %.0f\n", Get_Obj_Name(r.first), r.second,
                        double(v[0]), double(v[1]), double(v[2]), double(v[3]), double(v[4]), double(v[5]));
        }
        const OBJ_PairNode *node = Pairs.active;
        OBJ_Handle ha, hb;
        int32_t ba, bb, pa[3], pb[3];
        for (int32_t k = 0; Pairs_Next_Contact(&ha, &ba, pa, &hb, &bb, pb, k) == 0; k++, node = node->next) {
            std::printf("  pair %s/%" PRId32 " %s/%" PRId32 ": features %" PRId32 " %" PRId32 ", points %" PRId32
                        " %" PRId32 " %" PRId32 " and %" PRId32 " %" PRId32 " %" PRId32 ", steps %" PRId32 "\n",
                        Get_Obj_Name(ha), ba, Get_Obj_Name(hb), bb, node->feature_first, node->feature_second, pa[0],
                        pa[1], pa[2], pb[0], pb[1], pb[2], node->steps);
        }
        std::printf("  %" PRId32 " pairs in contact\n", Pairs.active_count);
    }
    Pairs_Free();
    return 0;
}

// The procedural texture, magnifier, screen-effect and debug-drawing pictures, as PNG files.
static int gfx(const char *folder)
{
    if (!make_folder(folder)) {
        return 1;
    }
    std::vector<std::pair<std::string, kalder_test::Picture>> pictures;
    pictures.emplace_back("magnify", kalder_test::MagnifyPicture());
    pictures.emplace_back("fire-64", kalder_test::FirePicture(64));
    pictures.emplace_back("flow-100", kalder_test::FlowPicture(100));
    pictures.emplace_back("screen-effects-640x480", kalder_test::ScreenEffectsPicture(640, 480));
    pictures.emplace_back("screen-effects-320x200", kalder_test::ScreenEffectsPicture(320, 200));
    pictures.emplace_back("debug-draw", kalder_test::DebugDrawPicture());
    for (int step = 1; step <= 16; step++) {
        char name[32];
        std::snprintf(name, sizeof name, "fire-%02d", step);
        pictures.emplace_back(name, kalder_test::FirePicture(step));
    }
    for (int step = 0; step <= 256; step += 64) {
        char name[32];
        std::snprintf(name, sizeof name, "flow-%03d", step);
        pictures.emplace_back(name, kalder_test::FlowPicture(step));
    }
    for (const auto &[name, picture] : pictures) {
        const std::string path = std::string(folder) + "/" + name + ".png";
        if (!kalder_test::WritePng16(path, picture.pixels.data(), picture.width, picture.height, false)) {
            std::fprintf(stderr, "kdev: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}

// Writes named pictures as <folder>/<prefix><name>.png, one path a line.
static int write_pictures(const char *folder, const char *prefix, const std::vector<kalder_test::NamedPicture> &pictures,
                          int32_t width, int32_t height)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const kalder_test::NamedPicture &p : pictures) {
        const std::string path = std::string(folder) + "/" + prefix + p.name + ".png";
        if (!kalder_test::WritePng16(path, p.pixels.data(), width, height, false)) {
            std::fprintf(stderr, "kdev: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}

// The test figure played by an actor on the golden view: the walk cycle, a fade from idle to walk and
// the head aimed across the field of view, one PNG each.
static int anim(const char *folder) { return write_pictures(folder, "anim-", kalder_test::ActorDemoPictures(4), 320, 240); }

// The test figure walking a square on the floor through the camera: following, a corner, close
// quarters, the overhead, fixed and figure shots and the return to following, one PNG each.
static int camera(const char *folder)
{
    const std::vector<kalder_test::NamedPicture> pictures = kalder_test::CameraDemoPictures();
    if (pictures.empty()) {
        std::fprintf(stderr, "kdev: the camera's walk did not start\n");
        return 1;
    }
    return write_pictures(folder, "camera-", pictures, 640, 480);
}

// The profiler's overlay as the golden shows it, at the game's 640 x 480.
static int prof(const char *out)
{
    kalder_test::SceneArea area;
    const std::vector<uint16_t> frame = kalder_test::ProfilerOverlayFrame(area, 640, 480, 1);
    if (frame.empty() || !kalder_test::WritePng16(out, frame.data(), 640, 480, false)) {
        std::fprintf(stderr, "kdev: cannot write %s\n", out);
        return 1;
    }
    std::printf("%s\n", out);
    return 0;
}

// A sprite set's contact sheet and listing, loaded as the game loads it.
static int spr(const char *path, const char *out)
{
    if (std::strchr(path, ':') == nullptr) {
        DSK_Locate();
    }
    if (!KdevFileFound(path)) {
        return 1;
    }
    SPR_ClearAll();
    SPR_LoadSet(path, 0);
    std::string upper = path;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    std::string listing;
    const kalder_test::Picture16 sheet =
        kalder_test::SpriteSheetPicture(0, upper.find(".ALP") != std::string::npos, &listing);
    std::fputs(listing.c_str(), stdout);
    SPR_FreeAll();
    if (!kalder_test::WritePng16(out, sheet.pixels.data(), sheet.width, sheet.height, false)) {
        std::fprintf(stderr, "kdev: cannot write %s\n", out);
        return 1;
    }
    std::printf("%s\n", out);
    return 0;
}

// The text pictures of the goldens, in the demo fonts on a scratch drive.
static int text(const char *folder)
{
    if (!make_folder(folder)) {
        return 1;
    }
    const std::pair<const char *, std::function<kalder_test::Picture16()>> pictures[] = {
        {"text-fonts-640x480", [] { return kalder_test::TextFontsPicture(640, 480, false); }},
        {"text-fonts-320x200", [] { return kalder_test::TextFontsPicture(320, 200, false); }},
        {"text-555", [] { return kalder_test::TextFontsPicture(640, 480, true); }},
        {"text-scaled-640x480", [] { return kalder_test::TextScaledPicture(); }},
        {"opt-help-640x480", [] { return kalder_test::HelpPagePicture(); }},
    };
    kalder_test::DemoFonts fonts;
    for (const auto &[name, make] : pictures) {
        const kalder_test::Picture16 picture = make();
        const std::string path = std::string(folder) + "/" + name + ".png";
        if (!kalder_test::WritePng16(path, picture.pixels.data(), picture.width, picture.height, picture.rgb555)) {
            std::fprintf(stderr, "kdev: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}

// An inventory image as it lies in a file (a saved game holds it at 10412): every place, the selected
// item, the quick slots and the in-use word, read straight from their offsets.
static int inv(const char *file, const char *offset_text)
{
    char *end = nullptr;
    const long long offset = offset_text == nullptr ? 0 : std::strtoll(offset_text, &end, 10);
    if (offset_text != nullptr && (end == offset_text || *end != 0 || offset < 0)) {
        return usage();
    }
    if (!KdevHostFound(file, file)) {
        return 1;
    }
    // A file that cannot be read holds no inventory either.
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (uint64_t(offset) + INV_IMAGE_BYTES > bytes.size()) {
        std::fprintf(stderr, "kdev inv: %s holds no inventory at %lld\n", file, offset);
        return 2;
    }
    const uint8_t *image = bytes.data() + offset;
    const auto i32 = [image](int32_t at) {
        int32_t v;
        std::memcpy(&v, image + at, 4);
        return v;
    };
    std::printf("place name               count level  charge fixed\n");
    for (int32_t i = 0; i < INV_ITEMS; i++) {
        std::string name;
        for (int32_t k = 0; k < INV_NAME_BYTES && image[INV_AT_NAMES + 16 * i + k] != 0; k++) {
            const uint8_t c = image[INV_AT_NAMES + 16 * i + k];
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, c >= 0x20 && c < 0x7F ? "%c" : "\\x%02X", c);
            name += escaped;
        }
        float charge;
        std::memcpy(&charge, image + INV_AT_CHARGE + 4 * i, 4);
        std::printf("%5d %-18s %6d %5d %7.2f %5u\n", i, ("\"" + name + "\"").c_str(), i32(INV_AT_COUNT + 4 * i),
                    i32(INV_AT_LEVEL + 4 * i), double(charge), unsigned(image[INV_AT_FIXED + i]));
    }
    std::printf("selected %d\nquick %d %d %d\ninUse 0x%08X\n", i32(INV_AT_SELECTED), i32(INV_AT_QUICK),
                i32(INV_AT_QUICK + 4), i32(INV_AT_QUICK + 8), unsigned(i32(INV_AT_IN_USE)));
    return 0;
}

// The golden HUD pictures, over the demo fonts and icon pack on a scratch drive.
static int hud(const char *folder)
{
    if (!make_folder(folder)) {
        return 1;
    }
    kalder_test::DemoHud demo;
    const auto write = [folder](const std::string &name, const kalder_test::Picture16 &picture) {
        const std::string path = std::string(folder) + "/" + name + ".png";
        if (!kalder_test::WritePng16(path, picture.pixels.data(), picture.width, picture.height, false)) {
            std::fprintf(stderr, "kdev: cannot write %s\n", path.c_str());
            return false;
        }
        std::printf("%s\n", path.c_str());
        return true;
    };
    for (const kalder_test::HudGolden &g : kalder_test::HudGoldens()) {
        if (!write(g.name, kalder_test::HudPicture(g.scene, g.width, g.height))) {
            return 1;
        }
    }
    for (const kalder_test::IconGolden &g : kalder_test::IconGoldens()) {
        if (!write(g.name, g.make())) {
            return 1;
        }
    }
    return 0;
}

// The name of entry k of icon set i in the icon table (the animated set: with its frame).
static std::string icon_name(int32_t i, int32_t k)
{
    const int32_t sprite = i == ICO_ANIMATED_SET ? k / ICO_ANIMATION_FRAMES : k;
    for (const ICO_Icon &icon : ICO_Table) {
        if (icon.set == i && icon.sprite == sprite && icon.name[0] != '\0') {
            if (i != ICO_ANIMATED_SET) {
                return icon.name;
            }
            return k % ICO_ANIMATION_FRAMES == 0 ? std::string(icon.name) : std::to_string(k % ICO_ANIMATION_FRAMES);
        }
    }
    return "?";
}

// One contact sheet per icon set of an icon pack, its cells named by the icon table.
static int icons(const char *pack, const char *folder)
{
    if (!make_folder(folder)) {
        return 1;
    }
    if (std::strchr(pack, ':') == nullptr) {
        DSK_Locate();
    }
    if (!KdevFileFound(pack, pack_alternative(pack))) {
        return 1;
    }
    PACK_Open(pack);
    ICO_LoadSets();
    for (int32_t i = 0; i < ICO_SET_COUNT; i++) {
        std::string listing;
        const kalder_test::Picture16 sheet = kalder_test::DirectorySheetPicture(
            ICO_Sets[i].entries, i != ICO_PLAIN_SET, &listing, [i](int32_t k) { return icon_name(i, k); });
        std::string file = ICO_SetFiles[i];
        std::replace(file.begin(), file.end(), '.', '-');
        const std::string path = std::string(folder) + "/icons-" + file + ".png";
        std::printf("%s:\n%s", ICO_SetFiles[i], listing.c_str());
        if (!kalder_test::WritePng16(path, sheet.pixels.data(), sheet.width, sheet.height, false)) {
            std::fprintf(stderr, "kdev: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    ICO_FreeSets();
    PACK_FreeTable();
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        return usage();
    }
    test::SetExitHook(print_fatal);
    PLAT_LoadDriveMapFromEnvironment();
    std::string command = argv[1];
    if (command == "resolve" && argc >= 3) {
        return resolve(argc - 2, argv + 2);
    }
    if (command == "find" && argc == 3) {
        return find(argv[2]);
    }
    if (command == "mkpack" && argc >= 3) {
        return mkpack(argc - 2, argv + 2);
    }
    if (command == "pack" && argc == 3) {
        return pack(argv[2]);
    }
    if (command == "level" && argc >= 3) {
        int32_t ticks = 31;
        const char *png = nullptr;
        if (!ticks_and_png(argc, argv, &ticks, &png)) {
            return usage();
        }
        return KdevLevel(argv[2], ticks, png);
    }
    if (command == "shadows" && argc >= 3) {
        const int status = KdevShadows(argc - 2, argv + 2);
        return status == 2 ? usage() : status;
    }
    if (command == "zones" && (argc == 3 || (argc == 5 && std::strcmp(argv[3], "--project") == 0))) {
        return KdevZones(argv[2], argc == 5 ? argv[4] : nullptr);
    }
    if (command == "drd" && argc == 3) {
        return KdevDrd(argv[2], -1, nullptr);
    }
    if (command == "drd" && argc == 6 && std::strcmp(argv[3], "--wav") == 0) {
        return KdevDrd(argv[2], std::atoi(argv[4]), argv[5]);
    }
    if (command == "dialog" && argc == 5) {
        return KdevDialog(argv[2], std::atoi(argv[3]), argv[4]);
    }
    if (command == "trg" && (argc == 3 || argc == 4)) {
        return KdevTrg(argv[2], argc == 4 ? argv[3] : nullptr);
    }
    if (command == "anim" && argc == 3) {
        return anim(argv[2]);
    }
    if (command == "powers" && argc <= 3) {
        return KdevPowers(argc == 3 ? argv[2] : nullptr);
    }
    if (command == "phys" && argc <= 3) {
        return KdevPhys(argc == 3 ? argv[2] : nullptr);
    }
    if (command == "fight" && argc >= 3) {
        int32_t ticks = 120;
        const char *png = nullptr;
        if (!ticks_and_png(argc, argv, &ticks, &png)) {
            return usage();
        }
        return KdevFight(argv[2], ticks, png);
    }
    if (command == "camera" && argc == 3) {
        return camera(argv[2]);
    }
    if (command == "fx" && argc >= 3) {
        return KdevFx(argc - 2, argv + 2);
    }
    if (command == "play" && argc >= 3) {
        return KdevPlay(argc - 2, argv + 2);
    }
    if (command == "ai" && argc >= 3) {
        return KdevAi(argc - 2, argv + 2);
    }
    if (command == "prj" && argc == 3) {
        return prj(argv[2]);
    }
    if (command == "obj" && argc == 3) {
        return obj(argv[2]);
    }
    if (command == "render" && argc == 3) {
        return argv[2][0] == '-' ? render(argv[2]) : render_pictures(argv[2]);
    }
    if (command == "render" && argc == 4 && std::strcmp(argv[2], "--false-colour") == 0) {
        return render_false_colour(argv[3]);
    }
    if (command == "render" && argc == 4 && std::strcmp(argv[2], "--anim") == 0) {
        return render_anim(argv[3]);
    }
    if (command == "render" && argc == 4 && std::strcmp(argv[2], "--light-orbit") == 0) {
        return render_light_orbit(argv[3]);
    }
    if (command == "hmap" && argc >= 3 && argc <= 5) {
        const char *out = "hmap.png";
        bool camera = false;
        for (int i = 3; i < argc; i++) {
            if (std::strcmp(argv[i], "--camera") == 0) {
                camera = true;
            } else {
                out = argv[i];
            }
        }
        return hmap(argv[2], out, camera);
    }
    if (command == "boxes" && (argc == 2 || (argc == 4 && std::strcmp(argv[2], "--png") == 0))) {
        return boxes(argc == 4 ? argv[3] : nullptr);
    }
    if (command == "coll" && (argc == 3 || (argc == 5 && std::strcmp(argv[3], "--wire") == 0))) {
        return coll(argv[2], argc == 5 ? argv[4] : nullptr);
    }
    if (command == "fsb" && argc == 3) {
        return fsb(argv[2]);
    }
    if (command == "blend" && argc == 3) {
        return blend(argv[2]);
    }
    if (command == "sprites" && argc == 3) {
        return sprites(argv[2]);
    }
    if (command == "gfx" && argc == 3) {
        return gfx(argv[2]);
    }
    if (command == "tint" && argc == 3) {
        return tint(argv[2]);
    }
    if (command == "dsn" && (argc == 3 || (argc == 5 && std::strcmp(argv[3], "--png") == 0))) {
        return KdevDsn(argv[2], argc == 5 ? argv[4] : nullptr);
    }
    if (command == "sym" && argc == 3) {
        return KdevSym(argv[2]);
    }
    if (command == "dan" && argc == 3) {
        return KdevDan(argv[2]);
    }
    if (command == "mkscene" && argc == 3) {
        return KdevMkScene(argv[2]);
    }
    if (command == "prof" && argc == 3) {
        return prof(argv[2]);
    }
    if (command == "spr" && argc == 4) {
        return spr(argv[2], argv[3]);
    }
    if (command == "film") {
        return KdevFilm(argc - 2, argv + 2, usage);
    }
    if (command == "text" && argc == 3) {
        return text(argv[2]);
    }
    if (command == "hud" && argc == 3) {
        return hud(argv[2]);
    }
    if (command == "inv" && (argc == 3 || argc == 4)) {
        return inv(argv[2], argc == 4 ? argv[3] : nullptr);
    }
    if (command == "saves" && (argc == 3 || (argc == 5 && std::strcmp(argv[3], "--png") == 0))) {
        return KdevSaves(argv[2], argc == 5 ? argv[4] : nullptr);
    }
    if (command == "icons" && argc == 4) {
        return icons(argv[2], argv[3]);
    }
    return usage();
}
