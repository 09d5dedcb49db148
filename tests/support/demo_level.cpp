// The demo installation and its level, written from the formats by our own writers.
#include "tests/support/demo_level.h"
#include "tests/support/save_writer.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "tests/support/character_writer.h"
#include "tests/support/demo_film.h"
#include "tests/support/drd_writer.h"
#include "tests/support/title_films.h"
#include "tests/support/font_writer.h"
#include "tests/support/fsb_writer.h"
#include "tests/support/icon_pack_writer.h"
#include "tests/support/image_builder.h"
#include "tests/support/install_writer.h"
#include "tests/support/iv_film.h"
#include "tests/support/pack_writer.h"
#include "tests/support/scene_builder.h"
#include "tests/support/symbol_writer.h"
#include "tests/support/wav_writer.h"
#include "tests/support/weapon_models.h"

namespace fs = std::filesystem;

namespace kalder_test {

namespace {

uint16_t Rgb565(int r, int g, int b) { return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)); }

ObjectSpec Node(const std::string &name, int parent, const Vec3 &position, const Mesh &mesh, int32_t type,
                const std::string &material)
{
    ObjectSpec o = MeshObject(name, parent, position, mesh, type, material);
    o.shade = uint32_t(demo::kShade);
    return o;
}

// Every shading row the same: the models show their pictures' own colours, lit or not.
std::vector<uint8_t> Material(const std::vector<uint16_t> &palette, const std::vector<uint8_t> &picture)
{
    return MaterialFile(picture, [&palette] {
        std::vector<uint16_t> rows;
        for (int r = 0; r < 32; r++) {
            rows.insert(rows.end(), palette.begin(), palette.end());
        }
        return rows;
    }());
}

// The floor: a checker of 32-texel squares in two greens, each square shaded toward its corner.
std::vector<uint16_t> FloorPalette()
{
    std::vector<uint16_t> p(256);
    for (int i = 0; i < 64; i++) {
        p[size_t(i)] = Rgb565(70 + i, 110 + i, 60 + i / 2);          // light squares
        p[size_t(64 + i)] = Rgb565(30 + i / 2, 60 + i / 2, 35 + i / 4); // dark squares
    }
    return p;
}

std::vector<uint16_t> HeroPalette()
{
    std::vector<uint16_t> p(256);
    for (int i = 0; i < 128; i++) {
        p[size_t(i)] = Rgb565(40 + i / 2, 70 + i / 2, 150 + i / 2); // tunic
        p[size_t(128 + i)] = Rgb565(200 + i / 3, 160 + i / 3, 120 + i / 3); // trim
    }
    return p;
}

std::vector<uint8_t> HeroPicture()
{
    std::vector<uint8_t> t(65536);
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 256; x++) {
            const bool trim = y < 24 || y >= 232 || x < 24 || x >= 232;
            t[size_t(y * 256 + x)] = uint8_t(trim ? 128 + (x + y) / 4 : (x ^ y) / 2);
        }
    }
    return t;
}

// The boxes: grey metal plates with rivets.
std::vector<uint16_t> BoxPalette()
{
    std::vector<uint16_t> p(256);
    for (int i = 0; i < 256; i++) {
        p[size_t(i)] = Rgb565(i * 3 / 4 + 40, i * 3 / 4 + 40, i * 3 / 4 + 50);
    }
    return p;
}

std::vector<uint8_t> BoxPicture()
{
    std::vector<uint8_t> t(65536);
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 256; x++) {
            const int dx = x % 64 - 32, dy = y % 64 - 32;
            const bool seam = x % 128 < 4 || y % 128 < 4;
            const bool rivet = (x % 128 - 12) * (x % 128 - 12) + (y % 128 - 12) * (y % 128 - 12) < 25;
            t[size_t(y * 256 + x)] = uint8_t(seam ? 20 : rivet ? 250 : 120 + (dx * dx + dy * dy) / 16);
        }
    }
    return t;
}

// The hero's nodes, in table order: pelvis (the root), torso, head, right and left hand. It faces +x,
// the way its walk carries it, so its shoulders lie along z, the right hand on +z.
const Vec3 kHeroNodeAt[5] = {{0, 0, 0}, {0, -60, 0}, {0, -80, 0}, {0, 0, 90}, {0, 0, -90}};

std::vector<uint8_t> Image(const std::vector<ObjectSpec> &objects, const std::vector<MaterialSpec> &materials)
{
    return HierarchyImage(objects, materials).Finish().bytes;
}

// Music track 2: 2 s at 44,100 Hz stereo, four notes of 0.5 s (A4, C#5, E5, A5) at half of full
// scale, each faded in and out over 5 ms.
std::vector<uint8_t> FourNotes()
{
    const double notes[] = {440.0, 554.37, 659.26, 880.0};
    const int rate = 44100, note_frames = rate / 2, fade = rate * 5 / 1000;
    std::vector<uint8_t> samples;
    for (double frequency : notes) {
        for (int i = 0; i < note_frames; i++) {
            const double gain = std::min({1.0, double(i) / fade, double(note_frames - 1 - i) / fade});
            const auto v = int16_t(std::lround(16384.0 * gain * std::sin(2 * M_PI * frequency * i / rate)));
            for (int channel = 0; channel < 2; channel++) {
                samples.push_back(uint8_t(uint16_t(v) & 0xFF));
                samples.push_back(uint8_t(uint16_t(v) >> 8));
            }
        }
    }
    return WavImage(WavFormat{2, rate, 16}, samples);
}

// The two demo projects share the scene and the boxes.
LevelRecordBuilder DemoProject(const std::vector<uint8_t> &blank, const std::string &name)
{
    LevelRecordBuilder b(blank);
    b.Name(name).InUse();
    b.I32s(level::kStartPosition, {demo::kHeroStart[0], demo::kHeroStart[1], demo::kHeroStart[2]});
    b.I32(level::kStartHeading, 0).I32(level::kEntryMode, 2);
    b.Element(0, "SCENE", "sc1.3dc").U8(level::Element(0) + level::kElementFlagsA, 0x01);
    const int32_t *starts[2] = {demo::kBox1Start, demo::kBox2Start};
    for (size_t i = 1; i <= 2; i++) {
        const size_t e = level::Element(i);
        b.Element(i, "BOX" + std::to_string(i), "box.3dc").U8(e + level::kElementFlagsA, 0x01);
        b.I32s(e + level::kElementStart, {starts[i - 1][0], starts[i - 1][1], starts[i - 1][2]});
        b.I32(e + level::kElementLife, 100);
    }
    const size_t crystal = level::Element(4);
    b.Element(4, "LIF1", "LIF1.3DC").U8(crystal + level::kElementFlagsA, 0x01);
    b.I32s(crystal + level::kElementStart, {demo::kCrystalStart[0], demo::kCrystalStart[1], demo::kCrystalStart[2]});
    b.I32(crystal + level::kElementLife, 100);
    return b;
}

