// A small level for the scene triggers' tests, fuzz harness and benchmark: the demo's scene, boxes,
// crystal and creature models on temporary drives, under a project record of our own loaded through the
// level load, with the camera's and the menus' queues made.
#pragma once
#include <cstdint>
#include <vector>

#include "tests/support/level_writer.h"
#include "tests/support/screen_target.h"
#include "tests/support/temp_drives.h"
#include "world/level_record.h"

struct ActorRecord;

namespace kalder_test {

namespace trigger_level {
// The elements of the record (element 0 is the scene).
inline constexpr int32_t kBox = 1;       // a plain object
inline constexpr int32_t kCreature = 2;  // creatures of the other camp, AI-driven
inline constexpr int32_t kCreature2 = 3;
inline constexpr int32_t kCrystal = 4;   // an object to pick up, "LIF1.3DC"
inline constexpr int32_t kAbsent = 5;    // named, but not loaded at the start
inline constexpr int32_t kPathZone = 0;  // a path of three points
inline constexpr int32_t kBoxStart[3] = {-1400, 172, 400};
inline constexpr int32_t kCreatureStart[3] = {-600, 140, 1500};
inline constexpr int32_t kCreature2Start[3] = {0, 140, 2500};
inline constexpr int32_t kCrystalStart[3] = {-300, 260, 300};
} // namespace trigger_level

// The project without triggers.
LevelRecordBuilder TriggerLevelRecord();

class TriggerLevel {
public:
    // The drives, the demo level's files, the level core, the camera and the menus' queue. The caller
    // has put the core back to its start state and installed an exit hook.
    TriggerLevel();
    ~TriggerLevel();
    TriggerLevel(const TriggerLevel &) = delete;
    TriggerLevel &operator=(const TriggerLevel &) = delete;

    // Loads the record as the current project, as the game tick loads a pending one.
    void Load(const std::vector<uint8_t> &record);
    // Sound on, with a bank of 24 tones, for the cases that listen to what the triggers set off. False
    // when the sound did not start.
    bool StartSound();

    static ActorRecord *Hero();
    // The live actor of an element, or null.
    static ActorRecord *Actor(int32_t element);
    // Puts the actor at a place (its working position with it).
    static void Place(ActorRecord *actor, double x, double y, double z);
    // Puts the actor `distance` units from the other along x.
    static void PlaceFrom(ActorRecord *actor, const ActorRecord *other, double distance);

    LevelRecord record{}; // the loaded project; PRJ_Current points at the game's copy

private:
    TempDrives drives_{"CD"};
    ScreenTarget screen_{640, 480};
};

} // namespace kalder_test
