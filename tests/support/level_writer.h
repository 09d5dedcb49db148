// Writes project records and kalder.dat images for tests, the fuzz seeds and the demo installation,
// with knobs to damage the file. The layout below is written from the file format on its own, without
// the game's structs, so that a mistake on either side shows.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kalder_test {

// Byte offsets of the project record.
namespace level {
inline constexpr size_t kSize = 8704;
inline constexpr size_t kName = 0, kNameSize = 20;
inline constexpr size_t kFlags = 20;
inline constexpr size_t kModelFlags = 22;
inline constexpr size_t kColourA = 24, kColourB = 36, kColourC = 48;
inline constexpr size_t kFilm = 60, kAnimTexture = 76, kAnimFilm = 92, kScrollTexture = 108, kFlowTexture = 124;
inline constexpr size_t kHeroModel = 140, kTextSize = 16;
inline constexpr size_t kPhysicsMode = 156;
inline constexpr size_t kModelValueA = 160, kModelValueB = 164, kModelRadius = 168, kModelSight = 176;
inline constexpr size_t kStartPosition = 180;
inline constexpr size_t kShadingDepth = 192, kShadingMode = 196, kTinted = 200, kViewDistance = 204;
inline constexpr size_t kAiTable = 208, kWaterHeight = 212, kFightValueC = 216, kFightValueD = 220;
inline constexpr size_t kShadeTableValues = 224, kColourD = 240, kShadeValue = 252;
inline constexpr size_t kFieldForce = 256, kStartHeading = 268, kAirDrain = 276, kGaugeDrain = 280;
inline constexpr size_t kCdTrack = 284, kCameraPreset = 288, kFadeKind = 312;
inline constexpr size_t kModelValueE = 320, kCameraHold = 324, kParticleParams = 328;
inline constexpr size_t kParticleCount = 464, kParticleScale = 468, kCameraDistance = 472;
inline constexpr size_t kModelValueF = 476, kParticlesOn = 480, kSkySpeed = 484;
inline constexpr size_t kTintStrength = 488, kTintSwitch = 492, kHeightLimit = 496;
inline constexpr size_t kEntryMode = 504, kDataPart = 508;

inline constexpr size_t kExits = 512, kExitSize = 128, kExitCount = 8;
inline constexpr size_t kExitName = 0, kExitTarget = 12, kExitTextSize = 12, kExitFlags = 24;
inline constexpr size_t kExitBoxMin = 36, kExitBoxMax = 48, kExitCondition = 60;

inline constexpr size_t kElements = 1536, kElementSize = 192, kElementCount = 16;
inline constexpr size_t kElementName = 0, kElementFile = 12, kElementSymbol = 28;
inline constexpr size_t kElementLife = 44, kElementGauge = 48, kElementFlagsA = 52, kElementFlagsB = 53;
inline constexpr size_t kElementAnimScale = 56, kElementWeight = 60, kElementStart = 64;
inline constexpr size_t kElementHeading = 92, kElementPhysics = 100, kElementMotionScale = 104;
inline constexpr size_t kElementFight = 108, kElementRadius = 112, kElementRadius2 = 116;
inline constexpr size_t kElementSight = 120, kElementReach = 124, kElementRange = 128;
inline constexpr size_t kElementAiParams = 132, kElementSpeed = 144, kElementTilt = 148, kElementScale = 152;

inline constexpr size_t kZones = 4608, kZoneSize = 256, kZoneCount = 12;
inline constexpr size_t kZoneName = 0, kZoneBoxMin = 12, kZoneBoxMax = 24, kZonePoints = 36;
inline constexpr size_t kZonePointCount = 228, kZoneCurrent = 232, kZoneFlags = 236, kZoneType = 240;
inline constexpr size_t kZoneRate = 244, kZoneField = 248;

inline constexpr size_t kTriggers = 7680, kTriggerSize = 64, kTriggerCount = 16;
inline constexpr size_t kTriggerElementA = 12, kTriggerElementA2 = 16, kTriggerElementB = 20;
inline constexpr size_t kTriggerZone = 24, kTriggerEvent = 28, kTriggerConditions = 32;
inline constexpr size_t kTriggerActions = 36, kTriggerFlags = 40, kTriggerFilm = 44, kTriggerPeriod = 60;

inline constexpr size_t Exit(size_t i) { return kExits + i * kExitSize; }
inline constexpr size_t Element(size_t i) { return kElements + i * kElementSize; }
inline constexpr size_t Zone(size_t i) { return kZones + i * kZoneSize; }
inline constexpr size_t Trigger(size_t i) { return kTriggers + i * kTriggerSize; }
} // namespace level