// Project0's pick-ups: loaded objects that are not AI-driven, each named by its model file.
LevelRecordBuilder &AddPickUps(LevelRecordBuilder &b)
{
    const struct {
        size_t element;
        const char *name, *file;
        const int32_t *start;
    } pick_ups[] = {{5, "GEM", "feu.3dc", demo::kGemStart}, {6, "KEY", "object01.3dc", demo::kKeyStart}};
    for (const auto &p : pick_ups) {
        const size_t e = level::Element(p.element);
        b.Element(p.element, p.name, p.file).U8(e + level::kElementFlagsA, 0x01);
        b.I32s(e + level::kElementStart, {p.start[0], p.start[1], p.start[2]});
        b.I32(e + level::kElementLife, 100);
    }
    return b;
}

} // namespace

std::vector<uint8_t> DemoFloorPicture()
{
    std::vector<uint8_t> t(65536);
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 256; x++) {
            const int shade = (x % 32 + y % 32) * 63 / 62;
            t[size_t(y * 256 + x)] = uint8_t(((x / 32 + y / 32) & 1) ? 64 + shade : shade);
        }
    }
    return t;
}

// A palette of a colour ramp, entry i at base + i / divisor per channel, entry 0 the dark of the gaps.
static std::vector<uint16_t> RampPalette(const int (&base)[3], const int (&divisor)[3], const int (&dark)[3])
{
    std::vector<uint16_t> p(256);
    for (int i = 0; i < 256; i++) {
        p[size_t(i)] = Rgb565(base[0] + i / divisor[0], base[1] + i / divisor[1], base[2] + i / divisor[2]);
    }
    p[0] = Rgb565(dark[0], dark[1], dark[2]);
    return p;
}

// A 256 x 256 picture of palette indices, texel by texel.
template <typename F> static std::vector<uint8_t> Picture(F &&texel)
{
    std::vector<uint8_t> t(65536);
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 256; x++) {
            t[size_t(y * 256 + x)] = uint8_t(texel(x, y));
        }
    }
    return t;
}

// The crates: horizontal planks of 32 rows with dark gaps and a grain that runs along each plank.
static std::vector<uint16_t> WoodPalette() { return RampPalette({90, 55, 25}, {2, 3, 6}, {30, 18, 8}); }

std::vector<uint8_t> DemoCratePicture()
{
    return Picture([](int x, int y) {
        const int plank = y / 32;
        const bool gap = y % 32 >= 30 || (x + plank * 80) % 256 < 3;
        const int grain = (x * 3 + plank * 57 + (y % 32) * 11 + ((x / 7 + plank) % 5) * 9) % 96;
        return gap ? 0 : 100 + grain;
    });
}

// The film's screen: the first entries of the film's palette before the film starts.
static std::vector<uint16_t> ScreenPalette()
{
    std::vector<uint16_t> p(256);
    for (int i = 0; i < 256; i++) {
        p[size_t(i)] = Rgb565(20 + i / 4, 20 + i / 4, 30 + i / 4);
    }
    return p;
}

std::vector<uint8_t> DemoScreenPicture()
{
    std::vector<uint8_t> t(65536);
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 256; x++) {
            t[size_t(y * 256 + x)] = uint8_t((x / 16 + y / 16) & 1 ? 40 : 80);
        }
    }
    return t;
}

// The water: blues, with ripples across the strip that the flow moves.
static std::vector<uint16_t> WaterPalette()
{
    std::vector<uint16_t> p(256);
    for (int i = 0; i < 256; i++) {
        p[size_t(i)] = Rgb565(20 + i / 8, 60 + i / 3, 120 + i / 2);
    }
    return p;
}

std::vector<uint8_t> DemoWaterPicture()
{
    std::vector<uint8_t> t(65536);
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 256; x++) {
            const int wave = (x * 2 + y * 3 + ((x * y) >> 6)) % 64;
            t[size_t(y * 256 + x)] = uint8_t(wave < 32 ? wave * 6 : (63 - wave) * 6);
        }
    }
    return t;
}

// The arrows: yellow chevrons on dark red, pointing along the rows the scroll moves them by.
static std::vector<uint16_t> ArrowPalette()
{
    std::vector<uint16_t> p(256);
    for (int i = 0; i < 256; i++) {
        p[size_t(i)] = i < 128 ? Rgb565(90 + i / 4, 20, 20) : Rgb565(240, 200 + (i - 128) / 3, 40);
    }
    return p;
}

std::vector<uint8_t> DemoArrowPicture()
{
    std::vector<uint8_t> t(65536);
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 256; x++) {
            const int cx = x % 64 - 32, cy = y % 64;
            const int d = cy - (cx < 0 ? -cx : cx); // a chevron pointing up
            t[size_t(y * 256 + x)] = uint8_t(d >= 8 && d < 24 ? 200 : 40 + (y % 64));
        }
    }
    return t;
}

// A quad seen from both sides.
static Mesh BothSides(Mesh m)
{
    const size_t n = m.faces.size();
    for (size_t k = 0; k < n; k++) {
        const Vec3 f = m.faces[k];
        m.faces.push_back({f[0], f[2], f[1]});
        const FaceUV uv = m.uvs[k];
        m.uvs.push_back({uv[0], uv[1], uv[4], uv[5], uv[2], uv[3]});
    }
    return m;
}

// The walls: rows of stone blocks, 64 texels high and 128 wide, every other row shifted by half a
// block, with dark mortar between them.
static std::vector<uint16_t> WallPalette() { return RampPalette({70, 64, 56}, {2, 2, 2}, {28, 26, 24}); }

