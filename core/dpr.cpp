// The DPR streaming buffer: the owner tops a ring up block by block from one file while the reader
// takes contiguous spans out of it in place.
#include "core/dpr.h"

#include <fcntl.h>

#include <cstring>

#include "core/file.h"
#include "core/mem.h"
#include "core/sys.h"
#include "plat/files.h"
#include "plat/system.h"

DPR_Buffer *DPR_Main;

// Rounds up to whole blocks; 0 when the result does not fit in 32 bits.
static int round_to_block(uint32_t size, uint32_t block, uint32_t *rounded)
{
    uint64_t r = (uint64_t(size) + block - 1) & ~uint64_t(block - 1);
    if (r > UINT32_MAX) {
        return 0;
    }
    *rounded = uint32_t(r);
    return 1;
}

DPR_Buffer *DPR_Create(uint32_t ring_size, uint32_t spare_size, uint32_t block_size)
{
    // The rounding and the whole-block fills rely on a power of two; a block of 0 would make every
    // fill read nothing without ever reaching the end of the file.
    if (block_size == 0 || (block_size & (block_size - 1)) != 0) {
        return nullptr;
    }
    uint32_t ring;
    uint32_t spare;
    if (!round_to_block(ring_size, block_size, &ring) || !round_to_block(spare_size, block_size, &spare)) {
        return nullptr;
    }
    DPR_Buffer *dpr = static_cast<DPR_Buffer *>(MEM_Alloc(sizeof(DPR_Buffer)));
    if (dpr == nullptr) {
        return nullptr;
    }
    *dpr = DPR_Buffer{};
    dpr->ring_size = ring;
    dpr->spare_size = spare;
    dpr->block_size = block_size;
    dpr->free = ring;
    dpr->file = -1;
    return dpr;
}

void DPR_Destroy(DPR_Buffer *dpr)
{
    if (dpr == nullptr) {
        return;
    }
    DPR_Close(dpr);
    MEM_Free(dpr);
}

int DPR_Open(DPR_Buffer *dpr, const char *path)
{
    if (dpr->flags & DPR_OPEN) {
        DPR_Close(dpr);
    }
    int fd = PLAT_Open(path, O_RDONLY | O_BINARY);
    if (fd < 0) {
        // The previous stream's ring belongs to the arena again: nothing may read it after this.
        dpr->flags = 0;
        dpr->buffer = nullptr;
        dpr->read_pos = 0;
        dpr->write_pos = 0;
        dpr->buffered = 0;
        dpr->free = dpr->ring_size;
        dpr->last_request = 0;
        return 0;
    }
    dpr->file = fd;
    dpr->read_pos = 0;
    dpr->write_pos = 0;
    dpr->buffered = 0;
    dpr->free = dpr->ring_size;
    dpr->flags = DPR_OPEN;
    // A request left from the previous stream must not be consumed from this one.
    dpr->last_request = 0;
    // Without a block there is no buffer at all, so that nothing reads or writes through the previous
    // stream's ring, which the arena has given back.
    uint64_t size = uint64_t(dpr->ring_size) + dpr->spare_size;
    dpr->buffer = nullptr;
    if (MEM_Arena != nullptr && size <= UINT32_MAX) {
        dpr->buffer = static_cast<uint8_t *>(MEM_StackAlloc(MEM_Arena, uint32_t(size)));
    }
    return dpr->buffer != nullptr ? 1 : 0;
}

void DPR_Close(DPR_Buffer *dpr)
{
    if (dpr->flags & DPR_OPEN) {
        PLAT_Close(dpr->file);
        dpr->file = -1;
    }
    dpr->flags &= uint8_t(~DPR_OPEN);
}

void DPR_Fill(DPR_Buffer *dpr)
{
    if (!(dpr->flags & DPR_OPEN) || (dpr->flags & DPR_FULL) || dpr->buffer == nullptr) {
        return;
    }
    if (dpr->free < dpr->block_size) {
        dpr->flags |= DPR_FULL;
        return;
    }
    // The ring is a whole number of blocks and the write position moves by whole blocks until the
    // last, short read, so a block never straddles the ring's end.
    int32_t got = PLAT_Read(dpr->file, dpr->buffer + dpr->write_pos, dpr->block_size);
    if (got < 0) {
        got = 0; // a read error ends the stream like the end of the file
    }
    dpr->write_pos += uint32_t(got);
    if (dpr->write_pos >= dpr->ring_size) {
        dpr->write_pos -= dpr->ring_size;
    }
    dpr->free -= uint32_t(got);
    dpr->buffered += uint32_t(got);
    if (uint32_t(got) < dpr->block_size) {
        DPR_Close(dpr);
    }
}

uint8_t *DPR_Get(DPR_Buffer *dpr, uint32_t n)
{
    if (dpr->buffer == nullptr || n > dpr->buffered) {
        return nullptr;
    }
    uint64_t end = uint64_t(dpr->read_pos) + n;
    if (end > dpr->ring_size) {
        // The stop comes before the copy that would run past the spare area.
        if (end > uint64_t(dpr->ring_size) + dpr->spare_size) {
            PLAT_WriteStdout("\a\a\a, ERROR FATAL debordement dans DPR\n");
            PLAT_Exit(1);
        }
        std::memcpy(dpr->buffer + dpr->ring_size, dpr->buffer, size_t(end - dpr->ring_size));
    }
    dpr->last_request = n;
    return dpr->buffer + dpr->read_pos;
}

void DPR_Skip(DPR_Buffer *dpr)
{
    if (dpr->buffer == nullptr) {
        return;
    }
    uint32_t n = dpr->last_request;
    if (uint64_t(dpr->read_pos) + n <= dpr->ring_size) {
        dpr->read_pos += n;
    } else {
        dpr->read_pos = uint32_t(uint64_t(dpr->read_pos) + n - dpr->ring_size);
    }
    dpr->buffered -= n;
    dpr->free += n;
    dpr->flags &= uint8_t(~DPR_FULL);
    dpr->last_request = 0;
}
