// Loaded records: whole data files that begin with a table of offsets, kept in memory and registered
// by the identifier they carry.
#pragma once
#include <cstdint>

// Owned by the caller; REC_Load fills data and size.
struct REC_Descriptor {
    const char *path;
    uint8_t flags;   // REC_FIRST_ONLY
    uint8_t *data;   // the file, its offsets converted to bytes
    uint32_t size;   // its length, so that readers can check the offsets
};

inline constexpr uint8_t REC_FIRST_ONLY = 0x02; // register in the first table only
inline constexpr int32_t REC_TABLE_SIZE = 256;
inline constexpr uint32_t REC_OFFSET_BYTES = REC_TABLE_SIZE * 4;

// The two registers, indexed by the record's identifier.
extern REC_Descriptor *REC_Tables[2][REC_TABLE_SIZE];

// Empties both registers.
void REC_Init();
// Loads the descriptor's file whole, turns its first 256 words from 4-byte units into byte offsets
// and registers the descriptor under the first of them. 0 when the file does not open, is shorter
// than its offset table, carries an identifier outside the registers or cannot be held.
int32_t REC_Load(REC_Descriptor *descriptor);