std::vector<uint8_t> DemoWallPicture()
{
    return Picture([](int x, int y) {
        const int row = y / 64, sx = (x + (row & 1) * 64) % 256;
        const bool mortar = y % 64 < 4 || sx % 128 < 4;
        const int block = row * 2 + sx / 128;
        const int grain = ((x * 7 + y * 13) ^ (x * y / 5)) % 40;
        return mortar ? 0 : 60 + block * 9 % 60 + grain;
    });
}

// The faces turned over: each seen from the other side, its texture the same way up.
static Mesh TurnedOver(Mesh m)
{
    for (size_t k = 0; k < m.faces.size(); k++) {
        std::swap(m.faces[k][1], m.faces[k][2]);
        if (k < m.uvs.size()) {
            const FaceUV uv = m.uvs[k];
            m.uvs[k] = {uv[0], uv[1], uv[4], uv[5], uv[2], uv[3]};
        }
    }
    return m;
}

// x and z exchanged: a wall across z becomes one across x, seen from the other side.
static Mesh SwappedXZ(Mesh m)
{
    for (Vec3 &v : m.vertices) {
        std::swap(v[0], v[2]);
    }
    return m;
}

static void AppendMesh(Mesh &to, const Mesh &from)
{
    const int32_t base = int32_t(to.vertices.size());
    to.vertices.insert(to.vertices.end(), from.vertices.begin(), from.vertices.end());
    for (const Vec3 &f : from.faces) {
        to.faces.push_back({f[0] + base, f[1] + base, f[2] + base});
    }
    to.uvs.insert(to.uvs.end(), from.uvs.begin(), from.uvs.end());
}

// The walls' inner faces, standing on the floor's four edges and facing its middle, 500 to 1000 units
// a texture cell.
static Mesh DemoWallFaces()
{
    using namespace demo;
    const int32_t top = kFloorY - kWallHeight;
    Mesh m;
    AppendMesh(m, WallMesh(kFloorX0, kFloorX1, top, kFloorY, kFloorZ1, 8, 1));             // far edge, facing -z
    AppendMesh(m, TurnedOver(WallMesh(kFloorX0, kFloorX1, top, kFloorY, kFloorZ0, 8, 1))); // near edge, facing +z
    AppendMesh(m, SwappedXZ(WallMesh(kFloorZ0, kFloorZ1, top, kFloorY, kFloorX0, 8, 1)));  // left edge, facing +x
    AppendMesh(m, TurnedOver(SwappedXZ(WallMesh(kFloorZ0, kFloorZ1, top, kFloorY, kFloorX1, 8, 1))));
    return m;
}

// The walls as drawn: the inner faces and the tops, which cover the corners.
static Mesh DemoWallMesh()
{
    using namespace demo;
    const int32_t top = kFloorY - kWallHeight, t = kWallThickness;
    Mesh m = DemoWallFaces();
    AppendMesh(m, GridMesh(kFloorX0 - t, kFloorX1 + t, kFloorZ1, kFloorZ1 + t, top, 8, 1));
    AppendMesh(m, GridMesh(kFloorX0 - t, kFloorX1 + t, kFloorZ0 - t, kFloorZ0, top, 8, 1));
    AppendMesh(m, GridMesh(kFloorX0 - t, kFloorX0, kFloorZ0, kFloorZ1, top, 1, 8));
    AppendMesh(m, GridMesh(kFloorX1, kFloorX1 + t, kFloorZ0, kFloorZ1, top, 1, 8));
    return m;
}

std::vector<uint8_t> DemoSceneModel()
{
    using namespace demo;
    std::vector<ObjectSpec> objects;
    objects.push_back(Node("SC1", -1, {0, 0, 0}, GridMesh(kFloorX0, kFloorX1, kFloorZ0, kFloorZ1, kFloorY, kFloorCellsX, kFloorCellsZ), 3, "FLOOR"));
    const Mesh crate = CubeMesh(kCrateHalf);
    objects.push_back(Node("BLOC1", 0, {kBloc1At[0], kBloc1At[1], kBloc1At[2]}, crate, 2, "CRATE"));
    objects.push_back(Node("BLOC2", 0, {kBloc2At[0], kBloc2At[1], kBloc2At[2]}, crate, 2, "CRATE"));
    // The animated textures' quads, drawn only: they are not in the collision model.
    // The screen: a wall across x (its columns along z), from a wall across z with x and z exchanged.
    Mesh screen = WallMesh(kScreenZ0, kScreenZ0 + 512, kFloorY - 512, kFloorY, kScreenX, 1, 1);
    for (Vec3 &v : screen.vertices) {
        std::swap(v[0], v[2]);
    }
    objects.push_back(Node("ECRAN", 0, {0, 0, 0}, BothSides(screen), 3, "ECRAN"));
    const Mesh water = BothSides(GridMesh(kWaterX0, kWaterX1, kWaterZ0, kWaterZ1, kFloorY - 2, 1, 4));
    objects.push_back(Node("EAU", 0, {0, 0, 0}, water, 3, "EAU"));
    const Mesh arrows = BothSides(WallMesh(kArrowX0, kArrowX1, kFloorY - 128, kFloorY, kArrowZ, 6, 1));
    objects.push_back(Node("FLECHE", 0, {0, 0, 0}, arrows, 3, "FLECHE"));
    objects.push_back(Node("MUR", 0, {0, 0, 0}, DemoWallMesh(), 3, "MUR"));
    return Image(objects, {{"FLOOR", "FLOOR", 0}, {"CRATE", "CRATE", 0}, {"ECRAN", "ECRAN", 0}, {"EAU", "EAU", 0},
                           {"FLECHE", "FLECHE", 0}, {"MUR", "MUR", 0}});
}

