// Writes the test figure and its numbered animations.
#include "tests/support/character_writer.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace kalder_test {

namespace {

constexpr double Pi = 3.14159265358979323846;

// A turn about axis 0 (x), 1 (y) or 2 (z) by that many degrees, as a quaternion of 0x8000 units.
Quat Turn(int axis, double degrees)
{
    const double half = degrees * Pi / 360.0;
    Quat q{0, 0, 0, int32_t(std::lround(std::cos(half) * 32768.0))};
    q[size_t(axis)] = int32_t(std::lround(std::sin(half) * 32768.0));
    return q;
}

// A box of the given half-extents around a centre.
ObjectSpec Box(const std::string &name, int parent, const Vec3 &position, const Vec3 &centre, const Vec3 &half,
               const std::string &material)
{
    ObjectSpec o;
    o.name = name;
    o.parent = parent;
    o.position = position;
    for (int i = 0; i < 8; i++) {
        o.vertices.push_back({centre[0] + ((i & 1) ? half[0] : -half[0]), centre[1] + ((i & 2) ? half[1] : -half[1]),
                              centre[2] + ((i & 4) ? half[2] : -half[2])});
    }
    o.faces = CubeFaces();
    o.type = 1;
    o.material = material;
    return o;
}

// A track that turns about an axis through angles at times, without position keys.
TrackSpec Swing(int axis, const std::vector<std::pair<int32_t, double>> &angles)
{
    TrackSpec t;
    for (const auto &[time, degrees] : angles) {
        t.rotations.push_back({time, Turn(axis, degrees)});
    }
    return t;
}

// A track that holds the node's rest orientation from 0 to the last frame.
TrackSpec Still(int32_t last) { return Swing(0, {{0, 0.0}, {last, 0.0}}); }

// The root moving along x at `step` a frame, a key at every frame.
TrackSpec Stride(int32_t last, int32_t step)
{
    TrackSpec t = Still(last);
    for (int32_t f = 0; f <= last; f++) {
        t.positions.push_back({f, {step * f, 0, 0}});
    }
    return t;
}

// The root along x at `step` a frame and up along a half sine of `height` (y grows downward), a key
// at every frame: a jump.
TrackSpec Arc(int32_t last, int32_t step, double height)
{
    TrackSpec t = Still(last);
    for (int32_t f = 0; f <= last; f++) {
        const int32_t y = int32_t(std::lround(-height * std::sin(Pi * f / last)));
        t.positions.push_back({f, {step * f, y, 0}});
    }
    return t;
}

// The root going down by `depth` at `at` and back up by the last frame (or staying down when `at` is
// the last frame).
TrackSpec Dip(int32_t last, int32_t at, int32_t depth)
{
    TrackSpec t = Still(last);
    t.positions = {{0, {0, 0, 0}}, {at, {0, depth, 0}}};
    if (at != last) {
        t.positions.push_back({last, {0, 0, 0}});
    }
    return t;
}

TrackSpec Root_At_Rest(int32_t last, bool single_key)
{
    TrackSpec t = Still(last);
    t.positions.push_back({0, {0, 0, 0}});
    if (!single_key) {
        t.positions.push_back({last, {0, 0, 0}});
    }
    return t;
}

} // namespace

std::vector<ObjectSpec> CharacterObjects(const std::string &type, const std::string &material_prefix)
{
    CharacterOptions options;
    options.type = type;
    options.material_prefix = material_prefix;
    return CharacterObjects(options);
}

std::vector<ObjectSpec> CharacterObjects(const CharacterOptions &options)
{
    const std::string &m = options.material_prefix;
    std::string root = UpperName(options.type);
    std::vector<ObjectSpec> o;
    // The figure faces +x: its shoulders lie along z.
    o.push_back(Box(root, -1, {0, 0, 0}, {0, 0, 0}, {40, 40, 60}, m + "PELVIS"));
    if (options.legs) {
        // Two legs from the pelvis's underside (y = 40) down to the foot marker (y = 160), part of the
        // root's mesh: they move with it and need no track of their own.
        for (int32_t z : {-28, 28}) {
            const ObjectSpec leg = Box("", -1, {0, 0, 0}, {0, 100, z}, {16, 60, 16}, "");
            const int32_t base = int32_t(o[0].vertices.size());
            o[0].vertices.insert(o[0].vertices.end(), leg.vertices.begin(), leg.vertices.end());
            for (const Vec3 &f : leg.faces) {
                o[0].faces.push_back({f[0] + base, f[1] + base, f[2] + base});
            }
        }
    }
    o.push_back(Box("TORSE", 0, {0, -40, 0}, {0, -80, 0}, {40, 80, 70}, m + "TORSE"));
    o.push_back(Box("TETE", 1, {0, -160, 0}, {10, -45, 0}, {45, 45, 40}, m + "TETE"));
    o.push_back(Box(options.right_hand, 1, {0, -150, 90}, {0, 70, 0}, {15, 70, 15}, m + "MAIND"));
    o.push_back(Box(options.left_hand, 1, {0, -150, -90}, {0, 70, 0}, {15, 70, 15}, m + "MAING"));
    ObjectSpec foot;
    foot.name = "ZZZZZ";
    foot.parent = 0;
    foot.position = {0, 160, 0};
    o.push_back(foot);
    if (options.nate02) {
        o.push_back(Box("NATE02", 2, {60, -20, 0}, {0, 0, 0}, {10, 10, 10}, m + "MAIND"));
    }
    return o;
}

