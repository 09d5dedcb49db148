// The visited-level ring: when the hero leaves a project its 32 objects are remembered, so that coming
// back finds dead creatures dead, moved objects where they were, and the hero at the arrival point
// nearest to where it left.
#include "world/visited.h"

#include <cstring>

#include "core/fconv.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "world/actor.h"
#include "world/cam.h"
#include "world/prj.h"
#include "world/zon.h"

VisitedRecord VIS_Ring[VIS_RING_SIZE];
int32_t VIS_Cursor;
int32_t PRJ_SkipNextVisited;

namespace {

// The record of that name, looked for from the cursor backwards, or -1. The wanted name is taken up to
// 17 bytes: a longer one cannot equal a 16-byte record name. An empty name is a free record, no visit.
int32_t find_record(const char *name)
{
    const size_t length = strnlen(name, VIS_NAME_BYTES + 1);
    if (length == 0 || length > size_t(VIS_NAME_BYTES)) {
        return -1;
    }
    for (int32_t i = 0; i < VIS_RING_SIZE; i++) {
        // The cursor is kept within 0..7 by every writer, and a loaded game is refused otherwise.
        const int32_t r = (VIS_Cursor - i + VIS_RING_SIZE) % VIS_RING_SIZE;
        const VisitedRecord &record = VIS_Ring[r];
        if (strnlen(record.name, VIS_NAME_BYTES) == length && std::memcmp(record.name, name, length) == 0) {
            return r;
        }
    }
    return -1;
}

// The current project's name, bounded by its 20-byte field.
void current_name(char (&name)[sizeof LevelRecord::name + 1])
{
    std::memset(name, 0, sizeof name);
    std::memcpy(name, PRJ_Current->name, sizeof PRJ_Current->name);
}

void remember(VisitedRecord &record)
{
    for (int32_t s = 0; s < VIS_ENTRIES; s++) {
        const ActorRecord &actor = ACTOR_Slots[s];
        VisitedEntry &entry = record.entries[s];
        std::memset(&entry, 0, sizeof entry);
        for (int i = 0; i < 3; i++) {
            entry.position[i] = actor.position[i];
        }
        entry.life = actor.life;
        entry.second_gauge = actor.second_gauge;
        entry.heading = actor.heading;
    }
}

// Turns the actor's node to its heading and puts it at its position.
void place_node(const ActorRecord &actor)
{
    int32_t m[9];
    Mat_Rotate(0, actor.heading, 0, m);
    Set_Obj_Matrix(actor.node, m);
    const int32_t place[3] = {trunc_i32(actor.position[0]), trunc_i32(actor.position[1]), trunc_i32(actor.position[2])};
    Set_Obj_Pos(actor.node, place);
}

// Every object in use but the hero takes its remembered state; one that died is taken out of the scene.
void restore_objects(const VisitedRecord &record)
{
    for (int32_t s = 0; s < VIS_ENTRIES; s++) {
        ActorRecord &actor = ACTOR_Slots[s];
        if (s == ACTOR_HERO || (actor.flags[0] & ACTOR_F0_IN_USE) == 0) {
            continue;
        }
        const VisitedEntry &entry = record.entries[s];
        for (int i = 0; i < 3; i++) {
            actor.position[i] = entry.position[i];
        }
        actor.life = entry.life;
        actor.second_gauge = entry.second_gauge;
        // A heading from a file could lie outside the angle tables.
        actor.heading = entry.heading & 4095;
        if (actor.life <= 0.0f && (actor.flags[3] & ACTOR_F3_DISABLED) == 0) {
            Hide_Obj_Tree(actor.node);
            actor.flags[3] |= ACTOR_F3_DISABLED;
        }
    }
}

// The hero arrives at the arrival point nearest to where it left, turned round, at each arrival zone.
void place_hero_at_arrival(ActorRecord &hero, const VisitedEntry &entry)
{
    for (const ZoneRecord &zone : PRJ_Current->zones) {
        if ((zone.flags & ZON_IN_USE) == 0 || zone.type != ZON_ARRIVAL) {
            continue;
        }
        const int32_t count = ZON_PointCount(&zone);
        if (count == 0) {
            continue;
        }
        int32_t nearest = 0;
        double best = 0.0;
        for (int32_t j = 0; j < count; j++) {
            double d2 = 0.0;
            for (int i = 0; i < 3; i++) {
                const double d = double(zone.points[j][i]) - entry.position[i];
                d2 += d * d;
            }
            if (j == 0 || d2 < best) {
                best = d2;
                nearest = j;
            }
        }
        for (int i = 0; i < 3; i++) {
            hero.position[i] = double(zone.points[nearest][i]);
        }
        hero.heading = (entry.heading + 2048) & 4095;
        place_node(hero);
        CAM_PostEvent('+', reinterpret_cast<intptr_t>(&hero), 0);
    }
}

} // namespace

void PRJ_RecordVisited()
{
    if (PRJ_SkipNextVisited != 0) {
        PRJ_SkipNextVisited = 0;
        return;
    }
    char name[sizeof LevelRecord::name + 1];
    current_name(name);
    // A ring name holds at most 15 characters and its NUL.
    name[VIS_NAME_BYTES - 1] = '\0';
    const int32_t found = find_record(name);
    if (found >= 0) {
        remember(VIS_Ring[found]);
        return;
    }
    VisitedRecord &record = VIS_Ring[VIS_Cursor];
    std::memset(record.name, 0, sizeof record.name);
    std::memcpy(record.name, name, strnlen(name, VIS_NAME_BYTES));
    remember(record);
    VIS_Cursor = (VIS_Cursor + 1) % VIS_RING_SIZE;
}

void PRJ_RestoreVisited()
{
    char name[sizeof LevelRecord::name + 1];
    current_name(name);
    const int32_t found = find_record(name);
    if (found < 0 || PRJ_Current->entry_mode == 3) {
        return;
    }
    const VisitedRecord &record = VIS_Ring[found];
    restore_objects(record);
    ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
    const VisitedEntry &entry = record.entries[ACTOR_HERO];
    if (PRJ_ReturnedToPrevious != 0) {
        for (int i = 0; i < 3; i++) {
            hero.position[i] = entry.position[i];
        }
        return;
    }
    place_hero_at_arrival(hero, entry);
}

int32_t PRJ_FindVisited(const char *name) { return find_record(name) >= 0 ? 1 : 0; }

void PRJ_ClearVisited()
{
    for (VisitedRecord &record : VIS_Ring) {
        std::memset(record.name, 0, sizeof record.name);
    }
    VIS_Cursor = 0;
}

void PRJ_StepBackVisited()
{
    VIS_Cursor = (VIS_Cursor + VIS_RING_SIZE - 1) % VIS_RING_SIZE;
    restore_objects(VIS_Ring[VIS_Cursor]);
    ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
    for (int i = 0; i < 3; i++) {
        hero.position[i] = double(PRJ_Current->start_position[i]);
    }
    hero.heading = PRJ_Current->start_heading & 4095;
    place_node(hero);
}