std::vector<uint8_t> DemoSceneCollision()
{
    using namespace demo;
    const Mesh floor = GridMesh(kFloorX0, kFloorX1, kFloorZ0, kFloorZ1, kFloorY, kFloorCellsX, kFloorCellsZ);
    std::vector<Vec3> triangles;
    for (int j = 0; j < kFloorCellsZ; j++) {
        for (int i = 0; i < kFloorCellsX; i++) {
            const int32_t a = j * (kFloorCellsX + 1) + i, b = a + 1, c = a + kFloorCellsX + 1, d = c + 1;
            triangles.push_back({a, c, b});
            triangles.push_back({b, c, d});
        }
    }
    // The walls' inner faces, as drawn; their tops are out of reach.
    std::vector<Vec3> vertices = floor.vertices;
    const Mesh walls = DemoWallFaces();
    const int32_t base = int32_t(vertices.size());
    vertices.insert(vertices.end(), walls.vertices.begin(), walls.vertices.end());
    for (const Vec3 &f : walls.faces) {
        triangles.push_back({f[0] + base, f[1] + base, f[2] + base});
    }
    return CollisionImage(vertices, triangles).Finish().bytes;
}

std::vector<uint8_t> DemoFloorMaterial() { return Material(FloorPalette(), DemoFloorPicture()); }
std::vector<uint8_t> DemoCrateMaterial() { return Material(WoodPalette(), DemoCratePicture()); }
std::vector<uint8_t> DemoScreenMaterial() { return Material(ScreenPalette(), DemoScreenPicture()); }
std::vector<uint8_t> DemoWaterMaterial() { return Material(WaterPalette(), DemoWaterPicture()); }
std::vector<uint8_t> DemoArrowMaterial() { return Material(ArrowPalette(), DemoArrowPicture()); }
std::vector<uint8_t> DemoWallMaterial() { return Material(WallPalette(), DemoWallPicture()); }

DsnWriter DemoSceneStream()
{
    DsnWriter w;
    w.model = DemoSceneModel();
    w.collision = DemoSceneCollision();
    w.maps.push_back({"FLOOR", DsnMapRecord(DemoFloorMaterial()), FloorPalette(), DemoFloorPicture()});
    w.maps.push_back({"CRATE", DsnMapRecord(DemoCrateMaterial()), WoodPalette(), DemoCratePicture()});
    w.maps.push_back({"ECRAN", DsnMapRecord(DemoScreenMaterial()), ScreenPalette(), DemoScreenPicture()});
    w.maps.push_back({"EAU", DsnMapRecord(DemoWaterMaterial()), WaterPalette(), DemoWaterPicture()});
    w.maps.push_back({"FLECHE", DsnMapRecord(DemoArrowMaterial()), ArrowPalette(), DemoArrowPicture()});
    w.maps.push_back({"MUR", DsnMapRecord(DemoWallMaterial()), WallPalette(), DemoWallPicture()});
    return w;
}

std::vector<uint8_t> DemoHeroModel()
{
    std::vector<ObjectSpec> objects;
    objects.push_back(Node("XH_", -1, kHeroNodeAt[0], BoxMesh({0, 80, 0}, {40, 80, 50}), 2, "HERO"));
    objects.push_back(Node("TORSE", 0, kHeroNodeAt[1], BoxMesh({0, 0, 0}, {45, 60, 70}), 2, "HERO"));
    objects.push_back(Node("TETE", 1, kHeroNodeAt[2], BoxMesh({0, 0, 0}, {30, 20, 30}), 2, "HERO"));
    objects.push_back(Node("MAIN-D", 1, kHeroNodeAt[3], BoxMesh({0, 0, 0}, {20, 60, 20}), 2, "HERO"));
    objects.push_back(Node("MAIN-G", 1, kHeroNodeAt[4], BoxMesh({0, 0, 0}, {20, 60, 20}), 2, "HERO"));
    return Image(objects, {{"HERO", "HERO", 0}});
}

DanWriter DemoHeroContainer()
{
    DanWriter w;
    w.model = DemoHeroModel();
    w.maps.push_back({"HERO", Material(HeroPalette(), HeroPicture())});
    // The hero uses extended keys: its animations are spline tracks. Its arms swing about z, across
    // its shoulders, as the test figure's do.
    CharacterOptions hero;
    hero.type = "xh_";
    hero.kind = 6;
    // Idle, walk, run and turns, and an animation for each of the hero's moves.
    hero.numbers = {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 16, 24, 25, 26, 28, 32, 39, 50, 60, 61};
    for (const NamedFile &f : CharacterAnims(hero)) {
        w.anims.push_back({UpperName(f.name), f.bytes});
    }
    return w;
}

std::vector<uint8_t> DemoBoxModel()
{
    return Image({Node("BOX", -1, {0, 0, 0}, CubeMesh(demo::kCrateHalf), 2, "BOX")}, {{"BOX", "BOX", 0}});
}

std::vector<uint8_t> DemoBoxMaterial() { return Material(BoxPalette(), BoxPicture()); }

// The shadows' pictures: index 0 is transparent to their keyed type and entry 1 is a dark grey, which
// that type mixes half and half with what lies under it.
static std::vector<uint16_t> ShadowPalette()
{
    std::vector<uint16_t> p(256, Rgb565(12, 12, 16));
    p[0] = 0;
    return p;
}

// A flat mesh laid out as on the ground (x, z, facing up) turned into the shadow models' frame, whose
// z axis the shadow code turns to the ground's normal: (x, y, z) -> (x, z, -y).
static Mesh GroundFrame(Mesh m)
{
    for (Vec3 &v : m.vertices) {
        v = {v[0], v[2], -v[1]};
    }
    return m;
}

std::vector<uint8_t> DemoShadowModel()
{
    // Eight triangles round the centre, counter-clockwise from +x toward +z, so that they face up.
    constexpr double pi = 3.14159265358979323846;
    constexpr int32_t r = 90;
    auto uv = [](int32_t c) { return int32_t((int64_t(c) + r) * (255 << 16) / (2 * r)); };
    Mesh blob;
    blob.vertices.push_back({0, 0, 0});
    for (int k = 0; k < 8; k++) {
        blob.vertices.push_back({int32_t(std::lround(r * std::cos(2 * pi * k / 8))), 0,
                                 int32_t(std::lround(r * std::sin(2 * pi * k / 8)))});
    }
    for (int32_t k = 0; k < 8; k++) {
        const int32_t a = 1 + k, b = 1 + (k + 1) % 8;
        blob.faces.push_back({0, a, b});
        const Vec3 &va = blob.vertices[size_t(a)], &vb = blob.vertices[size_t(b)];
        blob.uvs.push_back({uv(0), uv(0), uv(va[0]), uv(va[2]), uv(vb[0]), uv(vb[2])});
    }
    return Image({Node("OMBRE", -1, {0, 0, 0}, GroundFrame(blob), -14, "OMBRE")}, {{"OMBRE", "OMBRE", 0}});
}

