// The project database: the 150 level records of kalder.dat and the current project.
#pragma once
#include <cstddef>
#include <cstdint>

// One project, 8704 bytes as stored in the database. Only the fields read so far are named.
struct LevelRecord {
    char name[20];
    uint8_t flags;
    uint8_t unused21;
    uint8_t model_flags;
    uint8_t unused23;
    int32_t colour_a[3];
    int32_t colour_b[3];
    int32_t colour_c[3];
    char film_name[16];
    char anim_film1[16];
    uint8_t fields92[284 - 92];
    int32_t cd_track;
    uint8_t fields288[508 - 288];
    int32_t data_part;
    uint8_t sub_records[8704 - 512];
};
static_assert(sizeof(LevelRecord) == 8704);
static_assert(offsetof(LevelRecord, film_name) == 60);
static_assert(offsetof(LevelRecord, anim_film1) == 76);
static_assert(offsetof(LevelRecord, cd_track) == 284);
static_assert(offsetof(LevelRecord, data_part) == 508);

extern LevelRecord PRJ_CurrentRecord;
extern LevelRecord *PRJ_Current;
extern int32_t PRJ_PendingFlag;

void PRJ_LoadDatabase();
void PRJ_FreeDatabase();
int32_t PRJ_GetDataPart();