std::vector<MaterialSpec> CharacterMaterials(const CharacterOptions &options)
{
    const char *parts[5] = {"PELVIS", "TORSE", "TETE", "MAIND", "MAING"};
    const uint16_t own[5] = {0x4208, 0x0150, 0x8200, 0x7800, 0x03C0};
    std::vector<MaterialSpec> materials;
    for (size_t i = 0; i < 5; i++) {
        const uint16_t colour = i < options.colours.size() ? options.colours[i] : own[i];
        materials.push_back({options.material_prefix + parts[i], "", colour});
    }
    return materials;
}

std::vector<ObjectSpec> PlatformObjects(const std::vector<Vec3> &centres, const Vec3 &half)
{
    std::vector<ObjectSpec> o;
    ObjectSpec root;
    root.name = "PLATFORM";
    o.push_back(root);
    for (size_t k = 0; k < centres.size(); k++) {
        ObjectSpec node;
        node.name = "PLT" + std::to_string(k);
        node.parent = 0;
        node.position = centres[k];
        o.push_back(node);
        o.push_back(Box("PLTBOX" + std::to_string(k), int(o.size()) - 1, {0, 0, 0}, {0, 0, 0}, half, "TFPELVIS"));
    }
    return o;
}

NamedFile PlatformModel(const std::string &name, const std::vector<Vec3> &centres, const Vec3 &half)
{
    return {name + ".3dc", HierarchyImage(PlatformObjects(centres, half), CharacterMaterials()).Finish().bytes};
}

NamedFile CharacterModel(const CharacterOptions &options)
{
    return {options.type + ".3dc", HierarchyImage(CharacterObjects(options), CharacterMaterials(options)).Finish().bytes};
}

int32_t CharacterFrames(int32_t number)
{
    switch (number) {
    case 0: case 1: case 16: case 9: case 10: case 24: case 28: case 32: return 20;
    case 4: case 6: case 7: case 8: case 39: return 16;
    case 5: return 12;
    case 11: return 24;
    case 2: case 12: case 14: return 10;
    case 50: return 30;
    case 25: case 26: case 60: case 61: return 8;
    default: return 0;
    }
}