std::vector<uint8_t> DemoShadowMaterial()
{
    // A dark disc whose rim is dithered, so that the blob's edge reads soft.
    std::vector<uint8_t> t(65536);
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 256; x++) {
            const int d2 = (x - 128) * (x - 128) + (y - 128) * (y - 128);
            t[size_t(y * 256 + x)] = uint8_t(d2 < 110 * 110 || (d2 < 126 * 126 && ((x ^ y) & 1)) ? 1 : 0);
        }
    }
    return Material(ShadowPalette(), t);
}

std::vector<uint8_t> DemoRealShadowModel()
{
    // The root has no faces, so that the shadow code may mark it not drawn and leave the plane drawn.
    // The plane is 256 x 512 units: two units a texel across and down, one rendered pixel two texels
    // across. The picture's top row lies toward +z, away from the camera that rendered it.
    Mesh plane;
    plane.vertices = {{-128, 0, -256}, {128, 0, -256}, {-128, 0, 256}, {128, 0, 256}};
    plane.faces = {{0, 1, 2}, {1, 3, 2}};
    constexpr int32_t one = 255 << 16;
    plane.uvs = {{0, one, one, one, 0, 0}, {one, one, one, 0, 0, 0}};
    ObjectSpec root = Node("OMBRE2", -1, {0, 0, 0}, Mesh{}, -14, "OMBRE2");
    return Image({root, Node("PLAN", 0, {0, 0, 0}, GroundFrame(plane), -14, "OMBRE2")}, {{"OMBRE2", "OMBRE2", 0}});
}

std::vector<uint8_t> DemoRealShadowMaterial() { return Material(ShadowPalette(), std::vector<uint8_t>(65536)); }

std::vector<uint8_t> DemoCrystalModel()
{
    // A cube stood on a corner reads as a gem from every side.
    const Mesh gem = TurnedMesh(CubeMesh(demo::kCrystalHalf * 7 / 10), 512, 400);
    ObjectSpec o = MeshObject("LIF1", -1, {0, 0, 0}, gem, 1, "CRYSTAL");
    o.shade = uint32_t(demo::kShade);
    return Image({o}, {{"CRYSTAL", "", 0x07FF}});
}

std::vector<uint8_t> DemoScrollModel()
{
    // A rolled parchment lying across: a long thin box, its ends in a darker blue.
    ObjectSpec roll = MeshObject("TEMPS", -1, {0, 0, 0}, BoxMesh({0, 0, 0}, {60, 14, 14}), 1, "SCROLL");
    roll.shade = uint32_t(demo::kShade);
    ObjectSpec ends = MeshObject("TEMPS2", 0, {0, 0, 0}, BoxMesh({0, 0, 0}, {70, 10, 10}), 1, "ROD");
    ends.shade = uint32_t(demo::kShade);
    return Image({roll, ends}, {{"SCROLL", "", Rgb565(70, 110, 235)}, {"ROD", "", Rgb565(20, 30, 120)}});
}

std::vector<uint8_t> DemoGemModel()
{
    // Few rings and segments: the sphere shows its facets.
    ObjectSpec o = MeshObject("FEU", -1, {0, 0, 0}, TurnedMesh(SphereMesh(demo::kGemHalf, 3, 6), 300, 200), 1, "GEM");
    o.shade = uint32_t(demo::kShade);
    return Image({o}, {{"GEM", "", Rgb565(220, 30, 40)}});
}

std::vector<uint8_t> DemoKeyModel()
{
    // A ring of four bars, a shaft and two teeth, joined into one mesh.
    const Mesh parts[] = {BoxMesh({-30, 0, 0}, {4, 4, 14}), BoxMesh({-2, 0, 0}, {4, 4, 14}),
                          BoxMesh({-16, 0, -12}, {12, 4, 4}), BoxMesh({-16, 0, 12}, {12, 4, 4}),
                          BoxMesh({22, 0, 0}, {24, 3, 3}),    BoxMesh({34, 0, 7}, {3, 3, 5}),
                          BoxMesh({42, 0, 7}, {3, 3, 5})};
    Mesh key;
    for (const Mesh &part : parts) {
        const int32_t base = int32_t(key.vertices.size());
        key.vertices.insert(key.vertices.end(), part.vertices.begin(), part.vertices.end());
        for (const Vec3 &f : part.faces) {
            key.faces.push_back({f[0] + base, f[1] + base, f[2] + base});
        }
        key.uvs.insert(key.uvs.end(), part.uvs.begin(), part.uvs.end());
    }
    ObjectSpec o = MeshObject("OBJECT01", -1, {0, 0, 0}, TurnedMesh(key, 0, 300), 1, "KEY");
    o.shade = uint32_t(demo::kShade);
    return Image({o}, {{"KEY", "", Rgb565(235, 190, 60)}});
}

std::vector<uint8_t> DemoWordModel()
{
    // A flat lozenge in the x-y plane, seen from both sides: with the root's matrix it faces the camera.
    Mesh lozenge;
    lozenge.vertices = {{0, -22, 0}, {16, 0, 0}, {0, 22, 0}, {-16, 0, 0}};
    lozenge.faces = {{0, 1, 2}, {0, 2, 3}};
    lozenge.uvs = {FaceUV{}, FaceUV{}};
    ObjectSpec o = MeshObject("SYMWORD", -1, {0, 0, 0}, BothSides(lozenge), 1, "WORD");
    o.shade = uint32_t(demo::kShade);
    return Image({o}, {{"WORD", "", Rgb565(240, 200, 40)}});
}

