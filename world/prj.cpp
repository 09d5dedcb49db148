// The project database: kalder.dat read at start-up and before a new game, records unpacked one at
// a time, the switch between projects and the built-in project titles.
#include "world/prj.h"

#include <cstring>

#include "core/file.h"
#include "core/sys.h"
#include "editor/edt.h"

uint8_t PRJ_Database[PRJ_DATABASE_SIZE];
LevelRecord PRJ_CurrentRecord;
LevelRecord *PRJ_Current = &PRJ_CurrentRecord;
LevelRecord PRJ_SwitchBuffer;
char PRJ_PreviousName[32];
int32_t PRJ_ReturnedToPrevious;
int32_t PRJ_PendingFlag;
LevelRecord *PRJ_Next;
LevelRecord PRJ_EditorTable[PRJ_RECORD_COUNT];

#define PRJ_TEN(row, tens) \
    row(tens##0) row(tens##1) row(tens##2) row(tens##3) row(tens##4) \
    row(tens##5) row(tens##6) row(tens##7) row(tens##8) row(tens##9)
#define PRJ_ALL(row) \
    PRJ_TEN(row, ) PRJ_TEN(row, 1) PRJ_TEN(row, 2) PRJ_TEN(row, 3) PRJ_TEN(row, 4) \
    PRJ_TEN(row, 5) PRJ_TEN(row, 6) PRJ_TEN(row, 7) PRJ_TEN(row, 8) PRJ_TEN(row, 9) \
    PRJ_TEN(row, 10) PRJ_TEN(row, 11) PRJ_TEN(row, 12) PRJ_TEN(row, 13) PRJ_TEN(row, 14)
#define PRJ_NAME_ROW(n) "Project" #n,
#define PRJ_TITLE_ROW(n) "Level " #n,

// No title texts come with the data, so every project is shown as "Level <n>".
const char PRJ_TitleTable[2 * PRJ_RECORD_COUNT][PRJ_TITLE_SIZE] = {PRJ_ALL(PRJ_NAME_ROW) PRJ_ALL(PRJ_TITLE_ROW)};

#undef PRJ_TITLE_ROW
#undef PRJ_NAME_ROW
#undef PRJ_ALL
#undef PRJ_TEN

namespace {

constexpr const char *kDatabaseFile = "kalder.dat";
constexpr const char *kDataMissing = "Error: information on disk/cdrom is corrupted or cannot be found...\n";
constexpr size_t kNameSize = sizeof(LevelRecord::name);

// Packed records, laid out before they replace the database's data area.
uint8_t pack_area[PRJ_DATA_SIZE];

int32_t offset_entry(int32_t i)
{
    int32_t value;
    std::memcpy(&value, PRJ_Database + 4 * i, sizeof value);
    return value;
}

void set_offset_entry(int32_t i, int32_t value) { std::memcpy(PRJ_Database + 4 * i, &value, sizeof value); }

// The packed bytes of record i. The table was checked at load, but a record that does not lie inside
// the data area is taken as empty all the same.
int32_t packed_record(int32_t i, const uint8_t **bytes)
{
    int32_t start = offset_entry(i);
    int32_t end = offset_entry(i + 1);
    if (start < 0 || end < start || end > PRJ_DATA_SIZE) {
        *bytes = PRJ_Database + PRJ_TABLE_SIZE;
        return 0;
    }
    *bytes = PRJ_Database + PRJ_TABLE_SIZE + start;
    return end - start;
}

// The length a packed record unpacks to, without any cap, and whether it ends in a zero without its
// count byte.
int64_t unpacked_length(const uint8_t *source, int32_t packedLength, bool *dangling)
{
    int64_t length = 0;
    int32_t i = 0;
    *dangling = false;
    while (i < packedLength) {
        if (source[i] != 0) {
            length++;
            i++;
        } else if (i + 1 < packedLength) {
            length += source[i + 1];
            i += 2;
        } else {
            *dangling = true;
            break;
        }
    }
    return length;
}

// A file the game's own packer wrote always passes: a table that runs forward inside what was read,
// and records that each unpack to exactly one LevelRecord.
bool database_valid(int32_t bytesRead)
{
    if (bytesRead < PRJ_TABLE_SIZE) {
        return false;
    }
    if (offset_entry(0) < 0) {
        return false;
    }
    for (int32_t i = 0; i < PRJ_RECORD_COUNT; i++) {
        if (offset_entry(i + 1) < offset_entry(i)) {
            return false;
        }
    }
    if (offset_entry(PRJ_RECORD_COUNT) > bytesRead - PRJ_TABLE_SIZE) {
        return false;
    }
    for (int32_t i = 0; i < PRJ_RECORD_COUNT; i++) {
        const uint8_t *bytes;
        int32_t length = packed_record(i, &bytes);
        bool dangling;
        if (unpacked_length(bytes, length, &dangling) != PRJ_RECORD_SIZE || dangling) {
            return false;
        }
    }
    return true;
}

// The name of record i as a bounded field: up to its first NUL or all 20 bytes, never beyond the
// packed record.
size_t record_name(int32_t i, char (&name)[kNameSize])
{
    std::memset(name, 0, sizeof name);
    const uint8_t *bytes;
    int32_t length = packed_record(i, &bytes);
    PRJ_UnpackRecord(reinterpret_cast<uint8_t *>(name), sizeof name, bytes, length);
    return strnlen(name, sizeof name);
}

// The first record whose name is exactly the request, or -1. A request longer than a name field
// matches nothing.
int32_t find_record(const char *request, size_t length)
{
    if (length > kNameSize) {
        return -1;
    }
    for (int32_t i = 0; i < PRJ_RECORD_COUNT; i++) {
        char name[kNameSize];
        if (record_name(i, name) == length && std::memcmp(name, request, length) == 0) {
            return i;
        }
    }
    return -1;
}

LevelRecord *unpack_into_switch_buffer(int32_t i)
{
    std::memset(&PRJ_SwitchBuffer, 0, sizeof PRJ_SwitchBuffer);
    const uint8_t *bytes;
    int32_t length = packed_record(i, &bytes);
    PRJ_UnpackRecord(reinterpret_cast<uint8_t *>(&PRJ_SwitchBuffer), sizeof PRJ_SwitchBuffer, bytes, length);
    return &PRJ_SwitchBuffer;
}

void write_text(char *field, size_t size, const char *text)
{
    size_t length = strnlen(text, size - 1);
    std::memcpy(field, text, length);
    field[length] = '\0';
}

} // namespace

void PRJ_LoadDatabase()
{
    EDT_Modified = 0;
    if (!FILE_Exists(kDatabaseFile)) {
        PRJ_ClearEditorTable();
        SYS_FatalError(kDataMissing, 999, 1);
    }
    int32_t handle = FILE_OpenPlain(kDatabaseFile, O_RDONLY | O_BINARY);
    int32_t bytesRead = 0;
    while (bytesRead < PRJ_DATABASE_SIZE) {
        int32_t n = FILE_ReadPlain(handle, PRJ_Database + bytesRead, uint32_t(PRJ_DATABASE_SIZE - bytesRead));
        if (n <= 0) {
            break;
        }
        bytesRead += n;
    }
    FILE_ClosePlain(handle);
    // A shorter file than the last one read must not leave the old bytes behind.
    if (bytesRead < PRJ_DATABASE_SIZE) {
        std::memset(PRJ_Database + bytesRead, 0, size_t(PRJ_DATABASE_SIZE - bytesRead));
    }
    if (!database_valid(bytesRead)) {
        SYS_FatalError(kDataMissing, 999, 1);
    }

    std::memset(&PRJ_CurrentRecord, 0, sizeof PRJ_CurrentRecord);
    const uint8_t *bytes;
    int32_t length = packed_record(0, &bytes);
    PRJ_UnpackRecord(reinterpret_cast<uint8_t *>(&PRJ_CurrentRecord), sizeof PRJ_CurrentRecord, bytes, length);
    PRJ_Current = &PRJ_CurrentRecord;
    // A fade that starts before any exit has chosen a project comes back to this one.
    PRJ_Next = PRJ_Current;
    PRJ_PendingFlag = 1;
}

// The database lives in static storage: nothing to give back.
void PRJ_FreeDatabase() {}

int32_t PRJ_UnpackRecord(uint8_t *destination, size_t capacity, const uint8_t *source, int32_t packedLength)
{
    size_t written = 0;
    int32_t i = 0;
    while (i < packedLength && written < capacity) {
        if (source[i] != 0) {
            destination[written++] = source[i++];
            continue;
        }
        if (i + 1 >= packedLength) {
            break;
        }
        size_t run = source[i + 1];
        if (run > capacity - written) {
            run = capacity - written;
        }
        std::memset(destination + written, 0, run);
        written += run;
        i += 2;
    }
    return int32_t(written);
}

int32_t PRJ_PackRecord(uint8_t *destination, size_t capacity, const uint8_t *source, int32_t length)
{
    size_t written = 0;
    int32_t i = 0;
    while (i < length) {
        if (source[i] != 0) {
            if (written + 1 > capacity) {
                return -1;
            }
            destination[written++] = source[i++];
            continue;
        }
        int32_t run = 0;
        while (i + run < length && source[i + run] == 0 && run < 255) {
            run++;
        }
        if (written + 2 > capacity) {
            return -1;
        }
        destination[written++] = 0;
        destination[written++] = uint8_t(run);
        i += run;
    }
    return int32_t(written);
}

int32_t PRJ_PackDatabase()
{
    int32_t offsets[PRJ_RECORD_COUNT + 1];
    int32_t used = 0;
    for (int32_t i = 0; i < PRJ_RECORD_COUNT; i++) {
        offsets[i] = used;
        int32_t length = PRJ_PackRecord(pack_area + used, size_t(PRJ_DATA_SIZE - used),
                                        reinterpret_cast<const uint8_t *>(&PRJ_EditorTable[i]), PRJ_RECORD_SIZE);
        if (length < 0) {
            return 0;
        }
        used += length;
    }
    offsets[PRJ_RECORD_COUNT] = used;
    for (int32_t i = 0; i <= PRJ_RECORD_COUNT; i++) {
        set_offset_entry(i, offsets[i]);
    }
    std::memcpy(PRJ_Database + PRJ_TABLE_SIZE, pack_area, size_t(used));
    return used + PRJ_TABLE_SIZE;
}

void PRJ_ClearEditorTable()
{
    std::memset(PRJ_EditorTable, 0, sizeof PRJ_EditorTable);
    for (LevelRecord &record : PRJ_EditorTable) {
        write_text(record.name, sizeof record.name, "EMPTY");
        for (ExitRecord &exit : record.exits) {
            write_text(exit.name, sizeof exit.name, "EMPTY");
        }
        for (ElementRecord &element : record.elements) {
            write_text(element.name, sizeof element.name, "EMPTY");
            write_text(element.file, sizeof element.file, "EMPTY");
        }
    }
}

int32_t PRJ_FindProject(const char *name, size_t nameSize)
{
    size_t length = strnlen(name, nameSize);
    if (length == 5 && std::memcmp(name, "EMPTY", 5) == 0) {
        return -1;
    }
    return find_record(name, length);
}

LevelRecord *PRJ_SwitchTo(char *name, size_t nameSize)
{
    PRJ_ReturnedToPrevious = 0;
    const int32_t found = PRJ_FindProject(name, nameSize);
    if (found >= 0) {
        size_t current = strnlen(PRJ_Current->name, sizeof PRJ_Current->name);
        std::memcpy(PRJ_PreviousName, PRJ_Current->name, current);
        PRJ_PreviousName[current] = '\0';
        return unpack_into_switch_buffer(found);
    }
    if (EDT_Active != 0) {
        return nullptr;
    }
    // The caller learns where it is sent back to; the project searched is the previous one itself,
    // whatever of its name fits the caller's buffer.
    if (nameSize > 0) {
        write_text(name, nameSize, PRJ_PreviousName);
    }
    int32_t i = find_record(PRJ_PreviousName, strnlen(PRJ_PreviousName, sizeof PRJ_PreviousName));
    if (i < 0) {
        return nullptr;
    }
    PRJ_ReturnedToPrevious = 1;
    return unpack_into_switch_buffer(i);
}

void PRJ_MakeCurrent(const LevelRecord *record)
{
    if (record == nullptr || record == &PRJ_CurrentRecord) {
        return;
    }
    std::memcpy(&PRJ_CurrentRecord, record, sizeof PRJ_CurrentRecord);
}

int32_t PRJ_GetDataPart() { return PRJ_Current->data_part; }

const char *PRJ_FindTitle(const char *name)
{
    for (int32_t i = 0; i < PRJ_RECORD_COUNT; i++) {
        if (std::strncmp(PRJ_TitleTable[i], name, PRJ_TITLE_SIZE) == 0) {
            return PRJ_TitleTable[PRJ_RECORD_COUNT + i];
        }
    }
    return nullptr;
}
