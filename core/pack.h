// Pack files (.bf): one global table of named entries, merged from every pack opened.
#pragma once
#include <cstdint>

// One entry in memory. The directory record in the file is 267 bytes (name 259, offset, size) and is
// read field by field; this record only lives here.
struct PACK_Entry {
    char name[260];     // the 259 name bytes of the file, always terminated
    uint32_t offset;    // of the data, from the start of the pack file
    uint32_t size;
    int32_t open;       // 1 once PACK_Find has found it
    int32_t position;   // bytes from the entry's start
    int32_t prefixed;   // 1 when the pack was opened under the fixed drive prefix
    int32_t pack;       // file handle of the pack file, shared by its entries
};

inline constexpr uint32_t PACK_HEADER_SIZE = 16;
inline constexpr uint32_t PACK_DIR_RECORD_SIZE = 267;
inline constexpr uint32_t PACK_NAME_SIZE = 259;

extern PACK_Entry *PACK_Table;
extern int32_t PACK_Count;

void PACK_Open(const char *path);
void PACK_AddEntries(PACK_Entry *records, int32_t n);
int32_t PACK_FindEntry(char *name);
int32_t PACK_Find(const char *name);
PACK_Entry *PACK_GrowTable(PACK_Entry *table, uint32_t size);
void PACK_FreeTable();
void PACK_ListEntries();