// A convex solid from its corners and faces, each face turned to face outward (away from the centre),
// counter-clockwise as the mesh writer's cube.
static Mesh Solid(const std::vector<Vec3> &corners, const std::vector<Vec3> &faces)
{
    auto facing = [](const std::vector<Vec3> &v, const Vec3 &f) {
        double c[3] = {0, 0, 0};
        for (const Vec3 &p : v) {
            for (int i = 0; i < 3; i++) {
                c[i] += double(p[size_t(i)]) / double(v.size());
            }
        }
        const Vec3 &a = v[size_t(f[0])], &b = v[size_t(f[1])], &d = v[size_t(f[2])];
        const double u[3] = {double(b[0] - a[0]), double(b[1] - a[1]), double(b[2] - a[2])};
        const double w[3] = {double(d[0] - a[0]), double(d[1] - a[1]), double(d[2] - a[2])};
        const double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
        return n[0] * (a[0] - c[0]) + n[1] * (a[1] - c[1]) + n[2] * (a[2] - c[2]) > 0.0;
    };
    const Mesh cube = CubeMesh(1);
    const bool outward = facing(cube.vertices, cube.faces[0]);
    Mesh m;
    m.vertices = corners;
    for (const Vec3 &f : faces) {
        m.faces.push_back(facing(corners, f) == outward ? f : Vec3{f[0], f[2], f[1]});
    }
    return m;
}


static NamedFile Effect(const std::string &file, const std::string &node, const Mesh &mesh, uint16_t colour)
{
    ObjectSpec o = MeshObject(node, -1, {0, 0, 0}, mesh, 1, node);
    o.shade = uint32_t(demo::kShade);
    return {file, Image({o}, {{node, "", colour}})};
}

static Mesh Tetrahedron(int32_t s)
{
    return Solid({{s, s, s}, {-s, -s, s}, {-s, s, -s}, {s, -s, -s}}, {{0, 1, 2}, {0, 1, 3}, {0, 2, 3}, {1, 2, 3}});
}

// A beetle of half-length 30: a wedge whose nose points along +x, low at the front, on six legs whose
// feet are 50 below the origin, where the ground is when the beetle stands on a zone point.
static Mesh Beetle()
{
    Mesh body = Solid({{-30, 22, -15}, {-30, 22, 15}, {-30, 42, -15}, {-30, 42, 15}, {30, 40, -4}, {30, 40, 4}},
                      {{0, 1, 2}, {1, 3, 2}, {2, 3, 5}, {2, 5, 4}, {0, 1, 5}, {0, 5, 4}, {0, 2, 4}, {1, 3, 5}});
    for (int32_t x : {-16, 0, 16}) {
        for (int32_t z : {-18, 18}) {
            const Mesh leg = BoxMesh({x, 45, z}, {3, 5, 3});
            AppendMesh(body, Solid(leg.vertices, leg.faces));
        }
    }
    return body;
}

std::vector<NamedFile> DemoEffectModels()
{
    const Mesh octahedron = Solid({{40, 0, 0}, {-40, 0, 0}, {0, -40, 0}, {0, 40, 0}, {0, 0, 40}, {0, 0, -40}},
                                  {{2, 0, 4}, {2, 4, 1}, {2, 1, 5}, {2, 5, 0}, {3, 4, 0}, {3, 1, 4}, {3, 5, 1}, {3, 0, 5}});
    return {Effect("gr02.3dc", "GR02", Tetrahedron(40), Rgb565(240, 240, 240)),
            Effect("gr00.3dc", "GR00", octahedron, Rgb565(170, 210, 250)),
            Effect("gr03.3dc", "GR03", Tetrahedron(40), Rgb565(250, 140, 30)),
            Effect("mana.3dc", "MANA", SphereMesh(40, 6, 12), Rgb565(170, 60, 230)),
            Effect("x01sol.3dc", "X01SOL", Beetle(), Rgb565(60, 170, 50)),
            Effect("x01sol1.3dc", "X01SOL1", Beetle(), Rgb565(130, 80, 30))};
}

CharacterOptions DemoCreature()
{
    CharacterOptions c;
    c.type = "cr1";
    c.numbers = {0, 2, 4, 16, 18, 20, 22, 43, 50, 60, 61};
    // Walk, run, the four attacks and the locking action under the numbers the creature AI uses.
    c.written_as = {{2, 4}, {4, 5}, {18, 16}, {20, 16}, {22, 16}, {43, 12}};
    c.colours = {Rgb565(90, 40, 30), Rgb565(170, 40, 40), Rgb565(230, 160, 60), Rgb565(120, 30, 90), Rgb565(120, 30, 90)};
    c.material_prefix = "CR";
    // On its legs the figure reaches the floor where the game stands it, its foot marker on the ground.
    c.legs = true;
    return c;
}

// Project0's creature, which the spawner brings in, and its zones.
static LevelRecordBuilder &AddCreatureAndZones(LevelRecordBuilder &b)
{
    using namespace demo;
    const size_t e = level::Element(3);
    b.Element(3, "CREA", "cr1.3dc").U8(e + level::kElementFlagsA, 0x17);
    b.I32s(e + level::kElementStart, {kCreatureStart[0], kCreatureStart[1], kCreatureStart[2]});
    b.I32(e + level::kElementHeading, 1024).I32(e + level::kElementLife, 100);
    b.Zone(1, "SPAWN", 7, {kSpawnPoint[0], kSpawnPoint[1], kSpawnPoint[2]});
    b.Zone(2, "CURRENT", 1, {-2800, 140, -800, -2000, 140, -800, -2000, 140, 800}).ZoneRate(2, 40);
    b.Zone(3, "CAMERA", 8,
           {kCameraPoints[0][0], kCameraPoints[0][1], kCameraPoints[0][2], kCameraPoints[1][0], kCameraPoints[1][1],
            kCameraPoints[1][2]});
    b.ZoneBox(3, {kCameraBoxMin[0], kCameraBoxMin[1], kCameraBoxMin[2]}, {kCameraBoxMax[0], kCameraBoxMax[1], kCameraBoxMax[2]});
    b.Zone(4, "DRAIN", 9, {}).ZoneRate(4, 100);
    b.ZoneBox(4, {kDrainBoxMin[0], kDrainBoxMin[1], kDrainBoxMin[2]}, {kDrainBoxMax[0], kDrainBoxMax[1], kDrainBoxMax[2]});
    return b.Zone(5, "ARRIVAL", 5, {kArrivalPoint[0], kArrivalPoint[1], kArrivalPoint[2]});
}

