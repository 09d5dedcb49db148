// Fuzzes the project database reader, and the switches and the packer over what it accepted: the
// input is kalder.dat. Its mutator mostly changes the unpacked records and packs them again, so that
// inputs pass the whole-file check and reach the records, the lookups and the switches.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "plat/files.h"
#include "plat/test.h"
#include "tests/support/pack_writer.h"
#include "tests/support/temp_drives.h"
#include "world/prj.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t *data, size_t size, size_t max_size);

namespace {

kalder_test::TempDrives &drives()
{
    static kalder_test::TempDrives the_drives("CD");
    return the_drives;
}

// Every record of an accepted database unpacks, packs again within the file's room and comes back
// the same.
void repack_and_compare()
{
    for (int32_t i = 0; i < PRJ_RECORD_COUNT; i++) {
        int32_t start, end;
        std::memcpy(&start, PRJ_Database + 4 * i, 4);
        std::memcpy(&end, PRJ_Database + 4 * (i + 1), 4);
        std::memset(&PRJ_EditorTable[i], 0, sizeof(LevelRecord));
        if (PRJ_UnpackRecord(reinterpret_cast<uint8_t *>(&PRJ_EditorTable[i]), sizeof(LevelRecord),
                             PRJ_Database + PRJ_TABLE_SIZE + start, end - start) != PRJ_RECORD_SIZE) {
            __builtin_trap();
        }
    }
    static LevelRecord before[PRJ_RECORD_COUNT];
    std::memcpy(before, PRJ_EditorTable, sizeof before);
    if (PRJ_PackDatabase() == 0) {
        __builtin_trap();
    }
    for (int32_t i = 0; i < PRJ_RECORD_COUNT; i++) {
        char name[sizeof(LevelRecord::name) + 1] = {};
        std::memcpy(name, before[i].name, sizeof before[i].name);
        if (std::strcmp(name, "EMPTY") == 0) {
            continue; // never searched: it falls back
        }
        LevelRecord *found = PRJ_SwitchTo(name, sizeof name);
        if (found == nullptr) {
            __builtin_trap();
        }
        // The first record of that name: compare names only, as a later record may share it.
        if (std::strncmp(found->name, before[i].name, sizeof found->name) != 0) {
            __builtin_trap();
        }
    }
    if (std::memcmp(&before[0], &PRJ_CurrentRecord, sizeof(LevelRecord)) != 0) {
        __builtin_trap();
    }
}

uint32_t input_hash(const uint8_t *data, size_t size)
{
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; i++) {
        hash = (hash ^ data[i]) * 16777619u;
    }
    return hash;
}

// The packed bytes of record i of a mutated file, or none when its offset table does not place it
// inside the file.
bool placed_record(const uint8_t *data, size_t size, int32_t i, const uint8_t **bytes, int32_t *length)
{
    if (size < size_t(PRJ_TABLE_SIZE)) {
        return false;
    }
    int32_t start, end;
    std::memcpy(&start, data + 4 * i, 4);
    std::memcpy(&end, data + 4 * (i + 1), 4);
    if (start < 0 || end < start || int64_t(end) > int64_t(size) - PRJ_TABLE_SIZE) {
        return false;
    }
    *bytes = data + PRJ_TABLE_SIZE + start;
    *length = end - start;
    return true;
}

// Record i of a mutated file, unpacked; a record the table does not place comes out blank, as the
// editor's table holds it.
void unpack_record(const uint8_t *data, size_t size, int32_t i, LevelRecord *record)
{
    static const LevelRecord blank = [] {
        PRJ_ClearEditorTable();
        return PRJ_EditorTable[0];
    }();
    const uint8_t *bytes;
    int32_t length;
    if (!placed_record(data, size, i, &bytes, &length)) {
        *record = blank;
        return;
    }
    std::memset(record, 0, sizeof *record);
    PRJ_UnpackRecord(reinterpret_cast<uint8_t *>(record), sizeof *record, bytes, length);
}

// A record the harness reaches first: record 0 and the first few, most of the time.
int32_t pick_record(std::minstd_rand &rng)
{
    return rng() % 2 != 0 ? int32_t(rng() % 8) : int32_t(rng() % PRJ_RECORD_COUNT);
}

void copy_text(char *field, size_t size, const char *text, size_t length)
{
    std::memset(field, 0, size);
    std::memcpy(field, text, length < size ? length : size);
}

// One change to an unpacked record: some of its bytes, or the names that tie records together.
void mutate_record(std::minstd_rand &rng, LevelRecord &record, const LevelRecord &other)
{
    ExitRecord &exit = record.exits[rng() % 8];
    switch (rng() % 8) {
    case 0: // an exit that leads to another record
        copy_text(exit.target, sizeof exit.target, other.name, sizeof other.name);
        exit.flags |= EXIT_ON;
        break;
    case 1: // a name of the title table, or the name that means no project
        if (rng() % 4 == 0) {
            copy_text(record.name, sizeof record.name, "EMPTY", 5);
        } else {
            const char *title = PRJ_TitleTable[rng() % PRJ_RECORD_COUNT];
            copy_text(record.name, sizeof record.name, title, strnlen(title, PRJ_TITLE_SIZE));
        }
        break;
    case 2: // two records of the same name
        std::memcpy(record.name, other.name, sizeof record.name);
        break;
    case 3:
        record = other;
        break;
    default: { // a few bytes of the record, as libFuzzer mutates them
        uint8_t *bytes = reinterpret_cast<uint8_t *>(&record);
        size_t at = rng() % sizeof record;
        size_t length = 1 + rng() % 64;
        if (length > sizeof record - at) {
            length = sizeof record - at;
        }
        LLVMFuzzerMutate(bytes + at, length, length);
        break;
    }
    }
}

