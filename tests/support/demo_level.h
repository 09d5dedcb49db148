// The demo installation that `make run`, kdev and the level tests play from: the disc and the
// installation folder, the sound bank, music, fonts and icon pack, the project database and the demo
// level's models (the scene stream, the hero's container, the crate files), all made by our own
// writers.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/character_writer.h"
#include "tests/support/dan_writer.h"
#include "tests/support/drd_writer.h"
#include "tests/support/dsn_writer.h"
#include "tests/support/level_writer.h"
#include "tests/support/temp_drives.h"

namespace kalder_test {

// Where the demo level puts things (game units; y grows downward, the root camera looks along +z).
namespace demo {
inline constexpr int32_t kFloorY = 300;                   // the floor's height
// The floor reaches past the first exit's box (x 1200..1600), so that the hero walks into it on the
// floor; cells of 1000 units.
inline constexpr int32_t kFloorX0 = -3000, kFloorX1 = 2000, kFloorZ0 = -1000, kFloorZ1 = 3000;
inline constexpr int kFloorCellsX = 5, kFloorCellsZ = 4;
// The walls that close the floor along its four edges: their inner faces stand on the edges, 256 high
// (below the hero's chest, so that the camera behind and above it sees over them), 64 thick.
inline constexpr int32_t kWallHeight = 256, kWallThickness = 64;
inline constexpr int32_t kCrateHalf = 128;                // the scene's crates and the boxes
inline constexpr int32_t kShade = 16;                     // every node's shade word
inline constexpr int32_t kHeroStart[3] = {-600, 140, 0};  // Project0's and Project1's start
inline constexpr int32_t kBox1Start[3] = {-1400, 172, 400};
inline constexpr int32_t kBox2Start[3] = {-200, 172, 900};
inline constexpr int32_t kBloc1At[3] = {-1800, 172, 1500};
inline constexpr int32_t kBloc2At[3] = {-800, 172, 2600};
// The animated textures' quads, as the camera behind the hero at its start sees them looking along +x
// (-z to its right): the film's standing screen far ahead on the right (512 x 512, facing the camera),
// the water strip across the floor just ahead of the hero, the arrow band along the right (at -z).
inline constexpr int32_t kScreenX = 700, kScreenZ0 = -640;
inline constexpr int32_t kWaterX0 = -420, kWaterX1 = -120, kWaterZ0 = -1000, kWaterZ1 = 1000;
inline constexpr int32_t kArrowZ = -700, kArrowX0 = -2600, kArrowX1 = 600;
inline constexpr int32_t kCrystalStart[3] = {-300, 260, 300}; // element 4, an object to pick up
inline constexpr int32_t kCrystalHalf = 40;
// Project0's two pick-ups, clear of the creature's zones: a red gem that is the "feu" spell (element 5)
// and a golden key that is an object (element 6).
inline constexpr int32_t kGemStart[3] = {-600, 260, -700};
inline constexpr int32_t kGemHalf = 40;
inline constexpr int32_t kKeyStart[3] = {-300, 260, -900};
// Project0's creature and zones.
inline constexpr int32_t kCreatureStart[3] = {9000, 140, 0}; // off the floor, beyond every spawner's reach
inline constexpr int32_t kSpawnPoint[3] = {800, 140, 2600};  // zone 1 "SPAWN"
inline constexpr int32_t kCameraBoxMin[3] = {-3000, -1000, 1600}, kCameraBoxMax[3] = {-1600, 1000, 3000};
inline constexpr int32_t kCameraPoints[2][3] = {{-2900, -200, 1700}, {-1700, -200, 2900}};
inline constexpr int32_t kDrainBoxMin[3] = {200, -1000, -900}, kDrainBoxMax[3] = {900, 1000, -300};
inline constexpr int32_t kArrivalPoint[3] = {800, 140, 0};
// Project0's triggers: the crate that appears after 3 s and plays the intro film when the hero comes
// near, and the scroll that gives its spell.
inline constexpr int32_t kCrate3Start[3] = {-1200, 172, -350}; // element 7, ahead of the hero, to its left
inline constexpr int32_t kScrollStart[3] = {1000, 250, -700}; // element 8
// Project0's sage, an ally with a symbol file ("sage.sym") that talks to the hero.
inline constexpr int32_t kSageElement = 10;
inline constexpr int32_t kSageStart[3] = {-200, 140, 1800};
} // namespace demo

// The demo's dialogue file: entry 0 (a 6 s voice, the five lines below, the demo portrait) and entry 1
// (one line, a 1.5 s voice, no picture). Project0's trigger 3 opens entry 0 near BOX2.
DrdWriter DemoDialogue();
extern const char *const kDemoDialogueLines[5];

// The demo level's model files (image files with their 8-byte prefix) and containers.
std::vector<uint8_t> DemoSceneModel();      // sc1.3dc: root "SC1" (the floor), children "BLOC1", "BLOC2", "MUR"
std::vector<uint8_t> DemoSceneCollision();  // sc1.3di: the floor's quads and the walls' inner faces
DsnWriter DemoSceneStream();                // sc1.dsn: the model, the collision model, maps FLOOR and CRATE
std::vector<uint8_t> DemoHeroModel();       // xh_.3dc: "XH_", "TORSE", "TETE", "MAIN-D", "MAIN-G"
DanWriter DemoHeroContainer();              // xh_.dan: the hero, map HERO, XH_AN000.3DA and XH_AN004.3DA
std::vector<uint8_t> DemoBoxModel();        // box.3dc: "BOX", material "BOX"
std::vector<uint8_t> DemoBoxMaterial();     // box.3dm
std::vector<uint8_t> DemoCrystalModel();    // lif1.3dc: "LIF1", a crystal of flat faces
std::vector<uint8_t> DemoScrollModel();     // temps.3dc: "TEMPS", a blue scroll, the spell item
std::vector<uint8_t> DemoGemModel();        // feu.3dc: "FEU", a red gem of few facets
std::vector<uint8_t> DemoKeyModel();        // object01.3dc: "OBJECT01", a golden key of boxes
std::vector<uint8_t> DemoWordModel();       // symword.3dc: "SYMWORD", the symbol lists' gold lozenge
// The shadows' models: "OMBRE", a blob of eight triangles (radius 90) with material "OMBRE"; "OMBRE2",
// a root without faces and its child "PLAN", a 256 x 512 plane textured with "OMBRE2". Both lie in
// their x-y plane, facing +z, which the shadow code turns to the ground's normal.
std::vector<uint8_t> DemoShadowModel();         // ombre.3dc
std::vector<uint8_t> DemoShadowMaterial();      // ombre.3dm: a dark disc
std::vector<uint8_t> DemoRealShadowModel();     // ombre2.3dc
std::vector<uint8_t> DemoRealShadowMaterial();  // ombre2.3dm: the silhouette's texels, cleared
// The effects' models, each a named file: "gr02.3dc" a white tetrahedron of half-size 40 (the ring's
// particle), "gr00.3dc" a pale blue octahedron (the bubble under water), "gr03.3dc" an orange
// tetrahedron, "mana.3dc" a violet twelve-sided ball of radius 40, "x01sol.3dc" and "x01sol1.3dc" a green
// and a brown beetle (a flat wedge 60 long on six short legs, its nose along +x). The spark is the
// projectiles' "gr01.3dc".
std::vector<NamedFile> DemoEffectModels();
// The creature: the test figure recoloured and on legs, as "cr1.3dc" with the animations the creature AI
// asks for.
CharacterOptions DemoCreature();
// The scene's materials as .3DM files: the stream carries their records, palettes and pictures.
std::vector<uint8_t> DemoFloorMaterial();
std::vector<uint8_t> DemoCrateMaterial();
// The animated textures: "ECRAN" (the film's screen), "EAU" (flowing), "FLECHE" (scrolling).
std::vector<uint8_t> DemoScreenMaterial();
std::vector<uint8_t> DemoWaterMaterial();
std::vector<uint8_t> DemoArrowMaterial();
std::vector<uint8_t> DemoWallMaterial();
// The scene's texture pictures (256 x 256 palette indices).
std::vector<uint8_t> DemoFloorPicture();
std::vector<uint8_t> DemoCratePicture();
std::vector<uint8_t> DemoScreenPicture();
std::vector<uint8_t> DemoWaterPicture();
std::vector<uint8_t> DemoArrowPicture();
std::vector<uint8_t> DemoWallPicture();

// Variants of the demo installation.
struct DemoOptions {
    // Project0's first exit leads to Project2 wherever the hero stands (no box), so the game ends by
    // itself soon after its first load.
    bool quick_end = false;
    // Project1 names the hi-colour film of the way from Project0.
    bool way_film = true;
    // Project0 names its animated textures and their film. A scene starts its texture film only once
    // its stream is done; a way film opened before that takes the stream, so the scene start then
    // comes at the fade's end and its texture film cuts the way film short.
    bool anim_textures = true;
    // Project0 has the sage (element 10), a talking ally. The runs whose traces and pictures were
    // taken without it leave it out: an AI member more changes the draws of the creature's.
    bool sage = false;
};

// The project database: Project0 and Project1 (the scene, two boxes, the crystal, exits between them
// and to Project2), Project2 whose scene ends the game; every other record blank. Project0 also has the
// creature "CREA" and its zones: 1 "SPAWN" (spawn point), 2 "CURRENT" (a path), 3 "CAMERA", 4 "DRAIN"
// and 5 "ARRIVAL"; zone 0 is left for a patrol path. Project1 has the effects' zones: 6 "MANA" (three
// mana spheres), 7 "BEETLES" (six ground elements in a box) and 8 "VENTS" (two vents).
KalderDatWriter DemoDatabase(const DemoOptions &options = {});

// Writes the demo level's model files into a host folder (the disc's DATA/3DC), with the hero's
// three weapons.
bool WriteDemoModels(const std::string &folder);
// What a level needs of the installation on two drive folders: the minimal installation, the
// project database, the models and the texture film.
bool WriteDemoLevel(const std::string &drive_c, const std::string &drive_d, const DemoOptions &options = {});
inline bool WriteDemoLevel(const TempDrives &drives) { return WriteDemoLevel(drives.Host('C'), drives.Host('D')); }
// The whole demo installation on two drive folders: drive_c the hard disk with the installation
// folder, drive_d the first disc with the data. false when something cannot be written.
bool WriteDemoInstallation(const std::string &drive_c, const std::string &drive_d, const DemoOptions &options = {});
// The same under folder/drives/C and folder/drives/D, where the programs look by default.
bool WriteDemoInstallation(const std::string &folder, const DemoOptions &options = {});
inline bool WriteDemoInstallation(const TempDrives &drives, const DemoOptions &options = {})
{
    return WriteDemoInstallation(drives.Host('C'), drives.Host('D'), options);
}

} // namespace kalder_test