// Project0's sage: the creature's figure, the hero's ally, with something to say.
static LevelRecordBuilder &AddSage(LevelRecordBuilder &b)
{
    using namespace demo;
    const size_t sage = level::Element(kSageElement);
    b.Element(kSageElement, "SAGE", "cr1.3dc").U8(sage + level::kElementFlagsA, 0x03);
    b.Text(sage + level::kElementSymbol, 16, "sage.sym");
    b.I32s(sage + level::kElementStart, {kSageStart[0], kSageStart[1], kSageStart[2]});
    return b.I32(sage + level::kElementHeading, 0).I32(sage + level::kElementLife, 100);
}

// Project0's triggers: the crate appears after 3 s, coming near the scroll gives its spell, coming near
// the crate plays the intro film once, coming near BOX2 opens the dialog window.
static LevelRecordBuilder AddTriggers(LevelRecordBuilder b)
{
    using namespace demo;
    const size_t crate = level::Element(7), scroll = level::Element(8);
    b.Element(7, "CRATE3", "box.3dc").U8(crate + level::kElementFlagsA, 0x01);
    b.I32s(crate + level::kElementStart, {kCrate3Start[0], kCrate3Start[1], kCrate3Start[2]}).I32(crate + level::kElementLife, 100);
    b.Element(8, "SCROLL", "temps.3dc").U8(scroll + level::kElementFlagsA, 0x01);
    b.I32s(scroll + level::kElementStart, {kScrollStart[0], kScrollStart[1], kScrollStart[2]}).I32(scroll + level::kElementLife, 100);
    TriggerSource appear;
    appear.conditions = 0x0010; // the one-shot timer
    appear.actions = 0x00001;   // show B
    appear.element_b = 7;
    appear.period = 3;
    TriggerSource give;
    give.conditions = 0x0040; // near B
    give.actions = 0x10000;   // give B
    give.element_b = 8;
    TriggerSource film;
    film.conditions = 0x0040;
    film.element_b = 7;
    film.film = "intro.hnm";
    // Coming near the second box speaks dialogue entry 0 (the event carries the entry plus one).
    TriggerSource speak;
    speak.conditions = 0x0040;
    speak.element_b = 2;
    speak.event = 1;
    return b.Trigger(0, appear).Trigger(1, give).Trigger(2, film).Trigger(3, speak);
}

const char *const kDemoDialogueLines[5] = {
    "Traveller, you walk where few return.",
    "The crates remember every hand that moved them.",
    "Listen to the floor: it hums below the boards.",
    "Beyond the far gate the air turns cold.",
    "Go gently. Press Space to hear me again.",
};

DrdWriter DemoDialogue()
{
    DrdWriter w;
    DrdEntry speech;
    // 14 syllables over the five lines, the fourth line short so that over half a second of silence
    // follows it.
    speech.voice = DemoVoice(6.0, {{0.0, 3}, {1.2, 3}, {2.4, 3}, {3.6, 2}, {4.8, 3}});
    for (int i = 0; i < 5; i++) {
        speech.lines.push_back({uint32_t(120 * i), kDemoDialogueLines[i], true});
    }
    // The portrait with its hot spot at its top-left corner, so that the window's place for it is
    // where the face starts.
    SpriteSetWriter portrait = DemoPortrait();
    portrait.entries[0].hot_x = 0;
    portrait.entries[0].hot_y = 0;
    speech.picture = portrait.Image();
    DrdEntry creak;
    creak.voice = DemoVoice(1.5);
    creak.lines.push_back({0, "The boards creak.", true});
    w.entries = {speech, creak};
    return w;
}

KalderDatWriter DemoDatabase(const DemoOptions &options)
{
    KalderDatWriter db;
    const std::vector<uint8_t> blank = BlankEditorRecord();
    LevelRecordBuilder project0 = DemoProject(blank, "Project0");
    db.records[0] = AddCreatureAndZones(AddPickUps(project0))
                        // No music at the scene start: the SDL CD device's own disk-audio output would
                        // overwrite the opening film's recording that demo-film checks.
                        .I32(level::kCdTrack, 0)
                        // The second gauge refills within about a second, so that a cast can be paid.
                        .I32(level::kGaugeDrain, 300)
                        .Text(level::kFilm, level::kTextSize, kDemoFilmName)
                        .Text(level::kAnimTexture, level::kTextSize, options.anim_textures ? "ECRAN" : "")
                        .Text(level::kAnimFilm, level::kTextSize, options.anim_textures ? kDemoAnimFilmName : "")
                        .Text(level::kScrollTexture, level::kTextSize, options.anim_textures ? "FLECHE" : "")
                        .Text(level::kFlowTexture, level::kTextSize, options.anim_textures ? "EAU" : "")
                        .Exit(0, "EXIT1", "Project1", 0x01, {1200, -1000, -300}, {1600, 1000, 300})
                        // The creature's patrol: a level-wide path between two points.
                        .Zone(0, "PATROL", 0, {800, 140, 2600, 800, 140, 400})
                        .Bytes();
    db.records[0] = AddTriggers(LevelRecordBuilder(db.records[0])).Bytes();
    if (options.sage) {
        LevelRecordBuilder with_sage(db.records[0]);
        db.records[0] = AddSage(with_sage).Bytes();
    }
    db.records[1] = DemoProject(blank, "Project1")
                        .Text(level::kFilm, level::kTextSize, options.way_film ? kDemoIvFilmName : "")
                        .Exit(0, "EXIT1", "Project0", 0x01, {1200, -1000, -300}, {1600, 1000, 300})
                        .Exit(1, "EXIT2", "Project2", 0x01, {-2600, -1000, -300}, {-2200, 1000, 300})
                        // Along the way to the far exit, ahead of the hero as it starts: three mana
                        // spheres, then beetles roaming a box to the left of the way, before the film's
                        // screen; two vents.
                        .Zone(6, "MANA", 2, {-1000, 140, 100, -1300, 140, -100, -1600, 140, 100})
                        .ZoneRate(6, 20)
                        .Zone(7, "BEETLES", 3,
                              {-1900, 150, -600, -1700, 150, -500, -1500, 150, -400, -1300, 150, -300, -1100, 150,
                               -200, -1500, 150, -600})
                        .ZoneBox(7, {-2000, 200, -650}, {-1000, 260, -150})
                        .ZoneRate(7, 60)
                        .Zone(8, "VENTS", 6, {-1400, 200, 900, 200, 200, 900})
                        .ZoneRate(8, 5)
                        .Bytes();
    db.records[2] = LevelRecordBuilder(blank).Name("Project2").InUse().Element(0, "EMPTY", "END.DSN").Bytes();
    if (options.quick_end) {
        db.records[0] = LevelRecordBuilder(db.records[0]).Exit(0, "EXIT1", "Project2", 0x01, {0, 0, 0}, {0, 0, 0}).Bytes();
    }
    return db;
}

