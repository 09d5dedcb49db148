// The DPR streaming buffer. Only the record exists yet; opening and reading streams come later.
#include "core/dpr.h"

#include "core/mem.h"

DPR_Buffer *DPR_Main;

static uint32_t round_to_block(uint32_t size, uint32_t block) { return (size + block - 1) & ~(block - 1); }

DPR_Buffer *DPR_Create(uint32_t ring_size, uint32_t spare_size, uint32_t block_size)
{
    DPR_Buffer *dpr = static_cast<DPR_Buffer *>(MEM_Alloc(sizeof(DPR_Buffer)));
    if (dpr == nullptr) {
        return nullptr;
    }
    *dpr = DPR_Buffer{};
    dpr->ring_size = round_to_block(ring_size, block_size);
    dpr->spare_size = round_to_block(spare_size, block_size);
    dpr->block_size = block_size;
    dpr->free = dpr->ring_size;
    dpr->file = -1;
    return dpr;
}

void DPR_Destroy(DPR_Buffer *dpr) { MEM_Free(dpr); }