// A trigger source with every field, written as it stands (nothing is checked, so a damaged source is
// written the same way).
struct TriggerSource {
    int32_t element_a = -1;
    int32_t element_a2 = -1;
    int32_t element_b = -1;
    int32_t zone = -1;
    int32_t event = 0;
    uint32_t conditions = 0;
    uint32_t actions = 0;
    uint32_t flags = 1; // active
    std::string film;   // 16 bytes or more: the field holds no NUL
    int32_t period = 0;
};
// A source damaged every way a record can be: element indices past the table and below -1, a zone
// past the table, a film name without NUL and a period whose frame count overflows 32 bits.
TriggerSource DamagedTrigger();

// A raw project record, set byte by byte.
class LevelRecordBuilder {
public:
    LevelRecordBuilder();                                    // all zero
    explicit LevelRecordBuilder(std::vector<uint8_t> bytes); // from a record (resized to 8704)

    LevelRecordBuilder &U8(size_t offset, uint8_t value);
    LevelRecordBuilder &I32(size_t offset, int32_t value);
    LevelRecordBuilder &I32s(size_t offset, const std::vector<int32_t> &values);
    // Copies the text into a field of `size` bytes, NUL-padded; a text of `size` bytes or more fills
    // the field with no NUL.
    LevelRecordBuilder &Text(size_t offset, size_t size, const std::string &text);

    LevelRecordBuilder &Name(const std::string &name);
    LevelRecordBuilder &InUse();
    LevelRecordBuilder &Exit(size_t i, const std::string &name, const std::string &target, uint32_t flags,
                             const std::vector<int32_t> &box_min, const std::vector<int32_t> &box_max);
    LevelRecordBuilder &Element(size_t i, const std::string &name, const std::string &file);
    // A zone in use with its points (x, y, z triples) and their count.
    LevelRecordBuilder &Zone(size_t i, const std::string &name, int32_t type, const std::vector<int32_t> &points);
    LevelRecordBuilder &ZoneBox(size_t i, const std::vector<int32_t> &box_min, const std::vector<int32_t> &box_max);
    LevelRecordBuilder &ZoneRate(size_t i, int32_t rate);
    LevelRecordBuilder &ZoneFlags(size_t i, int32_t flags);
    LevelRecordBuilder &Trigger(size_t i, int32_t element_a, int32_t element_b, uint32_t conditions,
                                uint32_t actions, const std::string &film, int32_t period);
    LevelRecordBuilder &Trigger(size_t i, const TriggerSource &trigger);

    const std::vector<uint8_t> &Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// A record as the editor blanks it: "EMPTY" as the record's name, each exit's name and each element's
// name and file, everything else zero.
std::vector<uint8_t> BlankEditorRecord();
// Zero-run packing: non-zero bytes as they are, each run of zeros as pairs (0, n) of at most 255.
std::vector<uint8_t> ZeroRunPack(const std::vector<uint8_t> &record);

// kalder.dat: a 1024-byte table of 256 offsets, then the 150 packed records back to back.
struct KalderDatWriter {
    KalderDatWriter(); // 150 blank editor records
    std::vector<std::vector<uint8_t>> records;

    // Damage, one knob per way the file can go wrong.
    int64_t truncate_at = -1;                          // cut the image at this byte
    std::map<int, int32_t> offset_overrides;           // entry i of the table takes this value
    std::vector<uint8_t> append;                       // bytes added after the image
    std::map<int, std::vector<uint8_t>> raw_records;   // record i's packed bytes replaced by these

    std::vector<uint8_t> Image() const;
    bool Write(const std::string &host_path) const;
};

// The smallest database the game starts on: "Project0" in use, every other record blank.
KalderDatWriter MinimalDatabase();
// Writes MinimalDatabase() as kalder.dat into a host folder (a drive's root: TempDrives::Host).
// false when it cannot be written.
bool WriteMinimalDatabase(const std::string &host_folder);

} // namespace kalder_test
