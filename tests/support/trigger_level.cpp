// The scene triggers' small level (see trigger_level.h).
#include "tests/support/trigger_level.h"

#include <cstring>
#include <string>

#include "core/fsb.h"
#include "core/snd.h"
#include "interface/menj.h"
#include "plat/test.h"
#include "tests/support/demo_level.h"
#include "tests/support/fsb_writer.h"
#include "tests/support/icon_pack_writer.h"
#include "tests/support/level_start.h"
#include "world/actor.h"
#include "world/cam.h"
#include "world/mdl.h"
#include "world/prj.h"
#include "world/prj_load.h"
#include "world/trg.h"

namespace kalder_test {

namespace {

void clear_slots()
{
    for (ActorRecord &slot : ACTOR_Slots) {
        std::memset(static_cast<void *>(&slot), 0, sizeof slot);
    }
}

void element(LevelRecordBuilder &b, int32_t i, const std::string &name, const std::string &file, uint8_t flags_a,
             const int32_t (&start)[3])
{
    const size_t e = level::Element(size_t(i));
    b.Element(size_t(i), name, file).U8(e + level::kElementFlagsA, flags_a);
    b.I32s(e + level::kElementStart, {start[0], start[1], start[2]}).I32(e + level::kElementLife, 100);
}

} // namespace

LevelRecordBuilder TriggerLevelRecord()
{
    using namespace trigger_level;
    LevelRecordBuilder b(BlankEditorRecord());
    b.Name("Project0").InUse();
    b.I32s(level::kStartPosition, {demo::kHeroStart[0], demo::kHeroStart[1], demo::kHeroStart[2]});
    b.I32(level::kEntryMode, 2);
    b.Element(0, "SCENE", "sc1.3dc").U8(level::Element(0) + level::kElementFlagsA, 0x01);
    element(b, kBox, "BOX1", "box.3dc", 0x01, kBoxStart);
    // Load, AI-driven, the second camp, may run.
    element(b, kCreature, "CREA", "cr1.3dc", 0x17, kCreatureStart);
    element(b, kCreature2, "CREB", "cr1.3dc", 0x17, kCreature2Start);
    element(b, kCrystal, "LIF1", "LIF1.3DC", 0x01, kCrystalStart);
    element(b, kAbsent, "KEY", "key.3dc", 0x01, kBoxStart);
    b.U8(level::Element(kAbsent) + level::kElementFlagsB, 0x01);
    b.Zone(kPathZone, "PATH", 1, {-2800, 140, -800, -2000, 140, -800, -2000, 140, 800}).ZoneRate(kPathZone, 40);
    return b;
}

TriggerLevel::TriggerLevel()
{
    WriteDemoLevel(drives_);
    drives_.Write('D', "DATA/ICONE/ICONES.BF", DemoIconPack());
    clear_slots();
    StartLevelCore();
    CAM_Init();
    MENJ_Init();
}

TriggerLevel::~TriggerLevel()
{
    MENJ_Shutdown();
    CAM_Exit();
    StopLevelCore();
    clear_slots();
    MDL_LoadingScene = MDL_SceneCollReady = MDL_SkyNode = 0;
    MDL_SkyAngle = 0.0f;
}

void TriggerLevel::Load(const std::vector<uint8_t> &bytes)
{
    std::memset(&record, 0, sizeof record);
    std::memcpy(&record, bytes.data(), std::min(bytes.size(), sizeof record));
    clear_slots();
    MDL_LoadingScene = 0;
    PRJ_MakeCurrent(&record);
    PRJ_PendingFlag = 1;
    PRJ_LoadPending();
}

bool TriggerLevel::StartSound()
{
    drives_.Write('D', "DATA/SOUND/FSB.DAT", FsbImage(DemoSounds(24)));
    test::SetSoundDevice(true);
    if (SND_Init(8) != 1) {
        return false;
    }
    FSB_Load("D:\\data\\sound\\fsb.dat");
    return true;
}

ActorRecord *TriggerLevel::Hero() { return &ACTOR_Slots[ACTOR_HERO]; }

ActorRecord *TriggerLevel::Actor(int32_t element)
{
    return element < 0 || element >= 16 ? nullptr : TRG_FindActor(&PRJ_Current->elements[element]);
}

void TriggerLevel::Place(ActorRecord *actor, double x, double y, double z)
{
    const double at[3] = {x, y, z};
    for (int k = 0; k < 3; k++) {
        actor->position[k] = at[k];
        actor->previous_position[k] = at[k];
    }
}

void TriggerLevel::PlaceFrom(ActorRecord *actor, const ActorRecord *other, double distance)
{
    Place(actor, other->position[0] + distance, other->position[1], other->position[2]);
}

} // namespace kalder_test