// Every record unpacked, changed and the whole database packed by PRJ_PackDatabase: a file whose
// table or packed bytes were damaged comes out whole again. Returns the file's size, or 0.
size_t repack_all(uint8_t *data, size_t size, size_t max_size, std::minstd_rand &rng)
{
    for (int32_t i = 0; i < PRJ_RECORD_COUNT; i++) {
        unpack_record(data, size, i, &PRJ_EditorTable[i]);
    }
    for (unsigned n = 1 + rng() % 3; n > 0; n--) {
        const int32_t changed = pick_record(rng);
        mutate_record(rng, PRJ_EditorTable[changed], PRJ_EditorTable[pick_record(rng)]);
    }
    const int32_t packed = PRJ_PackDatabase();
    if (packed == 0 || size_t(packed) > max_size) {
        return 0;
    }
    std::memcpy(data, PRJ_Database, size_t(packed));
    return size_t(packed);
}

// The quick way for most mutations: only the changed record is packed again, by PRJ_PackRecord,
// and the others keep their packed bytes. Packing all 150 records costs more than running the input.
size_t repack_one(uint8_t *data, size_t size, size_t max_size, std::minstd_rand &rng)
{
    static LevelRecord record, other;
    static uint8_t packed[PRJ_PACKED_MAX];
    static std::vector<uint8_t> file;
    const int32_t changed = pick_record(rng);
    unpack_record(data, size, changed, &record);
    unpack_record(data, size, pick_record(rng), &other);
    mutate_record(rng, record, other);
    const int32_t length =
        PRJ_PackRecord(packed, sizeof packed, reinterpret_cast<const uint8_t *>(&record), PRJ_RECORD_SIZE);

    file.assign(size_t(PRJ_TABLE_SIZE), 0);
    if (size >= size_t(PRJ_TABLE_SIZE)) {
        std::memcpy(file.data(), data, size_t(PRJ_TABLE_SIZE));
    }
    for (int32_t i = 0; i < PRJ_RECORD_COUNT; i++) {
        const int32_t start = int32_t(file.size()) - PRJ_TABLE_SIZE;
        std::memcpy(file.data() + 4 * i, &start, 4);
        const uint8_t *bytes;
        int32_t kept;
        if (i == changed) {
            file.insert(file.end(), packed, packed + length);
        } else if (placed_record(data, size, i, &bytes, &kept)) {
            file.insert(file.end(), bytes, bytes + kept);
        } else {
            return 0; // a damaged table: repack_all mends it
        }
    }
    const int32_t end = int32_t(file.size()) - PRJ_TABLE_SIZE;
    std::memcpy(file.data() + 4 * PRJ_RECORD_COUNT, &end, 4);
    if (end > PRJ_DATA_SIZE || file.size() > max_size) {
        return 0;
    }
    std::memcpy(data, file.data(), file.size());
    return file.size();
}

} // namespace

// Most mutations change one unpacked record and pack it again with the game's packer; one in
// sixteen unpacks and packs the whole database (which also mends a damaged table), one in eight
// changes the offset table alone, and what cannot be packed is mutated as the bytes stand.
extern "C" size_t LLVMFuzzerCustomMutator(uint8_t *data, size_t size, size_t max_size, unsigned int seed)
{
    std::minstd_rand rng(seed);
    const unsigned kind = rng() % 16;
    if (kind < 2 && size >= size_t(PRJ_TABLE_SIZE)) {
        const size_t entries = 4 * (PRJ_RECORD_COUNT + 1);
        LLVMFuzzerMutate(data, entries, entries);
        return size;
    }
    const size_t made = kind == 2 ? repack_all(data, size, max_size, rng) : repack_one(data, size, max_size, rng);
    return made != 0 ? made : LLVMFuzzerMutate(data, size, max_size);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    kalder_test::TempDrives &d = drives();
    test::Reset();
    test::MapDrive('C', d.Host('C'));
    test::MapDrive('D', d.Host('D'));
    test::ResetCurrentDirectories();
    PLAT_SetDrive('D');
    test::SetExitHook(test::ThrowOnExit);
    std::memset(PRJ_PreviousName, 0, sizeof PRJ_PreviousName);
    kalder_test::WriteHostFile(d.Host('D') + "/kalder.dat", std::vector<uint8_t>(data, data + size));

    try {
        PRJ_LoadDatabase();
        // Follow the exits of the current project, then fall back.
        for (int i = 0; i < 8; i++) {
            char target[sizeof(ExitRecord::target)];
            std::memcpy(target, PRJ_Current->exits[i].target, sizeof target);
            LevelRecord *next = PRJ_SwitchTo(target, sizeof target);
            PRJ_MakeCurrent(next);
        }
        char empty[] = "EMPTY";
        PRJ_MakeCurrent(PRJ_SwitchTo(empty, sizeof empty));
        PRJ_LoadDatabase();
        // Packing the whole database again costs about ten times the rest of the run: one accepted
        // input in sixteen, chosen by its bytes, so that a given input always does the same.
        if (input_hash(data, size) % 16 == 0) {
            repack_and_compare();
        }
    } catch (const test::ExitCalled &) {
        // The game's own answer to a damaged database: the fatal box.
    }
    test::CloseAllFiles();
    test::Reset();
    return 0;
}
