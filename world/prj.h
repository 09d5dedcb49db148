// The project database: the 150 packed level records of kalder.dat, the current project and the
// switch from one project to another.
#pragma once
#include <cstddef>
#include <cstdint>

#include "world/level_record.h"

inline constexpr int32_t PRJ_RECORD_COUNT = 150;
inline constexpr int32_t PRJ_RECORD_SIZE = 8704;
inline constexpr int32_t PRJ_TABLE_SIZE = 1024;                          // 256 offset entries
inline constexpr int32_t PRJ_DATA_SIZE = 151552;                         // room for the packed records
inline constexpr int32_t PRJ_DATABASE_SIZE = PRJ_TABLE_SIZE + PRJ_DATA_SIZE; // what is read of the file
inline constexpr int32_t PRJ_PACKED_MAX = 13056; // a record packed at its worst: zero and non-zero bytes alternating
inline constexpr int32_t PRJ_TITLE_SIZE = 21;

static_assert(sizeof(LevelRecord) == PRJ_RECORD_SIZE);

extern uint8_t PRJ_Database[PRJ_DATABASE_SIZE]; // offset table, then the packed records
extern LevelRecord PRJ_CurrentRecord;
extern LevelRecord *PRJ_Current;                // the record in use (a loaded game points it at its own copy)
extern LevelRecord PRJ_SwitchBuffer;            // receives the record PRJ_SwitchTo finds
extern char PRJ_PreviousName[32];               // current project's name at the last successful switch
extern int32_t PRJ_ReturnedToPrevious;          // 1 when the last switch fell back to PRJ_PreviousName
extern int32_t PRJ_PendingFlag;                 // 1 while the current record waits to be loaded
extern LevelRecord *PRJ_Next;                   // made current when the running fade ends
extern LevelRecord PRJ_EditorTable[PRJ_RECORD_COUNT];
// Rows 0..149: the internal names "Project0".."Project149"; rows 150..299: their display titles.
extern const char PRJ_TitleTable[2 * PRJ_RECORD_COUNT][PRJ_TITLE_SIZE];

// Reads kalder.dat from the current directory and makes record 0 current with its load pending. A
// missing or damaged file stops the game.
void PRJ_LoadDatabase();
void PRJ_FreeDatabase();

// Zero-run decoding: writes at most capacity bytes and reads at most packedLength bytes. A final zero
// without its count byte ends the record. Returns the bytes written; the rest of destination is left
// as it was.
int32_t PRJ_UnpackRecord(uint8_t *destination, size_t capacity, const uint8_t *source, int32_t packedLength);
// Zero-run coding. Returns the packed length, or -1 when it would not fit in capacity.
int32_t PRJ_PackRecord(uint8_t *destination, size_t capacity, const uint8_t *source, int32_t length);
// Packs PRJ_EditorTable into PRJ_Database. Returns the size of the file it makes (packed size + 1024),
// or 0, with the database unchanged, when the records do not fit.
int32_t PRJ_PackDatabase();
// Blanks every record of PRJ_EditorTable: all zero, with "EMPTY" as the record's name, as each exit's
// name and as each element's name and file.
void PRJ_ClearEditorTable();

// Unpacks the project called name (at most nameSize bytes, NUL-terminated or not) into
// PRJ_SwitchBuffer and returns it. A name that is not found, or "EMPTY", falls back to PRJ_PreviousName,
// which is also written into the caller's buffer (at most nameSize - 1 characters and a NUL). Null
// when the fall-back fails too, or at once in the editor.
LevelRecord *PRJ_SwitchTo(char *name, size_t nameSize);
// The index of the project called name (at most nameSize bytes, NUL-terminated or not), or -1 when
// none has it or it is "EMPTY". Touches nothing: a loaded game checks its project with it.
int32_t PRJ_FindProject(const char *name, size_t nameSize);
// Copies the record into PRJ_CurrentRecord; null and PRJ_CurrentRecord itself change nothing.
void PRJ_MakeCurrent(const LevelRecord *record);
int32_t PRJ_GetDataPart();
// The display title of an internal project name (exact, case-sensitive), or null.
const char *PRJ_FindTitle(const char *name);
