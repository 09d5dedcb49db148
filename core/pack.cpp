// Pack files (.bf): reading a pack's directory and merging it into the one table of named entries
// that FILE_Open falls back on when no plain file has the name.
#include "core/pack.h"

#include <cstring>
#include <string>

#include "core/file.h"
#include "core/mem.h"
#include "plat/system.h"

PACK_Entry *PACK_Table;
int32_t PACK_Count;

static void upper_case(char *text)
{
    for (; *text != 0; text++) {
        if (*text >= 'a' && *text <= 'z') {
            *text = char(*text - 32);
        }
    }
}

static uint32_t read_u32(const uint8_t *bytes)
{
    uint32_t value;
    std::memcpy(&value, bytes, 4);
    return value;
}

// Length of what the pack handle reads: the plain file's size, or the size of the entry it lies in.
static int64_t pack_length(int32_t handle)
{
    if (handle < 0) {
        return PACK_Table[-handle - 1].size;
    }
    int32_t length = FILE_Seek(handle, 0, 2);
    FILE_Seek(handle, 0, 0);
    return length;
}

void PACK_Open(const char *path)
{
    // The one alternative root: a fixed drive, whatever drive the data was found on.
    std::string prefixed = std::string("Z:\\") + path;
    int32_t prefix = 0;
    int32_t handle;
    if (FILE_Exists(path)) {
        handle = FILE_Open(path, O_RDONLY | O_BINARY);
    } else {
        handle = FILE_Open(prefixed.c_str(), O_RDONLY | O_BINARY);
        prefix = 1;
    }
    int64_t length = pack_length(handle);

    uint8_t header[PACK_HEADER_SIZE];
    if (FILE_Read(handle, header, PACK_HEADER_SIZE) != int32_t(PACK_HEADER_SIZE) ||
        std::strncmp(reinterpret_cast<const char *>(header), "MIRL", 4) != 0) {
        FILE_FatalError(1, "%s is not a valid file", path);
    }
    uint32_t directory = read_u32(header + 8);
    uint32_t n = read_u32(header + 12);
    // The directory must lie inside the file before anything is allocated for it, so that a damaged
    // count can never ask for more memory than the file holds.
    if (int64_t(directory) + int64_t(n) * PACK_DIR_RECORD_SIZE > length) {
        FILE_FatalError(1, "%s is not a valid file", path);
    }
    if (n == 0) {
        return;
    }
    FILE_Seek(handle, int32_t(directory), 0);
    PACK_Entry *records = static_cast<PACK_Entry *>(MEM_Alloc(size_t(n) * sizeof(PACK_Entry)));
    for (uint32_t i = 0; i < n; i++) {
        PACK_Entry *r = &records[i];
        uint8_t offset[4], size[4];
        if (FILE_Read(handle, r->name, PACK_NAME_SIZE) != int32_t(PACK_NAME_SIZE) ||
            FILE_Read(handle, offset, 4) != 4 || FILE_Read(handle, size, 4) != 4) {
            MEM_FreePtr(&records);
            FILE_FatalError(1, "%s is not a valid file", path);
        }
        // A name that fills all 259 bytes is still a string.
        r->name[PACK_NAME_SIZE] = 0;
        r->offset = read_u32(offset);
        r->size = read_u32(size);
        r->open = 0;
        r->position = 0;
        r->prefixed = prefix;
        r->pack = handle;
    }
    PACK_AddEntries(records, int32_t(n));
    MEM_FreePtr(&records);
}

// 1 when table entry `index` lies on the chain of containers that `handle` reads through.
static int reads_through(int32_t handle, int32_t index)
{
    for (int32_t steps = 0; handle < 0 && steps <= PACK_Count; steps++) {
        int64_t container = -int64_t(handle) - 1;
        if (container == index) {
            return 1;
        }
        if (container >= PACK_Count) {
            return 0;
        }
        handle = PACK_Table[container].pack;
    }
    return 0;
}

void PACK_AddEntries(PACK_Entry *records, int32_t n)
{
    if (n <= 0) {
        return;
    }
    if (PACK_Count == 0) {
        MEM_FreePtr(&PACK_Table);
        PACK_Table = static_cast<PACK_Entry *>(MEM_Alloc(size_t(n) * sizeof(PACK_Entry)));
        PACK_Count = n;
        for (int32_t i = 0; i < n; i++) {
            std::string line = std::string("Nom: ") + records[i].name + "\n";
            PLAT_WriteStdout(line.c_str());
        }
        std::memcpy(PACK_Table, records, size_t(n) * sizeof(PACK_Entry));
        return;
    }
    for (int32_t i = 0; i < n; i++) {
        int32_t index = PACK_FindEntry(records[i].name);
        if (index >= 0 && reads_through(records[i].pack, index)) {
            // A pack naming an entry it is read through would make that entry its own container:
            // the container stays as it is.
            continue;
        }
        if (index >= 0) {
            PACK_Table[index] = records[i];
        } else {
            PACK_Table = PACK_GrowTable(PACK_Table, uint32_t(PACK_Count + 1) * sizeof(PACK_Entry));
            PACK_Table[PACK_Count] = records[i];
            PACK_Count++;
        }
    }
}

int32_t PACK_FindEntry(char *name)
{
    upper_case(name);
    for (int32_t i = 0; i < PACK_Count; i++) {
        if (std::strcmp(PACK_Table[i].name, name) == 0) {
            return i;
        }
    }
    return -1;
}

int32_t PACK_Find(const char *name)
{
    // The caller's text may be a literal: compare an upper-cased copy of the part that counts.
    char asked[PACK_NAME_SIZE + 1];
    std::strncpy(asked, name, PACK_NAME_SIZE);
    asked[PACK_NAME_SIZE] = 0;
    upper_case(asked);
    for (int32_t i = 0; i < PACK_Count; i++) {
        if (std::strncmp(PACK_Table[i].name, asked, PACK_NAME_SIZE) == 0) {
            PACK_Table[i].open = 1;
            PACK_Table[i].position = 0;
            return i;
        }
    }
    return -1;
}

PACK_Entry *PACK_GrowTable(PACK_Entry *table, uint32_t size)
{
    return static_cast<PACK_Entry *>(PLAT_HeapRealloc(table, size));
}

void PACK_FreeTable()
{
    MEM_FreePtr(&PACK_Table);
    PACK_Count = 0;
}

void PACK_ListEntries()
{
    for (int32_t i = 0; i < PACK_Count; i++) {
        std::string line = std::string(PACK_Table[i].name) + "\n";
        PLAT_WriteStdout(line.c_str());
    }
}