std::vector<TrackSpec> CharacterTracks(int32_t number, const CharacterOptions &options)
{
    const int32_t n = CharacterFrames(number);
    if (n == 0) {
        return {};
    }
    const int32_t half = n / 2;
    // Every figure faces +x with its shoulders along z: the arms swing about z and rise about x.
    const int swing = 2, raise = 0;
    std::vector<TrackSpec> t(6, Still(n));
    switch (number) {
    case 0: case 1:
        t[0] = Root_At_Rest(n, options.single_key_idle);
        t[3] = Swing(swing, {{0, -15.0}, {half, 15.0}, {n, -15.0}});
        t[4] = Swing(swing, {{0, 15.0}, {half, -15.0}, {n, 15.0}});
        break;
    case 4: case 5:
        t[0] = Stride(n, number == 4 ? 8 : 12);
        t[1] = Swing(1, {{0, -8.0}, {half, 8.0}, {n, -8.0}});
        t[3] = Swing(swing, {{0, -40.0}, {half, 40.0}, {n, -40.0}});
        t[4] = Swing(swing, {{0, 40.0}, {half, -40.0}, {n, 40.0}});
        break;
    case 12:
        t[0] = Root_At_Rest(n, false);
        t[3] = Swing(raise, {{0, 0.0}, {half, 150.0}, {n, 0.0}});
        t[4] = Swing(raise, {{0, 0.0}, {half, -150.0}, {n, 0.0}});
        break;
    case 16:
        t[0] = Root_At_Rest(n, false);
        t[1] = Swing(1, {{0, 0.0}, {half, 25.0}, {n, 0.0}});
        t[3] = Swing(swing, {{0, 0.0}, {half, 100.0}, {n, 0.0}});
        break;
    case 2: // guard: the arms forward
        t[0] = Root_At_Rest(n, false);
        t[3] = Swing(swing, {{0, 0.0}, {n, 80.0}});
        t[4] = Swing(swing, {{0, 0.0}, {n, 80.0}});
        break;
    case 6: case 7: case 8: { // strokes: both arms sweep round, wider as the number grows
        const double sweep = 120.0 + 20.0 * (number - 6);
        t[0] = Stride(n, 6);
        t[3] = Swing(swing, {{0, 0.0}, {half, sweep}, {n, 0.0}});
        t[4] = Swing(swing, {{0, 0.0}, {half, sweep}, {n, 0.0}});
        break;
    }
    case 9: case 10: case 11: // jumps: standing, forward, running
        t[0] = number == 9 ? Arc(n, 0, 120.0) : number == 10 ? Arc(n, 10, 120.0) : Arc(n, 14, 160.0);
        t[3] = Swing(raise, {{0, 0.0}, {half, 60.0}, {n, 0.0}});
        t[4] = Swing(raise, {{0, 0.0}, {half, -60.0}, {n, 0.0}});
        break;
    case 14: // air landing: the arms spread
        t[0] = Root_At_Rest(n, false);
        t[3] = Swing(raise, {{0, 0.0}, {n, 90.0}});
        t[4] = Swing(raise, {{0, 0.0}, {n, -90.0}});
        break;
    case 24: // pick-up: bending down and up again
        t[0] = Dip(n, half, 40);
        t[1] = Swing(swing, {{0, 0.0}, {half, 60.0}, {n, 0.0}});
        t[3] = Swing(swing, {{0, 0.0}, {half, 60.0}, {n, 0.0}});
        break;
    case 25: // landing: a short dip
        t[0] = Dip(n, half, 30);
        break;
    case 26: // crouch: down and staying down
        t[0] = Dip(n, n, 60);
        t[1] = Swing(swing, {{0, 0.0}, {n, 30.0}});
        break;
    case 28: case 32: // casts: one arm raised, or both
        t[0] = Root_At_Rest(n, false);
        t[3] = Swing(raise, {{0, 0.0}, {half, 160.0}, {n, 0.0}});
        if (number == 32) {
            t[4] = Swing(raise, {{0, 0.0}, {half, -160.0}, {n, 0.0}});
        }
        break;
    case 39: // hard landing: down deep, bent over
        t[0] = Dip(n, half, 80);
        t[1] = Swing(swing, {{0, 0.0}, {half, 45.0}, {n, 0.0}});
        break;
    case 50:
        t[0] = Swing(raise, {{0, 0.0}, {n, 90.0}});
        t[0].positions = {{0, {0, 0, 0}}, {n, {0, 120, 0}}};
        break;
    case 60: case 61:
        t[0] = Swing(1, {{0, 0.0}, {half, number == 60 ? 20.0 : -20.0}, {n, 0.0}});
        t[0].positions = {{0, {0, 0, 0}}, {n, {0, 0, 0}}};
        break;
    default:
        break;
    }
    return t;
}

std::vector<NamedFile> CharacterAnims(const CharacterOptions &options)
{
    std::vector<NamedFile> files;
    auto image = [&](int32_t number, const std::string &name) {
        ImageBuilder b = TrackImage(options.kind, CharacterTracks(number, options));
        if (name == options.damaged) {
            // Cut inside the first track's keys: the library refuses the image.
            b.TruncateAt(60);
        }
        files.push_back({name, b.Finish().bytes});
    };
    for (int32_t number : options.numbers) {
        char name[64];
        std::snprintf(name, sizeof name, "%san%03d.3da", options.type.c_str(), number);
        const auto renumbered = options.written_as.find(number);
        const int32_t tracks = renumbered != options.written_as.end() ? renumbered->second : number;
        image(CharacterFrames(tracks) != 0 ? tracks : 0, name);
    }
    for (const std::string &name : options.extra_names) {
        image(0, name);
    }
    return files;
}

bool WriteCharacter(const std::string &folder, const CharacterOptions &options)
{
    std::vector<NamedFile> files = CharacterAnims(options);
    files.insert(files.begin(), CharacterModel(options));
    for (const NamedFile &f : files) {
        std::ofstream out(folder + "/" + f.name, std::ios::binary);
        out.write(reinterpret_cast<const char *>(f.bytes.data()), std::streamsize(f.bytes.size()));
        if (!out) {
            return false;
        }
    }
    return true;
}

std::string UpperName(const std::string &name)
{
    std::string s = name;
    for (char &c : s) {
        c = char(std::toupper(static_cast<unsigned char>(c)));
    }
    return s;
}

} // namespace kalder_test
