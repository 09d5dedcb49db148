// kdev trg: a project's trigger sources, decoded from the project database.
#include "tools/kdev/kdev_trg.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/dsk.h"
#include "tools/kdev/kdev_level.h"
#include "world/level_record.h"
#include "world/prj.h"
#include "world/trg.h"

namespace {

struct BitName {
    uint32_t bit;
    const char *name;
};

constexpr BitName Conditions[] = {
    {TRG_IF_TOUCH_A, "touch-A"},       {TRG_IF_A_DEAD, "A-dead"},
    {TRG_IF_NO_ENEMY, "no-enemy"},     {TRG_IF_ONCE_TIMER, "once-timer"},
    {TRG_IF_HAS_A, "has-A"},           {TRG_IF_NEAR_B, "near-B"},
    {TRG_IF_REPEAT_TIMER, "repeat-timer"}, {TRG_IF_A_UNHURT, "A-unhurt"},
    {TRG_IF_LACKS_A, "lacks-A"},       {TRG_IF_FEW_DISABLED_2, "few-disabled-2"},
    {TRG_IF_FEW_DISABLED_1, "few-disabled-1"}, {TRG_IF_A_NEAR_B, "A-near-B"},
    {TRG_IF_LACKS_B, "lacks-B"},
};

constexpr BitName Actions[] = {
    {TRG_DO_SHOW_B, "show-B"},         {TRG_DO_SHOW_ALL, "show-all"},
    {TRG_DO_HIDE_B, "hide-B"},         {TRG_DO_TIMER1_B, "timer1-B"},
    {TRG_DO_TIMER2_B, "timer2-B"},     {TRG_DO_RALLY_B, "rally-B"},
    {TRG_DO_SLOW_B, "slow-B"},         {TRG_DO_SLOW_ALL, "slow-all"},
    {TRG_DO_MOVE_B_TO_A, "move-B-to-A"}, {TRG_DO_UNSLOW_ALL, "unslow-all"},
    {TRG_DO_CAMERA_FAR, "camera-far"}, {TRG_DO_CAMERA_NEAR, "camera-near"},
    {TRG_DO_UNLOCK_EXITS, "unlock-exits"}, {TRG_DO_MARK_B, "mark-B"},
    {TRG_DO_GIVE_B, "give-B"},         {TRG_DO_BRIGHTEN, "brighten"},
    {TRG_DO_HURT, "hurt"},
};

// The bits by name; bits without a name as hex; "-" when none.
template <size_t N> std::string Bit_Names(uint32_t bits, const BitName (&names)[N])
{
    std::string out;
    auto add = [&out](const char *name) {
        if (!out.empty()) {
            out += ',';
        }
        out += name;
    };
    for (const BitName &b : names) {
        if ((bits & b.bit) != 0) {
            add(b.name);
            bits &= ~b.bit;
        }
    }
    if (bits != 0) {
        char rest[16];
        std::snprintf(rest, sizeof rest, "0x%X", unsigned(bits));
        add(rest);
    }
    return out.empty() ? "-" : out;
}

// "-" for none, "<index> <name>" within the table, else the index and where it points.
std::string Index_Text(int32_t index, int32_t count, const std::string &(*name)(const LevelRecord &, int32_t),
                       const LevelRecord &record)
{
    if (index == -1) {
        return "-";
    }
    if (index < 0 || index >= count) {
        return std::to_string(index) + " (outside the table)";
    }
    return std::to_string(index) + " " + name(record, index);
}

const std::string &Element_Name(const LevelRecord &record, int32_t i)
{
    static std::string text;
    const ElementRecord &e = record.elements[i];
    text = std::string(e.name, strnlen(e.name, sizeof e.name)) + " " + std::string(e.file, strnlen(e.file, sizeof e.file));
    return text;
}

const std::string &Zone_Name(const LevelRecord &record, int32_t i)
{
    static std::string text;
    text = std::string(record.zones[i].name, strnlen(record.zones[i].name, sizeof record.zones[i].name));
    return text;
}

std::string Element_Text(const LevelRecord &record, int32_t index) { return Index_Text(index, 16, Element_Name, record); }
std::string Zone_Text(const LevelRecord &record, int32_t index) { return Index_Text(index, 12, Zone_Name, record); }

} // namespace

int KdevTrg(const char *folder, const char *project)
{
    if (!KdevMapDrives(folder)) {
        return 1;
    }
    DSK_Locate();
    PRJ_LoadDatabase();
    char name[32] = {};
    std::snprintf(name, sizeof name, "%s", project != nullptr ? project : "Project0");
    const LevelRecord *record = PRJ_SwitchTo(name, sizeof name);
    if (record == nullptr) {
        std::fprintf(stderr, "kdev: no project %s\n", name);
        return 1;
    }
    std::printf("project %.20s\n", record->name);
    for (int32_t i = 0; i < TRG_COUNT; i++) {
        const TRG_SourceRecord &t = record->triggers[i];
        std::printf("trigger %d %s\n", int(i), (t.flags & TRG_ACTIVE) != 0 ? "active" : "inactive");
        if ((t.flags & TRG_ACTIVE) == 0 && t.conditions == 0 && t.actions == 0 && t.film[0] == 0) {
            continue;
        }
        std::printf("  if %s\n  do %s\n", Bit_Names(t.conditions, Conditions).c_str(), Bit_Names(t.actions, Actions).c_str());
        std::printf("  A %s, A2 %s, B %s\n", Element_Text(*record, t.element_a).c_str(),
                    Element_Text(*record, t.element_a2).c_str(), Element_Text(*record, t.element_b).c_str());
        std::printf("  zone %s, event %d, film \"%.*s\", period %d\n", Zone_Text(*record, t.zone).c_str(),
                    int(t.event_argument), int(strnlen(t.film, sizeof t.film)), t.film, int(t.period));
    }
    return 0;
}
