// Writes a small animated character for tests, tools and the demo installation: a figure of five boxes
// and a foot marker, and its numbered keyframe animations ("<type>anNNN.3da"), with knobs for the
// loader's edge cases.
//
// The figure "<type>.3dc" (y grows downward): record 0 the root "<TYPE>" (the pelvis; with the option
// `legs` also two legs down to y = 160), 1 "TORSE" above it, 2 "TETE" on the torso, 3 "MAIN-D" and
// 4 "MAIN-G" hanging from the torso's sides, 5 "ZZZZZ" under the root at (0, 160, 0) without faces (the
// foot marker). Flat type-1 faces, one colour a record.
//
// Animations, one track a record, every track with at least two rotation keys so that every frame
// rewrites each node's matrix:
//   000 idle, frames 0..20: the root's position keys (0, 0, 0) at 0 and 20, the arms swinging;
//   001 the same (the idle of the other physics modes);
//   004 walk, 0..16: the root at x = 8t (a key at every frame), arms and torso swinging;
//   005 run, 0..12: x = 12t; 4 and 5 form a pair;
//   012 a locking action, 0..10: both arms raised;
//   016 an attack, 0..20: the right arm strikes forward;
//   050 death, 0..30: the figure tips over sideways;
//   060 and 061 turns, 0..8: the root turns a little left or right and back;
// and the hero's moves:
//   002 guard, 0..10: the arms forward;
//   006, 007, 008 strokes, 0..16: the root at x = 6t, both arms sweeping round;
//   009 standing jump, 0..20: the root at y = -120 sin(pi t / 20); 010 jump forward, the same with x = 10t;
//   011 running jump, 0..24: y = -160 sin(pi t / 24), x = 14t;
//   014 air landing, 0..10: the arms spread; 024 pick-up, 0..20: bending down and up;
//   025 landing, 0..8: a short dip; 026 crouch, 0..8: the root going down to y = 60;
//   028 and 032 casts, 0..20: one arm raised, both arms raised; 039 hard landing, 0..16.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/support/image_builder.h"

namespace kalder_test {

struct NamedFile {
    std::string name;
    std::vector<uint8_t> bytes; // with the 3D files' 8-byte prefix
};

struct CharacterOptions {
    std::string type = "tf_";              // the model "<type>.3dc", the animations "<type>anNNN.3da"
    int32_t kind = 4;                      // animation images of kind 4 (linear) or 6 (spline)
    std::vector<int32_t> numbers = {0, 1, 4, 5, 12, 16, 50, 60, 61};
    bool single_key_idle = false;          // the idles' root has a single position key
    std::vector<std::string> extra_names;  // more animation files under these raw names (copies of the idle)
    std::string damaged;                   // this animation file is written cut short
    std::string right_hand = "MAIN-D";     // the names of records 3 and 4 (the alternative hero model's
    std::string left_hand = "MAIN-G";      // hands are "PAUMED" and "PAUMEG")
    bool nate02 = false;                   // record 6 "NATE02", the alternative model's own weapon, held
                                           // in front of the head
    // Animation numbers written with another number's tracks (the file's number to the writer's), for
    // a character whose actions are numbered otherwise: walk written as 002 is {2, 4}.
    std::map<int32_t, int32_t> written_as;
    // The five boxes' colours (pelvis, torso, head, right and left hand) and the prefix of their
    // material names; empty: the test figure's own.
    std::vector<uint16_t> colours;
    std::string material_prefix = "TF";
    // Two legs under the pelvis reaching down to the foot marker, in the pelvis's colour. Without them
    // the figure's lowest point is the pelvis's underside, 120 above the marker: on a floor, where the
    // game puts the marker, it hangs in the air.
    bool legs = false;
};

// The figure's objects and materials.
std::vector<ObjectSpec> CharacterObjects(const std::string &type = "tf_", const std::string &material_prefix = "TF");
std::vector<ObjectSpec> CharacterObjects(const CharacterOptions &options);
std::vector<MaterialSpec> CharacterMaterials(const CharacterOptions &options = {});
// The model file "<type>.3dc".
NamedFile CharacterModel(const CharacterOptions &options = {});
// The tracks of an animation number (empty for a number the writer does not know).
std::vector<TrackSpec> CharacterTracks(int32_t number, const CharacterOptions &options = {});
// The frame count of an animation number: its root track's last key.
int32_t CharacterFrames(int32_t number);
// The animation files of the options: the numbers in order, then the extra names.
std::vector<NamedFile> CharacterAnims(const CharacterOptions &options = {});
// The model and the animations written into a host folder; false when a file cannot be written.
bool WriteCharacter(const std::string &folder, const CharacterOptions &options = {});
// A platform model "<name>.3dc": the root, then per box a node at its centre (children of the root,
// in order) each followed by its box node (the node's child, at its origin) whose vertices span
// +-half around it. The platform code turns each root child into a moving box.
std::vector<ObjectSpec> PlatformObjects(const std::vector<Vec3> &centres, const Vec3 &half);
NamedFile PlatformModel(const std::string &name, const std::vector<Vec3> &centres, const Vec3 &half);
// A name in upper case, as a container's tables hold it.
std::string UpperName(const std::string &name);

} // namespace kalder_test
