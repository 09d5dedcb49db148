// The DPR streaming buffer: one file at a time through a ring taken from the memory arena.
#pragma once
#include <cstdint>

// Flag bits.
constexpr uint8_t DPR_OPEN = 0x01; // a file is attached
constexpr uint8_t DPR_FULL = 0x02; // the last fill found less than a block free

// Lives only in memory. The ring and the spare area behind it are one arena block.
struct DPR_Buffer {
    uint8_t *buffer;       // ring, then spare area; null until an open gets its block
    uint32_t read_pos;     // next unread byte, 0..ring_size (ring_size behaves like 0)
    uint32_t write_pos;    // where the next block goes, a whole number of blocks while open
    uint32_t buffered;     // read from the file and not yet consumed
    uint32_t free;         // ring_size - buffered
    uint32_t ring_size;    // a multiple of block_size
    uint32_t spare_size;   // a multiple of block_size: the longest wrapped part a request may have
    int32_t file;          // the file service's descriptor while open
    uint32_t block_size;   // what one fill reads; a power of two
    uint8_t flags;         // DPR_OPEN, DPR_FULL
    uint32_t last_request; // length of the last DPR_Get, consumed by DPR_Skip
};

extern DPR_Buffer *DPR_Main;

// Sizes round up to whole blocks. Null when the heap is exhausted, when the block size is 0 or not a
// power of two, or when a rounded size does not fit in 32 bits.
DPR_Buffer *DPR_Create(uint32_t ring_size, uint32_t spare_size, uint32_t block_size);
// Closes the file and frees the record; the ring belongs to the arena and stays.
void DPR_Destroy(DPR_Buffer *dpr);

// Opens a game path, closing any file attached first, and takes a new ring + spare block from the top
// of the arena on every call: callers reset the arena before opening the next stream. 0 with flags 0
// when the file does not open; 0 with the file attached when the arena cannot give the block (then
// there is no buffer, and Fill, Get and Skip do nothing until the next open).
int DPR_Open(DPR_Buffer *dpr, const char *path);
// Detaches the file. Buffered bytes stay readable.
void DPR_Close(DPR_Buffer *dpr);
// Reads one block into the ring when a block is free; a short read (end of file, or an error) closes
// the file. With less than a block free it sets DPR_FULL and reads nothing.
void DPR_Fill(DPR_Buffer *dpr);

// Returns n contiguous unread bytes in place, or null when fewer than n are buffered (nothing changes
// then). A request that wraps round the ring's end is made contiguous by copying its wrapped part into
// the spare area; a wrapped part longer than the spare area prints an error and ends the process with
// code 1.
//
// A request can never be met once DPR_OPEN is clear and fewer than n bytes are buffered, or when n
// exceeds ring_size: readers test that and stop instead of looping on DPR_Get and DPR_Fill.
//
// The arena is not aligned, so neither are the bytes returned: copy multi-byte fields out with memcpy.
uint8_t *DPR_Get(DPR_Buffer *dpr, uint32_t n);
// Consumes the last DPR_Get's bytes (none without one) and clears DPR_FULL.
void DPR_Skip(DPR_Buffer *dpr);