bool WriteDemoModels(const std::string &folder)
{
    const fs::path models(folder);
    std::error_code error;
    fs::create_directories(models, error);
    // The test card's cube, its material, two floor triangles and two keys, for kdev obj and coll.
    std::vector<uint16_t> palette(256);
    for (int i = 0; i < 256; i++) {
        palette[size_t(i)] = uint16_t(((i & 0xE0) << 8) | ((i & 0x1C) << 6) | ((i & 0x03) << 3));
    }
    std::vector<NamedFile> weapons = WeaponModels();
    weapons.push_back(ThrownModel());
    for (NamedFile &f : DemoEffectModels()) {
        weapons.push_back(std::move(f));
    }
    const TrackSpec spin{{{0, {0, 0, 0, 0x8000}}, {30, {0, 0x5A82, 0, 0x5A82}}}, {{0, {0, 0, 0}}, {30, {0, 512, 0}}}};
    return WriteHostFile((models / "cube.3dc").string(), HierarchyImage(CubeObjects(), CubeMaterials()).Finish().bytes) &&
           WriteHostFile((models / "cube.3dm").string(), MaterialImage(DarkenedPalette(palette)).Finish().bytes) &&
           WriteHostFile((models / "floor.3di").string(),
                         CollisionImage({{-2048, 0, -2048}, {2048, 0, -2048}, {-2048, 0, 2048}, {2048, 0, 2048}},
                                        {{0, 2, 1}, {1, 2, 3}})
                             .Finish()
                             .bytes) &&
           WriteHostFile((models / "cube.3da").string(), TrackImage(4, {spin, spin}).Finish().bytes) &&
           // The demo level: the scene's stream, the hero's container and the boxes' plain files.
           DemoSceneStream().WriteTo((models / "sc1.dsn").string()) &&
           DemoHeroContainer().WriteTo((models / "xh_.dan").string()) &&
           WriteHostFile((models / "box.3dc").string(), DemoBoxModel()) &&
           WriteHostFile((models / "box.3dm").string(), DemoBoxMaterial()) &&
           WriteHostFile((models / "lif1.3dc").string(), DemoCrystalModel()) &&
           WriteHostFile((models / "temps.3dc").string(), DemoScrollModel()) &&
           WriteHostFile((models / "feu.3dc").string(), DemoGemModel()) &&
           WriteHostFile((models / "object01.3dc").string(), DemoKeyModel()) &&
           WriteHostFile((models / "symword.3dc").string(), DemoWordModel()) &&
           WriteHostFile((models / "ombre.3dc").string(), DemoShadowModel()) &&
           WriteHostFile((models / "ombre.3dm").string(), DemoShadowMaterial()) &&
           WriteHostFile((models / "ombre2.3dc").string(), DemoRealShadowModel()) &&
           WriteHostFile((models / "ombre2.3dm").string(), DemoRealShadowMaterial()) &&
           WriteCharacter(models.string(), DemoCreature()) &&
           std::all_of(weapons.begin(), weapons.end(), [&models](const NamedFile &f) {
               return WriteHostFile((models / f.name).string(), f.bytes);
           });
}

bool WriteDemoLevel(const std::string &drive_c, const std::string &drive_d, const DemoOptions &options)
{
    const fs::path disc(drive_d);
    return WriteMinimalInstallation(drive_c, drive_d) &&
           WriteDriveFile(InstallHost(drive_c), kDialoguePath, DemoDialogue().Bytes()) &&
           WriteHostFile((disc / "kalder.dat").string(), DemoDatabase(options).Image()) &&
           WriteDemoModels((disc / "DATA" / "3DC").string()) &&
           WriteSymbolFile((disc / "DATA" / "SYM").string(), "sage.sym", DemoSageSymbols()) &&
           // Project0's texture film, in the installation folder.
           WriteDemoAnimFilm(InstallHost(drive_c));
}

bool WriteDemoInstallation(const std::string &drive_c, const std::string &drive_d, const DemoOptions &options)
{
    const fs::path disc(drive_d);
    bool ok = WriteDemoLevel(drive_c, drive_d, options);
    // The bank: sound i a 0.2 s tone at 220 x 2^(i/12) Hz (the one-sound bank of the minimal
    // installation is replaced).
    ok = ok && WriteFsb((disc / "DATA" / "SOUND" / "FSB.DAT").string(), DemoSounds(32));
    ok = ok && WriteDemoSpriteFiles(disc.string());
    ok = ok && WriteDemoIconPack(disc.string());
    // The music, spelt two ways as rips come.
    std::error_code error;
    fs::create_directories(disc / "TRACKS", error);
    const WavFormat mono8{1, 22050, 8};
    ok = ok && WriteHostFile((disc / "TRACKS" / "TRACK02.WAV").string(), FourNotes()) &&
         WriteHostFile((disc / "TRACKS" / "Track3.wav").string(),
                       WavImage(mono8, WavSamples(mono8, Wave::Sine, 22050, 330.0)));
    // The opening film that start-up plays before Project0.
    ok = ok && WriteDemoFilm(disc.string());
    // The hi-colour film of the way from Project0 to Project1, the first time it is taken.
    ok = ok && WriteDemoIvFilm(disc.string());
    // The title's intro and the menu's background.
    ok = ok && WriteTitleFilms(disc.string());
    // The demo's own save slot, unless the installation already holds saves of its own.
    ok = ok && WriteDemoSave(InstallHost(drive_c));
    return ok;
}

bool WriteDemoInstallation(const std::string &folder, const DemoOptions &options)
{
    const fs::path root = fs::path(folder) / "drives";
    return WriteDemoInstallation((root / "C").string(), (root / "D").string(), options);
}

} // namespace kalder_test
