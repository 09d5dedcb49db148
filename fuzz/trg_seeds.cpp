// The scene triggers' seeds: the demo Project0's sources, one source for each way a source can be
// damaged, and every action bit alone on a record that fires at once.
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/demo_level.h"
#include "tests/support/level_writer.h"
#include "tests/support/pack_writer.h"
#include "tests/support/trigger_level.h"

namespace fs = std::filesystem;

namespace {

namespace level = kalder_test::level;
using kalder_test::LevelRecordBuilder;
using kalder_test::TriggerSource;

std::vector<uint8_t> sources(const LevelRecordBuilder &record)
{
    const std::vector<uint8_t> &bytes = record.Bytes();
    return std::vector<uint8_t>(bytes.begin() + long(level::kTriggers),
                                bytes.begin() + long(level::kTriggers + level::kTriggerSize * level::kTriggerCount));
}

} // namespace

bool WriteTriggerSeeds(const char *folder)
{
    namespace tl = kalder_test::trigger_level;
    const fs::path dir = fs::path(folder) / "trg";
    fs::create_directories(dir);
    bool ok = kalder_test::WriteHostFile((dir / "demo").string(), sources(LevelRecordBuilder(kalder_test::DemoDatabase().records[0])));
    // Each damage alone on an otherwise sound record.
    TriggerSource base;
    base.conditions = 0x0040 | 0x0001; // near B, touch A
    base.actions = 0x00001 | 0x00004;  // show B, hide B
    base.element_a = tl::kCreature;
    base.element_b = tl::kCreature2;
    base.zone = tl::kPathZone;
    const auto with = [&base](void (*damage)(TriggerSource &, const TriggerSource &)) {
        TriggerSource t = base;
        damage(t, kalder_test::DamagedTrigger());
        return t;
    };
    const std::vector<std::pair<std::string, TriggerSource>> knobs = {
        {"element-a-past", with([](TriggerSource &t, const TriggerSource &d) { t.element_a = d.element_a; })},
        {"element-a2-below", with([](TriggerSource &t, const TriggerSource &d) { t.element_a2 = d.element_a2; })},
        {"element-b-past", with([](TriggerSource &t, const TriggerSource &d) { t.element_b = d.element_b; })},
        {"zone-past", with([](TriggerSource &t, const TriggerSource &d) { t.zone = d.zone; })},
        {"film-without-nul", with([](TriggerSource &t, const TriggerSource &d) { t.film = d.film; })},
        {"period-huge", with([](TriggerSource &t, const TriggerSource &d) {
             t.conditions = 0x0010;
             t.period = d.period;
         })},
    };
    for (const auto &[name, trigger] : knobs) {
        ok = ok && kalder_test::WriteHostFile((dir / name).string(), sources(LevelRecordBuilder().Trigger(0, trigger)));
    }
    for (int bit = 0; bit < 19; bit++) {
        TriggerSource alone;
        alone.actions = 1u << bit;
        alone.element_a = tl::kCreature;
        alone.element_b = tl::kCreature2;
        alone.zone = tl::kPathZone;
        alone.event = bit == 0 ? 3 : 0;
        ok = ok && kalder_test::WriteHostFile((dir / ("action-" + std::to_string(bit))).string(),
                                              sources(LevelRecordBuilder().Trigger(0, alone)));
    }
    return ok;
}
